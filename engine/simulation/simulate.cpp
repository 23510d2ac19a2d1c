// The page's copy of the model, and the simulation of its curves from
// injection event to injection event and from data point to data point.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/dataset/senstab_core.h"
#include "engine/numeric/parallel.h"
#include "engine/simulation/curve_run.h"
#include "platform/core/messages.h"

namespace kivra {

namespace {

constexpr double SimEps = 1e-8;
constexpr double LeadInFirstStep = 10.0;  // s
constexpr double EventWindow = 0.0001;    // s: an event this close to a segment start acts there

bool BadAmount(double v) { return !std::isfinite(v) || v < 0; }

std::string Numbered(const char* format, int a, int b = 0) {
    char text[128];
    std::snprintf(text, sizeof text, format, a, b);
    return text;
}

} // namespace

void TSensTabCore::SetModel(TModelData& model) {
    const int k = Tag;
    if (k < 0 || k >= MaxSets) return;  // a page outside the record has nowhere to publish
    GetPanelSpecies(model);

    for (int s = 0; s < MaxSpecies; ++s) {
        const int row = model.SpecLocal[s] ? k : 0;
        AnalyteInj[s] = model.AnalyteInj[row][s];
        InitConc[s] = model.InitConc[row][s];
        FitConc[s] = model.FitConc[row][s];
        Response[s] = model.Response[row][s];
        RFactor[s] = model.RFactor[s];
        FitRFactor[s] = model.FitRFactor[s];
    }
    static_cast<TReactionScheme&>(*this) = model;

    PublishArrays(model);
    int included = 0;
    for (int i = 0; i < NumCurves; ++i) {
        if (Excluded[i]) continue;
        ++included;
        if (PointCount[i] > 1) model.NumDataPoints += PointCount[i] - 1;
    }

    for (int j = 0; j < MaxInj; ++j) {
        StockGlobal[j] = model.StockGlobal[j];
        FitStockGlobal[j] = model.FitStockGlobal[j];
        if (StockGlobal[j]) {
            StockConc[j] = model.StockConc[0][j];
        } else {
            model.StockConc[k][j] = StockConc[j];
            model.FitStockLocal[k][j] = FitStockLocal[j];
            if (FitStockLocal[j]) ++model.NumFitParams;
        }
    }
    for (int j = 0; j < MaxInj; ++j) {
        for (const int mode : {StartFitMode[j], StopFitMode[j]}) {
            if (mode == 1) model.NumFitParams += 1;
            if (mode == 2) model.NumFitParams += included;
        }
        for (int i = 0; i < NumCurves; ++i)
            if (!Excluded[i] && FitRefIndex[j][i]) ++model.NumFitParams;
    }

    // A damaged model file must not make the page index past its arrays.
    NumSpecies = std::clamp(model.NumSpecies, 0, MaxSpecies);
    NumReactions = std::clamp(model.NumReactions, 0, MaxReactions);
    model.DataFile[k] = Loaded ? CaptionText : std::string();
    model.TotalChisq += Chisq;

    if (NumCurves != 0 && NumPoints != 0 && FindPolySeed()) {
        for (int i = 0; i < NumCurves; ++i)
            if (!Excluded[i] && !CalcSpecConc(i)) break;
    }
}

void TSensTabCore::PublishArrays(TModelData& model) {
    const int k = Tag;
    if (k < 0 || k >= MaxSets) return;
    model.NumCurves[k] = NumCurves;
    model.Excluded[k] = Excluded.data();
    model.SpecConc[k] = &SpecConc;
    for (int j = 0; j < MaxInj; ++j) {
        model.StartFitMode[k][j] = StartFitMode[j];
        model.StopFitMode[k][j] = StopFitMode[j];
        model.InjStart[k][j] = InjStart[j].data();
        model.InjStop[k][j] = InjStop[j].data();
        model.RefIndex[k][j] = RefIndex[j].data();
        model.FitRefIndex[k][j] = FitRefIndex[j].data();
    }
}

std::string TSensTabCore::CheckSimInput(bool& modelFault) const {
    auto species = [&](int s) { return s >= -1 && s < NumSpecies; };
    modelFault = true;
    for (int r = 0; r < NumReactions; ++r)
        if (Product[r] >= 0 && !(species(ReactA[r]) && species(ReactB[r]) && species(Product[r])))
            return Numbered("Reaction %d uses a species that is not in the model", r + 1);
    for (int s = 0; s < NumSpecies; ++s)
        if (AnalyteInj[s] < -1 || AnalyteInj[s] >= MaxInj)
            return Numbered("Species %d is fed by an injection that does not exist", s + 1);

    modelFault = false;
    for (int r = 0; r < NumReactions; ++r) {
        double kf, kr;
        ResolveRates(r, kf, kr);
        if (Product[r] >= 0 && (BadAmount(kf) || BadAmount(kr)))
            return Numbered("Negative or non-finite rate constant in reaction %d", r + 1);
    }
    for (int s = 0; s < NumSpecies; ++s)
        if (AnalyteInj[s] < 0 && BadAmount(InitConc[s]))
            return Numbered("Negative or non-finite initial concentration of species %d", s + 1);
    for (int i = 0; i < NumCurves; ++i) {
        if (Excluded[i]) continue;
        if (PointCount[i] < 1 || static_cast<std::size_t>(PointCount[i]) > Time.numCols())
            return Numbered("Curve %d has no points or more than its arrays hold", i + 1);
        if (BadAmount(Flow[i])) return Numbered("Negative or non-finite flow in curve %d", i + 1);
        for (int k = 0; k < PointCount[i]; ++k)
            if (!std::isfinite(Time[i][k])) return Numbered("Non-finite time in curve %d", i + 1);
        for (int j = 0; j < MaxInj; ++j) {
            if (!std::isfinite(InjStart[j][i]) || !std::isfinite(InjStop[j][i]))
                return Numbered("Non-finite injection time in injection %d, curve %d", j + 1, i + 1);
            if (BadAmount(SlotTotal(j, i)))
                return Numbered("Negative or non-finite concentration in injection %d, curve %d",
                                j + 1, i + 1);
        }
    }
    return {};
}

void TSensTabCore::FeedingSlots(bool feeds[MaxInj]) const {
    for (int j = 0; j < MaxInj; ++j) feeds[j] = false;
    for (int s = 0; s < NumSpecies; ++s)
        if (AnalyteInj[s] >= 0 && AnalyteInj[s] < MaxInj) feeds[AnalyteInj[s]] = true;
}

namespace {

// What the simulation of one curve left for the calling thread.
struct CurveOutcome {
    int Stored = 0;     // points whose response went into Sim
    double Code = 0.0;  // the result of a failed run: -1.0 or -10.0
    TRunFailure Failure;
    long long Steps = 0, Attempts = 0;
};

// Simulates curve i into Sim[i] on the calling worker. It writes only curve
// i's row of Sim and its column of SpecConc; every failure is left in out
// for the calling thread to show.
void SimulateCurve(TSensTabCore& page, int i, const bool used[MaxInj], const bool feeds[MaxInj],
                   const std::string& caption, CurveOutcome& out) {
    TCurveRun run;
    run.Load(page, i);
    const TPageModel& m = run.Model;
    const TCurveInj& inj = run.Inj;
    const int n = m.NumSpecies;
    double* y = run.Y;
    const double* time = page.Time[i];
    double* sim = page.Sim[i];
    struct Counts {
        CurveOutcome& out;
        const TStepperState& st;
        ~Counts() {
            out.Steps = st.Steps;
            out.Attempts = st.Attempts;
        }
    } counts{out, run.Solver.Stepper};

    const std::string split = SplitInjections(run.Model, run.Inj);
    page.StoreSplit(run.Inj, i);
    if (!split.empty()) {
        out.Code = -10.0;
        out.Failure.Set(0, nullptr, split, AnalyteCaption);
        return;
    }

    // Events act at a segment start: the injected species take their
    // concentration at a start, then leave at a stop.
    // Before the first data point only an exact hit counts.
    auto applyEvents = [&](double t, bool exact) {
        auto at = [&](double e) { return exact ? t == e : std::fabs(t - e) < EventWindow; };
        for (int s = 0; s < n; ++s) {
            const int j = m.AnalyteInj[s];
            if (j < 0) continue;
            if (at(inj.Start[j])) y[s + 1] = inj.SpecConc[j][s];
            if (at(inj.Stop[j])) y[s + 1] = 0.0;
        }
    };
    auto integrate = [&](int k, double t, double end, double h) -> bool {
        if (const char* err = run.Solver.odeint(y, n, t, end, SimEps, h, 0.0)) {
            out.Code = -1.0;
            out.Failure.Set(k, err, err, caption);
            return false;
        }
        return true;
    };
    auto store = [&](int k) -> bool {
        const double r = ResponseAt(m, inj, y, used, time[k]);
        sim[k] = r;
        out.Stored = k + 1;
        if (!std::isfinite(r)) {
            out.Code = -1.0;
            out.Failure.Set(k, nullptr,
                            Numbered("The simulation of curve %d gave a response that is not a number", i + 1),
                            caption);
            return false;
        }
        return true;
    };

    const double t0 = time[0];
    double t = t0;
    for (int j = 0; j < MaxInj; ++j) {
        if (!feeds[j]) continue;
        t = std::min({t, inj.Start[j], inj.Stop[j]});
    }
    for (int s = 0; s < n; ++s) y[s + 1] = m.AnalyteInj[s] >= 0 ? 0.0 : m.InitConc[s];

    while (t < t0) {
        const double end = inj.NextEvent(feeds, t, t0);
        applyEvents(t, true);
        if (!integrate(0, t, end, std::min(end - t, LeadInFirstStep))) return;
        t = end;
    }
    if (!store(0)) return;

    for (int k = 0; k + 1 < page.PointCount[i]; ++k) {
        const double next = time[k + 1];
        t = time[k];
        do {
            applyEvents(t, false);
            const double end = t < next ? inj.NextEvent(feeds, t, next) : next;
            if (!integrate(k + 1, t, end, end - t)) return;
            t = end;
        } while (t != next);
        if (!store(k + 1)) return;
    }
}

} // namespace

double TSensTabCore::RunModel() {
    Modelled = false;
    Chisq = 0;
    const std::string caption = "Simulation Error: Set " + std::to_string(Tag + 1);

    if (NumCurves < 1 || NumPoints < 1) {
        ShowMessage(Loaded ? "Incomplete Data" : "Please load data set or select New to create a new one",
                    caption);
        return -1.0;
    }
    if (NumReactions < 1) {
        ShowMessage("Need at least one reaction", caption);
        return -10.0;
    }
    if (NumSpecies < 1) {
        ShowMessage("Need at least one reactant", caption);
        return -10.0;
    }
    bool modelFault = false;
    if (const std::string fault = CheckSimInput(modelFault); !fault.empty()) {
        ShowMessage(fault, caption);
        return modelFault ? -10.0 : -1.0;
    }

    bool used[MaxInj];
    for (int j = 0; j < MaxInj; ++j) used[j] = InjUsed(j);
    if (!FindPolySeed()) return -10.0;
    // Slots that feed some species; only their times are events.
    bool feeds[MaxInj];
    FeedingSlots(feeds);

    OwnedArray<CurveOutcome> outcomes;
    if (!outcomes.Reset(static_cast<std::size_t>(NumCurves), CurveOutcome())) {
        ShowMessage("Memory Allocation Error", "Run Simulation Error");
        return -10.0;
    }
    // The curves are independent; each worker writes only its own curve.
    ParallelFor(NumCurves, [&](int i) {
        if (!Excluded[i]) SimulateCurve(*this, i, used, feeds, caption, outcomes[i]);
    });

    // Counted and summed in curve order, as one thread would have; the first
    // failing curve is the one reported.
    for (int i = 0; i < NumCurves; ++i) {
        StepCounts.Steps += outcomes[i].Steps;
        StepCounts.Attempts += outcomes[i].Attempts;
    }
    for (int i = 0; i < NumCurves; ++i) {
        if (Excluded[i]) continue;
        const CurveOutcome& out = outcomes[i];
        if (Loaded)
            for (int k = 0; k < out.Stored; ++k) Chisq += (Sim[i][k] - Data[i][k]) * (Sim[i][k] - Data[i][k]);
        if (out.Failure.Failed) {
            ShowMessage(out.Failure.Message, out.Failure.Caption);
            return out.Code;
        }
    }

    if (!std::isfinite(Chisq)) {
        ShowMessage("The sum of squares is not a finite number", caption);
        return -1.0;
    }
    Modelled = true;
    SimulationChanged();
    return Chisq;
}

} // namespace kivra
