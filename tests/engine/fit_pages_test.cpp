#include <cmath>
#include <gtest/gtest.h>
#include <span>
#include <tuple>
#include <vector>

#include "engine/fit/fit_engine.h"
#include "engine/fit/fit_loop.h"
#include "engine/fit/fit_params.h"
#include "engine/model/model_sync.h"
#include "engine/dataset/senstab_core.h"
#include "tests/support/fit_fixture.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

namespace {

using test::PanelPage;

void MakeCurves(TSensTabCore& p, int curves, int points) {
    ASSERT_TRUE(p.NewSens(curves, points));
    p.NumCurves = curves;
    p.NumPoints = points;
    p.Loaded = true;
    for (int i = 0; i < curves; ++i) {
        p.PointCount[i] = points;
        for (int k = 0; k < points; ++k) p.Time[i][k] = 10.0 * k;
        p.InjStart[0][i] = 20 + i;
        p.InjStop[0][i] = 60 + i;
        p.InjConc[0][i] = 1e-8;
    }
}

// Two pages and every kind of parameter: A fed by slot 0, B global with its
// concentration fitted, C seen with its response factor fitted, D local.
struct TwoPages {
    TModelData model;
    PanelPage page0, page1;
    std::vector<TSensTabCore*> pages{&page0, &page1};

    TwoPages() {
        page1.Tag = 1;
        MakeCurves(page0, 3, 8);
        MakeCurves(page1, 2, 8);
        page0.Excluded[1] = true;
        page0.FitRefIndex[0][0] = page0.FitRefIndex[0][1] = page0.FitRefIndex[0][2] = true;
        page0.StartFitMode[0] = 1;
        page0.StopFitMode[0] = 2;
        page0.StockConc[1] = 2e-8;
        page0.FitStockLocal[1] = true;
        page1.StartFitMode[0] = 2;
        page1.FitRefIndex[0][1] = true;
        for (const int j : {3, 4}) {
            model.StockGlobal[j] = model.FitStockGlobal[j] = true;
            model.StockConc[0][j] = 1e-7 * j;
        }
        SpeciesLine d;
        d.Name = "D";
        d.Local = true;
        d.InitConcText = "5";
        d.FitConc = true;
        page1.localLines = {{}, {}, {}, d};
        SpeciesLine d0;
        d0.Local = true;
        d0.InitConcText = "1";
        page0.localLines = {{}, {}, {}, d0};
        Sync();
    }

    void Sync() {
        BeginModelSync(model, 2);
        ReactionLine r0, r1;
        r0.ReactA = 0;
        r0.ReactB = 1;
        r0.Product = 2;
        r0.KfwdText = "0";
        r0.KrevText = "0";
        r0.FitKfwd = r0.FitKrev = true;
        r1.ReactA = 3;
        r1.Product = 2;
        r1.KfwdText = "=f1";
        r1.KrevText = "0.5";
        ApplyReactionLines(model, {r0, r1});
        SpeciesLine a, b, c, d;
        a.Name = "A";
        a.Inj = 0;
        b.Name = "B";
        b.InitConcText = "100";
        b.FitConc = true;
        c.Name = "C";
        c.Response = true;
        c.RFactorText = "1";
        c.FitRFactor = true;
        d.Name = "D";
        d.Local = true;
        ApplyModelSpeciesLines(model, {a, b, c, d});
        for (TSensTabCore* p : pages) p->SetModel(model);
    }
};

using Entry = std::tuple<FitParamKind, int, int, int>;  // kind, set, slot, curve

} // namespace

