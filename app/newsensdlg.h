#pragma once
// The size of a new synthetic data set: curves, total time and sample
// interval. OK closes only once the entries pass their checks.
#include "app/small_dialog.h"
#include "engine/session/mainform_core.h"

class QFrame;
class QLabel;
class QLineEdit;

namespace kivra {

class TNewSensDlg : public TSmallDialog {
    Q_OBJECT
public:
    explicit TNewSensDlg(QWidget* owner);

    // Checks the entries; every failing check says why, and the box of the
    // last one gets the focus. Closes with OK when all pass.
    void OKBtnClick() override;
    // The three boxes as typed.
    TMainFormCore::TNewSetAnswer Entries() const;

    QFrame* Bevel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* NumSensBox = nullptr;
    QLineEdit* TotalTimeBox = nullptr;
    QLineEdit* IntervalBox = nullptr;
};

} // namespace kivra
