#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/dataset/senstab_core.h"

using namespace kivra;

namespace {

constexpr int Curves = 10;
constexpr int Points = 100000;

// Ten noisy binding curves of 100 000 points, smoothed with window 21 and order 6.
void BM_Smooth10x100k(benchmark::State& state) {
    TSensTabCore page;
    if (!page.NewSens(Curves, Points)) {
        state.SkipWithError("no memory for the data set");
        return;
    }
    page.NumCurves = Curves;
    page.NumPoints = Points;
    for (int i = 0; i < Curves; ++i) {
        page.PointCount[i] = Points;
        for (int k = 0; k < Points; ++k)
            page.Data[i][k] = 100 * (1 - std::exp(-1e-4 * k * (i + 1))) + 0.5 * std::sin(0.7 * k);
    }
    for (auto _ : state) {
        page.Smooth(21, 6);
        benchmark::DoNotOptimize(page.Sim[Curves - 1][Points / 2]);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * Curves * Points);
}
BENCHMARK(BM_Smooth10x100k)->Unit(benchmark::kMillisecond);

} // namespace
