// Fits of the sizes users wait for, 1:1 binding behind a mass-transport step
// with each curve's bulk refractive-index step floated. The real-sized page
// is 6 curves x 4 800 points at 0.1 s; the global fits of many curves take
// 6, 20, 60 or 100 curves x 10 000 points, the six concentrations repeated
// as replicates, each curve with its own step (4 + curves parameters). The
// data are the program's own simulation at the true values plus Gaussian
// noise of 0.5 RU from a fixed seed; the fit starts from every value three
// times too large. Threads follow KIVRA_THREADS.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/dataset/senstab_core.h"
#include "engine/fit/fit_loop.h"
#include "engine/model/model_sync.h"
#include "engine/numeric/randoms.h"
#include "tests/support/fit_fixture.h"
#include "tests/support/sim_models.h"

using namespace kivra;

namespace {

constexpr int RealCurves = 6, RealPoints = 4800;
constexpr int ManyPoints = 10000;
constexpr double Interval = 0.1;  // s
constexpr double Flow = 30;       // the transport step runs at 30^(1/3) times its constant
constexpr double InjStart = 60, InjStop = 300;
constexpr double Km = 3e6, Ka = 2e5, Kd = 1e-3, Rmax = 100, Bulk = 2;
constexpr int Levels = 6;  // concentrations of a series, doubling

std::string Text(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

// A (injected) = As (A at the surface) by transport; As + B = AB.
void SetModel(TModelData& model, TSensTabCore& page, double scale) {
    BeginModelSync(model, 1);
    std::vector<ReactionLine> reactions;
    std::vector<SpeciesLine> species;
    test::TransportSchemeLines(Text(Km * scale), Text(Ka * scale), Text(Kd * scale), Text(Rmax * scale),
                               reactions, species);
    ApplyReactionLines(model, reactions);
    ApplyModelSpeciesLines(model, species);
    for (int i = 0; i < page.NumCurves; ++i)
        page.RefIndex[0][i] = Bulk * std::ldexp(1.0, i % Levels - Levels + 1) * scale;
    page.SetModel(model);
}

bool MakeExperiment(TModelData& model, TSensTabCore& page, int curves, int points) {
    if (!test::MakeSet(page, curves, points, Interval)) return false;
    for (int i = 0; i < curves; ++i) {
        test::Inject(page, 0, i, InjStart, InjStop, 1.25e-9 * std::ldexp(1.0, i % Levels));
        page.Flow[i] = Flow;
        page.FitRefIndex[0][i] = true;
    }
    SetModel(model, page, 1);
    if (page.RunModel() < 0) return false;
    ResetRandom(-2024);
    for (int i = 0; i < curves; ++i)
        for (int k = 0; k < points; ++k) page.Data[i][k] = page.Sim[i][k] + 0.5 * GaussRandom(&RandomSeed());
    page.Loaded = true;
    return true;
}

void FitFromThreefold(benchmark::State& state, int curves, int points) {
    TModelData model;
    TSensTabCore page;
    if (!MakeExperiment(model, page, curves, points)) {
        state.SkipWithError("the experiment could not be simulated");
        return;
    }
    std::vector<TSensTabCore*> pages{&page};
    FitProgress progress;
    FitLoopResult result;
    long evaluations = 0;
    double chisq = 0, values[5] = {};
    for (auto _ : state) {
        SetModel(model, page, 3);
        FitRun run(pages, model, progress);
        if (!run.Prepare()) {
            state.SkipWithError("fit could not be prepared");
            return;
        }
        result = run.Run();
        chisq = run.Chisq;
        evaluations = run.Host.Evaluations();
        for (int k = 1; k <= 4 && k <= run.N; ++k) values[k] = run.A[k];
        run.Finish(true);
    }
    if (result.End != FitEnd::Converged) state.SkipWithError("fit did not converge");
    // The Gauss-Newton step still open at the end, in standard errors.
    const double open = test::GaussNewtonStepInErrors(pages, model);
    if (!(open < 0.01)) state.SkipWithError("fit stopped short of its minimum");
    state.counters["gn_step_se"] = open;
    state.counters["steps"] = result.Steps;
    state.counters["page_evaluations"] = static_cast<double>(evaluations);
    state.counters["ssq"] = chisq;
    // In parameter order: B, then km, kfwd, krev.
    state.counters["B"] = values[1];
    state.counters["km"] = values[2];
    state.counters["kfwd"] = values[3];
    state.counters["krev"] = values[4];
}

void BM_FitRealSize(benchmark::State& state) { FitFromThreefold(state, RealCurves, RealPoints); }

// The argument is the number of curves.
void BM_FitManyCurves(benchmark::State& state) {
    FitFromThreefold(state, static_cast<int>(state.range(0)), ManyPoints);
}

} // namespace

BENCHMARK(BM_FitRealSize)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_FitManyCurves)->Arg(6)->Arg(20)->Arg(60)->Arg(100)->Unit(benchmark::kMillisecond)->Iterations(1);
