#include "app/kmcalcform.h"

#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <initializer_list>
#include <utility>

#include "widgets/edit_box.h"

namespace kivra {
namespace {

QFont CalcFont(int pixels, bool bold = false) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFrame* MakePanel(QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    return panel;
}

QLineEdit* MakeBox(QWidget* parent, const char* text) {
    return new QLineEdit(QString::fromUtf8(text), parent);
}

QLabel* MakeLabel(QWidget* parent, const QString& text, bool bold = false) {
    auto* label = new QLabel(text, parent);
    label->setFont(CalcFont(13, bold));
    label->resize(label->sizeHint());
    return label;
}

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType direction) {
    auto* button = new QToolButton(parent);
    button->setArrowType(direction);
    return button;
}

// How far a column of boxes must move right so that labels starting at
// labelLeft end a little before boxLeft.
int Excess(std::initializer_list<QLabel*> labels, int labelLeft, int boxLeft) {
    int widest = 0;
    for (QLabel* label : labels) widest = std::max(widest, label->width());
    return std::max(0, labelLeft + widest + 4 - boxLeft);
}

// A label at left, centred on the height of the box whose top is boxTop.
void PlaceLabel(QLabel* label, int left, int boxTop) {
    label->move(left, boxTop + (21 - label->height()) / 2);
}

} // namespace

TKmCalcForm::TKmCalcForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("Calculator"));
    setFont(CalcFont(11));

    Panel2 = MakePanel(this);
    Panel1 = MakePanel(this);
    QLabel* flowLabel = MakeLabel(this, QStringLiteral("Flow (ul/min)"));
    QLabel* tempLabel = MakeLabel(this, QStringLiteral("Temp (C)"));
    QLabel* cellTitle = MakeLabel(Panel2, QStringLiteral("Flow Cell"), true);
    QLabel* heightLabel = MakeLabel(Panel2, QStringLiteral("Height (cm)"));
    QLabel* lengthLabel = MakeLabel(Panel2, QStringLiteral("Length (cm)"));
    QLabel* widthLabel = MakeLabel(Panel2, QStringLiteral("Width (cm)"));
    QLabel* mwLabel = MakeLabel(Panel1, QStringLiteral("MW (g/mol)"));
    QLabel* radiusLabel = MakeLabel(Panel1, QStringLiteral("Radius (cm)"));
    QLabel* frictionLabel = MakeLabel(Panel1, QStringLiteral("f (g/s)"));
    QLabel* diffLabel = MakeLabel(Panel1, QStringLiteral("D (cm<sup>2</sup>/s)"));
    QLabel* kmLabel = MakeLabel(Panel1, QStringLiteral("km (RU/Ms)"));

    FlowBox = MakeBox(this, "100");
    TempBox = MakeBox(this, "30");
    HeightBox = MakeBox(this, "0.005");
    LengthBox = MakeBox(this, "0.24");
    WidthBox = MakeBox(this, "0.05");
    MWBox = MakeBox(this, "");
    RadiusBox = MakeBox(this, "");
    FrictionBox = MakeBox(this, "");
    DiffBox = MakeBox(this, "");
    KmBox = MakeBox(this, "");

    RadMWButton = MakeArrow(this, Qt::UpArrow);
    MWRadButton = MakeArrow(this, Qt::DownArrow);
    FRadButton = MakeArrow(this, Qt::UpArrow);
    RadFButton = MakeArrow(this, Qt::DownArrow);
    DFButton = MakeArrow(this, Qt::UpArrow);
    FDButton = MakeArrow(this, Qt::DownArrow);
    KmDButton = MakeArrow(this, Qt::UpArrow);
    DKmButton = MakeArrow(this, Qt::DownArrow);
    AllUpButton = MakeArrow(this, Qt::UpArrow);
    AllDownButton = MakeArrow(this, Qt::DownArrow);

    CloseButton = new QPushButton(QStringLiteral("Close"), this);
    CopyButton = new QPushButton(QStringLiteral("Copy"), this);
    // Enter in a box must not close the window.
    for (QPushButton* b : {CloseButton, CopyButton}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    // The layout of a 96-dpi desktop with an 8-point font; where the font in
    // use needs wider labels or buttons, the columns to their right move over
    // and the window grows.
    const int closeWidth = std::max(75, CloseButton->sizeHint().width());
    const int copyWidth = std::max(75, CopyButton->sizeHint().width());
    const int copyLeft = std::max(89, 6 + closeWidth + 8);
    const int dxLeft = std::max({Excess({flowLabel, tempLabel, heightLabel, lengthLabel, widthLabel}, 8, 100),
                                 copyLeft + copyWidth + 5 - 177, cellTitle->width() + 8 - 168});
    const int dxRight = Excess({mwLabel, radiusLabel, frictionLabel, diffLabel, kmLabel}, 8, 89);
    const int dx = dxLeft + dxRight;
    // The chain's boxes show every result whole, the widest being negative
    // with a three-digit exponent.
    const int chainWidth = std::max(75, WholeTextWidth(MWBox, QStringLiteral("-8.88888e-308")));
    const int dw = chainWidth - 75;

    PlaceLabel(flowLabel, 8, 29);
    PlaceLabel(tempLabel, 8, 66);
    FlowBox->setGeometry(100 + dxLeft, 29, 65, 21);
    TempBox->setGeometry(100 + dxLeft, 66, 65, 21);

    Panel2->setGeometry(4, 111, 168 + dxLeft, 123);
    cellTitle->move((Panel2->width() - cellTitle->width()) / 2, 6);
    const int cellTops[] = {145, 173, 200};
    QLabel* cellLabels[] = {heightLabel, lengthLabel, widthLabel};
    QLineEdit* cellBoxes[] = {HeightBox, LengthBox, WidthBox};
    for (int i = 0; i < 3; ++i) {
        PlaceLabel(cellLabels[i], 4, cellTops[i] - Panel2->y());
        cellBoxes[i]->setGeometry(100 + dxLeft, cellTops[i], 65, 21);
    }

    Panel1->setGeometry(177 + dxLeft, 12, 207 + dxRight + dw, 265);
    const int chainTops[] = {29, 82, 135, 187, 240};
    QLabel* chainLabels[] = {mwLabel, radiusLabel, frictionLabel, diffLabel, kmLabel};
    QLineEdit* chainBoxes[] = {MWBox, RadiusBox, FrictionBox, DiffBox, KmBox};
    for (int i = 0; i < 5; ++i) {
        PlaceLabel(chainLabels[i], 8, chainTops[i] - Panel1->y());
        chainBoxes[i]->setGeometry(266 + dx, chainTops[i], chainWidth, 21);
    }
    const int arrowTops[] = {56, 110, 162, 215};
    QToolButton* ups[] = {RadMWButton, FRadButton, DFButton, KmDButton};
    QToolButton* downs[] = {MWRadButton, RadFButton, FDButton, DKmButton};
    for (int i = 0; i < 4; ++i) {
        ups[i]->setGeometry(278 + dx + dw / 2, arrowTops[i], 25, 20);
        downs[i]->setGeometry(306 + dx + dw / 2, arrowTops[i], 25, 20);
    }
    AllUpButton->setGeometry(348 + dx + dw, 83, 25, 28);
    AllDownButton->setGeometry(348 + dx + dw, 158, 25, 28);

    CloseButton->setGeometry(6, 244, closeWidth, 25);
    CopyButton->setGeometry(copyLeft, 244, copyWidth, 25);
    setFixedSize(391 + dx + dw, 285);

    const std::pair<QToolButton*, void (TKmCalcForm::*)(QObject*)> handlers[] = {
        {RadMWButton, &TKmCalcForm::RadMWButtonClick}, {MWRadButton, &TKmCalcForm::MWRadButtonClick},
        {FRadButton, &TKmCalcForm::FRadButtonClick},   {RadFButton, &TKmCalcForm::RadFButtonClick},
        {DFButton, &TKmCalcForm::DFButtonClick},       {FDButton, &TKmCalcForm::FDButtonClick},
        {KmDButton, &TKmCalcForm::KmDButtonClick},     {DKmButton, &TKmCalcForm::DKmButtonClick},
        {AllUpButton, &TKmCalcForm::AllUpButtonClick}, {AllDownButton, &TKmCalcForm::AllDownButtonClick},
    };
    for (const auto& [button, handler] : handlers)
        connect(button, &QToolButton::clicked, this, [this, button, handler] { (this->*handler)(button); });
    connect(CloseButton, &QPushButton::clicked, this, [this] { CloseButtonClick(CloseButton); });
    connect(CopyButton, &QPushButton::clicked, this, [this] { CopyButtonClick(CopyButton); });
}

