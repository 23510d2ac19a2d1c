// The Monte Carlo run: the fit repeated from start values scattered around
// the set values, on data with fresh noise each cycle when asked, each
// cycle's fitted values collected in the parameters' histograms.
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "engine/fit/fit_engine.h"
#include "engine/fit/fit_loop.h"
#include "engine/fit/fit_params.h"
#include "engine/fit/fit_stats.h"
#include "engine/fit/param_labels.h"
#include "engine/model/model_sync.h"
#include "engine/numeric/randoms.h"
#include "engine/session/mainform_core.h"
#include "engine/session/run_control.h"
#include "platform/core/messages.h"

namespace kivra {

namespace {

constexpr const char* RunMcError = "Run MC Error";
constexpr const char* RunFitError = "Run Fit Error";
constexpr const char* RunMonteError = "Run Monte Error";
constexpr const char* NoMemoryText = "Memory Allocation Error";

// Three times the cycles asked for must still count as an int.
constexpr int MaxMonteCycles = std::numeric_limits<int>::max() / 3;

// An integer box: blanks, a sign and digits, or 0 when the text is anything
// else. Digits beyond the range of an int stand at its limit, so that a huge
// count is refused as too large rather than as missing.
int BoxInteger(const std::string& text) {
    std::size_t b = text.find_first_not_of(" \t");
    std::size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos) return 0;
    const char* first = text.data() + b;
    const char* last = text.data() + e + 1;
    bool negative = false;
    if (*first == '+' || *first == '-') {
        negative = *first == '-';
        ++first;
    }
    if (first == last || *first == '+' || *first == '-') return 0;
    long long v = 0;
    const auto r = std::from_chars(first, last, v);
    if (r.ptr != last) return 0;
    if (r.ec == std::errc::result_out_of_range || v > std::numeric_limits<int>::max())
        return negative ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    if (r.ec != std::errc()) return 0;
    return static_cast<int>(negative ? -v : v);
}

// A real box: the whole text as a number, or 0.
double BoxReal(const std::string& text) {
    double v = 0;
    return StrictNumber(text, v) ? v : 0.0;
}

} // namespace

// The status line as a fit's progress: a text, then a dot per curve.
class MonteFitProgress final : public FitProgress {
public:
    explicit MonteFitProgress(TMainFormCore& form) : form_(form) {}
    void SetStatus(const std::string& text) override {
        text_ = text;
        form_.SetStatusText(text_);
    }
    void AppendStatus(const std::string& text) override {
        text_ += text;
        form_.SetStatusText(text_);
    }

private:
    TMainFormCore& form_;
    std::string text_;
};

// One press of Run: the checks, the set-up that replaces the last run's
// results, the cycles and the end that puts the set values back.
class MonteRun {
public:
    explicit MonteRun(TMainFormCore& form)
        : f_(form), pages_(form.PagePointers()), progress_(form), host_(pages_, form.Model, progress_) {}
    ~MonteRun() { ReleasePages(); }
    MonteRun(const MonteRun&) = delete;
    MonteRun& operator=(const MonteRun&) = delete;

    // After the checks of a run (FitCanStart) passed with n parameters.
    void Go(int n) {
        n_ = n;
        if (!SetUp()) return;
        Cycles();
        End();
    }

private:
    bool SetUp();
    bool ReadBoxes();
    void Cycles();
    // Draws the cycle's start values around the set values into a_.
    void DrawStart(TMonteRecord& record);
    // One step of the cycle's fit from lambda (-1 first, 0 last), which it
    // leaves as the step left it.
    const char* Step(double& lambda) {
        return stepper_.Step(host_, a_.get(), ia_.data(), n_, covar_.get(), alpha_.get(), &chisq_, &lambda);
    }
    // The fit of one cycle after its first step, which left lambda; the
    // cycle's error, or empty.
    std::string FitCycle(double lambda);
    std::string TakeResults(TMonteRecord& record);
    void Noise(bool on);
    // The set values go back into the model and the pages, the pages release
    // their fit arrays, and the model is read again; after cycles, the views
    // they changed show the set values again.
    void PutBackSetValues(bool cyclesRan);
    void SetRunning(bool on);
    void End();
    void ReleasePages() {
        if (!pagesAllocated_) return;
        for (TSensTabCore* p : pages_) p->DeallocateFit();
        pagesAllocated_ = false;
    }
    void Status(const std::string& text) { progress_.SetStatus(text); }