TEST(FitParams, OneOrderForCountVectorAndPages) {
    test::ScriptedMessages msgs;
    TwoPages t;
    std::vector<Entry> order;
    std::vector<int> codes;
    const int n = ForEachFitParam(t.model, [&](const FitParam& p) {
        EXPECT_EQ(p.Index, static_cast<int>(order.size()) + 1);
        order.emplace_back(p.Kind, p.Set, p.Slot, p.Curve);
        codes.push_back(p.Code);
    });
    using K = FitParamKind;
    const std::vector<Entry> expected = {
        {K::Conc, -1, -1, -1},       {K::RFactor, -1, -1, -1},   {K::Kfwd, -1, -1, -1},
        {K::Krev, -1, -1, -1},
        // set 0: RI steps of the included curves, the shared start (first
        // included curve), per-curve stops, then slot 1's own stock
        {K::RefIndex, 0, 0, 0},      {K::RefIndex, 0, 0, 2},     {K::StartAll, 0, 0, 0},
        {K::StopCurve, 0, 0, 0},     {K::StopCurve, 0, 0, 2},    {K::Stock, 0, 1, -1},
        // set 1: its local species, its RI step, per-curve starts
        {K::Conc, 1, -1, -1},        {K::RefIndex, 1, 0, 1},     {K::StartCurve, 1, 0, 0},
        {K::StartCurve, 1, 0, 1},
        // the shared stocks, one index each
        {K::SharedStock, -1, 3, -1}, {K::SharedStock, -1, 4, -1}};
    EXPECT_EQ(order, expected);
    EXPECT_EQ(codes, std::vector<int>({1, 1, 1, 1, 0, 0, 2, 2, 2, 1, 1, 0, 2, 2, 1, 1}));
    // The editors' and pages' running count agrees.
    EXPECT_EQ(n, 16);
    EXPECT_EQ(t.model.NumFitParams, n);
    EXPECT_EQ(CountFitParams(t.model), n);
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(FitParams, GatherAndScatterThroughModelAndPages) {
    test::ScriptedMessages msgs;
    TwoPages t;
    const int n = CountFitParams(t.model);
    for (TSensTabCore* p : t.pages) ASSERT_TRUE(p->AllocateFit(t.model, n));
    std::vector<double> a(n + 1);
    std::vector<int> ia(n + 1);
    ASSERT_EQ(GetFitParams(t.model, a.data(), ia.data(), n), n);
    EXPECT_EQ(a[1], 100);                 // B
    EXPECT_EQ(a[7], 20);                  // shared start: curve 0's
    EXPECT_EQ(a[9], 62);                  // stop of curve 2
    EXPECT_EQ(a[10], 2e-8);               // set 0's own stock
    EXPECT_EQ(a[11], 5);                  // D on set 1
    EXPECT_DOUBLE_EQ(a[16], 4e-7);        // shared stock of slot 4

    for (int k = 1; k <= n; ++k) a[k] = 1000 + k;
    PutFitParams(a.data(), t.model, n, t.pages);
    // The model's values...
    EXPECT_EQ(t.model.InitConc[0][1], 1001);
    EXPECT_EQ(t.model.RFactor[2], 1002);
    EXPECT_EQ(t.model.Kfwd[0], 1003);
    EXPECT_EQ(t.model.Krev[0], 1004);
    EXPECT_EQ(t.model.InitConc[1][3], 1011);
    EXPECT_EQ(t.model.StockConc[0][1], 1010);
    for (const int set : {0, 1}) {
        EXPECT_EQ(t.model.StockConc[set][3], 1015);
        EXPECT_EQ(t.model.StockConc[set][4], 1016);
    }
    // ...and the pages' copies and arrays.
    EXPECT_EQ(t.page0.InitConc[1], 1001);
    EXPECT_EQ(t.page1.InitConc[1], 1001);
    EXPECT_EQ(t.page0.Kfwd[0], 1003);
    EXPECT_EQ(t.page1.Krev[0], 1004);
    EXPECT_EQ(t.page1.InitConc[3], 1011);
    EXPECT_EQ(t.page0.InitConc[3], 1);    // set 0's D is not set 1's
    EXPECT_EQ(t.page0.RefIndex[0][0], 1005);
    EXPECT_EQ(t.page0.RefIndex[0][1], 0); // excluded curve
    EXPECT_EQ(t.page0.RefIndex[0][2], 1006);
    EXPECT_EQ(t.page0.InjStart[0][0], 1007);
    EXPECT_EQ(t.page0.InjStart[0][1], 21); // excluded: not part of the shared time
    EXPECT_EQ(t.page0.InjStart[0][2], 1007);
    EXPECT_EQ(t.page0.InjStop[0][2], 1009);
    EXPECT_EQ(t.page0.StockConc[1], 1010);
    EXPECT_EQ(t.page1.RefIndex[0][1], 1012);
    EXPECT_EQ(t.page1.InjStart[0][1], 1014);
    for (TSensTabCore* p : t.pages) {
        EXPECT_EQ(p->StockConc[3], 1015);
        EXPECT_EQ(p->StockConc[4], 1016);
        p->DeallocateFit();
    }
}

TEST(FitParams, PageMapsItsOwnParametersOnly) {
    test::ScriptedMessages msgs;
    TwoPages t;
    t.page0.InjStart[0][2] = 35;  // the shared start aligns on curve 0's
    const int n = CountFitParams(t.model);
    ASSERT_TRUE(t.page0.AllocateFit(t.model, n));
    ASSERT_TRUE(t.page1.AllocateFit(t.model, n));
    const std::vector<int> kinds0(t.page0.FitKind.data(), t.page0.FitKind.data() + n + 1);
    const std::vector<int> kinds1(t.page1.FitKind.data(), t.page1.FitKind.data() + n + 1);
    EXPECT_EQ(kinds0, std::vector<int>({1, 2, 5, 3, 3, 4, 4, 7, 6, 6, 9, 0, 0, 0, 0, 10, 10}));
    EXPECT_EQ(kinds1, std::vector<int>({1, 2, 5, 3, 3, 0, 0, 0, 0, 0, 0, 2, 4, 6, 6, 10, 10}));
    // Rates at 0 are nudged by fixed steps; values by a fraction of themselves.
    EXPECT_EQ(t.page0.FitDelta[3], 1e-4);
    EXPECT_EQ(t.page0.FitDelta[4], 1e-12);
    EXPECT_DOUBLE_EQ(t.page0.FitDelta[1], 100 * 5e-6);
    EXPECT_EQ(t.page0.FitDelta[2], 0.01);
    EXPECT_EQ(t.page0.FitDelta[7], 0.001);
    EXPECT_EQ(t.page0.FitInj[7], 0);
    EXPECT_EQ(t.page0.InjStart[0][2], 20);
    EXPECT_EQ(t.page0.InjStart[0][1], 21);
    EXPECT_EQ(msgs.Count(), 0u);

    // Every curve excluded: the shared time is mapped to curve 0, with a message.
    t.page0.Excluded[0] = t.page0.Excluded[2] = true;
    t.Sync();
    const int m = CountFitParams(t.model);
    ASSERT_TRUE(t.page0.AllocateFit(t.model, m));
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "Fitting start time with all curves excluded");
    EXPECT_EQ(msgs.Last().Caption, "Fit Error");
    for (TSensTabCore* p : t.pages) p->DeallocateFit();
}

