#include "tests/support/scripted_messages.h"

#include <gtest/gtest.h>

namespace kivra::test {

MsgResult ScriptedMessages::Show(const std::string& text, const std::string& caption,
                                 MsgButtons buttons, MsgIcon icon) {
    messages_.push_back({text, caption, buttons, icon});
    if (buttons == MsgButtons::Ok) return MsgResult::Ok;
    if (WhileAsking) WhileAsking();
    if (answers_.empty() && AlwaysAnswer) return *AlwaysAnswer;
    if (answers_.empty()) {
        ADD_FAILURE() << "unscripted question: " << text << " (" << caption << ")";
        return buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
    }
    const MsgResult r = answers_.front();
    answers_.pop_front();
    return r;
}

} // namespace kivra::test
