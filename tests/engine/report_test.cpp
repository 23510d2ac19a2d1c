// The printed report's texts and placement, without fonts or a printer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/report/report_layout.h"
#include "engine/report/report_model.h"
#include "engine/report/report_monte.h"
#include "engine/report/report_settings.h"

namespace kivra {
namespace {

// Pages of 1000 x 1000 pixels inside the margins; records every drawing.
struct FakePages : TReportPaging {
    int Pages = 1;
    struct Drawn {
        int Page, Plot, X, Y, W, H;
        bool operator==(const Drawn&) const = default;
    };
    std::vector<Drawn> Log;
    FakePages() { G = {100, 100, 1100, 1100, 100}; }
    void StartPage() override { ++Pages; }
    PlotDrawer Drawer(std::vector<bool> draws = {}) {
        return [this, draws](int p, int x, int y, int w, int h) {
            const bool drawn = draws.empty() || draws[static_cast<std::size_t>(p)];
            if (drawn) Log.push_back({Pages, p, x, y, w, h});
            return drawn;
        };
    }
};

TEST(ReportLayout, OnePageGridIsSquareRootColumnsRoundedHalfUp) {
    const struct {
        int n;
        TGridSize grid;
    } cases[] = {{0, {0, 0}}, {1, {1, 1}}, {2, {1, 2}}, {3, {2, 2}}, {4, {2, 2}},
                 {5, {2, 3}}, {6, {2, 3}}, {7, {3, 3}}, {12, {3, 4}}, {13, {4, 4}}};
    for (const auto& c : cases) EXPECT_EQ(OnePageGrid(c.n), c.grid) << c.n;
}

TEST(ReportLayout, PlotPassesPlaceAndTurnPages) {
    using D = FakePages::Drawn;
    {  // Three on one page below something: a new page, 2 x 2 cells, the row left unfinished still ends.
        FakePages pages;
        pages.G.PrintY = 300;
        PlacePlots(pages, TPlotMode::AllOnOnePage, 3, pages.Drawer());
        EXPECT_EQ(pages.Pages, 2);
        EXPECT_EQ(pages.Log, (std::vector<D>{{2, 0, 100, 100, 500, 500},
                                             {2, 1, 600, 100, 500, 500},
                                             {2, 2, 100, 600, 500, 500}}));
        EXPECT_EQ(pages.G.PrintY, 1100);
    }
    {  // A plot that draws nothing takes no place.
        FakePages pages;
        PlacePlots(pages, TPlotMode::AllOnOnePage, 4, pages.Drawer({true, false, true, true}));
        PlacePlots(pages, TPlotMode::HalfPage, 3, pages.Drawer({false, true, true}));
        EXPECT_EQ(pages.Log, (std::vector<D>{{1, 0, 100, 100, 500, 500},
                                             {1, 2, 600, 100, 500, 500},
                                             {1, 3, 100, 600, 500, 500},
                                             {2, 1, 100, 100, 1000, 500},
                                             {2, 2, 100, 600, 1000, 500}}));
    }
    {  // No data page: no plots section at all.
        FakePages pages;
        pages.G.PrintY = 300;
        for (TPlotMode m : {TPlotMode::FullPage, TPlotMode::HalfPage, TPlotMode::AllOnOnePage})
            PlacePlots(pages, m, 0, pages.Drawer());
        EXPECT_EQ(pages.Pages, 1);
        EXPECT_EQ(pages.G.PrintY, 300);
    }
}

TEST(ReportLayout, TablesStartWholeOnTheNextPageOrGoOnUnderTheirHeader) {
    using S = TTableSlice;
    const struct {
        int rows, y;
        std::vector<S> slices;
        int lead = 0;
    } cases[] = {
        {5, 500, {{false, 1, 5}}},                                   // fits
        {8, 500, {{true, 1, 8}}},                                    // a page holds it: the next, whole
        {8, 400, {{false, 1, 7}, {true, 7, 8}}, 300},                // under nothing but its captions: stays
        {12, 500, {{false, 1, 6}, {true, 6, 12}}},                   // header + 5 rows here, header + 6 there
        {30, 100, {{false, 1, 10}, {true, 10, 19}, {true, 19, 28}, {true, 28, 30}}},
        {3, 950, {{true, 1, 3}}},                                    // header alone would be left behind
        {1, 990, {{false, 1, 1}}},                                   // a header alone is still a table
    };
    for (const auto& c : cases)
        EXPECT_EQ(SliceTable(c.rows, 100, c.y, 100, 1100, c.lead), c.slices) << c.rows << " rows at " << c.y;
    // A page too short for a header and a row still moves on, one row a page.
    EXPECT_EQ(SliceTable(3, 100, 100, 100, 150), (std::vector<S>{{false, 1, 2}, {true, 2, 3}}));
}

TEST(ReportSettings, PenWidthsOutsideZeroToFiftyDoNotConvert) {
    const struct {
        const char* text;
        int width;
    } cases[] = {{"3", 3}, {" 2.9 ", 2}, {"50", 50}, {"0", 0}, {"50.5", 0}, {"-1", 0},
                 {"1e3", 0}, {"inf", 0}, {"nan", 0}, {"", 0}, {"2x", 0}, {"2,5", 0}};
    for (const auto& c : cases) EXPECT_EQ(ReportPenWidth(c.text), c.width) << '"' << c.text << '"';
}

TEST(ReportMonte, HeaderLinesAndTableCells) {
    EXPECT_EQ(MonteReportLines({40, 38, 25, 0.29, 0}),
              (std::vector<std::string>{"Num cycles: 40", "Succeeded: 38", "Starting Var(%): 29",
                                        "Max Iterations: 25", "Noise: none"}));
    EXPECT_EQ(MonteReportLines({1, 1, 1, 0.125, 0.123456})[2], "Starting Var(%): 12.5");
    EXPECT_EQ(MonteReportLines({1, 1, 1, 0.125, 0.123456})[4], "Noise: 0.12346");
    const std::vector<TMonteSummary> rows{{"kfwd A + B = C", 1e5, 1.5e5, 2e3}};
    EXPECT_EQ(PrintMonteTable(rows, 0, 0), "Parameter");
    EXPECT_EQ(PrintMonteTable(rows, 0, 3), "Std Dev");
    EXPECT_EQ(PrintMonteTable(rows, 1, 0), "kfwd A + B = C");
    EXPECT_EQ(PrintMonteTable(rows, 1, 2), "1.50e+05");
    EXPECT_EQ(PrintMonteTable(rows, 2, 0), "");
}

// The texts of the model section; a line of the injection columns begins with "[6]".
std::vector<std::string> Texts(const std::vector<TModelReportLine>& lines) {
    std::vector<std::string> out;
    for (const TModelReportLine& l : lines) out.push_back((l.InjColumns ? "[6]" : "") + l.Text);
    return out;
}

// A model of one or two sets with two curves each, the second curve excluded.
struct ReportModel {
    TModelData m;
    SpecConcTable conc[2];
    bool excluded[2][2] = {{false, true}, {false, true}};
    double ri[2][MaxInj][2] = {};
    explicit ReportModel(int sets) {
        m.NumSets = sets;
        m.NumSpecies = 4;
        const char* names[] = {"A", "B", "C", "L"};
        for (int s = 0; s < 4; ++s) m.SpecName[s] = names[s];
        for (int k = 0; k < MaxSets; ++k)
            for (int s = 0; s < MaxSpecies; ++s) m.AnalyteInj[k][s] = -1;
        m.InitConc[0][0] = 1e-6;
        m.Response[0][0] = true;
        m.RFactor[0] = 1.5;
        m.AnalyteInj[0][1] = 0;  // B from injection 1
        m.SpecLocal[3] = true;   // L: a value in set 1, injected in set 2
        m.InitConc[0][3] = 2e-9;
        m.AnalyteInj[1][3] = 1;
        for (int k = 0; k < sets; ++k) {
            m.NumCurves[k] = 2;
            m.Excluded[k] = excluded[k];
            m.SpecConc[k] = &conc[k];
            for (int j = 0; j < MaxInj; ++j) {
                for (int s = 0; s < MaxSpecies; ++s) conc[k][j][s].Reset(2, 0.0);
                m.RefIndex[k][j] = ri[k][j];
            }
            conc[k][0][1][0] = 5e-8 * (k + 1);
            conc[k][1][3][0] = 7e-8;
            ri[k][2][0] = 1.25;
        }
        m.NumReactions = 3;
        m.ReactA[0] = 0, m.ReactB[0] = 1, m.Product[0] = 2;
        m.Kfwd[0] = 123456, m.KrevLink[0] = 2;
        m.ReactA[1] = -1, m.ReactB[1] = 1, m.Product[1] = 3;
        m.Krev[1] = 0.001, m.KfwdLink[1] = -1;
        m.ReactA[2] = 0, m.ReactB[2] = -1, m.Product[2] = -1;  // no product: not printed
    }
};

TEST(ReportModel, LinesOfTheModelSection) {
    ReportModel one(1);
    EXPECT_EQ(Texts(ModelReportLines(one.m, {true, true, true, true})),
              (std::vector<std::string>{
                  "Species",
                  "   A\t1.00e-06  (Rfactor 1.500)",
                  "   B\tInj 1",
                  "   \t   Curve 1  5.00e-08",
                  "   C\t0.00",
                  "   L\tlocal",
                  "   \t   Set 1\t2.00e-09",
                  " ",
                  "Reaction",
                  "   A + B = C\tkfwd  1.235e+05\tkrev  =f2      ",
                  "   B = L\tkfwd  =r1      \tkrev  1.000e-03",
                  " ",
                  "Refractive Index",
                  "[6]   Injection 1\tInjection 2\tInjection 3\tInjection 4\tInjection 5\tInjection 6",
                  "[6]   Curve 1  0.00\tCurve 1  0.00\tCurve 1  1.25\tCurve 1  0.00\tCurve 1  0.00\tCurve 1  0.00\t",
              }));

    ReportModel two(2);
    const std::vector<std::string> species = Texts(ModelReportLines(two.m, {true, false, false, false}));
    EXPECT_EQ(species, (std::vector<std::string>{"Species", "   A\t1.00e-06  (Rfactor 1.500)", "   B\tInj 1",
                                                 "   C\t0.00", "   L\tlocal", "   \t   Set 1\t2.00e-09",
                                                 "   \t   Set 2  Inj 2", "   \t      Curve 1  7.00e-08", " "}));
    const std::vector<std::string> injected = Texts(ModelReportLines(two.m, {true, false, true, false}));
    EXPECT_EQ(std::vector<std::string>(injected.begin() + 2, injected.begin() + 7),
              (std::vector<std::string>{"   B\tInj 1", "   \t   Set 1", "   \t      Curve 1  5.00e-08", "   \t   Set 2",
                                        "   \t      Curve 1  1.00e-07"}));
    const std::vector<std::string> ri = Texts(ModelReportLines(two.m, {false, false, false, true}));
    EXPECT_EQ(ri.size(), 7u);
    EXPECT_EQ(ri[1], "   Set 1");
    EXPECT_EQ(ri[2], "[6]      Injection 1\tInjection 2\tInjection 3\tInjection 4\tInjection 5\tInjection 6");
    EXPECT_EQ(ri[4], "   Set 2");
}

TEST(ReportModel, PagesWithoutArraysPrintZerosInsteadOfReadingThem) {
    ReportModel one(1);
    one.m.SpecConc[0] = nullptr;
    for (int j = 0; j < MaxInj; ++j) one.m.RefIndex[0][j] = nullptr;
    one.m.AnalyteInj[0][2] = 77;  // not a slot: not injected
    const std::vector<std::string> lines = Texts(ModelReportLines(one.m, {true, false, true, true}));
    EXPECT_EQ(lines[3], "   \t   Curve 1  0.00");
    EXPECT_EQ(lines[4], "   C\t0.00");
}

} // namespace
} // namespace kivra
