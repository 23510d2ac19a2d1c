#include "widgets/injdlg.h"

#include <QAction>
#include <QCheckBox>
#include <QFocusEvent>
#include <QFrame>
#include <QLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "widgets/edit_box.h"
#include "widgets/plot.h"

namespace kivra {
namespace {

constexpr int FormWidth = 599;
constexpr int FormHeight = 386;
// The form's controls below the tabs stand where a tab row of this height puts them.
constexpr int DesignTabTop = 24;
// A page's left edge in the form, and the room kept before the plot.
constexpr int PageInset = 4 + 4;
// Room kept below and right of a page's lowest and rightmost control, and below OK.
constexpr int PageMargin = 4;
constexpr int FootMargin = 9;
constexpr int RowTop = 26;
constexpr int RowStep = 21;
constexpr int TrackMax = 343;
// The track bar's thumb centre lies this far right of its left edge at position 0.
constexpr int TrackInset = 7;

const QColor Lime(0, 255, 0);
const QColor Red(255, 0, 0);
const QColor SilverColour(192, 192, 192);

// Places a control; one that shows text grows to fit it in the desktop's font.
template <class W>
W* Place(W* w, int x, int y, int width, int height) {
    const QSize hint = w->sizeHint();
    w->setGeometry(x, y, std::max(width, hint.width()), std::max(height, hint.height()));
    return w;
}

QPushButton* MakeButton(QWidget* parent, const char* caption, int x, int y, int width = 75) {
    return Place(new QPushButton(QString::fromLatin1(caption), parent), x, y, width, 25);
}

QLabel* MakeLabel(QWidget* parent, const char* caption, int x, int y) {
    return Place(new QLabel(QString::fromLatin1(caption), parent), x, y, 0, 13);
}

// The design's groups are tight around their items.
TRadioGroup* MakeGroup(QWidget* parent, const char* caption, std::initializer_list<const char*> items, int x, int y,
                       int width, int height) {
    auto* group = new TRadioGroup(QString::fromLatin1(caption), items, 0, parent);
    group->layout()->setContentsMargins(6, 2, 6, 2);
    group->layout()->setSpacing(1);
    return Place(group, x, y, width, height);
}

QLineEdit* MakeRowEdit(QWidget* parent, int left, int row) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(left, RowTop + RowStep * row, 71, 19);
    return edit;
}

QCheckBox* MakeRowCheck(QWidget* parent, int left, int row) {
    return Place(new QCheckBox(parent), left, RowTop + RowStep * row, 21, 19);
}

// A panel holding captioned controls grows to hold them all.
void GrowToFit(QWidget* panel, int margin) {
    const QRect r = panel->childrenRect();
    panel->resize(std::max(panel->width(), r.right() + 1 + margin), std::max(panel->height(), r.bottom() + 1 + margin));
}

// A control whose neighbour on the left grew stands clear of it.
void Beside(const QWidget* left, QWidget* right, int gap) {
    right->move(std::max(right->x(), left->geometry().right() + 1 + gap), right->y());
}

void SetSwatch(QFrame* swatch, const QColor& colour) {
    QPalette p = swatch->palette();
    p.setColor(QPalette::Window, colour);
    swatch->setPalette(p);
}

std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }

} // namespace

// ---- construction ----------------------------------------------------------------------

TInjDlg::TInjDlg(QWidget* Owner, double** Time, double** Data, int NumCurves, int* PointCount,
                 int** PointFlags, bool* Excluded, double* InjStart, double* InjStop, double* RefIndex,
                 bool* FitRefIndex, double* InjConc, int* StartFitMode, int* StopFitMode, double* Offset,
                 double* Flow, double* StockConc, bool* FitStock, bool* StockGlobal, double* FracNum,
                 double* FracDen, bool* ConcIsFraction, int Inj)
    : QDialog(Owner),
      TInjEditCore(Time, Data, NumCurves, PointCount, PointFlags, Excluded, InjStart, InjStop, RefIndex,
                   FitRefIndex, InjConc, StartFitMode, StopFitMode, Offset, Flow, StockConc, FitStock,
                   StockGlobal, FracNum, FracDen, ConcIsFraction, Inj) {
    Build();
}

