// Simulations and fits spread over threads give the results of one thread bit
// for bit, and report the failure that one thread meets first; the sums of a
// fit skip no term that counts.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "engine/dataset/senstab_core.h"
#include "engine/fit/fit_loop.h"
#include "engine/model/model_sync.h"
#include "engine/numeric/parallel.h"
#include "tests/support/fit_fixture.h"
#include "tests/support/scripted_messages.h"
#include "tests/support/sim_models.h"

using namespace kivra;

namespace {

using test::PanelPage;
using test::StopAfter;

// Two pages with every kind of fitted parameter: A (slot 1) + B = C with
// linked and fitted rates, a local species D, a monomer E fed by slot 2 as a
// fraction of the page's stock that dimerises to F before injection (its
// rate decides the split), and F + B = G behind a mass-transport step.
struct Experiment {
    TModelData model;
    PanelPage page0, page1;
    std::vector<TSensTabCore*> pages{&page0, &page1};

    Experiment() {
        page1.Tag = 1;
        Curves(page0, 4);
        Curves(page1, 3);
        page0.Excluded[1] = true;
        page0.FitRefIndex[0][0] = page0.FitRefIndex[0][3] = true;
        page0.StartFitMode[0] = 1;
        page0.StopFitMode[0] = 2;
        page0.StockConc[1] = 4e-8;
        page0.FitStockLocal[1] = true;
        page1.StockConc[1] = 3e-8;
        page1.StartFitMode[0] = 2;
        page1.FitRefIndex[0][2] = true;
        SpeciesLine d;
        d.Local = true;
        d.Response = true;
        d.RFactorText = "0.7";
        d.InitConcText = "5";
        page0.localLines = {{}, {}, {}, d};
        d.FitConc = true;
        page1.localLines = {{}, {}, {}, d};

        BeginModelSync(model, 2);
        ReactionLine ab, dc, ee, fb;
        ab.ReactA = 0, ab.ReactB = 1, ab.Product = 2;
        ab.KfwdText = "1e5", ab.KrevText = "1e-2";
        ab.FitKfwd = ab.FitKrev = true;
        dc.ReactA = 3, dc.Product = 2, dc.KfwdText = "=f1", dc.KrevText = "0.05";
        ee.ReactA = ee.ReactB = 4, ee.Product = 5, ee.KfwdText = "2e7", ee.KrevText = "1";
        ee.FitKfwd = true;
        fb.ReactA = 5, fb.ReactB = 1, fb.Product = 6, fb.KfwdText = "3e4", fb.KrevText = "2e-3";
        fb.MassTransport = true;
        ApplyReactionLines(model, {ab, dc, ee, fb});
        std::vector<SpeciesLine> s(7);
        for (int i = 0; i < 7; ++i) s[i].Name = std::string(1, static_cast<char>('A' + i));
        s[0].Inj = 0;
        s[1].InitConcText = "100";
        s[1].FitConc = true;
        s[2].Response = true;
        s[2].RFactorText = "1";
        s[2].FitRFactor = true;
        s[3].Local = true;
        s[4].Inj = s[5].Inj = 1;
        s[6].Response = true;
        s[6].RFactorText = "2";
        ApplyModelSpeciesLines(model, s);
        // Data near the model's own curves, so that the fit moves a little.
        for (TSensTabCore* p : pages) {
            p->SetModel(model);
            p->RunModel();
            for (int i = 0; i < p->NumCurves; ++i)
                for (int k = 0; k < p->PointCount[i]; ++k) p->Data[i][k] = 1.1 * p->Sim[i][k] + std::sin(k + i);
        }
    }

    static void Curves(TSensTabCore& p, int curves) {
        ASSERT_TRUE(test::MakeSet(p, curves, 40, 10.0));
        p.Loaded = true;
        for (int i = 0; i < curves; ++i) {
            test::Inject(p, 0, i, 20 + i, 200 + 3 * i, 1e-8 * (i + 1));
            test::Inject(p, 1, i, 50, 300, 0.25 * (i + 1));
            p.ConcIsFraction[1][i] = true;
            p.RefIndex[0][i] = 0.3 * i;
            p.Flow[i] = 5 + 10 * i;
            p.PointCount[i] = 40 - 4 * i;  // curves of their own lengths
        }
    }
};

// Every number a simulation of both pages and three fit steps leave, with
// the fit keeping at most budget responses at once.
std::vector<double> Outcome(int threads, std::size_t budget) {
    SetWorkerThreads(threads);
    test::ScriptedMessages msgs;
    Experiment x;
    for (TSensTabCore* p : x.pages) p->FitResponseBudget = budget;
    std::vector<double> out;
    auto sims = [&] {
        for (TSensTabCore* p : x.pages)
            for (int i = 0; i < p->NumCurves; ++i) out.insert(out.end(), p->Sim[i], p->Sim[i] + p->PointCount[i]);
    };
    for (TSensTabCore* p : x.pages) out.push_back(p->RunModel());
    sims();
    StopAfter progress(3);
    FitRun run(x.pages, x.model, progress);
    EXPECT_TRUE(run.Prepare());
    EXPECT_EQ(run.N, 17);
    EXPECT_EQ(run.Run().End, FitEnd::Stopped);
    out.push_back(run.Chisq);
    out.insert(out.end(), run.A.get() + 1, run.A.get() + run.N + 1);
    for (int j = 1; j <= run.N; ++j)
        out.insert(out.end(), run.Covariance[j] + 1, run.Covariance[j] + run.N + 1);
    sims();
    run.Finish(true);
    EXPECT_EQ(msgs.Count(), 0u);
    SetWorkerThreads(0);
    return out;
}

} // namespace

