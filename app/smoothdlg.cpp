#include "app/smoothdlg.h"

#include <QBoxLayout>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "engine/session/dialog_entries.h"

namespace kivra {

TSmoothDlg* SmoothDlg = nullptr;

TSmoothDlg::TSmoothDlg(QWidget* owner) : TSmallDialog(owner, QStringLiteral("Smooth Data")) {
    Bevel1 = MakeBevel();
    auto* column = new QVBoxLayout(Bevel1);
    WindowSizeBox = AddLabelledBox(Bevel1, column, Label1, "Window Size (num points)", "WindowSizeBox", "21");
    Label2 = new QLabel(QStringLiteral("Order:"), Bevel1);
    column->addWidget(Label2);
    Order0Button = AddNamed<QRadioButton>(Bevel1, column, "0  (moving average - smoothest) ", "Order0Button");
    Order2Button = AddNamed<QRadioButton>(Bevel1, column, "2", "Order2Button");
    Order4Button = AddNamed<QRadioButton>(Bevel1, column, "4", "Order4Button");
    Order6Button = AddNamed<QRadioButton>(Bevel1, column, "6  (sharpest) ", "Order6Button");
    Order6Button->setChecked(true);
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