TInjDlg::TInjDlg(QWidget* owner, TSensTabCore& page, TInjHandOff& h, int inj)
    : QDialog(owner), TInjEditCore(page, h, inj) {
    Build();
}

void TInjDlg::Build() {
    setWindowTitle(QStringLiteral("Injection Properties"));
    PageControl = new QTabWidget(this);
    BuildPages();

    // The form's own controls lie over the pages.
    OKBtn = MakeButton(this, "OK", 411, 352);
    OKBtn->setDefault(true);
    CancelBtn = MakeButton(this, "Cancel", 491, 352);
    StartColor = new QFrame(this);
    StartColor->setGeometry(218, 310, 21, 15);
    StopColor = new QFrame(this);
    StopColor->setGeometry(218, 328, 21, 15);
    for (QFrame* swatch : {StartColor, StopColor}) {
        swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
        swatch->setAutoFillBackground(true);
        SetSwatch(swatch, SilverColour);
    }

    ButtonParent = new QFrame(this);
    ButtonParent->setGeometry(12, 25, 26, 231);
    UpButton = new QToolButton(ButtonParent);
    UpButton->setArrowType(Qt::UpArrow);
    UpButton->setGeometry(3, 8, 21, 20);
    DownButton = new QToolButton(ButtonParent);
    DownButton->setArrowType(Qt::DownArrow);
    DownButton->setGeometry(3, 193, 21, 20);
    for (QToolButton* b : {UpButton, DownButton}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->hide();
    }

    PlotPanel = new QFrame(this);
    PlotPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PlotPanel->setGeometry(216, 27, 376, 277);
    Plot = new TPlot(PlotPanel);
    Plot->setGeometry(1, 2, 372, 271);
    PlotPopup = new QMenu(this);
    ZoomInItem = PlotPopup->addAction(QStringLiteral("Zoom In"));
    ZoomOutItem = PlotPopup->addAction(QStringLiteral("Zoom Out"));
    PlotPopup->addSeparator();
    ShowSingleItem = PlotPopup->addAction(QStringLiteral("Show Single"));
    ShowSingleItem->setCheckable(true);
    NextCurveItem = PlotPopup->addAction(QStringLiteral("Next Curve"));
    Plot->SetPopupMenu(PlotPopup);
    Plot->SetDataPtrs(NumCurves, Data, nullptr, Time, PointFlags, Excluded, PointCount, InjStart, InjStop,
                      RefIndex);
    Plot->SetShowData(true);
    Plot->SetCurve(-1);
    Plot->OnCurveChange = [this](TPlot* sender, int oldCurve, int& newCurve) {
        PlotCurveChange(sender, oldCurve, newCurve);
    };
    // A new picture places the lines anew: the thumbs follow them.
    Plot->OnPainted = [this] {
        if (!StartTrack || !ShowsOneCurve()) return;
        SetTrack(StartTrack, Plot->GetStartPos());
        SetTrack(StopTrack, Plot->GetStopPos());
    };

    StartTrack = new TPlotTrack(this);
    StartTrack->setGeometry(239, 309, 357, 21);
    StopTrack = new TPlotTrack(this);
    StopTrack->setGeometry(239, 327, 357, 21);
    for (TPlotTrack* track : {StartTrack, StopTrack}) {
        track->setRange(0, TrackMax);
        track->setSingleStep(1);
        track->setPageStep(1);
        track->setTickPosition(QSlider::NoTicks);
        track->setEnabled(false);
        track->installEventFilter(this);
    }
    connect(StartTrack, &QSlider::valueChanged, this, [this](int v) { StartTrackChange(v); });
    connect(StopTrack, &QSlider::valueChanged, this, [this](int v) { StopTrackChange(v); });

    ButtonTimer = new QTimer(this);
    ButtonTimer->setInterval(500);

    RepeatDirection = 0;
    if (NumCurves > MaxInjRows) {
        UpButton->show();
        DownButton->show();
    }
    BuildRows();
    FillRows();

    StartGroup->SetItemIndex(*StartFitMode);
    StopGroup->SetItemIndex(*StopFitMode);
    FillBox(StockConcBox, QString::fromStdString(StockText));
    FitStockCheck->setChecked(*FitStock);
    GlobalStockCheck->setChecked(*StockGlobal);

    // A taller tab row than the design's moves everything under it down; pages
    // whose controls grew wider than the design's move the plot side right;
    // pages whose controls reach below their room make the form taller, OK and
    // Cancel staying at its foot.
    const int tabTop = PageControl->tabBar()->sizeHint().height();
    const int down = std::max(0, tabTop - DesignTabTop);
    int pagesRight = 0;
    for (QWidget* page : {ConcPage, TimePage, RIPage, EditPage, FlowPage}) {
        const QRect used = page->childrenRect();
        pagesRight = std::max(pagesRight, used.right() + 1);
        page->setMinimumSize(used.right() + 1 + PageMargin, used.bottom() + 1 + PageMargin);
    }
    const int right = std::max(0, pagesRight + PageInset - PlotPanel->x());
    const int taller = std::max(0, PageControl->minimumSizeHint().height() - (FormHeight + down));
    for (QWidget* w : std::initializer_list<QWidget*>{OKBtn, CancelBtn, StartColor, StopColor, PlotPanel,
                                                      StartTrack, StopTrack})
        w->move(w->x() + right, w->y() + down);
    for (QWidget* w : {OKBtn, CancelBtn}) w->move(w->x(), w->y() + taller);
    ButtonParent->move(ButtonParent->x(), ButtonParent->y() + down);
    const int formHeight = std::max(FormHeight + down + taller, OKBtn->geometry().bottom() + 1 + FootMargin);
    PageControl->setGeometry(0, 0, FormWidth + right, formHeight);
    BuiltSize = QSize(FormWidth + right, formHeight);
    for (QWidget* w : {static_cast<QWidget*>(PlotPanel), static_cast<QWidget*>(Plot)})
        Anchors.push_back({w, w->geometry(), GrowWidth | GrowHeight});
    for (QWidget* w : {static_cast<QWidget*>(StartTrack), static_cast<QWidget*>(StopTrack)})
        Anchors.push_back({w, w->geometry(), GrowWidth | FollowBottom});
    for (QWidget* w : {StartColor, StopColor}) Anchors.push_back({w, w->geometry(), FollowBottom});
    for (QWidget* w : {OKBtn, CancelBtn}) Anchors.push_back({w, w->geometry(), FollowRight | FollowBottom});
    setMinimumSize(BuiltSize);
    resize(BuiltSize);

    if (Inj < 0) {
        setWindowTitle(QStringLiteral("Edit Data Set"));
        for (QWidget* page : {ConcPage, TimePage, RIPage, FlowPage}) PageControl->setTabVisible(PageControl->indexOf(page), false);
        Plot->SetTimeLines(false);
        PageControl->setCurrentWidget(EditPage);
        Plot->SetCurve(-Inj - 2);
    } else {
        setWindowTitle(QStringLiteral("Injection %1 Properties").arg(Inj + 1));
        Plot->SetTimeLines(true);
        PageControl->setTabVisible(PageControl->indexOf(EditPage), false);
    }
    connect(PageControl, &QTabWidget::currentChanged, this, [this] { PageControlChange(); });

    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(UpButton, &QToolButton::clicked, this, [this] { UpButtonClick(); });
    connect(DownButton, &QToolButton::clicked, this, [this] { DownButtonClick(); });
    connect(UpButton, &QToolButton::pressed, this, [this] { ScrollButtonMouseDown(1); });
    connect(DownButton, &QToolButton::pressed, this, [this] { ScrollButtonMouseDown(2); });
    connect(UpButton, &QToolButton::released, this, [this] { ScrollButtonMouseUp(); });
    connect(DownButton, &QToolButton::released, this, [this] { ScrollButtonMouseUp(); });
    connect(ButtonTimer, &QTimer::timeout, this, [this] { ButtonTimerTimer(); });
    connect(PlotPopup, &QMenu::aboutToShow, this, [this] { PlotPopupPopup(); });
    connect(ZoomInItem, &QAction::triggered, this, [this] { ZoomInClick(); });
    connect(ZoomOutItem, &QAction::triggered, this, [this] { ZoomOutClick(); });
    connect(ShowSingleItem, &QAction::triggered, this, [this] { ShowSingleClick(); });
    connect(NextCurveItem, &QAction::triggered, this, [this] { NextCurveClick(); });
    connect(StockConcBox, &QLineEdit::textEdited, this, [this](const QString& t) { StockText = t.toStdString(); });

    UpdateTimeLines();
}