TKmCalcForm::~TKmCalcForm() = default;

void TKmCalcForm::RadMWButtonClick(QObject*) { RadMW(); }
void TKmCalcForm::MWRadButtonClick(QObject*) { MWRad(); }
void TKmCalcForm::FRadButtonClick(QObject*) { FRad(); }
void TKmCalcForm::RadFButtonClick(QObject*) { RadF(); }
void TKmCalcForm::DFButtonClick(QObject*) { DF(); }
void TKmCalcForm::FDButtonClick(QObject*) { FD(); }
void TKmCalcForm::KmDButtonClick(QObject*) { KmD(); }
void TKmCalcForm::DKmButtonClick(QObject*) { DKm(); }
void TKmCalcForm::AllUpButtonClick(QObject*) { AllUp(); }
void TKmCalcForm::AllDownButtonClick(QObject*) { AllDown(); }

void TKmCalcForm::CloseButtonClick(QObject*) { close(); }

// The box's own copy: an empty box leaves the clipboard as it was.
void TKmCalcForm::CopyButtonClick(QObject*) {
    KmBox->selectAll();
    KmBox->copy();
    close();
}

QLineEdit* TKmCalcForm::Box(KmCalcBox box) const {
    switch (box) {
    case KmCalcBox::Flow: return FlowBox;
    case KmCalcBox::Temp: return TempBox;
    case KmCalcBox::Height: return HeightBox;
    case KmCalcBox::Length: return LengthBox;
    case KmCalcBox::Width: return WidthBox;
    case KmCalcBox::MW: return MWBox;
    case KmCalcBox::Radius: return RadiusBox;
    case KmCalcBox::Friction: return FrictionBox;
    case KmCalcBox::Diff: return DiffBox;
    case KmCalcBox::Km: return KmBox;
    }
    return KmBox;
}

std::string TKmCalcForm::BoxText(KmCalcBox box) const { return Box(box)->text().toStdString(); }

void TKmCalcForm::SetBoxText(KmCalcBox box, const std::string& text) {
    FillBox(Box(box), QString::fromStdString(text));
}

} // namespace kivra
