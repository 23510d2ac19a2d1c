#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

#include "app/dialog_file_choices.h"
#include "app/mainform.h"
#include "app/smoothdlg.h"
#include "app/startup.h"
#include "engine/model/model_sync.h"
#include "engine/numeric/numformat.h"
#include "widgets/reactpanel.h"
#include "widgets/senstab_widget.h"
#include "widgets/specpanel.h"
#include "tests/gui/panel_driving.h"
#include "tests/support/fit_fixture.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

namespace {

// The window with a hook into its message processing, where a user's clicks
// during a run arrive.
class RunWindow : public TMainForm {
public:
    std::function<void(int)> DuringRun;  // called with the count of passes
    int Passes = 0;
    std::string SaveName;  // every file dialog's answer; "" cancels

protected:
    bool AskFileName(FileDialog, std::string& name) override { return !(name = SaveName).empty(); }
    void ProcessMessages() override {
        TMainForm::ProcessMessages();
        ++Passes;
        if (DuringRun) DuringRun(Passes);
    }
};

// A loaded 1:1 page with noisy data on the window, each curve's injection a
// little later than the one before, and the panels holding kfwd and krev 3
// times off.
struct FitWindow {
    FitWindow() {
        Setup.Points = 81;
        Setup.Interval = 7.5;
        Page = static_cast<TSensTab*>(Form.AddPage());
        test::MakeOneToOnePage(*Page, Setup);
        test::StaggerAndNoise(*Page, 0.25, 0.5);
        TModelData model;
        std::vector<ReactionLine> reactions;
        std::vector<SpeciesLine> species;
        test::OneToOneLines(Setup, 3 * Setup.Ka, Setup.Kd / 3, 1, Setup.Rmax, reactions, species);
        species.emplace_back();  // the model page's line for a new species
        BeginModelSync(model, 1);
        ApplyReactionLines(model, reactions);
        ApplyModelSpeciesLines(model, species);
        Form.SpecPanel->SetSpecies(model);
        for (int sp = 0; sp < model.NumSpeciesLines; ++sp) Form.ReactPanel->SetSpecName(sp, model.SpecName[sp]);
        Form.ReactPanel->SetReact(model);
    }
    std::vector<double> Starts() const { return {&Page->InjStart[0][0], &Page->InjStart[0][0] + Page->NumCurves}; }
    QString KfwdText() const { return Form.ReactPanel->konBox[0]->text(); }
    bool ResultsTabShown() const { return Form.PageHolder->isTabVisible(Form.PageHolder->indexOf(Form.ResultPage)); }

    test::OneToOneSetup Setup;
    RunWindow Form;
    TSensTab* Page = nullptr;
};

} // namespace

TEST(MainFormRun, AFitConvergesAndFillsTheResultsPage) {
    test::ScriptedMessages msgs;
    FitWindow w;
    const QString startText = w.KfwdText();
    w.Form.RunFitButton->click();
    EXPECT_EQ(msgs.Count(), 0u);
    EXPECT_FALSE(w.Form.Busy());
    EXPECT_EQ(w.Form.StatusPanel0->text(), "Done");
    EXPECT_EQ(w.Form.RunState, 7);
    EXPECT_EQ(w.Form.PageHolder->currentWidget(), w.Form.PlotPage);
    ASSERT_TRUE(w.ResultsTabShown());
    // The R factor of C, kfwd and krev with their errors and correlations.
    ASSERT_EQ(w.Form.ResultGrid->rowCount(), 3);
    EXPECT_EQ(w.Form.ResultGrid->columnCount(), 7);
    EXPECT_NEAR(w.Form.Model.Kfwd[0] / w.Setup.Ka, 1, 0.05);
    EXPECT_NEAR(w.Form.Model.Krev[0] / w.Setup.Kd, 1, 0.05);
    EXPECT_EQ(w.Form.ResultGrid->item(1, 3)->text().toStdString(), FormatValue("", w.Form.Model.Kfwd[0]));
    EXPECT_NE(w.KfwdText(), startText);
    // The panel holds the fitted value in full: reading it back changes nothing.
    const double fitted = w.Form.Model.Kfwd[0];
    ASSERT_TRUE(w.Form.GetModel(false));
    EXPECT_EQ(w.Form.Model.Kfwd[0], fitted);
}

