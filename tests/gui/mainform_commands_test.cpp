#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <fstream>
#include <gtest/gtest.h>

#include "app/kmcalcform.h"
#include "app/mainform.h"
#include "engine/model/model_sync.h"
#include "widgets/plot.h"
#include "widgets/reactpanel.h"
#include "widgets/senstab_widget.h"
#include "widgets/specpanel.h"
#include "tests/gui/panel_driving.h"
#include "tests/support/fit_fixture.h"
#include "tests/support/scripted_file_choices.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

namespace {

// The window with its dialogs answered from lists: a file name (empty or
// none left cancels; each question's dialog title is kept) and a new set.
class TestForm : public TMainForm {
public:
    std::vector<std::string> Names, Titles;
    std::vector<FileDialog> Kinds;
    std::vector<TNewSetAnswer> NewSets;
    // The dialogs let pending messages run, as their modal loops do.
    bool DialogLoops = false;
    bool Loop() {
        if (DialogLoops) QCoreApplication::processEvents();
        return true;
    }
    bool AskNewSet(TNewSetAnswer& answer) override { return Loop() && Next(NewSets, answer); }
    bool AskSmooth(int& window, int& order) override {
        window = 5;
        order = 2;
        return Loop();
    }
    bool AskFileName(FileDialog which, std::string& fileName) override {
        Titles.push_back((which == FileDialog::DataSave ? DataSaveDlg : DataOpenDlg)->windowTitle().toStdString());
        Kinds.push_back(which);
        return Next(Names, fileName) && !fileName.empty();
    }
    template <class T>
    static bool Next(std::vector<T>& answers, T& answer) {
        if (answers.empty()) return false;
        answer = answers.front();
        return answers.erase(answers.begin()), true;
    }
    // A new page holding two curves, data and simulation shown.
    TSensTab* PageWithData() {
        DataAddPage();
        EXPECT_TRUE(ActiveSensPage()->LoadSens(File));
        ActiveSensPage()->SimulationChanged();
        return ActiveSensPage();
    }
    // The title of the modal dialog that act opens, which is then cancelled.
    static std::string DialogOf(const std::function<void()>& act) {
        std::string title;
        QTimer::singleShot(0, [&title] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                title = dialog->windowTitle().toStdString();
                dialog->reject();
            }
        });
        act();
        return title;
    }
    std::string Tab() const { return PageHolder->tabText(PageHolder->currentIndex()).toStdString(); }
    // The popup opened on p as by a right click: Maximize, Edit Curve and
    // Next Curve enabled (y/n), Maximize and Residuals ticked (x/-).
    std::string Popup(TPlot* p) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5));
        QCoreApplication::sendEvent(p, &click);
        PlotPopup->hide();
        std::string s;
        for (QAction* a : {MaximizeItem, EditCurveItem, NextCurveItem}) s += a->isEnabled() ? 'y' : 'n';
        for (QAction* a : {MaximizeItem, ResidualsItem}) s += a->isChecked() ? 'x' : '-';
        return s;
    }
    // Message passes let through, as a run does after each step.
    int Passes = 0;
    void ProcessMessages() override {
        TMainForm::ProcessMessages();
        ++Passes;
    }
    QTemporaryDir Dir;
    std::string File = Write("run.txt",
                             "Vers 3.41 Data\nConc1\t1e-08\t2e-08\nStart1\t1\t1\nStop1\t2\t2\nRInd1\t0\t0\nFlow\t1\t1\n"
                             "Time1\tData1\tTime2\tData2\n0\t0\t0\t0\n1\t1\t1\t2\n2\t2\t2\t4\n3\t1\t3\t2\n");
    std::string Write(const char* name, const char* text) {
        const std::string path = Dir.filePath(QString::fromUtf8(name)).toStdString();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
};

} // namespace

