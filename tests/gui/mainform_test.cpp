#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

#include "app/choosesavedlg.h"
#include "app/kmcalcform.h"
#include "app/mainform.h"
#include "app/multidlg.h"
#include "app/newsensdlg.h"
#include "app/noisedlg.h"
#include "app/printreportdlg.h"
#include "app/smoothdlg.h"
#include "app/splash.h"
#include "app/startup.h"
#include "engine/dataset/inj_edit.h"
#include "engine/numeric/vectors.h"
#include "engine/session/results.h"
#include "platform/qt/qt_messages.h"
#include "widgets/injdlg.h"
#include "widgets/plot.h"
#include "widgets/reactpanel.h"
#include "widgets/senstab_widget.h"
#include "widgets/specpanel.h"
#include "tests/gui/panel_driving.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

namespace {

// The window with its file dialogs answered by the test.
class TestForm : public TMainForm {
public:
    std::string SaveName;
    bool AskFileName(FileDialog which, std::string& fileName) override {
        Asked.push_back(which);
        Offered.push_back(fileName);
        fileName = SaveName;
        return !SaveName.empty();
    }
    std::time_t CurrentTime() const override { return 0; }
    std::vector<FileDialog> Asked;
    std::vector<std::string> Offered;  // the names the dialogs opened with
};

std::vector<std::string> Captions(const QMenu* menu) {
    std::vector<std::string> out;
    for (const QAction* a : menu->actions()) out.push_back(a->isSeparator() ? "-" : a->text().toStdString());
    return out;
}

std::vector<std::string> VisibleTabs(const QTabWidget* tabs) {
    std::vector<std::string> out;
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->isTabVisible(i)) out.push_back(tabs->tabText(i).toStdString());
    return out;
}

bool WaitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 3000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace

TEST(MainForm, StartUpShowsThePictureThenTheWindow) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    StartProgram(*app);
    ASSERT_NE(SplashForm, nullptr);
    ASSERT_NE(MainForm, nullptr);
    EXPECT_TRUE(SplashForm->isVisible());
    EXPECT_EQ(QApplication::applicationName(), "KivraXP");
    EXPECT_EQ(MainForm->windowTitle(), "KivraXP");
    EXPECT_EQ(VisibleTabs(MainForm->PageHolder), (std::vector<std::string>{"Model", "Plot"}));
    EXPECT_EQ(MainForm->PageHolder->tabText(2), "Results");
    EXPECT_EQ(MainForm->PageHolder->tabText(3), "Monte Carlo");
    EXPECT_EQ(MainForm->StatusPanel1->text(), "Ssq:");
    // The idle pass after the timer hides the picture; a click does so at once.
    MainForm->ApplicationIdle();
    EXPECT_TRUE(SplashForm->isVisible());
    MainForm->SplashTimerTimer();
    MainForm->ApplicationIdle();
    EXPECT_FALSE(SplashForm->isVisible());
    SplashForm->show();
    SplashForm->FormMouseDown();
    EXPECT_FALSE(SplashForm->isVisible());
    // The calculator lives as long as the program; during a run it opens
    // beside the run instead of holding it in a modal loop.
    ASSERT_NE(KmCalcForm, nullptr);
    MainForm->FitRunning = true;
    MainForm->RunKmCalcItem->trigger();
    EXPECT_TRUE(KmCalcForm->isVisible());
    KmCalcForm->hide();
    MainForm->FitRunning = false;
    EndProgram();
    EXPECT_EQ(MainForm, nullptr);
    EXPECT_EQ(SplashForm, nullptr);
}

namespace {

// The caption the desktop shows: Qt appends the application's display name to
// a window's title when one was set (an unset one follows the application name).
QString ShownCaption(const QString& title) {
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(name + QLatin1Char('+'));
    const bool displayNameSet = QGuiApplication::applicationDisplayName() != QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(name);
    const QString display = QGuiApplication::applicationDisplayName();
    if (!displayNameSet || title.endsWith(display)) return title;
    return title + QString::fromUtf8(" \u2014 ") + display;
}

} // namespace

