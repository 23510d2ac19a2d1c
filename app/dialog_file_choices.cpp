#include "app/dialog_file_choices.h"

#include "app/choosesavedlg.h"
#include "app/multidlg.h"

namespace kivra {

int TDialogFileChoices::ChooseLoadPart(int parts, int preset) {
    TMultiDlg dlg(owner_);
    dlg.OfferParts(parts, preset);
    if (dlg.exec() != QDialog::Accepted) return 0;
    const int part = dlg.ChosenPart();
    return (parts & part) ? part : 0;
}

bool TDialogFileChoices::ChooseSaveParts(SaveParts& parts) {
    TChooseSaveDlg dlg(owner_);
    if (dlg.exec() != QDialog::Accepted) return false;
    parts = dlg.Parts();
    return true;
}

} // namespace kivra
