#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <string>

#include "engine/files/datafile_text.h"
#include "engine/files/file_choices.h"
#include "tests/engine/datafile_helpers.h"
#include "tests/support/scripted_file_choices.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;
using namespace kivra::test;

namespace {

// Three curves of five points, the second excluded and the third cut to three points.
void MakeSample(TSensTabCore& page) {
    page.CreateSet(3, 50, 10);
    page.Excluded[1] = true;
    page.PointCount[2] = 3;
    const double first[] = {1234567, 0.0001234567, 1e-5, -2.5, 100000};
    for (int k = 0; k < 5; ++k) {
        page.Data[0][k] = first[k];
        page.Sim[0][k] = first[k] / 2;
        page.Data[2][k] = k + 1;
        page.Sim[2][k] = 0.5;
    }
    for (int i = 0; i < 3; ++i) {
        page.InjStart[0][i] = 100;
        page.InjStop[0][i] = 400;
    }
    page.InjConc[0][0] = 1e-9;
    page.InjConc[0][2] = 0.5;  // half of the stock
    page.ConcIsFraction[0][2] = true;
    page.FracNum[0][2] = 1;
    page.FracDen[0][2] = 2;
    page.StockConc[0] = 10;
    page.RefIndex[0][2] = 0.25;
    page.InjStart[2][0] = 7;
    page.InjConc[4][1] = 3;  // only on the excluded curve: slot 5 is not used
    page.Flow[0] = 2.5;
}

const char* const SampleMask1 =
    "Vers 3.41 Data\n"
    "Conc1\t1e-09\t5\n"
    "Start1\t100\t100\n"
    "Stop1\t400\t400\n"
    "RInd1\t0\t0.25\n"
    "Conc3\t0\t0\n"
    "Start3\t7\t0\n"
    "Stop3\t0\t0\n"
    "RInd3\t0\t0\n"
    "Flow\t2.5\t1\n"
    "Time1\tData1\tTime3\tData3\n"
    "0\t1.23457e+06\t0\t1\n"
    "10\t0.000123457\t10\t2\n"
    "20\t1e-05\t20\t3\n"
    "30\t-2.5\t\t\n"
    "40\t100000\t\t\n";

} // namespace

TEST(DataFile, WritesTheCurrentFormAndReadsItBack) {
    ScriptedMessages msgs;
    ScratchDir dir("golden");
    TSensTabCore page;
    MakeSample(page);
    ASSERT_TRUE(page.WriteData(dir.Path("sample.txt"), 1));
    EXPECT_EQ(dir.Read("sample.txt"), SampleMask1);
    EXPECT_EQ(dir.Files(), std::vector<std::string>{"sample.txt"});  // no temporary left

    CountingPage back;
    back.Tag = 2;
    ASSERT_TRUE(back.LoadSens(dir.Path("sample.txt")));
    EXPECT_EQ(msgs.Count(), 0u);
    ASSERT_TRUE(Consistent(back));
    EXPECT_EQ(back.NumCurves, 2);
    EXPECT_EQ(back.NumPoints, 5);
    EXPECT_EQ(back.PointCount[0], 5);
    EXPECT_EQ(back.PointCount[1], 3);
    EXPECT_EQ(back.Data[0][0], 1234570);
    EXPECT_EQ(back.Sim[0][0], 1234570);  // the loaded part is the simulation too
    EXPECT_EQ(back.Data[0][1], 0.000123457);
    EXPECT_EQ(back.Time[1][2], 20);
    EXPECT_EQ(back.Data[1][2], 3);
    EXPECT_EQ(back.InjConc[0][1], 5);  // the fraction came back as a concentration
    EXPECT_FALSE(back.ConcIsFraction[0][1]);
    EXPECT_EQ(back.FracNum[0][1], -1);
    EXPECT_EQ(back.StockConc[0], 0);
    EXPECT_EQ(back.RefIndex[0][1], 0.25);
    EXPECT_EQ(back.InjStart[2][0], 7);
    EXPECT_EQ(back.Flow[0], 2.5);
    EXPECT_EQ(back.Flow[1], 1);
    EXPECT_TRUE(back.IsLoaded());
    EXPECT_FALSE(back.IsModelled());
    EXPECT_EQ(back.Caption(), "sample.txt");
    EXPECT_EQ(back.FileNameTextValue(), "sample.txt");
    EXPECT_EQ(back.NumCurvesText(), "Num Curves: 2");
    EXPECT_TRUE(back.InjLabelVisible(0));
    EXPECT_GT(back.arraysChanged, 0);
    EXPECT_GT(back.labelsChanged, 0);

    // Writing what was read gives the same file again.
    ASSERT_TRUE(back.WriteData(dir.Path("again.txt"), 1));
    std::string expected = SampleMask1;
    expected.replace(expected.find("Time1\tData1\tTime3\tData3"), 23, "Time1\tData1\tTime2\tData2");
    EXPECT_EQ(dir.Read("again.txt"), expected);
}

