#include "engine/fit/fit_loop.h"

#include <string>

#include "engine/fit/fit_params.h"
#include "engine/dataset/senstab_core.h"

namespace kivra {

namespace {

// After a rejected trial or a failed evaluation the pages hold a simulation of
// values the fit did not keep; simulate the kept ones again so that plots,
// page sums and the total describe the result.
const char* ResyncPages(FitStepper& stepper, FitHost& host, double* a, int n, double** scratch,
                        double& chisq) {
    if (!stepper.NeedsReevaluation()) return nullptr;
    return stepper.Reevaluate(host, a, n, scratch, &chisq);
}

} // namespace

FitLoopResult RunFitLoop(FitStepper& stepper, FitHost& host, double* a, const int* ia, int n,
                         double** covar, double** alpha, double& chisq) {
    FitProgress& progress = host.Progress();
    FitLoopResult result;
    double lambda = -1;
    auto step = [&] {
        ++result.Steps;
        return stepper.Step(host, a, ia, n, covar, alpha, &chisq, &lambda);
    };
    // An end that keeps a: the pages are brought back to it. After an error
    // its message was shown already, so a failing resimulation stays quiet.
    auto end = [&](FitEnd how, const char* err) {
        if (err) ReportFitError(err, n, progress);
        double c = chisq;
        if (!ResyncPages(stepper, host, a, n, covar, c)) chisq = c;
        result.End = how;
        return result;
    };

    if (progress.StopRequested()) {
        result.End = FitEnd::NotStarted;
        return result;
    }
    if (const char* err = step()) return end(FitEnd::Failed, err);
    progress.StepShown(lambda);
    if (progress.StopRequested()) return end(FitEnd::Failed, nullptr);

    bool stopped = false;
    for (int iteration = 1;; ++iteration) {
        progress.SetStatus("Running Fit: iteration " + std::to_string(iteration));
        if (const char* err = step()) {
            if (std::string(err) != FitLimitText) return end(FitEnd::Failed, err);
            ReportFitError(err, n, progress);
            stopped = true;
        }
        host.PutParams(a, n);
        progress.StepShown(lambda);
        if (stopped || progress.StopRequested()) {
            stopped = true;
            break;
        }
        if (stepper.Converged()) break;
    }

    if (const char* err = ResyncPages(stepper, host, a, n, covar, chisq)) return end(FitEnd::Failed, err);
    lambda = 0;
    if (const char* err = stepper.Step(host, a, ia, n, covar, alpha, &chisq, &lambda))
        return end(FitEnd::Failed, err);
    result.End = stopped ? FitEnd::Stopped : FitEnd::Converged;
    return result;
}

PagesFitHost::PagesFitHost(std::span<TSensTabCore* const> pages, TModelData& model,
                           FitProgress& progress)
    : pages_(pages), model_(model), progress_(progress) {
    for (TSensTabCore* page : pages_)
        if (page) page->FitStatus = &progress_;
}

PagesFitHost::~PagesFitHost() {
    for (TSensTabCore* page : pages_)
        if (page && page->FitStatus == &progress_) page->FitStatus = nullptr;
}

int PagesFitHost::PageCount() const { return static_cast<int>(pages_.size()); }

const char* PagesFitHost::PageCalcFit(int page, double* a, int ma, double** alpha, double* beta,
                                      double* chisq) {
    ++evaluations_;
    return pages_[page]->CalcFit(a, ma, alpha, beta, chisq);
}

void PagesFitHost::PutParams(const double* a, int ma) { PutFitParams(a, model_, ma, pages_); }

FitRun::FitRun(std::span<TSensTabCore* const> pages, TModelData& model, FitProgress& progress)
    : Host(pages, model, progress), pages_(pages), model_(model) {}

FitRun::~FitRun() {
    if (pagesAllocated_)
        for (TSensTabCore* page : pages_) page->DeallocateFit();
}

bool FitRun::Prepare() {
    N = CountFitParams(model_);
    model_.NumFitParams = N;  // the count the results and labels will use is the vector's
    if (N < 1) return false;
    pagesAllocated_ = true;
    for (TSensTabCore* page : pages_)
        if (!page->AllocateFit(model_, N)) return false;
    if (!A.Reset(1, N) || !Start.Reset(1, N) || !Codes.Reset(static_cast<std::size_t>(N) + 1, 0) ||
        !Alpha.Reset(1, N, 1, N) || !Covariance.Reset(1, N, 1, N))
        return false;
    GetFitParams(model_, A.get(), Codes.data(), N);
    for (int k = 1; k <= N; ++k) Start[k] = A[k];
    return true;
}

FitLoopResult FitRun::Run() {
    return RunFitLoop(Stepper, Host, A.get(), Codes.data(), N, Covariance.get(), Alpha.get(), Chisq);
}

void FitRun::Finish(bool keepFitted) {
    if (A && Start) PutFitParams(keepFitted ? A.get() : Start.get(), model_, N, pages_);
    if (pagesAllocated_)
        for (TSensTabCore* page : pages_) page->DeallocateFit();
    pagesAllocated_ = false;
}

} // namespace kivra
