#include "widgets/edit_box.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace kivra {
namespace {

// The line edit keeps this many pixels clear on each side of its text.
constexpr int TextInset = 2;
// Space kept between a widened column and the control on its left.
constexpr int ColumnGap = 8;

} // namespace

void FillBox(QLineEdit* box, const QString& text) {
    box->setText(text);
    box->setCursorPosition(0);
}

int WholeTextWidth(const QLineEdit* box, const QString& text) {
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    const QMargins margins = box->textMargins();
    // One pixel for the cursor after the last character, one for rounding.
    const int content = box->fontMetrics().horizontalAdvance(text) + 2 * TextInset + 2 + margins.left() +
                        margins.right();
    return box->style()->sizeFromContents(QStyle::CT_LineEdit, &option, QSize(content, box->height()), box).width();
}

int WidenColumn(const std::vector<QWidget*>& column, const QString& longest, const QWidget* leftOf,
                std::initializer_list<QWidget*> containers) {
    if (column.empty()) return 0;
    int width = column.front()->width();
    for (const QWidget* w : column)
        if (const auto* box = qobject_cast<const QLineEdit*>(w)) width = std::max(width, WholeTextWidth(box, longest));
    const int left = column.front()->x(), right = left + column.front()->width();
    const int grow = width - column.front()->width();
    if (grow <= 0) return 0;
    const int floor = leftOf ? leftOf->geometry().right() + 1 + ColumnGap : left;
    const int fromLeft = std::clamp(left - floor, 0, grow);
    const int push = grow - fromLeft;
    if (push > 0)
        for (QWidget* container : containers)
            for (QWidget* w : container->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (w->x() >= right) w->move(w->x() + push, w->y());
    for (QWidget* w : column) w->setGeometry(left - fromLeft, w->y(), width, w->height());
    return push;
}

} // namespace kivra
