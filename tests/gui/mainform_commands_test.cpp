#include <QApplication>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QToolButton>
#include <fstream>
#include <gtest/gtest.h>

#include "app/mainform.h"
#include "app/splash.h"
#include "widgets/plot.h"
#include "widgets/reactpanel.h"
#include "widgets/senstab_widget.h"
#include "widgets/specpanel.h"
#include "tests/gui/panel_driving.h"
#include "tests/support/scripted_file_choices.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

namespace {

// The window with its file dialogs answered by the test: each question takes
// the next name (an empty one cancels) and is recorded with its dialog's title.
class TestForm : public TMainForm {
public:
    std::vector<std::string> Names;
    std::vector<std::string> Titles;
    bool AskFileName(FileDialog which, std::string& fileName) override {
        const QFileDialog* dialog = which == FileDialog::DataSave ? DataSaveDlg : DataOpenDlg;
        Titles.push_back(dialog->windowTitle().toStdString());
        if (Names.empty()) return false;
        fileName = Names.front();
        Names.erase(Names.begin());
        return !fileName.empty();
    }
};

// Two curves of four points with one injection.
constexpr const char* TwoCurves =
    "Vers 3.41 Data\n"
    "Conc1\t1e-08\t2e-08\nStart1\t1\t1\nStop1\t2\t2\nRInd1\t0\t0\nFlow\t1\t1\n"
    "Time1\tData1\tTime2\tData2\n"
    "0\t0\t0\t0\n1\t1\t1\t2\n2\t2\t2\t4\n3\t1\t3\t2\n";

std::string WriteFile(const QTemporaryDir& dir, const char* name, const char* text) {
    const std::string path = dir.filePath(QString::fromUtf8(name)).toStdString();
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ActiveTab(const TMainForm& form) { return form.PageHolder->tabText(form.PageHolder->currentIndex()).toStdString(); }

// Opens the plot popup on p, as a right click does.
void OpenPopup(TMainForm& form, TPlot* p) {
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
    QApplication::sendEvent(p, &click);
    form.PlotPopup->hide();
}

// A page holding the two curves, data and simulation shown.
TSensTab* PageWithData(TestForm& form, const std::string& file) {
    form.DataAddPage();
    TSensTab* page = form.ActiveSensPage();
    EXPECT_TRUE(page->LoadSens(file));
    page->SimulationChanged();
    return page;
}

} // namespace

TEST(MainFormCommands, PagesAreAddedNumberedDeletedAndActivated) {
    test::ScriptedMessages msgs;
    {
        TestForm form;
        for (int i = 0; i < MaxSets; ++i) {
            form.NewSensButton->click();
            EXPECT_EQ(ActiveTab(form), "Set " + std::to_string(i + 1));
        }
        form.DataAddPageItem->trigger();
        ASSERT_EQ(msgs.Count(), 1u);
        EXPECT_EQ(msgs.Last().Text, "Maximum number of sets");
        EXPECT_EQ(msgs.Last().Caption, "Sorry");
        EXPECT_EQ(form.PageCount(), MaxSets);
        EXPECT_EQ(form.Model.NumSets, MaxSets);
    }
    // Deleting activates the page two places before, at least the first; the
    // model page when none is left.
    struct Case {
        int pages, deleted;
        const char* shown;
    };
    for (const Case c : {Case{1, 0, "Model"}, Case{3, 1, "Set 1"}, Case{3, 2, "Set 1"}, Case{5, 4, "Set 3"}}) {
        TestForm form;
        for (int i = 0; i < c.pages; ++i) form.DataAddPage();
        form.PageHolder->setCurrentWidget(form.SensPage(c.deleted));
        msgs.Answer(MsgResult::Yes);
        form.DataDeletePageItem->trigger();
        EXPECT_EQ(msgs.Last().Text, "Delete this data page?");
        EXPECT_EQ(msgs.Last().Caption, "Confirm Delete");
        EXPECT_EQ(msgs.Last().Buttons, MsgButtons::YesNo);
        EXPECT_EQ(ActiveTab(form), c.shown) << c.pages << " pages, deleted " << c.deleted;
        EXPECT_EQ(form.Model.NumSets, c.pages - 1);
        for (int i = 0; i < form.PageCount(); ++i) {
            EXPECT_EQ(form.Page(i).Tag, i);
            EXPECT_EQ(form.Plots[static_cast<std::size_t>(i)], form.SensPage(i)->OverviewPlot.data());
        }
    }
    // The pages behind take the freed numbers, unless they hold data; No deletes nothing.
    QTemporaryDir dir;
    const std::string file = WriteFile(dir, "run.txt", TwoCurves);
    TestForm form;
    form.DataAddPage();
    form.DataAddPage();
    PageWithData(form, file);
    form.DataAddPage();
    form.PageHolder->setCurrentWidget(form.SensPage(1));
    msgs.Answer(MsgResult::No);
    form.DataDeletePage();
    EXPECT_EQ(form.PageCount(), 4);
    msgs.Answer(MsgResult::Yes);
    form.DataDeletePage();
    ASSERT_EQ(form.PageCount(), 3);
    EXPECT_EQ(form.SensPage(1)->Caption(), "run.txt");
    EXPECT_EQ(form.SensPage(2)->Caption(), "Set 3");
    EXPECT_EQ(form.SensPage(2)->PagePlot->GetTitle(), "Set 3");
    EXPECT_EQ(form.PageHolder->tabText(form.PageHolder->indexOf(form.SensPage(2))), "Set 3");
    // Not on a data page: no question, nothing deleted.
    form.PageHolder->setCurrentWidget(form.ModelPage);
    const std::size_t asked = msgs.Count();
    form.DataDeletePage();
    EXPECT_EQ(msgs.Count(), asked);
    EXPECT_EQ(form.PageCount(), 3);
    EXPECT_TRUE(msgs.AllAnswered());
}

// Open and Save act by the page shown and end with "Done" only when the file
// was read or written.
TEST(MainFormCommands, OpenAndSaveSayDoneOnlyAfterSuccess) {
    test::ScriptedMessages msgs;
    test::ScriptedFileChoices choices;
    QTemporaryDir dir;
    const std::string good = WriteFile(dir, "run.txt", TwoCurves);
    const std::string bad = WriteFile(dir, "bad.txt", "Vers 9.9\n");
    const std::string noFolder = dir.filePath("none/out.txt").toStdString();
    TestForm form;
    form.DataAddPage();
    TSensTab* page = form.ActiveSensPage();

    struct Case {
        const char* what;
        std::vector<std::string> names;
        int messages;
        bool done;
    };
    const Case opens[] = {{"cancelled", {""}, 0, false},
                          {"missing file", {dir.filePath("missing.txt").toStdString()}, 1, false},
                          {"refused version", {bad}, 1, false},
                          {"good file", {good}, 0, true}};
    for (const Case& c : opens) {
        msgs.Clear();
        form.Names = c.names;
        form.OpenButton->click();
        EXPECT_EQ(msgs.Count(), static_cast<std::size_t>(c.messages)) << c.what;
        EXPECT_EQ(form.StatusPanel0->text() == "Done", c.done) << c.what;
        EXPECT_EQ(form.RunState, 7) << c.what;
    }
    EXPECT_EQ(form.Titles.back(), "Open Data");
    EXPECT_TRUE(page->GetLoaded());
    EXPECT_EQ(page->NumCurves, 2);
    EXPECT_EQ(form.Model.NumCurves[0], 2);  // the model followed the load

    // Data and simulation in a file each, each dialog with its own title; a
    // cancelled dialog skips only its part.
    const std::string data = dir.filePath("data.txt").toStdString();
    const std::string sim = dir.filePath("sim.txt").toStdString();
    choices.AnswerSave(true, {true, true, false, false});
    form.Titles.clear();
    form.Names = {data, sim};
    form.SaveButton->click();
    EXPECT_EQ(form.StatusPanel0->text(), "Done");
    EXPECT_EQ(form.Titles, (std::vector<std::string>{"Save Data As", "Save Simulation As"}));
    EXPECT_EQ(form.DataSaveDlg->windowTitle(), "Save Data");
    EXPECT_TRUE(std::ifstream(data).good());
    EXPECT_TRUE(std::ifstream(sim).good());
    msgs.Clear();
    const Case saves[] = {{"parts cancelled", {}, 0, false},
                          {"one file cancelled", {"", data}, 0, true},
                          {"folder missing", {noFolder}, 1, false}};
    choices.AnswerSave(false, {});
    choices.AnswerSave(true, {true, false, true, false});
    choices.AnswerSave(true, {true, true, false, true});
    for (const Case& c : saves) {
        msgs.Clear();
        form.Names = c.names;
        form.FileSaveItem->trigger();
        EXPECT_EQ(msgs.Count(), static_cast<std::size_t>(c.messages)) << c.what;
        EXPECT_EQ(form.StatusPanel0->text() == "Done", c.done) << c.what;
    }
    // The results page: a file that cannot be made is no success either.
    form.PageHolder->setTabVisible(form.PageHolder->indexOf(form.ResultPage), true);
    form.PageHolder->setCurrentWidget(form.ResultPage);
    for (const Case& c : {Case{"results", {noFolder}, 1, false}, Case{"results", {data}, 0, true}}) {
        msgs.Clear();
        form.Names = c.names;
        form.SaveButton->click();
        EXPECT_EQ(msgs.Count(), static_cast<std::size_t>(c.messages));
        EXPECT_EQ(form.StatusPanel0->text() == "Done", c.done);
    }
}

// While a fit or a Monte Carlo run uses the data, no command asks, loads,
// saves, adds, deletes or clears anything.
TEST(MainFormCommands, NoCommandTouchesTheDataWhileARunUsesThem) {
    test::ScriptedMessages msgs;  // any question fails the test
    test::ScriptedFileChoices choices;
    QTemporaryDir dir;
    const std::string file = WriteFile(dir, "run.txt", TwoCurves);
    for (bool monte : {false, true}) {
        TestForm form;
        TSensTab* page = PageWithData(form, file);
        form.DataAddPage();
        form.PageHolder->setCurrentWidget(page);
        const double* data = page->Data[0];
        form.Names = {file, file};
        (monte ? form.MonteRunning : form.FitRunning) = true;
        form.FileNew();
        form.FileOpen();
        form.FileSave();
        form.DataAddPage();
        form.DataDeletePage();
        EXPECT_FALSE(form.LoadData());
        EXPECT_FALSE(form.SaveData());
        form.PageHolder->setCurrentWidget(form.ModelPage);
        form.FileNew();
        EXPECT_FALSE(form.DiscardModel());
        form.PageHolder->setCurrentWidget(page);
        OpenPopup(form, page->PagePlot);
        EXPECT_FALSE(form.EditCurveItem->isEnabled());
        EXPECT_EQ(form.PageCount(), 2);
        EXPECT_EQ(page->Data[0], data);
        EXPECT_TRUE(page->GetLoaded());
        EXPECT_TRUE(form.Titles.empty());
        EXPECT_EQ(msgs.Count(), 0u);
        form.FitRunning = form.MonteRunning = false;
    }
}

TEST(MainFormCommands, NewOnTheModelPageDiscardsTheModelWhenAsked) {
    test::ScriptedMessages msgs;
    QTemporaryDir dir;
    TestForm form;
    TSensTab* page = PageWithData(form, WriteFile(dir, "run.txt", TwoCurves));
    page->Modelled = true;
    form.PageHolder->setCurrentWidget(form.ModelPage);
    test::TypeOver(form.SpecPanel->NameBox[0], "A");
    form.StatusPanel1->setText("Ssq: 3");
    msgs.Answer(MsgResult::No);
    form.NewButton->click();
    EXPECT_EQ(msgs.Last().Text, "Do you want to discard current model?");
    EXPECT_EQ(msgs.Last().Caption, "Are you sure?");
    EXPECT_EQ(form.SpecPanel->NameBox[0]->text(), "A");
    msgs.Answer(MsgResult::Yes);
    form.FileNewItem->trigger();
    EXPECT_EQ(form.SpecPanel->NameBox[0]->text(), "");
    EXPECT_FALSE(page->GetModelled());
    EXPECT_FALSE(page->PagePlot->GetShowSim());
    EXPECT_EQ(form.StatusPanel1->text(), "");
    EXPECT_EQ(form.ModelListState.Count(), 4);  // the group heads alone
    EXPECT_TRUE(msgs.AllAnswered());
}

TEST(MainFormCommands, ResidualsAndThePlotPopup) {
    test::ScriptedMessages msgs;
    QTemporaryDir dir;
    const std::string file = WriteFile(dir, "run.txt", TwoCurves);
    TestForm form;
    form.resize(800, 600);
    TSensTab* first = PageWithData(form, file);
    TSensTab* second = PageWithData(form, file);

    // On a data page only its own plot; on the plot page all follow the first.
    form.ResidualButton->click();
    EXPECT_TRUE(second->PagePlot->GetRes());
    EXPECT_FALSE(first->PagePlot->GetRes());
    form.PageHolder->setCurrentWidget(form.PlotPage);
    form.Plots[1]->SetRes(true);
    form.DataResidualsItem->trigger();
    EXPECT_TRUE(form.Plots[0]->GetRes());
    EXPECT_TRUE(form.Plots[1]->GetRes());
    form.DataResiduals();
    EXPECT_FALSE(form.Plots[1]->GetRes());

    // The popup on the plot page: Maximize with two plots, no editing.
    OpenPopup(form, form.Plots[1]);
    EXPECT_EQ(form.PopupPlot(), form.Plots[1]);
    EXPECT_TRUE(form.MaximizeItem->isEnabled());
    EXPECT_FALSE(form.MaximizeItem->isChecked());
    EXPECT_FALSE(form.EditCurveItem->isEnabled());
    EXPECT_TRUE(form.ResidualsItem->isEnabled());
    EXPECT_FALSE(form.ZoomOutItem->isEnabled());
    form.MaximizeItem->trigger();
    EXPECT_EQ(form.CurrentCurve, 1);
    EXPECT_TRUE(form.Plots[0]->isHidden());
    OpenPopup(form, form.Plots[1]);
    EXPECT_TRUE(form.MaximizeItem->isChecked());
    form.MaximizeClick();
    EXPECT_EQ(form.CurrentCurve, -1);

    // On a data page's own plot: no Maximize, editing allowed; one curve at a time.
    form.PageHolder->setCurrentWidget(first);
    TPlot* p = first->PagePlot;
    OpenPopup(form, p);
    EXPECT_FALSE(form.MaximizeItem->isEnabled());
    EXPECT_TRUE(form.EditCurveItem->isEnabled());
    EXPECT_FALSE(form.NextCurveItem->isEnabled());
    EXPECT_EQ(TMainForm::EditCurveTarget(*p), -1);  // no curve, no selection: all curves
    form.SingleCurveItem->trigger();
    EXPECT_EQ(p->GetCurve(), 0);
    form.NextCurveClick();
    EXPECT_EQ(p->GetCurve(), 1);
    EXPECT_EQ(TMainForm::EditCurveTarget(*p), -3);
    OpenPopup(form, p);
    EXPECT_TRUE(form.SingleCurveItem->isChecked());
    EXPECT_TRUE(form.NextCurveItem->isEnabled());
    form.ShowSingleClick();
    EXPECT_EQ(p->GetCurve(), -1);
    form.ShowResidualsClick();
    EXPECT_TRUE(p->GetRes());

    // A plot whose page has gone is not answered.
    form.PageHolder->setCurrentWidget(second);
    OpenPopup(form, second->PagePlot);
    msgs.Answer(MsgResult::Yes);
    form.DataDeletePage();
    EXPECT_EQ(form.PopupPlot(), nullptr);
    form.ZoomInClick();
    form.EditCurveClick();
    // With one plot left, Maximize is off on the plot page too.
    form.PageHolder->setCurrentWidget(form.PlotPage);
    OpenPopup(form, form.Plots[0]);
    EXPECT_FALSE(form.MaximizeItem->isEnabled());
}

TEST(MainFormCommands, HelpShowsTheShippedFileAndAboutThePicture) {
    TestForm form;
    const QString file = TMainForm::HelpFileName();
    ASSERT_TRUE(file.endsWith("help/Kivra99.html")) << file.toStdString();
    form.HelpButton->click();
    ASSERT_NE(form.HelpWindow, nullptr);
    EXPECT_TRUE(form.HelpWindow->isVisible());
    EXPECT_EQ(form.HelpWindow->source().toLocalFile(), file);
    EXPECT_EQ(form.HelpWindow->windowTitle(), "KivraXP help");
    EXPECT_TRUE(form.HelpWindow->toPlainText().contains("binding-1to1.mdl"));
    form.HelpContentsItem->trigger();  // the same window again
    EXPECT_EQ(form.findChildren<QTextBrowser*>().size(), 1);

    form.HelpAboutItem->trigger();
    ASSERT_NE(SplashForm, nullptr);
    EXPECT_TRUE(SplashForm->isVisible());
    EXPECT_EQ(form.StatusPanel0->text(), "Click on box to remove");
    SplashForm->FormMouseDown();
    EXPECT_FALSE(SplashForm->isVisible());
}