// Deleting shows the page two places before, at least the first, or the
// model page; pages without data behind take the freed numbers.
TEST(MainFormCommands, PagesAreAddedNumberedDeletedAndActivated) {
    test::ScriptedMessages msgs;
    struct Case {
        int pages, deleted;
        const char* shown;
    };
    for (const Case c : {Case{1, 0, "Model"}, Case{3, 1, "Set 1"}, Case{3, 2, "Set 1"}, Case{6, 5, "Set 4"}}) {
        TestForm form;
        for (int i = 0; i < c.pages; ++i) form.NewSensButton->click();
        if (c.pages == MaxSets) {
            form.DataAddPageItem->trigger();
            EXPECT_EQ(msgs.Last().Text + "|" + msgs.Last().Caption, "Maximum number of sets|Sorry");
        }
        form.PageHolder->setCurrentWidget(form.SensPage(c.deleted));
        msgs.Answer(MsgResult::Yes);
        form.DataDeletePageItem->trigger();
        EXPECT_EQ(msgs.Last().Text + "|" + msgs.Last().Caption, "Delete this data page?|Confirm Delete");
        EXPECT_EQ(form.Tab(), c.shown) << c.pages << " pages, deleted " << c.deleted;
    }
    TestForm form;
    form.DataAddPage();
    form.PageWithData();
    form.DataAddPage();
    form.PageHolder->setCurrentWidget(form.ModelPage);
    form.DataDeletePage();  // no data page shown: nothing asked
    msgs.Answer(MsgResult::Yes);
    form.PageHolder->setCurrentWidget(form.SensPage(0));
    form.DataDeletePage();
    EXPECT_EQ(form.SensPage(0)->Caption(), "run.txt");
    EXPECT_EQ(form.SensPage(1)->PagePlot->GetTitle(), "Set 2");
    EXPECT_TRUE(msgs.AllAnswered());
}

// Open and Save act by the page shown and end with "Done" only when the file
// was read or written.
TEST(MainFormCommands, OpenAndSaveSayDoneOnlyAfterSuccess) {
    test::ScriptedMessages msgs;
    test::ScriptedFileChoices choices;
    TestForm form;
    const std::string bad = form.Write("bad.txt", "Vers 9.9\n"), out = form.Dir.filePath("out.txt").toStdString();
    const std::string missing = form.Dir.filePath("no/out.txt").toStdString();
    form.DataAddPage();
    form.PageHolder->setTabVisible(form.PageHolder->indexOf(form.ResultPage), true);
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
        {data, &TMainForm::FileOpen, {missing}, 1, false},
        {data, &TMainForm::FileOpen, {bad}, 1, false},  // refused version
        {data, &TMainForm::FileOpen, {form.File}, 0, true},
        {data, &TMainForm::FileSave, {out, out}, 0, true},  // data, simulation
        {data, &TMainForm::FileSave, {}, 0, false},         // parts cancelled
        {data, &TMainForm::FileSave, {"", out}, 0, true},   // one file cancelled skips only its part
        {data, &TMainForm::FileSave, {missing}, 1, false},
        {form.ResultPage, &TMainForm::FileSave, {missing}, 1, false},
        {form.ResultPage, &TMainForm::FileSave, {out}, 0, true},
    };
    choices.AnswerSave(true, {true, true, false, false});
    choices.AnswerSave(false, {});
    choices.AnswerSave(true, {true, false, true, false});
    choices.AnswerSave(true, {true, true, false, true});
    for (const Case& c : cases) {
        msgs.Clear();
        form.Names = c.names;
        form.Titles.clear();
        form.PageHolder->setCurrentWidget(c.page);
        (form.*c.command)();
        EXPECT_EQ(msgs.Count(), c.messages) << "row " << &c - cases;
        EXPECT_EQ(form.StatusPanel0->text() == "Done", c.done) << "row " << &c - cases;
        EXPECT_EQ(form.RunState, 7);
        if (&c - cases == 4) {
            EXPECT_EQ(form.Titles, (std::vector<std::string>{"Save Data As", "Save Simulation As"}));
        }
    }
    EXPECT_EQ(form.Model.NumCurves[0], 2);  // the model followed the load
}

// While a fit or a Monte Carlo run uses the data, no command asks, loads,
// saves, adds, deletes or clears anything, even one that comes before the
// idle pass disabled it.
TEST(MainFormCommands, NoCommandTouchesTheDataWhileARunUsesThem) {
    test::ScriptedMessages msgs;  // any question fails the test
    test::ScriptedFileChoices choices;
    for (bool monte : {false, true}) {
        TestForm form;
        TSensTab* page = form.PageWithData();
        const double* data = page->Data[0];
        form.Names = {form.File, form.File};
        form.NewSets = {{"3", "100", "10"}};
        (monte ? form.MonteRunning : form.FitRunning) = true;
        for (QWidget* shown : {static_cast<QWidget*>(page), static_cast<QWidget*>(form.ModelPage)}) {
            form.PageHolder->setCurrentWidget(shown);
            for (auto command : {&TMainForm::FileNew, &TMainForm::FileOpen, &TMainForm::FileSave,
                                 &TMainForm::DataAddPage, &TMainForm::DataDeletePage, &TMainForm::EditCurveClick})
                (form.*command)();
        }
        form.PageHolder->setCurrentWidget(page);
        EXPECT_FALSE(form.LoadData() || form.SaveData());
        EXPECT_EQ(form.Popup(page->PagePlot)[1], 'n');  // Edit Curve
        EXPECT_EQ(form.PageCount(), 1);
        EXPECT_EQ(page->Data[0], data);
        EXPECT_TRUE(form.Titles.empty() && form.NewSets.size() == 1 && msgs.Count() == 0);
        form.FitRunning = form.MonteRunning = false;
    }
}