// Stopped after two steps and not kept: the values, each curve's injection
// time, the page's simulation, "Ssq:" and the panels are as before the fit.
// Meanwhile only Stop acted.
TEST(MainFormRun, StopAndNoPutsEverythingBackAndOnlyStopActsMeanwhile) {
    test::ScriptedMessages msgs;
    FitWindow w;
    w.Page->StartFitMode[0] = 1;
    w.Form.RunModelButton->click();
    ASSERT_EQ(msgs.Count(), 0u);
    const std::vector<double> starts = w.Starts();
    const QString ssq = w.Form.StatusPanel1->text();
    const double chisq = w.Page->Chisq;
    const std::vector<double> sim(w.Page->Sim[5], w.Page->Sim[5] + w.Setup.Points);
    const QString kfwd = w.KfwdText();

    bool sawRefusal = false;
    w.Form.DuringRun = [&](int pass) {
        if (pass != 3) return;
        w.Form.ApplyEnabling();
        EXPECT_FALSE(w.Form.RunModelButton->isEnabled());
        EXPECT_FALSE(w.Form.RunSimulationItem->isEnabled());
        EXPECT_FALSE(w.Form.RunAddNoiseItem->isEnabled());
        EXPECT_TRUE(w.Form.RunFitButton->isEnabled());
        EXPECT_FALSE(w.Form.ReactPanel->isEnabled());
        EXPECT_FALSE(w.Form.SpecPanel->isEnabled());
        EXPECT_FALSE(w.Page->SpecPanel->isEnabled());
        EXPECT_FALSE(w.Page->InjButtons[0]->isEnabled());
        // Even when it reaches the window, a simulation waits for the run.
        const QString status = w.Form.StatusPanel0->text();
        w.Form.RunSimulation();
        w.Form.PageHolder->setCurrentWidget(w.Page);
        w.Form.RunSmoothItemClick();
        sawRefusal = w.Form.StatusPanel0->text() == status && w.Form.FitRunning;
        w.Form.RunFitButton->click();
    };
    msgs.Answer(MsgResult::No);
    w.Form.Passes = 0;  // the passes of the fit alone
    w.Form.RunFitButton->click();
    EXPECT_TRUE(sawRefusal);
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "Update model with current values?");
    EXPECT_EQ(w.Starts(), starts);
    EXPECT_EQ(w.Page->Chisq, chisq);
    EXPECT_EQ(std::vector<double>(w.Page->Sim[5], w.Page->Sim[5] + w.Setup.Points), sim);
    EXPECT_EQ(w.Form.StatusPanel1->text(), ssq);
    EXPECT_EQ(w.KfwdText(), kfwd);
    EXPECT_FALSE(w.ResultsTabShown());
    EXPECT_EQ(w.Form.StatusPanel0->text(), "Done");
    EXPECT_FALSE(w.Form.Busy());
    EXPECT_TRUE(w.Form.ReactPanel->isEnabled());
    EXPECT_TRUE(w.Page->InjButtons[0]->isEnabled());
}

// A fault the panels tell and read on past (a link to a reaction that does
// not exist) is told once by each command, however often it reads the model.
TEST(MainFormRun, EachCommandTellsAModelFaultOnce) {
    test::ScriptedMessages msgs;
    msgs.AlwaysAnswer = MsgResult::Yes;
    QTemporaryDir dir;
    const struct {
        const char* name;
        std::function<void(RunWindow&)> command;
    } cases[] = {
        {"Simulation", [](RunWindow& f) { f.RunSimulation(); }},
        {"Fit of a page without data", [](RunWindow& f) { f.AddPage(), f.RunFit(); }},
        {"Add Data Page", [](RunWindow& f) { f.DataAddPage(); }},
        {"Monte Carlo", [](RunWindow& f) {
             for (QLineEdit* box : {f.NumCyclesBox, f.MaxIterBox, f.VariationBox}) box->setText("5");
             f.RunMonteButtonClick();
         }},
        {"Save", [](RunWindow& f) { f.FileSave(); }},
        {"Exit, Yes", [](RunWindow& f) { f.close(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FitWindow w;
        w.Form.SaveName = dir.filePath("model.mdl").toStdString();
        test::TypeOver(w.Form.ReactPanel->koffBox[0], "=f9");
        msgs.Clear();
        c.command(w.Form);
        EXPECT_EQ(std::ranges::count_if(msgs.All(), [](auto& m) { return m.Text.starts_with("Invalid reverse"); }), 1);
    }
}

// The program makes the smoothing dialog at start-up, after the calculator,
// and the data file questions go to the dialogs.
TEST(MainFormRun, StartUpMakesTheSmoothingDialogAndSmoothingUsesIt) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    StartProgram(*app);
    ASSERT_NE(SmoothDlg, nullptr);
    EXPECT_EQ(SmoothDlg->parent(), MainForm);
    EXPECT_NE(dynamic_cast<TDialogFileChoices*>(&CurrentFileChoices()), nullptr);

    TSensTabCore* page = MainForm->AddPage();
    test::OneToOneSetup setup;
    test::MakeOneToOnePage(*page, setup);
    MainForm->PageHolder->setCurrentWidget(static_cast<TSensTab*>(page));
    QTimer::singleShot(0, [] {
        ASSERT_EQ(QApplication::activeModalWidget(), SmoothDlg);
        SmoothDlg->WindowSizeBox->setText("5");
        SmoothDlg->Order0Button->click();
        SmoothDlg->OKBtn->click();
    });
    MainForm->RunSmoothItem->trigger();
    // A moving average of 5 points.
    const double* d = page->Data[3];
    EXPECT_NEAR(page->Sim[3][100], (d[98] + d[99] + d[100] + d[101] + d[102]) / 5, 1e-9);
    EndProgram();
    EXPECT_EQ(SmoothDlg, nullptr);
    EXPECT_EQ(dynamic_cast<TDialogFileChoices*>(&CurrentFileChoices()), nullptr);
}
