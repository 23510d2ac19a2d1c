#include "tests/support/sim_models.h"

namespace kivra::test {

TModelData EmptyModel() {
    TModelData m;
    for (int r = 0; r < MaxReactions; ++r) m.ReactA[r] = m.ReactB[r] = m.Product[r] = -1;
    for (int set = 0; set < MaxSets; ++set)
        for (int s = 0; s < MaxSpecies; ++s) m.AnalyteInj[set][s] = -1;
    return m;
}

void AddReaction(TModelData& m, int a, int b, int p, double kf, double kr) {
    const int r = m.NumReactions++;
    m.ReactA[r] = a;
    m.ReactB[r] = b;
    m.Product[r] = p;
    m.Kfwd[r] = kf;
    m.Krev[r] = kr;
}

void Respond(TModelData& m, int s, double factor) {
    m.Response[0][s] = true;
    m.RFactor[s] = factor;
}

SchemePage::SchemePage(int species) {
    NumSpecies = species;
    for (int r = 0; r < MaxReactions; ++r) ReactA[r] = ReactB[r] = Product[r] = -1;
    for (int s = 0; s < MaxSpecies; ++s) AnalyteInj[s] = -1;
}

void SchemePage::Add(int a, int b, int p, double kf, double kr) {
    const int r = NumReactions++;
    ReactA[r] = a;
    ReactB[r] = b;
    Product[r] = p;
    Kfwd[r] = kf;
    Krev[r] = kr;
}

bool MakeSet(TSensTabCore& page, int curves, int points, double dt, double t0) {
    if (!page.NewSens(curves, points)) return false;
    page.NumCurves = curves;
    page.NumPoints = points;
    for (int i = 0; i < curves; ++i) {
        page.PointCount[i] = points;
        for (int k = 0; k < points; ++k) page.Time[i][k] = t0 + k * dt;
    }
    return true;
}

void Inject(TSensTabCore& page, int slot, int curve, double start, double stop, double conc) {
    page.InjStart[slot][curve] = start;
    page.InjStop[slot][curve] = stop;
    page.InjConc[slot][curve] = conc;
}

} // namespace kivra::test
