// The main window's frame: construction and destruction, tool bar, menus,
// page control, status line with its gauge, enabling by page, hints, the
// shared species panel height and the hooks of the core.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QScopedValueRollback>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <algorithm>

#include "app/mainform.h"
#include "app/splash.h"
#include "engine/numeric/randoms.h"
#include "widgets/edit_box.h"
#include "widgets/panel_parts.h"
#include "widgets/plot.h"
#include "widgets/reactpanel.h"
#include "widgets/senstab_widget.h"
#include "widgets/specpanel.h"

namespace kivra {

TMainForm* MainForm = nullptr;

namespace {

constexpr int SplitterHeight = 5;
constexpr int SplitterMinSize = 70;
const QColor DarkGreen(0, 128, 0);

// Status panel 2: the gauge of RunState, drawn by the window.
class TGauge : public QFrame {
public:
    TGauge(QWidget* parent, TMainForm* form) : QFrame(parent), Form(form) {
        setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QFrame::paintEvent(event);
        QPainter painter(this);
        Form->StatusLineDrawPanel(painter, rect());
    }

private:
    TMainForm* Form;
};

// A status panel of a fixed width; width 0 makes the panel that takes what the
// others leave, where a long hint is cut off rather than run under them.
QLabel* MakeStatusPanel(QWidget* parent, int width) {
    auto* label = new QLabel(parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (width > 0)
        label->setFixedWidth(width);
    else
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

// Tool-button glyphs, drawn so that no picture files are needed.
QIcon Glyph(const char* kind) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const std::string k = kind;
    auto sheet = [&](int x, int y) {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(x, y, 11, 15);
    };
    if (k == "help") {
        p.setPen(QPen(Qt::blue, 1));
        p.setBrush(QColor(255, 255, 192));
        p.drawEllipse(1, 1, 17, 17);
        QFont font = p.font();
        font.setPixelSize(14);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRect(1, 1, 18, 18), Qt::AlignCenter, QStringLiteral("?"));
    } else if (k == "print") {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawRect(5, 2, 10, 7);
        p.setBrush(QColor(192, 192, 192));
        p.drawRect(2, 8, 16, 7);
        p.setBrush(Qt::white);
        p.drawRect(5, 13, 10, 5);
    } else if (k == "page") {
        sheet(2, 2);
        p.setPen(QPen(DarkGreen, 2));
        p.drawLine(14, 13, 19, 13);
        p.drawLine(16, 10, 16, 16);
    } else {
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(2, 17, 18, 17);
        p.drawLine(2, 2, 2, 17);
        QPainterPath curve;
        curve.moveTo(3, 16);
        curve.cubicTo(6, 4, 9, 4, 18, 6);
        if (k == "fit") {
            p.setPen(QPen(Qt::blue, 1));
            for (const QPoint& pt : {QPoint(5, 10), QPoint(8, 6), QPoint(12, 5), QPoint(16, 6)})
                p.drawEllipse(pt, 1, 1);
        }
        if (k == "residuals") {
            p.setPen(QPen(Qt::red, 1));
            p.drawLine(3, 11, 18, 11);
            p.setPen(QPen(Qt::blue, 1));
            for (const QPoint& pt : {QPoint(5, 9), QPoint(8, 13), QPoint(11, 10), QPoint(14, 12), QPoint(17, 9)})
                p.drawEllipse(pt, 1, 1);
        } else {
            p.setPen(QPen(k == "fit" ? Qt::red : DarkGreen, 2));
            p.setBrush(Qt::NoBrush);
            p.drawPath(curve);
        }
    }
    return QIcon(pixmap);
}

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A control that marks while it handles a click, a key or the wheel: the
// page control and its tab bar tell a change of page the user makes from the
// changes the program makes.
template <class W>
class TUserInput : public W {
public:
    explicit TUserInput(bool& user, QWidget* parent = nullptr) : W(parent), User(user) {}

protected:
    bool event(QEvent* e) override {
        const QEvent::Type t = e->type();
        const bool input = t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease ||
                           t == QEvent::KeyPress || t == QEvent::Wheel;
        const QScopedValueRollback<bool> user(User, User || input);
        return W::event(e);
    }

private:
    bool& User;
};

class TPageControl : public TUserInput<QTabWidget> {
public:
    TPageControl(QWidget* parent, bool& user) : TUserInput<QTabWidget>(user, parent) {
        setTabBar(new TUserInput<QTabBar>(user));
    }
};

} // namespace

TPanel::TPanel(QWidget* parent) : QFrame(parent) {}

void TPanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    if (OnResize) OnResize(this);
}

