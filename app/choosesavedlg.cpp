#include "app/choosesavedlg.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFrame>
#include <QPushButton>

namespace kivra {

TChooseSaveDlg::TChooseSaveDlg(QWidget* owner) : TSmallDialog(owner, QStringLiteral("Save Data")) {
    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    auto* column = new QVBoxLayout(Bevel1);
    auto check = [&](const char* caption, const char* name) {
        auto* box = new QCheckBox(QString::fromLatin1(caption), Bevel1);
        box->setObjectName(QString::fromLatin1(name));
        column->addWidget(box);
        return box;
    };
    DataCheck = check("Save Data", "DataCheck");
    SimCheck = check("Save Sim", "SimCheck");
    ResCheck = check("Save Residuals", "ResCheck");
    OneCheck = check("Use One File", "OneCheck");
    OneCheck->setEnabled(false);
    for (QCheckBox* box : {DataCheck, SimCheck, ResCheck})
        connect(box, &QCheckBox::clicked, this, &TChooseSaveDlg::CheckClick);
    Body->addWidget(Bevel1);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    FixSize(257, 155);
}

void TChooseSaveDlg::CheckClick() {
    const int ticked = int(DataCheck->isChecked()) + int(SimCheck->isChecked()) + int(ResCheck->isChecked());
    OneCheck->setEnabled(ticked >= 2);
}

SaveParts TChooseSaveDlg::Parts() const {
    SaveParts p;
    p.Data = DataCheck->isChecked();
    p.Sim = SimCheck->isChecked();
    p.Res = ResCheck->isChecked();
    p.OneFile = OneCheck->isEnabled() && OneCheck->isChecked();
    return p;
}

} // namespace kivra
