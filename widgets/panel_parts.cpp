#include "widgets/panel_parts.h"

#include "widgets/edit_box.h"

#include <QCheckBox>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPalette>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

namespace kivra {
namespace {

constexpr int ScrollBarWidth = 16;

// Header strip (height 20, raised) and the one-pixel black rule under it.
QFrame* MakePanelHeader(QWidget* panel) {
    auto* header = new QFrame(panel);
    header->setFrameStyle(QFrame::Panel | QFrame::Raised);
    header->setLineWidth(1);
    header->setGeometry(0, 0, panel->width(), 20);
    return header;
}

QFrame* MakePanelRule(QWidget* panel) {
    auto* rule = new QFrame(panel);
    rule->setAutoFillBackground(true);
    QPalette p = rule->palette();
    p.setColor(QPalette::Window, Qt::black);
    rule->setPalette(p);
    rule->setGeometry(0, 20, panel->width(), 1);
    return rule;
}

QLabel* MakeHeaderCaption(QFrame* header, const char* text, int left, int width, bool bold) {
    auto* label = new QLabel(QString::fromUtf8(text), header);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    font.setBold(bold);
    label->setFont(font);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(p);
    // Captions take the room their text needs, whatever font stands in.
    const int need = label->sizeHint().width();
    label->setGeometry(left, 4, need > width ? need : width, 13);
    return label;
}

// Vertical, hidden, range 0..1, steps of one line.
QScrollBar* MakeLineScrollBar(QWidget* panel) {
    auto* bar = new QScrollBar(Qt::Vertical, panel);
    bar->setRange(0, 1);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->hide();
    return bar;
}

// Header and rule across the top, the scroll bar down the right edge.
void PlacePanelFrame(QWidget* panel, QFrame* header, QFrame* rule, QScrollBar* bar) {
    const int w = panel->width(), h = panel->height();
    header->setGeometry(0, 0, w, 20);
    const int ruleHeight = rule->isVisibleTo(panel) ? 1 : 0;
    rule->setGeometry(0, 20, w, 1);
    bar->setGeometry(w - ScrollBarWidth, 20 + ruleHeight, ScrollBarWidth,
                     h - 20 - ruleHeight > 0 ? h - 20 - ruleHeight : 0);
}

} // namespace

TSplitterBar::TSplitterBar(QWidget* parent, std::function<void(int)> dragged)
    : QWidget(parent), Dragged(std::move(dragged)) {
    setCursor(Qt::SplitVCursor);
}

void TSplitterBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    Anchor = event->globalPosition().toPoint().y() - y();
    Dragging = true;
}

void TSplitterBar::mouseMoveEvent(QMouseEvent* event) {
    if (Dragging) Dragged(event->globalPosition().toPoint().y() - Anchor);
}

void TSplitterBar::mouseReleaseEvent(QMouseEvent*) { Dragging = false; }

void SetScrollQuietly(QScrollBar* bar, int maximum, int position) {
    const QSignalBlocker block(bar);
    bar->setMaximum(maximum);
    bar->setValue(position);
}

QLabel* MakeRowLabel(QWidget* parent, int left, int top, int width, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(left, top, width, 13);
    return label;
}

QCheckBox* MakeRowCheck(QWidget* parent, int left, int top) {
    auto* check = new QCheckBox(parent);
    check->setGeometry(left, top, 13, 13);
    return check;
}

void SetBoxEditable(QWidget* box, bool editable) {
    if (auto* edit = qobject_cast<QLineEdit*>(box)) edit->setReadOnly(!editable);
    box->setEnabled(editable);
    if (editable) {
        box->setPalette(QPalette());  // back to the inherited window colours
    } else {
        QPalette p = box->palette();
        p.setColor(QPalette::Base, Silver);
        // Grey text that stays readable on silver.
        p.setColor(QPalette::Disabled, QPalette::Text, QColor(64, 64, 64));
        box->setPalette(p);
    }
}

TLinePanel::TLinePanel(QWidget* owner, int width, int height, std::initializer_list<HeaderCaption> captions)
    : QFrame(owner) {
    setFrameShape(QFrame::NoFrame);
    resize(width, height);
    Header = MakePanelHeader(this);
    for (const HeaderCaption& c : captions) MakeHeaderCaption(Header, c.Text, c.Left, c.Width, c.Bold);
    Rule = MakePanelRule(this);
    ScrollBar = MakeLineScrollBar(this);
    // Only the user's scrolling: the program moves the bar quietly.
    connect(ScrollBar, &QScrollBar::valueChanged, this, [this](int pos) { ScrollTo(pos); });
}

void TLinePanel::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    PlacePanelFrame(this, Header, Rule, ScrollBar);
    PanelResize();
}

void TLinePanel::ShowScrollBar(int maximum, int position) {
    SetScrollQuietly(ScrollBar, maximum, position);
    ScrollBar->show();
}

void TLinePanel::HideScrollBar() { ScrollBar->hide(); }

int TLinePanel::ContentWidth() const {
    int rows = 0, captions = 0;
    for (const QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w != ScrollBar && w != Header && w != Rule) rows = std::max(rows, w->geometry().right() + 1);
    for (const QWidget* w : Header->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        captions = std::max(captions, w->geometry().right() + 1);
    return std::max(rows + ScrollBarWidth, captions);
}

void TLinePanel::WidenRowColumn(const std::vector<QWidget*>& column, const QString& longest, const QWidget* leftOf) {
    WidenColumn(column, longest, leftOf, {this, Header});
    PlacePanelFrame(this, Header, Rule, ScrollBar);  // the frame stays at the panel's edges
}

QLabel* TLinePanel::MakeNumLabel(int row, int left) {
    QLabel* label = MakeRowLabel(this, left, SmallTop(row), 6, QString::number(row + 1));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Right-aligned on the design's right edge, and wide enough for "10" in
    // whatever font the desktop gives: a narrow label would show only "0".
    const int right = left + 6;
    const int need = label->fontMetrics().horizontalAdvance(QStringLiteral("10")) + 2;
    const int width = need > 6 ? need : 6;
    label->setGeometry(right - width > 0 ? right - width : 0, SmallTop(row), width, 13);
    return label;
}

} // namespace kivra