    TMainFormCore& f_;
    std::vector<TSensTabCore*> pages_;
    MonteFitProgress progress_;
    PagesFitHost host_;
    // Every cycle's fit steps with it, from its first step to its last.
    FitStepper stepper_;
    bool pagesAllocated_ = false;
    // Writing the set values back puts a time fitted "for all curves" into
    // every curve; the snapshot puts back the times the curves had.
    TFitSnapshot before_;
    // Each cycle shows its fit on the results page; the page shows this again
    // when the run ends.
    TResultsView resultsBefore_;
    double residualSDBefore_ = 0;

    // Settings of this run, taken over by the form once it is set up.
    int cycles_ = 0, maxIter_ = 0;
    double variation_ = 0, noise_ = 0;

    int n_ = 0;
    Vector1 a_, set_;
    OwnedArray<int> ia_;
    Matrix1 alpha_, covar_;
    double chisq_ = 0;
    std::string errorText_;  // of the last failed cycle, for the status line
};

bool MonteRun::ReadBoxes() {
    f_.ReadMonteBoxes();
    const TMonteBoxes& boxes = f_.MonteBoxes;
    auto refuse = [&](const std::string& text, TMonteBox box) {
        ShowMessage(text, RunMonteError);
        f_.FocusMonteBox(box);
        return false;
    };
    cycles_ = BoxInteger(boxes.NumCycles);
    if (cycles_ < 1) return refuse("Number of cycles must be greater than 0", TMonteBox::NumCycles);
    if (cycles_ > MaxMonteCycles)
        return refuse("Number of cycles must not be greater than " + std::to_string(MaxMonteCycles),
                      TMonteBox::NumCycles);
    maxIter_ = BoxInteger(boxes.MaxIter);
    if (maxIter_ < 1)
        return refuse("Maximum number of iterations must be greater than 0", TMonteBox::MaxIter);
    variation_ = BoxReal(boxes.Variation);
    if (!(variation_ > 0)) return refuse("Variation must be greater than 0", TMonteBox::Variation);
    variation_ *= 0.01;
    noise_ = boxes.AddNoiseChecked ? BoxReal(boxes.AddNoise) : 0.0;
    return true;
}

