#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/plot/histogram_core.h"

namespace kivra {
namespace {

TEST(Histogram, StatisticsAndRange) {
    struct Case {
        std::vector<double> values;
        double sd;
        double mean, stdDev, low, centre, high;
    };
    const Case cases[] = {
        {{1, 2, 3}, 0.1, 2, 0.1, 1.7, 2, 2.3},
        // 0.0096 to one digit is 0.01, which moves the step up a decade.
        {{1, 2, 3}, 0.0032, 2, 0.0032, 1.99, 2, 2.01},
        // The median -0.27 goes to the step's multiple away from zero.
        {{-0.3, -0.27, -0.2}, 0.1, -0.77 / 3, 0.1, -0.6, -0.3, 0},
        // No spread at all still gives a range.
        {{5, 5}, 0, 5, 0, 5 - 1e-5, 5, 5 + 1e-5},
        // Four results: the centre is the third smallest.
        {{4, 1, 3, 2}, 0.1, 2.5, 0.1, 2.7, 3, 3.3},
    };
    for (const Case& c : cases) {
        THistogramCore h(30, "t");
        for (double v : c.values) h.AddResult(v, c.sd);
        EXPECT_DOUBLE_EQ(h.Mean, c.mean);
        EXPECT_DOUBLE_EQ(h.StdDev, c.stdDev);
        EXPECT_NEAR(h.Low, c.low, 1e-12);
        EXPECT_NEAR(h.Centre, c.centre, 1e-12);
        EXPECT_NEAR(h.High, c.high, 1e-12);
        EXPECT_TRUE(std::is_sorted(h.Values.data(), h.Values.data() + h.Count));
    }
}

TEST(Histogram, TheTwentyFirstResultSwitchesToTheSampleSpread) {
    THistogramCore h(21, "t");
    for (int i = 1; i <= 20; ++i) h.AddResult(i, 0.5);
    EXPECT_EQ(h.StdDev, 0.5);
    h.AddResult(21, 0.5);
    EXPECT_DOUBLE_EQ(h.Mean, 11);
    EXPECT_DOUBLE_EQ(h.StdDev, std::sqrt(38.5));  // sum of (i - 11)^2 over 1..21 is 770
}

// Bars 1 to 18 span Low to High; what lies outside goes to bars 0 and 19.
TEST(Histogram, BinsSpanLowToHigh) {
    THistogramCore h(100, "t");
    // Three SDs of 1/6 make a half range of 0.5 around 2: Low 1.5, High 2.5,
    // slices of 1/18.
    for (double v : {2.01, 1.5, 1.5 - 1e-9, 2.5, 2.5 - 1e-9, 1e300, -1e300, 2.0 + 1e-9})
        h.AddResult(v, 1.0 / 6);
    ASSERT_EQ(h.Low, 1.5);
    ASSERT_EQ(h.High, 2.5);
    const int expected[HistogramBins] = {2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 1, 2};
    for (int b = 0; b < HistogramBins; ++b) EXPECT_EQ(h.Bins[b], expected[b]) << "bin " << b;
}

TEST(Histogram, RefusesWhatItCannotHold) {
    THistogramCore h(2, "t");
    const double inf = std::numeric_limits<double>::infinity();
    h.AddResult(std::nan(""), 1);
    h.AddResult(1, inf);
    h.AddResult(inf, 1);
    EXPECT_EQ(h.Count, 0);
    EXPECT_EQ(h.HeaderText(), "0.000e+00 \u00b1 0.000e+00");
    h.AddResult(1e308, 1e308);  // three SDs overflow: no integer may take them
    h.AddResult(-1e308, 1e308);
    h.AddResult(7, 1);  // beyond the capacity
    EXPECT_EQ(h.Count, 2);
    EXPECT_EQ(h.Mean, 0);
    EXPECT_EQ(h.Bins[0] + h.Bins[HistogramBins - 1] + h.Bins[10], 2);
}

TEST(Histogram, NumberText) {
    EXPECT_EQ(HistogramNumber(123.4), "1.234e+02");
    EXPECT_EQ(HistogramNumber(0), "0.000e+00");
    EXPECT_EQ(HistogramNumber(-0.0), "0.000e+00");
    EXPECT_EQ(HistogramNumber(-0.0005), "-5.000e-04");
    EXPECT_EQ(HistogramNumber(1.5e-123), "1.500e-123");
}

} // namespace
} // namespace kivra
