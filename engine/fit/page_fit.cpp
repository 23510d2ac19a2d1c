// The data page's part of a fit: its map from the parameter vector to its own
// values, and the finite-difference sums of its curves.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <string>

#include "engine/fit/fit_engine.h"
#include "engine/fit/fit_params.h"
#include "engine/numeric/numformat.h"
#include "engine/numeric/parallel.h"
#include "engine/dataset/senstab_core.h"
#include "engine/simulation/curve_run.h"
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
    // The fit's simulations run on workers with integrators of their own.
    if (NumSpecies < 1 || NumSpecies > MaxSpecies) {
        ShowMessage("Memory Allocation Error", "Run Simulation Error");
        return false;
    }
    const auto entries = static_cast<std::size_t>(ma < 0 ? 0 : ma) + 1;
    if (!FitKind.Reset(entries, KindOtherPage) || !FitInj.Reset(entries, -1) ||
        !FitValue.Reset(entries, nullptr) || !FitTarget.Reset(entries, FitParam()) ||
        !FitDelta.Reset(1, ma) || !FitDeriv.Reset(1, ma)) {
        DeallocateFit();
        ShowMessage("Memory Allocation Error", "Run Simulation Error");
        return false;
    }
    FitParams = ma;
    for (int j = 1; j <= ma; ++j) FitDelta[j] = 0;
    FitKind[0] = KindBase;

    const FitParam* current = nullptr;
    auto set = [&](int j, int kind, double* value, double delta, int slot = -1) {
        FitTarget[j] = *current;
        FitKind[j] = kind;
        FitValue[j] = value;
        FitDelta[j] = delta;
        FitInj[j] = slot;
    };
    ForEachFitParam(model, [&](const FitParam& p) {
        const int j = p.Index;
        if (j > ma) return;
        current = &p;
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
    FitDelta.Release();
    FitValue.Clear();
    FitKind.Clear();
    FitInj.Clear();
    FitTarget.Clear();
    FitParams = 0;
    Deallocate();
}

namespace {

// How a parameter of the page bears on the runs of one curve.
enum class Bearing {
    None,          // nothing the curve's runs read: its nudged run is the base run
    ResponseOnly,  // only the response reads it: the nudged run has the base run's states
    Simulated      // the nudged run is a simulation of its own
};

Bearing BearingOn(const FitParam& target, int cur) {
    switch (target.Kind) {
    case FitParamKind::RefIndex:
        return target.Curve == cur ? Bearing::ResponseOnly : Bearing::None;
    case FitParamKind::RFactor:
        return Bearing::ResponseOnly;
    case FitParamKind::StartCurve:
    case FitParamKind::StopCurve:
        return target.Curve == cur ? Bearing::Simulated : Bearing::None;
    default:
        return Bearing::Simulated;
    }
}

// A worker's copy of the value a parameter stands for.
double& ValueIn(TCurveRun& run, const FitParam& target) {
    switch (target.Kind) {
    case FitParamKind::Conc:
        return run.Model.InitConc[target.Species];
    case FitParamKind::RFactor:
        return run.Model.RFactor[target.Species];
    case FitParamKind::Kfwd:
        return run.Model.Kfwd[target.Reaction];
    case FitParamKind::Krev:
        return run.Model.Krev[target.Reaction];
    case FitParamKind::RefIndex:
        return run.Inj.RefIndex[target.Slot];
    case FitParamKind::StartAll:
    case FitParamKind::StartCurve:
        return run.Inj.Start[target.Slot];
    case FitParamKind::StopAll:
    case FitParamKind::StopCurve:
        return run.Inj.Stop[target.Slot];
    case FitParamKind::Stock:
    case FitParamKind::SharedStock:
        break;
    }
    return run.Model.StockConc[target.Slot];
}

// The responses of one run of a curve over the points of a block: the base
// run (P 0) or the run with parameter P nudged.
struct Series {
    int P = 0;
    bool ResponseOnly = false;  // filled by the base run
    double* R = nullptr;
};

// One run of one curve, carried over the blocks of its round by one worker.
struct FitTask {
    int Curve = 0;
    int P = 0;            // 0: the base run, which also fills the response-only series
    int FirstSeries = 0;  // the base run: its curve's series; a nudged run: its own
    int SeriesCount = 0;
    TRunFailure Failure;
};

// A curve of a round: its series and tasks, base first, then by parameter.
struct RoundCurve {
    int Curve = 0;
    int FirstSeries = 0, SeriesCount = 0;
    int FirstTask = 0, TaskCount = 0;
};

struct FitContext {
    const TSensTabCore& Page;
    const bool* Feeds;
    const FitParam* Targets;
    const double* Nudged;
    const std::string& Caption;
    Series* SeriesList;
};

// Runs of one round at most (each holds a few kB of integrator).
constexpr int TaskBudget = 4096;

// Carries a run from point k0 up to point k1 - 1 (from its start when k0 is
// 0), storing its responses; a failure stops it where a serial run stops.
void AdvanceRun(const FitContext& c, FitTask& task, TCurveRun& run, int k0, int k1) {
    const int cur = task.Curve;
    if (k0 == 0) {
        run.Load(c.Page, cur);
        if (task.P != 0) ValueIn(run, c.Targets[task.P]) = c.Nudged[task.P];
        if (std::string split = SplitInjections(run.Model, run.Inj); !split.empty()) {
            task.Failure.Set(0, FitStoppedText, std::move(split), AnalyteCaption);
            return;
        }
    }
    const double* time = c.Page.Time[cur];
    const TPageModel& m = run.Model;
    const TCurveInj& inj = run.Inj;
    const int n = m.NumSpecies;
    double* y = run.Y;
    Series* own = c.SeriesList + task.FirstSeries;

    // The analyte species take their injected concentration from the start
    // of the injection and leave at its stop.
    auto applyInjections = [&](double t0) {
        for (int s = 0; s < n; ++s) {
            const int j = m.AnalyteInj[s];
            if (j < 0) continue;
            if (inj.Start[j] <= t0) y[s + 1] = inj.SpecConc[j][s];
            if (inj.Stop[j] <= t0) y[s + 1] = 0.0;
        }
    };
    // Integrates from t0 up to t, event by event.
    auto advance = [&](int stage, double t0, double t) -> bool {
        do {
            const double t1 = inj.NextEvent(c.Feeds, t0, t);
            applyInjections(t0);
            if (const char* err =
                    run.Solver.odeint(y, n, t0, t1, FitEps, std::min(t1 - t0, FitFirstStep), 0.0)) {
                task.Failure.Set(stage, err, err, c.Caption);
                return false;
            }
            t0 = t1;
        } while (t0 < t);
        return true;
    };
    // The response at point k; the base run adds those of the nudges that
    // only the response reads.
    auto take = [&](int k) {
        own[0].R[k - k0] = ResponseAt(m, inj, y, c.Feeds, time[k]);
        if (task.P != 0) return;
        for (int q = 1; q < task.SeriesCount; ++q) {
            if (!own[q].ResponseOnly) continue;
            double& v = ValueIn(run, c.Targets[own[q].P]);
            const double saved = v;
            v = c.Nudged[own[q].P];
            own[q].R[k - k0] = ResponseAt(m, inj, y, c.Feeds, time[k]);
            v = saved;
        }
    };

    int k = k0;
    if (k0 == 0) {
        // The first point, from before the injections of the analytes.
        double t0 = time[0];
        for (int j = 0; j < MaxInj; ++j)
            if (c.Feeds[j]) t0 = std::min({t0, inj.Start[j], inj.Stop[j]});
        for (int s = 0; s < n; ++s) y[s + 1] = m.AnalyteInj[s] >= 0 ? 0.0 : m.InitConc[s];
        if (t0 < time[0] && !advance(0, t0, time[0])) return;
        take(0);
        k = 1;
    }
    for (; k < k1; ++k) {
        if (!advance(k, time[k - 1], time[k])) return;
        take(k);
    }
}

} // namespace

const char* TSensTabCore::CalcFit(double* a, int ma, double** alpha, double* beta, double* chisq) {
    if (ma != FitParams || FitKind.empty()) return FitStoppedText;
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
    FitFault = CheckSimInput(modelFault);
    if (!FitFault.empty()) return FitFault.c_str();

    bool feeds[MaxInj];
    FeedingSlots(feeds);
    const std::string caption = "Simulation Error: Set " + std::to_string(Tag + 1);
    Chisq = 0;

    // Each nudge as a serial run makes it: the nudged value and the step it took.
    const auto entries = static_cast<std::size_t>(ma) + 1;
    OwnedArray<double> nudged, taken;
    if (!nudged.Reset(entries, 0.0) || !taken.Reset(entries, 0.0)) return "Memory Allocation Error";
    for (int p = 1; p <= ma; ++p) {
        if (FitKind[p] == KindOtherPage) continue;
        nudged[p] = *FitValue[p] + FitDelta[p];
        taken[p] = nudged[p] - *FitValue[p];
    }

    int dotted = 0;  // curves whose progress dot is shown
    auto dotsUpTo = [&](int cur) {
        for (; dotted <= cur && dotted < NumCurves; ++dotted)
            if (FitStatus) FitStatus->AppendStatus(".");
    };
    long long steps = 0, attempts = 0;
    struct Counted {
        long long &steps, &attempts;
        ~Counted() {
            StepCounts.Steps += steps;
            StepCounts.Attempts += attempts;
        }
    } counted{steps, attempts};

    // The included curves go in rounds: every run of every curve of a round
    // at once, then the sums in curve and point order, as one thread would
    // form them. A round keeps the responses of all points of its curves; a
    // curve that needs more than the budget goes alone, in blocks of points.
    const std::size_t budget = std::max<std::size_t>(FitResponseBudget, 1);
    for (int next = 0; next < NumCurves;) {
        // The round: its curves, their series and tasks, and their points.
        int end = next, last = next, seriesTotal = 0, taskTotal = 0, roundCurves = 0;
        std::size_t need = 0;
        for (; end < NumCurves; ++end) {
            if (Excluded[end]) continue;
            int series = 1, tasks = 1;
            for (int p = 1; p <= ma; ++p) {
                if (FitKind[p] == KindOtherPage) continue;
                const Bearing b = BearingOn(FitTarget[p], end);
                series += b != Bearing::None;
                tasks += b == Bearing::Simulated;
            }
            const std::size_t curveNeed = static_cast<std::size_t>(series) * PointCount[end];
            if (roundCurves > 0 && (need + curveNeed > budget || taskTotal + tasks > TaskBudget))
                break;
            need += curveNeed;
            last = end;
            seriesTotal += series;
            taskTotal += tasks;
            ++roundCurves;
        }
        if (roundCurves == 0) break;  // only excluded curves remain
        // A curve too long for the budget goes alone, block by block.
        const int points0 = PointCount[last];
        int block = 0;
        if (need > budget) {
            block = static_cast<int>(std::max<std::size_t>(1, budget / seriesTotal));
            need = static_cast<std::size_t>(seriesTotal) * block;
        }

        OwnedArray<RoundCurve> curves;
        OwnedArray<Series> series;
        OwnedArray<FitTask> tasks;
        // Not cleared: a run writes every response before the sums read it, so
        // the first touch of a large buffer falls to the workers, not to this thread.
        std::unique_ptr<double[]> responses(new (std::nothrow) double[need]);
        std::unique_ptr<TCurveRun[]> runs(new (std::nothrow) TCurveRun[taskTotal]);
        if (!runs || !curves.Reset(roundCurves, RoundCurve()) || !series.Reset(seriesTotal, Series()) ||
            !tasks.Reset(taskTotal, FitTask()) || !responses)
            return "Memory Allocation Error";
        {
            int rc = 0, si = 0, ti = 0;
            std::size_t offset = 0;
            for (int cur = next; cur < end; ++cur) {
                if (Excluded[cur]) continue;
                const std::size_t length = block > 0 ? block : PointCount[cur];
                RoundCurve& c = curves[rc++];
                c.Curve = cur;
                c.FirstSeries = si;
                c.FirstTask = ti;
                auto addSeries = [&](int p, bool responseOnly) {
                    series[si].P = p;
                    series[si].ResponseOnly = responseOnly;
                    series[si].R = responses.get() + offset;
                    offset += length;
                    return si++;
                };
                FitTask& base = tasks[ti++];
                base.Curve = cur;
                base.FirstSeries = addSeries(0, false);
                for (int p = 1; p <= ma; ++p) {
                    if (FitKind[p] == KindOtherPage) continue;
                    const Bearing b = BearingOn(FitTarget[p], cur);
                    if (b == Bearing::None) continue;
                    const int own = addSeries(p, b == Bearing::ResponseOnly);
                    if (b != Bearing::Simulated) continue;
                    FitTask& t = tasks[ti++];
                    t.Curve = cur;
                    t.P = p;
                    t.FirstSeries = own;
                    t.SeriesCount = 1;
                }
                c.SeriesCount = si - c.FirstSeries;
                c.TaskCount = ti - c.FirstTask;
                base.SeriesCount = c.SeriesCount;
            }
        }

        const FitContext context{*this, feeds, FitTarget.data(), nudged.data(), caption, series.data()};
        struct RoundCounts {
            const std::unique_ptr<TCurveRun[]>& runs;
            int count;
            long long &steps, &attempts;
            ~RoundCounts() {
                for (int t = 0; t < count; ++t) {
                    steps += runs[t].Solver.Stepper.Steps;
                    attempts += runs[t].Solver.Stepper.Attempts;
                }
            }
        } roundCounts{runs, taskTotal, steps, attempts};
        const int blocks = block > 0 ? (points0 + block - 1) / block : 1;
        for (int b = 0; b < blocks; ++b) {
            const int k0 = b * block;
            auto pointsEnd = [&](int cur) { return block > 0 ? std::min(k0 + block, points0) : PointCount[cur]; };
            ParallelFor(taskTotal, [&](int t) {
                FitTask& task = tasks[t];
                if (!task.Failure.Failed) AdvanceRun(context, task, runs[t], k0, pointsEnd(task.Curve));
            });

            for (int rc = 0; rc < roundCurves; ++rc) {
                const RoundCurve& c = curves[rc];
                const int cur = c.Curve;
                if (b == 0) dotsUpTo(cur);
                // The first failure a serial run meets: by point, then by run.
                const FitTask* failed = nullptr;
                for (int t = c.FirstTask; t < c.FirstTask + c.TaskCount; ++t)
                    if (tasks[t].Failure.Failed && (!failed || tasks[t].Failure.Stage < failed->Failure.Stage))
                        failed = &tasks[t];
                if (failed) {
                    if (!failed->Failure.Message.empty())
                        ShowMessage(failed->Failure.Message, failed->Failure.Caption);
                    return failed->Failure.Text;
                }
                if (b == 0) StoreSplit(runs[c.FirstTask].Inj, cur);

                const Series* s = &series[c.FirstSeries];
                for (int k = k0; k < pointsEnd(cur); ++k) {
                    const int at = k - k0;
                    const double r0 = s[0].R[at];
                    Sim[cur][k] = r0;
                    const double dy = Data[cur][k] - r0;
                    Chisq += dy * dy;
                    // Only the parameters with a series bear on the curve. Any
                    // other's derivative is exactly 0, and so are its terms: adding
                    // them leaves every sum as it was, so the terms of the bearing
                    // ones alone give the sums of all, bit for bit, at a cost that
                    // does not grow with the parameters of other curves. Not so
                    // where a residual or derivative is not finite (0 times it is
                    // not 0): such a point adds the terms of every parameter.
                    bool finite = std::isfinite(dy) && !FitDenseSums;
                    for (int q = 1; q < c.SeriesCount; ++q) {
                        const int p = s[q].P;
                        FitDeriv[p] = taken[p] != 0 ? (s[q].R[at] - r0) / taken[p] : 0.0;
                        finite = finite && std::isfinite(FitDeriv[p]);
                    }
                    if (finite) {
                        for (int q = 1; q < c.SeriesCount; ++q) {
                            const int j = s[q].P;
                            beta[j] += dy * FitDeriv[j];
                            for (int u = 1; u <= q; ++u) alpha[j][s[u].P] += FitDeriv[j] * FitDeriv[s[u].P];
                        }
                        continue;
                    }
                    for (int p = 1, q = 1; p <= ma; ++p) {
                        if (FitKind[p] == KindOtherPage) continue;
                        double r = r0;
                        if (q < c.SeriesCount && s[q].P == p) r = s[q++].R[at];
                        FitDeriv[p] = taken[p] != 0 ? (r - r0) / taken[p] : 0.0;
                    }
                    for (int j = 1; j <= ma; ++j) {
                        if (FitKind[j] == KindOtherPage) continue;
                        beta[j] += dy * FitDeriv[j];
                        for (int kk = 1; kk <= j; ++kk)
                            if (FitKind[kk] != KindOtherPage) alpha[j][kk] += FitDeriv[j] * FitDeriv[kk];
                    }
                }
            }
        }
        next = end;
    }
    dotsUpTo(NumCurves - 1);

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