TEST(MainForm, CaptionsAreTheProgramsOwnWithNothingAppended) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    StartProgram(*app);
    TSensTabCore page;
    page.NewSens(2, 5);
    page.NumCurves = 2;
    page.NumPoints = 5;
    for (int i = 0; i < 2; ++i) page.PointCount[i] = 5;
    TInjHandOff handOff;
    ASSERT_TRUE(handOff.Take(page, 0));
    TInjDlg injection(nullptr, page, handOff, 0), editData(nullptr, page, handOff, -1);
    TNewSensDlg newSet(nullptr);
    TAddNoiseDlg noise(nullptr);
    TChooseSaveDlg chooseSave(nullptr);
    TMultiDlg multi(nullptr);
    QString messageCaption;
    QTimer::singleShot(0, [&messageCaption] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(qobject_cast<QMessageBox*>(box), nullptr);
        messageCaption = box->windowTitle();
        box->close();
    });
    QtMessageSink(MainForm).Show("Float at least one parameter", "Run Fit Error", MsgButtons::Ok, MsgIcon::None);

    const std::pair<QString, const char*> cases[] = {
        {MainForm->windowTitle(), "KivraXP"},
        {PrintReportDlg->windowTitle(), "Print Report"},
        {KmCalcForm->windowTitle(), "Calculator"},
        {SmoothDlg->windowTitle(), "Smooth Data"},
        {injection.windowTitle(), "Injection 1 Properties"},
        {editData.windowTitle(), "Edit Data Set"},
        {newSet.windowTitle(), "New Set Properties"},
        {noise.windowTitle(), "Dialog"},
        {chooseSave.windowTitle(), "Save Data"},
        {multi.windowTitle(), "Load Multipart Data"},
        {messageCaption, "Run Fit Error"},
    };
    for (const auto& [title, caption] : cases) EXPECT_EQ(ShownCaption(title).toStdString(), caption);
    EndProgram();
}

TEST(MainForm, MenusButtonsAndHints) {
    TestForm form;
    EXPECT_EQ(Captions(form.FileMenu), (std::vector<std::string>{"&New", "&Open...", "&Save...", "-", "&Print...",
                                                                 "P&rint Setup...", "-", "E&xit"}));
    EXPECT_EQ(Captions(form.DataMenu),
              (std::vector<std::string>{"&Add Data Page", "&Delete Data Page", "-", "&Residuals"}));
    EXPECT_EQ(Captions(form.RunMenu), (std::vector<std::string>{"&Simulation", "&Fit", "&Monte Carlo",
                                                                "Add &Noise...", "km Calculator...", "Smooth..."}));
    EXPECT_EQ(Captions(form.HelpMenu), (std::vector<std::string>{"&Contents", "&About..."}));
    EXPECT_EQ(Captions(form.PlotPopup), (std::vector<std::string>{"Zoom In", "Zoom Out", "-", "Maximize",
                                                                  "Single Curve", "Next Curve", "Residuals",
                                                                  "Edit Curve"}));
    EXPECT_EQ(form.FilePrintSetupItem->statusTip(), "Change printer setup");
    EXPECT_EQ(form.RunFitButton->toolTip(), "Fit");
    EXPECT_EQ(form.RunFitButton->statusTip(), "Fits simulated data to input data");
    EXPECT_EQ(form.ResidualButton->statusTip(), "Plots difference between measured and simulated data");
    // Resting on a button shows its long hint in status panel 0.
    QStatusTipEvent tip(form.NewButton->statusTip());
    QApplication::sendEvent(form.NewButton, &tip);
    EXPECT_EQ(form.StatusPanel0->text(), "Clears current model");

    // At the window's first width the status panels lie side by side: 1 to 3
    // keep their widths, and panel 0, whatever its hint, takes what is left.
    form.show();
    QStatusTipEvent longTip(form.RunModelButton->statusTip());
    QApplication::sendEvent(form.RunModelButton, &longTip);
    QApplication::processEvents();
    ASSERT_EQ(form.width(), MinFrameWidth);
    const QWidget* panels[] = {form.StatusPanel0, form.StatusPanel1, form.StatusGauge, form.StatusPanel3};
    for (int i = 1; i < 4; ++i) EXPECT_LT(panels[i - 1]->geometry().right(), panels[i]->x()) << "panel " << i;
    EXPECT_LE(form.StatusPanel3->geometry().right(), form.StatusLine->width());
    EXPECT_EQ(form.StatusPanel1->width(), 120);
    EXPECT_EQ(form.StatusGauge->width(), 100);
    EXPECT_EQ(form.StatusPanel3->width(), 50);
    EXPECT_GE(form.StatusPanel0->width(), 200);
}

