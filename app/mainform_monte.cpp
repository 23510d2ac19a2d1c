// The Monte Carlo page: the run's settings and its Run/Stop button above a
// grid of histograms, one per floated parameter. The run itself is the
// Qt-free half's (engine/session/monte_carlo.cpp); this file shows it.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/mainform.h"
#include "widgets/histogram.h"

namespace kivra {
namespace {

constexpr int SettingsHeight = 103;

// The settings' panel: its full height when there is room, yet it never
// makes the window taller than the other pages let it be.
class TSettingsPanel : public QFrame {
public:
    explicit TSettingsPanel(QWidget* parent) : QFrame(parent) {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    }
    QSize sizeHint() const override { return {0, SettingsHeight}; }
    QSize minimumSizeHint() const override { return {0, 0}; }
};

void Yellow(QWidget* w) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, QColor(255, 255, 0));
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QFont PixelFont(const char* family, int pixels, bool bold = false) {
    QFont font(QString::fromLatin1(family));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A label at its place, as wide as its text needs in the font that stands in.
QLabel* SettingLabel(QWidget* parent, int left, int top, const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setFont(PixelFont("MS Sans Serif", 13));
    label->move(left, top);
    label->adjustSize();
    return label;
}

// An edit box at its place, or right of the control before it when that
// control's text needs the room.
QLineEdit* SettingBox(QWidget* parent, int left, int top, const QWidget* before) {
    auto* box = new QLineEdit(parent);
    box->setFont(PixelFont("MS Sans Serif", 13));
    const int x = std::max(left, before->x() + before->width() + 4);
    box->setGeometry(x, top, 58, std::max(21, box->sizeHint().height()));
    return box;
}

int RightEdge(std::initializer_list<const QWidget*> widgets) {
    int right = 0;
    for (const QWidget* w : widgets) right = std::max(right, w->x() + w->width());
    return right;
}

} // namespace

// The page's settings are built here, with the commands they serve.
void TMainForm::ConnectMonteCommands() {
    Panel1 = new TSettingsPanel(MontePage);
    Yellow(Panel1);
    if (auto* layout = qobject_cast<QVBoxLayout*>(MontePage->layout())) {
        layout->insertWidget(0, Panel1);
        layout->setStretch(1, 1);
    }
    Yellow(MontePanel);

    Label2 = new QLabel(QStringLiteral("Monte Carlo"), Panel1);
    Label2->setFont(PixelFont("Arial", 21, true));
    Label2->move(25, 4);
    Label2->adjustSize();

    Label3 = SettingLabel(Panel1, 26, 38, "Num Cycles");
    Label4 = SettingLabel(Panel1, 26, 62, "Max Iteration");
    const QWidget* left = Label3->width() > Label4->width() ? Label3 : Label4;
    NumCyclesBox = SettingBox(Panel1, 111, 36, left);
    MaxIterBox = SettingBox(Panel1, 111, 61, left);

    const int column2 = std::max(217, RightEdge({NumCyclesBox, MaxIterBox}) + 12);
    Label5 = SettingLabel(Panel1, column2 + 13, 38, "Variation (%)");
    AddNoiseCheck = new QCheckBox(QStringLiteral("Add Noise (RU)"), Panel1);
    AddNoiseCheck->setFont(PixelFont("MS Sans Serif", 13));
    AddNoiseCheck->move(column2, 62);
    AddNoiseCheck->resize(std::max(97, AddNoiseCheck->sizeHint().width()), AddNoiseCheck->sizeHint().height());
    const QWidget* right = Label5->x() + Label5->width() > AddNoiseCheck->x() + AddNoiseCheck->width()
                               ? static_cast<QWidget*>(Label5)
                               : static_cast<QWidget*>(AddNoiseCheck);
    VariationBox = SettingBox(Panel1, 321 + column2 - 217, 36, right);
    AddNoiseBox = SettingBox(Panel1, 322 + column2 - 217, 61, right);

    RunMonteButton = new QPushButton(QStringLiteral("Run"), Panel1);
    const int buttonLeft = std::max(425, RightEdge({VariationBox, AddNoiseBox}) + 46);
    RunMonteButton->setGeometry(buttonLeft, 34, std::max(75, RunMonteButton->sizeHint().width()), 25);

    connect(RunMonteButton, &QPushButton::clicked, this, [this] { RunMonteButtonClick(); });
    connect(RunMonteItem, &QAction::triggered, this, [this] { RunMonte(); });
    MontePanel->OnResize = [this](TPanel*) { MontePanelResize(); };
}

void TMainForm::RunMonte() {
    PageHolder->setTabVisible(PageHolder->indexOf(MontePage), true);
    PageHolder->setCurrentWidget(MontePage);
}

void TMainForm::MontePanelResize() {
    if (Destroying) return;
    ArrangePlots(HistogramWidgets(), MontePanel, -1);
}

std::vector<QWidget*> TMainForm::HistogramWidgets() const {
    std::vector<QWidget*> widgets;
    for (const auto& h : Histograms)
        if (auto* w = dynamic_cast<QWidget*>(h.get())) widgets.push_back(w);
    return widgets;
}

void TMainForm::ReadMonteBoxes() {
    MonteBoxes.NumCycles = NumCyclesBox->text().toStdString();
    MonteBoxes.MaxIter = MaxIterBox->text().toStdString();
    MonteBoxes.Variation = VariationBox->text().toStdString();
    MonteBoxes.AddNoise = AddNoiseBox->text().toStdString();
    MonteBoxes.AddNoiseChecked = AddNoiseCheck->isChecked();
}

void TMainForm::SetMonteButtonCaption(const std::string& caption) {
    RunMonteButton->setText(QString::fromStdString(caption));
}

void TMainForm::FocusMonteBox(TMonteBox box) {
    QLineEdit* edit = box == TMonteBox::NumCycles ? NumCyclesBox
                      : box == TMonteBox::MaxIter ? MaxIterBox
                                                  : VariationBox;
    edit->setFocus();
}

std::unique_ptr<THistogramCore> TMainForm::MakeHistogram(int capacity, const std::string& title) {
    return std::make_unique<THistogram>(MontePanel, capacity, title);
}

void TMainForm::HistogramsChanged() { MontePanelResize(); }

} // namespace kivra