TEST(DataFile, TimesReadBackAsTheyWere) {
    // 20 Hz past 10 000 s: six digits would make pairs of equal times. Times
    // get the fewest digits that read back exactly; values keep six digits.
    ScriptedMessages msgs;
    ScratchDir dir("times");
    TSensTabCore page;
    page.CreateSet(1, 2, 0.05);
    ASSERT_EQ(page.PointCount[0], 40);
    for (int k = 0; k < 40; ++k) {
        page.Time[0][k] = 10000 + 0.05 * k;
        page.Data[0][k] = 1.0 / 3 + k;
    }
    page.InjStart[0][0] = 10000.05;
    page.InjStop[0][0] = 0.1 + 0.2;
    page.InjConc[0][0] = 1.0 / 3;
    ASSERT_TRUE(page.WriteData(dir.Path("t.txt"), 1));
    const std::string text = dir.Read("t.txt");
    EXPECT_NE(text.find("Conc1\t0.333333\nStart1\t10000.05\nStop1\t0.30000000000000004\n"), std::string::npos);
    EXPECT_NE(text.find("\n10000.05\t1.33333\n"), std::string::npos);

    TSensTabCore back;
    ASSERT_TRUE(back.LoadSens(dir.Path("t.txt")));
    EXPECT_EQ(msgs.Count(), 0u);  // no "Zero or negative time interval"
    ASSERT_EQ(back.PointCount[0], 40);
    for (int k = 0; k < 40; ++k) EXPECT_EQ(back.Time[0][k], page.Time[0][k]) << k;
    EXPECT_EQ(back.InjStart[0][0], 10000.05);
    EXPECT_EQ(back.InjStop[0][0], 0.1 + 0.2);
}

TEST(DataFile, NumbersIgnoreACommaDecimalLocale) {
    ScriptedMessages msgs;
    ScratchDir dir("locale");
    const std::string old = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no comma-decimal locale";
    TSensTabCore page;
    MakeSample(page);
    const bool written = page.WriteData(dir.Path("de.txt"), 1);
    TSensTabCore back;
    const bool read = back.LoadSens(dir.Path("de.txt"));
    std::setlocale(LC_ALL, old.c_str());
    ASSERT_TRUE(written && read);
    EXPECT_EQ(dir.Read("de.txt"), SampleMask1);
    EXPECT_EQ(back.Data[0][1], 0.000123457);
}

TEST(DataFile, GeneralNotationWithSixDigits) {
    const struct {
        double v;
        const char* text;
    } cases[] = {{1234567, "1.23457e+06"}, {0.5, "0.5"},        {100000, "100000"}, {999999.5, "1e+06"},
                 {1e-5, "1e-05"},          {0.0001, "0.0001"},  {-0.0, "-0"},       {1e100, "1e+100"},
                 {3, "3"},                 {123.4564, "123.456"}};
    for (const auto& c : cases) {
        std::string s;
        AppendNumber(s, c.v);
        EXPECT_EQ(s, c.text);
    }
}

