#include "tests/support/fit_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "pages/model_sync.h"
#include "pages/randoms.h"
#include "tests/support/sim_models.h"

namespace kivra::test {

double OneToOneResponse(const OneToOneSetup& s, double conc, double t) {
    if (t <= s.InjStart) return 0;
    const double kobs = s.Ka * conc + s.Kd;
    const double plateau = s.Rmax * s.Ka * conc / kobs;
    const double bound = plateau * (1 - std::exp(-kobs * (std::min(t, s.InjStop) - s.InjStart)));
    return t <= s.InjStop ? bound : bound * std::exp(-s.Kd * (t - s.InjStop));
}

namespace {

std::string Text(double v) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v);
    return buffer;
}

} // namespace

OneToOneExperiment::OneToOneExperiment(int points, double interval, long seed) {
    ResetRandom(seed);
    Setup.Points = points;
    Setup.Interval = interval;
    const int curves = static_cast<int>(Setup.Conc.size());
    MakeSet(Page, curves, points, interval);
    for (int i = 0; i < curves; ++i) Inject(Page, 0, i, Setup.InjStart, Setup.InjStop, Setup.Conc[i]);
    Page.Loaded = true;
    Noise(0);
    SetValues(Setup.Ka, Setup.Kd, 1, Setup.Rmax);
}

void OneToOneExperiment::Noise(double sd) {
    for (int i = 0; i < Page.NumCurves; ++i)
        for (int k = 0; k < Page.PointCount[i]; ++k)
            Page.Data[i][k] = OneToOneResponse(Setup, Setup.Conc[i], Page.Time[i][k]) +
                              (sd > 0 ? sd * GaussRandom(&RandomSeed()) : 0.0);
}

void OneToOneExperiment::SetValues(double ka, double kd, double rfactor, double rmax) {
    BeginModelSync(Model, 1);
    ReactionLine r;
    r.ReactA = 0;
    r.ReactB = 1;
    r.Product = 2;
    r.KfwdText = Text(ka);
    r.KrevText = Text(kd);
    r.FitKfwd = Setup.FitKa;
    r.FitKrev = Setup.FitKd;
    ApplyReactionLines(Model, {r});
    SpeciesLine a, b, c;
    a.Name = "A";
    a.Inj = 0;
    b.Name = "B";
    b.InitConcText = Text(rmax);
    b.FitConc = Setup.FitRmax;
    c.Name = "C";
    c.Response = true;
    c.RFactorText = Text(rfactor);
    c.FitRFactor = Setup.FitRFactor;
    ApplyModelSpeciesLines(Model, {a, b, c});
    Page.SetModel(Model);
}

} // namespace kivra::test