void TInjDlg::BuildPages() {
    ConcPage = new QWidget;
    TimePage = new QWidget;
    RIPage = new QWidget;
    EditPage = new QWidget;
    FlowPage = new QWidget;
    PageControl->addTab(ConcPage, QStringLiteral("Conc"));
    PageControl->addTab(TimePage, QStringLiteral("Time"));
    PageControl->addTab(RIPage, QStringLiteral("Ref Index"));
    PageControl->addTab(EditPage, QStringLiteral("Edit Data"));
    PageControl->addTab(FlowPage, QStringLiteral("Flow"));

    MakeLabel(ConcPage, "Conc", 40, 9);
    Panel1 = new QFrame(ConcPage);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setGeometry(18, 253, 178, 91);
    MakeLabel(Panel1, "Stock Conc.", 17, 8);
    MakeLabel(Panel1, "Fit", 106, 8);
    MakeLabel(Panel1, "All sets", 136, 8);
    StockConcBox = new QLineEdit(Panel1);
    StockConcBox->setGeometry(17, 25, 84, 21);
    FitStockCheck = Place(new QCheckBox(Panel1), 108, 27, 17, 17);
    GlobalStockCheck = Place(new QCheckBox(Panel1), 142, 27, 17, 17);
    WidenColumn({StockConcBox}, LongestValue, nullptr, {Panel1});
    ToConcButton = MakeButton(Panel1, "To Conc", 14, 57, 72);
    ToFracButton = MakeButton(Panel1, "To Fraction", 91, 57, 72);
    Beside(ToConcButton, ToFracButton, 2);
    GrowToFit(Panel1, 4);
    connect(ToConcButton, &QPushButton::clicked, this, [this] { ToConcButtonClick(); });
    connect(ToFracButton, &QPushButton::clicked, this, [this] { ToFracButtonClick(); });

    MakeLabel(TimePage, "Start", 40, 9);
    MakeLabel(TimePage, "Stop", 121, 9);
    SetAllButton = MakeButton(TimePage, "Set All", 39, 226);
    SubtractTimeButton = MakeButton(TimePage, "Subtract", 120, 226);
    Beside(SetAllButton, SubtractTimeButton, 4);
    StartGroup = MakeGroup(TimePage, " Start ", {"Fixed", "Fit together", "Fit separately"}, 6, 265, 94, 80);
    StopGroup = MakeGroup(TimePage, " Stop ", {"Fixed", "Fit together", "Fit separately"}, 104, 265, 96, 80);
    Beside(StartGroup, StopGroup, 4);
    connect(SetAllButton, &QPushButton::clicked, this, [this] { SetAllButtonClick(); });
    connect(SubtractTimeButton, &QPushButton::clicked, this, [this] { SubtractTimeButtonClick(); });

    MakeLabel(RIPage, "Ref Index", 40, 9);
    MakeLabel(RIPage, "Fit", 120, 9);
    SubtractRIButton = MakeButton(RIPage, "Subtract", 39, 226);
    FitAllRiButton = MakeButton(RIPage, "Fit All/None", 120, 226);
    Beside(SubtractRIButton, FitAllRiButton, 4);
    connect(SubtractRIButton, &QPushButton::clicked, this, [this] { SubtractRIButtonClick(); });
    connect(FitAllRiButton, &QPushButton::clicked, this, [this] { FitAllRiButtonClick(); });

    MakeLabel(EditPage, "Exc", 38, 9);
    ZeroPointsButton = MakeButton(EditPage, "Zero Points", 121, 27);
    ZeroCursorButton = MakeButton(EditPage, "Zero Cursor", 122, 55, 73);
    ExcButton = MakeButton(EditPage, "Delete Rgn", 121, 100);
    IncButton = MakeButton(EditPage, "Undelete Rgn", 121, 127);
    KeepGroup = MakeGroup(EditPage, "Keep", {"None", "1/"}, 113, 158, 89, 71);
    for (QRadioButton* item : KeepGroup->Items) connect(item, &QRadioButton::clicked, this, [this] { KeepGroupClick(); });
    KeepBox = new QLineEdit(EditPage);
    // Beside the "1/" item, wherever the group's layout puts it.
    KeepGroup->layout()->activate();
    const QRect oneIn = KeepGroup->Items[1]->geometry();
    const int keepLeft = KeepGroup->x() + oneIn.x() + KeepGroup->Items[1]->sizeHint().width() + 2;
    KeepBox->setGeometry(std::max(155, keepLeft), KeepGroup->y() + oneIn.center().y() - 10, 39, 21);
    KeepGroup->resize(std::max(KeepGroup->width(), KeepBox->geometry().right() + 6 - KeepGroup->x()),
                      KeepGroup->height());
    KeepBox->installEventFilter(this);
    connect(ZeroPointsButton, &QPushButton::clicked, this, [this] { ZeroPointsButtonClick(); });
    connect(ZeroCursorButton, &QPushButton::clicked, this, [this] { ZeroCursorButtonClick(); });
    connect(ExcButton, &QPushButton::clicked, this, [this] { ExcButtonClick(); });
    connect(IncButton, &QPushButton::clicked, this, [this] { IncButtonClick(); });

    MakeLabel(FlowPage, "Flow", 40, 9);
}

