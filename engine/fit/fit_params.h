#pragma once
// The one order of the floated parameters. Counting, gathering the parameter
// vector, writing it back, the pages' fit maps and the labels all walk it
// through ForEachFitParam, so their counts and lists cannot disagree.
#include <span>

#include "engine/model/model_data.h"

namespace kivra {

class FitProgress;
class TSensTabCore;

enum class FitParamKind {
    Conc,        // initial concentration: model-wide (Set -1) or of a local species in Set
    RFactor,     // response factor of Species
    Kfwd,        // forward rate of Reaction
    Krev,        // reverse rate of Reaction
    RefIndex,    // refractive-index step of Curve in Slot
    StartAll,    // one start time for all included curves of Slot (Curve: the first included)
    StartCurve,  // start time of Curve in Slot
    StopAll,
    StopCurve,
    Stock,       // the set's own stock concentration of Slot
    SharedStock  // stock concentration of Slot shared by all sets
};

struct FitParam {
    int Index = 0;  // 1-based place in the parameter vector
    FitParamKind Kind = FitParamKind::Conc;
    int Set = -1;   // data set of a per-set parameter, -1 for the model-wide ones
    int Species = -1;
    int Reaction = -1;
    int Slot = -1;
    int Curve = -1;
    int Code = 1;   // constraint code (engine/fit/fit_engine.h)
};

inline bool FitCurveIncluded(const TModelData& model, int set, int curve) {
    return !(model.Excluded[set] && model.Excluded[set][curve]);
}

// The first included curve of a set, 0 when every curve is excluded.
inline int FirstIncludedCurve(const TModelData& model, int set) {
    for (int i = 0; i < model.NumCurves[set]; ++i)
        if (FitCurveIncluded(model, set, i)) return i;
    return 0;
}

// Calls visit(const FitParam&) for every floated parameter in vector order;
// returns how many there are. Species and reactions are walked over all ten
// slots (the model editors clear fit flags beyond their lines), sets below
// NumSets.
template <class Visit>
int ForEachFitParam(const TModelData& model, Visit&& visit) {
    FitParam p;
    auto emit = [&](FitParamKind kind, int code) {
        ++p.Index;
        p.Kind = kind;
        p.Code = code;
        visit(static_cast<const FitParam&>(p));
    };
    for (int s = 0; s < MaxSpecies; ++s) {
        p.Species = s;
        if (!model.SpecLocal[s] && model.FitConc[0][s]) emit(FitParamKind::Conc, 1);
        if (model.FitRFactor[s]) emit(FitParamKind::RFactor, 1);
    }
    p.Species = -1;
    for (int r = 0; r < MaxReactions; ++r) {
        p.Reaction = r;
        if (model.FitKfwd[r]) emit(FitParamKind::Kfwd, 1);
        if (model.FitKrev[r]) emit(FitParamKind::Krev, 1);
    }
    p.Reaction = -1;
    const int sets = model.NumSets < 0 ? 0 : model.NumSets > MaxSets ? MaxSets : model.NumSets;
    for (int set = 0; set < sets; ++set) {
        p.Set = set;
        const int curves = model.NumCurves[set];
        for (int s = 0; s < MaxSpecies; ++s) {
            p.Species = s;
            if (model.SpecLocal[s] && model.FitConc[set][s]) emit(FitParamKind::Conc, 1);
        }
        p.Species = -1;
        for (int j = 0; j < MaxInj; ++j) {
            p.Slot = j;
            const bool* fitRI = model.FitRefIndex[set][j];
            for (int i = 0; fitRI && i < curves; ++i) {
                p.Curve = i;
                if (FitCurveIncluded(model, set, i) && fitRI[i]) emit(FitParamKind::RefIndex, 0);
            }
            p.Curve = -1;
        }
        for (int j = 0; j < MaxInj; ++j) {
            p.Slot = j;
            for (int stop = 0; stop < 2; ++stop) {
                const int mode = stop ? model.StopFitMode[set][j] : model.StartFitMode[set][j];
                if (mode == 1) {
                    p.Curve = FirstIncludedCurve(model, set);
                    emit(stop ? FitParamKind::StopAll : FitParamKind::StartAll, 2);
                } else if (mode == 2) {
                    for (int i = 0; i < curves; ++i) {
                        p.Curve = i;
                        if (FitCurveIncluded(model, set, i))
                            emit(stop ? FitParamKind::StopCurve : FitParamKind::StartCurve, 2);
                    }
                }
                p.Curve = -1;
            }
            if (!model.StockGlobal[j] && model.FitStockLocal[set][j]) emit(FitParamKind::Stock, 1);
        }
        p.Slot = -1;
    }
    p.Set = -1;
    for (int j = 0; j < MaxInj; ++j) {
        p.Slot = j;
        if (model.StockGlobal[j] && model.FitStockGlobal[j]) emit(FitParamKind::SharedStock, 1);
    }
    return p.Index;
}

int CountFitParams(const TModelData& model);

// Where the model keeps a parameter's value (for a shared time: the first
// included curve's; for a shared stock: set 0's); null when the set has no
// such array or curve.
double* FitParamSource(TModelData& model, const FitParam& p);

// Fills a[1..] and ia[1..] in parameter order, at most n entries; returns the
// number of parameters the model floats.
int GetFitParams(TModelData& model, double* a, int* ia, int n);

// Writes a[1..n] back: every page (set order) takes the values it maps, then the
// model and, through its pointers, the pages' injection arrays. A shared time
// goes to every included curve of its slot, a shared stock to every set.
void PutFitParams(const double* a, TModelData& model, int n, std::span<TSensTabCore* const> pages);

// The "no effect" report: the parameter named in the text, with its labels;
// without labels (a number outside 1..n) the text itself. Caption "Fit Error".
void ReportNoEffect(const char* text, int n, FitProgress& progress);

// An error text of a fit step: "no effect" texts through ReportNoEffect, any
// other unchanged with the caption "Run Fit Error".
void ReportFitError(const char* text, int n, FitProgress& progress);

} // namespace kivra
