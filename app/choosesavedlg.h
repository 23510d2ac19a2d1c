#pragma once
// Which traces of a data page to save, and whether several go into one file.
#include "app/small_dialog.h"
#include "engine/files/file_choices.h"

class QCheckBox;
class QFrame;

namespace kivra {

class TChooseSaveDlg : public TSmallDialog {
    Q_OBJECT
public:
    explicit TChooseSaveDlg(QWidget* owner);

    // "Use One File" can be chosen while two or more parts are ticked; its
    // own tick stays as the user left it.
    void CheckClick();
    // The ticks; OneFile only while "Use One File" is enabled and ticked.
    SaveParts Parts() const;

    QFrame* Bevel1 = nullptr;
    QCheckBox* DataCheck = nullptr;
    QCheckBox* SimCheck = nullptr;
    QCheckBox* ResCheck = nullptr;
    QCheckBox* OneCheck = nullptr;
};

} // namespace kivra
