#pragma once
// A message sink for tests: answers questions from a script and records every
// message, so a test can check text, caption, buttons and icon exactly.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/messages.h"

namespace kivra::test {

struct RecordedMessage {
    std::string Text, Caption;
    MsgButtons Buttons;
    MsgIcon Icon;
};

class ScriptedMessages final : public MessageSink {
public:
    ScriptedMessages() { SetMessageSink(this); }
    ~ScriptedMessages() override { SetMessageSink(nullptr); }
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    // Answers for the next questions, in order. A question without a scripted
    // answer fails the test and is answered Cancel (or No).
    void Answer(MsgResult r) { answers_.push_back(r); }
    // When set, the answer to every unscripted question (for tests that load many files).
    std::optional<MsgResult> AlwaysAnswer;
    // Runs while each question is open, as input that arrives meanwhile.
    std::function<void()> WhileAsking;

    MsgResult Show(const std::string& text, const std::string& caption, MsgButtons buttons,
                   MsgIcon icon) override;

    const std::vector<RecordedMessage>& All() const { return messages_; }
    std::size_t Count() const { return messages_.size(); }
    const RecordedMessage& Last() const { return messages_.back(); }
    void Clear() { messages_.clear(); }
    bool AllAnswered() const { return answers_.empty(); }

private:
    std::deque<MsgResult> answers_;
    std::vector<RecordedMessage> messages_;
};

} // namespace kivra::test
