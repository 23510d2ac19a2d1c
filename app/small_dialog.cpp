#include "app/small_dialog.h"

#include <QBoxLayout>
#include <QPushButton>
#include <QScreen>

namespace kivra {

TSmallDialog::TSmallDialog(QWidget* owner, const QString& caption) : QDialog(owner) {
    setWindowTitle(caption);
    setModal(true);
    auto* outer = new QVBoxLayout(this);
    Body = new QVBoxLayout;
    outer->addLayout(Body);
    outer->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    outer->addLayout(buttons);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TSmallDialog::FixSize(int width, int height) {
    setFixedSize(sizeHint().expandedTo(QSize(width, height)));
}

void TSmallDialog::showEvent(QShowEvent* event) {
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

} // namespace kivra