void TInjDlg::BuildRows() {
    for (int r = 0; r < RowCount; ++r) {
        auto* button = new QToolButton(ButtonParent);
        button->setGeometry(3, 25 + RowStep * r, 21, 20);
        button->setCheckable(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, r] { CurveButtonClick(r); });
        CurveButton[r] = button;

        ConcEdit[r] = MakeRowEdit(ConcPage, 40, r);
        StartEdit[r] = MakeRowEdit(TimePage, 40, r);
        StopEdit[r] = MakeRowEdit(TimePage, 121, r);
        RIEdit[r] = MakeRowEdit(RIPage, 40, r);
        RIFitCheck[r] = MakeRowCheck(RIPage, 120, r);
        FlowEdit[r] = MakeRowEdit(FlowPage, 40, r);
        ExcCheck[r] = MakeRowCheck(EditPage, 45, r);
        const auto row = static_cast<std::size_t>(r);

        // The user's edits reach the rows at once; the program's own texts do not.
        connect(ConcEdit[r], &QLineEdit::textEdited, this, [this, row](const QString& t) { Rows[row].Conc = t.toStdString(); });
        connect(FlowEdit[r], &QLineEdit::textEdited, this, [this, row](const QString& t) { Rows[row].Flow = t.toStdString(); });
        connect(StartEdit[r], &QLineEdit::textEdited, this, [this, r, row](const QString& t) {
            Rows[row].Start = t.toStdString();
            StartEditChange(r);
        });
        connect(StopEdit[r], &QLineEdit::textEdited, this, [this, r, row](const QString& t) {
            Rows[row].Stop = t.toStdString();
            StopEditChange(r);
        });
        connect(RIEdit[r], &QLineEdit::textEdited, this, [this, r, row](const QString& t) {
            Rows[row].RI = t.toStdString();
            RIEditChange(r);
        });
        connect(RIFitCheck[r], &QCheckBox::clicked, this, [this, row](bool on) { Rows[row].FitRI = on; });
        connect(ExcCheck[r], &QCheckBox::clicked, this, [this, r] { ExcCheckClick(r); });
        for (QWidget* w : std::initializer_list<QWidget*>{ConcEdit[r], StartEdit[r], StopEdit[r], RIEdit[r],
                                                          RIFitCheck[r], FlowEdit[r], ExcCheck[r]}) {
            w->setProperty("row", r);
            w->installEventFilter(this);
        }
    }
    // Every row's value shows whole in the desktop's font; what stands right of
    // a widened column moves over.
    auto column = [](QLineEdit* const* edits, int count) { return std::vector<QWidget*>(edits, edits + count); };
    WidenColumn(column(ConcEdit, RowCount), LongestValue, nullptr, {ConcPage});
    WidenColumn(column(StartEdit, RowCount), LongestValue, nullptr, {TimePage});
    WidenColumn(column(StopEdit, RowCount), LongestValue, StartEdit[0], {TimePage});
    WidenColumn(column(RIEdit, RowCount), LongestSignedValue, nullptr, {RIPage});
    WidenColumn(column(FlowEdit, RowCount), LongestValue, nullptr, {FlowPage});
}

