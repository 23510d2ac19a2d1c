#include "app/small_dialog.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
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
    connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

QFrame* TSmallDialog::MakeBevel() {
    auto* bevel = new QFrame(this);
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    Body->addWidget(bevel);
    return bevel;
}

QLineEdit* TSmallDialog::AddLabelledBox(QWidget* parent, QBoxLayout* column, QLabel*& label,
                                        const char* caption, const char* name, const char* text) {
    auto* row = new QHBoxLayout;
    label = new QLabel(QString::fromLatin1(caption), parent);
    auto* box = new QLineEdit(QString::fromLatin1(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    label->setBuddy(box);
    row->addWidget(label);
    row->addWidget(box);
    column->addLayout(row);
    return box;
}

void TSmallDialog::FixSize(int width, int height) {
    setFixedSize(sizeHint().expandedTo(QSize(width, height)));
}

void TSmallDialog::showEvent(QShowEvent* event) {
    if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

} // namespace kivra
