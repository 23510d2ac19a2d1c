#include "app/newsensdlg.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "engine/session/dialog_entries.h"

namespace kivra {

TNewSensDlg::TNewSensDlg(QWidget* owner) : TSmallDialog(owner, QStringLiteral("New Set Properties")) {
    Bevel1 = MakeBevel();
    auto* grid = new QGridLayout(Bevel1);
    auto row = [&](int r, QLabel*& label, const char* caption, QLineEdit*& box, const char* name,
                   const char* text) {
        label = new QLabel(QString::fromLatin1(caption), Bevel1);
        box = new QLineEdit(QString::fromLatin1(text), Bevel1);
        box->setObjectName(QString::fromLatin1(name));
        label->setBuddy(box);
        grid->addWidget(label, r, 0);
        grid->addWidget(box, r, 1);
    };
    row(0, Label1, "Number of Curves", NumSensBox, "NumSensBox", "0");
    row(1, Label2, "Total Time (sec)", TotalTimeBox, "TotalTimeBox", "0");
    row(2, Label3, "Sample Interval (sec)", IntervalBox, "IntervalBox", "10.0");
    FixSize(253, 181);
}

void TNewSensDlg::OKBtnClick() {
    const TMainFormCore::TNewSetAnswer e = Entries();
    NewSetBox focus = NewSetBox::None;
    const bool ok = CheckNewSetEntries(e.Curves, e.TotalTime, e.Interval, focus);
    switch (focus) {
    case NewSetBox::Curves: NumSensBox->setFocus(); break;
    case NewSetBox::TotalTime: TotalTimeBox->setFocus(); break;
    case NewSetBox::Interval: IntervalBox->setFocus(); break;
    case NewSetBox::None: break;
    }
    if (ok) accept();
}

TMainFormCore::TNewSetAnswer TNewSensDlg::Entries() const {
    return {NumSensBox->text().toStdString(), TotalTimeBox->text().toStdString(),
            IntervalBox->text().toStdString()};
}

} // namespace kivra