// Exit (closing the window) and Open on the model page ask first whether to
// save what changed since the model was last loaded or saved: Yes saves to
// the model's file, or through the Save dialog when it has none, and the
// command goes on only once saved; No goes on; Cancel stays. Unsaved Monte
// Carlo results get the question a new run asks.
TEST(MainFormCommands, UnsavedWorkIsAskedAboutBeforeExitAndOpen) {
    test::ScriptedMessages msgs;
    enum Change { Nothing, Synchronised, Typed, DataLoaded, SavedThenTyped, MonteRun };
    const MsgResult yes = MsgResult::Yes, no = MsgResult::No, cancel = MsgResult::Cancel;
    struct Case {
        Change change;
        bool exit;                       // else Open on the model page
        std::vector<MsgResult> answers;  // to the questions, whose captions are asked
        std::vector<std::string> names;  // to the file dialogs; "" cancels
        const char *asked, *written;     // the file the work went to, "" none
        bool wentOn;
        bool closedAgain = false;  // by the desktop while the question is open
    };
    const Case cases[] = {
        {Nothing, true, {}, {}, "", "", true},
        {Synchronised, true, {}, {}, "", "", true},
        {Typed, true, {cancel}, {}, "Exit", "", false},
        {Typed, true, {cancel}, {}, "Exit", "", false, true},
        {Typed, true, {no}, {}, "Exit", "", true},
        {Typed, true, {yes}, {""}, "Exit", "", false},
        {DataLoaded, true, {yes}, {"new.mdl"}, "Exit", "new.mdl", true},
        {SavedThenTyped, true, {yes}, {}, "Exit", "model.mdl", true},
        {Synchronised, false, {}, {""}, "", "", true},
        {Typed, false, {cancel}, {}, "Open Model", "", false},
        {DataLoaded, false, {yes}, {"new.mdl", ""}, "Open Model", "new.mdl", true},
        {MonteRun, true, {cancel}, {}, "Run Monte Carlo", "", false},
        {MonteRun, true, {yes}, {"mc.mnt"}, "Run Monte Carlo", "mc.mnt", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        TestForm form, writer;
        const std::string model = form.Dir.filePath("model.mdl").toStdString();
        if (c.change == DataLoaded) form.PageWithData();
        if (c.change == Synchronised) writer.PageWithData();
        EXPECT_TRUE((c.change == SavedThenTyped ? form : writer).SaveModelFile(model));
        if (c.change == Synchronised) {
            msgs.Answer(yes);  // its data set
            EXPECT_TRUE(form.LoadModelFile(model));
            test::ClickTab(form.PageHolder, 1);
            test::ClickTab(form.PageHolder, form.PageHolder->indexOf(form.SensPage(0)));
        }
        if (c.change == Typed || c.change == SavedThenTyped) test::TypeOver(form.SpecPanel->NameBox[0], "Typed");
        form.MonteUnsaved = c.change == MonteRun;
        form.PageHolder->setCurrentWidget(form.ModelPage);
        msgs.Clear();
        for (MsgResult a : c.answers) msgs.Answer(a);
        if (c.closedAgain) {
            form.show();
            msgs.WhileShown = [&form] {  // as the desktop's request reaches the window
                QCloseEvent request;
                QCoreApplication::sendEvent(form.windowHandle(), &request);
            };
        }
        for (const std::string& name : c.names)
            form.Names.push_back(name.empty() ? name : form.Dir.filePath(name.c_str()).toStdString());
        const auto open = TMainFormCore::FileDialog::ModelOpen;
        const bool wentOn = c.exit ? form.close() : (form.FileOpen(), std::ranges::count(form.Kinds, open) == 1);
        msgs.WhileShown = nullptr;
        std::string asked;
        for (const test::RecordedMessage& m : msgs.All()) {
            asked += (asked.empty() ? "" : ",") + m.Caption;
            EXPECT_EQ(m.Text, m.Caption == "Run Monte Carlo" ? "Save current monte carlo results?" : "Save current model?");
            EXPECT_EQ(m.Buttons, MsgButtons::YesNoCancel);
        }
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(wentOn, c.wentOn);
        EXPECT_EQ(form.isVisible(), c.closedAgain);
        EXPECT_TRUE(msgs.AllAnswered() && form.Names.empty());
        QFile written(form.Dir.filePath(c.written));
        const char* work = c.change == DataLoaded ? "run.txt" : c.change == MonteRun ? "Succeeded" : "Typed";
        EXPECT_EQ(written.open(QIODevice::ReadOnly) && written.readAll().contains(work), *c.written != 0);
    }
}

// Input queued before a command's dialog, message or message pass opened (a
// double click on a tool button) is delivered inside it. Each row queues a
// command with a zero-time timer, then a Cancel for a dialog, and runs a
// command on a form with a page of data (shown) and an empty page: no page
// changes under the command (ASan sees the rest).
TEST(MainFormCommands, NoCommandRunsInsideAnother) {
    test::ScriptedMessages msgs;
    msgs.AlwaysAnswer = MsgResult::Yes;
    msgs.WhileShown = [] { QCoreApplication::processEvents(); };
    using Act = std::function<void(TestForm&)>;
    const Act none = [](TestForm&) {}, remove = [](TestForm& f) { f.DataDeletePage(); };
    struct Case {
        const char* name;
        Act before, queued, command;
    };
    const Case cases[] = {
        {"Monte Carlo checks the empty page", none, remove, [](TestForm& f) { f.RunMonteButtonClick(); }},
        {"New Set Properties", [](TestForm& f) { f.NewSets = {{"3", "100", "10"}}; }, remove,
         [](TestForm& f) { f.FileNew(); }},
        {"injection dialog", none, remove, [](TestForm& f) { f.SensPage(0)->InjButtonClick(0); }},
        {"Open Data in Edit Data Set", [](TestForm& f) { f.Names = {f.File}; }, [](TestForm& f) { f.FileOpen(); },
         [](TestForm& f) { f.SensPage(0)->InjButtonClick(-1); }},
        {"Smooth", none, remove, [](TestForm& f) { f.RunSmoothItemClick(); }},
        {"Delete Data Page", none, remove, remove},
        {"Open Model with its data sets",
         [](TestForm& f) { f.Names = {f.ModelFileName}; f.PageHolder->setCurrentWidget(f.ModelPage); },
         [](TestForm& f) { f.DataAddPage(); }, [](TestForm& f) { f.FileOpen(); }},
        {"km calculator opened beside a run",
         [](TestForm& f) { f.FitRunning = true; f.kmCalculatorClick(); f.FitRunning = false; }, remove,
         [](TestForm& f) { f.kmCalculatorClick(); }},
    };
    TKmCalcForm km;
    KmCalcForm = &km;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestForm form;
        form.DialogLoops = true;
        form.PageWithData();
        form.DataAddPage();
        form.PageHolder->setCurrentWidget(form.SensPage(0));
        ASSERT_TRUE(form.SaveModelFile(form.Dir.filePath("model.mdl").toStdString()));
        c.before(form);
        auto pages = [&form] {  // the pages and the first one's data
            const std::vector<TSensTabCore*> p = form.PagePointers();
            return std::pair(p, p.empty() ? nullptr : p[0]->Data.rows());
        };
        bool inside = true, nested = false;
        QTimer::singleShot(0, &form, [&] {
            const auto before = pages();
            c.queued(form);
            nested = inside && pages() != before;
        });
        QTimer::singleShot(0, &form, [] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QDialog*>(modal ? modal : KmCalcForm)) dialog->reject();
        });
        c.command(form);
        inside = false;
        QCoreApplication::processEvents();
        EXPECT_FALSE(nested);
        km.hide();
    }
    KmCalcForm = nullptr;
}