// The enabling table, with a run going as its last column.
// Without a printer of the system the report is a PDF file: Print asks where it
// goes, offering the last file, and tells where it went; Print Setup only chooses.
TEST(MainForm, ReportToAPdfFileGoesWhereTheUserSaysAndSetupWritesNothing) {
    test::ScriptedMessages msgs;
    QTemporaryDir home, dir;
    struct HomeFor {  // a home without a documents folder
        QByteArray real = qgetenv("HOME");
        explicit HomeFor(const QString& path) { qputenv("HOME", path.toLocal8Bit()); }
        ~HomeFor() { qputenv("HOME", real); }
    } homeFor(home.path());
    TestForm form;
    if (form.ReportPrinter().ToRealPrinter()) GTEST_SKIP() << "a printer of the system takes the report";
    TPrintReportDlg options;
    PrintReportDlg = &options;
    options.ModelCheck->setChecked(false);
    const std::string first = (dir.path() + "/first.pdf").toStdString();
    const std::string missing = (dir.path() + "/no/such/folder/report.pdf").toStdString();
    const std::string written = "Report written to first.pdf";
    struct Case {
        std::string answer, offered;  // "" cancels
        bool firstWritten;
        std::string message;
    } cases[] = {
        {first, (home.path() + "/KivraXP report.pdf").toStdString(), true, ""},
        {"", first, false, ""},
        {missing, first, false, "Unable to open file"},
        {(home.path() + "/" + QString(150, QChar('x')) + ".pdf").toStdString(), missing, false, ""},
    };
    form.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        QFile::remove(QString::fromStdString(first));
        const std::size_t messages = msgs.Count();
        form.SaveName = c.answer;
        QTimer::singleShot(0, &options, [&options] { options.OKBtn->click(); });
        form.FilePrint();
        ASSERT_FALSE(form.Offered.empty());
        EXPECT_EQ(form.Asked.back(), TMainFormCore::FileDialog::ReportSave);
        EXPECT_EQ(form.Offered.back(), c.offered);
        QFile pdf(QString::fromStdString(first));
        EXPECT_EQ(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-", c.firstWritten);
        EXPECT_EQ(form.StatusPanel0->text().toStdString() == written, c.firstWritten);
        EXPECT_EQ(form.StatusPanel0->toolTip().toStdString() == first, c.firstWritten);  // the whole path
        EXPECT_LE(form.StatusPanel0->sizeHint().width(), form.StatusPanel0->width());  // a long name's two ends
        EXPECT_EQ(form.StatusPanel0->text().endsWith(QStringLiteral("x.pdf")), c.answer.ends_with("x.pdf"));
        form.SetStatusText("");
        if (c.message.empty()) {
            EXPECT_EQ(msgs.Count(), messages);
        } else {
            ASSERT_EQ(msgs.Count(), messages + 1);
            EXPECT_EQ(msgs.Last().Text, c.message);
            EXPECT_EQ(msgs.Last().Caption, "File Error");
            EXPECT_EQ(msgs.Last().Icon, MsgIcon::Exclamation);
        }
    }

    // A report file there, Print Setup is confirmed: no question, nothing
    // written, and the paper it chose kept for the reports after.
    {
        QFile old(QString::fromStdString(first));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    QString okText;
    bool closed = false;
    QTimer::singleShot(0, [&okText, &closed] {
        auto* setup = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(setup, nullptr);
        EXPECT_EQ(setup->windowTitle(), "Print Setup");
        setup->findChild<QRadioButton*>(QStringLiteral("landscape"))->click();
        QPushButton* ok = setup->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        okText = ok->text();
        ok->click();
        closed = !setup->isVisible();
        if (!closed) setup->reject();
    });
    form.ReportPrinter().SetOutputFile(first);
    form.FilePrintSetupItem->trigger();
    EXPECT_EQ(okText.toStdString(), "OK");
    EXPECT_TRUE(closed);
    EXPECT_TRUE(options.Settings().Landscape);
    PrintReportDlg = nullptr;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"first.pdf"});
    QFile kept(QString::fromStdString(first));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "old");
}

namespace {

// Whether the box, painted as the user sees it, shows its text's first and
// its last positions inside its text area.
std::pair<bool, bool> ShownEnds(QLineEdit* box) {
    box->grab();  // paints, which scrolls the text to where the user sees it
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    const QRect area = box->style()->subElementRect(QStyle::SE_LineEditContents, &option, box);
    const int cursor = box->cursorPosition();
    box->setCursorPosition(0);
    const int first = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    box->setCursorPosition(static_cast<int>(box->text().size()));
    const int last = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    box->setCursorPosition(cursor);
    return {area.left() <= first && first <= area.right(), area.left() <= last && last <= area.right()};
}

} // namespace

