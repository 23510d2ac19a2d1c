#pragma once
// Which part of a multi-part data file (data, simulation, residuals) to load
// as the page's data.
#include "app/small_dialog.h"

class QGroupBox;
class QLabel;
class QRadioButton;

namespace kivra {

class TMultiDlg : public TSmallDialog {
    Q_OBJECT
public:
    explicit TMultiDlg(QWidget* owner);

    // Only the parts of the mask (1 data, 2 simulation, 4 residuals) can be
    // chosen; preset is selected.
    void OfferParts(int mask, int preset);
    // 1 with Data selected, else 2 with Simulation, else 4.
    int ChosenPart() const;

    QGroupBox* LoadGroup = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* DataButton = nullptr;
    QRadioButton* SimButton = nullptr;
    QRadioButton* ResButton = nullptr;
};

} // namespace kivra