TEST(CalcFit, SumsMatchThePageSimulationAndItsDifferences) {
    test::ScriptedMessages msgs;
    test::OneToOneExperiment x(41, 15, -7);
    TModelData& model = x.Model;
    TSensTabCore& page = x.Page;
    x.Noise(0.5);
    x.SetValues(2e5, 2e-3, 0.8, 100);
    const int n = CountFitParams(model);
    ASSERT_EQ(n, 3);
    std::vector<TSensTabCore*> pages{&page};
    FitProgress progress;
    PagesFitHost host(pages, model, progress);
    ASSERT_TRUE(page.AllocateFit(model, n));
    std::vector<double> a(n + 1);
    std::vector<int> ia(n + 1);
    GetFitParams(model, a.data(), ia.data(), n);
    Matrix1 alpha(1, n, 1, n);
    Vector1 beta(1, n);
    double chisq = 0;
    ASSERT_EQ(FitAccumulate(host, a.data(), n, alpha.get(), beta.get(), &chisq), nullptr);
    EXPECT_EQ(model.TotalChisq, chisq);
    EXPECT_EQ(page.Chisq, chisq);
    const std::vector<double> fitSim(page.Sim[3], page.Sim[3] + x.Setup.Points);
    page.DeallocateFit();

    // The page simulation at the same values agrees, and so does the gradient
    // with central differences of its sum of squares.
    const double ssq = page.RunModel();
    EXPECT_NEAR(chisq, ssq, 1e-6 * ssq);
    for (int k = 0; k < x.Setup.Points; ++k) EXPECT_NEAR(fitSim[k], page.Sim[3][k], 1e-5);
    auto ssqAt = [&](int j, double value) {
        std::vector<double> b = a;
        b[j] = value;
        PutFitParams(b.data(), model, n, {});
        page.SetModel(model);
        return page.RunModel();
    };
    for (int j = 1; j <= n; ++j) {
        const double h = a[j] * 1e-4;
        const double g = -(ssqAt(j, a[j] + h) - ssqAt(j, a[j] - h)) / (4 * h);
        EXPECT_NEAR(beta[j], g, 2e-3 * std::fabs(g)) << "parameter " << j;
        EXPECT_GT(alpha[j][j], 0);
        for (int k = 1; k < j; ++k) EXPECT_EQ(alpha[j][k], alpha[k][j]);
    }
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(CalcFit, PerCurveAndOtherPageParametersTouchOnlyTheirOwn) {
    test::ScriptedMessages msgs;
    TwoPages t;
    // Only set 0's per-curve stops and set 1's RI step remain floated.
    t.page0.FitRefIndex[0][0] = t.page0.FitRefIndex[0][2] = false;
    t.page0.StartFitMode[0] = 0;
    t.page0.FitStockLocal[1] = false;
    t.page1.StartFitMode[0] = 0;
    t.page1.localLines[3].FitConc = false;
    for (const int j : {3, 4}) t.model.FitStockGlobal[j] = false;
    t.Sync();
    for (int r = 0; r < 2; ++r) t.model.FitKfwd[r] = t.model.FitKrev[r] = false;
    t.model.FitConc[0][1] = t.model.FitRFactor[2] = false;
    t.model.Kfwd[0] = 1e5;
    t.model.Krev[0] = 1e-2;
    for (TSensTabCore* p : t.pages) p->SetModel(t.model);
    const int n = CountFitParams(t.model);
    ASSERT_EQ(n, 3);  // stop of curve 0, stop of curve 2 (set 0), RI of curve 1 (set 1)
    FitProgress progress;
    PagesFitHost host(t.pages, t.model, progress);
    for (TSensTabCore* p : t.pages) ASSERT_TRUE(p->AllocateFit(t.model, n));
    std::vector<double> a(n + 1);
    std::vector<int> ia(n + 1);
    GetFitParams(t.model, a.data(), ia.data(), n);
    for (int page = 0; page < 2; ++page) {
        Matrix1 alpha(1, n, 1, n);
        Vector1 beta(1, n);
        for (int j = 1; j <= n; ++j) {
            beta[j] = 0;
            for (int k = 1; k <= n; ++k) alpha[j][k] = 0;
        }
        double chisq = 0;
        ASSERT_EQ(host.PageCalcFit(page, a.data(), n, alpha.get(), beta.get(), &chisq), nullptr);
        if (page == 0) {
            EXPECT_GT(alpha[1][1], 0);
            EXPECT_GT(alpha[2][2], 0);
            EXPECT_EQ(alpha[2][1], 0);  // curve 0's stop does not move curve 2
            EXPECT_EQ(alpha[3][3], 0);  // set 1's step is not simulated here
            EXPECT_EQ(beta[3], 0);
        } else {
            EXPECT_EQ(alpha[1][1], 0);
            EXPECT_EQ(alpha[2][2], 0);
            EXPECT_GT(alpha[3][3], 0);
        }
    }
    for (TSensTabCore* p : t.pages) p->DeallocateFit();
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(FitRun, EndsWithThePagesSimulatedAtTheKeptValues) {
    test::ScriptedMessages msgs;
    test::OneToOneExperiment x(41, 15, -11);
    x.Noise(0.5);
    // Far enough from the data that early trials overshoot and are refused.
    x.SetValues(1e7, 1e-1, 5, 100);
    std::vector<TSensTabCore*> pages{&x.Page};
    test::StopAfter progress(2);
    FitRun run(pages, x.Model, progress);
    ASSERT_TRUE(run.Prepare());
    const FitLoopResult r = run.Run();
    EXPECT_EQ(r.End, FitEnd::Stopped);
    // The start, two trials (the second refused) and one more simulation at
    // the kept values.
    ASSERT_EQ(r.Steps, 2);
    EXPECT_EQ(run.Host.Evaluations(), 4);
    EXPECT_EQ(x.Page.Chisq, run.Chisq);
    EXPECT_EQ(x.Model.TotalChisq, run.Chisq);
    const std::vector<double> fitSim(x.Page.Sim[4], x.Page.Sim[4] + 41);
    run.Finish(true);
    x.Page.SetModel(x.Model);
    EXPECT_NEAR(x.Page.RunModel(), run.Chisq, 1e-6 * run.Chisq);
    for (int k = 0; k < 41; ++k) EXPECT_NEAR(x.Page.Sim[4][k], fitSim[k], 1e-5);
}

TEST(FitRun, NamesAParameterWithoutEffect) {
    test::ScriptedMessages msgs;
    test::OneToOneExperiment x(41, 15, -3);
    x.Setup.FitRFactor = false;
    x.SetValues(1e5, 1e-3, 1, 100);
    // The R factor of A counts for nothing: A is not in the response.
    x.Model.FitRFactor[0] = true;
    std::vector<TSensTabCore*> pages{&x.Page};
    FitProgress progress;
    FitRun run(pages, x.Model, progress);
    ASSERT_TRUE(run.Prepare());
    ASSERT_EQ(run.N, 3);
    EXPECT_EQ(run.Run().End, FitEnd::Failed);
    // Without labels to name it, the text itself.
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "Parameter 1  has no effect on fit");
    EXPECT_EQ(msgs.Last().Caption, "Fit Error");
    run.Finish(true);
    EXPECT_EQ(x.Page.FitParams, 0);
    EXPECT_TRUE(x.Page.FitKind.empty());
}
