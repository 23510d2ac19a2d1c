// Fits of one page of 6 curves x 1000 points of 1:1 binding to convergence:
// the fit6x1000 bench data with kfwd, krev and the initial B floated from
// threefold start values, and the same data with kfwd, krev and the R factor
// of C floated.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/fit/fit_loop.h"
#include "engine/dataset/senstab_core.h"
#include "tests/support/fit_fixture.h"

using namespace kivra;

namespace {

constexpr int Points = 1000;

void BM_FitOneToOne(benchmark::State& state, bool floatB) {
    test::OneToOneExperiment x(Points, 1.0, -1);
    x.Setup.FitRFactor = !floatB;
    x.Setup.FitRmax = floatB;
    if (!test::ReadFitBenchData(std::string(KIVRA_BENCH_DATA) + "/fit6x1000.txt", x.Page)) {
        state.SkipWithError("fit6x1000.txt not readable");
        return;
    }
    std::vector<TSensTabCore*> pages{&x.Page};
    FitProgress progress;
    FitLoopResult result;
    long evaluations = 0;
    int n = 0;
    double chisq = 0, values[4] = {}, errors[4] = {};
    for (auto _ : state) {
        if (floatB) x.SetValues(3e5, 3e-3, 1, 300);
        else x.SetValues(3e5, 3e-3, 3, 100);
        FitRun run(pages, x.Model, progress);
        if (!run.Prepare()) {
            state.SkipWithError("fit could not be prepared");
            return;
        }
        result = run.Run();
        n = run.N;
        chisq = run.Chisq;
        evaluations = run.Host.Evaluations();
        const double sd = std::sqrt(chisq / (x.Model.NumDataPoints - n));
        for (int k = 1; k <= n && k <= 3; ++k) {
            values[k] = run.A[k];
            errors[k] = std::sqrt(run.Covariance[k][k]) * sd;
        }
        run.Finish(true);
    }
    if (result.End != FitEnd::Converged) state.SkipWithError("fit did not converge");
    // The Gauss-Newton step still open at the end, in standard errors.
    const double open = test::GaussNewtonStepInErrors(pages, x.Model);
    if (!(open < 0.01)) state.SkipWithError("fit stopped short of its minimum");
    state.counters["gn_step_se"] = open;
    state.counters["steps"] = result.Steps;
    state.counters["page_evaluations"] = static_cast<double>(evaluations);
    // Each evaluation simulates the page once plus once per floated parameter.
    state.counters["page_simulations"] = static_cast<double>(evaluations) * (n + 1);
    state.counters["ssq"] = chisq;
    // In parameter order: species first (B or the R factor of C), then kfwd, krev.
    state.counters[floatB ? "B" : "Rfac"] = values[1];
    state.counters["kfwd"] = values[2];
    state.counters["krev"] = values[3];
    state.counters["kfwd_err"] = errors[2];
    state.counters["krev_err"] = errors[3];
    state.counters[floatB ? "B_err" : "Rfac_err"] = errors[1];
}

} // namespace

BENCHMARK_CAPTURE(BM_FitOneToOne, kfwd_krev_B, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FitOneToOne, kfwd_krev_Rfactor, false)->Unit(benchmark::kMillisecond);