// New on a data page makes a set only of values it can be made of, without a
// word otherwise; on the model page it discards the model when asked.
TEST(MainFormCommands, NewByPage) {
    test::ScriptedMessages msgs;
    TestForm form;
    TSensTab* page = form.PageWithData();
    form.NewSets = {{"2", "10", "0"}, {"2", "10", "10"}, {"x", "100", "10"}};
    for (int i = 0; i < 4; ++i) form.FileNewItem->trigger();  // the last one cancelled
    EXPECT_EQ(page->NumPoints, 4);
    form.NewSets = {{"3", "100", "10"}};
    msgs.Answer(MsgResult::No);  // the old set's injections are not kept
    // A new set opens the injection dialog of slot 1.
    EXPECT_EQ(form.DialogOf([&] { form.NewButton->click(); }), "Injection 1 Properties");
    EXPECT_EQ(page->NumPoints, 10);
    EXPECT_EQ(form.Model.NumCurves[0], 3);

    form.PageHolder->setCurrentWidget(form.ModelPage);
    page->SimulationChanged();
    test::TypeOver(form.SpecPanel->NameBox[0], "A");
    test::Choose(form.ReactPanel->ABox[0], 0);
    test::TypeOver(form.ReactPanel->koffBox[0], "=f9");  // a model that does not read is still discarded
    for (MsgResult answer : {MsgResult::No, MsgResult::Yes}) {
        msgs.Answer(answer);
        form.NewButton->click();
        EXPECT_EQ(msgs.Last().Text + "|" + msgs.Last().Caption, "Do you want to discard current model?|Are you sure?");
        EXPECT_EQ(form.SpecPanel->NameBox[0]->text().isEmpty(), answer == MsgResult::Yes);
    }
    EXPECT_EQ(msgs.Count(), 3u);
    EXPECT_FALSE(page->PagePlot->GetShowSim());
}

