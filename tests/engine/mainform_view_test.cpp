// The main window's Qt-free views: the model list, the results texts and the
// frame's rules.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/numeric/vectors.h"
#include "engine/session/frame_rules.h"
#include "engine/session/mainform_core.h"
#include "engine/session/model_list.h"
#include "engine/session/results.h"
#include "tests/support/sim_models.h"

using namespace kivra;

namespace {

// A + B = AB with a fitted kfwd, B = AB (mass transport) whose kfwd is linked
// to reaction 1's krev; A injected by slot 1, B at 50 with its concentration
// fitted, AB seen with a fitted R factor. One set of three curves, the
// second excluded.
struct KnownModel {
    TModelData m = test::EmptyModel();
    SpecConcTable conc;
    double ri[MaxInj][3] = {};
    bool fitRI[MaxInj][3] = {};
    bool excluded[3] = {false, true, false};

    KnownModel() {
        m.NumSpecies = 3;
        m.SpecName[0] = "A";
        m.SpecName[1] = "B";
        m.SpecName[2] = "AB";
        m.AnalyteInj[0][0] = 0;
        m.InitConc[0][1] = 50;
        m.FitConc[0][1] = true;
        test::Respond(m, 2, 2);
        m.FitRFactor[2] = true;
        test::AddReaction(m, 0, 1, 2, 1e5, 1e-3);
        m.FitKfwd[0] = true;
        test::AddReaction(m, -1, 1, 2, 0, 0.5);
        m.KfwdLink[1] = -1;
        m.MassTransport[1] = true;
        m.NumFitParams = 4;
        m.NumSets = 1;
        m.NumCurves[0] = 3;
        m.Excluded[0] = excluded;
        m.SpecConc[0] = &conc;
        conc[0][0].Reset(3, 0.0);
        for (int c = 0; c < 3; ++c) conc[0][0][c] = 1e-8 * (c + 1);
        for (int j = 0; j < MaxInj; ++j) {
            m.RefIndex[0][j] = ri[j];
            m.FitRefIndex[0][j] = fitRI[j];
        }
        ri[1][2] = 2.5;
        fitRI[1][2] = true;
    }
};

std::vector<std::string> Texts(const TModelList& list) {
    std::vector<std::string> out;
    for (const TModelLine& line : list.Lines()) out.push_back(line.Text);
    return out;
}

int LineOf(const TModelList& list, const std::string& text) {
    for (int i = 0; i < list.Count(); ++i)
        if (list.Lines()[static_cast<std::size_t>(i)].Text == text) return i;
    return -1;
}

} // namespace

TEST(ModelList, TextsOfAKnownModel) {
    KnownModel k;
    TModelList list;
    list.BuildHeads();
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"!bFit parameters", "!bReaction", "!bInitial Conc",
                                                    "!bRefractive Index"}));
    list.Build(k.m);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{
                               "!bFit parameters(4)", "!bReaction", "!bA + B != AB", "kfwd  !l1.00e+05",
                               "krev  1.00e-03", "!bB != AB", "kfwd(xf)  !g1.00e-03", "krev(xf)  0.500", " ",
                               "!bInitial Conc", "!bA      !n Inj 1", "!bB      !n !l50.00",
                               "!bAB     !n 0.00", " ", "!bRefractive Index"}));
    EXPECT_TRUE(list.FitHead.IsGroup);
    EXPECT_FALSE(list.FitHead.Expanded);
    EXPECT_TRUE(list.RIHead.HasFit);
    EXPECT_TRUE(list.Spec[2].IsGroup);   // AB responds: its R factor is under it
    EXPECT_TRUE(list.Spec[2].HasFit);
    EXPECT_FALSE(list.Spec[1].IsGroup);

    for (const char* line : {"!bFit parameters(4)", "!bA      !n Inj 1", "!bAB     !n 0.00", "!bRefractive Index"}) {
        ASSERT_TRUE(list.Click(LineOf(list, line))) << line;
        list.Build(k.m);
    }
    ASSERT_TRUE(list.Click(LineOf(list, "Injection 2")));
    list.Build(k.m);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{
                               "!bFit parameters(4)", "B Conc  !l50.00", "AB Rfac  !l2.00",
                               "A + B != AB kfwd  !l1.00e+05", "curve3 Ref Ind  !l2.50", " ", "!bReaction", "!bA + B != AB",
                               "kfwd  !l1.00e+05", "krev  1.00e-03", "!bB != AB", "kfwd(xf)  !g1.00e-03",
                               "krev(xf)  0.500", " ", "!bInitial Conc", "!bA      !n Inj 1",
                               "Curve 1  1.00e-08", "Curve 3  3.00e-08", "!bB      !n !l50.00",
                               "!bAB     !n 0.00", "Rfactor  !l2.00", " ", "!bRefractive Index", "Injection 1",
                               "Injection 2", "Curve 1  0.00", "Curve 3  !l2.50", "Injection 3",
                               "Injection 4", "Injection 5", "Injection 6"}));
    EXPECT_EQ(list.Lines()[1].State->Indent, 30);
    EXPECT_EQ(list.Lines()[static_cast<std::size_t>(LineOf(list, "Curve 3  !l2.50"))].State->Indent,
              45);  // one set: curves right under the injection
    // A click beside the lines changes nothing.
    EXPECT_FALSE(list.Click(list.Count()));
    EXPECT_FALSE(list.Click(-1));
}

