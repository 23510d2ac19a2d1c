#include <gtest/gtest.h>

#include "tests/engine/datafile_helpers.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;
using namespace kivra::test;

TEST(OlderDataFiles, HeaderlessTableSharesItsTimesAndSlotOne) {
    ScriptedMessages msgs;
    ScratchDir dir("headerless");
    TSensTabCore page;
    // Blank lines at the end are not points.
    ASSERT_TRUE(page.LoadSens(dir.Write("old.txt", "120\t1e-9\t2E-9\n0\t1\t2\n1.5\t3\t4\n3\t5\t6\n\n\n")));
    EXPECT_EQ(msgs.Count(), 0u);
    ASSERT_TRUE(Consistent(page));
    EXPECT_EQ(page.NumCurves, 2);
    EXPECT_EQ(page.NumPoints, 3);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(page.PointCount[i], 3);
        EXPECT_EQ(page.InjStart[0][i], 0);
        EXPECT_EQ(page.InjStop[0][i], 120);
        EXPECT_EQ(page.Time[i][1], 1.5);
        EXPECT_EQ(page.Sim[i][1], 0);  // not filled by this form
    }
    EXPECT_EQ(page.InjConc[0][0], 1e-9);
    EXPECT_EQ(page.InjConc[0][1], 2e-9);
    EXPECT_EQ(page.Data[1][2], 6);
    EXPECT_EQ(page.Caption(), "old.txt");
}

TEST(OlderDataFiles, InstrumentExportsByNameOrByTheirFlowCellHeaders) {
    ScriptedMessages msgs;
    ScratchDir dir("export");
    TSensTabCore page;
    // A word on the first line of a table makes it an export; curves keep their own lengths.
    ASSERT_TRUE(page.LoadSens(dir.Write("w.txt", "time\tresp\ttime\tresp\n0\t1\t0\t2\n1\t3\t\t\n2\t5\t\t\n")));
    ASSERT_TRUE(Consistent(page));
    EXPECT_EQ(page.NumCurves, 2);
    EXPECT_EQ(page.PointCount[0], 3);
    EXPECT_EQ(page.PointCount[1], 1);
    EXPECT_EQ(page.Data[0][2], 5);
    EXPECT_EQ(page.Sim[0][2], 0);
    EXPECT_FALSE(page.InjUsed(0));

    // "Fc" among the first characters, with a comma in the header: one warning, and
    // the comma counts as a separator. A comma inside a pair makes it no point.
    msgs.Clear();
    ASSERT_TRUE(page.LoadSens(dir.Write("fc.txt", "Fc=1 X,Fc=1 Y\tFc=2 X\tFc=2 Y\n0\t1\t0\t2\n1\t3\t1,4\n")));
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Caption, "Warning");
    EXPECT_EQ(page.NumCurves, 2);
    EXPECT_EQ(page.PointCount[0], 2);
    EXPECT_EQ(page.PointCount[1], 1);
    EXPECT_EQ(page.Data[0][1], 3);

    // A word and a comma: still only one warning.
    msgs.Clear();
    ASSERT_TRUE(page.LoadSens(dir.Write("wc.txt", "t,r\n0\t1\n1\t2\n")));
    EXPECT_EQ(msgs.Count(), 1u);
}

TEST(OlderDataFiles, VersionThreeFormCarriesOneInjection) {
    ScriptedMessages msgs;
    ScratchDir dir("v3");
    TSensTabCore page;
    // Four curves: seven separators after the first character of line 4.
    const std::string text =
        "Vxxxxxxx3 old\n"
        "100 start\n"
        "250\n"
        "T\tA\tT\tA\tT\tA\tT\tA\n"
        "0\t1e-9\t0\t2e-9\t0\t3e-9\t0\t4e-9\n"
        "0\t1\t0\t2\t0\t3\t0\t4\n"
        "1\t5\t1\t6\t\t\t1\t8\n";
    ASSERT_TRUE(page.LoadSens(dir.Write("v3.txt", text)));
    EXPECT_EQ(msgs.Count(), 0u);
    ASSERT_TRUE(Consistent(page));
    EXPECT_EQ(page.NumCurves, 4);
    EXPECT_EQ(page.NumPoints, 3);  // the end of line 5 counts as a line
    EXPECT_EQ(page.PointCount[0], 2);
    EXPECT_EQ(page.PointCount[2], 1);
    EXPECT_EQ(page.InjConc[0][3], 4e-9);
    EXPECT_EQ(page.InjStart[0][1], 100);
    EXPECT_EQ(page.InjStop[0][1], 250);
    EXPECT_EQ(page.Data[3][1], 8);
    EXPECT_EQ(page.Sim[3][1], 8);

    // Line 4 with six separators is an odd count with its line end.
    msgs.Clear();
    std::string bad = text;
    bad.replace(bad.find("T\tA\tT\tA\tT\tA\tT\tA"), 15, "T\tA\tT\tA\tT\tA\tT");
    EXPECT_FALSE(page.LoadSens(dir.Write("bad.txt", bad)));
    EXPECT_EQ(msgs.Last().Text, "Unreadable format");
    EXPECT_EQ(page.Caption(), "v3.txt");
}
