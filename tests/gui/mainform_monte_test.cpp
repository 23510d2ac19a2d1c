#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/mainform.h"
#include "app/printreportdlg.h"
#include "tests/gui/pdf_text.h"
#include "engine/model/model_sync.h"
#include "tests/gui/panel_driving.h"
#include "tests/support/fit_fixture.h"
#include "tests/support/scripted_messages.h"
#include "widgets/histogram.h"
#include "widgets/reactpanel.h"

using namespace kivra;

namespace {

// The window with a 1:1 model behind its panels and a page of its data.
class MonteTestForm : public TMainForm {
public:
    MonteTestForm() {
        Setup.Points = 61;
        Setup.Interval = 10;
        ResetRandom(-3);
        TSensTabCore& page = *AddPage();
        test::MakeOneToOnePage(page, Setup);
        for (int i = 0; i < page.NumCurves; ++i)
            for (int k = 0; k < Setup.Points; ++k) page.Data[i][k] += 0.5 * GaussRandom(&RandomSeed());
    }
    test::OneToOneSetup Setup;
    std::vector<std::string> CaptionsDuringRun;
    std::vector<bool> PanelsLockedDuringRun;

    // The page shown with a run of two cycles set up in its boxes.
    void ShowTwoCycleRun() {
        resize(800, 600);
        RunMonte();
        test::TypeOver(NumCyclesBox, "2");
        test::TypeOver(MaxIterBox, "50");
        test::TypeOver(VariationBox, "10");
    }

    void ShowFitResults(TModelData& model, int n, double** covar, double* a, double chisq) override {
        CaptionsDuringRun.push_back(RunMonteButton->text().toStdString());
        PanelsLockedDuringRun.push_back(!ReactPanel->isEnabled());
        TMainForm::ShowFitResults(model, n, covar, a, chisq);
    }

protected:
    bool ReadPanels(TModelData& m) override {
        test::ApplyOneToOneLines(m, Setup, Setup.Ka, Setup.Kd, 1, Setup.Rmax);
        return true;
    }
    // The report goes to the file the printer was last given.
    bool AskFileName(FileDialog which, std::string&) override { return which == FileDialog::ReportSave; }
};

TEST(MonteCarloPage, ShownByTheRunMenuWithItsSettings) {
    MonteTestForm form;
    EXPECT_FALSE(form.PageHolder->isTabVisible(form.PageHolder->indexOf(form.MontePage)));
    form.RunMonteItem->trigger();
    EXPECT_TRUE(form.PageHolder->isTabVisible(form.PageHolder->indexOf(form.MontePage)));
    EXPECT_EQ(form.PageHolder->currentWidget(), form.MontePage);
    EXPECT_EQ(form.PageHolder->tabText(form.PageHolder->indexOf(form.MontePage)), "Monte Carlo");

    EXPECT_EQ(form.Label2->text(), "Monte Carlo");
    EXPECT_EQ(form.Label3->text(), "Num Cycles");
    EXPECT_EQ(form.Label4->text(), "Max Iteration");
    EXPECT_EQ(form.Label5->text(), "Variation (%)");
    EXPECT_EQ(form.AddNoiseCheck->text(), "Add Noise (RU)");
    EXPECT_FALSE(form.AddNoiseCheck->isChecked());
    EXPECT_EQ(form.RunMonteButton->text(), "Run");
    for (QLineEdit* box : {form.NumCyclesBox, form.MaxIterBox, form.VariationBox, form.AddNoiseBox})
        EXPECT_TRUE(box->text().isEmpty());
    // Every text fits, and no box covers the text before it.
    for (QLabel* l : {form.Label2, form.Label3, form.Label4, form.Label5})
        EXPECT_GE(l->width(), l->fontMetrics().horizontalAdvance(l->text()));
    EXPECT_GE(form.NumCyclesBox->x(), form.Label3->x() + form.Label3->width());
    EXPECT_GE(form.MaxIterBox->x(), form.Label4->x() + form.Label4->width());
    EXPECT_GE(form.VariationBox->x(), form.Label5->x() + form.Label5->width());
    EXPECT_GE(form.AddNoiseBox->x(), form.AddNoiseCheck->x() + form.AddNoiseCheck->width());
    EXPECT_GE(form.RunMonteButton->x(), form.VariationBox->x() + form.VariationBox->width());
    // The settings sit right on the histograms' panel.
    form.resize(700, 500);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, form.MontePage->width(), 103));
    EXPECT_EQ(form.MontePanel->y(), 103);
}

