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

std::string ScriptedFileChoices::Name(bool save, const FileDialogSpec& dialog) {
    nameQuestions_.push_back({save, dialog});
    if (nameAnswers_.empty()) {
        ADD_FAILURE() << "unscripted file dialog: " << dialog.Title;
        return {};
    }
    std::string r = nameAnswers_.front();
    nameAnswers_.pop_front();
    return r;
}

} // namespace kivra::test
