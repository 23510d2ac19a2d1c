#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
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
    // The New Data Set dialog's answers; none left cancels.
    std::vector<TNewSetAnswer> NewSets;
    bool AskNewSet(TNewSetAnswer& answer) override {
        if (NewSets.empty()) return false;
        answer = NewSets.front();
        NewSets.erase(NewSets.begin());
        return true;
    }
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
    QTemporaryDir dir;
    const std::string file = WriteFile(dir, "run.txt", TwoCurves);
    // Deleting shows the page two places before, at least the first; the
    // model page when none is left. A seventh page is refused.
    struct Case {
        int pages, deleted;
        const char* shown;
    };
    for (const Case c : {Case{1, 0, "Model"}, Case{3, 1, "Set 1"}, Case{3, 2, "Set 1"}, Case{6, 5, "Set 4"}}) {
        TestForm form;
        for (int i = 0; i < c.pages; ++i) form.NewSensButton->click();
        EXPECT_EQ(ActiveTab(form), "Set " + std::to_string(c.pages));
        if (c.pages == MaxSets) {
            form.DataAddPageItem->trigger();
            EXPECT_EQ(msgs.Last().Text + "|" + msgs.Last().Caption, "Maximum number of sets|Sorry");
        }
        form.PageHolder->setCurrentWidget(form.SensPage(c.deleted));
        msgs.Answer(MsgResult::Yes);
        form.DataDeletePageItem->trigger();
        EXPECT_EQ(msgs.Last().Text + "|" + msgs.Last().Caption, "Delete this data page?|Confirm Delete");
        EXPECT_EQ(ActiveTab(form), c.shown) << c.pages << " pages, deleted " << c.deleted;
        EXPECT_EQ(form.Model.NumSets, c.pages - 1);
        for (int i = 0; i < form.PageCount(); ++i)
            EXPECT_EQ(form.Plots[static_cast<std::size_t>(i)], form.SensPage(i)->OverviewPlot.data());
    }
    // The pages behind take the freed numbers, unless they hold data; No deletes nothing.
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
    EXPECT_EQ(form.SensPage(1)->Caption(), "run.txt");
    EXPECT_EQ(form.SensPage(2)->PagePlot->GetTitle(), "Set 3");
    EXPECT_EQ(form.PageHolder->tabText(form.PageHolder->indexOf(form.SensPage(2))), "Set 3");
    EXPECT_TRUE(msgs.AllAnswered());
}

// Open and Save act by the page shown and end with "Done" only when the file
// was read or written.
TEST(MainFormCommands, OpenAndSaveSayDoneOnlyAfterSuccess) {
    test::ScriptedMessages msgs;
    test::ScriptedFileChoices choices;
    QTemporaryDir dir;
    const std::string good = WriteFile(dir, "run.txt", TwoCurves), out = dir.filePath("out.txt").toStdString();
    const std::string bad = WriteFile(dir, "bad.txt", "Vers 9.9\n"), noFolder = dir.filePath("no/out.txt").toStdString();
    TestForm form;
    form.DataAddPage();
    QWidget* data = form.ActiveSensPage();
    struct Case {
        QWidget* page;
        void (TMainForm::*command)();
        std::vector<std::string> names;
        std::size_t messages;
        bool done;
    };
    const Case cases[] = {
        {data, &TMainForm::FileOpen, {""}, 0, false},  // cancelled
        {data, &TMainForm::FileOpen, {dir.filePath("missing.txt").toStdString()}, 1, false},
        {data, &TMainForm::FileOpen, {bad}, 1, false},  // refused version
        {data, &TMainForm::FileOpen, {good}, 0, true},
        {data, &TMainForm::FileSave, {out, out}, 0, true},  // data, simulation
        {data, &TMainForm::FileSave, {}, 0, false},         // parts cancelled
        {data, &TMainForm::FileSave, {"", out}, 0, true},   // one file cancelled: only its part skipped
        {data, &TMainForm::FileSave, {noFolder}, 1, false},
        {form.ResultPage, &TMainForm::FileSave, {noFolder}, 1, false},
        {form.ResultPage, &TMainForm::FileSave, {out}, 0, true},
    };
    form.PageHolder->setTabVisible(form.PageHolder->indexOf(form.ResultPage), true);
    choices.AnswerSave(true, {true, true, false, false});
    choices.AnswerSave(false, {});
    choices.AnswerSave(true, {true, false, true, false});
    choices.AnswerSave(true, {true, true, false, true});
    int row = 0;
    for (const Case& c : cases) {
        msgs.Clear();
        form.Names = c.names;
        form.Titles.clear();
        form.PageHolder->setCurrentWidget(c.page);
        (form.*c.command)();
        EXPECT_EQ(msgs.Count(), c.messages) << "row " << row;
        EXPECT_EQ(form.StatusPanel0->text() == "Done", c.done) << "row " << row;
        EXPECT_EQ(form.RunState, 7) << "row " << row;
        if (row == 4) {
            EXPECT_EQ(form.Titles, (std::vector<std::string>{"Save Data As", "Save Simulation As"}));
        }
        ++row;
    }
    EXPECT_EQ(form.Model.NumCurves[0], 2);  // the model followed the load
    EXPECT_EQ(form.DataSaveDlg->windowTitle(), "Save Data");
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
        const double* data = page->Data[0];
        form.Names = {file, file};
        form.NewSets = {{"3", "100", "10"}};
        (monte ? form.MonteRunning : form.FitRunning) = true;
        // Called directly, as a click that came before the idle pass disabled them.
        for (QWidget* shown : {static_cast<QWidget*>(page), static_cast<QWidget*>(form.ModelPage)}) {
            form.PageHolder->setCurrentWidget(shown);
            for (auto command : {&TMainForm::FileNew, &TMainForm::FileOpen, &TMainForm::FileSave,
                                 &TMainForm::DataAddPage, &TMainForm::DataDeletePage, &TMainForm::EditCurveClick})
                (form.*command)();
        }
        form.PageHolder->setCurrentWidget(page);
        EXPECT_FALSE(form.LoadData() || form.SaveData());
        OpenPopup(form, page->PagePlot);
        EXPECT_FALSE(form.EditCurveItem->isEnabled());
        EXPECT_EQ(form.PageCount(), 1);
        EXPECT_EQ(page->Data[0], data);
        EXPECT_TRUE(form.Titles.empty());
        EXPECT_EQ(form.NewSets.size(), 1u);
        EXPECT_EQ(msgs.Count(), 0u);
        form.FitRunning = form.MonteRunning = false;
    }
}