TEST(MainFormCommands, ResidualsAndThePlotPopup) {
    test::ScriptedMessages msgs;
    TestForm form;
    TSensTab* first = form.PageWithData();
    TSensTab* second = form.PageWithData();
    // On a data page only its own plot; on the plot page all follow the first.
    form.ResidualButton->click();
    EXPECT_TRUE(second->PagePlot->GetRes() && !first->PagePlot->GetRes());
    form.PageHolder->setCurrentWidget(form.PlotPage);
    form.Plots[1]->SetRes(true);
    form.DataResidualsItem->trigger();
    EXPECT_TRUE(form.Plots[0]->GetRes() && form.Plots[1]->GetRes());

    EXPECT_EQ(form.Popup(form.Plots[1]), "ynn-x");
    form.MaximizeItem->trigger();
    EXPECT_EQ(form.Popup(form.Plots[1]), "ynnxx");
    form.MaximizeClick();
    form.PageHolder->setCurrentWidget(first);
    TPlot* p = first->PagePlot;
    EXPECT_EQ(form.Popup(p), "nyn--");
    EXPECT_EQ(TMainForm::EditCurveTarget(*p), -1);  // no curve, no selection: all curves
    form.SingleCurveItem->trigger();
    form.NextCurveClick();
    EXPECT_EQ(TMainForm::EditCurveTarget(*p), -3);
    form.ShowResidualsClick();
    EXPECT_EQ(form.Popup(p), "nyy-x");
    EXPECT_EQ(form.DialogOf([&] { form.EditCurveItem->trigger(); }), "Edit Data Set");

    // A plot whose page has gone is not answered; one plot left is not maximised.
    form.PageHolder->setCurrentWidget(second);
    form.Popup(second->PagePlot);
    msgs.Answer(MsgResult::Yes);
    form.DataDeletePage();
    EXPECT_EQ(form.PopupPlot(), nullptr);
    form.EditCurveClick();
    form.PageHolder->setCurrentWidget(form.PlotPage);
    EXPECT_EQ(form.Popup(form.Plots[0])[0], 'n');
}