TEST(MonteCarloPage, RunFromTheButtonFillsAGridOfHistograms) {
    test::ScriptedMessages msgs;
    MonteTestForm form;
    form.ShowTwoCycleRun();
    form.AddNoiseCheck->setChecked(true);
    test::TypeOver(form.AddNoiseBox, "0.5");
    form.RunMonteButton->click();

    EXPECT_EQ(form.MonteSucceeded, 2);
    EXPECT_EQ(form.CaptionsDuringRun, (std::vector<std::string>{"Stop", "Stop"}));
    // The model panels are read-only from the run's start to its end.
    EXPECT_EQ(form.PanelsLockedDuringRun, (std::vector<bool>{true, true}));
    EXPECT_TRUE(form.ReactPanel->isEnabled());
    EXPECT_EQ(form.RunMonteButton->text(), "Run");
    EXPECT_DOUBLE_EQ(form.MonteNoise, 0.5);
    ASSERT_EQ(form.Histograms.size(), 3u);
    EXPECT_EQ(form.Panel1->height(), 103);
    // Three histograms: 2 x 2 cells of the panel, the last empty.
    const int w = form.MontePanel->width(), h = form.MontePanel->height();
    const std::vector<QWidget*> shown = form.HistogramWidgets();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[2]->geometry(), QRect(0, h / 2, w / 2, h / 2));
    auto* third = dynamic_cast<THistogram*>(form.Histograms[2].get());
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->parentWidget(), form.MontePanel);
    EXPECT_EQ(third->Title, "3. krev: A + B = C");
    EXPECT_EQ(third->Count, 2);
    EXPECT_TRUE(form.MonteUnsaved);
    EXPECT_TRUE(msgs.AllAnswered());
    if (getenv("KIVRA_SAVE_PICTURES")) form.grab().save("/tmp/monte_page.png");
    EXPECT_EQ(msgs.Count(), 0u);

    // A bad box: its message, and the focus goes into it.
    test::TypeOver(form.VariationBox, "0");
    form.NumCyclesBox->setFocus();
    msgs.Answer(MsgResult::No);
    form.RunMonteButton->click();
    ASSERT_EQ(msgs.Count(), 2u);
    EXPECT_EQ(msgs.Last().Text, "Variation must be greater than 0");
    EXPECT_EQ(msgs.Last().Caption, "Run Monte Error");
    EXPECT_EQ(form.focusWidget(), form.VariationBox);
    EXPECT_EQ(form.Histograms[2].get(), third);
}

TEST(MonteCarloPage, TheReportPrintsTheRunWithItsHistograms) {
    if (!test::HaveTextReader()) GTEST_SKIP() << "pdftotext is not installed";
    test::ScriptedMessages msgs;
    MonteTestForm form;
    form.ShowTwoCycleRun();
    form.MonteModelReplaced = true;  // a run describes the model it ran on
    form.RunMonteButton->click();
    ASSERT_EQ(form.MonteSucceeded, 2) << (msgs.Count() ? msgs.Last().Text : "");

    TPrintReportDlg dlg;
    PrintReportDlg = &dlg;
    QTemporaryDir dir;
    const QString path = dir.filePath("report.pdf");
    form.ReportPrinter().SetOutputFile(path.toStdString());
    QTimer::singleShot(0, &dlg, [&] {
        dlg.MonteCheck->setChecked(true);
        dlg.MonteGraphCheck->setChecked(true);
        dlg.OKBtn->click();
    });
    form.FilePrint();
    QString all;
    for (const QString& page : test::PdfPageTexts(path)) all += page;
    EXPECT_TRUE(all.contains("Monte Carlo Results"));
    EXPECT_TRUE(all.contains("Succeeded: 2"));
    EXPECT_TRUE(all.contains("3. krev: A + B = C"));
    EXPECT_EQ(msgs.Count(), 0u);

    // File New on the model page (or File Open of a model): the run describes
    // another model, and the report no longer offers it.
    msgs.Answer(MsgResult::Yes);
    ASSERT_TRUE(form.DiscardModel());
    QTimer::singleShot(0, &dlg, [&] { dlg.reject(); });
    form.FilePrint();
    EXPECT_FALSE(dlg.MonteCheck->isChecked() || dlg.MonteCheck->isEnabled());
    PrintReportDlg = nullptr;
}

} // namespace