// ---- construction ----------------------------------------------------------------------

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("KivraXP"));
    BuildActions();
    BuildToolBar();
    BuildPages();
    BuildStatusLine();
    BuildDialogs();

    // The model page, built in code: species panel, splitter, reactions panel.
    SpecPanel = new TSpecPanel(ModelPage);
    SpecPanel->setGeometry(0, 0, 554, 168);
    SpecPanel->OnNameChange = [this](TSpecPanel*, int line, const std::string& name) {
        SpecPanelNameChange(line, name);
    };
    SpecPanel->OnSpecScroll = [this](TSpecPanel*, int first) { SpecPanelSpecScroll(first); };
    ModelSplitter = new TSplitterBar(ModelPage, [this](int newSize) {
        const int most = ModelPage->height() - SplitterHeight - SplitterMinSize;
        if (newSize > most) newSize = most;
        if (newSize < SplitterMinSize) newSize = SplitterMinSize;
        bool accept = true;
        ModelSplitterCanResize(ModelSplitter, newSize, accept);
        if (accept) {
            SpecPanel->resize(SpecPanel->width(), newSize);
            ModelPageResize();
        }
    });
    ReactPanel = new TReactPanel(ModelPage);
    ReactPanel->setGeometry(0, 173, 554, 170);
    for (QFrame* panel : {static_cast<QFrame*>(SpecPanel), static_cast<QFrame*>(ReactPanel)}) {
        panel->setFrameShape(QFrame::NoFrame);
        QPalette p = panel->palette();
        p.setColor(QPalette::Window, DarkGreen);
        panel->setPalette(p);
        panel->setAutoFillBackground(true);
    }
    ModelPage->OnResize = [this](TPanel*) { ModelPageResize(); };
    // A desktop font that widened the panels' columns widens the window with them.
    ModelPage->setMinimumWidth(std::max(SpecPanel->ContentWidth(), ReactPanel->ContentWidth()));
    // Tall enough from the start for a data page's six injection buttons.
    ModelPage->setMinimumHeight(TSensTab::MinimumHeight());

    FitRunning = MonteRunning = FitStopped = false;
    CurrentCurve = -1;
    RunState = 7;
    SeedRandomFromClock();

    // What the form's creation adds: hints and idle pass, centring, the
    // status line's first text.
    IdleTimer = new QTimer(this);
    IdleTimer->setInterval(100);
    connect(IdleTimer, &QTimer::timeout, this, [this] { ApplicationIdle(); });
    IdleTimer->start();
    CloseTimer = new QTimer(this);
    CloseTimer->setInterval(50);
    connect(CloseTimer, &QTimer::timeout, this, [this] {
        if (Busy() || MessageDepth > 0 || CommandInProgress() || QApplication::activeModalWidget()) return;
        CloseTimer->stop();
        close();
    });
    SplashTimer = new QTimer(this);
    SplashTimer->setSingleShot(true);
    SplashTimer->setInterval(2000);
    connect(SplashTimer, &QTimer::timeout, this, [this] { SplashTimerTimer(); });
    SplashTimer->start();

    const int menuHeight = menuBar()->sizeHint().height();
    resize(570, 467 + menuHeight);
    CentreOnScreen(this);
    StatusPanel1->setText(QStringLiteral("Ssq:"));
    for (bool& shared : Model.StockGlobal) shared = false;
    ShownPage = PageHolder->currentWidget();
    // Every concern connects the commands it implements.
    ConnectRunCommands();
    ConnectModelFileCommands();
    ConnectMonteCommands();
    ConnectReportCommands();
    ConnectCommands();
    ConnectKmCommands();
    ApplyEnabling();
    // The empty model counts as saved: closing at once asks nothing.
    MarkSaved();
}

TMainForm::~TMainForm() { FormDestroy(); }