// The help is the shipped file; the examples open as a new user opens them
// and fit from start values a little off to the values they were made with,
// each within three of its standard errors: the 1:1 series (B, kfwd, krev) and
// the series behind a transport step (B, km, kfwd, krev, then the bulk step
// of every curve), less than 0.01 of a standard error short of the minimum.
// Fitted again from there, a fit stands after its first step, quietly, and
// moves no value by more than that. The data file opens on its own too.
TEST(MainFormCommands, HelpAndExamples) {
    test::ScriptedMessages msgs;
    TestForm form;
    const QString help = TMainForm::HelpFileName();
    ASSERT_TRUE(help.endsWith("help/Kivra99.html")) << help.toStdString();
    form.HelpButton->click();
    form.HelpContentsItem->trigger();
    ASSERT_EQ(form.findChildren<QTextBrowser*>().size(), 1);
    EXPECT_EQ(form.HelpWindow->source().toLocalFile(), help);
    EXPECT_EQ(form.HelpWindow->windowTitle(), "KivraXP help");

    const QDir examples(QFileInfo(help).dir().filePath("../examples"));
    struct Case {
        const char* name;
        int points;
        std::vector<double> made;  // in parameter order
    };
    for (const Case& c : {Case{"binding-1to1", 450, {120, 2e5, 2e-3}},
                          Case{"binding-transport", 300, {500, 3e8, 2e6, 2e-3, 0.8, 1.1, 0.9, 1.3, 1.0, 1.2}}}) {
        SCOPED_TRACE(c.name);
        const std::string base = examples.filePath(QString::fromLatin1(c.name)).toStdString();
        form.Names = {base + ".mdl", base + ".txt"};
        if (form.PageCount() > 0) msgs.Answer(MsgResult::No);  // the last example's fit is not saved
        msgs.Answer(MsgResult::Yes);  // its data set too
        form.PageHolder->setCurrentWidget(form.ModelPage);
        form.OpenButton->click();
        ASSERT_EQ(form.PageCount(), 1);
        form.RunFitButton->click();
        EXPECT_EQ(form.StatusPanel0->text(), "Done");
        const int n = static_cast<int>(c.made.size());
        ASSERT_EQ(form.Model.NumFitParams, n);
        ASSERT_EQ(form.Results.Rows, n + 1);
        std::vector<double> fitted(c.made.size() + 1), again(fitted);
        std::vector<int> codes(c.made.size() + 1);
        form.GetFitParams(form.Model, fitted.data(), codes.data());
        for (int k = 1; k <= n; ++k) {
            const double error = LeadingNumber(form.Results.Cell(k, 4));
            EXPECT_GT(error, 0) << "parameter " << k;
            EXPECT_NEAR(fitted[k], c.made[k - 1], 3 * error) << "parameter " << k;
        }
        EXPECT_LT(test::GaussNewtonStepInErrors(form.PagePointers(), form.Model), 0.01);
        const std::size_t shown = msgs.Count();
        form.Passes = 0;
        form.RunFitButton->click();
        EXPECT_EQ(msgs.Count(), shown);
        EXPECT_EQ(form.StatusPanel0->text(), "Done");
        EXPECT_EQ(form.Passes, 3);  // the set-up, the first step and one more
        form.GetFitParams(form.Model, again.data(), codes.data());
        for (int k = 1; k <= n; ++k)
            EXPECT_LE(std::fabs(again[k] - fitted[k]), 0.01 * LeadingNumber(form.Results.Cell(k, 4))) << k;
        form.PageHolder->setCurrentWidget(form.SensPage(0));
        form.FileOpen();
        EXPECT_EQ(form.StatusPanel0->text(), "Done");
        EXPECT_EQ(form.SensPage(0)->NumCurves, 6);
        EXPECT_EQ(form.SensPage(0)->PointCount[5], c.points);
    }
}

// Every entry of the help's contents list leads to a place the help window
// can scroll to, and every section and named subsection has its entry; so
// does every link in the text.
TEST(MainFormCommands, HelpContentsLinksReachTheirSections) {
    QFile file(TMainForm::HelpFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    const qsizetype from = html.indexOf(QStringLiteral("<h2 id=\"contents\">"));
    const qsizetype to = html.indexOf(QStringLiteral("<h2"), from + 1);
    ASSERT_TRUE(from >= 0 && to > from);
    QStringList targets, sections, links;
    static const QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\"")), section(QStringLiteral("<h[23] id=\"([^\"]+)\""));
    for (auto it = link.globalMatch(html.mid(from, to - from)); it.hasNext();) targets << it.next().captured(1);
    for (auto it = section.globalMatch(html, to); it.hasNext();) sections << it.next().captured(1);
    for (auto it = link.globalMatch(html, to); it.hasNext();) links << it.next().captured(1);
    ASSERT_FALSE(targets.isEmpty());
    for (const QString& s : sections) EXPECT_TRUE(targets.contains(s)) << s.toStdString() << " is not in the contents";

    QTextBrowser browser;
    browser.setSource(QUrl::fromLocalFile(TMainForm::HelpFileName()));
    QStringList anchors;
    for (QTextBlock b = browser.document()->begin(); b.isValid(); b = b.next())
        for (auto f = b.begin(); !f.atEnd(); ++f) anchors << f.fragment().charFormat().anchorNames();
    for (const QString& target : targets + links) EXPECT_TRUE(anchors.contains(target)) << target.toStdString();
}
