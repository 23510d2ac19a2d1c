// Repaint of a large data set: 10 curves of 100 000 points each, measured
// and simulated, drawn into the plot's off-screen picture as on screen.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdlib>

#include "widgets/plot.h"
#include "engine/numeric/randoms.h"
#include "tests/support/plot_curves.h"

using namespace kivra;

namespace {

void EnsureApp() {
    static int argc = 1;
    static char name[] = "kivra_bench_gui";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        return new QApplication(argc, argv);
    }();
    (void)app;
}

// Association and dissociation curves at ten concentrations, with noise.
test::PlotCurves& BigSet() {
    static test::PlotCurves curves = [] {
        long seed = -7;
        auto sim = [](int k, int i) {
            const double t = i * 0.01;  // 1000 s
            const double top = 20.0 * (k + 1);
            return t < 400 ? top * (1 - std::exp(-t / 60)) : top * (1 - std::exp(-400.0 / 60)) * std::exp(-(t - 400) / 300);
        };
        return test::PlotCurves(10, 100000, [](int, int i) { return i * 0.01; },
                                [&](int k, int i) { return sim(k, i) + 0.8 * (UniformRandom(&seed) - 0.5); },
                                sim);
    }();
    return curves;
}

void Repaint(benchmark::State& state, bool residuals) {
    EnsureApp();
    test::PlotCurves& c = BigSet();
    TPlot plot;
    plot.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    plot.SetDataPtrs(c.Curves, c.Data.rows(), c.Sim.rows(), c.Time.rows(), c.Flags.rows(), c.Excluded.data(),
                     c.Count.data(), nullptr, nullptr, nullptr);
    plot.SetShowData(true);
    plot.SetShowSim(true);
    plot.SetTitle("Set 1");
    plot.SetRes(residuals);
    for (auto _ : state) {
        plot.Repaint();
        benchmark::DoNotOptimize(plot.Picture().constBits());
    }
}

void BM_PlotRepaint(benchmark::State& state) { Repaint(state, false); }
void BM_ResidualRepaint(benchmark::State& state) { Repaint(state, true); }

} // namespace

BENCHMARK(BM_PlotRepaint)->Args({800, 600})->Args({1600, 1200})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResidualRepaint)->Args({800, 600})->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    EnsureApp();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