bool MonteRun::SetUp() {
    TModelData& model = f_.Model;
    if (!ReadBoxes()) return false;

    // Before the pages map the parameters, which puts a time fitted for all
    // curves into every curve.
    before_.Take(f_.Model, pages_);
    // From here a refused run puts back what the mapping changed.
    auto refuse = [&](const std::string& text, const char* caption) {
        ReleasePages();
        before_.Restore(f_.Model, pages_);
        ShowMessage(text, caption);
        return false;
    };
    pagesAllocated_ = true;
    for (TSensTabCore* p : pages_) {
        if (!p->AllocateFit(model, n_)) return refuse("Sens memory allocation error", RunFitError);
    }
    if (!a_.Reset(1, n_) || !set_.Reset(1, n_) || !ia_.Reset(static_cast<std::size_t>(n_) + 1, 0) ||
        !alpha_.Reset(1, n_, 1, n_) || !covar_.Reset(1, n_, 1, n_))
        return refuse(NoMemoryText, RunMcError);
    kivra::GetFitParams(model, a_.get(), ia_.data(), n_);
    for (int k = 1; k <= n_; ++k) set_[k] = a_[k];
    // The histograms' titles: "3. kfwd: A + B = AB".
    const ParamLabelList labels = kivra::GetParamLabels(model);
    std::vector<std::string> titles;
    for (int k = 1; k <= n_; ++k) {
        const auto i = static_cast<std::size_t>(k - 1);
        titles.push_back(std::to_string(k) + ". " + (k <= labels.Count() ? labels.Type[i] : "") + ": " +
                         (k <= labels.Count() ? labels.Scope[i] : ""));
    }
    // A non-negative parameter is drawn again until its start is not negative,
    // which from a negative set value would never end.
    for (int k = 1; k <= n_; ++k) {
        if (ia_[static_cast<std::size_t>(k)] == FitCodeNonNegative && !(set_[k] >= 0))
            return refuse("Negative set value of " + titles[static_cast<std::size_t>(k - 1)] +
                              "\nIt must be 0 or more for a Monte Carlo run",
                          RunMonteError);
    }

    f_.RunState = 0;
    Status("Setting up Monte");
    // The old records stay until the new ones exist.
    TMonteRecordArray records;
    if (!records.Make(3 * cycles_, n_)) return refuse(NoMemoryText, RunMcError);

    SetRunning(true);
    f_.ShowModel(model, false, 1.0);
    f_.ProcessMessages();
    if (!f_.MonteRunning) {
        // Stopped before anything was replaced: the last run's results stand.
        PutBackSetValues(false);
        SetRunning(false);
        return false;
    }

    std::vector<std::unique_ptr<THistogramCore>> histograms;
    for (int k = 1; k <= n_; ++k) {
        auto h = f_.MakeHistogram(3 * cycles_, titles[static_cast<std::size_t>(k - 1)]);
        if (!h || !h->Allocated()) {
            ShowMessage(NoMemoryText, RunMcError);
            f_.MonteRunning = false;
            PutBackSetValues(false);
            SetRunning(false);
            return false;
        }
        h->SetValue = set_[k];
        histograms.push_back(std::move(h));
    }

    // Records, counters, settings and histograms change together.
    f_.MonteRecords = std::move(records);
    f_.MonteCapacity = 3 * cycles_;
    f_.MonteNumCycles = cycles_;
    f_.MonteMaxIter = maxIter_;
    f_.MonteVariation = variation_;
    f_.MonteNoise = noise_;
    f_.MonteNumParams = n_;
    f_.MonteCycles = 0;
    f_.MonteSucceeded = 0;
    f_.MonteUnsaved = false;
    f_.MonteModelReplaced = false;
    f_.Histograms.swap(histograms);
    histograms.clear();
    f_.HistogramsChanged();
    resultsBefore_ = f_.Results;
    residualSDBefore_ = f_.ResidualSD;
    return true;
}

void MonteRun::Noise(bool on) {
    if (!(f_.MonteNoise > 0)) return;
    for (TSensTabCore* p : pages_) {
        if (on) p->RandomizeData(f_.MonteNoise);
        else p->RestoreData();
    }
}

void MonteRun::DrawStart(TMonteRecord& record) {
    long* seed = &RandomSeed();
    for (int k = 1; k <= n_; ++k) {
        do {
            a_[k] = GaussRandom(seed) * (set_[k] * f_.MonteVariation) + set_[k];
        } while (ia_[static_cast<std::size_t>(k)] == FitCodeNonNegative && a_[k] < 0);
        record.Start[k] = a_[k];
    }
}

std::string MonteRun::FitCycle(double lambda) {
    TModelData& model = f_.Model;
    std::string error;
    // The Run Fit command ends only the cycle's fit, without its covariance.
    auto fitStopped = [&] {
        if (!f_.FitRunning && error.empty()) error = "Fit stopped";
    };
    int iterations = 0;
    fitStopped();
    bool converged = false;
    while (f_.FitRunning && f_.MonteRunning && !converged && iterations < f_.MonteMaxIter) {
        ++iterations;
        if (const char* err = Step(lambda)) {
            f_.FitRunning = false;
            error = err;
            break;
        }
        kivra::PutFitParams(a_.get(), model, n_, pages_);
        f_.ShowModel(model, true, lambda);
        f_.ProcessMessages();
        fitStopped();
        converged = stepper_.Converged();
    }
    // A fit that reached the limit fails on it, whatever else ended its last
    // step (even convergence), so only a fit that ended below it needs its
    // covariance.
    if (iterations >= f_.MonteMaxIter) return "Iteration limit exceeded";
    if (!f_.MonteRunning) return "Analysis stopped";
    if (!error.empty()) return error;
    lambda = 0;
    if (const char* err = Step(lambda)) {
        f_.FitRunning = false;
        return err;
    }
    return {};
}

