#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/numeric/owned_array.h"
#include "engine/plot/plot_math.h"
#include "engine/dataset/senstab_core.h"
#include "tests/support/plot_curves.h"

using namespace kivra;

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

PlotFrame Frame() {
    PlotFrame f;
    f.XMin = 0;
    f.XMax = 100;
    f.YMin = -10;
    f.YMax = 30;
    f.XLeft = 50;
    f.XRight = 550;
    f.XScale = 5;
    f.YBottom = 380;
    f.YTop = 20;
    f.YScale = -9;
    return f;
}

// Curves of n points at times 0, 1, ..., all values 0.
test::PlotCurves Zeros(int curves, int points) {
    return test::PlotCurves(curves, points, [](int, int i) { return i; }, [](int, int) { return 0.0; },
                            [](int, int) { return 0.0; });
}

} // namespace

TEST(PlotMath, PixelMapRoundsHalfUpAndTruncatesTowardZero) {
    const PlotFrame f = Frame();
    EXPECT_EQ(PixelX(f, 0), 50);
    EXPECT_EQ(PixelX(f, 100), 550);
    EXPECT_EQ(PixelX(f, 0.1), 51);   // 50.5 + 0.5
    EXPECT_EQ(PixelX(f, 0.09), 50);  // 50.45 + 0.5
    EXPECT_EQ(PixelY(f, 30), 20);
    EXPECT_EQ(PixelX(f, -10.19), 0);  // -0.45 truncates to 0, not to -1
    EXPECT_EQ(PixelX(f, -10.5), -2);
    EXPECT_DOUBLE_EQ(DataX(f, PixelX(f, 40)), 40);
    EXPECT_DOUBLE_EQ(DataY(f, PixelY(f, 10)), 10);
    PlotFrame never;  // before the first drawing
    EXPECT_EQ(DataX(never, 123), 0);
    EXPECT_EQ(DataY(never, 123), 0);
}

TEST(PlotMath, PixelsOfFarOrBrokenValuesStayInRange) {
    const PlotFrame f = Frame();
    EXPECT_EQ(PixelX(f, 1e300), static_cast<int>(PixelLimit));
    EXPECT_EQ(PixelX(f, -1e300), -static_cast<int>(PixelLimit));
    EXPECT_EQ(PixelX(f, Inf), static_cast<int>(PixelLimit));
    EXPECT_EQ(PixelX(f, NaN), -static_cast<int>(PixelLimit));
}

TEST(PlotMath, TickStepsFollowTheMantissaAndTheSize) {
    // A span of 100 s: mantissa 1, so 0.2 x 10^2, doubled on narrow plots.
    EXPECT_DOUBLE_EQ(XTickStep(100, 250), 20);
    EXPECT_DOUBLE_EQ(XTickStep(100, 200), 40);
    EXPECT_DOUBLE_EQ(XTickStep(100, 90), 80);
    // x limits 2.5 and 6, y limits 2 and 5.
    EXPECT_DOUBLE_EQ(XTickStep(240, 300), 20);
    EXPECT_DOUBLE_EQ(XTickStep(300, 300), 50);
    EXPECT_DOUBLE_EQ(XTickStep(700, 300), 100);
    EXPECT_DOUBLE_EQ(YTickStep(1.5, 200), 0.2);
    EXPECT_DOUBLE_EQ(YTickStep(3, 200), 0.5);
    EXPECT_DOUBLE_EQ(YTickStep(6, 200), 1);
    EXPECT_DOUBLE_EQ(YTickStep(6, 119), 2);
    // Below 1 the fraction of the logarithm is negative: 0.05 gives 10^-0.3 = 0.5.
    EXPECT_DOUBLE_EQ(YTickStep(0.05, 200), 0.02);
    // The residual strip takes the decade by floor: 0.011 is 1.1 x 10^-2.
    EXPECT_DOUBLE_EQ(ResidualYTickStep(0.011, 200), 0.002);
    EXPECT_DOUBLE_EQ(YTickStep(0.011, 200), 0.02);
    EXPECT_DOUBLE_EQ(ResidualYTickStep(30, 200), 5);
    EXPECT_DOUBLE_EQ(ResidualYTickStep(30, 100), 10);
    for (double bad : {0.0, -1.0, NaN, Inf}) {
        EXPECT_EQ(TickStep(bad, 2, 5), 0) << bad;
        EXPECT_EQ(ResidualYTickStep(bad, 200), 0) << bad;
    }
}

