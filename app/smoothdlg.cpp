#include "app/smoothdlg.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "engine/session/dialog_entries.h"

namespace kivra {

TSmoothDlg::TSmoothDlg(QWidget* owner) : TSmallDialog(owner, QStringLiteral("Smooth Data")) {
    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    auto* column = new QVBoxLayout(Bevel1);
    auto* windowRow = new QHBoxLayout;
    Label1 = new QLabel(QStringLiteral("Window Size (num points)"), Bevel1);
    WindowSizeBox = new QLineEdit(QStringLiteral("21"), Bevel1);
    WindowSizeBox->setObjectName(QStringLiteral("WindowSizeBox"));
    Label1->setBuddy(WindowSizeBox);
    windowRow->addWidget(Label1);
    windowRow->addWidget(WindowSizeBox);
    column->addLayout(windowRow);
    Label2 = new QLabel(QStringLiteral("Order:"), Bevel1);
    column->addWidget(Label2);
    auto radio = [&](const char* caption, const char* name) {
        auto* button = new QRadioButton(QString::fromLatin1(caption), Bevel1);
        button->setObjectName(QString::fromLatin1(name));
        column->addWidget(button);
        return button;
    };
    Order0Button = radio("0  (moving average - smoothest) ", "Order0Button");
    Order2Button = radio("2", "Order2Button");
    Order4Button = radio("4", "Order4Button");
    Order6Button = radio("6  (sharpest) ", "Order6Button");
    Order6Button->setChecked(true);
    Body->addWidget(Bevel1);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    FixSize(285, 201);
}

void TSmoothDlg::FormClose(bool& mayClose) {
    mayClose = CheckSmoothEntries(WindowSizeBox->text().toStdString(), Order0Button->isChecked(),
                                  Order2Button->isChecked(), Order4Button->isChecked(), WindowSize, Order);
}

void TSmoothDlg::done(int result) {
    bool mayClose = true;
    FormClose(mayClose);
    if (mayClose) QDialog::done(result);
}

} // namespace kivra
