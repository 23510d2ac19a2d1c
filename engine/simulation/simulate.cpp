// The page's copy of the model, and the simulation of its curves from
// injection event to injection event and from data point to data point.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/dataset/senstab_core.h"
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

    model.NumCurves[k] = NumCurves;
    model.Excluded[k] = Excluded.data();
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
        model.StartFitMode[k][j] = StartFitMode[j];
        model.StopFitMode[k][j] = StopFitMode[j];
        for (const int mode : {StartFitMode[j], StopFitMode[j]}) {
            if (mode == 1) model.NumFitParams += 1;
            if (mode == 2) model.NumFitParams += included;
        }
        model.InjStart[k][j] = InjStart[j].data();
        model.InjStop[k][j] = InjStop[j].data();
        model.RefIndex[k][j] = RefIndex[j].data();
        model.FitRefIndex[k][j] = FitRefIndex[j].data();
        for (int i = 0; i < NumCurves; ++i)
            if (!Excluded[i] && FitRefIndex[j][i]) ++model.NumFitParams;
    }

    model.SpecConc[k] = &SpecConc;
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

double TSensTabCore::NextInjEvent(const bool feeds[MaxInj], int i, double t, double end) const {
    for (int j = 0; j < MaxInj; ++j) {
        if (!feeds[j]) continue;
        for (const double e : {InjStart[j][i], InjStop[j][i]})
            if (e > t && e < end) end = e;
    }
    return end;
}

double TSensTabCore::ResponseAt(const double* y, const bool stepSlots[MaxInj], int i, double t) const {
    double r = 0.0;
    for (int s = 0; s < NumSpecies; ++s)
        if (Response[s]) r += y[s + 1] * RFactor[s];
    for (int j = 0; j < MaxInj; ++j)
        if (stepSlots[j] && InjStart[j][i] <= t && t <= InjStop[j][i]) r += RefIndex[j][i];
    return r;
}

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
    if (!Allocate(NumSpecies)) return -10.0;
    struct Release {
        TSensTabCore& page;
        ~Release() { page.Deallocate(); }
    } release{*this};

    bool used[MaxInj];
    for (int j = 0; j < MaxInj; ++j) used[j] = InjUsed(j);
    if (!FindPolySeed()) return -10.0;

    const int n = NumSpecies;
    double* y = SpeciesState.get();
    // Slots that feed some species; only their times are events.
    bool feeds[MaxInj];
    FeedingSlots(feeds);

    for (int i = 0; i < NumCurves; ++i) {
        if (Excluded[i]) continue;
        if (!CalcSpecConc(i)) return -10.0;
        FlowFactor = std::pow(Flow[i], 1.0 / 3.0);

        auto segmentEnd = [&](double t, double end) { return NextInjEvent(feeds, i, t, end); };
        // Events act at a segment start: the injected species take their
        // concentration at a start, then leave at a stop.
        // Before the first data point only an exact hit counts.
        auto applyEvents = [&](double t, bool exact) {
            auto at = [&](double e) { return exact ? t == e : std::fabs(t - e) < EventWindow; };
            for (int s = 0; s < n; ++s) {
                const int j = AnalyteInj[s];
                if (j < 0) continue;
                if (at(InjStart[j][i])) y[s + 1] = SpecConc[j][s][i];
                if (at(InjStop[j][i])) y[s + 1] = 0.0;
            }
        };
        auto integrate = [&](double t, double end, double h) -> bool {
            if (const char* err = odeint(y, n, t, end, SimEps, h, 0.0)) {
                ShowMessage(err, caption);
                return false;
            }
            return true;
        };
        auto store = [&](int k) -> bool {
            const double r = ResponseAt(y, used, i, Time[i][k]);
            Sim[i][k] = r;
            if (Loaded) Chisq += (r - Data[i][k]) * (r - Data[i][k]);
            if (!std::isfinite(r)) {
                ShowMessage(Numbered("The simulation of curve %d gave a response that is not a number",
                                     i + 1), caption);
                return false;
            }
            return true;
        };

        const double t0 = Time[i][0];
        double t = t0;
        for (int j = 0; j < MaxInj; ++j) {
            if (!feeds[j]) continue;
            t = std::min({t, InjStart[j][i], InjStop[j][i]});
        }
        for (int s = 0; s < n; ++s) y[s + 1] = AnalyteInj[s] >= 0 ? 0.0 : InitConc[s];

        while (t < t0) {
            const double end = segmentEnd(t, t0);
            applyEvents(t, true);
            if (!integrate(t, end, std::min(end - t, LeadInFirstStep))) return -1.0;
            t = end;
        }
        if (!store(0)) return -1.0;

        for (int k = 0; k + 1 < PointCount[i]; ++k) {
            const double next = Time[i][k + 1];
            t = Time[i][k];
            do {
                applyEvents(t, false);
                const double end = t < next ? segmentEnd(t, next) : next;
                if (!integrate(t, end, end - t)) return -1.0;
                t = end;
            } while (t != next);
            if (!store(k + 1)) return -1.0;
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
