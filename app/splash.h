#pragma once
// The start-up picture: a borderless window above the others, shown while the
// program starts and hidden by the main window's first idle pass after two
// seconds, or at once by a click.
#include <QWidget>

class QLabel;

namespace kivra {

class TSplashForm : public QWidget {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget* parent = nullptr);
    QLabel* Image1 = nullptr;
    void FormMouseDown();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

extern TSplashForm* SplashForm;

// Places a window in the middle of the primary screen (integer halves).
void CentreOnScreen(QWidget* window);

} // namespace kivra
