#pragma once
// The fit loop over all data pages, without any window: the first step, the
// steps until convergence or a stop, and the last step that leaves the
// covariance. The Run Fit command drives it through FitRun and shows the
// outcome; the Monte Carlo run takes its cycles' steps, stopping rule and
// last step from a stepper of its own in the same way.
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
    int Steps = 0;  // steps with a non-zero lambda
};

// The loop over a prepared vector a[1..n] with codes ia[1..n], stepped by the
// run's stepper: chisq ends as the accepted sum, covar as the covariance
// (Converged and Stopped). Every accepted vector goes to the model and pages
// through host.PutParams; on every end the pages' simulations and sums belong
// to the vector a returns. Error texts are reported through ReportFitError.
FitLoopResult RunFitLoop(FitStepper& stepper, FitHost& host, double* a, const int* ia, int n,
                         double** covar, double** alpha, double& chisq);

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
    int NumDataPoints() const override { return model_.NumDataPoints; }
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
    FitStepper Stepper;

private:
    std::span<TSensTabCore* const> pages_;
    TModelData& model_;
    bool pagesAllocated_ = false;
};

} // namespace kivra