void TMainForm::FormDestroy() {
    // First of all: a resize that arrives while the children go must not walk
    // plots or pages that are already freed.
    Destroying = true;
    Plots.clear();
    for (QTimer* timer : {IdleTimer, CloseTimer, SplashTimer}) timer->stop();
    if (SplashForm) {
        SplashForm->hide();
        delete SplashForm;
        SplashForm = nullptr;
    }
    DeleteAllPages();
    // The histograms are children of the Monte Carlo panel: they go first.
    Histograms.clear();
    // The pages and panels go while the window is whole: signals their
    // destruction raises must not reach a half-destroyed window.
    disconnect(PageHolder, nullptr, this, nullptr);
    delete PageHolder;
    PageHolder = nullptr;
    if (MainForm == this) MainForm = nullptr;
}

void TMainForm::BuildActions() {
    auto item = [this](QMenu* menu, const char* caption, const char* hint = nullptr) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        if (hint) action->setStatusTip(QString::fromUtf8(hint));
        return action;
    };
    FileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    FileNewItem = item(FileMenu, "&New", "Create a new file");
    FileOpenItem = item(FileMenu, "&Open...", "Open an existing file");
    FileSaveItem = item(FileMenu, "&Save...", "Save current file");
    FileMenu->addSeparator();
    FilePrintItem = item(FileMenu, "&Print...", "Print current file");
    FilePrintSetupItem = item(FileMenu, "P&rint Setup...", "Change printer setup");
    FileMenu->addSeparator();
    FileExitItem = item(FileMenu, "E&xit", "Exit this application");
    DataMenu = menuBar()->addMenu(QStringLiteral("&Data"));
    DataAddPageItem = item(DataMenu, "&Add Data Page");
    DataDeletePageItem = item(DataMenu, "&Delete Data Page");
    DataMenu->addSeparator();
    DataResidualsItem = item(DataMenu, "&Residuals");
    RunMenu = menuBar()->addMenu(QStringLiteral("&Run"));
    RunSimulationItem = item(RunMenu, "&Simulation");
    RunFitItem = item(RunMenu, "&Fit");
    RunMonteItem = item(RunMenu, "&Monte Carlo");
    RunAddNoiseItem = item(RunMenu, "Add &Noise...");
    RunKmCalcItem = item(RunMenu, "km Calculator...");
    RunSmoothItem = item(RunMenu, "Smooth...");
    HelpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    HelpContentsItem = item(HelpMenu, "&Contents", "Display the help contents screen");
    HelpAboutItem = item(HelpMenu, "&About...", "Show program information");
    connect(FileMenu, &QMenu::aboutToShow, this, [this] { FileMenuClick(); });
    connect(DataMenu, &QMenu::aboutToShow, this, [this] { DataMenuClick(); });
    connect(RunMenu, &QMenu::aboutToShow, this, [this] { RunMenuClick(); });

    PlotPopup = new QMenu(this);
    ZoomInItem = PlotPopup->addAction(QStringLiteral("Zoom In"));
    ZoomOutItem = PlotPopup->addAction(QStringLiteral("Zoom Out"));
    PlotPopup->addSeparator();
    MaximizeItem = PlotPopup->addAction(QStringLiteral("Maximize"));
    SingleCurveItem = PlotPopup->addAction(QStringLiteral("Single Curve"));
    NextCurveItem = PlotPopup->addAction(QStringLiteral("Next Curve"));
    ResidualsItem = PlotPopup->addAction(QStringLiteral("Residuals"));
    EditCurveItem = PlotPopup->addAction(QStringLiteral("Edit Curve"));
    for (QAction* a : {MaximizeItem, SingleCurveItem, ResidualsItem}) a->setCheckable(true);
}