// Several sets: per-set lines, local species, and links that reach the last
// reaction without running past it.
TEST(ModelList, SeveralSetsLocalSpeciesAndLinks) {
    KnownModel k;
    k.m.NumSets = 2;
    k.m.NumCurves[1] = 0;
    k.m.SpecLocal[1] = true;
    k.m.InitConc[1][1] = 7;
    k.m.AnalyteInj[1][1] = 0;
    k.m.FitConc[0][1] = false;
    k.m.FitConc[1][1] = false;
    k.m.KrevLink[0] = 10;   // kfwd of reaction 10, the last there is
    k.m.Kfwd[9] = 4;
    k.m.KfwdLink[1] = 11;   // past the reactions: shows 0, reads nothing
    k.m.NumFitParams = 2;
    TModelList list;
    list.BuildHeads();
    list.Build(k.m);
    ASSERT_TRUE(list.Click(LineOf(list, "!bB      !n local")));
    list.Build(k.m);
    ASSERT_TRUE(list.Click(LineOf(list, "!bRefractive Index")));
    list.Build(k.m);
    const auto has = [&](const std::string& t) { return LineOf(list, t) >= 0; };
    EXPECT_TRUE(has("krev  !g4.00"));
    EXPECT_TRUE(has("kfwd(xf)  !g0.00"));
    EXPECT_TRUE(has("Set 1  50.00"));
    EXPECT_TRUE(has("Set 2  Inj 1"));
    EXPECT_TRUE(has("Set 1"));
    EXPECT_TRUE(has("Set 2"));
    EXPECT_EQ(list.Set[0].Indent, 30);
}

TEST(ModelList, MarkupRunsNeverReadPastTheText) {
    const std::vector<MarkupRun> runs = ParseMarkup("!bA!n !l5!=x!q!");
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].Text, "A");
    EXPECT_TRUE(runs[0].Bold);
    EXPECT_EQ(runs[1].Text, " ");
    EXPECT_FALSE(runs[1].Bold);
    EXPECT_EQ(runs[2].Text, "5");
    EXPECT_EQ(runs[2].Colour, MarkupBlue);
    EXPECT_TRUE(runs[3].Glyph);
    EXPECT_EQ(runs[4].Text, "x");  // "!q" and the final "!" are skipped
    EXPECT_TRUE(ParseMarkup("!").empty());
}

namespace {

// n parameters with covariance diag 4, off-diagonal 0.953 x 4 between 1 and 2.
struct Fit {
    Matrix1 cov;
    Vector1 a;
    explicit Fit(int n) : cov(1, n, 1, n), a(1, n) {
        for (int k = 1; k <= n; ++k) {
            a[k] = k * 1.5;
            for (int j = 1; j <= n; ++j) cov[k][j] = k == j ? 4 : 0;
        }
        if (n >= 2) cov[1][2] = cov[2][1] = 0.953 * 4;
    }
};

TModelData FittedModel(int params) {
    TModelData m = test::EmptyModel();
    m.NumSpecies = 2;
    m.SpecName[0] = "A";
    m.SpecName[1] = "AB";
    test::AddReaction(m, 0, -1, 1, 1, 1);
    m.FitKfwd[0] = true;
    m.FitKrev[0] = params > 1;
    m.FitRFactor[1] = params > 2;
    m.NumSets = 2;
    m.DataFile[0] = "run1.txt";
    m.DataFile[1] = "run2.txt";
    m.NumDataPoints = 102;
    return m;
}

} // namespace

