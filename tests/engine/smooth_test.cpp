#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

#include "engine/numeric/randoms.h"
#include "engine/dataset/senstab_core.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

namespace {

class Page : public TSensTabCore {
public:
    void SimulationChanged() override { ++simShown; }
    int simShown = 0;
};

void MakeSet(Page& p, int curves, int points) {
    ASSERT_TRUE(p.NewSens(curves, points));
    p.NumCurves = curves;
    p.NumPoints = points;
    for (int i = 0; i < curves; ++i) p.PointCount[i] = points;
    p.Loaded = true;
}

// The filter written out directly: every offset, indices held inside the curve.
std::vector<double> ClampedFilter(Page& p, const double* d, int n, int window, int order) {
    const int half = window / 2, np = 2 * half + 1;
    Vector1 c(1, np);
    EXPECT_EQ(p.savgol(c.get(), np, half, half, 0, order), nullptr);
    std::vector<double> out(n);
    for (int k = 0; k < n; ++k) {
        double sum = 0;
        for (int o = -half; o <= half; ++o) sum += c[std::abs(o) + 1] * d[std::clamp(k + o, 0, n - 1)];
        out[k] = sum;
    }
    return out;
}

void ExpectCoefs(Page& p, int np, int nl, int nr, int ld, int m, const std::vector<double>& want) {
    Vector1 c(1, np);
    ASSERT_EQ(p.savgol(c.get(), np, nl, nr, ld, m), nullptr);
    for (int j = 0; j < np; ++j) EXPECT_NEAR(c[j + 1], want[j], 1e-13) << "slot " << j + 1;
}

} // namespace

TEST(SavGol, CoefficientsMatchPublishedTablesInWrapAroundOrder) {
    Page p;
    // Slots: offset 0, -1, -2, ..., then +half down to +1.
    ExpectCoefs(p, 5, 2, 2, 0, 2, {17 / 35., 12 / 35., -3 / 35., -3 / 35., 12 / 35.});
    ExpectCoefs(p, 7, 3, 3, 0, 2, {7 / 21., 6 / 21., 3 / 21., -2 / 21., -2 / 21., 3 / 21., 6 / 21.});
    ExpectCoefs(p, 9, 4, 4, 0, 4,
                {179 / 429., 135 / 429., 30 / 429., -55 / 429., 15 / 429., 15 / 429., -55 / 429.,
                 30 / 429., 135 / 429.});
    // First derivative, window 5: (-2, -1, 0, 1, 2) / 10 tells -j from +j.
    ExpectCoefs(p, 5, 2, 2, 1, 2, {0, -0.1, -0.2, 0.2, 0.1});
    // Straight line through offsets -2, -1, 0 read at its right end.
    ExpectCoefs(p, 3, 2, 0, 0, 1, {5 / 6., 1 / 3., -1 / 6.});
    EXPECT_FALSE(p.Work);
    Vector1 c(1, 3);
    EXPECT_NE(p.savgol(c.get(), 3, 1, 1, 0, 3), nullptr);  // more coefficients than points
}

