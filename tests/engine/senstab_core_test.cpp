#include <cmath>
#include <gtest/gtest.h>

#include "engine/dataset/senstab_core.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

namespace {

// A page that records the injection dialog requests instead of showing one.
class Page : public TSensTabCore {
public:
    bool RunInjDlg(int slot) override {
        dialogSlots.push_back(slot);
        return true;
    }
    std::vector<int> dialogSlots;
};

} // namespace

TEST(DataSet, CreateSetMakesEvenlySpacedCurves) {
    test::ScriptedMessages msgs;
    Page page;
    page.CreateSet(3, 100, 10);
    ASSERT_EQ(page.NumCurves, 3);
    ASSERT_EQ(page.NumPoints, 10);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(page.PointCount[i], 10);
        EXPECT_EQ(page.Time[i][0], 0);
        EXPECT_DOUBLE_EQ(page.Time[i][9], 90);
        EXPECT_EQ(page.Flow[i], 1.0);
        EXPECT_EQ(page.FracNum[2][i], -1.0);
    }
    EXPECT_FALSE(page.GetLoaded());
    EXPECT_EQ(page.dialogSlots, std::vector<int>{0});
    EXPECT_EQ(page.NumCurvesText(), "Num Curves: 3");
    EXPECT_EQ(page.NumPointsText(), "Points/Curve: 10");

    page.CreateSet(1, 25, 10);  // 2.5 + 0.5 rounds to 3 points
    EXPECT_EQ(page.NumPoints, 3);
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(DataSet, BadRequestsLeaveTheOldSetUntouched) {
    test::ScriptedMessages msgs;
    Page page;
    page.CreateSet(2, 10, 1);
    page.Data[1][5] = 42;
    page.InjConc[0][0] = 3;  // makes a slot used: a bad request must not even ask
    const struct {
        int curves;
        double total, interval;
    } bad[] = {{2, 12, 10},     // one point
               {2, 10, 0},      // no interval
               {2, 10, -1},
               {2, NAN, 1},
               {2, 10, INFINITY},
               {0, 10, 1},
               {2, 1e9, 1e-3},  // a trillion points
               {-5, 10, 1}};
    for (const auto& b : bad) {
        msgs.Clear();
        page.CreateSet(b.curves, b.total, b.interval);
        ASSERT_EQ(msgs.Count(), 1u) << b.curves << " " << b.total << " " << b.interval;
        EXPECT_EQ(msgs.Last().Text, "Bad choice of values");
        EXPECT_EQ(msgs.Last().Caption, "New Set Error");
        EXPECT_EQ(page.NumCurves, 2);
        EXPECT_EQ(page.Data[1][5], 42);
    }
    EXPECT_TRUE(msgs.AllAnswered());
}

TEST(DataSet, KeptInjectionsExtendFromTheLastOldCurveWithTheirStock) {
    test::ScriptedMessages msgs;
    Page page;
    page.CreateSet(2, 10, 1);
    page.InjStart[0][0] = 10;
    page.InjStop[0][0] = 20;
    page.InjConc[0][0] = 1e-9;
    page.InjStart[0][1] = 11;
    page.InjStop[0][1] = 21;
    page.InjConc[0][1] = 0.5;
    page.ConcIsFraction[0][1] = true;
    page.FracNum[0][1] = 1;
    page.FracDen[0][1] = 2;
    page.StockConc[0] = 4e-6;
    page.RefIndex[0][1] = 7;
    page.Flow[1] = 3;

    msgs.Answer(MsgResult::Yes);
    page.CreateSet(4, 10, 1);
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "Do you want to keep injection data?");
    EXPECT_EQ(msgs.Last().Caption, "New Data Set");
    EXPECT_EQ(msgs.Last().Buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(page.InjStart[0][0], 10);
    for (int i = 1; i < 4; ++i) {
        EXPECT_EQ(page.InjStart[0][i], 11);
        EXPECT_EQ(page.InjStop[0][i], 21);
        EXPECT_EQ(page.InjConc[0][i], 0.5);
        EXPECT_TRUE(page.ConcIsFraction[0][i]);
        EXPECT_EQ(page.FracDen[0][i], 2);
        EXPECT_EQ(page.RefIndex[0][i], 0);  // steps and flows are not kept
        EXPECT_EQ(page.Flow[i], 1);
    }
    EXPECT_EQ(page.StockConc[0], 4e-6);
    EXPECT_TRUE(page.dialogSlots.size() == 1);  // only the first CreateSet opened the dialog
    EXPECT_TRUE(page.InjLabelVisible(0));
    EXPECT_EQ(page.InjLabelText(0), "Inj1: 10.00 - 20.00");

    // Cancel changes nothing.
    msgs.Answer(MsgResult::Cancel);
    page.CreateSet(1, 50, 1);
    EXPECT_EQ(page.NumCurves, 4);
    EXPECT_EQ(page.NumPoints, 10);

    // No: a fresh set, dialog asked for slot 0.
    msgs.Answer(MsgResult::No);
    page.CreateSet(1, 50, 1);
    EXPECT_EQ(page.NumCurves, 1);
    EXPECT_EQ(page.InjConc[0][0], 0);
    EXPECT_EQ(page.StockConc[0], 0);
    EXPECT_EQ(page.dialogSlots.size(), 2u);
}

