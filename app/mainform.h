#pragma once
// The main window: tool bar, menus, the page control with the model, plot,
// results and Monte Carlo pages and the data pages, and the status line. The
// model, the pages and the run state live in TMainFormCore; this half shows
// them and answers its hooks. The code is split by concern into
// mainform_<concern>.cpp files, each with its block below.
#include <QFrame>
#include <QMainWindow>
#include <QPixmap>
#include <functional>
#include <span>
#include <vector>

#include "engine/session/frame_rules.h"
#include "engine/session/mainform_core.h"
#include "platform/qt/printer.h"

class QAction;
class QCheckBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPainter;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableWidget;
class QTextBrowser;
class QTimer;
class QToolBar;
class QToolButton;

namespace kivra {

class TPlot;
class TReactPanel;
class TSensTab;
class TSpecPanel;

// A plain panel that reports its resizes (the plot panel, the Monte Carlo
// panel, the model page).
class TPanel : public QFrame {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);
    std::function<void(TPanel*)> OnResize;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

class TMainForm : public QMainWindow, public TMainFormCore {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // ==== frame (mainform_frame.cpp) ==============================================
    // Tool buttons (short hint as tool tip, long hint in status panel 0). The
    // commands behind them connect themselves where they are implemented.
    QToolBar* CoolBar = nullptr;
    QToolButton* NewButton = nullptr;
    QToolButton* OpenButton = nullptr;
    QToolButton* SaveButton = nullptr;
    QToolButton* PrintButton = nullptr;
    QToolButton* NewSensButton = nullptr;
    QToolButton* RunModelButton = nullptr;
    QToolButton* RunFitButton = nullptr;
    QToolButton* ResidualButton = nullptr;
    QToolButton* HelpButton = nullptr;

    // Menus and their items.
    QMenu* FileMenu = nullptr;
    QAction* FileNewItem = nullptr;
    QAction* FileOpenItem = nullptr;
    QAction* FileSaveItem = nullptr;
    QAction* FilePrintItem = nullptr;
    QAction* FilePrintSetupItem = nullptr;
    QAction* FileExitItem = nullptr;
    QMenu* DataMenu = nullptr;
    QAction* DataAddPageItem = nullptr;
    QAction* DataDeletePageItem = nullptr;
    QAction* DataResidualsItem = nullptr;
    QMenu* RunMenu = nullptr;
    QAction* RunSimulationItem = nullptr;
    QAction* RunFitItem = nullptr;
    QAction* RunMonteItem = nullptr;
    QAction* RunAddNoiseItem = nullptr;
    QAction* RunKmCalcItem = nullptr;
    QAction* RunSmoothItem = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* HelpContentsItem = nullptr;
    QAction* HelpAboutItem = nullptr;

    // The popup menu of every plot.
    QMenu* PlotPopup = nullptr;
    QAction* ZoomInItem = nullptr;
    QAction* ZoomOutItem = nullptr;
    QAction* MaximizeItem = nullptr;
    QAction* SingleCurveItem = nullptr;
    QAction* NextCurveItem = nullptr;
    QAction* ResidualsItem = nullptr;
    QAction* EditCurveItem = nullptr;

    // Pages: Model, Plot, Results (hidden at start), Monte Carlo (hidden at
    // start), then one TSensTab per data page.
    QTabWidget* PageHolder = nullptr;
    TPanel* ModelPage = nullptr;
    QWidget* PlotPage = nullptr;
    QWidget* ResultPage = nullptr;
    QWidget* MontePage = nullptr;
    // Parent of the Monte Carlo page's content (filled by the Monte Carlo run).
    TPanel* MontePanel = nullptr;
    TPanel* PlotPanel = nullptr;

    TSpecPanel* SpecPanel = nullptr;
    QWidget* ModelSplitter = nullptr;
    TReactPanel* ReactPanel = nullptr;

    // Status line: 0 hints and status texts, 1 "Ssq:", 2 the gauge, 3 empty.
    QStatusBar* StatusLine = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QLabel* StatusPanel1 = nullptr;
    QWidget* StatusGauge = nullptr;
    QLabel* StatusPanel3 = nullptr;

    // Common dialogs.
    QFileDialog* ModelOpenDlg = nullptr;
    QFileDialog* ModelSaveDlg = nullptr;
    QFileDialog* DataOpenDlg = nullptr;
    QFileDialog* DataSaveDlg = nullptr;
    QFileDialog* MonteSaveDlg = nullptr;
    QFileDialog* ReportSaveDlg = nullptr;

