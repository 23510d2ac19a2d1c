#pragma once
// The smoothing window and polynomial order. Made once at start-up, so the
// entries of one use are there the next time.
#include "app/small_dialog.h"

class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kivra {

class TSmoothDlg : public TSmallDialog {
    Q_OBJECT
public:
    explicit TSmoothDlg(QWidget* owner);

    // Runs on every close (OK, Cancel, Escape, the close box): takes the
    // entries into WindowSize and Order; mayClose is false after a message,
    // and the dialog then stays open.
    void FormClose(bool& mayClose);
    void done(int result) override;

    int WindowSize = 0;  // points in the smoothing window
    int Order = 0;       // polynomial order 0, 2, 4 or 6

    QFrame* Bevel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* WindowSizeBox = nullptr;
    QRadioButton* Order0Button = nullptr;
    QRadioButton* Order2Button = nullptr;
    QRadioButton* Order4Button = nullptr;
    QRadioButton* Order6Button = nullptr;
};

// The program's smoothing dialog, made at start-up.
extern TSmoothDlg* SmoothDlg;

} // namespace kivra
