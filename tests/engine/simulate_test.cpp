#include <cmath>
#include <gtest/gtest.h>

#include "engine/dataset/senstab_core.h"
#include "engine/simulation/curve_run.h"
#include "engine/simulation/integrator.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/sim_models.h"

using namespace kivra;
using namespace kivra::test;

namespace {

class SimPage : public TSensTabCore {
public:
    void SimulationChanged() override { ++shown; }
    int shown = 0;
};

// A + B = C with A fed by slot 0, B the surface sites (Rmax), response from C.
TModelData OneToOne(double ka, double kd, double rmax) {
    TModelData m = EmptyModel();
    m.NumSpecies = 3;
    m.AnalyteInj[0][0] = 0;
    m.InitConc[0][1] = rmax;
    Respond(m, 2, 1);
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
    ASSERT_TRUE(MakeSet(page, 1, 201, 1.0));
    TModelData m = EmptyModel();
    m.NumSpecies = 2;
    m.InitConc[0][0] = 1000;
    Respond(m, 0, 1);
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
            ASSERT_TRUE(MakeSet(page, 5, 601, 1.0));
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

namespace {

class PanelPage : public SimPage {
public:
    void GetPanelSpecies(TModelData& m) override {
        ++panelReads;
        m.InitConc[Tag][1] = 42;  // the panel stores this set's local value first
    }
    int panelReads = 0;
};

} // namespace

TEST(ModelApplication, SetModelCopiesTheSetsRowsAndPublishesThePage) {
    test::ScriptedMessages msgs;
    PanelPage page;
    page.Tag = 2;
    ASSERT_TRUE(MakeSet(page, 3, 50, 1.0));
    page.PointCount[1] = 1;  // a single point adds nothing
    page.Excluded[2] = true;
    page.StartFitMode[0] = 1;
    page.StopFitMode[0] = 2;  // one per included curve
    page.FitRefIndex[1][0] = true;
    page.FitRefIndex[1][2] = true;  // excluded: not counted
    page.StockConc[3] = 7;
    page.FitStockLocal[3] = true;
    page.FitStockLocal[4] = true;  // shared slot: the page's own flag is not counted
    page.Chisq = 2.5;
    page.Loaded = true;

    TModelData m = OneToOne(1e5, 1e-3, 100);
    m.SpecLocal[1] = true;
    m.InitConc[0][1] = 5;
    m.StockGlobal[4] = true;
    m.StockConc[0][4] = 9;
    m.NumDataPoints = 10;  // what earlier pages added
    m.TotalChisq = 1;
    page.SetModel(m);

    EXPECT_EQ(page.panelReads, 1);
    EXPECT_EQ(page.InitConc[1], 42);  // local species: row of set 2
    EXPECT_EQ(page.AnalyteInj[0], 0);  // non-local: row 0
    EXPECT_EQ(page.NumSpecies, 3);
    EXPECT_EQ(page.NumReactions, 1);
    EXPECT_EQ(page.Kfwd[0], 1e5);
    EXPECT_EQ(m.NumCurves[2], 3);
    EXPECT_EQ(m.NumDataPoints, 10 + 49);
    EXPECT_EQ(m.NumFitParams, 1 + 1 + 2 + 1);
    EXPECT_EQ(m.TotalChisq, 3.5);
    EXPECT_EQ(m.StockConc[2][3], 7);
    EXPECT_TRUE(m.FitStockLocal[2][3]);
    EXPECT_EQ(page.StockConc[4], 9);
    EXPECT_TRUE(page.StockGlobal[4]);
    EXPECT_EQ(m.InjStart[2][0], page.InjStart[0].data());
    EXPECT_EQ(m.InjStop[2][5], page.InjStop[5].data());
    EXPECT_EQ(m.RefIndex[2][1], page.RefIndex[1].data());
    EXPECT_EQ(m.FitRefIndex[2][1], page.FitRefIndex[1].data());
    EXPECT_EQ(m.Excluded[2], page.Excluded.data());
    EXPECT_EQ(m.SpecConc[2], &page.SpecConc);
    EXPECT_EQ(m.StartFitMode[2][0], 1);
    EXPECT_EQ(m.StopFitMode[2][0], 2);
    EXPECT_EQ(m.DataFile[2], page.Caption());
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(ModelApplication, ScriptsThatCannotRunSayWhy) {
    test::ScriptedMessages msgs;
    SimPage page;
    page.Tag = 1;
    TModelData m = OneToOne(1e5, 1e-3, 100);
    page.SetModel(m);
    EXPECT_EQ(page.RunModel(), -1.0);
    EXPECT_EQ(msgs.Last().Text, "Please load data set or select New to create a new one");
    EXPECT_EQ(msgs.Last().Caption, "Simulation Error: Set 2");
    page.Loaded = true;
    EXPECT_EQ(page.RunModel(), -1.0);
    EXPECT_EQ(msgs.Last().Text, "Incomplete Data");
    page.Loaded = false;

    ASSERT_TRUE(MakeSet(page, 1, 10, 1.0));
    TModelData none = EmptyModel();
    none.NumSpecies = 2;
    page.SetModel(none);
    EXPECT_EQ(page.RunModel(), -10.0);
    EXPECT_EQ(msgs.Last().Text, "Need at least one reaction");
    TModelData noSpecies = OneToOne(1, 1, 1);
    noSpecies.NumSpecies = 0;
    page.SetModel(noSpecies);
    EXPECT_EQ(page.RunModel(), -10.0);
    EXPECT_EQ(msgs.Last().Text, "Need at least one reactant");
    // A damaged model naming a species beyond the model is refused, not indexed.
    TModelData beyond = OneToOne(1, 1, 1);
    beyond.Product[0] = 7;
    page.SetModel(beyond);
    EXPECT_EQ(page.RunModel(), -10.0);
    EXPECT_EQ(msgs.Last().Text, "Reaction 1 uses a species that is not in the model");
    EXPECT_FALSE(page.IsModelled());
    EXPECT_FALSE(page.Work);  // the runs bring their own work arrays
}

TEST(ModelApplication, BadNumbersFailTheSimulationWithAMessage) {
    test::ScriptedMessages msgs;
    struct Case {
        const char* text;
        void (*spoil)(TSensTabCore&, TModelData&);
    };
    const Case cases[] = {
        {"Negative or non-finite flow in curve 2", [](TSensTabCore& p, TModelData&) { p.Flow[1] = -1; }},
        {"Negative or non-finite flow in curve 1", [](TSensTabCore& p, TModelData&) { p.Flow[0] = INFINITY; }},
        {"Negative or non-finite concentration in injection 1, curve 1",
         [](TSensTabCore& p, TModelData&) { p.InjConc[0][0] = NAN; }},
        {"Negative or non-finite concentration in injection 1, curve 2",
         [](TSensTabCore& p, TModelData&) { p.InjConc[0][1] = -1e-9; }},
        {"Negative or non-finite rate constant in reaction 1", [](TSensTabCore&, TModelData& m) { m.Krev[0] = -1; }},
        {"Negative or non-finite rate constant in reaction 1", [](TSensTabCore&, TModelData& m) { m.Kfwd[0] = NAN; }},
        {"Negative or non-finite initial concentration of species 2",
         [](TSensTabCore&, TModelData& m) { m.InitConc[0][1] = -100; }},
        {"Non-finite time in curve 2", [](TSensTabCore& p, TModelData&) { p.Time[1][3] = NAN; }},
        {"The simulation of curve 2 gave a response that is not a number",
         [](TSensTabCore& p, TModelData&) { p.RefIndex[0][1] = NAN; }},
        {"Curve 1 has no points or more than its arrays hold",
         [](TSensTabCore& p, TModelData&) { p.PointCount[0] = 21; }},
        {"Non-finite injection time in injection 1, curve 1",
         [](TSensTabCore& p, TModelData&) { p.InjStop[0][0] = INFINITY; }},
    };
    for (const Case& c : cases) {
        SimPage page;
        ASSERT_TRUE(MakeSet(page, 2, 20, 1.0));
        Inject(page, 0, 0, 5, 10, 1e-7);
        Inject(page, 0, 1, 5, 10, 1e-7);
        TModelData m = OneToOne(1e5, 1e-3, 100);
        c.spoil(page, m);
        page.SetModel(m);
        msgs.Clear();
        EXPECT_EQ(page.RunModel(), -1.0) << c.text;
        ASSERT_GE(msgs.Count(), 1u);
        EXPECT_EQ(msgs.Last().Text, c.text);
        EXPECT_EQ(msgs.Last().Caption, "Simulation Error: Set 1");
        EXPECT_FALSE(page.IsModelled());
    }
    // Data that are not numbers make a sum of squares that is not one.
    SimPage page;
    ASSERT_TRUE(MakeSet(page, 1, 20, 1.0));
    page.Loaded = true;
    page.Data[0][4] = NAN;
    TModelData m = OneToOne(1e5, 1e-3, 100);
    page.SetModel(m);
    EXPECT_EQ(page.RunModel(), -1.0);
    EXPECT_EQ(msgs.Last().Text, "The sum of squares is not a finite number");
    EXPECT_FALSE(page.IsModelled());
}

TEST(ModelApplication, EventsLeadInAndRefractiveIndexSteps) {
    test::ScriptedMessages msgs;
    const double ka = 1e5, kd = 1e-2, rmax = 100, c = 1e-7;
    SimPage page;
    ASSERT_TRUE(MakeSet(page, 3, 201, 1.0, 100));  // data from 100 s to 300 s
    // Curve 0: injection from the first data point on, with a bulk step of 5.
    Inject(page, 0, 0, 100, 250, c);
    page.RefIndex[0][0] = 5;
    // Curve 1: injection starting 30 s before the data.
    Inject(page, 0, 1, 70, 250, c);
    page.RefIndex[0][1] = 5;
    // Curve 2: the slot is unused here; the lead-in runs from 0 s with species
    // 3 decaying from its initial value.
    Inject(page, 0, 2, 0, 0, 0);
    page.Excluded[2] = false;
    TModelData m = OneToOne(ka, kd, rmax);
    m.NumSpecies = 5;
    m.InitConc[0][3] = 50;  // decays into species 4
    Respond(m, 3, 1);
    AddReaction(m, 3, -1, 4, 0.01, 0);
    page.SetModel(m);
    ASSERT_GE(page.RunModel(), 0.0);

    // Each curve is integrated from its earliest event or first point.
    auto decay = [](double t) { return 50 * std::exp(-0.01 * t); };
    // Point 0 of curve 0 shows the species before the start, plus the step.
    EXPECT_EQ(page.Sim[0][0], 50 + 5);
    for (int k = 0; k <= 200; ++k) {
        const double t = 100 + k;
        const double step = t <= 250 ? 5 : 0;  // both ends included
        EXPECT_NEAR(page.Sim[0][k],
                    OneToOneClosedForm(t, ka, kd, c, rmax, 100, 250) + decay(t - 100) + step,
                    1e-4 * rmax) << t;
        EXPECT_NEAR(page.Sim[1][k],
                    OneToOneClosedForm(t, ka, kd, c, rmax, 70, 250) + decay(t - 70) + step,
                    1e-4 * rmax) << t;
        EXPECT_NEAR(page.Sim[2][k], decay(t), 1e-4) << t;
    }
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(ModelApplication, ExcludedCurvesKeepTheirSimAndSumOfSquaresCountsTheRest) {
    test::ScriptedMessages msgs;
    SimPage page;
    ASSERT_TRUE(MakeSet(page, 2, 11, 10.0));
    TModelData m = EmptyModel();
    m.NumSpecies = 3;
    m.InitConc[0][0] = 10;
    Respond(m, 1, 1);
    m.InitConc[0][2] = 7;  // in no reaction: stays put
    Respond(m, 2, 2);
    AddReaction(m, 0, 0, 1, 1e-3, 0);  // A + A = C, C counts half the A consumed
    page.Loaded = true;
    page.Excluded[1] = true;
    page.Sim[1][3] = -4;
    for (int k = 0; k < 11; ++k) page.Data[0][k] = 15;
    page.Data[1][0] = 1e9;
    page.SetModel(m);
    const double chisq = page.RunModel();
    ASSERT_GE(chisq, 0.0);
    double expected = 0;
    for (int k = 0; k < 11; ++k) {
        const double t = 10.0 * k, a0 = 10, k2 = 1e-3;
        const double a = a0 / (1 + 2 * k2 * a0 * t);  // dA/dt = -2 k A^2
        const double sim = (a0 - a) / 2 + 14;
        EXPECT_NEAR(page.Sim[0][k], sim, 1e-6 * a0) << t;
        expected += (sim - 15) * (sim - 15);
    }
    EXPECT_NEAR(chisq, expected, 1e-6 * expected);
    EXPECT_EQ(page.Chisq, chisq);
    EXPECT_EQ(page.Sim[1][3], -4);
}

TEST(ModelApplication, MassTransportScalesBothRatesByTheCubeRootOfTheFlow) {
    test::ScriptedMessages msgs;
    const double ka = 2e5, kd = 3e-3, rmax = 80, c = 5e-8;
    SimPage page;
    ASSERT_TRUE(MakeSet(page, 2, 501, 1.0));
    Inject(page, 0, 0, 50, 300, c);
    Inject(page, 0, 1, 50, 300, c);
    page.Flow[0] = 8;
    page.Flow[1] = 1000;
    TModelData m = OneToOne(ka, kd, rmax);
    m.MassTransport[0] = true;
    page.SetModel(m);
    ASSERT_GE(page.RunModel(), 0.0);
    TCurveRun run;
    run.Load(page, 1);
    EXPECT_EQ(run.Model.FlowFactor, std::nextafter(10.0, 0.0));  // the power, not an exact root
    for (int k = 0; k <= 500; ++k) {
        EXPECT_NEAR(page.Sim[0][k], OneToOneClosedForm(k, 2 * ka, 2 * kd, c, rmax, 50, 300), 1e-4 * rmax);
        EXPECT_NEAR(page.Sim[1][k], OneToOneClosedForm(k, 10 * ka, 10 * kd, c, rmax, 50, 300), 1e-4 * rmax);
    }
}

TEST(ModelApplication, LinkedRatesDriveTheSimulation) {
    test::ScriptedMessages msgs;
    SimPage page;
    ASSERT_TRUE(MakeSet(page, 1, 301, 1.0));
    Inject(page, 0, 0, 20, 200, 1e-7);
    TModelData m = OneToOne(0, 0, 100);
    m.NumSpecies = 5;
    AddReaction(m, 3, -1, 4, 1e5, 2e-3);  // species 3 is 0: this reaction only holds the constants
    m.KfwdLink[0] = 2;
    m.KrevLink[0] = -2;
    page.SetModel(m);
    ASSERT_GE(page.RunModel(), 0.0);
    for (int k = 0; k <= 300; ++k)
        EXPECT_NEAR(page.Sim[0][k], OneToOneClosedForm(k, 1e5, 2e-3, 1e-7, 100, 20, 200), 1e-4 * 100);
}
