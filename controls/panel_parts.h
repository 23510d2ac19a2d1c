#pragma once
// Pieces shared by the species and reaction panels: the header strip with its
// captions, the black rule under it, the line scroll bar, and the look of a
// box that is read-only (disabled, silver) or editable (window colour).
#include <QColor>

class QCheckBox;
class QFrame;
class QLabel;
class QScrollBar;
class QWidget;

namespace kivra {

inline const QColor Silver(192, 192, 192);

// Header strip (height 20, raised) and the one-pixel black rule under it.
QFrame* MakePanelHeader(QWidget* panel);
QFrame* MakePanelRule(QWidget* panel);
QLabel* MakeHeaderCaption(QFrame* header, const char* text, int left, int width, bool bold = false);
// Vertical, hidden, range 0..1, steps of one line.
QScrollBar* MakeLineScrollBar(QWidget* panel);
// Places header and rule across the top and the scroll bar down the right edge.
void PlacePanelFrame(QWidget* panel, QFrame* header, QFrame* rule, QScrollBar* bar);
// Sets range and position without raising the user's scroll event.
void SetScrollQuietly(QScrollBar* bar, int maximum, int position);

QLabel* MakeRowLabel(QWidget* parent, int left, int top, int width, const QString& text);
QCheckBox* MakeRowCheck(QWidget* parent, int left, int top);

// Editable: enabled in the window colour; otherwise read-only, disabled and silver.
void SetBoxEditable(QWidget* box, bool editable);

} // namespace kivra
