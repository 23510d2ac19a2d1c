#pragma once
// Message boxes as the engine sees them: a text, a caption, buttons and an icon.
// The program installs a sink over real message boxes; tests install one that
// answers from a script and records what was asked.
#include <string>

namespace kivra {

enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgIcon { None, Exclamation, Information, Question, Error };
enum class MsgResult { Ok, Yes, No, Cancel };

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual MsgResult Show(const std::string& text, const std::string& caption,
                           MsgButtons buttons, MsgIcon icon) = 0;
};

// Installs the sink that every later message goes to; null restores the
// default, which answers Ok / No / Cancel without showing anything.
void SetMessageSink(MessageSink* sink);
MessageSink& CurrentMessageSink();

MsgResult ShowMessage(const std::string& text, const std::string& caption,
                      MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::None);

} // namespace kivra
