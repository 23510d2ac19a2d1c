#pragma once
// Pieces shared by the species and reaction panels: the frame of header,
// rule and line scroll bar, the row controls, and the look of a box that is
// read-only (disabled, silver) or editable (window colour).
#include <QColor>
#include <QFrame>
#include <functional>
#include <initializer_list>
#include <vector>

class QCheckBox;
class QLabel;
class QScrollBar;

namespace kivra {

// Row r's boxes (height 21) and its labels, pictures and check boxes (height 13).
inline int BoxTop(int row) { return 24 * row + 25; }
inline int SmallTop(int row) { return 24 * row + 29; }

struct HeaderCaption {
    const char* Text;
    int Left, Width;
    bool Bold = false;
};

// A panel of ten rows of line controls under a captioned header, with a
// scroll bar for the lines that do not fit. The user's scrolling reaches
// ScrollTo; every change of size reaches PanelResize.
class TLinePanel : public QFrame {
    Q_OBJECT
public:
    TLinePanel(QWidget* owner, int width, int height, std::initializer_list<HeaderCaption> captions);

    QScrollBar* ScrollBar = nullptr;
    QFrame* Header = nullptr;
    QFrame* Rule = nullptr;

    virtual void PanelResize() = 0;
    // The width at which every row control stands clear of the scroll bar and
    // every header caption fits.
    int ContentWidth() const;

protected:
    virtual void ScrollTo(int pos) = 0;
    void resizeEvent(QResizeEvent* event) override;
    void ShowScrollBar(int maximum, int position);
    void HideScrollBar();
    // The number label of row r, right-aligned.
    QLabel* MakeNumLabel(int row, int left);
    // Widens a column of row controls until its boxes show `longest` whole
    // (WidenColumn); the header captions move with the columns they head.
    void WidenRowColumn(const std::vector<QWidget*>& column, const QString& longest, const QWidget* leftOf);
};

inline const QColor Silver(192, 192, 192);

// The bar under a species panel. Dragging it proposes a new panel height
// (the pointer's y less where the drag took hold); the owner may change or
// refuse it.
class TSplitterBar : public QWidget {
public:
    TSplitterBar(QWidget* parent, std::function<void(int)> dragged);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::function<void(int)> Dragged;
    int Anchor = 0;
    bool Dragging = false;
};

// Sets range and position without raising the user's scroll event.
void SetScrollQuietly(QScrollBar* bar, int maximum, int position);

QLabel* MakeRowLabel(QWidget* parent, int left, int top, int width, const QString& text);
QCheckBox* MakeRowCheck(QWidget* parent, int left, int top);

// Editable: enabled in the window colour; otherwise read-only, disabled and silver.
void SetBoxEditable(QWidget* box, bool editable);

} // namespace kivra
