#include "app/choosesavedlg.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QFrame>

namespace kivra {

TChooseSaveDlg::TChooseSaveDlg(QWidget* owner) : TSmallDialog(owner, QStringLiteral("Save Data")) {
    Bevel1 = MakeBevel();
    auto* column = new QVBoxLayout(Bevel1);
    DataCheck = AddNamed<QCheckBox>(Bevel1, column, "Save Data", "DataCheck");
    SimCheck = AddNamed<QCheckBox>(Bevel1, column, "Save Sim", "SimCheck");
    ResCheck = AddNamed<QCheckBox>(Bevel1, column, "Save Residuals", "ResCheck");
    OneCheck = AddNamed<QCheckBox>(Bevel1, column, "Use One File", "OneCheck");
    OneCheck->setEnabled(false);
    for (QCheckBox* box : {DataCheck, SimCheck, ResCheck})
        connect(box, &QCheckBox::clicked, this, &TChooseSaveDlg::CheckClick);
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
