#include "platform/core/messages.h"

namespace kivra {
namespace {

// Without a window nobody can answer, so every question takes its safe way out.
class SilentSink final : public MessageSink {
public:
    MsgResult Show(const std::string&, const std::string&, MsgButtons buttons, MsgIcon) override {
        switch (buttons) {
        case MsgButtons::Ok: return MsgResult::Ok;
        case MsgButtons::OkCancel: return MsgResult::Cancel;
        case MsgButtons::YesNo: return MsgResult::No;
        case MsgButtons::YesNoCancel: return MsgResult::Cancel;
        }
        return MsgResult::Ok;
    }
};

SilentSink silentSink;
MessageSink* currentSink = &silentSink;

} // namespace

void SetMessageSink(MessageSink* sink) { currentSink = sink ? sink : &silentSink; }

MessageSink& CurrentMessageSink() { return *currentSink; }

MsgResult ShowMessage(const std::string& text, const std::string& caption, MsgButtons buttons,
                      MsgIcon icon) {
    return currentSink->Show(text, caption, buttons, icon);
}

} // namespace kivra