// ---- rows -------------------------------------------------------------------------------

void TInjDlg::RowsFilled() {
    for (int r = 0; r < RowCount; ++r) {
        const TInjRow& row = Rows[static_cast<std::size_t>(r)];
        CurveButton[r]->setText(QString::number(RowCurve(r) + 1));
        CurveButton[r]->setEnabled(row.Enabled);
        FillBox(ConcEdit[r], QString::fromStdString(row.Conc));
        FillBox(StartEdit[r], QString::fromStdString(row.Start));
        FillBox(StopEdit[r], QString::fromStdString(row.Stop));
        FillBox(RIEdit[r], QString::fromStdString(row.RI));
        FillBox(FlowEdit[r], QString::fromStdString(row.Flow));
        RIFitCheck[r]->setChecked(row.FitRI);
        ExcCheck[r]->setChecked(row.Exc);
        for (QWidget* w : std::initializer_list<QWidget*>{ConcEdit[r], StartEdit[r], StopEdit[r], RIEdit[r],
                                                          RIFitCheck[r], FlowEdit[r]})
            w->setEnabled(row.Enabled);
    }
    // A conversion stored the stock concentration and filled its box anew.
    const QString stock = QString::fromStdString(StockText);
    if (StockConcBox->text() != stock) FillBox(StockConcBox, stock);
    SyncButtons();
}

