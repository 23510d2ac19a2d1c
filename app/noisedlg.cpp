#include "app/noisedlg.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kivra {

TAddNoiseDlg::TAddNoiseDlg(QWidget* owner) : TSmallDialog(owner, QStringLiteral("Dialog")) {
    auto* row = new QHBoxLayout;
    Label1 = new QLabel(QStringLiteral("Noise (RU)"), this);
    NoiseBox = new QLineEdit(QStringLiteral("0.50"), this);
    NoiseBox->setObjectName(QStringLiteral("NoiseBox"));
    Label1->setBuddy(NoiseBox);
    row->addWidget(Label1);
    row->addWidget(NoiseBox);
    Body->addLayout(row);
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    FixSize(217, 112);
}

} // namespace kivra