TEST(Parallel, AnyNumberOfThreadsGivesTheSerialResultsBitForBit) {
    const std::size_t all = std::size_t(1) << 22;
    const std::vector<double> serial = Outcome(1, all);
    // The budget of 40 sends every curve alone, in blocks of a few points.
    const std::pair<int, std::size_t> runs[] = {{2, all}, {3, all}, {8, all}, {1, 40}, {4, 40}};
    for (const auto& [threads, budget] : runs) {
        const std::vector<double> spread = Outcome(threads, budget);
        ASSERT_EQ(spread.size(), serial.size());
        EXPECT_EQ(std::memcmp(spread.data(), serial.data(), serial.size() * sizeof(double)), 0)
            << threads << " threads, budget " << budget;
    }
}

TEST(Parallel, TheTermsBearingOnEachCurveGiveTheDenseSumsBitForBit) {
    // Page 0's own steps, stops and stock, page 1's local species, step and
    // starts bear on some curves only; the reference adds the terms of every
    // parameter at every point. Rows: all curves at once, blocks of a few
    // points, a residual that is not finite (where 0 times it is not 0).
    const std::pair<std::size_t, double> rows[] = {{1 << 22, 0.0}, {40, 0.0}, {1 << 22, INFINITY}};
    for (const auto& [budget, datum] : rows) {
        test::ScriptedMessages msgs;
        Experiment x;
        x.page0.Data[2][5] += datum;
        FitProgress progress;
        FitRun run(x.pages, x.model, progress);
        ASSERT_TRUE(run.Prepare());
        std::vector<double> sums[2];
        for (const bool dense : {false, true}) {
            for (TSensTabCore* p : x.pages) p->FitResponseBudget = budget, p->FitDenseSums = dense;
            std::vector<double>& s = sums[dense] = std::vector<double>(run.N + 1);  // chi-square, beta[1..N]
            ASSERT_EQ(FitAccumulate(run.Host, run.A.get(), run.N, run.Alpha.get(), s.data(), s.data()), nullptr);
            for (int j = 1; j <= run.N; ++j) s.insert(s.end(), run.Alpha[j] + 1, run.Alpha[j] + j + 1);
        }
        EXPECT_EQ(std::memcmp(sums[0].data(), sums[1].data(), sums[0].size() * sizeof(double)), 0)
            << "budget " << budget << ", datum " << datum;
        EXPECT_EQ(msgs.Count(), 0u);
    }
}

TEST(Parallel, TheFirstFailureInCurveOrderIsTheOneReported) {
    for (const int threads : {1, 4}) {
        SetWorkerThreads(threads);
        test::ScriptedMessages msgs;
        Experiment x;
        // Curves 3 and 4 give a response that is not a number; two equal
        // times make curve 3 fail earlier in the fit.
        x.page0.RefIndex[0][2] = x.page0.RefIndex[0][3] = NAN;
        EXPECT_EQ(x.page0.RunModel(), -1.0);
        ASSERT_EQ(msgs.Count(), 1u);
        EXPECT_EQ(msgs.Last().Text, "The simulation of curve 3 gave a response that is not a number");
        EXPECT_EQ(msgs.Last().Caption, "Simulation Error: Set 1");

        x.page0.RefIndex[0][2] = x.page0.RefIndex[0][3] = 0;
        x.page0.Time[3][6] = x.page0.Time[3][5];
        x.page0.Time[2][30] = x.page0.Time[2][29];
        StopAfter progress(3);
        FitRun run(x.pages, x.model, progress);
        ASSERT_TRUE(run.Prepare());
        Matrix1 alpha(1, run.N, 1, run.N);
        Vector1 beta(1, run.N);
        double chisq = 0;
        EXPECT_STREQ(FitAccumulate(run.Host, run.A.get(), run.N, alpha.get(), beta.get(), &chisq),
                     "Error in Simulation \nZero time step");
        EXPECT_EQ(progress.Dots, 3);  // curves 1 to 3 were reached
        EXPECT_EQ(msgs.Count(), 2u);
        run.Finish(false);
        SetWorkerThreads(0);
    }
}
