// A Monte Carlo run of 100 cycles on the fit benchmark's page (fit6x1000:
// 6 curves x 1000 points of 1:1 binding) with kfwd, krev and the initial B
// floated, start values spread by 10 %, without and with fresh noise of
// 0.5 RU each cycle.
#include <benchmark/benchmark.h>

#include <string>

#include "engine/model/model_sync.h"
#include "engine/session/mainform_core.h"
#include "tests/support/fit_fixture.h"

using namespace kivra;

namespace {

class BenchForm : public TMainFormCore {
public:
    test::OneToOneSetup Setup;

protected:
    bool ReadPanels(TModelData& m) override {
        BeginModelSync(m, m.NumSets);
        test::ApplyOneToOneLines(m, Setup, Setup.Ka, Setup.Kd, 1, Setup.Rmax);
        return true;
    }
};

void BM_MonteCarlo100(benchmark::State& state, bool noise) {
    BenchForm form;
    form.Setup.Points = 1000;
    form.Setup.Interval = 1.0;
    form.Setup.FitRFactor = false;
    form.Setup.FitRmax = true;
    TSensTabCore& page = *form.AddPage();
    test::MakeOneToOnePage(page, form.Setup);
    if (!test::ReadFitBenchData(std::string(KIVRA_BENCH_DATA) + "/fit6x1000.txt", page)) {
        state.SkipWithError("fit6x1000.txt not readable");
        return;
    }
    form.MonteBoxes = {"100", "50", "10", noise ? "0.5" : "", noise};
    for (auto _ : state) {
        ResetRandom(-11);
        form.MonteUnsaved = false;  // no question between runs
        form.RunMonteButtonClick();
    }
    if (form.MonteSucceeded != 100) state.SkipWithError("not every cycle succeeded");
    state.counters["cycles"] = form.MonteCycles;
    state.counters["succeeded"] = form.MonteSucceeded;
    for (std::size_t k = 0; k < form.Histograms.size() && k < 3; ++k) {
        const char* names[] = {"B", "kfwd", "krev"};
        state.counters[std::string(names[k]) + "_mean"] = form.Histograms[k]->Mean;
        state.counters[std::string(names[k]) + "_sd"] = form.Histograms[k]->StdDev;
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_MonteCarlo100, start_spread, false)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_MonteCarlo100, start_spread_and_noise, true)->Unit(benchmark::kSecond)->Iterations(1);