TEST(PlotMath, TickValuesAccumulateAndAlwaysEnd) {
    const std::vector<double> t = TickValues(-35, 95, 20);
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t.front(), -20);
    EXPECT_EQ(t.back(), 80);
    // Sums of 0.1 leave dust where zero should be; the plot snaps it.
    const std::vector<double> d = TickValues(-0.5, 0.3, 0.1);
    ASSERT_GE(d.size(), 6u);
    EXPECT_NE(d[5], 0.0);
    EXPECT_LT(std::fabs(d[5]), 1e-15);
    // A step below the values' precision, a huge count and broken bounds all end.
    EXPECT_EQ(TickValues(1e16, 1e16 + 8, 0.5).size(), 1u);
    EXPECT_EQ(TickValues(0, 1e12, 1).size(), MaxTicks);
    EXPECT_TRUE(TickValues(NaN, 1, 0.1).empty());
    EXPECT_TRUE(TickValues(0, Inf, 0.1).empty());
    EXPECT_TRUE(TickValues(0, 1, 0).empty());
    EXPECT_TRUE(TickValues(-1e308, 1e308, 1e-300).size() <= MaxTicks);
}

TEST(PlotMath, AxisLabelsUseTheGeneralFormat) {
    EXPECT_EQ(FormatTickLabel(0), "0");
    EXPECT_EQ(FormatTickLabel(20), "20");
    EXPECT_EQ(FormatTickLabel(-2.5), "-2.5");
    EXPECT_EQ(FormatTickLabel(0.2), "0.2");
    EXPECT_EQ(FormatTickLabel(12345.6), "12346");
    EXPECT_EQ(FormatTickLabel(123456), "1.2346E05");
    EXPECT_EQ(FormatTickLabel(99999.9), "1E05");  // rounding carries into the next decade
    EXPECT_EQ(FormatTickLabel(0.00012345), "0.00012345");
    EXPECT_EQ(FormatTickLabel(1e-6), "1E-06");
    EXPECT_EQ(FormatTickLabel(-3e120), "-3E120");
}

TEST(PlotMath, DataRangeWidensEachBoundByItsOwnMagnitude) {
    test::PlotCurves c = Zeros(2, 5);
    for (int i = 0; i < 5; ++i) {
        c.Data[0][i] = 10 + i;
        c.Data[1][i] = 20 - i;
        c.Sim[0][i] = 40;
        c.Time[1][i] = 100 + i;
    }
    c.Excluded[1] = true;  // still part of the range
    c.Flags[1][0] = PointDeleted | PointHidden;
    PlotFrame f;
    ASSERT_TRUE(DataRange(c.Arrays(), true, false, f));
    EXPECT_DOUBLE_EQ(f.YMin, 9);
    EXPECT_DOUBLE_EQ(f.YMax, 22);
    EXPECT_DOUBLE_EQ(f.XMin, 0);
    EXPECT_DOUBLE_EQ(f.XMax, 104);
    ASSERT_TRUE(DataRange(c.Arrays(), true, true, f));
    EXPECT_DOUBLE_EQ(f.YMax, 44);
    // Broken values take no part.
    c.Data[0][2] = NaN;
    c.Data[1][3] = Inf;
    c.Time[0][4] = -Inf;
    ASSERT_TRUE(DataRange(c.Arrays(), true, false, f));
    EXPECT_DOUBLE_EQ(f.YMin, 9);
    EXPECT_DOUBLE_EQ(f.XMin, 0);
}

TEST(PlotMath, DataRangeRefusesWhatCannotBeDrawn) {
    PlotFrame f;
    test::PlotCurves none = Zeros(2, 4);
    none.Count[0] = none.Count[1] = 0;
    EXPECT_FALSE(DataRange(none.Arrays(), true, true, f));
    test::PlotCurves zero = Zeros(1, 4);  // all values 0: no span after widening
    EXPECT_FALSE(DataRange(zero.Arrays(), true, false, f));
    test::PlotCurves sameTime = Zeros(1, 4);
    for (int i = 0; i < 4; ++i) {
        sameTime.Time[0][i] = 5;
        sameTime.Data[0][i] = i;
    }
    EXPECT_FALSE(DataRange(sameTime.Arrays(), true, false, f));
    test::PlotCurves huge = Zeros(1, 2);
    huge.Data[0][0] = -1.7e308;
    huge.Data[0][1] = 1.7e308;
    EXPECT_FALSE(DataRange(huge.Arrays(), true, false, f));
    EXPECT_FALSE(DataRange(Zeros(1, 3).Arrays(), false, false, f));
}