TEST(DataFile, CrLfAndByteOrderMarkReadAsPlainLines) {
    ScriptedMessages msgs;
    ScratchDir dir("crlf");
    std::string text = SampleMask1;
    for (std::size_t p = text.find('\n'); p != std::string::npos; p = text.find('\n', p + 2)) text.insert(p, "\r");
    dir.Write("crlf.txt", "\xEF\xBB\xBF" + text);
    TSensTabCore a, b;
    dir.Write("lf.txt", SampleMask1);
    ASSERT_TRUE(a.LoadSens(dir.Path("crlf.txt")));
    ASSERT_TRUE(b.LoadSens(dir.Path("lf.txt")));
    PageSnapshot sa(a), sb(b);
    sa.Caption = sb.Caption;
    sa.FileName = sb.FileName;
    EXPECT_TRUE(sa == sb);
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(DataFile, MultiPartFilesAskWhichPartBecomesTheData) {
    ScriptedMessages msgs;
    ScriptedFileChoices choices;
    ScratchDir dir("multi");
    TSensTabCore page;
    MakeSample(page);
    ASSERT_TRUE(page.WriteData(dir.Path("all.txt"), 7));
    const std::string all = dir.Read("all.txt");
    EXPECT_EQ(all.substr(0, all.find('\n')), "Vers 3.47 Data Simulation Residual");
    EXPECT_NE(all.find("Time1\tData1\tSimulation1\tResidual1\tTime3\tData3\tSimulation3\tResidual3\n"
                       "0\t1.23457e+06\t617284\t617284\t0\t1\t0.5\t0.5\n"),
              std::string::npos);
    EXPECT_NE(all.find("30\t-2.5\t-1.25\t-1.25\t\t\t\t\n"), std::string::npos);

    choices.AnswerLoad(PartRes);
    TSensTabCore back;
    ASSERT_TRUE(back.LoadSens(dir.Path("all.txt")));
    ASSERT_EQ(choices.LoadQuestions().size(), 1u);
    EXPECT_EQ(choices.LoadQuestions()[0].Parts, 7);
    EXPECT_EQ(choices.LoadQuestions()[0].Preset, PartData);
    ASSERT_TRUE(Consistent(back));
    EXPECT_EQ(back.PointCount[1], 3);
    EXPECT_EQ(back.Data[0][3], -1.25);
    EXPECT_EQ(back.Data[1][2], 2.5);
    EXPECT_EQ(back.Sim[1][2], 2.5);

    // Simulation and residuals: data cannot be chosen, the simulation is preset.
    ASSERT_TRUE(page.WriteData(dir.Path("simres.txt"), 6));
    choices.AnswerLoad(PartSim);
    ASSERT_TRUE(back.LoadSens(dir.Path("simres.txt")));
    EXPECT_EQ(choices.LoadQuestions()[1].Parts, 6);
    EXPECT_EQ(choices.LoadQuestions()[1].Preset, PartSim);
    EXPECT_EQ(back.Data[0][3], -1.25);
    EXPECT_EQ(back.Caption(), "simres.txt");

    // A simulation alone is a one-part file: no question, the simulation is the data.
    ASSERT_TRUE(page.WriteData(dir.Path("sim.txt"), 2));
    ASSERT_TRUE(back.LoadSens(dir.Path("sim.txt")));
    EXPECT_EQ(choices.LoadQuestions().size(), 2u);
    EXPECT_EQ(back.Data[1][0], 0.5);

    // Cancelling, or an answer the file does not hold, is a failure without a message.
    const PageSnapshot before(back);
    choices.AnswerLoad(0);
    EXPECT_FALSE(back.LoadSens(dir.Path("all.txt")));
    choices.AnswerLoad(PartData);
    EXPECT_FALSE(back.LoadSens(dir.Path("simres.txt")));
    EXPECT_TRUE(PageSnapshot(back) == before);
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(DataFile, FirstLineChoosesTheReader) {
    ScriptedMessages msgs;
    ScriptedFileChoices choices;
    ScratchDir dir("dispatch");
    const std::string body = "Flow\t2\nTime1\tData1\n0\t5\n1\t6\n";
    struct {
        const char* first;
        bool ok;
        int questions;
    } cases[] = {{"Vers 3.2", true, 0},   {"Vers 3.3", true, 0},  {"Vers 3.41 Data", true, 0},
                 {"Vers 3.44 Residual", true, 0}, {"Vers 3.48", true, 0}, {"Vers 3.43 Data Simulation", false, 1},
                 {"Vers 4.0", false, 0}, {"V", false, 0}};
    int asked = 0;
    for (const auto& c : cases) {
        msgs.Clear();
        if (c.questions) choices.AnswerLoad(PartData);
        TSensTabCore page;
        EXPECT_EQ(page.LoadSens(dir.Write("d.txt", std::string(c.first) + "\n" + body)), c.ok) << c.first;
        asked += c.questions;
        EXPECT_EQ(static_cast<int>(choices.LoadQuestions().size()), asked) << c.first;
        if (c.ok) {
            EXPECT_EQ(page.Flow[0], 2) << c.first;
        }
    }
    // The three-column header does not match the two-part mask: refused.
    EXPECT_EQ(msgs.Last().Text, "Wrong Version");
    EXPECT_EQ(msgs.Last().Caption, "File Load Error");
}

TEST(DataFile, FailuresShowTheirMessageAndLeaveThePageAsItWas) {
    ScriptedMessages msgs;
    ScriptedFileChoices choices;
    ScratchDir dir("fail");
    CountingPage page;
    MakeSample(page);
    ASSERT_TRUE(page.WriteData(dir.Path("good.txt"), 1));
    ASSERT_TRUE(page.LoadSens(dir.Path("good.txt")));
    page.Modelled = true;
    const PageSnapshot before(page);
    const int arrays = page.arraysChanged;

    const std::string head = "Vers 3.41 Data\n";
    const std::string hdr = "Time1\tData1\tTime2\tData2\n";
    const std::string rows = "0\t1\t0\t2\n1\t3\t1\t4\n";
    const std::string longCell(79, '1');
    std::string wide = "Time";  // 5000 curves over 100 000 empty lines: billions of cells from 120 kB
    for (int i = 1; i < 5000; ++i) wide += "\tD\tT";
    wide += "\tD\n";
    std::string widest = "Time";  // more curves than a page may have
    for (int i = 1; i <= MaxCurves; ++i) widest += "\tD\tT";
    widest += "\tD\n";
    const struct {
        std::string text, message, caption;
    } cases[] = {
        {"", "Unreadable format", "File Read Error"},
        {head, "Unreadable format", "File Read Error"},
        {head + "Flow\t1\t1\n", "Unreadable format", "File Read Error"},                   // no header
        {head + "Time1\tData1\tTime2\tData2", "Unreadable format", "File Read Error"},  // no line end
        {head + "Time1\tData1\tTime2\tData2\t\n" + rows, "Unreadable format", "File Read Error"},
        {head + "Time1\tData1\tTime2\n" + rows, "Unreadable format", "File Read Error"},
        {head + "Time1\tTime2\tData1\tData2\n" + rows, "Unreadable format", "File Read Error"},
        {head + hdr + "0\t1\t0\t2\n" + longCell + "\t1\t1\t4\n", "Unreadable format", "File Read Error"},
        {head + hdr + "0\t1\t0\t2\t7\n1\t3\t1\t4\n", "Unreadable format", "File Read Error"},     // too many
        {head + hdr + "0\t1\t0\t2\n", "Poorly formated file", "Load Error"},
        {head + wide + std::string(100000, '\n'), "Poorly formated file", "Load Error"},
        {head + widest + "\n\n", "Poorly formated file", "Load Error"},
        {head + hdr + "\n\n", "Poorly formated file", "Load Error"},                              // no point at all
        {head + hdr + "a\tb\tc\td\nx\ty\tz\tw\n", "Poorly formated file", "Load Error"},
        {head + "Conc1\t1\tx\n" + hdr + rows, "Error in concs", "File Read Error"},
        {head + "Conc1\tnan\t1\n" + hdr + rows, "Error in concs", "File Read Error"},
        {head + "Conc1\t1\t2\t3\n" + hdr + rows, "Error in concs", "File Read Error"},  // one too many
        {head + "Concentration\t1\t2\n" + hdr + rows, "Error in concs", "File Read Error"},
        {head + "Start1\tinf\t1\n" + hdr + rows, "Error in start time", "File Read Error"},
        {head + "Stop1\t1e999\t1\n" + hdr + rows, "Error in stop time", "File Read Error"},
        {head + "RInd2\t1\t-\n" + hdr + rows, "Error in ref ind", "File Read Error"},
        {head + "Flow\t1\n" + hdr + rows, "Error in flow", "File Read Error"},
        {head + "Flow\t1\t0\n" + hdr + rows, "Error in flow", "File Read Error"},
        {head + "Flow\t-1\t1\n" + hdr + rows, "Error in flow", "File Read Error"},
        {head + "Flow\t1\tNaN\n" + hdr + rows, "Error in flow", "File Read Error"},
        {"Vers 9\n" + hdr + rows, "Wrong Version", "File Load Error"},
        {"120\t1e-9\n0\t1\n", "Poorly formated file", "Load Error"},
        {"120\t1e-9\n0\t1\n1\tx\n", "Unreadable format", "File Read Error"},
        {"120\t1e-9\t2e-9\n0\t1\t2\n1\t3\n", "Unreadable format", "File Read Error"},
        {"Fc1 time\tFc1 resp\t\n0\t1\n1\t2\n", "Unreadable format", "File Read Error"},
        {"Fc1 time\tFc1 resp\n0\t1\n", "Poorly formated file", "Load Error"},
        {"V 3 xxxx3\n1\n2\nT\tA\tB\n", "Unreadable format", "File Read Error"},        // odd count
        {"V 3 xxxx3\n1\n2\nT\tA\n0\n0\t1\n", "Unreadable format", "File Read Error"},        // the pair is missing
        {"V 3 xxxx3\n1\nstop\nT\tA\n0\t1\n", "Unreadable format", "File Read Error"},  // no stop time
        {"V 3 xxxx3\n1\n2\n", "Unreadable format", "File Read Error"},
    };
    for (const auto& c : cases) {
        msgs.Clear();
        const std::string shown = c.text.substr(0, 200);
        EXPECT_FALSE(page.LoadSens(dir.Write("bad.txt", c.text))) << shown;
        ASSERT_EQ(msgs.Count(), 1u) << shown;
        EXPECT_EQ(msgs.Last().Text, c.message) << shown;
        EXPECT_EQ(msgs.Last().Caption, c.caption) << shown;
        EXPECT_EQ(msgs.Last().Icon, MsgIcon::None);
        EXPECT_TRUE(PageSnapshot(page) == before) << shown;
    }
    EXPECT_EQ(page.arraysChanged, arrays);

    msgs.Clear();
    EXPECT_FALSE(page.LoadSens(dir.Path("missing.txt")));
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "Unable to open file");
    EXPECT_EQ(msgs.Last().Caption, "File Read Error");
    EXPECT_EQ(msgs.Last().Icon, MsgIcon::Exclamation);
    msgs.Clear();
    EXPECT_FALSE(page.LoadSens(dir.Path("")));  // a folder
    EXPECT_EQ(msgs.Last().Text, "Unable to open file");
    EXPECT_TRUE(PageSnapshot(page) == before);
}

TEST(DataFile, RowsAndCellsOfTheCurrentForm) {
    ScriptedMessages msgs;
    ScratchDir dir("rows");
    TSensTabCore page;
    const std::string head = "Vers 3.2\nNotes\tignored\nConc7\tx\ty\nConc2\nTime1\tData1\tTime2\tData2\n";
    // A comma inside a pair loses the point; between groups it separates like a TAB.
    // A blank line adds nothing; the last line is read without a line end.
    ASSERT_TRUE(page.LoadSens(dir.Write("r.txt", head +
                                                     "0\t1\t0\t2\n"
                                                     "1,5\t1\t7\n"
                                                     "\n"
                                                     "2\t5,2\t8\n"
                                                     "3\t6\t3\t9")));
    ASSERT_EQ(msgs.Count(), 0u);
    ASSERT_TRUE(Consistent(page));
    EXPECT_EQ(page.NumPoints, 5);
    EXPECT_EQ(page.PointCount[0], 3);
    EXPECT_EQ(page.PointCount[1], 4);
    EXPECT_EQ(page.Time[1][1], 1);
    EXPECT_EQ(page.Data[1][1], 7);
    EXPECT_EQ(page.Time[0][1], 2);
    EXPECT_EQ(page.Data[1][2], 8);
    EXPECT_FALSE(page.InjUsed(1));  // "Conc2" without values stores nothing

    // A comma in the header warns once and reading goes on.
    ASSERT_TRUE(page.LoadSens(dir.Write("c.txt", "Vers 3.2\nTime1,x\tData1,y\n0\t1\n1\t2\n")));
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text,
              "File has commas in it and\nprobably won't be read correctly.\nPlease use tab delimited format");
    EXPECT_EQ(msgs.Last().Caption, "Warning");
    EXPECT_EQ(page.PointCount[0], 2);

    // Out-of-order times load, and the check says so.
    msgs.Clear();
    ASSERT_TRUE(page.LoadSens(dir.Write("t.txt", "Vers 3.2\nTime1\tData1\n0\t1\n0\t2\n")));
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Caption, "Data Error");
    EXPECT_TRUE(page.IsLoaded());

    // Non-finite or out-of-range data cells add no point.
    msgs.Clear();
    ASSERT_TRUE(page.LoadSens(dir.Write("n.txt", "Vers 3.2\nTime1\tData1\n0\tnan\n1\tinf\n2\t1e999\n3\t4\n")));
    EXPECT_EQ(page.PointCount[0], 1);
    EXPECT_EQ(page.Time[0][0], 3);
}