// New on a data page makes a set only of values it can be made of, without
// a word otherwise; on the model page it discards the model when asked.
TEST(MainFormCommands, NewByPage) {
    test::ScriptedMessages msgs;
    TestForm form;
    form.DataAddPage();
    TSensTab* page = form.ActiveSensPage();
    form.NewSets = {{"2", "10", "0"}, {"2", "10", "10"}, {"x", "100", "10"}, {"3", "100", "10"}};
    for (int i = 0; i < 5; ++i) form.FileNewItem->trigger();  // the last one cancelled
    EXPECT_EQ(page->NumCurves, 3);
    EXPECT_EQ(page->NumPoints, 10);
    EXPECT_EQ(form.Model.NumCurves[0], 3);

    form.PageHolder->setCurrentWidget(form.ModelPage);
    page->Modelled = true;
    page->SimulationChanged();
    test::TypeOver(form.SpecPanel->NameBox[0], "A");
    form.StatusPanel1->setText("Ssq: 3");
    for (MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        msgs.Answer(answer);
        form.NewButton->click();
        EXPECT_EQ(msgs.Last().Text + "|" + msgs.Last().Caption, "Do you want to discard current model?|Are you sure?");
        EXPECT_EQ(form.SpecPanel->NameBox[0]->text().isEmpty(), answer == MsgResult::Yes);
    }
    EXPECT_EQ(msgs.Count(), 2u);
    EXPECT_FALSE(page->GetModelled() || page->PagePlot->GetShowSim());
    EXPECT_EQ(form.StatusPanel1->text(), "");
    EXPECT_EQ(form.ModelListState.Count(), 4);  // the group heads alone
}

