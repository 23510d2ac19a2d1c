#pragma once
// What the small modal dialogs share: a fixed border, a place in the middle
// of the screen, the owner's font, and an OK button (the default) beside a
// Cancel button under the dialog's own controls.
#include <QDialog>

class QBoxLayout;
class QPushButton;

namespace kivra {

class TSmallDialog : public QDialog {
    Q_OBJECT
public:
    TSmallDialog(QWidget* owner, const QString& caption);

    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

protected:
    // The dialog's own controls go here, above the buttons.
    QBoxLayout* Body = nullptr;
    // Call once the controls are in: the dialog takes at least its design
    // client size, more when its texts need it, and keeps that size.
    void FixSize(int width, int height);
    void showEvent(QShowEvent* event) override;
};

} // namespace kivra
