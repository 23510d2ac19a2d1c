#pragma once
// A one-page 1:1 binding experiment for fit tests: A (injected in slot 1) +
// B (surface sites, initially Rmax) = C (seen with its response factor), data
// from the exact response plus optional Gaussian noise of the program's generator.
// Header only: the benchmarks use it without the test framework.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/fit/fit_engine.h"
#include "engine/fit/fit_loop.h"
#include "engine/model/model_data.h"
#include "engine/model/model_sync.h"
#include "engine/numeric/randoms.h"
#include "engine/dataset/senstab_core.h"
#include "tests/support/sim_models.h"

namespace kivra::test {

struct OneToOneSetup {
    double Ka = 1e5, Kd = 1e-3, Rmax = 100;
    std::vector<double> Conc = {3.125e-9, 6.25e-9, 1.25e-8, 2.5e-8, 5e-8, 1e-7};
    int Points = 241;
    double Interval = 2.5;
    double InjStart = 100, InjStop = 400;
    bool FitKa = true, FitKd = true, FitRFactor = true, FitRmax = false;
};

// The exact response of a curve at time t.
double OneToOneResponse(const OneToOneSetup& s, double conc, double t);

// Makes the page's curves and injections and loads the exact response.
void MakeOneToOnePage(TSensTabCore& page, const OneToOneSetup& s);
// Each curve's injection starts shift later than the one before, and the
// data get Gaussian noise of sd from a fixed seed.
void StaggerAndNoise(TSensTabCore& page, double shift, double sd);
// The panel lines of the scheme with the given values, floated as s asks.
void OneToOneLines(const OneToOneSetup& s, double ka, double kd, double rfactor, double rmax,
                   std::vector<ReactionLine>& reactions, std::vector<SpeciesLine>& species);
// Reads the scheme into the model as the panels would (after BeginModelSync):
// kfwd, krev, the R factor of C and the initial B, floated as s asks.
void ApplyOneToOneLines(TModelData& model, const OneToOneSetup& s, double ka, double kd,
                        double rfactor, double rmax);

// The page (loaded, exact data) and the model synchronised with it (NumSets 1,
// counts from the editors' rules and the page).
struct OneToOneExperiment {
    OneToOneExperiment(int points, double interval, long seed);
    // Replaces the data by the exact response plus noise of sd.
    void Noise(double sd);
    // Hands new model values over as the model page would: kfwd, krev, the R
    // factor of C and the initial B.
    void SetValues(double ka, double kd, double rfactor, double rmax);