    QTimer* SplashTimer = nullptr;
    QTimer* IdleTimer = nullptr;
    bool SplashDone = false;

    // Each data page's overview plot, in page order; owned by the pages.
    std::vector<TPlot*> Plots;

    // The data page at position i as a widget.
    TSensTab* SensPage(int i);
    // What the page control shows, and the data page shown (null otherwise).
    PageKind ActivePageKind() const;
    TSensTab* ActiveSensPage() const;

    // Handlers.
    void ApplicationIdle();
    void ApplicationHint(const QString& hint);
    void FileMenuClick();
    void DataMenuClick();
    void RunMenuClick();
    void ApplyEnabling();
    void ModelSplitterCanResize(QObject* sender, int& newSize, bool& accept);
    void SpecPanelNameChange(int line, const std::string& name);
    void SpecPanelSpecScroll(int firstLine);
    void FormResize();
    void PageHolderChanging(QWidget* leaving);
    void PlotResize();
    void StatusLineDrawPanel(QPainter& painter, const QRect& rect);
    void SplashTimerTimer();
    // Gives every data page the model page's species panel height.
    void SetSpecPanelHeights(int height);
    // Lays the model page out: species panel, splitter, reactions panel.
    void ModelPageResize();

    void SetStatusText(const std::string& text) override;
    void SetSsqText(const std::string& text) override;
    void ShowModel(TModelData& model, bool fitting, double x) override;

    // ==== results page (mainform_results.cpp) ====================================
    QFrame* ResultPanelTop = nullptr;
    QFrame* ResultPanelLeft = nullptr;
    QFrame* ResultPanelRight = nullptr;
    QFrame* ResultPanelBottom = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* TimeLabel = nullptr;
    QLabel* NumParamLabel = nullptr;
    QLabel* NumPointsLabel = nullptr;
    QLabel* ChisqLabel = nullptr;
    QLabel* DataFileHeader = nullptr;
    QLabel* FileLabels[MaxSets] = {};
    QTableWidget* ResultGrid = nullptr;

    // Sizes the margins so that the grid fits its contents.
    void ArrangeResults();
    void ResultGridDrawCell(QPainter& painter, int col, int row, const QRect& rect);

    // ==== model list (mainform_modellist.cpp) ====================================
    QListWidget* ModelList = nullptr;
    QPixmap ContractedBmp, ContractedFitBmp, ExpandedBmp;

    void ModelListDrawItem(QPainter& painter, int index, const QRect& rect);
    void ModelListClick(int index);
    // Tiles the controls in the parent, or shows control index alone.
    void ArrangePlots(std::span<QWidget* const> controls, QWidget* parent, int index);
    template <class List>
    void ArrangePlots(const List& controls, QWidget* parent, int index) {
        std::vector<QWidget*> widgets(std::begin(controls), std::end(controls));
        ArrangePlots(std::span<QWidget* const>(widgets), parent, index);
    }

    // ==== run commands: simulation, fit, noise, smoothing (mainform_run.cpp) ======
    void ConnectRunCommands();
    // Smooth...: the program-wide smoothing dialog on the active data page.
    void RunSmoothItemClick();
    // While a run goes the panels and the injection buttons take no edits.
    void ApplyRunLock();

protected:
    PageKind ActiveTab() const override { return ActivePageKind(); }
    int ActiveDataPage() const override;
    void RepaintStatus() override;
    bool AskNewSet(TNewSetAnswer& answer) override;
    bool AskNoise(std::string& noiseText) override;
    bool AskSmooth(int& windowSize, int& order) override;
    void BusyChanged() override;

public:

    // ==== model files (mainform_modelfile.cpp) ====================================
    void ConnectModelFileCommands();

    // ==== Monte Carlo page and run (mainform_monte.cpp) ===========================
    void ConnectMonteCommands();
    // The settings above the histograms.
    QFrame* Panel1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* NumCyclesBox = nullptr;
    QLineEdit* MaxIterBox = nullptr;
    QLineEdit* VariationBox = nullptr;
    QCheckBox* AddNoiseCheck = nullptr;
    QLineEdit* AddNoiseBox = nullptr;
    QPushButton* RunMonteButton = nullptr;
    // The Run menu's Monte Carlo item: shows the page.
    void RunMonte();
    void MontePanelResize();
    // The histograms as the widgets they are.
    std::vector<QWidget*> HistogramWidgets() const;

