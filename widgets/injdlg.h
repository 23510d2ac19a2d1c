#pragma once
// The injection properties dialog, also the "Edit Data Set" dialog: the rows,
// buttons and data editing live in TInjEditCore; this half shows them with a
// plot of the curves, the time lines' track bars and the page's controls.
#include <QDialog>
#include <functional>
#include <vector>

#include "engine/dataset/inj_edit.h"
#include "widgets/radio_group.h"

class QAction;
class QCheckBox;
class QFrame;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolButton;

namespace kivra {

class TPlot;
class TPlotTrack;

class TInjDlg : public QDialog, public TInjEditCore {
    Q_OBJECT
public:
    TInjDlg(QWidget* Owner, double** Time, double** Data, int NumCurves, int* PointCount,
            int** PointFlags, bool* Excluded, double* InjStart, double* InjStop, double* RefIndex,
            bool* FitRefIndex, double* InjConc, int* StartFitMode, int* StopFitMode, double* Offset,
            double* Flow, double* StockConc, bool* FitStock, bool* StockGlobal, double* FracNum,
            double* FracDen, bool* ConcIsFraction, int Inj);
    // Over a page and the copies it handed over.
    TInjDlg(QWidget* owner, TSensTabCore& page, TInjHandOff& h, int inj);

    // Places the time lines and track bars for the shown curve.
    void UpdateTimeLines();

    // ---- handlers -------------------------------------------------------------------
    void PlotCurveChange(TPlot* sender, int oldCurve, int& newCurve);
    void CurveButtonClick(int row);
    void RowControlEnter(int row);
    void UpButtonClick() { ScrollBy(-1); }
    void DownButtonClick() { ScrollBy(1); }
    void ScrollButtonMouseDown(int direction);
    void ScrollButtonMouseUp();
    void ButtonTimerTimer();
    void PlotPopupPopup();
    void ZoomInClick();
    void ZoomOutClick();
    void ShowSingleClick();
    void NextCurveClick();
    void StartTrackChange(int position) { TrackChange(false, position); }
    void StopTrackChange(int position) { TrackChange(true, position); }
    void TrackMouseUp();
    void StartEditChange(int row);
    void StopEditChange(int row);
    void RIEditChange(int row);
    void ExcCheckClick(int row);
    void PageControlChange();
    void SetAllButtonClick();
    void SubtractTimeButtonClick();
    void SubtractRIButtonClick();
    void FitAllRiButtonClick();
    void ToConcButtonClick();
    void ToFracButtonClick();
    void OKBtnClick();
    void KeepBoxEnter();
    void KeepGroupClick();
    void ExcButtonClick() { MarkButtonClick(false); }
    void IncButtonClick() { MarkButtonClick(true); }
    void ZeroPointsButtonClick();
    void ZeroCursorButtonClick();

    // ---- controls ---------------------------------------------------------------------
    QTabWidget* PageControl = nullptr;
    QWidget* ConcPage = nullptr;
    QWidget* TimePage = nullptr;
    QWidget* RIPage = nullptr;
    QWidget* EditPage = nullptr;
    QWidget* FlowPage = nullptr;
    QFrame* Panel1 = nullptr;
    QLineEdit* StockConcBox = nullptr;
    QCheckBox* FitStockCheck = nullptr;
    QCheckBox* GlobalStockCheck = nullptr;
    QPushButton* ToConcButton = nullptr;
    QPushButton* ToFracButton = nullptr;
    QPushButton* SetAllButton = nullptr;
    QPushButton* SubtractTimeButton = nullptr;
    TRadioGroup* StartGroup = nullptr;
    TRadioGroup* StopGroup = nullptr;
    QPushButton* SubtractRIButton = nullptr;
    QPushButton* FitAllRiButton = nullptr;
    QPushButton* ZeroPointsButton = nullptr;
    QPushButton* ZeroCursorButton = nullptr;
    QPushButton* ExcButton = nullptr;
    QPushButton* IncButton = nullptr;
    TRadioGroup* KeepGroup = nullptr;
    QLineEdit* KeepBox = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QFrame* StartColor = nullptr;
    QFrame* StopColor = nullptr;
    QFrame* ButtonParent = nullptr;
    QToolButton* UpButton = nullptr;
    QToolButton* DownButton = nullptr;
    QFrame* PlotPanel = nullptr;
    TPlot* Plot = nullptr;
    QMenu* PlotPopup = nullptr;
    QAction* ZoomInItem = nullptr;
    QAction* ZoomOutItem = nullptr;
    QAction* ShowSingleItem = nullptr;
    QAction* NextCurveItem = nullptr;
    QTimer* ButtonTimer = nullptr;
    TPlotTrack* StartTrack = nullptr;
    TPlotTrack* StopTrack = nullptr;

    QToolButton* CurveButton[MaxInjRows] = {};
    QLineEdit* ConcEdit[MaxInjRows] = {};
    QLineEdit* StartEdit[MaxInjRows] = {};
    QLineEdit* StopEdit[MaxInjRows] = {};
    QLineEdit* RIEdit[MaxInjRows] = {};
    QCheckBox* RIFitCheck[MaxInjRows] = {};
    QLineEdit* FlowEdit[MaxInjRows] = {};
    QCheckBox* ExcCheck[MaxInjRows] = {};

    int RepeatDirection = 0;  // auto-repeat of the scroll buttons: 0 none, 1 up, 2 down
    bool LinesMoved = false;

protected:
    void RowsFilled() override;
    void ConcRefused(int row) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Enlarged by the user, the plot grows with the dialog; the track bars and
    // their swatches stay under it, OK and Cancel in the corner, and the
    // page's controls where they are.
    void resizeEvent(QResizeEvent* event) override;

private:
    void Build();
    void BuildPages();
    void BuildRows();
    void ScrollBy(int delta);
    void StopRepeat();
    void TrackChange(bool stop, int position);
    void MarkButtonClick(bool undelete);
    // Each row button is down exactly while its curve is shown alone.
    void SyncButtons();
    // The row's control on the page in front.
    QWidget* RowControl(int row) const;
    TSelection Selection() const;
    int PlotLeft() const;
    void SetTrack(TPlotTrack* track, int linePos);
    bool ShowsOneCurve() const;
    // Where resizeEvent puts a control: its place in the dialog as built,
    // moved or stretched by what the dialog grew.
    enum : int { GrowWidth = 1, GrowHeight = 2, FollowRight = 4, FollowBottom = 8 };
    struct TAnchor {
        QWidget* Control;
        QRect Built;
        int How;
    };
    std::vector<TAnchor> Anchors;
    QSize BuiltSize;
};

} // namespace kivra