    OneToOneSetup Setup;
    TModelData Model;
    TSensTabCore Page;
};

// A page whose species panel holds the set's local species lines.
class PanelPage : public TSensTabCore {
public:
    void GetPanelSpecies(TModelData& model) override { ApplySetSpeciesLines(model, Tag, localLines); }
    std::vector<SpeciesLine> localLines;
};

// Asks the fit to stop once it has shown a given number of steps, and
// counts the progress dots of the pages.
class StopAfter : public FitProgress {
public:
    explicit StopAfter(int steps) : steps_(steps) {}
    void StepShown(double) override { ++shown_; }
    bool StopRequested() override { return shown_ >= steps_; }
    void AppendStatus(const std::string&) override { ++Dots; }
    int Dots = 0;

private:
    int steps_, shown_ = 0;
};

// ---- definitions ----

inline double OneToOneResponse(const OneToOneSetup& s, double conc, double t) {
    if (t <= s.InjStart) return 0;
    const double kobs = s.Ka * conc + s.Kd;
    const double plateau = s.Rmax * s.Ka * conc / kobs;
    const double bound = plateau * (1 - std::exp(-kobs * (std::min(t, s.InjStop) - s.InjStart)));
    return t <= s.InjStop ? bound : bound * std::exp(-s.Kd * (t - s.InjStop));
}

namespace detail {

inline std::string Text(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

} // namespace detail

inline void MakeOneToOnePage(TSensTabCore& page, const OneToOneSetup& s) {
    const int curves = static_cast<int>(s.Conc.size());
    MakeSet(page, curves, s.Points, s.Interval);
    for (int i = 0; i < curves; ++i) Inject(page, 0, i, s.InjStart, s.InjStop, s.Conc[i]);
    page.Loaded = true;
    for (int i = 0; i < curves; ++i)
        for (int k = 0; k < page.PointCount[i]; ++k)
            page.Data[i][k] = OneToOneResponse(s, s.Conc[i], page.Time[i][k]);
}

inline void StaggerAndNoise(TSensTabCore& page, double shift, double sd) {
    ResetRandom(-17);
    for (int i = 0; i < page.NumCurves; ++i) {
        page.InjStart[0][i] += shift * i;
        for (int k = 0; k < page.PointCount[i]; ++k) page.Data[i][k] += sd * GaussRandom(&RandomSeed());
    }
}

inline void OneToOneLines(const OneToOneSetup& s, double ka, double kd, double rfactor, double rmax,
                          std::vector<ReactionLine>& reactions, std::vector<SpeciesLine>& species) {
    ReactionLine r;
    r.ReactA = 0;
    r.ReactB = 1;
    r.Product = 2;
    r.KfwdText = detail::Text(ka);
    r.KrevText = detail::Text(kd);
    r.FitKfwd = s.FitKa;
    r.FitKrev = s.FitKd;
    reactions = {r};
    // Names are moved in whole: assigning a literal trips a false overlap
    // warning of the optimiser.
    SpeciesLine a, b, c;
    a.Name = std::string(1, 'A');
    a.Inj = 0;
    b.Name = std::string(1, 'B');
    b.InitConcText = detail::Text(rmax);
    b.FitConc = s.FitRmax;
    c.Name = std::string(1, 'C');
    c.Response = true;
    c.RFactorText = detail::Text(rfactor);
    c.FitRFactor = s.FitRFactor;
    species = {a, b, c};
}

inline void ApplyOneToOneLines(TModelData& model, const OneToOneSetup& s, double ka, double kd,
                               double rfactor, double rmax) {
    std::vector<ReactionLine> reactions;
    std::vector<SpeciesLine> species;
    OneToOneLines(s, ka, kd, rfactor, rmax, reactions, species);
    ApplyReactionLines(model, reactions);
    ApplyModelSpeciesLines(model, species);
}

inline OneToOneExperiment::OneToOneExperiment(int points, double interval, long seed) {
    ResetRandom(seed);
    Setup.Points = points;
    Setup.Interval = interval;
    MakeOneToOnePage(Page, Setup);
    SetValues(Setup.Ka, Setup.Kd, 1, Setup.Rmax);
}

inline void OneToOneExperiment::Noise(double sd) {
    for (int i = 0; i < Page.NumCurves; ++i)
        for (int k = 0; k < Page.PointCount[i]; ++k)
            Page.Data[i][k] = OneToOneResponse(Setup, Setup.Conc[i], Page.Time[i][k]) +
                              (sd > 0 ? sd * GaussRandom(&RandomSeed()) : 0.0);
}

inline void OneToOneExperiment::SetValues(double ka, double kd, double rfactor, double rmax) {
    BeginModelSync(Model, 1);
    ApplyOneToOneLines(Model, Setup, ka, kd, rfactor, rmax);
    Page.SetModel(Model);
}

// Takes the responses of the fit6x1000 bench data file (6 curves x 1000
// points, times 0..999 s) into a page made by OneToOneExperiment(1000, 1, ...);
// false when the file cannot be loaded or its times differ from the page's.
inline bool ReadFitBenchData(const std::string& path, TSensTabCore& page) {
    TSensTabCore file;
    if (!file.LoadSens(path) || file.NumCurves != page.NumCurves) return false;
    for (int i = 0; i < page.NumCurves; ++i) {
        if (file.PointCount[i] != page.PointCount[i]) return false;
        for (int k = 0; k < page.PointCount[i]; ++k) {
            if (file.Time[i][k] != page.Time[i][k]) return false;
            page.Data[i][k] = file.Data[i][k];
        }
    }
    return true;
}

// How far the model's values lie from the minimum of the pages' sum: the
// Gauss-Newton step from them in standard errors, the longest over the
// floated parameters (infinity when it cannot be had).
inline double GaussNewtonStepInErrors(std::span<TSensTabCore* const> pages, TModelData& model) {
    FitProgress quiet;
    FitRun run(pages, model, quiet);
    if (!run.Prepare()) return HUGE_VAL;
    const int n = run.N;
    Vector1 beta(1, n);
    Matrix1 step(1, n, 1, 1);
    double chisq = 0, longest = 0;
    if (FitAccumulate(run.Host, run.A.get(), n, run.Alpha.get(), beta.get(), &chisq)) return HUGE_VAL;
    for (int k = 1; k <= n; ++k) step[k][1] = beta[k];
    // Alpha becomes its inverse, the covariance over the residual variance.
    if (GaussJordanSolve(run.Alpha.get(), n, step.get(), 1)) return HUGE_VAL;
    if (model.NumDataPoints <= n) return HUGE_VAL;
    const double sd = std::sqrt(chisq / (model.NumDataPoints - n));
    for (int k = 1; k <= n; ++k) {
        // std::max would drop a NaN and pass a measurement that failed.
        const double open = std::fabs(step[k][1]) / (sd * std::sqrt(run.Alpha[k][k]));
        if (!std::isfinite(open)) return HUGE_VAL;
        longest = std::max(longest, open);
    }
    return longest;
}

} // namespace kivra::test
