#include "controls/panel_parts.h"

#include <QCheckBox>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QScrollBar>
#include <QSignalBlocker>

namespace kivra {

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
    label->setGeometry(left, 4, width, 13);
    return label;
}

QScrollBar* MakeLineScrollBar(QWidget* panel) {
    auto* bar = new QScrollBar(Qt::Vertical, panel);
    bar->setRange(0, 1);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->hide();
    return bar;
}

void PlacePanelFrame(QWidget* panel, QFrame* header, QFrame* rule, QScrollBar* bar) {
    const int w = panel->width(), h = panel->height();
    header->setGeometry(0, 0, w, 20);
    const int ruleHeight = rule->isVisibleTo(panel) ? 1 : 0;
    rule->setGeometry(0, 20, w, 1);
    bar->setGeometry(w - 16, 20 + ruleHeight, 16, h - 20 - ruleHeight > 0 ? h - 20 - ruleHeight : 0);
}

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
        box->setPalette(p);
    }
}

} // namespace kivra
