#pragma once
// The data file routines' questions answered by the dialogs: the part of a
// multi-part file to load, the traces of a page to save.
#include "engine/files/file_choices.h"

class QWidget;

namespace kivra {

class TDialogFileChoices final : public FileChoices {
public:
    // owner: the window the dialogs belong to.
    explicit TDialogFileChoices(QWidget* owner) : owner_(owner) {}
    int ChooseLoadPart(int parts, int preset) override;
    bool ChooseSaveParts(SaveParts& parts) override;

private:
    QWidget* owner_;
};

} // namespace kivra
