#pragma once
// The standard deviation of the noise to add to a simulation, in RU.
#include "app/small_dialog.h"

class QLabel;
class QLineEdit;

namespace kivra {

class TAddNoiseDlg : public TSmallDialog {
    Q_OBJECT
public:
    explicit TAddNoiseDlg(QWidget* owner);

    QLabel* Label1 = nullptr;
    QLineEdit* NoiseBox = nullptr;
};

} // namespace kivra