TEST(Smooth, PolynomialOfTheOrderPassesAwayFromTheEndsAndEndsAreClamped) {
    test::ScriptedMessages msgs;
    for (const int order : {0, 2, 4, 6}) {
        for (const int window : {7, 12, 21}) {
            Page p;
            MakeSet(p, 2, 200);
            for (int k = 0; k < 200; ++k) {
                const double x = (k - 100) / 50.0;
                p.Data[0][k] = std::pow(x, order) - 0.5 * x + 3;  // order 0: a line, still exact
                p.Data[1][k] = std::sin(k * 0.3) + 0.01 * k;
            }
            p.Smooth(window, order);
            const int half = window / 2;
            for (int k = half; k < 200 - half; ++k)
                EXPECT_NEAR(p.Sim[0][k], p.Data[0][k], 1e-10) << order << " " << k;
            const std::vector<double> want = ClampedFilter(p, p.Data[1], 200, window, order);
            for (int k = 0; k < 200; ++k) EXPECT_NEAR(p.Sim[1][k], want[k], 1e-12) << k;
            EXPECT_EQ(p.simShown, 1);
        }
    }
    // Order 0 is the moving average, the end points standing in beyond the ends.
    Page p;
    MakeSet(p, 1, 4);
    const double d[4] = {1, 2, 4, 8};
    std::copy(d, d + 4, p.Data[0]);
    p.Smooth(3, 0);
    EXPECT_NEAR(p.Sim[0][0], 4 / 3., 1e-15);
    EXPECT_NEAR(p.Sim[0][1], 7 / 3., 1e-15);
    EXPECT_NEAR(p.Sim[0][3], 20 / 3., 1e-15);
    // The highest order allowed still reproduces points it must interpolate.
    MakeSet(p, 1, 13);
    for (int k = 0; k < 13; ++k) p.Data[0][k] = std::cos(k);
    p.Smooth(13, TSensTabCore::MaxSmoothOrder);
    EXPECT_NEAR(p.Sim[0][6], p.Data[0][6], 1e-8);
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(Smooth, SmoothsAlikeWhileThePageHoldsAnIntegratorForFewerSpecies) {
    // The integrator's row scales serve only systems they can hold: smoothing
    // decomposes up to MaxSmoothOrder + 1 rows.
    test::ScriptedMessages msgs;
    for (const int order : {6, TSensTabCore::MaxSmoothOrder}) {
        Page plain, busy;
        for (Page* p : {&plain, &busy}) {
            MakeSet(*p, 1, 40);
            for (int k = 0; k < 40; ++k) p->Data[0][k] = std::sin(0.3 * k);
        }
        ASSERT_TRUE(busy.Allocate(2));
        plain.Smooth(21, order);
        busy.Smooth(21, order);
        EXPECT_EQ(std::memcmp(plain.Sim[0], busy.Sim[0], 40 * sizeof(double)), 0) << order;
    }
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(Smooth, EvenWindowShortCurvesExcludedCurvesAndShortRows) {
    test::ScriptedMessages msgs;
    Page p;
    MakeSet(p, 5, 50);
    for (int i = 0; i < 5; ++i)
        for (int k = 0; k < 50; ++k) p.Data[i][k] = std::exp(-0.1 * k) * (i + 1) + 0.2 * std::sin(k);
    p.PointCount[0] = 1;
    p.PointCount[1] = 2;
    p.PointCount[2] = 5;
    p.Excluded[3] = true;
    for (int i = 0; i < 5; ++i) std::fill(p.Sim[i], p.Sim[i] + 50, -99.0);
    p.Smooth(21, 6);
    EXPECT_NEAR(p.Sim[0][0], p.Data[0][0], 1e-12);  // a single point is its own smoothing
    for (int i = 0; i < 3; ++i) {
        const int n = p.PointCount[i];
        const std::vector<double> want = ClampedFilter(p, p.Data[i], n, 21, 6);
        for (int k = 0; k < n; ++k) EXPECT_NEAR(p.Sim[i][k], want[k], 1e-12) << i << " " << k;
        EXPECT_EQ(p.Sim[i][n], -99.0);  // nothing written past the curve's end
    }
    EXPECT_EQ(p.Sim[3][10], -99.0);

    std::vector<double> odd(p.Sim[4], p.Sim[4] + 50);
    p.Smooth(20, 2);
    const std::vector<double> even(p.Sim[4], p.Sim[4] + 50);
    p.Smooth(21, 2);
    EXPECT_EQ(even, std::vector<double>(p.Sim[4], p.Sim[4] + 50));
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(Smooth, RefusesWhatNoFilterCanDoAndKeepsTheTraces) {
    test::ScriptedMessages msgs;
    Page p;
    MakeSet(p, 1, 30);
    for (int k = 0; k < 30; ++k) p.Data[0][k] = p.Sim[0][k] = k;
    const struct { int window, order; const char* text; } bad[] = {
        {1, 0, "Enter window size > 1"},
        {-4, 0, "Enter window size > 1"},
        {20000000, 2, "Enter window size <= 10000000"},
        {7, 7, "Window size must be greater than the Order"},
        {30, 13, "Enter order from 0 to 12"},
        {30, -1, "Enter order from 0 to 12"},
    };
    for (const auto& b : bad) {
        p.Smooth(b.window, b.order);
        EXPECT_EQ(msgs.Last().Text, b.text);
        EXPECT_EQ(msgs.Last().Caption, "Smooth Error");
    }
    for (int k = 0; k < 30; ++k) EXPECT_EQ(p.Sim[0][k], k);
    EXPECT_EQ(p.simShown, 0);
    p.Smooth(6, 6);  // acts as window 7
    EXPECT_EQ(msgs.Count(), std::size(bad));
    EXPECT_EQ(p.simShown, 1);
}

TEST(Noise, AddNoiseIsNormalReproducibleAndOnlyOnASimulation) {
    test::ScriptedMessages msgs;
    Page p;
    MakeSet(p, 11, 10000);
    p.Excluded[10] = true;
    p.Smooth(5, 2);
    p.simShown = 0;
    p.AddNoise(0.5);  // a smoothed trace is not a simulation
    EXPECT_EQ(p.Sim[0][7], 0.0);
    EXPECT_EQ(p.simShown, 0);

    p.Modelled = true;
    ResetRandom(-17);
    p.AddNoise(0.5);
    EXPECT_EQ(p.simShown, 1);
    double sum = 0, sq = 0;
    for (int i = 0; i < 10; ++i)
        for (int k = 0; k < 10000; ++k) {
            sum += p.Sim[i][k];
            sq += p.Sim[i][k] * p.Sim[i][k];
        }
    const double n = 1e5, mean = sum / n, sd = std::sqrt((sq - n * mean * mean) / (n - 1));
    EXPECT_LT(std::fabs(mean), 5 * 0.5 / std::sqrt(n));
    EXPECT_LT(std::fabs(sd - 0.5), 5 * 0.5 / std::sqrt(2 * n));
    EXPECT_EQ(std::count(p.Sim[10], p.Sim[10] + 10000, 0.0), 10000);

    // One draw per point, curve by curve.
    ResetRandom(-17);
    EXPECT_EQ(p.Sim[0][0], 0.5 * GaussRandom(&RandomSeed()));
    EXPECT_EQ(p.Sim[0][1], 0.5 * GaussRandom(&RandomSeed()));
}

TEST(Noise, RestoreDataGivesBackTheMeasuredValuesBitForBit) {
    test::ScriptedMessages msgs;
    Page p;
    MakeSet(p, 3, 1000);
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 1000; ++k) p.Data[i][k] = std::sqrt(k + 0.1 * i) * 1e-3 + 1e-300;
    const std::vector<double> measured(p.Data[0], p.Data[0] + 3000);  // the rows share one block
    const auto same = [&] { return std::memcmp(p.Data[0], measured.data(), 3000 * sizeof(double)) == 0; };

    p.RestoreData();  // nothing was perturbed: the zero backup must not land in Data
    EXPECT_TRUE(same());
    p.RandomizeData(0);
    EXPECT_TRUE(same());
    EXPECT_EQ(p.DataBackup[2][999], p.Data[2][999]);

    p.Excluded[2] = true;
    ResetRandom(-5);
    p.RandomizeData(2.0);
    p.RandomizeData(2.0);  // a second one before the restore must not back up noise
    EXPECT_NE(p.Data[0][10], measured[10]);
    EXPECT_TRUE(std::equal(p.Data[2], p.Data[2] + 1000, measured.begin() + 2000));
    p.Excluded[0] = true;   // excluded during the cycle: still restored
    p.Excluded[2] = false;  // included during the cycle: has no backup, keeps its values
    p.RestoreData();
    EXPECT_TRUE(same());

    p.RandomizeData(1.0);
    MakeSet(p, 3, 1000);  // a new set arrives mid-cycle
    p.Data[1][5] = 42;
    p.RestoreData();
    EXPECT_EQ(p.Data[1][5], 42);
    EXPECT_EQ(msgs.Count(), 0u);
}