// The longest values the program writes into its boxes show whole, in the
// desktop's font and in a larger one; so do the data page's file name and
// the controls of the injection dialog's pages.
TEST(MainForm, FilledBoxesShowTheirWholeValue) {
    test::ScriptedMessages msgs;
    const QFont desktop = QApplication::font();
    QFont large = desktop;
    large.setPixelSize(16);
    for (const QFont& font : {desktop, large}) {
        SCOPED_TRACE(font.pixelSize());
        QApplication::setFont(font);
        TestForm form;
        form.show();
        TModelData m;
        m.NumSpeciesLines = 2;
        m.SpecName[0] = "A";
        m.AnalyteInj[0][0] = -1;
        m.FitConc[0][0] = true;
        m.Response[0][0] = true;
        m.FitRFactor[0] = true;
        m.NumReactionLines = 1;
        m.ReactA[0] = m.Product[0] = 0;
        m.FitKfwd[0] = m.FitKrev[0] = true;
        form.SpecPanel->SetSpecies(m);
        form.ReactPanel->SetReact(m);
        m.InitConc[0][0] = 8.888e-88;
        m.RFactor[0] = -8.888e88;
        m.Kfwd[0] = 6.457e5;
        m.Krev[0] = 8.888e-88;
        form.SpecPanel->SetFitResults(m);
        form.ReactPanel->SetFitResults(m);

        TSensTabCore page;
        page.NewSens(1, 5);
        page.NumCurves = 1;
        page.PointCount[0] = 5;
        TInjHandOff slot;
        ASSERT_TRUE(slot.Take(page, 0));
        slot.Conc[0] = slot.Stock = 8.888e-88;
        slot.Start[0] = 123456.7;
        slot.Stop[0] = slot.Flow[0] = 8.888e88;
        slot.Step[0] = -8.888e88;
        TInjDlg injection(nullptr, page, slot, 0);
        injection.show();

        TKmCalcForm km;
        km.show();
        km.MWBox->setText("150000");
        km.AllDownButton->click();
        TPrintReportDlg options;
        TReportSettings stored;
        stored.AxisWidth = "2.50000000000000000";
        options.SetSettings(stored);
        options.Tabs->setCurrentWidget(options.OptionSheet);
        options.show();

        const struct {
            QLineEdit* box;
            const char* text;
            bool whole = true;  // else a box narrower than its text shows where it begins
        } cases[] = {
            {km.KmBox, "3.32571e+09"},
            {form.ReactPanel->konBox[0], "6.457e+05"}, {form.ReactPanel->koffBox[0], "8.888e-88"},
            {form.SpecPanel->ConcBox[0], "8.888e-88"}, {form.SpecPanel->RFactorBox[0], "-8.888e+88"},
            {injection.ConcEdit[0], "8.888e-88"},  {injection.StartEdit[0], "1.235e+05"},
            {injection.StopEdit[0], "8.888e+88"},  {injection.RIEdit[0], "-8.888e+88"},
            {injection.FlowEdit[0], "8.888e+88"},  {injection.StockConcBox, "8.888e-88"},
            {options.AxisWidthBox, "2.50000000000000000", false},
        };
        form.SetSsqText("Ssq: 8.888e+88");  // and the status line's sum of squares
        EXPECT_LE(form.StatusPanel1->sizeHint().width(), form.StatusPanel1->width());
        for (const auto& c : cases) {
            SCOPED_TRACE(c.text);
            EXPECT_EQ(c.box->text().toStdString(), c.text);
            EXPECT_EQ(ShownEnds(c.box), std::pair(true, c.whole));
        }

        // Every control of every page of the injection dialog and the data
        // editor lies inside its page.
        TInjDlg editor(nullptr, page, slot, -1);
        editor.show();
        const struct {
            QWidget* holder;
            const char* name;
        } holders[] = {{injection.ConcPage, "Conc"}, {injection.Panel1, "Stock"}, {injection.TimePage, "Time"},
                       {injection.RIPage, "Ref Index"}, {injection.FlowPage, "Flow"}, {editor.EditPage, "Edit Data"}};
        for (const auto& h : holders) {
            SCOPED_TRACE(h.name);
            // A page in front takes its size once the tabs are laid out.
            if (auto* tabs = qobject_cast<QTabWidget*>(h.holder->parentWidget()->parentWidget())) {
                tabs->setCurrentWidget(h.holder);
                QApplication::processEvents();
            }
            for (const QWidget* control : h.holder->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (control->isHidden()) continue;
                EXPECT_TRUE(h.holder->rect().contains(control->geometry())) << control->metaObject()->className();
            }
        }

        // The data page shows its file's name whole, however large its font;
        // a name too long for the room left beside a useful plot shows its two
        // ends, with the whole name as its tool tip.
        const QDir examples(QFileInfo(TMainForm::HelpFileName()).dir().filePath("../examples"));
        QTemporaryDir dir;
        const QString longName = QString(120, QLatin1Char('x')) + ".txt";
        ASSERT_TRUE(QFile::copy(examples.filePath("binding-transport.txt"), dir.filePath(longName)));
        const struct {
            QString file;
            bool whole;
        } names[] = {{examples.filePath("binding-transport.txt"), true}, {dir.filePath(longName), false}};
        for (const auto& n : names) {
            auto* data = static_cast<TSensTab*>(form.AddPage());
            form.PageHolder->setCurrentWidget(data);
            ASSERT_TRUE(data->LoadSens(n.file.toStdString()));
            const QString name = QFileInfo(n.file).fileName();
            SCOPED_TRACE(name.toStdString());
            const QLabel* label = data->FileNameText;
            EXPECT_EQ(label->text() == name, n.whole);
            EXPECT_LE(label->sizeHint().width(), label->width());
            EXPECT_LE(label->geometry().right(), data->LeftPanel->contentsRect().right());
            EXPECT_EQ(label->toolTip(), n.whole ? QString() : name);
            EXPECT_GE(data->PagePlot->width(), TSensTab::MinPlotWidth);
        }
        // At its lowest the window still shows all six injection buttons whole.
        form.resize(form.width(), 0);
        QApplication::processEvents();
        const TSensTab* data = form.ActiveSensPage();
        EXPECT_TRUE(data->LeftPanel->contentsRect().contains(data->InjButtons[MaxInj - 1]->geometry()));
    }
    QApplication::setFont(desktop);
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(MainForm, EnablingByPageAndRun) {
    TestForm form;
    form.AddPage();
    form.PageHolder->setTabVisible(form.PageHolder->indexOf(form.ResultPage), true);
    form.PageHolder->setTabVisible(form.PageHolder->indexOf(form.MontePage), true);
    struct Row {
        QWidget* page;
        bool unsaved, busy;
        const char* expected;  // buttons Save Open New Residual | items Delete Smooth | Save New Open Residuals Noise | Print AddPage Simulate
    };
    QWidget* data = form.SensPage(0);
    const Row rows[] = {
        {form.ModelPage, false, false, "yyyn nn yyynn yyy"}, {form.PlotPage, false, false, "nnny nn nnnyn yyy"},
        {form.ResultPage, false, false, "ynnn nn nnnnn yyy"}, {form.MontePage, false, false, "nnnn nn nnnnn yyy"},
        {form.MontePage, true, false, "ynnn nn ynnnn yyy"},  {data, false, false, "yyyy yy yyyyy yyy"},
        {data, false, true, "nnny nn nnnyn nnn"},            {form.PlotPage, false, true, "nnny nn nnnyn nnn"},
    };
    auto c = [](const QObject* o) {
        if (auto* w = qobject_cast<const QWidget*>(o)) return w->isEnabled() ? 'y' : 'n';
        return qobject_cast<const QAction*>(o)->isEnabled() ? 'y' : 'n';
    };
    for (const Row& r : rows) {
        form.PageHolder->setCurrentWidget(r.page);
        form.MonteUnsaved = r.unsaved;
        form.FitRunning = r.busy;
        form.ApplicationIdle();
        const std::string got{c(form.SaveButton), c(form.OpenButton), c(form.NewButton), c(form.ResidualButton), ' ',
                              c(form.DataDeletePageItem), c(form.RunSmoothItem), ' ', c(form.FileSaveItem),
                              c(form.FileNewItem), c(form.FileOpenItem), c(form.DataResidualsItem),
                              c(form.RunAddNoiseItem), ' ', c(form.PrintButton), c(form.DataAddPageItem),
                              c(form.RunModelButton)};
        EXPECT_EQ(got, r.expected) << form.PageHolder->tabText(form.PageHolder->currentIndex()).toStdString()
                                   << " unsaved " << r.unsaved << " busy " << r.busy;
        EXPECT_TRUE(form.RunFitButton->isEnabled());  // Fit doubles as Stop
    }
    form.FitRunning = false;
}

TEST(MainForm, DataPagesWithTheirOverviewPlots) {
    test::ScriptedMessages msgs;
    TestForm form;
    form.resize(800, 600);
    form.PageHolder->setCurrentWidget(form.PlotPage);
    for (int i = 0; i < 3; ++i) ASSERT_NE(form.AddPage(), nullptr);
    EXPECT_EQ(VisibleTabs(form.PageHolder), (std::vector<std::string>{"Model", "Plot", "Set 1", "Set 2", "Set 3"}));
    ASSERT_EQ(form.Plots.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(form.Plots[static_cast<std::size_t>(i)], form.SensPage(i)->OverviewPlot.data());
        EXPECT_EQ(form.Plots[static_cast<std::size_t>(i)]->parentWidget(), form.PlotPanel);
        EXPECT_EQ(form.Plots[static_cast<std::size_t>(i)]->PopupMenu(), form.PlotPopup);
        EXPECT_EQ(form.SensPage(i)->PagePlot->PopupMenu(), form.PlotPopup);
    }
    // Three plots make a 2 x 2 grid over the plot panel.
    const int w = form.PlotPanel->width(), h = form.PlotPanel->height();
    EXPECT_EQ(form.Plots[2]->geometry(), QRect(0, h / 2, w / 2, h / 2));

    form.CurrentCurve = 2;
    form.ArrangePlots(form.Plots, form.PlotPanel, form.CurrentCurve);
    EXPECT_TRUE(form.Plots[0]->isHidden());
    EXPECT_EQ(form.Plots[2]->geometry(), QRect(0, 0, w, h));
    form.DeletePage(1);
    EXPECT_EQ(form.CurrentCurve, 1);
    EXPECT_EQ(VisibleTabs(form.PageHolder), (std::vector<std::string>{"Model", "Plot", "Set 1", "Set 2"}));
    EXPECT_EQ(form.Plots.size(), 2u);
    form.DeletePage(1);  // the maximised plot goes: all are shown again
    EXPECT_EQ(form.CurrentCurve, -1);
    EXPECT_FALSE(form.Plots[0]->isHidden());
    EXPECT_EQ(form.Plots[0]->geometry(), QRect(0, 0, w, h));

    // The panels reach the model through GetModel, and every page gets it.
    test::TypeOver(form.SpecPanel->NameBox[0], "AB");
    form.AddPage();
    ASSERT_TRUE(form.GetModel(true));
    EXPECT_EQ(form.Model.SpecName[0], "AB");
    EXPECT_EQ(form.Model.NumSets, 2);
    EXPECT_EQ(form.ModelList->count(), form.ModelListState.Count());
    // Deleting the page shown changes the page, whose synchronisation sees
    // only the pages left.
    form.AddPage();
    form.PageHolder->setCurrentWidget(form.SensPage(1));
    form.DeletePage(1);
    EXPECT_EQ(form.Model.NumSets, 2);
    EXPECT_EQ(form.Plots.size(), 2u);
    // A page change by the user lets what is pending happen before it reads the panels.
    QTimer::singleShot(0, &form, [&form] { test::TypeOver(form.SpecPanel->NameBox[0], "Late"); });
    test::ClickTab(form.PageHolder, 0);
    EXPECT_EQ(form.Model.SpecName[0], "Late");
    EXPECT_TRUE(msgs.AllAnswered());
}

// A rate that is not a number ends the synchronisation after its message:
// the pages keep what they had and the list is not rebuilt.
TEST(MainForm, GetModelRefusesABadRate) {
    test::ScriptedMessages msgs;
    TestForm form;
    form.AddPage();
    for (int s = 0; s < 2; ++s) test::TypeOver(form.SpecPanel->NameBox[s], QString(QChar('A' + s)));
    test::Choose(form.ReactPanel->ABox[0], 0);
    test::Choose(form.ReactPanel->ProductBox[0], 1);
    test::Type(form.ReactPanel->konBox[0], "1e5");
    test::Type(form.ReactPanel->koffBox[0], "1e-3");
    ASSERT_TRUE(form.GetModel(true));
    const int lines = form.ModelList->count();
    form.SensPage(0)->NumReactions = -7;  // a page that gets the model again overwrites this
    test::TypeOver(form.ReactPanel->konBox[0], "1e5x");
    EXPECT_FALSE(form.GetModel(true));
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "'1e5x' is not a valid kfwd in reaction 1");
    EXPECT_EQ(msgs.Last().Caption, "Model Error");
    EXPECT_EQ(form.SensPage(0)->NumReactions, -7);
    EXPECT_EQ(form.ModelList->count(), lines);
}

