#include "engine/fit/fit_params.h"

#include <cstring>

#include "engine/fit/fit_engine.h"
#include "engine/dataset/senstab_core.h"
#include "platform/core/messages.h"

namespace kivra {

int CountFitParams(const TModelData& model) {
    return ForEachFitParam(model, [](const FitParam&) {});
}

double* FitParamSource(TModelData& model, const FitParam& p) {
    switch (p.Kind) {
    case FitParamKind::Conc:
        return &model.InitConc[p.Set < 0 ? 0 : p.Set][p.Species];
    case FitParamKind::RFactor:
        return &model.RFactor[p.Species];
    case FitParamKind::Kfwd:
        return &model.Kfwd[p.Reaction];
    case FitParamKind::Krev:
        return &model.Krev[p.Reaction];
    case FitParamKind::Stock:
        return &model.StockConc[p.Set][p.Slot];
    case FitParamKind::SharedStock:
        return &model.StockConc[0][p.Slot];
    default:
        break;
    }
    double* row = nullptr;
    if (p.Kind == FitParamKind::RefIndex) row = model.RefIndex[p.Set][p.Slot];
    else if (p.Kind == FitParamKind::StartAll || p.Kind == FitParamKind::StartCurve)
        row = model.InjStart[p.Set][p.Slot];
    else
        row = model.InjStop[p.Set][p.Slot];
    if (!row || p.Curve < 0 || p.Curve >= model.NumCurves[p.Set]) return nullptr;
    return &row[p.Curve];
}

int GetFitParams(TModelData& model, double* a, int* ia, int n) {
    return ForEachFitParam(model, [&](const FitParam& p) {
        if (p.Index > n) return;
        const double* v = FitParamSource(model, p);
        a[p.Index] = v ? *v : 0.0;
        ia[p.Index] = p.Code;
    });
}

void PutFitParams(const double* a, TModelData& model, int n, std::span<TSensTabCore* const> pages) {
    const int sets = model.NumSets < 0 ? 0 : model.NumSets;
    for (int set = 0; set < sets && set < static_cast<int>(pages.size()); ++set)
        if (pages[set]) pages[set]->UpdateFit(a, n);
    ForEachFitParam(model, [&](const FitParam& p) {
        if (p.Index > n) return;
        const double value = a[p.Index];
        if (double* v = FitParamSource(model, p)) *v = value;
        if (p.Kind == FitParamKind::StartAll || p.Kind == FitParamKind::StopAll) {
            double* row = p.Kind == FitParamKind::StartAll ? model.InjStart[p.Set][p.Slot]
                                                           : model.InjStop[p.Set][p.Slot];
            for (int i = 0; row && i < model.NumCurves[p.Set]; ++i)
                if (FitCurveIncluded(model, p.Set, i)) row[i] = value;
        } else if (p.Kind == FitParamKind::SharedStock) {
            for (int set = 0; set < sets && set < MaxSets; ++set) model.StockConc[set][p.Slot] = value;
        }
    });
}

void ReportNoEffect(const char* text, int n, FitProgress& progress) {
    const int k = NoEffectParameter(text);
    std::string type, scope;
    // A number outside the vector has no labels: the text, which names it, is
    // shown as it came.
    if (k >= 1 && k <= n && progress.ParamLabels(k, type, scope))
        ShowMessage("Parameter has no effect on fit\nProblem: " + type + " of " + scope, "Fit Error");
    else
        ShowMessage(text, "Fit Error");
}

void ReportFitError(const char* text, int n, FitProgress& progress) {
    if (std::strstr(text, "effect")) ReportNoEffect(text, n, progress);
    else ShowMessage(text, "Run Fit Error");
}

} // namespace kivra
