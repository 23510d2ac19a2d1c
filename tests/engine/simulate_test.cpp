#include <cmath>
#include <gtest/gtest.h>

#include "pages/senstab_core.h"
#include "pages/senstab_integrator.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

namespace {

class SimPage : public TSensTabCore {
public:
    void SimulationShown() override { ++shown; }
    int shown = 0;
};

// A model with no reactions and no species lines, as the panels leave it when empty.
TModelData EmptyModel() {
    TModelData m;
    for (int r = 0; r < MaxReactions; ++r) m.ReactA[r] = m.ReactB[r] = m.Product[r] = -1;
    for (int set = 0; set < MaxSets; ++set)
        for (int s = 0; s < MaxSpecies; ++s) m.AnalyteInj[set][s] = -1;
    return m;
}

void AddReaction(TModelData& m, int a, int b, int p, double kf, double kr) {
    const int r = m.NumReactions++;
    m.ReactA[r] = a;
    m.ReactB[r] = b;
    m.Product[r] = p;
    m.Kfwd[r] = kf;
    m.Krev[r] = kr;
}

// Curves of evenly spaced points starting at t0, without data loaded.
void MakeSet(TSensTabCore& p, int curves, int points, double dt, double t0 = 0) {
    ASSERT_TRUE(p.NewSens(curves, points));
    p.NumCurves = curves;
    p.NumPoints = points;
    for (int i = 0; i < curves; ++i) {
        p.PointCount[i] = points;
        for (int k = 0; k < points; ++k) p.Time[i][k] = t0 + k * dt;
    }
}

void Inject(TSensTabCore& p, int slot, int curve, double start, double stop, double conc) {
    p.InjStart[slot][curve] = start;
    p.InjStop[slot][curve] = stop;
    p.InjConc[slot][curve] = conc;
}

// A + B = C with A fed by slot 0, B the surface sites (Rmax), response from C.
TModelData OneToOne(double ka, double kd, double rmax) {
    TModelData m = EmptyModel();
    m.NumSpecies = 3;
    m.AnalyteInj[0][0] = 0;
    m.InitConc[0][1] = rmax;
    m.Response[0][2] = true;
    m.RFactor[2] = 1;
    AddReaction(m, 0, 1, 2, ka, kd);
    return m;
}

// Pseudo-first-order 1:1 binding while A is held at c from ton to toff.
double OneToOneClosedForm(double t, double ka, double kd, double c, double rmax, double ton,
                          double toff) {
    if (t <= ton) return 0;
    const double kobs = ka * c + kd;
    const double req = ka * c * rmax / kobs;
    const double at = [&](double x) { return req * (1 - std::exp(-kobs * (x - ton))); }(std::min(t, toff));
    return t <= toff ? at : at * std::exp(-kd * (t - toff));
}

} // namespace

TEST(Simulation, FirstOrderDecayFollowsTheExponential) {
    test::ScriptedMessages msgs;
    SimPage page;
    MakeSet(page, 1, 201, 1.0);
    TModelData m = EmptyModel();
    m.NumSpecies = 2;
    m.InitConc[0][0] = 1000;
    m.Response[0][0] = true;
    m.RFactor[0] = 1;
    AddReaction(m, 0, -1, 1, 0.05, 0);
    page.SetModel(m);
    ASSERT_EQ(page.RunModel(), 0.0);
    EXPECT_TRUE(page.IsModelled());
    EXPECT_EQ(page.shown, 1);
    for (int k = 0; k < 201; ++k) {
        const double exact = 1000 * std::exp(-0.05 * k);
        EXPECT_NEAR(page.Sim[0][k], exact, 1e-5 * exact) << "t = " << k;
    }
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(Simulation, OneToOneBindingMatchesTheClosedFormOverTheRateRange) {
    test::ScriptedMessages msgs;
    const double rmax = 100;
    const double concs[] = {1e-8, 1e-7, 1e-6, 1e-5};
    for (const double ka : {1e3, 1e4, 1e5, 1e6, 1e7}) {
        for (const double kd : {1e-5, 1e-3, 1e-1, 1.0}) {
            SimPage page;
            MakeSet(page, 5, 601, 1.0);
            for (int i = 0; i < 4; ++i) Inject(page, 0, i, 100, 400, concs[i]);
            // Events between data points act on their own segment boundaries.
            Inject(page, 0, 4, 100.5, 400.25, 1e-7);
            TModelData m = OneToOne(ka, kd, rmax);
            page.SetModel(m);
            ASSERT_GE(page.RunModel(), 0.0) << "ka " << ka << " kd " << kd;
            for (int i = 0; i < 5; ++i) {
                const double c = page.InjConc[0][i];
                double worst = 0;
                for (int k = 0; k < 601; ++k) {
                    const double exact = OneToOneClosedForm(k, ka, kd, c, rmax, page.InjStart[0][i],
                                                            page.InjStop[0][i]);
                    worst = std::max(worst, std::fabs(page.Sim[0 + i][k] - exact));
                }
                EXPECT_LT(worst, 1e-4 * rmax) << "ka " << ka << " kd " << kd << " c " << c;
            }
        }
    }
    EXPECT_EQ(msgs.Count(), 0u);
}