TEST(DataFile, RowsThatEndEarlyOrTheFile) {
    // Some files mark curves that have ended by ending the row, data rows and
    // slot rows alike; the later curves get nothing from that row. Every form
    // reads its last line without a line end too.
    ScriptedMessages msgs;
    ScriptedFileChoices choices;
    choices.AlwaysPreset = true;
    ScratchDir dir("short");
    const struct {
        std::string text;
        std::vector<int> points;
        std::vector<double> conc;  // slot 1
    } cases[] = {
        {"Vers 3.2\nConc1\t5\nTime1\tData1\tTime2\tData2\n0\t1\t0\t2\n1\t3\n2\t5\n", {3, 1}, {5, 0}},
        {"Vers 3.41 Data\nTime1\tData1\tTime2\tData2\n0\t1\t0\n1\t3\t1\t4\n", {2, 1}, {0, 0}},
        // A group whose chosen part is still on the line keeps its point.
        {"Vers 3.43 Data Simulation\nTime1\tData1\tSimulation1\tTime2\tData2\tSimulation2\n"
         "0\t1\t1\t0\t2\t2\n1\t3\t3\t1\t4\n2\t5\n3\n",
         {3, 2}, {0, 0}},
        {"Fc=1 T\tFc=1 R\tFc=2 T\tFc=2 R\n0\t1\t0\t2\n1\t3\n", {2, 1}, {0, 0}},
        {"Version 3.0\n10\n70\nT\tA\tT\tA\n0\t1e-9\t0\t2e-9\n0\t1\t0\t2\n1\t3\n", {2, 1}, {1e-9, 2e-9}},
        {"120\t1e-9\t2e-9\n0\t1\t2\n1\t3\t4\n", {2, 2}, {1e-9, 2e-9}},
    };
    for (const auto& c : cases) {
        msgs.Clear();
        TSensTabCore page;
        ASSERT_TRUE(page.LoadSens(dir.Write("s.txt", c.text))) << c.text;
        EXPECT_EQ(msgs.Count(), 0u) << c.text;
        ASSERT_TRUE(Consistent(page)) << c.text;
        const int* counts = page.PointCount.data();
        const double* conc = page.InjConc[0].data();
        EXPECT_EQ(std::vector<int>(counts, counts + page.NumCurves), c.points) << c.text;
        EXPECT_EQ(std::vector<double>(conc, conc + page.NumCurves), c.conc) << c.text;
        // Without the last line end, or with blanks after it: the same page.
        const PageSnapshot whole(page);
        for (const std::string& text : {c.text.substr(0, c.text.size() - 1), c.text + "  "}) {
            TSensTabCore other;
            ASSERT_TRUE(other.LoadSens(dir.Write("s.txt", text))) << text;
            EXPECT_TRUE(PageSnapshot(other) == whole) << text;
        }
    }
}

