// The main window's model file commands: they ask, read into scratch copies
// through the file form (engine/files/model_file.h), and apply what was read
// whole.
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "engine/files/datafile_text.h"
#include "engine/files/file_io.h"
#include "engine/files/model_file.h"
#include "engine/session/mainform_core.h"
#include "platform/core/messages.h"

namespace kivra {

bool TMainFormCore::ReadModel(TSensTabCore::FileText& f, int version, TModelData& model) {
    return ReadModelPart(f, version, model);
}

bool TMainFormCore::ReadResults(TSensTabCore::FileText& f) {
    // A damaged tail costs the results page, not the model and the data before it.
    const bool intact = ReadResultsPart(f, Results);
    ResultsChanged();
    return intact;
}

bool TMainFormCore::ModelLoaded() {
    MonteModelReplaced = true;
    // A new model opens the list as a new model does, whatever groups the old one had open.
    BuildModelHeads();
    // Synchronises the model; what it holds now counts as saved.
    return MarkSaved();
}

bool TMainFormCore::LoadModel() {
    if (Busy()) return false;
    std::string name;
    if (!AskFileName(FileDialog::ModelOpen, name)) return false;
    ProcessMessages();  // the dialog goes before the reading starts
    return LoadModelFile(name);
}

bool TMainFormCore::LoadModelFile(const std::string& fileName) {
    if (Busy()) return false;
    std::string bytes;
    if (!LoadFileText(fileName, bytes)) return false;
    TSensTabCore::FileText f(std::move(bytes));
    const int version = ModelFileVersion(f.LineAt(0));
    if (version <= 0) {
        ShowMessage(version == 0 ? "Not a model file or wrong version" : "Wrong version", "File Error");
        return false;
    }
    f.NextLine();

    // Everything is read into scratch copies; only a file read whole replaces anything.
    TModelData model = Model;
    if (!ReadModel(f, version, model)) return false;
    int sets = 0;
    if (!ReadSetCount(f, sets)) return false;
    if (sets == 0 || ShowMessage("Load associated data sets?\n   (Delete existing sets)", "Load Model",
                                 MsgButtons::YesNo) != MsgResult::Yes) {
        // The pages stay, and with them the shared-stock flags that describe them.
        std::copy(std::begin(Model.StockGlobal), std::end(Model.StockGlobal), std::begin(model.StockGlobal));
        std::copy(std::begin(Model.FitStockGlobal), std::end(Model.FitStockGlobal), std::begin(model.FitStockGlobal));
        Model = model;
        WritePanels(Model);
        // The pages are not the file's: a save must not go there unasked.
        ModelFileName = sets == 0 && PageCount() == 0 ? fileName : std::string();
        return ModelLoaded();
    }

    std::vector<std::unique_ptr<TSensTabCore>> pages;
    if (!ReadSetBlocks(f, version, sets, model, pages)) return false;

    Model = model;
    WritePanels(Model);
    DeleteAllPages();
    for (auto& read : pages) {
        TSensTabCore* page = AddPage();
        if (!page) break;
        page->TakeReadSet(*read, Model);
    }
    if (version >= 33) {
        ReadResults(f);
    } else {
        Results = TResultsView{};
        ResultsChanged();
    }
    ModelFileName = fileName;
    return ModelLoaded();
}

bool TMainFormCore::SaveModel() {
    if (Busy()) return false;
    // A model the panels cannot give is told about before any file is asked for.
    return GetModel(true) && SaveSynchronisedModel();
}

bool TMainFormCore::SaveSynchronisedModel() {
    if (Busy()) return false;
    // The model's own file is offered, in its folder; the dialog asks before
    // it is overwritten.
    std::string name = ModelFileName;
    return AskFileName(FileDialog::ModelSave, name) && WriteModel(name);
}

bool TMainFormCore::SaveModelFile(const std::string& fileName) {
    if (Busy()) return false;
    // The file holds what the panels show.
    return GetModel(true) && WriteModel(fileName);
}

bool TMainFormCore::WriteModel(const std::string& fileName) {
    if (!WriteModelFile(fileName, Model, PagePointers(), Results, &SavedFingerprint)) return false;
    ModelFileName = fileName;
    return true;
}

// ---- unsaved work ------------------------------------------------------------------

bool TMainFormCore::MarkSaved() {
    const bool read = GetModel(true);
    SavedFingerprint = ModelFileFingerprint(Model, PagePointers(), Results);
    return read;
}

bool TMainFormCore::ModelChanged() { return !GetModel(true) || !MatchesSaved(); }

bool TMainFormCore::MatchesSaved() {
    return ModelFileFingerprint(Model, PagePointers(), Results) == SavedFingerprint;
}

bool TMainFormCore::SaveFirst(const std::string& question, const std::string& caption,
                              const std::function<bool()>& save) {
    switch (ShowMessage(question, caption, MsgButtons::YesNoCancel)) {
    case MsgResult::Yes: return save();
    case MsgResult::No: return true;
    default: return false;
    }
}

bool TMainFormCore::SaveChangedModel(const std::string& caption) {
    // The panels are read once, for the question and the save: a model they
    // cannot give (told once) counts as changed and cannot be saved.
    const bool read = GetModel(true);
    if (read && MatchesSaved()) return true;
    return SaveFirst("Save current model?", caption, [this, read] {
        return read && (ModelFileName.empty() ? SaveSynchronisedModel() : WriteModel(ModelFileName));
    });
}

bool TMainFormCore::SaveUnsavedMonte() {
    return !MonteUnsaved ||
           SaveFirst("Save current monte carlo results?", "Run Monte Carlo", [this] { return SaveMonteResults(); });
}

bool TMainFormCore::CanClose() { return SaveChangedModel("Exit") && SaveUnsavedMonte(); }

} // namespace kivra