    // ==== printed report (mainform_report.cpp) ====================================
    void ConnectReportCommands();
    // "&Print..." and the Print button: the report options, then the report
    // on the report's printer. Nothing while a run is going.
    void FilePrint();
    // The printer set-up: a printer of the system or a PDF file.
    void PrintSetupDialog();
    // The printer of the report, made when first needed.
    Printer& ReportPrinter();
    std::unique_ptr<Printer> PrinterObj;

    // ==== file, data, help and plot popup commands (mainform_commands.cpp) ========
    // While a fit or Monte Carlo run is going, every command here that would
    // change, replace, free or write the data it uses does nothing.
    void ConnectCommands();
    // New: on the model page discards the model, on a data page makes a new
    // synthetic data set.
    void FileNew();
    // Open and Save by the page shown. The status line reads "Loading" or
    // "Saving" meanwhile and "Done" only when the file was read or written.
    void FileOpen();
    void FileSave();
    void FileExit();
    void DataAddPage();
    void DataDeletePage();
    void DataResiduals();
    void HelpContents();
    void HelpAbout();
    // Asks whether to discard the model; on Yes empties the panels, the
    // model list and every page's simulation. True when discarded.
    bool DiscardModel();
    // Asks for a data file and loads it into the data page shown; true when loaded.
    bool LoadData();
    // Asks which traces of the data page shown to save and where, and writes
    // them; true when a file was written and none failed.
    bool SaveData();

    // The plot popup: enabling on opening, and its items.
    void PlotPopupPopup();
    void ZoomInClick();
    void ZoomOutClick();
    void MaximizeClick();
    void ShowSingleClick();
    void NextCurveClick();
    void ShowResidualsClick();
    void EditCurveClick();
    // The plot the popup was opened on; null when it is none of the pages' plots.
    TPlot* PopupPlot() const;
    // What Edit Curve hands to the page's RunInjDlg for plot p: -(k + 2) for
    // the curve k it shows or the curve nearest a selection (which it then
    // shows), else -1 for all curves.
    static int EditCurveTarget(TPlot& p);
    // The help, "Kivra99.html", as installed beside the program or in the
    // source tree; empty when neither exists.
    static QString HelpFileName();
    // The help window, made when the help is first asked for.
    QTextBrowser* HelpWindow = nullptr;

    // ==== km calculator (mainform_km.cpp) =========================================
    void kmCalculatorClick();
    void ConnectKmCommands();

protected:
    // ---- hooks of the core (frame) ----
    std::unique_ptr<TSensTabCore> MakePage() override;
    void PagesChanged() override;
    void PageRemoving(TSensTabCore& page) override;
    bool ReadPanels(TModelData& model) override;
    void ProcessMessages() override;
    void WritePanels(const TModelData& model) override;
    void PanelsSetFitResults(const TModelData& model) override;
    void ShowModelPage() override;
    void ShowPlotPage() override;
    void ShowDataPage(int i) override;
    void Beep() override;
    bool AskFileName(FileDialog which, std::string& fileName) override;
    // ---- results, model list ----
    void ResultsChanged() override;
    void ModelListChanged() override;
    // ---- Monte Carlo ----
    void ReadMonteBoxes() override;
    void SetMonteButtonCaption(const std::string& caption) override;
    void FocusMonteBox(TMonteBox box) override;
    std::unique_ptr<THistogramCore> MakeHistogram(int capacity, const std::string& title) override;
    void HistogramsChanged() override;

    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildActions();
    void BuildToolBar();
    void BuildStatusLine();
    void BuildPages();
    void BuildDialogs();
    void BuildResultPage();
    void BuildPlotPage();
    void FormDestroy();
    // Nesting of ProcessMessages: a deferred close waits until it is 0.
    int MessageDepth = 0;
    QTimer* CloseTimer = nullptr;
    // The close asks about unsaved work (see eventFilter).
    bool AskingToClose = false;
    // The page shown before the current one (Qt reports only the new one).
    QWidget* ShownPage = nullptr;
    // The user's click or key on the tabs is being handled.
    bool UserPageInput = false;
};

// The program's forms, set by the start-up.
extern TMainForm* MainForm;

} // namespace kivra
