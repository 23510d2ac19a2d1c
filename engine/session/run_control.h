#pragma once
// What the main window's run commands share with the Monte Carlo run: the
// values a fit may change, saved so that they can be put back exactly, and
// the progress a fit of the window reports to.
#include <span>
#include <string>
#include <vector>

#include "engine/fit/fit_engine.h"
#include "engine/session/mainform_core.h"

namespace kivra {

// The values a fit may change, in the model and in the pages, as they were
// before it began. The parameter vector cannot give them back: a time fitted
// "for all curves" is one parameter, but each curve had its own time before,
// and mapping the pages for the fit already made them equal.
class TFitSnapshot {
public:
    void Take(const TModelData& model, std::span<TSensTabCore* const> pages);
    // Puts the saved values back into the model and into each page that is
    // still the one saved at its place with the same curves.
    void Restore(TModelData& model, std::span<TSensTabCore* const> pages) const;

private:
    struct PageValues {
        const TSensTabCore* Page = nullptr;
        int Curves = 0;
        double InitConc[MaxSpecies] = {};
        double RFactor[MaxSpecies] = {};
        double Kfwd[MaxReactions] = {};
        double Krev[MaxReactions] = {};
        double StockConc[MaxInj] = {};
        std::vector<double> InjStart[MaxInj], InjStop[MaxInj], RefIndex[MaxInj];
    };
    double initConc_[MaxSets][MaxSpecies] = {};
    double rFactor_[MaxSpecies] = {};
    double kfwd_[MaxReactions] = {};
    double krev_[MaxReactions] = {};
    double stockConc_[MaxSets][MaxInj] = {};
    std::vector<PageValues> pages_;
};

// A fit's progress shown in the window: status texts and dots, the model
// after each step with the lambda gauge, pending messages let through, the
// stop request (FitRunning cleared by a second Run Fit), parameter labels.
class TWindowFitProgress final : public FitProgress {
public:
    explicit TWindowFitProgress(TMainFormCore& form) : form_(form) {}
    void SetStatus(const std::string& text) override;
    void AppendStatus(const std::string& text) override;
    void StepShown(double lambda) override;
    bool StopRequested() override { return !form_.FitRunning; }
    bool ParamLabels(int k, std::string& type, std::string& scope) override;

private:
    TMainFormCore& form_;
    std::string status_;
};

} // namespace kivra
