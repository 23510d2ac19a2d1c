#pragma once
#include "platform/core/messages.h"

class QWidget;

namespace kivra {

// Shows the engine's messages in modal message boxes over the given parent.
class QtMessageSink final : public MessageSink {
public:
    explicit QtMessageSink(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    MsgResult Show(const std::string& text, const std::string& caption, MsgButtons buttons,
                   MsgIcon icon) override;

private:
    QWidget* parent_;
};

// Numbers in files and edit boxes always use ".": QApplication adopts the
// user's locale, so the numeric category is put back to "C" right after it.
void UseCNumericLocale();

} // namespace kivra
