// The data page's part of a fit: its map from the parameter vector to its own
// values, and the finite-difference sums of its curves.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "engine/fit/fit_engine.h"
#include "engine/fit/fit_params.h"
#include "engine/numeric/numformat.h"
#include "engine/dataset/senstab_core.h"
#include "platform/core/messages.h"

namespace kivra {

namespace {

constexpr double FitEps = 1e-8;
constexpr double FitFirstStep = 10.0;  // s, largest first-step guess of an interval

// Kinds of a parameter on one page.
enum : int {
    KindOtherPage = 0,
    KindBase = 1,
    KindConc = 2,
    KindRate = 3,
    KindRefIndex = 4,
    KindRFactor = 5,
    KindTime = 6,
    KindStartAll = 7,
    KindStopAll = 8,
    KindStock = 9,
    KindSharedStock = 10
};

// Relative step of concentrations and rates, and the absolute one used at 0.
double RelativeStep(double value, double atZero) { return value != 0 ? value * 5e-6 : atZero; }

} // namespace

bool TSensTabCore::AllocateFit(TModelData& model, int ma) {
    DeallocateFit();
    if (!Allocate(NumSpecies)) return false;
    const auto entries = static_cast<std::size_t>(ma < 0 ? 0 : ma) + 1;
    if (!FitKind.Reset(entries, KindOtherPage) || !FitInj.Reset(entries, -1) ||
        !FitValue.Reset(entries, nullptr) || !FitDelta.Reset(1, ma) || !FitDeriv.Reset(1, ma) ||
        !FitState.Reset(0, ma, 1, NumSpecies)) {
        DeallocateFit();
        ShowMessage("Memory Allocation Error", "Run Simulation Error");
        return false;
    }
    FitParams = ma;
    for (int j = 1; j <= ma; ++j) FitDelta[j] = 0;
    FitKind[0] = KindBase;

    auto set = [&](int j, int kind, double* value, double delta, int slot = -1) {
        FitKind[j] = kind;
        FitValue[j] = value;
        FitDelta[j] = delta;
        FitInj[j] = slot;
    };
    ForEachFitParam(model, [&](const FitParam& p) {
        const int j = p.Index;
        if (j > ma) return;
        if (p.Set >= 0 && p.Set != Tag) return;  // another page's: nothing to simulate here
        const bool curveOk = p.Curve >= 0 && p.Curve < NumCurves;
        switch (p.Kind) {
        case FitParamKind::Conc:
            set(j, KindConc, &InitConc[p.Species], RelativeStep(InitConc[p.Species], 1e-12));
            break;
        case FitParamKind::RFactor:
            set(j, KindRFactor, &RFactor[p.Species], 0.01);
            break;
        case FitParamKind::Kfwd:
            set(j, KindRate, &Kfwd[p.Reaction], RelativeStep(Kfwd[p.Reaction], 1e-4));
            break;
        case FitParamKind::Krev:
            set(j, KindRate, &Krev[p.Reaction], RelativeStep(Krev[p.Reaction], 1e-12));
            break;
        case FitParamKind::RefIndex:
            if (curveOk) set(j, KindRefIndex, &RefIndex[p.Slot][p.Curve], 0.01, p.Slot);
            break;
        case FitParamKind::StartCurve:
            if (curveOk) set(j, KindTime, &InjStart[p.Slot][p.Curve], 0.001);
            break;
        case FitParamKind::StopCurve:
            if (curveOk) set(j, KindTime, &InjStop[p.Slot][p.Curve], 0.001);
            break;
        case FitParamKind::StartAll:
        case FitParamKind::StopAll: {
            if (NumCurves < 1) break;
            const bool start = p.Kind == FitParamKind::StartAll;
            int cur0 = -1;
            for (int i = 0; i < NumCurves && cur0 < 0; ++i)
                if (!Excluded[i]) cur0 = i;
            if (cur0 < 0) {
                ShowMessage(start ? "Fitting start time with all curves excluded"
                                  : "Fitting stop time with all curves excluded",
                            "Fit Error");
                cur0 = 0;
            }
            double* times = start ? InjStart[p.Slot].data() : InjStop[p.Slot].data();
            for (int i = 0; i < NumCurves; ++i)
                if (!Excluded[i]) times[i] = times[cur0];
            set(j, start ? KindStartAll : KindStopAll, &times[cur0], 0.001, p.Slot);
            break;
        }
        case FitParamKind::Stock:
        case FitParamKind::SharedStock:
            set(j, p.Kind == FitParamKind::Stock ? KindStock : KindSharedStock, &StockConc[p.Slot],
                RelativeStep(StockConc[p.Slot], 1e-12));
            break;
        }
    });
    return true;
}

void TSensTabCore::SetFitValue(int j, double value) {
    *FitValue[j] = value;
    if (FitKind[j] == KindStartAll || FitKind[j] == KindStopAll) {
        double* times = FitKind[j] == KindStartAll ? InjStart[FitInj[j]].data() : InjStop[FitInj[j]].data();
        for (int i = 0; i < NumCurves; ++i)
            if (!Excluded[i]) times[i] = value;
    }
}

void TSensTabCore::UpdateFit(const double* a, int ma) {
    for (int j = 1; j <= ma && j <= FitParams; ++j)
        if (FitKind[j] != KindOtherPage && FitValue[j]) SetFitValue(j, a[j]);
}

void TSensTabCore::DeallocateFit() {
    FitDeriv.Release();
    FitState.Release();
    FitDelta.Release();
    FitValue.Clear();
    FitKind.Clear();
    FitInj.Clear();
    FitParams = 0;
    Deallocate();
}

const char* TSensTabCore::CalcFit(double* a, int ma, double** alpha, double* beta, double* chisq) {
    if (ma != FitParams || !FitState) return FitStoppedText;
    bool finite = true;
    for (int j = 1; j <= ma; ++j) {
        if (FitKind[j] == KindOtherPage || !FitValue[j]) continue;
        SetFitValue(j, a[j]);
        finite = finite && std::isfinite(a[j]);
    }
    // A step that leaves the numbers cannot be simulated; as an infinite sum of
    // squares it is simply not taken.
    if (!finite) {
        Chisq = std::numeric_limits<double>::infinity();
        *chisq += Chisq;
        return nullptr;
    }
    if (NumReactions < 1) return "Need at least one reaction";
    if (NumSpecies < 1) return "Need at least one reactant";
    bool modelFault = false;
    static std::string fault;  // the returned text outlives the call, as every fit text does
    fault = CheckSimInput(modelFault);
    if (!fault.empty()) return fault.c_str();

    const int n = NumSpecies;
    bool feeds[MaxInj];
    FeedingSlots(feeds);
    const std::string caption = "Simulation Error: Set " + std::to_string(Tag + 1);
    Chisq = 0;

    for (int cur = 0; cur < NumCurves; ++cur) {
        if (FitStatus) FitStatus->AppendStatus(".");
        if (Excluded[cur]) continue;
        FlowFactor = std::pow(Flow[cur], 1.0 / 3.0);
        const double* time = Time[cur];

        // The analyte species take their injected concentration from the start
        // of the injection and leave at its stop.
        auto applyInjections = [&](double* y, double t0) {
            for (int s = 0; s < n; ++s) {
                const int j = AnalyteInj[s];
                if (j < 0) continue;
                if (InjStart[j][cur] <= t0) y[s + 1] = SpecConc[j][s][cur];
                if (InjStop[j][cur] <= t0) y[s + 1] = 0.0;
            }
        };
        // Integrates row y from t0 up to t, event by event.
        auto advance = [&](double* y, double t0, double t) -> const char* {
            do {
                const double t1 = NextInjEvent(feeds, cur, t0, t);
                applyInjections(y, t0);
                if (const char* err = odeint(y, n, t0, t1, FitEps, std::min(t1 - t0, FitFirstStep), 0.0)) {
                    ShowMessage(err, caption);
                    return err;
                }
                t0 = t1;
            } while (t0 < t);
            return nullptr;
        };
        // Nudges parameter p for this curve, or takes the nudge back.
        double saved = 0;
        auto nudge = [&](int p) {
            saved = *FitValue[p];
            *FitValue[p] += FitDelta[p];
            if (FitKind[p] == KindStartAll) InjStart[FitInj[p]][cur] = *FitValue[p];
            if (FitKind[p] == KindStopAll) InjStop[FitInj[p]][cur] = *FitValue[p];
        };
        auto restore = [&](int p) {
            *FitValue[p] = saved;
            if (FitKind[p] == KindStartAll) InjStart[FitInj[p]][cur] = saved;
            if (FitKind[p] == KindStopAll) InjStop[FitInj[p]][cur] = saved;
        };
        // The response of run p at point k, as the derivative for a nudged run.
        double dy = 0;
        auto takePoint = [&](int p, int k) {
            const double r = ResponseAt(FitState[p], feeds, cur, time[k]);
            if (p == 0) {
                Sim[cur][k] = r;
                dy = Data[cur][k] - r;
                Chisq += dy * dy;
            } else {
                const double taken = *FitValue[p] - saved;
                FitDeriv[p] = taken != 0 ? (r - Sim[cur][k]) / taken : 0.0;
            }
        };
        auto addPoint = [&]() {
            for (int j = 1; j <= ma; ++j) {
                if (FitKind[j] == KindOtherPage) continue;
                beta[j] += dy * FitDeriv[j];
                for (int k = 1; k <= j; ++k)
                    if (FitKind[k] != KindOtherPage) alpha[j][k] += FitDeriv[j] * FitDeriv[k];
            }
        };

        // The first point, from before the injections of the analytes.
        for (int p = 0; p <= ma; ++p) {
            if (FitKind[p] == KindOtherPage) continue;
            if (p > 0) nudge(p);
            if (!CalcSpecConc(cur)) return FitStoppedText;
            double t0 = time[0];
            for (int j = 0; j < MaxInj; ++j)
                if (feeds[j]) t0 = std::min({t0, InjStart[j][cur], InjStop[j][cur]});
            double* y = FitState[p];
            for (int s = 0; s < n; ++s) y[s + 1] = AnalyteInj[s] >= 0 ? 0.0 : InitConc[s];
            if (t0 < time[0])
                if (const char* err = advance(y, t0, time[0])) return err;
            takePoint(p, 0);
            if (p > 0) {
                restore(p);
                if (!CalcSpecConc(cur)) return FitStoppedText;
            }
        }
        addPoint();

        for (int i = 0; i + 1 < PointCount[cur]; ++i) {
            for (int p = 0; p <= ma; ++p) {
                if (FitKind[p] == KindOtherPage) continue;
                if (p > 0) {
                    nudge(p);
                    if (!CalcSpecConc(cur)) return FitStoppedText;
                }
                if (const char* err = advance(FitState[p], time[i], time[i + 1])) return err;
                takePoint(p, i + 1);
                if (p > 0) {
                    restore(p);
                    if (!CalcSpecConc(cur)) return FitStoppedText;
                }
            }
            addPoint();
        }
    }

    Modelled = true;
    SimulationChanged();
    *chisq += Chisq;
    return nullptr;
}

void TSensTabCore::SetFitResults(TModelData&) {
    for (int j = 0; j < MaxInj; ++j) {
        if (!InjUsed(j) || (StartFitMode[j] == 0 && StopFitMode[j] == 0)) continue;
        InjLabelString[j] = "Inj" + std::to_string(j + 1) + FormatValue(": ", InjStart[j][0]) +
                            FormatValue(" - ", InjStop[j][0]);
    }
    LabelsChanged();
}

} // namespace kivra
