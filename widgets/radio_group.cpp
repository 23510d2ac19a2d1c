#include "widgets/radio_group.h"

#include <QBoxLayout>
#include <QRadioButton>

namespace kivra {

TRadioGroup::TRadioGroup(const QString& caption, std::initializer_list<const char*> items, int itemIndex,
                         QWidget* parent)
    : QGroupBox(caption, parent) {
    auto* column = new QVBoxLayout(this);
    for (const char* item : items) {
        auto* b = new QRadioButton(QString::fromLatin1(item), this);
        column->addWidget(b);
        Items.push_back(b);
    }
    SetItemIndex(itemIndex);
}

int TRadioGroup::ItemIndex() const {
    for (std::size_t i = 0; i < Items.size(); ++i)
        if (Items[i]->isChecked()) return static_cast<int>(i);
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    for (std::size_t i = 0; i < Items.size(); ++i) {
        // Exclusive buttons cannot all be cleared one by one.
        Items[i]->setAutoExclusive(false);
        Items[i]->setChecked(static_cast<int>(i) == index);
        Items[i]->setAutoExclusive(true);
    }
}

} // namespace kivra