void TInjDlg::ConcRefused(int row) {
    PageControl->setCurrentWidget(ConcPage);
    ConcEdit[row]->setFocus();
}

void TInjDlg::SyncButtons() {
    const int shown = Plot ? Plot->GetCurve() : -1;
    for (int r = 0; r < RowCount; ++r)
        CurveButton[r]->setChecked(RowCurve(r) == shown && CurveButton[r]->isEnabled());
}

QWidget* TInjDlg::RowControl(int row) const {
    QWidget* page = PageControl->currentWidget();
    if (page == ConcPage) return ConcEdit[row];
    if (page == TimePage) return StartEdit[row];
    if (page == RIPage) return RIEdit[row];
    if (page == FlowPage) return FlowEdit[row];
    return ExcCheck[row];
}

bool TInjDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == KeepBox) {
            KeepBoxEnter();
        } else {
            // Only the user entering a row shows its curve: focus the program
            // moves, or gives back after a message, does not.
            const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
            const QVariant row = watched->property("row");
            if (row.isValid() && (why == Qt::MouseFocusReason || why == Qt::TabFocusReason ||
                                  why == Qt::BacktabFocusReason || why == Qt::ShortcutFocusReason))
                RowControlEnter(row.toInt());
        }
    } else if (event->type() == QEvent::MouseButtonRelease && (watched == StartTrack || watched == StopTrack)) {
        TrackMouseUp();
    }
    return QDialog::eventFilter(watched, event);
}

void TInjDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    UpdateTimeLines();
}

// ---- curves and scrolling ------------------------------------------------------------------

void TInjDlg::PlotCurveChange(TPlot*, int oldCurve, int& newCurve) {
    const bool changed = CurveChange(oldCurve, newCurve);
    SyncButtons();
    if (changed && newCurve < 0) OKBtn->setFocus();
    UpdateTimeLines();
}

void TInjDlg::CurveButtonClick(int row) {
    Plot->SetCurve(CurveButton[row]->isChecked() ? RowCurve(row) : -1);
    SyncButtons();
    const int shown = RowOf(Plot->GetCurve());
    if (Plot->GetCurve() < 0)
        OKBtn->setFocus();
    else if (shown >= 0)
        RowControl(shown)->setFocus();
    UpdateTimeLines();
}

void TInjDlg::RowControlEnter(int row) {
    if (!CurveButton[row]->isChecked()) Plot->SetCurve(RowCurve(row));
    UpdateTimeLines();
}