TEST(MainForm, SpeciesPanelsSnapAndSizeTogether) {
    TestForm form;
    form.resize(700, 700);
    form.show();
    form.AddPage();
    form.AddPage();
    int size = 59;
    bool accept = true;
    form.SensPage(0)->SplitterResize(size, accept);
    EXPECT_EQ(size, 48);
    EXPECT_EQ(form.SpecPanel->height(), 48);
    EXPECT_EQ(form.SensPage(1)->GetSplitterPos(), 48);
    size = 60;
    form.ModelSplitterCanResize(form.ModelSplitter, size, accept);
    EXPECT_EQ(size, 72);
    EXPECT_EQ(form.SensPage(0)->GetSplitterPos(), 72);
    EXPECT_EQ(form.SpecPanel->height(), 48);  // the model page's own bar moves its panel itself

    // A window too low for the panels shrinks them all; below 200 nothing
    // changes. (Its own minimum keeps the window higher; a minimum of 0
    // would not count as one set.)
    form.setMinimumHeight(1);
    form.SpecPanel->resize(form.SpecPanel->width(), 168);
    form.resize(700, 300);
    EXPECT_EQ(form.SpecPanel->height(), 105);
    EXPECT_EQ(form.SensPage(1)->GetSplitterPos(), 105);
    form.resize(700, 150);
    EXPECT_EQ(form.SpecPanel->height(), 105);
    form.resize(400, 500);
    EXPECT_EQ(form.width(), MinFrameWidth);

    // Scrolling one species panel scrolls them all; a name reaches the reactions.
    form.SpecPanel->OnSpecScroll(form.SpecPanel, 2);
    EXPECT_EQ(form.SensPage(1)->SpecPanel->GetFirstSpec(), 2);
    form.SpecPanelNameChange(0, "Ab");
    EXPECT_EQ(form.ReactPanel->ABox[0]->itemText(0).trimmed(), "Ab");
}