void TMainForm::BuildToolBar() {
    CoolBar = addToolBar(QStringLiteral("CoolBar"));
    CoolBar->setMovable(false);
    CoolBar->setFloatable(false);
    CoolBar->setIconSize(QSize(20, 20));
    QStyle* style = QApplication::style();
    auto button = [this](const QIcon& icon, const char* hint) {
        const QString text = QString::fromUtf8(hint);
        auto* b = new QToolButton(CoolBar);
        b->setAutoRaise(true);
        b->setIcon(icon);
        b->setMinimumSize(25, 25);
        b->setToolTip(text.section(QLatin1Char('|'), 0, 0));
        b->setStatusTip(text.section(QLatin1Char('|'), 1));
        b->setFocusPolicy(Qt::NoFocus);
        CoolBar->addWidget(b);
        return b;
    };
    NewButton = button(style->standardIcon(QStyle::SP_FileIcon), "New|Clears current model");
    OpenButton = button(style->standardIcon(QStyle::SP_DialogOpenButton), "Open|Open a model file");
    SaveButton = button(style->standardIcon(QStyle::SP_DialogSaveButton), "Save|Saves current model");
    PrintButton = button(Glyph("print"), "Print|Print");
    NewSensButton = button(Glyph("page"), "Add Page|Adds a blank data page");
    RunModelButton = button(Glyph("simulate"), "Simulate|Calculates simulated data set based on model");
    RunFitButton = button(Glyph("fit"), "Fit|Fits simulated data to input data");
    ResidualButton = button(Glyph("residuals"), "Residuals|Plots difference between measured and simulated data");
    HelpButton = button(Glyph("help"), "Help|Displays help file");
}

void TMainForm::BuildPages() {
    PageHolder = new TPageControl(this, UserPageInput);
    setCentralWidget(PageHolder);
    ModelPage = new TPanel;
    PageHolder->addTab(ModelPage, QStringLiteral("Model"));
    BuildPlotPage();
    BuildResultPage();
    MontePage = new QWidget;
    auto* monteLayout = new QVBoxLayout(MontePage);
    monteLayout->setContentsMargins(0, 0, 0, 0);
    monteLayout->setSpacing(0);  // the settings sit right on the histograms' panel
    MontePanel = new TPanel(MontePage);
    monteLayout->addWidget(MontePanel);
    PageHolder->addTab(MontePage, QStringLiteral("Monte Carlo"));
    PageHolder->setTabVisible(PageHolder->indexOf(ResultPage), false);
    PageHolder->setTabVisible(PageHolder->indexOf(MontePage), false);
    PageHolder->setCurrentWidget(ModelPage);
    connect(PageHolder, &QTabWidget::currentChanged, this, [this] {
        QWidget* leaving = ShownPage;
        ShownPage = PageHolder->currentWidget();
        PageHolderChanging(leaving);
    });
}

void TMainForm::BuildStatusLine() {
    StatusLine = statusBar();
    StatusPanel0 = MakeStatusPanel(StatusLine, 0);
    StatusPanel1 = MakeStatusPanel(StatusLine, 120);
    // Wider where the desktop's font needs it for the longest sum of squares.
    StatusPanel1->setText(QStringLiteral("Ssq: ") + LongestValue);
    StatusPanel1->setFixedWidth(std::max(120, StatusPanel1->sizeHint().width()));
    StatusGauge = new TGauge(StatusLine, this);
    StatusGauge->setFixedWidth(100);
    StatusPanel3 = MakeStatusPanel(StatusLine, 50);
    StatusLine->addWidget(StatusPanel0, 1);
    StatusLine->addWidget(StatusPanel1);
    StatusLine->addWidget(StatusGauge);
    StatusLine->addWidget(StatusPanel3);
}

void TMainForm::BuildDialogs() {
    auto dialog = [this](const char* title, const char* filter, const char* suffix, bool save) {
        auto* d = new QFileDialog(this, QString::fromUtf8(title), QString(), QString::fromUtf8(filter));
        d->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        d->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        d->setOption(QFileDialog::ReadOnly, false);
        if (suffix) d->setDefaultSuffix(QString::fromUtf8(suffix));
        return d;
    };
    const char* models = "Model files (*.mdl);;All files (*)";
    const char* data = "Data Files (*.txt);;All Files (*)";
    ModelOpenDlg = dialog("Open Model", models, nullptr, false);
    ModelSaveDlg = dialog("Save Model", models, "mdl", true);
    DataOpenDlg = dialog("Open Data", data, nullptr, false);
    DataSaveDlg = dialog("Save Data", data, "txt", true);
    MonteSaveDlg = dialog("", "Monte Result (*.mnt);;All files (*)", "mnt", true);
    ReportSaveDlg = dialog("Print to File", "PDF files (*.pdf);;All files (*)", "pdf", true);
}

// ---- pages -----------------------------------------------------------------------------

TSensTab* TMainForm::SensPage(int i) {
    if (i < 0 || i >= PageCount()) return nullptr;
    return static_cast<TSensTab*>(&Page(i));
}