void TInjDlg::ScrollBy(int delta) {
    if (!ScrollRows(delta)) {
        StopRepeat();
        return;
    }
    SyncButtons();
    UpdateTimeLines();
}

void TInjDlg::StopRepeat() {
    RepeatDirection = 0;
    ButtonTimer->stop();
}

void TInjDlg::ScrollButtonMouseDown(int direction) {
    RepeatDirection = direction;
    ButtonTimer->setInterval(500);
    ButtonTimer->start();
}

void TInjDlg::ScrollButtonMouseUp() { StopRepeat(); }

void TInjDlg::ButtonTimerTimer() {
    // Stopped while it scrolls, so that a message cannot be followed by more.
    ButtonTimer->stop();
    if (RepeatDirection == 0) return;
    ScrollBy(RepeatDirection == 1 ? -1 : 1);
    if (RepeatDirection == 0) return;
    ButtonTimer->setInterval(100);
    ButtonTimer->start();
}

void TInjDlg::ExcCheckClick(int row) {
    const bool on = ExcCheck[row]->isChecked();
    ExcludeRow(row, on);
    if (on) {
        if (CurveButton[row]->isChecked()) {
            CurveButton[row]->setChecked(false);
            Plot->SetCurve(-1);
        }
        CurveButton[row]->setEnabled(false);
    } else {
        CurveButton[row]->setEnabled(true);
    }
    Plot->Repaint();
}

// ---- popup -----------------------------------------------------------------------------------

void TInjDlg::PlotPopupPopup() {
    const bool single = Plot->GetCurve() >= 0;
    ZoomInItem->setEnabled(Plot->GetZoomable());
    ZoomOutItem->setEnabled(Plot->GetZoomed());
    ShowSingleItem->setChecked(single);
    NextCurveItem->setEnabled(single);
}

void TInjDlg::ZoomInClick() {
    Plot->SetZoomed(true);
    Plot->Repaint();
    UpdateTimeLines();
}

void TInjDlg::ZoomOutClick() {
    Plot->SetZoomed(false);
    Plot->Repaint();
    UpdateTimeLines();
}

void TInjDlg::ShowSingleClick() {
    if (Plot->GetCurve() < 0)
        Plot->FindClosestCurve();
    else
        Plot->SetCurve(-1);
}

void TInjDlg::NextCurveClick() {
    const int shown = Plot->GetCurve();
    if (shown >= 0) Plot->SetCurve(NextCurve(shown));
}

void TInjDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (BuiltSize.isEmpty()) return;  // still building
    const int dw = std::max(0, width() - BuiltSize.width()), dh = std::max(0, height() - BuiltSize.height());
    PageControl->resize(size());
    for (const TAnchor& a : Anchors) {
        QRect r = a.Built.translated(a.How & FollowRight ? dw : 0, a.How & FollowBottom ? dh : 0);
        if (a.How & GrowWidth) r.setWidth(r.width() + dw);
        if (a.How & GrowHeight) r.setHeight(r.height() + dh);
        a.Control->setGeometry(r);
    }
    // A pixel a step, as at the built width. A thumb the new end moves is no
    // move of the user's; the plot's next picture places both anew.
    for (TPlotTrack* track : {StartTrack, StopTrack}) {
        const QSignalBlocker quiet(track);
        track->setMaximum(TrackMax + dw);
    }
}

// ---- time lines --------------------------------------------------------------------------

bool TInjDlg::ShowsOneCurve() const {
    const int c = Plot->GetCurve();
    return Inj >= 0 && c >= 0 && c < NumCurves && !Excluded[c];
}

int TInjDlg::PlotLeft() const { return Plot->x() + PlotPanel->x(); }

void TInjDlg::SetTrack(TPlotTrack* track, int linePos) {
    // Placing the thumb is no move of the user's: the line must not follow it
    // onto a whole pixel.
    const QSignalBlocker quiet(track);
    if (linePos == -1)
        track->setValue(0);
    else if (linePos == -2)
        track->setValue(track->maximum());
    else
        track->setValue(PlotLeft() + linePos - track->x() - TrackInset);
}