TEST(MainForm, GaugeShowsTheRunState) {
    TestForm form;
    auto colourAt = [&](int state) {
        form.RunState = state;
        QImage image(100, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        form.StatusLineDrawPanel(painter, image.rect());
        painter.end();
        return std::pair{image.pixelColor(5, 10), image.pixelColor(94, 10)};
    };
    const QColor green(0, 128, 0), red(255, 0, 0);
    EXPECT_EQ(colourAt(0), std::pair(red, red));
    EXPECT_EQ(colourAt(7), std::pair(green, green));
    EXPECT_EQ(colourAt(3), std::pair(green, red));
    EXPECT_EQ(colourAt(12), std::pair(green, green));
    EXPECT_EQ(form.RunState, 7);
}

TEST(MainForm, ModelListClicksKeepTheScrollPosition) {
    TestForm form;
    form.setMinimumHeight(1);  // lower than its own minimum, for a list that scrolls
    form.resize(700, 300);
    form.show();
    form.PageHolder->setCurrentWidget(form.PlotPage);
    form.AddPage();
    form.Model.NumSpecies = MaxSpecies;
    for (int s = 0; s < MaxSpecies; ++s) {
        form.Model.SpecName[s] = "S" + std::to_string(s);
        form.Model.AnalyteInj[0][s] = -1;
    }
    form.Model.NumSets = 1;
    form.BuildModelHeads();
    form.BuildModelList();
    ASSERT_GT(form.ModelList->count(), 14);
    const int last = form.ModelList->count() - 1;  // "Refractive Index", closed
    form.ModelList->verticalScrollBar()->setValue(form.ModelList->verticalScrollBar()->maximum());
    const int top = form.ModelList->verticalScrollBar()->value();
    ASSERT_GT(top, 0);
    form.ModelListClick(last);
    EXPECT_TRUE(form.ModelListState.RIHead.Expanded);
    EXPECT_EQ(form.ModelList->verticalScrollBar()->value(), top);
    const int count = form.ModelList->count();
    form.ModelListClick(count + 3);  // beside the lines
    EXPECT_EQ(form.ModelList->count(), count);

    // A closed group holding a fit draws its "fit" picture left of the text.
    form.Model.FitRFactor[0] = true;
    form.Model.Response[0][0] = true;
    form.BuildModelList();
    int line = 0;  // S0 under Initial Conc
    while (line < form.ModelListState.Count() && form.ModelListState.Lines()[line].State != &form.ModelListState.Spec[0])
        ++line;
    ASSERT_LT(line, form.ModelListState.Count());
    QImage image(200, 18, QImage::Format_RGB32);
    QPainter painter(&image);
    form.ModelListDrawItem(painter, line, QRect(0, 0, 200, 18));
    painter.end();
    EXPECT_EQ(image.pixelColor(30 - 10 + 4, 4), QColor(0, 0, 255));
}

TEST(MainForm, FitResultsShownAndSavedAsText) {
    test::ScriptedMessages msgs;
    TestForm form;
    form.AddPage();
    form.Model = TModelData{};
    form.Model.NumSpecies = 1;
    form.Model.SpecName[0] = "A";
    form.Model.FitConc[0][0] = true;
    form.Model.FitRFactor[0] = true;
    form.Model.NumSets = 1;
    form.Model.DataFile[0] = "run1.txt";
    form.Model.NumDataPoints = 12;
    Matrix1 cov(1, 2, 1, 2);
    Vector1 a(1, 2);
    cov[1][1] = cov[2][2] = 1;
    cov[1][2] = cov[2][1] = 0.5;
    a[1] = 3;
    a[2] = 4;
    form.ShowFitResults(form.Model, 2, cov.get(), a.get(), 10);
    EXPECT_TRUE(form.PageHolder->isTabVisible(form.PageHolder->indexOf(form.ResultPage)));
    EXPECT_EQ(form.ResultGrid->columnCount(), 6);
    EXPECT_EQ(form.ResultGrid->rowCount(), 2);
    EXPECT_EQ(form.ResultGrid->horizontalHeaderItem(5)->text(), "1");
    EXPECT_EQ(form.ResultGrid->item(1, 5)->text(), "0.500");
    EXPECT_EQ(form.DataFileHeader->text(), "Data File:");
    EXPECT_FALSE(form.FileLabels[0]->isHidden());
    EXPECT_TRUE(form.FileLabels[1]->isHidden());
    for (QLabel* label : {form.ChisqLabel, form.FileLabels[0], form.TimeLabel})
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    EXPECT_LE(form.ChisqLabel->x() + form.ChisqLabel->width(), form.DataFileHeader->x());
    for (int c = 0; c < 6; ++c) EXPECT_EQ(form.ResultGrid->columnWidth(c), form.Results.ColWidths[c]);
    // The grid is as tall as its rows, without a band under the last one.
    form.resize(800, 600);
    form.show();
    form.PageHolder->setCurrentWidget(form.ResultPage);
    QCoreApplication::processEvents();
    const int rowsHeight = form.ResultGrid->horizontalHeader()->height() + 2 * 24 + 2 * form.ResultGrid->frameWidth();
    EXPECT_GE(form.ResultGrid->height(), rowsHeight);
    EXPECT_LE(form.ResultGrid->height(), rowsHeight + 4);

    QTemporaryDir dir;
    form.SaveName = (dir.path() + "/results.txt").toStdString();
    form.SaveResults();
    std::ifstream in(form.SaveName, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), ResultsText(form.Results));
    EXPECT_EQ(form.Asked.back(), TMainFormCore::FileDialog::DataSave);

    form.SaveName = (dir.path() + "/no/such/folder/results.txt").toStdString();
    form.SaveResults();
    ASSERT_EQ(msgs.Count(), 1u);
    EXPECT_EQ(msgs.Last().Text, "Unable to open file");
    EXPECT_EQ(msgs.Last().Caption, "File Error");
    EXPECT_EQ(msgs.Last().Icon, MsgIcon::Exclamation);
}

// Closing while a run goes asks it to stop and closes once it has returned.
TEST(MainForm, ClosingDuringARunStopsItFirst) {
    TestForm form;
    form.show();
    form.FitRunning = true;
    EXPECT_FALSE(form.close());
    EXPECT_FALSE(form.FitRunning);
    EXPECT_TRUE(form.Closing);
    EXPECT_TRUE(WaitFor([&] { return !form.isVisible(); }));
}
