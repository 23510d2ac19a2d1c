#include "engine/session/run_control.h"

#include <algorithm>

#include "engine/fit/fit_loop.h"
#include "engine/fit/fit_params.h"
#include "engine/numeric/numformat.h"
#include "engine/session/dialog_entries.h"
#include "platform/core/messages.h"

namespace kivra {
namespace {

constexpr const char* RunFitCaption = "Run Fit Error";

template <class T, std::size_t N>
void CopyValues(const T (&from)[N], T (&to)[N]) {
    std::copy(std::begin(from), std::end(from), std::begin(to));
}

template <class T, std::size_t R, std::size_t C>
void CopyValues(const T (&from)[R][C], T (&to)[R][C]) {
    for (std::size_t r = 0; r < R; ++r) CopyValues(from[r], to[r]);
}

} // namespace

// ---- values before a fit ---------------------------------------------------------

void TFitSnapshot::Take(const TModelData& model, std::span<TSensTabCore* const> pages) {
    CopyValues(model.InitConc, initConc_);
    CopyValues(model.RFactor, rFactor_);
    CopyValues(model.Kfwd, kfwd_);
    CopyValues(model.Krev, krev_);
    CopyValues(model.StockConc, stockConc_);
    pages_.clear();
    for (const TSensTabCore* page : pages) {
        PageValues v;
        v.Page = page;
        v.Curves = page->NumCurves;
        CopyValues(page->InitConc, v.InitConc);
        CopyValues(page->RFactor, v.RFactor);
        CopyValues(page->Kfwd, v.Kfwd);
        CopyValues(page->Krev, v.Krev);
        CopyValues(page->StockConc, v.StockConc);
        auto save = [&](const OwnedArray<double>& from, std::vector<double>& to) {
            const std::size_t n = std::min(from.size(), static_cast<std::size_t>(std::max(v.Curves, 0)));
            to.assign(from.data(), from.data() + n);
        };
        for (int j = 0; j < MaxInj; ++j) {
            save(page->InjStart[j], v.InjStart[j]);
            save(page->InjStop[j], v.InjStop[j]);
            save(page->RefIndex[j], v.RefIndex[j]);
        }
        pages_.push_back(std::move(v));
    }
}

void TFitSnapshot::Restore(TModelData& model, std::span<TSensTabCore* const> pages) const {
    CopyValues(initConc_, model.InitConc);
    CopyValues(rFactor_, model.RFactor);
    CopyValues(kfwd_, model.Kfwd);
    CopyValues(krev_, model.Krev);
    CopyValues(stockConc_, model.StockConc);
    for (std::size_t p = 0; p < pages_.size() && p < pages.size(); ++p) {
        const PageValues& v = pages_[p];
        TSensTabCore* page = pages[p];
        if (page != v.Page || page->NumCurves != v.Curves) continue;
        CopyValues(v.InitConc, page->InitConc);
        CopyValues(v.RFactor, page->RFactor);
        CopyValues(v.Kfwd, page->Kfwd);
        CopyValues(v.Krev, page->Krev);
        CopyValues(v.StockConc, page->StockConc);
        auto put = [](const std::vector<double>& from, OwnedArray<double>& to) {
            if (to.size() >= from.size()) std::copy(from.begin(), from.end(), to.data());
        };
        for (int j = 0; j < MaxInj; ++j) {
            put(v.InjStart[j], page->InjStart[j]);
            put(v.InjStop[j], page->InjStop[j]);
            put(v.RefIndex[j], page->RefIndex[j]);
        }
    }
}

// ---- progress of a fit in the window ---------------------------------------------------

void TWindowFitProgress::SetStatus(const std::string& text) {
    status_ = text;
    form_.SetStatusText(status_);
}

void TWindowFitProgress::AppendStatus(const std::string& text) {
    status_ += text;
    form_.SetStatusText(status_);
}

bool TWindowFitProgress::ParamLabels(int k, std::string& type, std::string& scope) {
    const ParamLabelList labels = form_.GetParamLabels(form_.Model);
    if (k < 1 || k > labels.Count()) return false;
    type = labels.Type[static_cast<std::size_t>(k - 1)];
    scope = labels.Scope[static_cast<std::size_t>(k - 1)];
    return true;
}

void TWindowFitProgress::StepShown(double lambda) {
    form_.ShowModel(form_.Model, true, lambda);
    form_.ProcessMessages();
}

// ---- simulation --------------------------------------------------------------------------

double TMainFormCore::SimulatePages(int& failed, double& failSsq) {
    double total = 0;
    failed = -1;
    failSsq = 0;
    for (int i = 0; i < PageCount(); ++i) {
        SetStatusText("Running simulation: Set " + std::to_string(i + 1));
        const double ssq = Page(i).RunModel();
        if (ssq < 0) {
            failed = i;
            failSsq = ssq;
            break;
        }
        total += ssq;
    }
    return total;
}

void TMainFormCore::ShowFailedSimulation(int page, double ssq) {
    if (ssq <= -10) ShowModelPage();
    else ShowDataPage(page);
}

void TMainFormCore::ResimulatePages() {
    int failed = -1;
    double failSsq = 0;
    Model.TotalChisq = SimulatePages(failed, failSsq);
    if (failed >= 0) ShowFailedSimulation(failed, failSsq);
}

void TMainFormCore::RunSimulation() {
    if (Busy()) return;
    TCommandScope command(*this);
    if (command.Refused()) return;
    if (PageCount() == 0) {
        TSensTabCore* page = AddPage();
        if (!page) return;
        ShowDataPage(page->Tag);
        TNewSetAnswer answer;
        if (!AskNewSet(answer) || !HasPage(page)) return;
        int curves = 0;
        double total = 0, interval = 0;
        if (!ReadTypedInteger(answer.Curves, curves) || !ReadTypedDecimal(answer.TotalTime, total) ||
            !ReadTypedDecimal(answer.Interval, interval)) {
            ShowMessage("Conversion error", "New Data Set");
            return;
        }
        page->CreateSet(curves, total, interval);
    }
    if (!GetModel(true)) return;
    RunState = 0;
    RepaintStatus();
    int failed = -1;
    double failSsq = 0;
    const double total = SimulatePages(failed, failSsq);
    if (failed >= 0) ShowFailedSimulation(failed, failSsq);
    Model.TotalChisq = total;
    SetSsqText(FormatValue("Ssq: ", total));
    if (failed < 0 && (ActiveTab() == PageKind::Model || ActiveTab() == PageKind::Results)) ShowPlotPage();
    RunState = 7;
    SetStatusText("Done");
    RepaintStatus();
}

void TMainFormCore::RunSimulationSet(int set) {
    if (Busy() || set < 0 || set >= PageCount()) return;
    if (!GetModel(true)) return;
    SetStatusText("Running simulation: Set " + std::to_string(set + 1));
    const double ssq = Page(set).RunModel();
    if (ssq < 0) ShowFailedSimulation(set, ssq);
    SetSsqText("Ssq:");
    SetStatusText("Done");
}

// ---- noise and smoothing -----------------------------------------------------------------

TSensTabCore* TMainFormCore::ActivePage() {
    const int i = ActiveDataPage();
    return i >= 0 && i < PageCount() ? &Page(i) : nullptr;
}

void TMainFormCore::RunAddNoise() {
    if (Busy()) return;
    TCommandScope command(*this);
    TSensTabCore* page = ActivePage();
    if (command.Refused() || !page) return;
    std::string text;
    if (!AskNoise(text) || !HasPage(page)) return;
    double sd = 0;
    if (!ReadTypedDecimal(text, sd)) sd = 0;
    page->AddNoise(sd);
}

void TMainFormCore::RunSmooth() {
    if (Busy()) return;
    TCommandScope command(*this);
    TSensTabCore* page = ActivePage();
    if (command.Refused() || !page || !page->GetLoaded()) return;
    int window = 0, order = 0;
    if (!AskSmooth(window, order) || !HasPage(page)) return;
    page->Smooth(window, order);
}

// ---- fit ----------------------------------------------------------------------------------------

void TMainFormCore::GetFitParams(TModelData& model, double* a, int* ia) {
    kivra::GetFitParams(model, a, ia, model.NumFitParams);
}

void TMainFormCore::PutFitParams(const double* a, TModelData& model, int n) {
    const std::vector<TSensTabCore*> pages = PagePointers();
    kivra::PutFitParams(a, model, n, pages);
}

void TMainFormCore::ReportNoEffect(const char* text, int n) {
    TWindowFitProgress progress(*this);
    kivra::ReportNoEffect(text, n, progress);
}

void TMainFormCore::FinishFit(int n, bool ok, const double* keep, const TFitSnapshot* restore) {
    FitRunning = false;
    BusyChanged();
    const std::vector<TSensTabCore*> pages = PagePointers();
    if (restore) {
        for (TSensTabCore* page : pages) page->DeallocateFit();
        restore->Restore(Model, pages);
        // The pages hold simulations of values that are gone.
        ResimulatePages();
    } else {
        if (keep) kivra::PutFitParams(keep, Model, n, pages);
        for (TSensTabCore* page : pages) page->DeallocateFit();
    }
    ShowModel(Model, false, 0);
    SetStatusText(ok ? "Done" : "Fit stopped");
}

bool TMainFormCore::FitCanStart(const char* caption, int& n) {
    if (PageCount() == 0) {
        ShowMessage("No data to fit", caption);
        return false;
    }
    if (!GetModel(true)) return false;
    for (int i = 0; i < PageCount(); ++i) {
        if (!Page(i).GetLoaded()) {
            ShowDataPage(i);
            ShowMessage("No data loaded", RunFitCaption);
            return false;
        }
    }
    // As Run Simulation says it; the pages could not even map the parameters
    // of a model without species.
    if (Model.NumReactions < 1 || Model.NumSpecies < 1) {
        ShowMessage(Model.NumReactions < 1 ? "Need at least one reaction" : "Need at least one reactant", caption);
        return false;
    }
    n = CountFitParams(Model);
    Model.NumFitParams = n;
    if (n == 0) {
        ShowMessage("Float at least one parameter", RunFitCaption);
        return false;
    }
    // With no more points than parameters nothing is left to judge the fit by:
    // no residual deviation, no errors.
    if (Model.NumDataPoints <= n) {
        ShowMessage("Not enough data points for the number of parameters", RunFitCaption);
        return false;
    }
    return true;
}

void TMainFormCore::RunFit() {
    if (FitRunning) {
        FitRunning = false;
        FitStopped = true;
        return;
    }
    // Between two Monte Carlo cycles there is no fit to stop, and none may start.
    if (MonteRunning) return;
    TCommandScope command(*this);
    if (command.Refused()) return;

    int n = 0;
    if (!FitCanStart(RunFitCaption, n)) return;

    const std::vector<TSensTabCore*> pages = PagePointers();
    TFitSnapshot start;
    start.Take(Model, pages);
    TWindowFitProgress progress(*this);
    FitRun run(pages, Model, progress);
    if (!run.Prepare()) {
        for (TSensTabCore* page : pages) page->DeallocateFit();
        start.Restore(Model, pages);
        ShowMessage("Sens memory allocation error", RunFitCaption);
        return;
    }

    RunState = 0;
    progress.SetStatus("Setting up fit");
    RepaintStatus();
    FitRunning = true;
    FitStopped = false;
    BusyChanged();
    ShowModel(Model, false, 1.0);
    ShowPlotPage();
    ProcessMessages();

    const FitLoopResult result = run.Run();
    FitRunning = false;
    BusyChanged();
    switch (result.End) {
    case FitEnd::NotStarted:
        FinishFit(n, true, nullptr, &start);
        return;
    case FitEnd::Failed:
        FinishFit(n, false, run.A.get());
        return;
    case FitEnd::Stopped:
    case FitEnd::Converged:
        break;
    }

    bool keep = true;
    FitStopped = result.End == FitEnd::Stopped;
    if (FitStopped && Closing) {
        // The window is closing: nothing is asked and nothing more shown.
        FinishFit(n, false, run.A.get());
        return;
    }
    if (FitStopped) {
        SetStatusText("Fit stopped");
        keep = ShowMessage("Update model with current values?", "Fit Stopped", MsgButtons::YesNo) ==
               MsgResult::Yes;
    }
    if (keep) {
        ShowFitResults(Model, n, run.Covariance.get(), run.A.get(), run.Chisq);
        FinishFit(n, true, run.A.get());
        PanelsSetFitResults(Model);
    } else {
        // The panels keep the texts they had; the model and pages go back to
        // what those texts and the pages held before the fit.
        FinishFit(n, true, nullptr, &start);
    }
    ShowModel(Model, false, 0);
    if (keep)
        for (TSensTabCore* page : pages) page->SetFitResults(Model);
    Beep();
}

} // namespace kivra