PageKind TMainForm::ActivePageKind() const {
    const QWidget* page = PageHolder->currentWidget();
    if (page == ModelPage) return PageKind::Model;
    if (page == PlotPage) return PageKind::Plot;
    if (page == ResultPage) return PageKind::Results;
    if (page == MontePage) return PageKind::Monte;
    return PageKind::Data;
}

TSensTab* TMainForm::ActiveSensPage() const {
    return ActivePageKind() == PageKind::Data ? qobject_cast<TSensTab*>(PageHolder->currentWidget()) : nullptr;
}

std::unique_ptr<TSensTabCore> TMainForm::MakePage() {
    auto page = std::make_unique<TSensTab>();
    TSensTab* p = page.get();
    p->SetSplitterPos(SpecPanel->height());
    p->OnSplitterResize = [this](TSensTab* sender, int& newSize, bool& accept) {
        ModelSplitterCanResize(sender, newSize, accept);
    };
    p->SpecPanel->OnSpecScroll = [this](TSpecPanel*, int first) { SpecPanelSpecScroll(first); };
    p->SpecPanel->SetFirstSpec(SpecPanel->GetFirstSpec());
    p->PagePlot->SetPopupMenu(PlotPopup);
    if (p->OverviewPlot) {
        p->OverviewPlot->setParent(PlotPanel);
        p->OverviewPlot->SetPopupMenu(PlotPopup);
    }
    // Its caption becomes the tab's text (see eventFilter).
    p->installEventFilter(this);
    return page;
}

void TMainForm::PagesChanged() {
    if (Destroying) return;
    Plots.clear();
    const int fixedTabs = PageHolder->indexOf(MontePage) + 1;
    for (int i = 0; i < PageCount(); ++i) {
        TSensTab* p = SensPage(i);
        // A page without data is named after its place, and so is its plot on the plot page.
        if (!p->GetLoaded()) {
            p->SetCaption("Set " + std::to_string(i + 1));
            if (p->OverviewPlot) p->OverviewPlot->SetTitle(p->Caption());
        }
        const int want = fixedTabs + i;
        const int at = PageHolder->indexOf(p);
        if (at < 0) PageHolder->insertTab(want, p, Q(p->Caption()));
        else if (at != want) PageHolder->tabBar()->moveTab(at, want);
        p->setWindowTitle(Q(p->Caption()));
        PageHolder->setTabText(want, Q(p->Caption()));
        if (p->OverviewPlot) Plots.push_back(p->OverviewPlot.data());
    }
    ArrangePlots(Plots, PlotPanel, CurrentCurve);
}

void TMainForm::PageRemoving(TSensTabCore& page) {
    auto* p = static_cast<TSensTab*>(&page);
    std::erase(Plots, p->OverviewPlot.data());
    if (Destroying) return;
    // Its tab goes first, so that a change of page it causes finds the list whole.
    const int at = PageHolder->indexOf(p);
    if (at >= 0) PageHolder->removeTab(at);
}

bool TMainForm::ReadPanels(TModelData& model) {
    if (!ReactPanel->GetReact(model)) return false;
    SpecPanel->GetSpecies(model);
    return true;
}

void TMainForm::ProcessMessages() {
    ++MessageDepth;
    QCoreApplication::processEvents();
    --MessageDepth;
}

void TMainForm::WritePanels(const TModelData& model) {
    SpecPanel->SetSpecies(model);
    ReactPanel->SetReact(model);
}

void TMainForm::PanelsSetFitResults(const TModelData& model) {
    ReactPanel->SetFitResults(model);
    SpecPanel->SetFitResults(model);
}

void TMainForm::ShowModelPage() { PageHolder->setCurrentWidget(ModelPage); }
void TMainForm::ShowPlotPage() { PageHolder->setCurrentWidget(PlotPage); }
void TMainForm::ShowDataPage(int i) {
    if (TSensTab* p = SensPage(i)) PageHolder->setCurrentWidget(p);
}
void TMainForm::Beep() { QApplication::beep(); }

bool TMainForm::AskFileName(FileDialog which, std::string& fileName) {
    QFileDialog* dialog = which == FileDialog::ModelOpen  ? ModelOpenDlg
                          : which == FileDialog::ModelSave ? ModelSaveDlg
                          : which == FileDialog::DataOpen  ? DataOpenDlg
                          : which == FileDialog::DataSave  ? DataSaveDlg
                          : which == FileDialog::MonteSave ? MonteSaveDlg
                                                           : ReportSaveDlg;
    dialog->selectFile(Q(fileName));
    const bool ok = dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty();
    if (ok) fileName = dialog->selectedFiles().first().toStdString();
    dialog->selectFile(QString());
    return ok;
}