TEST(Results, OneParameter) {
    TModelData m = FittedModel(1);
    Fit f(1);
    TResultsView v;
    double sd = -1;
    ASSERT_TRUE(FillFitResults(v, sd, m, 1, f.cov.get(), f.a.get(), 101 * 0.25, 0));
    EXPECT_DOUBLE_EQ(sd, 0.5);
    EXPECT_TRUE(v.Shown);
    EXPECT_EQ(v.Rows, 2);
    EXPECT_EQ(v.Cols, 5);
    EXPECT_EQ(v.Cells, (std::vector<std::string>{"Param", "Type", "For", "Result", "Error", "1", "kfwd",
                                                  "A = AB", "1.50", "1.00"}));
    EXPECT_EQ(v.NumParamText, "Parameters: 1");
    EXPECT_EQ(v.NumPointsText, "Data Points: 102");
    EXPECT_EQ(v.ChisqText, "Residual Ssq: 0.500");
    EXPECT_EQ(v.DataFileHeaderText, "Data Files:");
    EXPECT_EQ(v.FileLabels[1], "run2.txt");
    EXPECT_EQ(v.FileLabels[2], "");

    // No more points than parameters: nothing changes.
    m.NumDataPoints = 1;
    TResultsView before = v;
    EXPECT_FALSE(FillFitResults(v, sd, m, 1, f.cov.get(), f.a.get(), 1, 0));
    EXPECT_EQ(v.Cells, before.Cells);
}

TEST(Results, ThreeParametersFillTheLowerTriangle) {
    TModelData m = FittedModel(3);
    m.NumSets = 1;
    Fit f(3);
    f.cov[3][3] = -1;
    TResultsView v;
    double sd = 0;
    ASSERT_TRUE(FillFitResults(v, sd, m, 3, f.cov.get(), f.a.get(), 0, 0));
    ASSERT_EQ(v.Cols, 7);
    ASSERT_EQ(v.Rows, 4);
    EXPECT_EQ(v.Cell(0, 5), "1");
    EXPECT_EQ(v.Cell(0, 6), "2");
    EXPECT_EQ(v.Cell(2, 5), "0.953");
    EXPECT_EQ(v.Cell(3, 5), "????");
    EXPECT_EQ(v.Cell(3, 6), "????");
    for (const auto& [row, col] : {std::pair{1, 5}, {1, 6}, {2, 6}}) EXPECT_EQ(v.Cell(row, col), "") << row << col;
    EXPECT_EQ(v.Cell(1, 4), "0.00");     // zero chi-square
    EXPECT_EQ(v.Cell(3, 4), "?????");    // no variance
    EXPECT_EQ(v.Cell(1, 1), "Rfac");  // the parameter vector's order: species before reactions
    EXPECT_EQ(v.Cell(3, 1), "krev");
    EXPECT_EQ(v.DataFileHeaderText, "Data File:");
}

TEST(Results, TextExportByteForByte) {
    TResultsView v;
    v.TimeText = "14:05:09  2024-05-10";
    v.NumParamText = "Parameters: 2";
    v.NumPointsText = "Data Points: 160";
    v.ChisqText = "Residual Ssq: 0.0197";
    v.FileLabels[0] = "run1.txt";
    v.FileLabels[2] = "r\xc3\xa9sum\xc3\xa9.txt";  // counted in characters, not bytes
    v.Rows = 2;
    v.Cols = 3;
    v.Cells = {"Param", "Type", "For", "1", "kfwd", "A + B = AB"};
    EXPECT_EQ(ResultsText(v), "14:05:09  2024-05-10\n"
                              "\n"
                              "Parameters: 2\n"
                              "Data Points: 160\n"
                              "Residual Ssq: 0.0197\n"
                              "Data:\n"
                              "  run1.txt\n"
                              "  r\xc3\xa9sum\xc3\xa9.txt\n"
                              "\n"
                              " Param  Type      For    \n"
                              "   1    kfwd  A + B = AB \n");
    EXPECT_EQ(TimeStampText(0).size(), std::string("14:05:09  2024-05-10").size());
}

TEST(FrameRules, SnapAndTile) {
    for (const auto& [proposed, snapped] : {std::pair{40, 48}, {59, 48}, {60, 72}, {168, 168}, {0, 48}, {95, 96}})
        EXPECT_EQ(SnapSpecPanelHeight(proposed), snapped) << proposed;

    const std::vector<TileRect> five = TileRects(5, 600, 400);
    ASSERT_EQ(five.size(), 5u);
    EXPECT_EQ(five[1], (TileRect{300, 0, 300, 133}));
    EXPECT_EQ(five[4], (TileRect{0, 266, 300, 133}));
    for (const auto& [n, columns, rows] : {std::tuple{1, 1, 1}, {2, 1, 2}, {3, 2, 2}, {4, 2, 2}, {6, 2, 3}, {7, 3, 3}}) {
        const std::vector<TileRect> t = TileRects(n, 600, 600);
        EXPECT_EQ(t[0].Width, 600 / columns) << n;
        EXPECT_EQ(t[0].Height, 600 / rows) << n;
    }
    EXPECT_TRUE(TileRects(0, 600, 400).empty());
}