std::string MonteRun::TakeResults(TMonteRecord& record) {
    TModelData& model = f_.Model;
    kivra::PutFitParams(a_.get(), model, n_, pages_);
    f_.ShowFitResults(model, n_, covar_.get(), a_.get(), chisq_);
    f_.ShowModel(model, false, 1.0);
    std::string error;
    const double residualSD = ResidualStdDev(chisq_, model.NumDataPoints, n_);
    for (int k = 1; k <= n_; ++k) {
        record.Result[k] = a_[k];
        double se = 0;
        // What is not a number stays out of every statistic.
        if (!ParamStdError(covar_.get(), k, residualSD, se) || !std::isfinite(se)) {
            if (error.empty()) error = "Negative variance";
        } else if (!std::isfinite(a_[k])) {
            if (error.empty()) error = "Invalid result";
        } else {
            f_.Histograms[static_cast<std::size_t>(k - 1)]->AddResult(a_[k], se);
        }
    }
    return error;
}

void MonteRun::Cycles() {
    TModelData& model = f_.Model;
    bool failureSeen = false;
    while (f_.MonteRunning && f_.MonteCycles < f_.MonteCapacity && f_.MonteSucceeded < f_.MonteNumCycles) {
        std::string status = "Monte Cycle: " + std::to_string(f_.MonteCycles) +
                             "  Complete: " + std::to_string(f_.MonteSucceeded);
        if (failureSeen) status += "  Error: " + errorText_;
        Status(status);
        Noise(true);
        TMonteRecord& record = f_.MonteRecords[f_.MonteCycles];
        DrawStart(record);

        double lambda = -1;
        f_.FitRunning = true;
        if (const char* err = Step(lambda)) {
            // The data or the model cannot be fitted at all: the run ends.
            ShowMessage(err, RunMcError);
            f_.FitRunning = false;
            Noise(false);
            f_.MonteRunning = false;
            return;
        }
        f_.ShowModel(model, true, lambda);
        f_.ProcessMessages();
        if (!f_.FitRunning) {
            kivra::PutFitParams(a_.get(), model, n_, pages_);
            f_.ShowModel(model, false, 1.0);
        }

        std::string error = FitCycle(lambda);
        if (error.empty()) error = TakeResults(record);
        record.Message = OneLine(error);
        record.Succeeded = error.empty();
        record.Chisq = chisq_;
        Noise(false);
        ++f_.MonteCycles;
        if (record.Succeeded) {
            ++f_.MonteSucceeded;
        } else {
            failureSeen = true;
            errorText_ = record.Message;
        }
        f_.FitRunning = false;
    }
}

void MonteRun::SetRunning(bool on) {
    f_.MonteRunning = on;
    f_.SetMonteButtonCaption(on ? "Stop" : "Run");
    // The window locks or frees the commands that change data at once.
    f_.BusyChanged();
}

void MonteRun::PutBackSetValues(bool cyclesRan) {
    kivra::PutFitParams(set_.get(), f_.Model, n_, pages_);
    before_.Restore(f_.Model, pages_);
    f_.FitRunning = false;
    ReleasePages();
    f_.GetModelAfterRun();
    if (cyclesRan) {
        // The cycles left their fits on show, of perturbed data and values
        // that are gone; the model holds the set values again, and so must
        // every view of it: the results page, the plots, "Ssq:" and so the report.
        f_.Results = std::move(resultsBefore_);
        f_.ResidualSD = residualSDBefore_;
        f_.ResultsChanged();
        f_.ResimulatePages();
    }
    f_.ShowModel(f_.Model, false, 1.0);
    Status("Done");
}

void MonteRun::End() {
    PutBackSetValues(true);
    SetRunning(false);
    f_.MonteUnsaved = f_.MonteCycles > 0;
}

std::unique_ptr<THistogramCore> TMainFormCore::MakeHistogram(int capacity, const std::string& title) {
    return std::make_unique<THistogramCore>(capacity, title);
}

void TMainFormCore::RunMonteButtonClick() {
    if (MonteRunning) {
        MonteRunning = false;
        SetMonteButtonCaption("Run");
        return;
    }
    // A fit is going: only its own command may act on it.
    if (FitRunning) return;
    TCommandScope command(*this);
    if (command.Refused() || !SaveUnsavedMonte()) return;
    // The checks may show a page and messages: the run takes the pages once they passed.
    int n = 0;
    if (!FitCanStart(RunMcError, n)) return;
    MonteRun run(*this);
    run.Go(n);
}

} // namespace kivra
