#pragma once
// A captioned group of radio buttons, one of them chosen: the choice is an
// item index, as the dialogs store it.
#include <QGroupBox>
#include <initializer_list>
#include <vector>

class QRadioButton;

namespace kivra {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, std::initializer_list<const char*> items, int itemIndex, QWidget* parent);
    int ItemIndex() const;
    // An index outside the items chooses none.
    void SetItemIndex(int index);
    int Count() const { return static_cast<int>(Items.size()); }
    std::vector<QRadioButton*> Items;
};

} // namespace kivra
