#include "engine/session/mainform_core.h"

#include <cmath>
#include <fstream>

#include "engine/dataset/inj_edit.h"
#include "engine/fit/fit_params.h"
#include "engine/model/model_sync.h"
#include "engine/numeric/numformat.h"
#include "engine/session/results.h"
#include "platform/core/messages.h"

namespace kivra {

TMainFormCore::TMainFormCore() = default;

TMainFormCore::~TMainFormCore() = default;

std::vector<TSensTabCore*> TMainFormCore::PagePointers() const {
    std::vector<TSensTabCore*> out;
    out.reserve(Pages.size());
    for (const auto& p : Pages) out.push_back(p.get());
    return out;
}

bool TMainFormCore::HasPage(const TSensTabCore* page) const {
    for (const auto& p : Pages)
        if (p.get() == page) return true;
    return false;
}

std::unique_ptr<TSensTabCore> TMainFormCore::MakePage() { return std::make_unique<TSensTabCore>(); }

TSensTabCore* TMainFormCore::AddPage() {
    if (PageCount() >= MaxSets) return nullptr;
    auto page = MakePage();
    if (!page) return nullptr;
    page->Tag = PageCount();
    // The page's three calls back into the main window.
    page->OnInjLink = [this](int inj, bool fit, double stock, bool shared) { SetInjLink(inj, fit, stock, shared); };
    page->OnResimulate = [this](int set) { RunSimulationSet(set); };
    page->OnBusy = [this] { return Busy(); };
    page->OnCommand = [this](const std::function<void()>& command) {
        TCommandScope scope(*this);
        if (!scope.Refused()) command();
    };
    Pages.push_back(std::move(page));
    PagesChanged();
    return Pages.back().get();
}

void TMainFormCore::SetInjLink(int inj, bool fit, double stock, bool shared) {
    ApplyInjLink(Model, inj, fit, stock, shared);
}

void TMainFormCore::DeletePage(int i) {
    if (i < 0 || i >= PageCount()) return;
    if (CurrentCurve == i) CurrentCurve = -1;
    else if (CurrentCurve > i) --CurrentCurve;
    // The list is whole again before the page goes: whatever its removal
    // sets off (a page change that synchronises the model) sees only pages
    // that exist.
    std::unique_ptr<TSensTabCore> doomed = std::move(Pages[static_cast<std::size_t>(i)]);
    Pages.erase(Pages.begin() + i);
    for (int k = 0; k < PageCount(); ++k) Pages[static_cast<std::size_t>(k)]->Tag = k;
    PageRemoving(*doomed);
    doomed.reset();
    PagesChanged();
}

void TMainFormCore::DeleteAllPages() {
    CurrentCurve = -1;
    std::vector<std::unique_ptr<TSensTabCore>> doomed = std::move(Pages);
    Pages.clear();
    for (auto& page : doomed) PageRemoving(*page);
    doomed.clear();
    PagesChanged();
}

bool TMainFormCore::GetModel(bool rebuildList) {
    BeginModelSync(Model, PageCount());
    if (!ReadPanels(Model)) {
        // The pages may have new arrays, or be gone, since the last complete
        // synchronisation; the model list reads the record on its next click.
        for (auto& p : Pages) p->PublishArrays(Model);
        return false;
    }
    for (auto& p : Pages) p->SetModel(Model);
    if (rebuildList) BuildModelList();
    return true;
}

void TMainFormCore::GetModelAfterRun() {
    BeginModelSync(Model, PageCount());
    for (auto& p : Pages) p->SetModel(Model);
    // The pages counted their own; the panels' flags are as the run found them.
    Model.NumFitParams = CountFitParams(Model);
    BuildModelList();
}

void TMainFormCore::BuildModelHeads() {
    ModelListState.BuildHeads();
    ModelListChanged();
}

void TMainFormCore::BuildModelList() {
    ModelListState.Build(Model);
    ModelListChanged();
}

void TMainFormCore::ToggleModelLine(int index) {
    if (!ModelListState.Click(index)) return;
    // A click waits in the queue and may come in before a command that
    // reallocated or removed pages has synchronised the model: the record's
    // views of the pages are made current before the list reads them.
    Model.NumSets = PageCount();
    for (auto& p : Pages) p->PublishArrays(Model);
    BuildModelList();
}

void TMainFormCore::ShowModel(TModelData& model, bool fitting, double x) {
    SetSsqText(FormatValue("Ssq: ", model.TotalChisq));
    if (fitting)
        RunState = x > 0 ? static_cast<int>(-std::log10(x)) : 0;
    else
        RunState = 7;
    BuildModelList();
}

void TMainFormCore::ShowFitResults(TModelData& model, int n, double** covariance, double* a,
                                   double chisq) {
    if (FillFitResults(Results, ResidualSD, model, n, covariance, a, chisq, CurrentTime()))
        ResultsChanged();
}

bool TMainFormCore::SaveResults() {
    std::string name;
    if (!AskFileName(FileDialog::DataSave, name)) return false;
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    if (!out) {
        ShowMessage("Unable to open file", "File Error", MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    out << ResultsText(Results);
    out.close();
    // Not written to the end (a full disk, say): no "Done" for half a file.
    if (!out) {
        ShowMessage("Unable to write file", "File Error", MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace kivra
