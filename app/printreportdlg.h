#pragma once
// The options of the printed report: which sections, how the plots are laid
// out, which parts of the model, of the fit results and of the Monte Carlo
// results, and the pens. Made once at start-up; it keeps its entries from one
// print to the next and, when given a store, from one run of the program to
// the next.
#include <QDialog>
#include <QGroupBox>
#include <QSettings>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "engine/report/report_settings.h"
#include "widgets/radio_group.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace kivra {

class TPrintReportDlg : public QDialog {
    Q_OBJECT
public:
    // With a store the dialog starts with the choices stored there and keeps
    // each choice confirmed with OK in it.
    explicit TPrintReportDlg(QWidget* owner = nullptr, std::unique_ptr<QSettings> store = nullptr);
    ~TPrintReportDlg() override;

    // The user's settings of the program.
    static std::unique_ptr<QSettings> ProgramStore();

    QTabWidget* Tabs = nullptr;
    QWidget* ReportSheet = nullptr;
    QWidget* PlotSheet = nullptr;
    QWidget* ModelSheet = nullptr;
    QWidget* ResultSheet = nullptr;
    QWidget* MonteSheet = nullptr;
    QWidget* OptionSheet = nullptr;

    QLabel* IncludeLabel = nullptr;
    QCheckBox* PlotCheck = nullptr;
    QCheckBox* ModelCheck = nullptr;
    QCheckBox* ResultCheck = nullptr;
    QCheckBox* MonteCheck = nullptr;
    QCheckBox* TimeCheck = nullptr;

    TRadioGroup* PlotGroup = nullptr;
    TRadioGroup* ResidualGroup = nullptr;
    TRadioGroup* DataSimGroup = nullptr;

    QCheckBox* SpeciesCheck = nullptr;
    QCheckBox* ReactionCheck = nullptr;
    QCheckBox* InjConcCheck = nullptr;
    QCheckBox* RefIndexCheck = nullptr;

    QCheckBox* FitCheck = nullptr;
    QCheckBox* CorrelationCheck = nullptr;

    QCheckBox* MonteReportCheck = nullptr;
    QCheckBox* MonteGraphCheck = nullptr;

    QCheckBox* UseColorCheck = nullptr;
    QCheckBox* CopyFormatCheck = nullptr;
    QLabel* AxisWidthLabel = nullptr;
    QLineEdit* AxisWidthBox = nullptr;
    QLabel* LineWidthLabel = nullptr;
    QLineEdit* LineWidthBox = nullptr;

    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* SetupButton = nullptr;

    // The main window's printer set-up, run by "Print Setup".
    std::function<void()> OnPrintSetup;

    // Each section's tab is shown exactly while its box is ticked.
    void ModelCheckClick();
    void PlotCheckClick();
    void ResultCheckClick();
    void MonteCheckClick();
    void SetupButtonClick();

    // "Fit results" and "Monte Carlo results" follow the main window: ticked
    // and enabled while its page's tab is shown, else unticked and disabled.
    void FollowPages(bool resultsShown, bool monteShown);

    // The paper confirmed in Print Setup, kept at once for the next print.
    void KeepPaper(int width, int height, bool landscape);

    TReportSettings Settings() const;
    void SetSettings(const TReportSettings& s);
    void LoadSettings(QSettings& store);
    void SaveSettings(QSettings& store) const;

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowSheet(QWidget* sheet, bool shown);
    // Every sheet with its tab's caption, in the tab bar's order, and the
    // dialog's size with all of them in the bar.
    std::vector<std::pair<QWidget*, QString>> Sheets;
    QSize Designed;
    std::unique_ptr<QSettings> Store;
    int PaperWidth = 0, PaperHeight = 0;  // points; 0 x 0: the printer's own
    bool Landscape = false;
};

// The program's report options dialog, made at start-up.
extern TPrintReportDlg* PrintReportDlg;

} // namespace kivra
