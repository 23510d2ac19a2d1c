#pragma once
// Drives panel controls as a user would: key presses into edit boxes, clicks
// on check boxes, choices in drop-down lists, steps of scroll bars.
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QString>
#include <ostream>
#include <string>

// Readable failure output for texts of controls.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace kivra::test {

// Types text at the cursor, one key at a time.
inline void Type(QLineEdit* box, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, c.toUpper().unicode(), Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &release);
    }
}

// Selects the whole text and types over it; an empty text erases it.
inline void TypeOver(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    if (text.isEmpty()) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
    } else {
        Type(box, text);
    }
}

// Picks item index from a drop-down list as the user does.
inline void Choose(QComboBox* box, int index) {
    box->setCurrentIndex(index);
    emit box->activated(index);
}

// Not hidden by the program (whether or not the window is on screen).
inline bool Shown(const QWidget* w) { return !w->isHidden(); }

// Which of a row's controls are shown, in column order: 'x' shown, '.' hidden.
template <class... W>
std::string Picture(const W*... controls) {
    return std::string{(Shown(controls) ? 'x' : '.')...};
}

inline void StepDown(QScrollBar* bar, int steps = 1) {
    for (int i = 0; i < steps; ++i) bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
}

inline void StepUp(QScrollBar* bar, int steps = 1) {
    for (int i = 0; i < steps; ++i) bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
}

// Clicks tab index of a page control, pressing and releasing the left button.
inline void ClickTab(QTabWidget* pages, int index) {
    QTabBar* bar = pages->tabBar();
    const QPointF at = bar->tabRect(index).center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent click(type, at, bar->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(bar, &click);
    }
}

} // namespace kivra::test
