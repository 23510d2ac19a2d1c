#include "tests/support/fit_fixture.h"

#include <cmath>
#include <string>

#include "pages/model_sync.h"
#include "pages/randoms.h"

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

void Synchronise(const OneToOneSetup& s, TModelData& model, TSensTabCore& page, double ka, double kd,
                 double rfactor, double rmax) {
    BeginModelSync(model, 1);
    ReactionLine r;
    r.ReactA = 0;
    r.ReactB = 1;
    r.Product = 2;
    r.KfwdText = Text(ka);
    r.KrevText = Text(kd);
    r.FitKfwd = s.FitKa;
    r.FitKrev = s.FitKd;
    ApplyReactionLines(model, {r});
    SpeciesLine a, b, c;
    a.Name = "A";
    a.Inj = 0;
    b.Name = "B";
    b.InitConcText = Text(rmax);
    b.FitConc = s.FitRmax;
    c.Name = "C";
    c.Response = true;
    c.RFactorText = Text(rfactor);
    c.FitRFactor = s.FitRFactor;
    ApplyModelSpeciesLines(model, {a, b, c});
    page.SetModel(model);
}

} // namespace

void BuildOneToOne(const OneToOneSetup& s, TModelData& model, TSensTabCore& page) {
    const int curves = static_cast<int>(s.Conc.size());
    page.NewSens(curves, s.Points);
    page.NumCurves = curves;
    page.NumPoints = s.Points;
    for (int i = 0; i < curves; ++i) {
        page.PointCount[i] = s.Points;
        for (int k = 0; k < s.Points; ++k) page.Time[i][k] = k * s.Interval;
        page.InjStart[0][i] = s.InjStart;
        page.InjStop[0][i] = s.InjStop;
        page.InjConc[0][i] = s.Conc[i];
    }
    page.Loaded = true;
    FillOneToOneData(s, page, 0);
    Synchronise(s, model, page, s.Ka, s.Kd, 1, s.Rmax);
}

void FillOneToOneData(const OneToOneSetup& s, TSensTabCore& page, double sd) {
    for (int i = 0; i < page.NumCurves; ++i)
        for (int k = 0; k < page.PointCount[i]; ++k)
            page.Data[i][k] = OneToOneResponse(s, s.Conc[i], page.Time[i][k]) +
                              (sd > 0 ? sd * GaussRandom(&RandomSeed()) : 0.0);
}

void SetOneToOneValues(const OneToOneSetup& s, TModelData& model, TSensTabCore& page, double ka,
                       double kd, double rfactor, double rmax) {
    // Through the editors' rules, as the model page would hand them over.
    Synchronise(s, model, page, ka, kd, rfactor, rmax);
}

} // namespace kivra::test