TEST(PlotMath, ResidualRangeSkipsFirstPointsAndExcludedCurves) {
    test::PlotCurves c = Zeros(3, 4);
    c.Data[0][0] = 50;  // first point: drawn, not ranged
    c.Data[0][2] = -3;
    c.Data[1][1] = 2;
    c.Sim[1][1] = 1;
    c.Data[2][3] = 99;
    c.Excluded[2] = true;
    c.Time[2][0] = -500;
    EXPECT_DOUBLE_EQ(ResidualMax(c.Arrays()), 3);
    double lo = 0, hi = 0;
    ASSERT_TRUE(ResidualTimeRange(c.Arrays(), lo, hi));
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 3);
    test::PlotCurves equal = Zeros(1, 4);
    EXPECT_EQ(ResidualMax(equal.Arrays()), 0);
}

TEST(PlotMath, ClosestCurveUsesTheValuesAsDrawn) {
    test::PlotCurves c = Zeros(3, 3);
    for (int i = 0; i < 3; ++i) {
        c.Data[0][i] = 10;
        c.Data[1][i] = 10;  // ties with curve 0: the earlier wins
        c.Data[2][i] = 20;
        c.Sim[2][i] = 20;
    }
    EXPECT_EQ(FindClosestSens(c.Arrays(), false, 1, 11), 0);
    EXPECT_EQ(FindClosestSens(c.Arrays(), false, 1, 19), 2);
    c.Excluded[2] = true;
    EXPECT_EQ(FindClosestSens(c.Arrays(), false, 1, 19), 0);
    c.Excluded[2] = false;
    // As residuals curve 2 lies at 0.
    EXPECT_EQ(FindClosestSens(c.Arrays(), true, 1, 1), 2);
    // In the injection dialog curve 2 is drawn 15 lower inside its window.
    c.Start[2] = 0;
    c.Stop[2] = 2;
    c.RI[2] = 15;
    EXPECT_EQ(FindClosestSens(c.Arrays(true), false, 1, 6), 2);
    EXPECT_EQ(FindClosestPoint(c.Arrays(true), 2, 2.2, 5), 2);
    c.Stop[2] = 1.5;  // point 2 now lies outside the window, at 20
    EXPECT_EQ(FindClosestPoint(c.Arrays(true), 2, 2.2, 5), 1);
    // Nothing within 1e10 of the point.
    EXPECT_EQ(FindClosestSens(c.Arrays(), false, 1, 1e6), 0);
    EXPECT_EQ(FindClosestPoint(c.Arrays(), 1, 1, 1e6), -1);
    EXPECT_EQ(FindClosestPoint(c.Arrays(), 7, 1, 1), -1);
}

TEST(PlotMath, PolylineKeepsEachColumnsExtremes) {
    PolylineBuilder b;
    b.MoveTo(0.5, 10.5);
    // Many points in column 5, then one in column 9.
    const double ys[] = {20, 3, 40, 12, 7, 33, 15};
    for (double y : ys) b.LineTo(5.7, y + 0.5);
    b.LineTo(9.2, 8);
    const auto& pieces = b.Pieces();
    ASSERT_EQ(pieces.size(), 1u);
    const std::vector<PixelPoint> want = {{0, 10}, {5, 20}, {5, 3}, {5, 40}, {5, 15}, {9, 8}};
    EXPECT_EQ(pieces[0], want);
}

TEST(PlotMath, PolylineCutsFarSegmentsAlongTheirDirection) {
    PolylineBuilder b;
    b.MoveTo(100, 100);
    b.LineTo(100 + 1e12, 100 + 5e11);  // slope 1/2, far beyond any surface
    b.LineTo(100 + 1e12, 100);         // wholly outside
    b.LineTo(200, 100);                // comes back: a new piece from the cut
    const auto& pieces = b.Pieces();
    ASSERT_EQ(pieces.size(), 2u);
    ASSERT_EQ(pieces[0].size(), 2u);
    const PixelPoint end = pieces[0][1];
    EXPECT_EQ(end.x, static_cast<int>(PixelLimit));
    EXPECT_NEAR(end.y - 100, (end.x - 100) / 2.0, 1.0);
    ASSERT_EQ(pieces[1].size(), 2u);
    EXPECT_EQ(pieces[1][0], (PixelPoint{static_cast<int>(PixelLimit), 100}));
    EXPECT_EQ(pieces[1][1], (PixelPoint{200, 100}));
}

TEST(PlotMath, PolylineBreaksAtBrokenPoints) {
    PolylineBuilder b;
    b.MoveTo(0, 0);
    b.LineTo(10, 10);
    b.LineTo(NaN, 5);
    b.LineTo(20, 0);  // starts afresh: no line from the broken point
    b.LineTo(30, 5);
    const auto& pieces = b.Pieces();
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[1].front(), (PixelPoint{20, 0}));
}