TEST(DataSet, InjUsedIgnoresExcludedCurves) {
    test::ScriptedMessages msgs;
    Page page;
    page.CreateSet(2, 10, 1);
    EXPECT_FALSE(page.InjUsed(3));
    page.InjStart[3][1] = 5;
    page.Excluded[1] = true;
    EXPECT_FALSE(page.InjUsed(3));
    page.Excluded[1] = false;
    EXPECT_TRUE(page.InjUsed(3));
    EXPECT_FALSE(page.InjUsed(-1));
    EXPECT_FALSE(page.InjUsed(6));
}

TEST(DataSet, CheckDataReportsTheFirstBadTimeOnce) {
    test::ScriptedMessages msgs;
    Page page;
    EXPECT_TRUE(page.CheckData());  // nothing loaded
    page.CreateSet(3, 10, 1);
    page.Loaded = true;
    EXPECT_TRUE(page.CheckData());
    page.Time[1][4] = page.Time[1][3];  // two equal times
    page.Time[2][7] = 1;                // a later fault in another curve
    EXPECT_FALSE(page.CheckData());
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "Zero or negative time interval \n at time = 3.000000");
    EXPECT_EQ(msgs.Last().Caption, "Data Error");
    page.Time[1][4] = NAN;
    msgs.Clear();
    EXPECT_FALSE(page.CheckData());
}

TEST(DataSet, ClearSensAlwaysLeavesNoDataAndIsRepeatable) {
    test::ScriptedMessages msgs;
    Page page;
    page.ClearSens();
    page.ClearSens();
    EXPECT_EQ(page.NumCurves, 0);
    page.CreateSet(2, 10, 1);
    page.Loaded = page.Modelled = true;
    page.ClearSens();
    EXPECT_EQ(page.NumCurves, 0);
    EXPECT_EQ(page.NumPoints, 0);
    EXPECT_EQ(page.AllocCurves, 0);
    EXPECT_FALSE(page.GetLoaded() || page.GetModelled());
    EXPECT_TRUE(page.Data.empty());
    EXPECT_EQ(page.NumCurvesText(), "Num Curves:");
    // Counts set by a caller without arrays are cleared as well.
    page.NumCurves = 5;
    page.ClearSens();
    EXPECT_EQ(page.NumCurves, 0);
}

TEST(DataSet, NewSensRefusesBadSizesWithItsMessage) {
    test::ScriptedMessages msgs;
    Page page;
    EXPECT_FALSE(page.NewSens(0, 10));
    EXPECT_FALSE(page.NewSens(1, 1));
    ASSERT_EQ(msgs.Count(), 2u);
    EXPECT_EQ(msgs.Last().Text, "Bad allocation request");
    EXPECT_EQ(msgs.Last().Caption, "New Sens");
    EXPECT_EQ(msgs.Last().Icon, MsgIcon::Exclamation);
    ASSERT_TRUE(page.NewSens(2, 2));
    EXPECT_EQ(page.AllocCurves, 2);
    EXPECT_EQ(page.NumCurves, 0);  // the caller sets the counts
}
