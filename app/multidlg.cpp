#include "app/multidlg.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
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
    auto radio = [&](const char* caption, const char* name) {
        auto* button = new QRadioButton(QString::fromLatin1(caption), LoadGroup);
        button->setObjectName(QString::fromLatin1(name));
        column->addWidget(button);
        return button;
    };
    DataButton = radio("Data", "DataButton");
    SimButton = radio("Simulation", "SimButton");
    ResButton = radio("Residuals", "ResButton");
    Body->addWidget(LoadGroup);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
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
