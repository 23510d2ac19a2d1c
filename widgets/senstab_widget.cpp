#include "widgets/senstab_widget.h"

#include <QFont>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QToolButton>
#include <algorithm>
#include <iterator>

#include "widgets/injdlg.h"
#include "widgets/panel_parts.h"
#include "widgets/plot.h"
#include "widgets/specpanel.h"

// The pictures live in this library's resources, which a static library must
// register itself.
static void InitSensTabResources() { Q_INIT_RESOURCE(senstab_widget); }

namespace kivra {
namespace {

constexpr int SpecPanelHeight = 168;
constexpr int SplitterHeight = 5;
constexpr int SplitterMinSize = 70;
constexpr int LeftPanelWidth = 200;
// The left panel's buttons: the edit button, then the six slots below it.
constexpr int ButtonInset = 4;
constexpr int FirstSlotTop = 37;
constexpr int SlotStep = 29;
constexpr int ButtonHeight = 28;
// Room kept between a label's text and the left panel's right edge.
constexpr int FileNameMargin = 2;
constexpr int LabelMargin = 6;

QString InjResource(int j, bool full) {
    return QStringLiteral("INJ%1%2").arg(j + 1).arg(full ? QStringLiteral("FULL") : QStringLiteral("EMPTY"));
}

} // namespace

int TSensTab::MinimumHeight() {
    return SpecPanelHeight + SplitterHeight + FirstSlotTop + SlotStep * (MaxInj - 1) + ButtonHeight + ButtonInset;
}

TSensTab::TSensTab(QWidget* parent) : QWidget(parent) {
    InitSensTabResources();
    setMinimumHeight(MinimumHeight());

    SpecPanel = new TSpecPanel(this);
    SpecPanel->SetIsDataPage(true);
    SpecPanel->setGeometry(0, 0, width(), SpecPanelHeight);

    Splitter = new TSplitterBar(this, [this](int newSize) {
        // The panels on both sides keep at least the minimum size.
        const int most = height() - SplitterHeight - SplitterMinSize;
        if (newSize > most) newSize = most;
        if (newSize < SplitterMinSize) newSize = SplitterMinSize;
        bool accept = true;
        SplitterResize(newSize, accept);
        if (accept) SetSplitterPos(newSize);
    });

    LeftPanel = new QFrame(this);
    LeftPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    PagePlot = new TPlot(this);
    OverviewPlot = new TPlot(nullptr);
    OverviewPlot->setGeometry(10, 10, 10, 10);
    OverviewPlot->SetTitle(Caption());
    DataArraysChanged();

    FileNameText = new QLabel(LeftPanel);
    FileNameText->setGeometry(53, 4, 145, 24);
    FileNameText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(16);
    FileNameText->setFont(font);

    // The labels are at least wide enough for their longest texts
    // ("Points/Curve: n", "InjN: start - stop"); the panel widens them further
    // for a larger font.
    NumCurvesLabel = new QLabel(LeftPanel);
    NumCurvesLabel->setGeometry(54, 30, 140, 13);
    NumPointsLabel = new QLabel(LeftPanel);
    NumPointsLabel->setGeometry(54, 46, 140, 13);
    for (int j = 0; j < MaxInj; ++j) {
        InjLabels[j] = new QLabel(LeftPanel);
        InjLabels[j]->setGeometry(54, 62 + 16 * j, 140, 13);
        InjLabels[j]->hide();
    }

    auto makeButton = [this](int top, int tag, const QString& picture) {
        auto* button = new QToolButton(LeftPanel);
        button->setGeometry(ButtonInset, top, 31, ButtonHeight);
        button->setFocusPolicy(Qt::NoFocus);
        button->setIconSize(QSize(22, 20));
        SetButtonPicture(button, picture);
        connect(button, &QToolButton::clicked, this, [this, tag] { InjButtonClick(tag); });
        return button;
    };
    EditDataButton = makeButton(ButtonInset, -1, QStringLiteral("EDITDATA"));
    for (int j = 0; j < MaxInj; ++j) InjButtons[j] = makeButton(FirstSlotTop + SlotStep * j, j, InjResource(j, false));

    PlaceControls();
    LabelsChanged();
}

TSensTab::~TSensTab() {
    // The arrays go with the core, after this body: no plot may keep them.
    DetachPlots();
    delete OverviewPlot.data();
}

void TSensTab::ForEachPlot(const std::function<void(TPlot&)>& f) {
    if (PagePlot) f(*PagePlot);
    if (OverviewPlot) f(*OverviewPlot);
}

void TSensTab::DetachPlots() {
    ForEachPlot([](TPlot& plot) {
        plot.SetDataPtrs(0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    });
}

void TSensTab::SetButtonPicture(QToolButton* button, const QString& resource) {
    button->setIcon(QIcon(QPixmap(QStringLiteral(":/bitmaps/") + resource, "XPM")));
    button->setProperty("picture", resource);
}

QString TSensTab::InjPicture(int j) const {
    if (j < 0 || j >= MaxInj) return {};
    return InjButtons[j]->property("picture").toString();
}

namespace {

int TextWidth(const QLabel* label, const QString& text) {
    return label->fontMetrics().size(Qt::TextSingleLine, text).width();
}

} // namespace

std::vector<QLabel*> TSensTab::CountLabels() const {
    std::vector<QLabel*> labels{NumCurvesLabel, NumPointsLabel};
    labels.insert(labels.end(), std::begin(InjLabels), std::end(InjLabels));
    return labels;
}

int TSensTab::LeftPanelNeed() const {
    const QString name = QString::fromStdString(FileNameTextValue());
    int need = FileNameText->x() + TextWidth(FileNameText, name) + FileNameMargin;
    for (const QLabel* label : CountLabels())
        if (!label->isHidden()) need = std::max(need, label->x() + TextWidth(label, label->text()) + LabelMargin);
    return need;
}

void TSensTab::PlaceControls() {
    const int w = width(), h = height();
    const int top = SpecPanel->height();
    SpecPanel->setGeometry(0, 0, w, top);
    Splitter->setGeometry(0, top, w, SplitterHeight);
    const int rest = h - top - SplitterHeight > 0 ? h - top - SplitterHeight : 0;
    // The left panel grows until its labels show their texts whole, as long as
    // the plot keeps a useful width; it never gets narrower than it was drawn.
    const int left = std::max(LeftPanelWidth, std::min(LeftPanelNeed(), w - MinPlotWidth));
    LeftPanel->setGeometry(0, top + SplitterHeight, left, rest);
    const int plotWidth = w - left > 0 ? w - left : 0;
    PagePlot->setGeometry(left, top + SplitterHeight, plotWidth, rest);

    for (QLabel* label : CountLabels()) label->resize(left - LabelMargin - label->x(), label->height());
    const int nameWidth = left - FileNameMargin - FileNameText->x();
    FileNameText->resize(nameWidth, FileNameText->height());
    // A name longer than the room shows its start and its end; the tool tip has it whole.
    const QString name = QString::fromStdString(FileNameTextValue());
    const QString shown = FileNameText->fontMetrics().elidedText(name, Qt::ElideMiddle, nameWidth);
    FileNameText->setText(shown);
    FileNameText->setToolTip(shown == name ? QString() : name);
}

void TSensTab::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceControls();
}

int TSensTab::GetSplitterPos() const { return SpecPanel->height(); }

void TSensTab::SetSplitterPos(int height) {
    if (height < 0) height = 0;
    SpecPanel->resize(SpecPanel->width(), height);
    PlaceControls();
}

void TSensTab::SplitterResize(int& newSize, bool& accept) {
    if (OnSplitterResize) OnSplitterResize(this, newSize, accept);
}

void TSensTab::ClearDisplay() {
    TSensTabCore::ClearDisplay();
    setWindowTitle(QString::fromStdString(Caption()));
    ForEachPlot([](TPlot& plot) {
        plot.SetRes(false);
        plot.SetShowData(false);
        plot.SetShowSim(false);
    });
    DetachPlots();
    if (OverviewPlot) OverviewPlot->SetTitle(Caption());
}

void TSensTab::ClearModel() {
    SpecPanel->ClearControls();
    Modelled = false;
    ForEachPlot([](TPlot& plot) {
        plot.SetRes(false);
        plot.SetShowSim(false);
    });
}

void TSensTab::GetPanelSpecies(TModelData& model) { SpecPanel->GetSpecies(model); }

void TSensTab::SimulationChanged() {
    ForEachPlot([](TPlot& plot) {
        plot.SetShowSim(true);
        plot.Repaint();
    });
}

void TSensTab::SetFitResults(TModelData& model) {
    SpecPanel->SetFitResults(model);
    TSensTabCore::SetFitResults(model);
}

void TSensTab::DataArraysChanged() {
    if (AllocCurves == 0) {
        DetachPlots();
        return;
    }
    ForEachPlot([this](TPlot& plot) {
        plot.SetDataPtrs(AllocCurves, Data.rows(), Sim.rows(), Time.rows(), PointFlags.rows(),
                         Excluded.data(), PointCount.data(), nullptr, nullptr, nullptr);
    });
}

void TSensTab::DataLoaded() {
    setWindowTitle(QString::fromStdString(Caption()));
    if (OverviewPlot) OverviewPlot->SetTitle(Caption());
    ForEachPlot([](TPlot& plot) {
        plot.SetShowData(true);
        plot.Repaint();
    });
}

void TSensTab::SetBlockRead(const TModelData& model) {
    setWindowTitle(QString::fromStdString(Caption()));
    if (OverviewPlot) OverviewPlot->SetTitle(Caption());
    SpecPanel->SetSpecies(model);
    const bool data = Loaded, sim = Modelled;
    ForEachPlot([data, sim](TPlot& plot) {
        plot.SetShowData(data);
        plot.SetShowSim(sim);
        plot.Repaint();
    });
}

void TSensTab::InjButtonClick(int tag) {
    // The data editor opens on the curve the plot shows alone.
    const int value = tag == -1 && PagePlot->GetCurve() >= 0 ? -PagePlot->GetCurve() - 2 : tag;
    auto edit = [this, value] {
        RunInjDlg(value);
        UpdateInjPics();
    };
    // While the dialog is open the main window runs no command that could
    // delete or reload this page.
    if (OnCommand) OnCommand(edit);
    else edit();
}

bool TSensTab::RunInjDlg(int inj) {
    const bool ok = TSensTabCore::RunInjDlg(inj);
    ForEachPlot([](TPlot& plot) { plot.Repaint(); });
    return ok;
}

bool TSensTab::EditInjections(TInjHandOff& h, int inj) {
    TInjDlg dlg(this, *this, h, inj);
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->geometry();
        dlg.move((area.width() - dlg.width()) / 2, (area.height() - dlg.height()) / 2);
    }
    return dlg.exec() == QDialog::Accepted;
}

void TSensTab::UpdateInjPics() {
    TSensTabCore::UpdateInjPics();
    for (int j = 0; j < MaxInj; ++j) SetButtonPicture(InjButtons[j], InjResource(j, InjLabelVisible(j)));
}

void TSensTab::LabelsChanged() {
    if (!FileNameText) return;  // still constructing
    NumCurvesLabel->setText(QString::fromStdString(NumCurvesText()));
    NumPointsLabel->setText(QString::fromStdString(NumPointsText()));
    for (int j = 0; j < MaxInj; ++j) {
        InjLabels[j]->setText(QString::fromStdString(InjLabelText(j)));
        InjLabels[j]->setVisible(InjLabelVisible(j));
    }
    // The file name goes in with the panel's new width.
    PlaceControls();
}

} // namespace kivra
