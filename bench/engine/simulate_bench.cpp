// One page of 10 curves x 1000 points simulated by RunModel: the 1:1 scheme of
// the sim10x1000 bench data, the same with mass transport, and a two-step scheme.
#include <benchmark/benchmark.h>

#include <cmath>

#include "pages/senstab_core.h"
#include "pages/senstab_integrator.h"

using namespace kivra;

namespace {

constexpr int Curves = 10;
constexpr int Points = 1000;
constexpr double Ka = 1e5, Kd = 1e-3, Rmax = 100, Ton = 100, Toff = 400;

enum class Scheme { OneToOne, MassTransport, TwoStep };

void AddReaction(TModelData& m, int a, int b, int p, double kf, double kr) {
    const int r = m.NumReactions++;
    m.ReactA[r] = a;
    m.ReactB[r] = b;
    m.Product[r] = p;
    m.Kfwd[r] = kf;
    m.Krev[r] = kr;
}

// The data of the 1:1 page are its closed form, so its sum of squares is the
// simulation's own error.
double ClosedForm(double t, double c) {
    if (t <= Ton) return 0;
    const double kobs = Ka * c + Kd, req = Ka * c * Rmax / kobs;
    const double r = req * (1 - std::exp(-kobs * (std::min(t, Toff) - Ton)));
    return t <= Toff ? r : r * std::exp(-Kd * (t - Toff));
}

void SetUp(TSensTabCore& page, Scheme scheme) {
    page.NewSens(Curves, Points);
    page.NumCurves = Curves;
    page.NumPoints = Points;
    page.Loaded = true;
    for (int i = 0; i < Curves; ++i) {
        const double c = 1e-8 * std::ldexp(1.0, i);
        page.PointCount[i] = Points;
        page.InjStart[0][i] = Ton;
        page.InjStop[0][i] = Toff;
        page.InjConc[0][i] = c;
        page.Flow[i] = scheme == Scheme::MassTransport ? 1 + i : 1;
        for (int k = 0; k < Points; ++k) {
            page.Time[i][k] = k;
            page.Data[i][k] = ClosedForm(k, c);
        }
    }
    TModelData m;
    for (int r = 0; r < MaxReactions; ++r) m.ReactA[r] = m.ReactB[r] = m.Product[r] = -1;
    for (int s = 0; s < MaxSpecies; ++s) m.AnalyteInj[0][s] = -1;
    m.AnalyteInj[0][0] = 0;  // A, fed by slot 1
    m.InitConc[0][1] = Rmax; // B, the surface sites
    m.Response[0][2] = true; // C
    m.RFactor[2] = 1;
    AddReaction(m, 0, 1, 2, Ka, Kd);
    m.NumSpecies = 3;
    if (scheme == Scheme::MassTransport) m.MassTransport[0] = true;
    if (scheme == Scheme::TwoStep) {
        AddReaction(m, 2, -1, 3, 1e-2, 1e-3);  // C = D
        m.NumSpecies = 4;
        m.Response[0][3] = true;
        m.RFactor[3] = 1;
    }
    page.SetModel(m);
}

void BM_SimulatePage(benchmark::State& state, Scheme scheme) {
    TSensTabCore page;
    SetUp(page, scheme);
    const long long steps0 = StepperState.Steps, attempts0 = StepperState.Attempts;
    double chisq = 0;
    for (auto _ : state) {
        chisq = page.RunModel();
        benchmark::DoNotOptimize(chisq);
        if (chisq < 0) state.SkipWithError("simulation failed");
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["steps_per_page"] = (StepperState.Steps - steps0) / runs;
    state.counters["attempts_per_page"] = (StepperState.Attempts - attempts0) / runs;
    state.counters["chisq"] = chisq;
    state.counters["time_per_curve"] =
        benchmark::Counter(Curves, benchmark::Counter::kIsIterationInvariantRate |
                                       benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK_CAPTURE(BM_SimulatePage, one_to_one, Scheme::OneToOne)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SimulatePage, mass_transport, Scheme::MassTransport)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SimulatePage, two_step, Scheme::TwoStep)->Unit(benchmark::kMillisecond);
