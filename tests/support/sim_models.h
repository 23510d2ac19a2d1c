#pragma once
// Small reaction schemes for the simulation tests and benchmarks, built in the
// model record or straight into a page's model copy. Header only: the
// benchmarks use it without the test framework.
#include <string>
#include <vector>

#include "engine/model/model_data.h"
#include "engine/model/model_sync.h"
#include "engine/dataset/senstab_core.h"

namespace kivra::test {

// A record with no reactions and no fed species, as the panels leave it when empty.
TModelData EmptyModel();
// Appends reaction a + b = p (-1: no such reactant) to a record or a page's
// model copy and raises its NumReactions.
template <class Model>
void AddReaction(Model& m, int a, int b, int p, double kf, double kr) {
    const int r = m.NumReactions++;
    m.ReactA[r] = a;
    m.ReactB[r] = b;
    m.Product[r] = p;
    m.Kfwd[r] = kf;
    m.Krev[r] = kr;
}
// Species s counts in the response with the given R factor.
void Respond(TModelData& m, int s, double factor);

// A page whose model copy is set directly, without the record.
class SchemePage : public TSensTabCore {
public:
    explicit SchemePage(int species);
    void Add(int a, int b, int p, double kf, double kr);
};

// The model page's lines of the two-compartment scheme: A (fed by injection 1)
// = As (A at the surface) by transport, both ways at one km (krev "=f1"); As +
// B = AB, seen with R factor 1. km, kfwd, krev and the initial B are floated.
void TransportSchemeLines(const std::string& km, const std::string& ka, const std::string& kd,
                          const std::string& b, std::vector<ReactionLine>& reactions,
                          std::vector<SpeciesLine>& species);

// curves x points evenly spaced from t0, nothing loaded.
bool MakeSet(TSensTabCore& page, int curves, int points, double dt, double t0 = 0);
void Inject(TSensTabCore& page, int slot, int curve, double start, double stop, double conc);

// ---- definitions ----

inline TModelData EmptyModel() {
    TModelData m;
    for (int r = 0; r < MaxReactions; ++r) m.ReactA[r] = m.ReactB[r] = m.Product[r] = -1;
    for (int set = 0; set < MaxSets; ++set)
        for (int s = 0; s < MaxSpecies; ++s) m.AnalyteInj[set][s] = -1;
    return m;
}

inline void Respond(TModelData& m, int s, double factor) {
    m.Response[0][s] = true;
    m.RFactor[s] = factor;
}

inline SchemePage::SchemePage(int species) {
    NumSpecies = species;
    for (int r = 0; r < MaxReactions; ++r) ReactA[r] = ReactB[r] = Product[r] = -1;
    for (int s = 0; s < MaxSpecies; ++s) AnalyteInj[s] = -1;
}

inline void SchemePage::Add(int a, int b, int p, double kf, double kr) {
    AddReaction(*this, a, b, p, kf, kr);
}

inline void TransportSchemeLines(const std::string& km, const std::string& ka, const std::string& kd,
                                 const std::string& b, std::vector<ReactionLine>& reactions,
                                 std::vector<SpeciesLine>& species) {
    ReactionLine transport, binding;
    transport.ReactA = 0;
    transport.Product = 1;
    transport.KfwdText = km;
    transport.KrevText = std::string("=f1");
    transport.FitKfwd = true;
    transport.MassTransport = true;
    binding.ReactA = 1;
    binding.ReactB = 2;
    binding.Product = 3;
    binding.KfwdText = ka;
    binding.KrevText = kd;
    binding.FitKfwd = binding.FitKrev = true;
    reactions = {transport, binding};
    // Texts are built whole: assigning a literal trips a false overlap warning
    // of the optimiser.
    SpeciesLine a, as, bound, complex;
    a.Name = std::string("A");
    a.Inj = 0;
    as.Name = std::string("As");
    bound.Name = std::string("B");
    bound.InitConcText = b;
    bound.FitConc = true;
    complex.Name = std::string("AB");
    complex.Response = true;
    complex.RFactorText = std::string("1");
    species = {a, as, bound, complex};
}

inline bool MakeSet(TSensTabCore& page, int curves, int points, double dt, double t0) {
    if (!page.NewSens(curves, points)) return false;
    page.NumCurves = curves;
    page.NumPoints = points;
    for (int i = 0; i < curves; ++i) {
        page.PointCount[i] = points;
        for (int k = 0; k < points; ++k) page.Time[i][k] = t0 + k * dt;
    }
    return true;
}

inline void Inject(TSensTabCore& page, int slot, int curve, double start, double stop, double conc) {
    page.InjStart[slot][curve] = start;
    page.InjStop[slot][curve] = stop;
    page.InjConc[slot][curve] = conc;
}

} // namespace kivra::test