void TMainForm::PageHolderChanging(QWidget* leaving) {
    // A run owns the model while it goes; a page change then only shows. A
    // change the program makes is part of a command (a page removed, added or
    // shown), inside which no other command may run and which reads the
    // model itself: reading it here too would tell what the panels cannot
    // give twice.
    const bool byCommand = CommandInProgress() && !UserPageInput;
    if (!Destroying && !Busy() && !byCommand) {
        // What is still pending (the last keystroke in a box, the old page's
        // repaint) is done before the panels are read, when the user changes
        // the page.
        if (UserPageInput && !CommandInProgress()) ProcessMessages();
        GetModel(leaving != PlotPage);
    }
    ApplyEnabling();
}

// ---- idle pass, hints, enabling ----------------------------------------------------------

void TMainForm::ApplicationIdle() {
    if (SplashDone) {
        if (SplashForm) SplashForm->hide();
        SplashDone = false;
    }
    ApplyEnabling();
    StatusGauge->update();  // follows RunState however it was set
}

void TMainForm::SplashTimerTimer() {
    SplashDone = true;
    SplashTimer->stop();
}

void TMainForm::ApplicationHint(const QString& hint) {
    StatusPanel0->setText(hint);
    StatusPanel0->setToolTip(QString());
}

void TMainForm::FileMenuClick() { ApplyEnabling(); }
void TMainForm::DataMenuClick() { ApplyEnabling(); }
void TMainForm::RunMenuClick() { ApplyEnabling(); }

void TMainForm::ApplyEnabling() {
    if (Destroying) return;
    const TEnabling e = Enabling(ActivePageKind(), MonteUnsaved, Busy());
    NewButton->setEnabled(e.NewButton);
    OpenButton->setEnabled(e.OpenButton);
    SaveButton->setEnabled(e.SaveButton);
    PrintButton->setEnabled(e.PrintButton);
    NewSensButton->setEnabled(e.NewSensButton);
    RunModelButton->setEnabled(e.RunModelButton);
    ResidualButton->setEnabled(e.ResidualButton);
    FileNewItem->setEnabled(e.FileNewItem);
    FileOpenItem->setEnabled(e.FileOpenItem);
    FileSaveItem->setEnabled(e.FileSaveItem);
    FilePrintItem->setEnabled(e.FilePrintItem);
    DataAddPageItem->setEnabled(e.DataAddPageItem);
    DataDeletePageItem->setEnabled(e.DataDeletePageItem);
    DataResidualsItem->setEnabled(e.DataResidualsItem);
    RunSimulationItem->setEnabled(e.RunSimulationItem);
    RunAddNoiseItem->setEnabled(e.RunAddNoiseItem);
    RunSmoothItem->setEnabled(e.RunSmoothItem);
    ApplyRunLock();
}