TEST(DataFile, SavingReplacesTheOldFileOnlyWhenComplete) {
    ScriptedMessages msgs;
    ScratchDir dir("save");
    TSensTabCore page;
    MakeSample(page);
    dir.Write("old.txt", "previous");
    ASSERT_TRUE(page.WriteData(dir.Path("old.txt"), 1));
    EXPECT_EQ(dir.Read("old.txt"), SampleMask1);
    // The new file keeps what was set on the old one: its permission bits and,
    // where the system lets us, its group.
    std::filesystem::permissions(dir.Path("old.txt"), std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::owner_write);
    struct stat st {};
    ASSERT_EQ(::stat(dir.Path("old.txt").c_str(), &st), 0);
    const gid_t group = st.st_gid + 1;
    const bool regrouped = ::chown(dir.Path("old.txt").c_str(), static_cast<uid_t>(-1), group) == 0;
    ASSERT_TRUE(page.WriteData(dir.Path("old.txt"), 1));
    ASSERT_EQ(::stat(dir.Path("old.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    if (regrouped) {
        EXPECT_EQ(st.st_gid, group);
    }
    // A stale temporary of the same name is left alone.
    dir.Write("x.txt.tmp", "someone else's");
    ASSERT_TRUE(page.WriteData(dir.Path("x.txt"), 1));
    EXPECT_EQ(dir.Read("x.txt.tmp"), "someone else's");
    EXPECT_EQ(dir.Read("x.txt"), SampleMask1);
    // Saving through a link replaces the file it points to and keeps the link.
    dir.Write("real.txt", "previous");
    std::filesystem::create_symlink(dir.Path("real.txt"), dir.Path("link.txt"));
    ASSERT_TRUE(page.WriteData(dir.Path("link.txt"), 1));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.txt")));
    EXPECT_EQ(dir.Read("real.txt"), SampleMask1);
    EXPECT_EQ(msgs.Count(), 0u);

    // No folder: the file cannot be made.
    EXPECT_FALSE(page.WriteData(dir.Path("nowhere/d.txt"), 1));
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "Unable to open file");
    EXPECT_EQ(msgs.Last().Caption, "File Error");
    EXPECT_EQ(msgs.Last().Icon, MsgIcon::Exclamation);

    // The target cannot be replaced: a failure, and nothing is left behind.
    std::filesystem::create_directories(dir.Path("busy.txt/inside"));
    msgs.Clear();
    EXPECT_FALSE(page.WriteData(dir.Path("busy.txt"), 1));
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "Unable to write file");
    EXPECT_EQ(msgs.Last().Caption, "File Error");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("busy.txt.tmp")));

    // No included curve: refused instead of a file that cannot be read back.
    for (int i = 0; i < 3; ++i) page.Excluded[i] = true;
    msgs.Clear();
    EXPECT_FALSE(page.WriteData(dir.Path("none.txt"), 1));
    EXPECT_EQ(msgs.Last().Text, "No included curves to save");
    EXPECT_FALSE(std::filesystem::exists(dir.Path("none.txt")));
    TSensTabCore empty;
    EXPECT_FALSE(empty.WriteData(dir.Path("none.txt"), 1));
    EXPECT_FALSE(std::filesystem::exists(dir.Path("none.txt")));
}

TEST(DataFile, SaveAnswersBecomeFiles) {
    auto masks = [](const SaveParts& p) {
        std::string s;
        for (const auto& r : SaveRequests(p)) s += std::to_string(r.Mask) + ":" + r.Title + ";";
        return s;
    };
    EXPECT_EQ(masks({true, false, true, true}), "5:Save Data As;");
    EXPECT_EQ(masks({true, true, true, false}), "1:Save Data As;2:Save Simulation As;4:Save Residuals As;");
    EXPECT_EQ(masks({false, false, true, true}), "4:Save Residuals As;");  // one part: "one file" is off
    EXPECT_EQ(masks({}), "");
    // Without an installed implementation every question is cancelled.
    SaveParts p;
    EXPECT_FALSE(CurrentFileChoices().ChooseSaveParts(p));
    EXPECT_EQ(CurrentFileChoices().ChooseLoadPart(7, 1), 0);
}
