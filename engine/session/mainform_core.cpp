#include "engine/session/mainform_core.h"

#include <cmath>

#include "engine/numeric/numformat.h"

namespace kivra {

TMainFormCore::TMainFormCore() = default;

TMainFormCore::~TMainFormCore() = default;

std::vector<TSensTabCore*> TMainFormCore::PagePointers() const {
    std::vector<TSensTabCore*> out;
    out.reserve(Pages.size());
    for (const auto& p : Pages) out.push_back(p.get());
    return out;
}

std::unique_ptr<TSensTabCore> TMainFormCore::MakePage() { return std::make_unique<TSensTabCore>(); }

TSensTabCore* TMainFormCore::AddPage() {
    if (PageCount() >= MaxSets) return nullptr;
    auto page = MakePage();
    if (!page) return nullptr;
    page->Tag = PageCount();
    Pages.push_back(std::move(page));
    PagesChanged();
    return Pages.back().get();
}

void TMainFormCore::DeletePage(int i) {
    if (i < 0 || i >= PageCount()) return;
    Pages.erase(Pages.begin() + i);
    for (int k = 0; k < PageCount(); ++k) Pages[static_cast<std::size_t>(k)]->Tag = k;
    PagesChanged();
}

void TMainFormCore::DeleteAllPages() {
    Pages.clear();
    PagesChanged();
}

bool TMainFormCore::GetModel(bool rebuildList) {
    Model.NumDataPoints = 0;
    Model.NumFitParams = 0;
    Model.TotalChisq = 0;
    Model.NumSets = PageCount();
    if (!ReadPanels(Model)) return false;
    for (auto& p : Pages) p->SetModel(Model);
    if (rebuildList) ModelListChanged();
    return true;
}

void TMainFormCore::ShowModel(TModelData& model, bool fitting, double x) {
    if (fitting)
        RunState = x > 0 ? static_cast<int>(-std::log10(x)) : 0;
    else
        RunState = 7;
    SetSsqText(FormatValue("Ssq: ", model.TotalChisq));
}

} // namespace kivra
