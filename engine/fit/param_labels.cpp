#include "engine/fit/param_labels.h"

#include "engine/fit/fit_params.h"

namespace kivra {
namespace {

// A slot is in use on a set when some included curve has a start time that
// differs from its stop time.
bool SlotInUse(const TModelData& model, int set, int j) {
    const double* start = model.InjStart[set][j];
    const double* stop = model.InjStop[set][j];
    if (!start || !stop) return false;
    for (int i = 0; i < model.NumCurves[set]; ++i)
        if (FitCurveIncluded(model, set, i) && start[i] != stop[i]) return true;
    return false;
}

std::string Number(int n) { return std::to_string(n); }

} // namespace

std::string SpeciesLabel(const TModelData& model, int s) {
    if (s < 0 || s >= MaxSpecies || model.SpecName[s].empty()) return "?";
    return model.SpecName[s];
}

std::string ReactionLabel(const TModelData& model, int r) {
    const int a = model.ReactA[r], b = model.ReactB[r];
    const std::string product = " = " + SpeciesLabel(model, model.Product[r]);
    if (a >= 0 && b >= 0) return SpeciesLabel(model, a) + " + " + SpeciesLabel(model, b) + product;
    if (b >= 0) return SpeciesLabel(model, b) + product;
    return SpeciesLabel(model, a) + product;  // "? = C" when neither reactant is set
}

ParamLabelList GetParamLabels(const TModelData& model) {
    ParamLabelList out;
    // Prefixes per set: "setP " when there are several sets, "injJ " when the
    // set uses more than one slot.
    std::string setPrefix[MaxSets];
    bool slotPrefix[MaxSets] = {};
    const int sets = model.NumSets < 0 ? 0 : model.NumSets > MaxSets ? MaxSets : model.NumSets;
    for (int p = 0; p < sets; ++p) {
        if (sets > 1) setPrefix[p] = "set" + Number(p + 1) + " ";
        int used = 0;
        for (int j = 0; j < MaxInj; ++j) used += SlotInUse(model, p, j);
        slotPrefix[p] = used > 1;
    }
    auto timePrefix = [&](const FitParam& p) {
        return setPrefix[p.Set] + (slotPrefix[p.Set] ? "inj" + Number(p.Slot + 1) + " " : std::string());
    };
    auto curveScope = [&](const FitParam& p) { return timePrefix(p) + "curve" + Number(p.Curve + 1); };
    auto mt = [&](const FitParam& p) { return model.MassTransport[p.Reaction] ? "(xf)" : ""; };

    ForEachFitParam(model, [&](const FitParam& p) {
        std::string type, scope;
        switch (p.Kind) {
        case FitParamKind::Conc:
            type = "Conc";
            scope = SpeciesLabel(model, p.Species);
            if (p.Set >= 0) scope += " (" + Number(p.Set + 1) + ")";
            break;
        case FitParamKind::RFactor:
            type = "Rfac";
            scope = SpeciesLabel(model, p.Species);
            break;
        case FitParamKind::Kfwd:
            type = std::string("kfwd") + mt(p);
            scope = ReactionLabel(model, p.Reaction);
            break;
        case FitParamKind::Krev:
            type = std::string("krev") + mt(p);
            scope = ReactionLabel(model, p.Reaction);
            break;
        case FitParamKind::RefIndex:
            type = "Ref Ind";
            scope = curveScope(p);
            break;
        case FitParamKind::StartAll:
            type = "Start";
            scope = timePrefix(p) + "all";
            break;
        case FitParamKind::StartCurve:
            type = "Start";
            scope = curveScope(p);
            break;
        case FitParamKind::StopAll:
            type = "Stop";
            scope = timePrefix(p) + "all";
            break;
        case FitParamKind::StopCurve:
            type = "Stop";
            scope = curveScope(p);
            break;
        case FitParamKind::Stock:
            type = "Stock";
            scope = setPrefix[p.Set] + "inj" + Number(p.Slot + 1);
            break;
        case FitParamKind::SharedStock:
            type = "Stock";
            scope = "inj" + Number(p.Slot + 1);
            break;
        }
        const double* v = FitParamSource(const_cast<TModelData&>(model), p);
        out.Type.push_back(std::move(type));
        out.Scope.push_back(std::move(scope));
        out.Values.push_back(v ? *v : 0.0);
    });
    return out;
}

} // namespace kivra
