#include "tests/support/scripted_file_choices.h"

#include <gtest/gtest.h>

namespace kivra::test {

int ScriptedFileChoices::ChooseLoadPart(int parts, int preset) {
    loadQuestions_.push_back({parts, preset});
    if (!loadAnswers_.empty()) {
        const int r = loadAnswers_.front();
        loadAnswers_.pop_front();
        return r;
    }
    if (AlwaysPreset) return preset;
    ADD_FAILURE() << "unscripted part question";
    return 0;
}

bool ScriptedFileChoices::ChooseSaveParts(SaveParts& parts) {
    if (saveAnswers_.empty()) {
        ADD_FAILURE() << "unscripted save question";
        return false;
    }
    const SaveAnswer a = saveAnswers_.front();
    saveAnswers_.pop_front();
    if (a.Ok) parts = a.Parts;
    return a.Ok;
}

} // namespace kivra::test
