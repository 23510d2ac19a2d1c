#pragma once
// The data page as a tab page: the data set lives in TSensTabCore; this half
// shows it: the species panel for the set's local species above a splitter,
// the left panel with the file name, counts and injection buttons, and the
// plots of the curves.
#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "engine/dataset/senstab_core.h"

class QFrame;
class QLabel;
class QToolButton;

namespace kivra {

class TPlot;
class TSpecPanel;

class TSensTab : public QWidget, public TSensTabCore {
    Q_OBJECT
public:
    explicit TSensTab(QWidget* parent = nullptr);
    ~TSensTab() override;

    void ClearDisplay() override;
    void LabelsChanged() override;
    void UpdateInjPics() override;
    void DataArraysChanged() override;
    void DataLoaded() override;
    // A model file's set block: the species panel shows the model, the plots
    // the data and the simulation as the block says.
    void SetBlockRead(const TModelData& model) override;

    // The species panel's controls go back to their first state; the page no
    // longer shows a simulation.
    void ClearModel();
    // Writes this set's local species from the page's species panel into its
    // row of the record, and shows the model's other species read-only.
    void GetPanelSpecies(TModelData& model) override;
    // Both plots show the new simulation.
    void SimulationChanged() override;
    // The species panel shows the fitted local values, then the injection
    // labels the fitted times.
    void SetFitResults(TModelData& model) override;

    // Handler of the edit button (tag -1) and the six slot buttons (tag = slot).
    void InjButtonClick(int tag);
    // The dialog's edits show in both plots afterwards.
    bool RunInjDlg(int inj) override;
    // The injection dialog, centred on the screen and modal.
    bool EditInjections(TInjHandOff& h, int inj) override;

    // The species panel's height; setting it moves the splitter.
    int GetSplitterPos() const;
    void SetSplitterPos(int height);
    // The splitter was dragged to give the species panel newSize pixels. The
    // main window snaps the size and sizes every page alike.
    void SplitterResize(int& newSize, bool& accept);
    std::function<void(TSensTab* sender, int& newSize, bool& accept)> OnSplitterResize;

    // The plot keeps at least this width while the left panel grows for a long
    // file name or a large font.
    static constexpr int MinPlotWidth = 250;
    // The height at which the species panel has its first height and the
    // left panel shows all six injection buttons whole.
    static int MinimumHeight();

    // Resource name of the picture a slot button shows ("INJ1EMPTY" ...).
    QString InjPicture(int j) const;

    TSpecPanel* SpecPanel = nullptr;
    TPlot* PagePlot = nullptr;
    // Owned but not parented: the main window parents and shows it on its
    // plot page. The pointer clears itself should that parent delete it first.
    QPointer<TPlot> OverviewPlot;
    QWidget* Splitter = nullptr;
    QFrame* LeftPanel = nullptr;
    QLabel* FileNameText = nullptr;
    QLabel* NumCurvesLabel = nullptr;
    QLabel* NumPointsLabel = nullptr;
    QLabel* InjLabels[MaxInj] = {};
    QToolButton* EditDataButton = nullptr;
    QToolButton* InjButtons[MaxInj] = {};

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceControls();
    // The labels under the file name, which show counts and injection times.
    std::vector<QLabel*> CountLabels() const;
    // The left panel's width at which every label shows its text whole.
    int LeftPanelNeed() const;
    // Both plots, the overview plot only while it exists.
    void ForEachPlot(const std::function<void(TPlot&)>& f);
    // Both plots borrow no arrays.
    void DetachPlots();
    void SetButtonPicture(QToolButton* button, const QString& resource);
};

} // namespace kivra
