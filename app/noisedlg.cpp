#include "app/noisedlg.h"

#include <QLineEdit>

namespace kivra {

TAddNoiseDlg::TAddNoiseDlg(QWidget* owner) : TSmallDialog(owner, QStringLiteral("Dialog")) {
    NoiseBox = AddLabelledBox(this, Body, Label1, "Noise (RU)", "NoiseBox", "0.50");
    FixSize(217, 112);
}

} // namespace kivra