void TInjDlg::UpdateTimeLines() {
    const bool single = ShowsOneCurve();
    const bool tracks = single && PageControl->currentWidget() == TimePage;
    StartTrack->setEnabled(tracks);
    StopTrack->setEnabled(tracks);
    SetSwatch(StartColor, tracks ? Lime : SilverColour);
    SetSwatch(StopColor, tracks ? Red : SilverColour);
    if (single) {
        const int c = Plot->GetCurve();
        Plot->SetStartValue(LineValue(c, false));
        SetTrack(StartTrack, Plot->GetStartPos());
        Plot->SetStopValue(LineValue(c, true));
        SetTrack(StopTrack, Plot->GetStopPos());
        LinesMoved = true;
    } else {
        Plot->SetStartPos(-1);
        Plot->SetStopPos(-1);
        SetTrack(StartTrack, -1);
        SetTrack(StopTrack, -1);
    }
}

void TInjDlg::TrackChange(bool stop, int position) {
    const int c = Plot->GetCurve();
    if (c < 0 || c >= NumCurves || Inj < 0) return;
    TPlotTrack* track = stop ? StopTrack : StartTrack;
    const int x = position + track->x() + TrackInset - PlotLeft();
    if (stop)
        Plot->SetStopPos(x);
    else
        Plot->SetStartPos(x);
    if ((stop ? Plot->GetStopPos() : Plot->GetStartPos()) >= 0) {
        const int row = LineMoved(c, stop, stop ? Plot->GetStopValue() : Plot->GetStartValue());
        if (row >= 0) {
            const TInjRow& texts = Rows[static_cast<std::size_t>(row)];
            FillBox((stop ? StopEdit : StartEdit)[row], QString::fromStdString(stop ? texts.Stop : texts.Start));
        }
    }
    LinesMoved = true;
}

void TInjDlg::TrackMouseUp() {
    if (!LinesMoved) return;
    Plot->Repaint();
    LinesMoved = false;
}

void TInjDlg::StartEditChange(int) { UpdateTimeLines(); }
void TInjDlg::StopEditChange(int) { UpdateTimeLines(); }

void TInjDlg::RIEditChange(int row) {
    RIEdited(row);
    Plot->Repaint();
}

void TInjDlg::PageControlChange() {
    OKBtn->setFocus();
    UpdateTimeLines();
}

// ---- buttons ----------------------------------------------------------------------------------

void TInjDlg::SetAllButtonClick() { SetAll(Plot->GetCurve()); }

void TInjDlg::SubtractTimeButtonClick() {
    SubtractTimes(Plot->GetCurve());
    Plot->Repaint();
}

void TInjDlg::SubtractRIButtonClick() {
    SubtractSteps(Plot->GetCurve());
    Plot->Repaint();
}

void TInjDlg::FitAllRiButtonClick() { FitAllNone(); }
void TInjDlg::ToConcButtonClick() { ToConc(); }
void TInjDlg::ToFracButtonClick() { ToFraction(); }

void TInjDlg::OKBtnClick() {
    if (Confirm(StartGroup->ItemIndex(), StopGroup->ItemIndex(), FitStockCheck->isChecked(),
                GlobalStockCheck->isChecked()))
        accept();
}

// ---- data editing ---------------------------------------------------------------------------

void TInjDlg::KeepBoxEnter() { KeepGroup->SetItemIndex(1); }

void TInjDlg::KeepGroupClick() {
    if (KeepGroup->ItemIndex() == 1) KeepBox->setFocus();
}

TSelection TInjDlg::Selection() const {
    return TSelection{Plot->GetSelX1(), Plot->GetSelY1(), Plot->GetSelX2(), Plot->GetSelY2()};
}

void TInjDlg::MarkButtonClick(bool undelete) {
    // The selection goes with the next repaint: read it first.
    const TSelection sel = Selection();
    if (!sel.Present()) return;
    MarkRegion(Plot->GetCurve(), sel, KeepCount(KeepGroup->ItemIndex() == 1, Text(KeepBox)), undelete);
    Plot->Repaint();
}

void TInjDlg::ZeroPointsButtonClick() {
    ZeroPoints(Plot->GetCurve(), Selection());
    Plot->Repaint();
}

void TInjDlg::ZeroCursorButtonClick() {
    ZeroCursor(Plot->GetCurve(), Selection());
    Plot->Repaint();
}

} // namespace kivra