bool TMainForm::event(QEvent* event) {
    // Long hints go to status panel 0, not to the status bar's message area.
    if (event->type() == QEvent::StatusTip) {
        ApplicationHint(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    // The desktop's close request that comes while the close is being asked
    // about is that same close: its answer decides, Cancel included. Let
    // through, Qt would take it as agreed and destroy the window under the
    // question.
    if (event->type() == QEvent::Close && AskingToClose && watched == windowHandle()) {
        event->ignore();
        return true;
    }
    if (event->type() == QEvent::WindowTitleChange && !Destroying) {
        if (auto* page = qobject_cast<QWidget*>(watched)) {
            const int at = PageHolder->indexOf(page);
            if (at >= 0) PageHolder->setTabText(at, page->windowTitle());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- status line -------------------------------------------------------------------------

void TMainForm::SetStatusText(const std::string& text) {
    StatusPanel0->setText(Q(text));
    StatusPanel0->setToolTip(QString());  // a tool tip belongs to the text it explains
    StatusPanel0->repaint();
}

void TMainForm::SetSsqText(const std::string& text) { StatusPanel1->setText(Q(text)); }

void TMainForm::ShowModel(TModelData& model, bool fitting, double x) {
    TMainFormCore::ShowModel(model, fitting, x);
    StatusLine->repaint();
    StatusGauge->repaint();
    for (TPlot* plot : Plots) plot->Repaint();
}

void TMainForm::StatusLineDrawPanel(QPainter& painter, const QRect& rect) {
    RunState = RunState < 0 ? 0 : RunState > 7 ? 7 : RunState;
    const int left = rect.left(), top = rect.top();
    const int right = left + rect.width(), bottom = top + rect.height();
    const GaugeParts parts = GaugeSplit(RunState, left, right);
    painter.setPen(Qt::black);
    // Outlined like a filled rectangle from (x1, y1) up to, not including, (x2, y2).
    auto box = [&](int x1, int x2, const QColor& fill) {
        if (x2 - x1 < 1 || bottom - 2 - (top + 2) < 1) return;
        painter.setBrush(fill);
        painter.drawRect(x1, top + 2, x2 - x1 - 1, bottom - 2 - (top + 2) - 1);
    };
    box(left + 2, parts.GreenRight, DarkGreen);
    box(parts.RedLeft, right - 2, QColor(255, 0, 0));
}

// ---- sizes -------------------------------------------------------------------------------

void TMainForm::ModelPageResize() {
    if (Destroying || !SpecPanel) return;
    const int w = ModelPage->width(), h = ModelPage->height();
    const int top = SpecPanel->height();
    SpecPanel->setGeometry(0, 0, w, top);
    ModelSplitter->setGeometry(0, top, w, SplitterHeight);
    const int rest = h - top - SplitterHeight;
    ReactPanel->setGeometry(0, top + SplitterHeight, w, rest > 0 ? rest : 0);
}

void TMainForm::SetSpecPanelHeights(int height) {
    for (int i = 0; i < PageCount(); ++i) SensPage(i)->SetSplitterPos(height);
}

void TMainForm::ModelSplitterCanResize(QObject* sender, int& newSize, bool& accept) {
    (void)accept;
    newSize = SnapSpecPanelHeight(newSize);
    for (int i = 0; i < PageCount(); ++i)
        if (SensPage(i) != sender) SensPage(i)->SetSplitterPos(newSize);
    if (sender != ModelSplitter) {
        SpecPanel->resize(SpecPanel->width(), newSize);
        ModelPageResize();
    }
}

void TMainForm::SpecPanelNameChange(int line, const std::string& name) { ReactPanel->SetSpecName(line, name); }

void TMainForm::SpecPanelSpecScroll(int firstLine) {
    SpecPanel->SetFirstSpec(firstLine);
    for (int i = 0; i < PageCount(); ++i) SensPage(i)->SpecPanel->SetFirstSpec(firstLine);
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TMainForm::FormResize() {
    if (Destroying || height() < 200) return;
    const int most = height() - FrameReserve;
    if (SpecPanel->height() > most) {
        SpecPanel->resize(SpecPanel->width(), most);
        ModelPageResize();
        SetSpecPanelHeights(most);
    }
    if (width() < MinFrameWidth) resize(MinFrameWidth, height());
    ArrangeResults();
}

void TMainForm::PlotResize() {
    if (Destroying) return;
    ArrangePlots(Plots, PlotPanel, CurrentCurve);
}

// ---- closing -----------------------------------------------------------------------------

void TMainForm::closeEvent(QCloseEvent* event) {
    // A run (or a nested message pass of one), or a command in its dialog, is
    // on the stack: ask a run to end, without questions, and close once it
    // has returned.
    if (Busy() || MessageDepth > 0 || CommandInProgress()) {
        Closing = true;
        FitRunning = false;
        MonteRunning = false;
        event->ignore();
        CloseTimer->start();
        return;
    }
    // Unsaved work is asked about; a save that is cancelled or fails keeps the window.
    TCommandScope command(*this);
    const QScopedValueRollback<bool> asking(AskingToClose, true);
    if (QWindow* window = windowHandle()) window->installEventFilter(this);
    if (command.Refused() || !CanClose()) {
        Closing = false;
        event->ignore();
        return;
    }
    Closing = true;
    // Data a Monte Carlo cycle perturbed go back to the measured values.
    for (int i = 0; i < PageCount(); ++i) Page(i).RestoreData();
    event->accept();
}

} // namespace kivra
