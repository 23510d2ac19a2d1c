#pragma once
// The fit loop over all data pages, without any window: the first step, the
// steps until convergence or a stop, and the last step that leaves the
// covariance. The Run Fit command drives it through FitRun and shows the
// outcome; the Monte Carlo run reuses the convergence test (FitConverged,
// with its pages watched by a TrialWatchHost).
#include <span>

#include "engine/fit/fit_engine.h"
#include "engine/model/model_data.h"
#include "engine/numeric/owned_array.h"
#include "engine/numeric/vectors.h"

namespace kivra {

class TSensTabCore;

enum class FitEnd {
    Converged,   // covariance ready; the fitted values stand
    Stopped,     // by the user or by "Fit limit exceeded"; covariance ready; ask whether to keep
    Failed,      // an error text was reported, or a stop came right after the first step
    NotStarted   // stopped before the first step
};

struct FitLoopResult {
    FitEnd End = FitEnd::Failed;
    int Steps = 0;  // calls of FitStep with a non-zero lambda
};

// Relative fall of chi-square over one step; a perfect fit (both 0) counts as
// no change rather than as not-a-number.
double RelativeDecrease(double oldChisq, double chisq);

// The convergence test after one step of the loop. rel is the relative fall
// that the step's trial made, taken from the trial's own sum: positive when it
// was accepted, negative when it was refused (the restored sum would give
// exactly 0 and stop a fit that is still far from its minimum). The fit stands
// when the trial moved chi-square by at most 1e-4 of it, either way, and
// either lambda is at most 1e-4 (a nearly undamped step changes nothing that
// matters) or the undamped step from the accepted values promises a fall of
// less than 1e-4 of chi-square (predictedFall, FitStepper::PredictedFall). The
// second holds at the minimum, where finite-difference noise alone refuses the
// trials and drives lambda up for good; far from it the promise is large, so a
// trial refused because it overshot, or made tiny by a large lambda, goes on.
// A sum that is exactly 0 stands too (nothing can lower it); a rel that is not
// a number never converges.
bool FitConverged(double rel, double lambda, double chisq, double predictedFall);

// A host that passes everything on and remembers the total of its latest
// evaluation: after a step, the trial's chi-square even when it was refused.
class TrialWatchHost final : public FitHost {
public:
    explicit TrialWatchHost(FitHost& inner) : inner_(inner) {}
    int PageCount() const override { return inner_.PageCount(); }
    const char* PageCalcFit(int page, double* a, int ma, double** alpha, double* beta,
                            double* chisq) override {
        return inner_.PageCalcFit(page, a, ma, alpha, beta, chisq);
    }
    void StoreTotalChisq(double chisq) override {
        latest_ = chisq;
        inner_.StoreTotalChisq(chisq);
    }
    void PutParams(const double* a, int ma) override { inner_.PutParams(a, ma); }
    FitProgress& Progress() override { return inner_.Progress(); }

    double LatestChisq() const { return latest_; }

private:
    FitHost& inner_;
    double latest_ = 0;
};

// The loop over a prepared vector a[1..n] with codes ia[1..n]: chisq ends as
// the accepted sum, covar as the covariance (Converged and Stopped). Every
// accepted vector goes to the model and pages through host.PutParams; on
// every end the pages' simulations and sums belong to the vector a returns.
// Error texts are reported through ReportFitError.
FitLoopResult RunFitLoop(FitHost& host, double* a, const int* ia, int n, double** covar,
                         double** alpha, double& chisq);

// The pages and the model as a host of fit steps. Each page reports its
// progress dots to the given progress while the host lives.
class PagesFitHost final : public FitHost {
public:
    PagesFitHost(std::span<TSensTabCore* const> pages, TModelData& model, FitProgress& progress);
    ~PagesFitHost() override;
    PagesFitHost(const PagesFitHost&) = delete;
    PagesFitHost& operator=(const PagesFitHost&) = delete;

    int PageCount() const override;
    const char* PageCalcFit(int page, double* a, int ma, double** alpha, double* beta,
                            double* chisq) override;
    void StoreTotalChisq(double chisq) override { model_.TotalChisq = chisq; }
    void PutParams(const double* a, int ma) override;
    FitProgress& Progress() override { return progress_; }

    // Page evaluations (CalcFit calls) made through this host.
    long Evaluations() const { return evaluations_; }

private:
    std::span<TSensTabCore* const> pages_;
    TModelData& model_;
    FitProgress& progress_;
    long evaluations_ = 0;
};

// One fit of all floated parameters over the pages: the window's Run Fit
// command asks, reports and repaints around it.
class FitRun {
public:
    FitRun(std::span<TSensTabCore* const> pages, TModelData& model, FitProgress& progress);
    ~FitRun();
    FitRun(const FitRun&) = delete;
    FitRun& operator=(const FitRun&) = delete;

    // Counts the parameters, maps them on every page and gathers the vector.
    // False when a page could not make its arrays (Run Fit then reports
    // "Sens memory allocation error") or the work storage failed.
    bool Prepare();
    FitLoopResult Run();
    // Writes the fitted (or, when keepFitted is false, the start) values into
    // the model and the pages and releases every page's fit arrays.
    void Finish(bool keepFitted);

    int N = 0;
    Vector1 A, Start;            // current and start values, 1..N
    OwnedArray<int> Codes;       // constraint codes, 1..N
    Matrix1 Alpha, Covariance;   // 1..N x 1..N
    double Chisq = 0;
    PagesFitHost Host;

private:
    std::span<TSensTabCore* const> pages_;
    TModelData& model_;
    bool pagesAllocated_ = false;
};

} // namespace kivra