TEST(MainFormCommands, ResidualsAndThePlotPopup) {
    test::ScriptedMessages msgs;
    QTemporaryDir dir;
    const std::string file = WriteFile(dir, "run.txt", TwoCurves);
    TestForm form;
    TSensTab* first = PageWithData(form, file);
    TSensTab* second = PageWithData(form, file);
    // On a data page only its own plot; on the plot page all follow the first.
    form.ResidualButton->click();
    EXPECT_TRUE(second->PagePlot->GetRes() && !first->PagePlot->GetRes());
    form.PageHolder->setCurrentWidget(form.PlotPage);
    form.Plots[1]->SetRes(true);
    form.DataResidualsItem->trigger();
    EXPECT_TRUE(form.Plots[0]->GetRes() && form.Plots[1]->GetRes());

    // The popup's items by plot and page: Maximize enabled and ticked, Edit
    // Curve, Next Curve, Residuals ticked.
    auto popup = [&](TPlot* p) {
        OpenPopup(form, p);
        std::string s;
        for (QAction* a : {form.MaximizeItem, form.EditCurveItem, form.NextCurveItem})
            s += a->isEnabled() ? 'y' : 'n';
        for (QAction* a : {form.MaximizeItem, form.ResidualsItem}) s += a->isChecked() ? 'x' : '-';
        return s;
    };
    EXPECT_EQ(popup(form.Plots[1]), "ynn-x");
    form.MaximizeItem->trigger();
    EXPECT_EQ(form.CurrentCurve, 1);
    EXPECT_EQ(popup(form.Plots[1]), "ynnxx");
    form.MaximizeClick();
    EXPECT_EQ(form.CurrentCurve, -1);
    form.PageHolder->setCurrentWidget(first);
    TPlot* p = first->PagePlot;
    EXPECT_EQ(popup(p), "nyn--");
    EXPECT_EQ(TMainForm::EditCurveTarget(*p), -1);  // no curve, no selection: all curves
    form.SingleCurveItem->trigger();
    form.NextCurveClick();
    EXPECT_EQ(TMainForm::EditCurveTarget(*p), -3);
    form.ShowResidualsClick();
    EXPECT_EQ(popup(p), "nyy-x");
    form.ShowSingleClick();
    EXPECT_EQ(p->GetCurve(), -1);

    // A plot whose page has gone is not answered; one plot left cannot be maximised.
    form.PageHolder->setCurrentWidget(second);
    OpenPopup(form, second->PagePlot);
    msgs.Answer(MsgResult::Yes);
    form.DataDeletePage();
    EXPECT_EQ(form.PopupPlot(), nullptr);
    form.EditCurveClick();
    form.PageHolder->setCurrentWidget(form.PlotPage);
    EXPECT_EQ(popup(form.Plots[0])[0], 'n');
}

TEST(MainFormCommands, HelpShowsTheShippedFileAndAboutThePicture) {
    TestForm form;
    const QString file = TMainForm::HelpFileName();
    ASSERT_TRUE(file.endsWith("help/Kivra99.html")) << file.toStdString();
    form.HelpButton->click();
    form.HelpContentsItem->trigger();  // the same window again
    ASSERT_EQ(form.findChildren<QTextBrowser*>().size(), 1);
    EXPECT_TRUE(form.HelpWindow->isVisible());
    EXPECT_EQ(form.HelpWindow->source().toLocalFile(), file);
    EXPECT_EQ(form.HelpWindow->windowTitle(), "KivraXP help");
    form.HelpAboutItem->trigger();
    ASSERT_NE(SplashForm, nullptr);
    EXPECT_TRUE(SplashForm->isVisible());
    EXPECT_EQ(form.StatusPanel0->text(), "Click on box to remove");
}

// The shipped examples open as a new user opens them and fit to the values
// they were made with (kfwd 2e5, krev 2e-3, B 120 RU) from start values off
// by a factor of two.
TEST(MainFormCommands, ExamplesLoadAndFit) {
    test::ScriptedMessages msgs;
    const QDir examples(QFileInfo(TMainForm::HelpFileName()).dir().filePath("../examples"));
    TestForm form;
    form.Names = {examples.filePath("binding-1to1.mdl").toStdString()};
    msgs.Answer(MsgResult::Yes);  // load the data set too
    form.OpenButton->click();
    ASSERT_EQ(form.StatusPanel0->text(), "Done");
    ASSERT_EQ(form.PageCount(), 1);
    EXPECT_EQ(form.SensPage(0)->NumCurves, 6);
    form.RunFitButton->click();
    EXPECT_EQ(form.StatusPanel0->text(), "Done");
    EXPECT_EQ(form.Model.NumFitParams, 3);
    EXPECT_NEAR(form.Model.Kfwd[0], 2e5, 0.02 * 2e5);
    EXPECT_NEAR(form.Model.Krev[0], 2e-3, 0.02 * 2e-3);
    EXPECT_NEAR(form.Model.InitConc[0][1], 120, 0.02 * 120);

    form.Names = {examples.filePath("binding-1to1.txt").toStdString()};
    form.PageHolder->setCurrentWidget(form.SensPage(0));
    form.FileOpen();
    EXPECT_EQ(form.StatusPanel0->text(), "Done");
    EXPECT_EQ(form.SensPage(0)->PointCount[5], 450);
}
