#pragma once
// Levenberg-Marquardt steps over all data pages at once. A step sums chi-square,
// gradient and curvature over the pages, solves the damped normal equations,
// tries the step under each parameter's constraint code and keeps it only when
// chi-square falls. Vectors and matrices are 1-based (engine/numeric/vectors.h).
#include <string>

#include "engine/numeric/vectors.h"

namespace kivra {

// Constraint codes of the parameter vector.
constexpr int FitCodeFree = 0;         // applied as computed (refractive-index steps)
constexpr int FitCodeNonNegative = 1;  // a trial below 0 is tried at 0
constexpr int FitCodeLimited = 2;      // at most 1 of change per step (injection times)

extern const char* const FitLimitText;     // "Fit limit exceeded"
extern const char* const SingularText;     // a pivot column chosen twice
extern const char* const FitStoppedText;   // a page could not split its injected concentrations

// Where a fit shows its progress and learns that the user wants it to stop. The
// main window implements it over its status line and run flags; the defaults
// show nothing and never stop.
class FitProgress {
public:
    virtual ~FitProgress() = default;
    // Replaces the text of the status line's first panel and repaints at once.
    virtual void SetStatus(const std::string& text) { (void)text; }
    // Appends to that text and repaints at once (a dot per simulated curve).
    virtual void AppendStatus(const std::string& text) { (void)text; }
    // The accepted values are in the model and the pages: show them (sum of
    // squares, lambda gauge, plots) and let pending window messages run.
    virtual void StepShown(double lambda) { (void)lambda; }
    // Asked right after StepShown: the user asked the running fit to stop.
    virtual bool StopRequested() { return false; }
    // Labels of parameter k (1-based) for the "no effect" report; false when
    // there are none.
    virtual bool ParamLabels(int k, std::string& type, std::string& scope) {
        (void)k; (void)type; (void)scope;
        return false;
    }
};

// What a step sums over: the data pages in order, each adding its squared
// residuals to chisq, its gradient to beta[1..ma] and its curvature to the
// lower triangle of alpha.
class FitHost {
public:
    virtual ~FitHost() = default;
    virtual int PageCount() const = 0;
    virtual const char* PageCalcFit(int page, double* a, int ma, double** alpha, double* beta,
                                    double* chisq) = 0;
    // Every evaluation's summed chi-square (the model's total).
    virtual void StoreTotalChisq(double chisq) = 0;
    // The data points as the results page counts them for the residual
    // deviation, sqrt(chi-square / (points - parameters)).
    virtual int NumDataPoints() const = 0;
    // Writes an accepted vector into the model and the pages.
    virtual void PutParams(const double* a, int ma) = 0;
    virtual FitProgress& Progress() = 0;
};

// Clears the sums, adds every page's share, stores the total and mirrors the
// lower triangle of alpha into the upper one. Null, or the first page's error.
const char* FitAccumulate(FitHost& host, double* a, int ma, double** alpha, double* beta,
                          double* chisq);

// Gauss-Jordan elimination with full pivoting: a (n x n) becomes its inverse
// and b (n x m) the solutions. Null, or a fixed text; a zero pivot names the
// parameter in "Parameter <k> has no effect on fit" (see NoEffectParameter).
const char* GaussJordanSolve(double** a, int n, double** b, int m);

// The parameter number named in a "no effect" text; 0 when there is none.
int NoEffectParameter(const char* text);

// The work arrays and accepted chi-square that live from the initialising
// step to the covariance step, and the stopping rule judged after each step.
// Every run (a fit, a Monte Carlo run) owns one: idle until its initialising
// step, fitting until its covariance step or an error.
class FitStepper {
public:
    // lambda < 0 initialises (evaluates a and tries a first step), lambda == 0
    // leaves the covariance in covar and ends the fit, otherwise one step.
    const char* Step(FitHost& host, double* a, const int* ia, int ma, double** covar, double** alpha,
                     double* chisq, double* lambda);
    bool Active() const { return active_; }
    // The last step left the fit at its minimum. Its trial moved chi-square by
    // at most 1e-4 of it, either way, and the undamped (Gauss-Newton) step
    // d = alpha^-1 beta from the accepted values is shorter than 0.01 of a
    // standard error: its predicted fall beta . d, over the residual variance
    // chi-square / (points - parameters), is the step's squared length in
    // standard errors. A fall relative to chi-square alone would let a fit of
    // many points stop whole standard errors short in a long valley. Only
    // where alpha cannot be solved does lambda <= 1e-4 decide. A sum of 0
    // stands (nothing can lower it).
    bool Converged() const { return converged_; }
    // True when the pages hold a simulation of values that were not kept
    // (a rejected or failed trial) while a kept, evaluated vector exists.
    bool NeedsReevaluation() const { return startEvaluated_ && !pagesAccepted_; }
    // Evaluates the pages at the accepted vector a once more, using scratch as
    // the curvature matrix; *chisq becomes the total. For the end of a fit
    // whose last trial was rejected.
    const char* Reevaluate(FitHost& host, double* a, int ma, double** scratch, double* chisq);

private:
    void Release();
    bool AtMinimum(double** alpha, double before, double trial, double chisq, double lambda);

    Vector1 atry_, beta_, da_;
    Matrix1 oneda_;
    Matrix1 gnAlpha_, gnStep_;  // the undamped solve of the stopping rule
    double ochisq_ = 0;
    int ma_ = 0;
    int points_ = 0;
    bool active_ = false;
    bool converged_ = false;
    bool pagesAccepted_ = false;
    bool startEvaluated_ = false;
};

} // namespace kivra
