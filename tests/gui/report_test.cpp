// The printed report on a PDF printer: pages counted by the printer and read
// back as text, and the options dialog.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <tuple>

#include "app/mainform.h"
#include "app/printreportdlg.h"
#include "app/report.h"
#include "engine/session/results.h"
#include "platform/qt/canvas.h"
#include "platform/qt/printer.h"
#include "tests/gui/pdf_text.h"
#include "tests/gui/plot_fixture.h"
#include "tests/support/scripted_messages.h"

namespace kivra {
namespace {

using test::PlotCurves;

constexpr std::time_t Now = 1715350000;

PlotCurves Curves() {
    return PlotCurves(3, 40, [](int, int i) { return 1.0 * i; }, [](int k, int i) { return (k + 1) * i * 0.5; },
                      [](int k, int i) { return (k + 1) * i * 0.5 + (i % 3) * 0.1; });
}

// The data pages' overview plots and a PDF printer in a temporary folder.
struct ReportRig {
    QTemporaryDir dir;
    std::vector<PlotCurves> curves;
    std::vector<std::unique_ptr<TPlot>> plots;
    Printer printer;
    TReportContent content;
    TReportSettings settings;

    explicit ReportRig(int pages = 3) {
        for (int i = 0; i < pages; ++i) curves.push_back(Curves());
        for (int i = 0; i < pages; ++i) {
            plots.push_back(std::make_unique<TPlot>());
            test::AttachPage(curves[static_cast<std::size_t>(i)], *plots.back());
            content.Plots.push_back(plots.back().get());
        }
        printer.SetOutputFile(Path().toStdString());
        settings.Model = settings.FitResults = false;
    }
    QString Path() const { return dir.filePath("report.pdf"); }
    // Prints and answers the number of pages.
    int Print() {
        TReport report(printer, settings);
        report.Clock = [] { return Now; };
        EXPECT_TRUE(report.Print(content));
        return printer.PageNumber();
    }
    // The text of every page, as a PDF reader extracts it.
    std::vector<QString> PageTexts() const { return test::PdfPageTexts(Path()); }
};

using test::HaveTextReader;

TEST(Report, PlotPagesFollowTheChosenLayouts) {
    const struct {
        TPlotMode data;
        TResidualMode residuals;
        int plots, pages;
    } cases[] = {
        {TPlotMode::FullPage, TResidualMode::HalfPage, 3, 5},   // 3 data pages, residuals two to a page
        {TPlotMode::HalfPage, TResidualMode::None, 3, 2},
        {TPlotMode::HalfPage, TResidualMode::WithData, 3, 2},   // strips above the curves, no pages of their own
        {TPlotMode::AllOnOnePage, TResidualMode::AllOnOnePage, 3, 2},
        {TPlotMode::AllOnOnePage, TResidualMode::None, 6, 1},
        {TPlotMode::HalfPage, TResidualMode::FullPage, 0, 1},   // no data page: no plots, one page for the rest
    };
    for (const auto& c : cases) {
        ReportRig rig(c.plots);
        rig.settings.PlotMode = c.data;
        rig.settings.ResidualMode = c.residuals;
        EXPECT_EQ(rig.Print(), c.pages) << static_cast<int>(c.data) << "/" << static_cast<int>(c.residuals);
    }
}

TResultsView ResultsOf(int n) {
    TResultsView v;
    v.Shown = true;
    v.NumPointsText = "Data Points: 160";
    v.NumParamText = "Parameters: " + std::to_string(n);
    v.ChisqText = "Residual Ssq: 1.97e-05";
    v.FileLabels[0] = "run1.txt";
    v.FileLabels[4] = "run5.txt";
    v.Rows = n + 1;
    v.Cols = n + 4;
    v.Cells.assign(static_cast<std::size_t>(v.Rows * v.Cols), "");
    const char* heads[] = {"Param", "Type", "For", "Result", "Error"};
    for (int c = 0; c < 5; ++c) v.Cell(0, c) = heads[c];
    for (int k = 1; k <= n; ++k) {
        v.Cell(k, 0) = std::to_string(k);
        v.Cell(k, 1) = "Conc";
        v.Cell(k, 2) = "p" + std::to_string(k) + "x";
        v.Cell(k, 3) = "1.00";
        v.Cell(k, 4) = "0.10";
    }
    for (int k = 1; k < n; ++k) v.Cell(0, 4 + k) = std::to_string(k);
    return v;
}

TEST(Report, SectionsPrintTheirTextsOneStampPerPageAndTablesGoOnUnderTheirHeader) {
    if (!HaveTextReader()) GTEST_SKIP() << "pdftotext is not installed";
    ReportRig rig(1);
    TModelData model;
    model.NumSpecies = 2;
    model.SpecName[0] = "Ab";
    model.SpecName[1] = "Ag";
    model.AnalyteInj[0][0] = model.AnalyteInj[0][1] = -1;
    model.InitConc[0][0] = 2e-6;
    model.NumReactions = 1;
    model.ReactA[0] = 0, model.ReactB[0] = 1, model.Product[0] = 1;
    model.Kfwd[0] = 1e5;
    model.KrevLink[0] = 1;
    rig.content.Model = &model;
    const TResultsView results = ResultsOf(70);
    rig.content.Results.View = &results;
    rig.content.ResultsShown = true;
    rig.content.MonteShown = true;
    rig.content.Monte = {40, 38, 25, 0.29, 0};
    int drawn = 0;
    for (const char* title : {"kfwd", "krev"}) {
        TReportHistogram h;
        h.Title = title;
        h.Mean = 2;
        h.Print = [&drawn](Canvas& c, int l, int t, int w, int hh, int, int, bool) {
            c.Rectangle(l, t, l + w, t + hh);
            ++drawn;
        };
        rig.content.Histograms.push_back(h);
    }
    rig.settings.Model = rig.settings.FitResults = rig.settings.Monte = true;
    rig.settings.MonteGraphs = true;
    rig.settings.Correlations = false;
    const int pages = rig.Print();
    EXPECT_EQ(drawn, 2);

    const std::vector<QString> text = rig.PageTexts();
    ASSERT_EQ(static_cast<int>(text.size()), pages);
    ASSERT_GE(pages, 3);  // plot and model, results over two pages, Monte Carlo
    // The reader keeps one of the two blanks between date and time.
    const QRegularExpression stamp(
        QRegularExpression::escape(QString::fromStdString(ReportStampText(Now))).replace(QStringLiteral("\\ \\ "), QStringLiteral("\\s+")));
    QString all;
    for (int i = 0; i < pages; ++i) {
        EXPECT_EQ(text[static_cast<std::size_t>(i)].count(stamp), 1) << "page " << i + 1;
        all += text[static_cast<std::size_t>(i)];
    }
    for (const char* s : {"Species", "Reaction", "Fit Results", "Data Points: 160", "Data Files:", "run5.txt",
                          "Monte Carlo Results", "Starting Var(%): 29", "Noise: none", "Std Dev"})
        EXPECT_TRUE(all.contains(QString::fromLatin1(s))) << s;
    // The rate link prints as text after the reaction.
    EXPECT_TRUE(all.contains(QRegularExpression("kfwd\\s+1\\.000e\\+05\\s+krev\\s+=f1")));
    // Every parameter once; the grid's header on each page the table covers.
    for (int k = 1; k <= 70; ++k) EXPECT_EQ(all.count(QStringLiteral(" p%1x").arg(k)), 1) << k;
    int headed = 0;
    for (const QString& page : text)
        if (page.contains(QStringLiteral(" p"))) {
            EXPECT_TRUE(page.contains(QRegularExpression("Param\\s+Type\\s+For\\s+Result\\s+Error")));
            ++headed;
        }
    EXPECT_EQ(headed, 2);
    EXPECT_FALSE(all.contains(QStringLiteral("Correlations")));
}

TEST(Report, CorrelationsBesideTheFitTableOrOnTheirOwn) {
    if (!HaveTextReader()) GTEST_SKIP() << "pdftotext is not installed";
    ReportRig rig(0);
    TResultsView results = ResultsOf(3);
    results.Cell(2, 5) = "0.500";
    rig.content.Results.View = &results;
    rig.content.ResultsShown = true;
    rig.settings.FitResults = true;
    rig.Print();
    std::vector<QString> text = rig.PageTexts();
    ASSERT_EQ(text.size(), 1u);
    EXPECT_TRUE(text[0].contains(QRegularExpression("Param\\s+Type\\s+For\\s+Result\\s+Error\\s+1\\s+2")));
    EXPECT_TRUE(text[0].contains(QRegularExpression("p2x\\s+1.00\\s+0.10\\s+0.500")));

    rig.settings.Fit = false;
    rig.Print();
    text = rig.PageTexts();
    ASSERT_EQ(text.size(), 1u);
    EXPECT_TRUE(text[0].contains(QStringLiteral("Correlations")));
    EXPECT_FALSE(text[0].contains(QStringLiteral("Param")));

    // Below a fit table that leaves too little of the page, the correlations
    // start on the next page, header and rows together.
    TResultsView many = ResultsOf(25);
    many.Cell(2, 5) = "0.500";
    many.Cell(25, 5) = "0.900";
    rig.content.Results.View = &many;
    rig.content.Results.ColWidths.assign(29, 0);
    std::fill(rig.content.Results.ColWidths.begin() + 5, rig.content.Results.ColWidths.end(), 3);
    rig.content.Results.ScreenZeroWidth = 1;
    rig.settings.Fit = true;
    rig.Print();
    text = rig.PageTexts();
    ASSERT_EQ(text.size(), 2u);
    EXPECT_TRUE(text[0].contains(QStringLiteral("p25x")) && !text[0].contains(QStringLiteral("0.500")));
    EXPECT_TRUE(text[1].contains(QStringLiteral("0.500")) && text[1].contains(QStringLiteral("0.900")));

    // One parameter has no correlations: nothing is printed for them.
    rig.settings.Fit = false;
    const TResultsView one = ResultsOf(1);
    rig.content.Results.View = &one;
    rig.Print();
    text = rig.PageTexts();
    ASSERT_EQ(text.size(), 1u);
    EXPECT_FALSE(text[0].contains(QStringLiteral("Correlations")));
}

// Read back with their places, on the desktop locale's paper and on the one
// Print Setup chose: the page has the paper's size; the stamp, date first,
// ends 50 pixels left of the page's edge; the six injections of the
// refractive-index table stand under their six headings, on columns that end
// within the right margin; no word leaves the page.
TEST(Report, TheStampAndTheInjectionColumnsKeepToThePage) {
    if (!HaveTextReader()) GTEST_SKIP() << "pdftotext is not installed";
    for (const auto& [locale, paper] :
         {std::pair{"en_US", QPageSize::Letter}, {"de_DE", QPageSize::A4}, {"en_GB", QPageSize::A4}})
        EXPECT_EQ(Printer::LocalePaper(QLocale(QString::fromLatin1(locale))), paper) << locale;
    const struct {
        int width, height;
        bool landscape;
        double pageWidth, pageHeight;
    } papers[] = {{0, 0, false, 595, 842}, {612, 792, true, 792, 612}};  // the tests' locale is German
    for (const auto& paper : papers) {
        SCOPED_TRACE(paper.pageWidth);
        ReportRig rig(0);
        constexpr int curves = 12;
        TModelData model;
        model.NumSets = 1;
        model.NumCurves[0] = curves;
        double ri[MaxInj][curves];
        for (int j = 0; j < MaxInj; ++j) {
            model.RefIndex[0][j] = ri[j];
            for (int i = 0; i < curves; ++i) ri[j][i] = -100.25 * (j + 1);  // the widest cells: "Curve 12  -601.50"
        }
        rig.content.Model = &model;
        rig.settings.Model = true;
        rig.settings.Species = rig.settings.Reactions = false;
        rig.settings.RefIndex = true;
        rig.settings.PaperWidth = paper.width;
        rig.settings.PaperHeight = paper.height;
        rig.settings.Landscape = paper.landscape;
        rig.Print();
        std::vector<test::PdfWord> words = test::PdfWords(rig.Path());
        ASSERT_GT(words.size(), 2u);
        // Line by line: the reader may take wide columns one after the other.
        std::ranges::stable_sort(words, {}, [](const test::PdfWord& w) { return std::tuple(w.Page, std::lround(w.YMin), w.XMin); });
        // The printer's page in points, inside the margins the printer keeps.
        const double dpi = rig.printer.Resolution(), inch = 72;
        const double pageRight = rig.printer.Device().pageLayout().paintRect(QPageLayout::Point).right();
        const double printRight = pageRight - inch / 2;

        const QString date = QString::fromStdString(ReportStampText(Now)).section(QStringLiteral("  "), 0, 0);
        ASSERT_EQ(words[0].Text, date);
        EXPECT_LT(words[0].XMax, words[1].XMin);
        EXPECT_NEAR(words[1].XMax, pageRight - 50 * inch / dpi, 1.0);

        std::vector<double> heads, cells;
        for (std::size_t k = 2; k + 1 < words.size(); ++k) {
            if (words[k].Text == "Injection") {
                EXPECT_EQ(words[k + 1].Text, QString::number(heads.size() + 1));
                heads.push_back(words[k].XMin);
            }
            if (words[k].Text == "Curve") cells.push_back(words[k].XMin);
            EXPECT_LE(words[k].XMax, printRight) << words[k].Text.toStdString();
        }
        for (const test::PdfWord& w : words) {
            EXPECT_NEAR(w.PageWidth, paper.pageWidth, 0.01);
            EXPECT_NEAR(w.PageHeight, paper.pageHeight, 0.01);
            EXPECT_TRUE(w.XMin >= 0 && w.YMin >= 0 && w.YMax <= w.PageHeight) << w.Text.toStdString();
        }
        ASSERT_EQ(heads.size(), std::size_t{MaxInj});
        ASSERT_EQ(cells.size(), std::size_t{MaxInj * curves});
        for (std::size_t k = 0; k < cells.size(); ++k) EXPECT_NEAR(cells[k], heads[k % MaxInj], 0.5) << k;
    }
}

// The refractive-index table of a 16-parameter fit on landscape paper starts
// half-way down: one that a page can hold goes to the next page whole under
// its heading, one longer than a page has its header on each page it covers.
TEST(Report, TablesRunningOntoTheNextPageKeepTheirHeader) {
    if (!HaveTextReader()) GTEST_SKIP() << "pdftotext is not installed";
    for (const auto& [curves, longer] : {std::pair{25, false}, {80, true}}) {
        ReportRig rig(0);
        TModelData model;
        model.NumSets = 1;
        model.NumCurves[0] = curves;
        model.NumSpecies = MaxSpecies;
        for (int s = 0; s < MaxSpecies; ++s) {
            model.SpecName[s] = std::string(1, static_cast<char>('A' + s));
            model.AnalyteInj[0][s] = -1;
        }
        const TResultsView results = ResultsOf(16);
        rig.content.Model = &model;
        rig.content.Results.View = &results;
        rig.content.ResultsShown = rig.settings.Model = rig.settings.FitResults = true;
        rig.settings.RefIndex = rig.settings.Landscape = true;
        rig.Print();
        int covered = 0;
        for (const QString& page : rig.PageTexts()) {
            const auto row = page.indexOf(QRegularExpression("Curve \\d+ +\\S+ +Curve"));
            const auto head = page.indexOf("Injection 1");
            if (row < 0) continue;
            EXPECT_TRUE(head >= 0 && head < row) << curves << " curves, page " << covered + 1;
            EXPECT_EQ(page.contains("Refractive Index"), covered++ == 0);
        }
        EXPECT_EQ(covered > 1, longer);
    }
}

TEST(PrintReportDlg, StartsAsDesignedTabsFollowTheirBoxesAndPages) {
    QFont font = QApplication::font();
    const QFont desktop = font;
    font.setPointSize(8);
    QApplication::setFont(font);
    TPrintReportDlg dlg;
    QApplication::setFont(desktop);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Print Report"));
    EXPECT_GE(dlg.width(), 305);
    EXPECT_GE(dlg.height(), 256);
    const TReportSettings s = dlg.Settings();
    EXPECT_TRUE(s.Plots && s.Model && s.FitResults && !s.Monte && s.TimeStamp);
    EXPECT_EQ(s.PlotMode, TPlotMode::HalfPage);
    auto shown = [&](QWidget* sheet) { return dlg.Tabs->isTabVisible(dlg.Tabs->indexOf(sheet)); };
    EXPECT_FALSE(shown(dlg.MonteSheet));
    dlg.ModelCheck->click();
    EXPECT_FALSE(shown(dlg.ModelSheet));
    EXPECT_EQ(dlg.Tabs->count(), 4);  // no gap where it was
    dlg.ModelCheck->click();
    EXPECT_EQ(dlg.Tabs->indexOf(dlg.ModelSheet), 2);

    dlg.FollowPages(false, true);
    EXPECT_FALSE(dlg.ResultCheck->isChecked());
    EXPECT_FALSE(dlg.ResultCheck->isEnabled());
    EXPECT_FALSE(shown(dlg.ResultSheet));
    EXPECT_TRUE(dlg.MonteCheck->isChecked());
    EXPECT_TRUE(shown(dlg.MonteSheet));
    dlg.MonteCheck->click();
    dlg.FollowPages(true, false);
    EXPECT_TRUE(dlg.ResultCheck->isChecked() && dlg.ResultCheck->isEnabled() && shown(dlg.ResultSheet));
    EXPECT_FALSE(dlg.MonteCheck->isChecked() || dlg.MonteCheck->isEnabled() || shown(dlg.MonteSheet));

    int setups = 0;
    dlg.OnPrintSetup = [&] { ++setups; };
    dlg.SetupButton->click();
    EXPECT_EQ(setups, 1);

    // Shown in 11 points, larger than the font it was made in: every offered tab reads whole.
    font.setPointSize(11);
    dlg.setFont(font);
    dlg.FollowPages(true, true);
    dlg.show();
    EXPECT_GE(dlg.Tabs->tabBar()->width(), dlg.Tabs->tabBar()->sizeHint().width());
}

TEST(PrintReportDlg, ChoicesConfirmedWithOKAreKeptAndStrangeStoredValuesIgnored) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("kivra.conf");
    {
        TPrintReportDlg dlg(nullptr, std::make_unique<QSettings>(file, QSettings::IniFormat));
        dlg.PlotGroup->Items[3]->click();
        dlg.ResidualGroup->Items[1]->click();
        dlg.InjConcCheck->click();
        dlg.TimeCheck->click();
        dlg.LineWidthBox->setText(QStringLiteral("2.5"));
        dlg.OKBtn->click();
        dlg.TimeCheck->click();  // after OK, and then cancelled: not kept
        dlg.KeepPaper(612, 792, true);  // confirmed in Print Setup: kept however the dialog ends
        dlg.CancelBtn->click();
    }
    {
        TPrintReportDlg dlg(nullptr, std::make_unique<QSettings>(file, QSettings::IniFormat));
        const TReportSettings s = dlg.Settings();
        EXPECT_EQ(s.PlotMode, TPlotMode::AllOnOnePage);
        EXPECT_EQ(s.ResidualMode, TResidualMode::WithData);
        EXPECT_TRUE(s.InjConc);
        EXPECT_FALSE(s.TimeStamp);
        EXPECT_EQ(s.LineWidth, "2.5");
        EXPECT_TRUE(s.PaperWidth == 612 && s.PaperHeight == 792 && s.Landscape);
    }
    {
        QSettings store(file, QSettings::IniFormat);
        store.setValue(QStringLiteral("PrintReport/PlotMode"), 9);
        store.setValue(QStringLiteral("PrintReport/DataSim"), QStringLiteral("both"));
        store.setValue(QStringLiteral("PrintReport/AxisWidth"), QString(5000, QChar('7')));
        store.setValue(QStringLiteral("PrintReport/PaperWidth"), -612);
    }
    TPrintReportDlg dlg(nullptr, std::make_unique<QSettings>(file, QSettings::IniFormat));
    const TReportSettings s = dlg.Settings();
    EXPECT_EQ(s.PlotMode, TPlotMode::HalfPage);
    EXPECT_EQ(s.DataSim, TDataSim::Both);
    EXPECT_EQ(s.AxisWidth, "3");
    EXPECT_EQ(s.PaperWidth + s.PaperHeight, 0);  // a paper without a width is none
    EXPECT_EQ(s.ResidualMode, TResidualMode::WithData);
}

// The window, its report going to the file the printer was last given.
class ReportForm : public TMainForm {
protected:
    bool AskFileName(FileDialog which, std::string&) override { return which == FileDialog::ReportSave; }
};

TEST(MainFormReport, PrintsFromTheWindowUnlessARunIsGoing) {
    test::ScriptedMessages msgs;
    ReportForm form;
    TPrintReportDlg dlg;
    PrintReportDlg = &dlg;
    QTemporaryDir dir;
    const QString path = dir.filePath("report.pdf");
    form.ReportPrinter().SetOutputFile(path.toStdString());
    form.AddPage();
    auto okSoon = [&] { QTimer::singleShot(0, &dlg, [&] { dlg.OKBtn->click(); }); };

    form.MonteRunning = true;
    form.PrintButton->click();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(QFile::exists(path));
    form.MonteRunning = false;

    okSoon();
    form.FilePrintItem->trigger();
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(form.ReportPrinter().PageNumber(), 1);
    // The results page was never shown: its section is not offered.
    EXPECT_FALSE(dlg.ResultCheck->isEnabled());
    EXPECT_EQ(msgs.Count(), 0u);

    form.ReportPrinter().SetOutputFile(dir.filePath("no/such/folder/report.pdf").toStdString());
    okSoon();
    form.FilePrint();
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "Unable to open file");
    EXPECT_EQ(msgs.Last().Caption, "File Error");
    EXPECT_EQ(msgs.Last().Icon, MsgIcon::Exclamation);
    PrintReportDlg = nullptr;
}

} // namespace
} // namespace kivra
