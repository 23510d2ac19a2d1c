// One page of 10 curves x 1000 points simulated by RunModel: the 1:1 scheme of
// the sim10x1000 bench data, the same with mass transport, and a two-step scheme.
#include <benchmark/benchmark.h>

#include <cmath>

#include "engine/dataset/senstab_core.h"
#include "engine/simulation/integrator.h"
#include "tests/support/sim_models.h"

using namespace kivra;

namespace {

constexpr int Curves = 10;
constexpr int Points = 1000;
constexpr double Ka = 1e5, Kd = 1e-3, Rmax = 100, Ton = 100, Toff = 400;

enum class Scheme { OneToOne, MassTransport, TwoStep };

// The data of the 1:1 page are its closed form, so its sum of squares is the
// simulation's own error.
double ClosedForm(double t, double c) {
    if (t <= Ton) return 0;
    const double kobs = Ka * c + Kd, req = Ka * c * Rmax / kobs;
    const double r = req * (1 - std::exp(-kobs * (std::min(t, Toff) - Ton)));
    return t <= Toff ? r : r * std::exp(-Kd * (t - Toff));
}

void SetUp(TSensTabCore& page, Scheme scheme) {
    test::MakeSet(page, Curves, Points, 1.0);
    page.Loaded = true;
    for (int i = 0; i < Curves; ++i) {
        const double c = 1e-8 * std::ldexp(1.0, i);
        test::Inject(page, 0, i, Ton, Toff, c);
        page.Flow[i] = scheme == Scheme::MassTransport ? 1 + i : 1;
        for (int k = 0; k < Points; ++k) page.Data[i][k] = ClosedForm(k, c);
    }
    TModelData m = test::EmptyModel();
    m.AnalyteInj[0][0] = 0;   // A, fed by slot 1
    m.InitConc[0][1] = Rmax;  // B, the surface sites
    test::Respond(m, 2, 1);   // C
    test::AddReaction(m, 0, 1, 2, Ka, Kd);
    m.NumSpecies = 3;
    m.MassTransport[0] = scheme == Scheme::MassTransport;
    if (scheme == Scheme::TwoStep) {
        test::AddReaction(m, 2, -1, 3, 1e-2, 1e-3);  // C = D
        test::Respond(m, 3, 1);
        m.NumSpecies = 4;
    }
    page.SetModel(m);
}

void BM_SimulatePage(benchmark::State& state, Scheme scheme) {
    TSensTabCore page;
    SetUp(page, scheme);
    const long long steps0 = StepCounts.Steps, attempts0 = StepCounts.Attempts;
    double chisq = 0;
    for (auto _ : state) {
        chisq = page.RunModel();
        benchmark::DoNotOptimize(chisq);
        if (chisq < 0) state.SkipWithError("simulation failed");
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["steps_per_page"] = (StepCounts.Steps - steps0) / runs;
    state.counters["attempts_per_page"] = (StepCounts.Attempts - attempts0) / runs;
    state.counters["chisq"] = chisq;
    state.counters["time_per_curve"] =
        benchmark::Counter(Curves, benchmark::Counter::kIsIterationInvariantRate |
                                       benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK_CAPTURE(BM_SimulatePage, one_to_one, Scheme::OneToOne)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SimulatePage, mass_transport, Scheme::MassTransport)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SimulatePage, two_step, Scheme::TwoStep)->Unit(benchmark::kMillisecond);
