#include "app/multidlg.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

#include "engine/files/file_choices.h"

namespace kivra {

TMultiDlg::TMultiDlg(QWidget* owner) : TSmallDialog(owner, QStringLiteral("Load Multipart Data")) {
    LoadGroup = new QGroupBox(this);
    auto* column = new QVBoxLayout(LoadGroup);
    Label1 = new QLabel(QStringLiteral("This data file contains multiple parts."), LoadGroup);
    Label2 = new QLabel(QStringLiteral("Which do you want to load as data?"), LoadGroup);
    column->addWidget(Label1);
    column->addWidget(Label2);
    DataButton = AddNamed<QRadioButton>(LoadGroup, column, "Data", "DataButton");
    SimButton = AddNamed<QRadioButton>(LoadGroup, column, "Simulation", "SimButton");
    ResButton = AddNamed<QRadioButton>(LoadGroup, column, "Residuals", "ResButton");
    Body->addWidget(LoadGroup);
    FixSize(300, 167);
}

void TMultiDlg::OfferParts(int mask, int preset) {
    DataButton->setEnabled((mask & PartData) != 0);
    SimButton->setEnabled((mask & PartSim) != 0);
    ResButton->setEnabled((mask & PartRes) != 0);
    if (preset == PartData) DataButton->setChecked(true);
    else if (preset == PartSim) SimButton->setChecked(true);
    else if (preset == PartRes) ResButton->setChecked(true);
}

int TMultiDlg::ChosenPart() const {
    if (DataButton->isChecked()) return PartData;
    if (SimButton->isChecked()) return PartSim;
    return PartRes;
}

} // namespace kivra
