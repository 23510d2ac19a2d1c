#pragma once
// File questions for tests: answered from a script, each question recorded.
#include <deque>
#include <vector>

#include "engine/files/file_choices.h"

namespace kivra::test {

class ScriptedFileChoices final : public FileChoices {
public:
    ScriptedFileChoices() { SetFileChoices(this); }
    ~ScriptedFileChoices() override { SetFileChoices(nullptr); }
    ScriptedFileChoices(const ScriptedFileChoices&) = delete;
    ScriptedFileChoices& operator=(const ScriptedFileChoices&) = delete;

    struct LoadQuestion {
        int Parts, Preset;
    };

    // The next answers to the load question: a part, or 0 to cancel. An unscripted
    // question fails the test and is cancelled, unless AlwaysPreset is set.
    void AnswerLoad(int part) { loadAnswers_.push_back(part); }
    bool AlwaysPreset = false;
    void AnswerSave(bool ok, const SaveParts& parts) { saveAnswers_.push_back({ok, parts}); }

    int ChooseLoadPart(int parts, int preset) override;
    bool ChooseSaveParts(SaveParts& parts) override;

    const std::vector<LoadQuestion>& LoadQuestions() const { return loadQuestions_; }

private:
    struct SaveAnswer {
        bool Ok;
        SaveParts Parts;
    };
    std::deque<int> loadAnswers_;
    std::deque<SaveAnswer> saveAnswers_;
    std::vector<LoadQuestion> loadQuestions_;
};

} // namespace kivra::test
