#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/fit/fit_engine.h"
#include "engine/fit/fit_loop.h"
#include "tests/support/scripted_messages.h"

using namespace kivra;

namespace {

// A host whose one "page" is a model y(x; a) over points (x, data), with
// analytic derivatives; it records what it was asked to evaluate.
class FunctionHost : public FitHost, public FitProgress {
public:
    using Model = std::function<double(double x, const double* a, double* dyda)>;
    FunctionHost(int ma, std::vector<double> x, std::vector<double> data, Model model)
        : ma_(ma), x_(std::move(x)), data_(std::move(data)), model_(std::move(model)) {}

    int PageCount() const override { return 1; }
    const char* PageCalcFit(int, double* a, int ma, double** alpha, double* beta, double* chisq) override {
        evaluated.assign(a + 1, a + ma + 1);
        std::vector<double> d(ma + 1);
        double own = 0;
        for (std::size_t i = 0; i < x_.size(); ++i) {
            const double dy = data_[i] - model_(x_[i], a, d.data());
            own += dy * dy;
            for (int j = 1; j <= ma; ++j) {
                beta[j] += dy * d[j];
                for (int k = 1; k <= j; ++k) alpha[j][k] += d[j] * d[k];
            }
        }
        *chisq += own;
        ++evaluations;
        return failAt == evaluations ? "page failed" : nullptr;
    }
    void StoreTotalChisq(double c) override { total = c; }
    int NumDataPoints() const override { return static_cast<int>(x_.size()); }
    void PutParams(const double* a, int ma) override { put.assign(a + 1, a + ma + 1); }
    FitProgress& Progress() override { return *this; }

    void SetStatus(const std::string& text) override { status.push_back(text); }
    void StepShown(double) override { ++shown; }
    bool StopRequested() override { return stopAfterShown >= 0 && shown >= stopAfterShown; }
    bool ParamLabels(int k, std::string& type, std::string& scope) override {
        type = "kfwd";
        scope = "A + B = C #" + std::to_string(k);
        return true;
    }

    std::vector<double> evaluated, put;
    std::vector<std::string> status;
    double total = -1;
    int evaluations = 0, shown = 0, stopAfterShown = -1, failAt = -1;
    FitStepper stepper;  // of the run this host serves

private:
    int ma_;
    std::vector<double> x_, data_;
    Model model_;
};

// y = a1 x: one parameter, linear.
FunctionHost::Model Line() {
    return [](double x, const double* a, double* d) { d[1] = x; return a[1] * x; };
}

// y = a1 exp(-a2 x): two parameters, non-linear.
FunctionHost::Model Decay() {
    return [](double x, const double* a, double* d) {
        const double e = std::exp(-a[2] * x);
        d[1] = e;
        d[2] = -a[1] * x * e;
        return a[1] * e;
    };
}

struct Work {
    explicit Work(int size) : n(size), a(1, n), alpha(1, n, 1, n), covar(1, n, 1, n), ia(n + 1, 1) {}
    Work(std::initializer_list<double> start) : Work(static_cast<int>(start.size())) {
        int k = 0;
        for (const double v : start) a[++k] = v;
    }
    int n;
    Vector1 a;
    Matrix1 alpha, covar;
    std::vector<int> ia;
    double chisq = 0, lambda = -1;
};

// One step of the stepper of the run the host serves.
const char* FitStep(FunctionHost& host, double* a, const int* ia, int ma, double** covar, double** alpha,
                    double* chisq, double* lambda) {
    return host.stepper.Step(host, a, ia, ma, covar, alpha, chisq, lambda);
}

FitLoopResult Loop(FunctionHost& host, Work& w) {
    return RunFitLoop(host.stepper, host, w.a.get(), w.ia.data(), w.n, w.covar.get(), w.alpha.get(), w.chisq);
}

} // namespace

TEST(GaussJordan, InvertsAndSolvesWithFullPivoting) {
    // Needs pivoting (zero leading element); inverse known exactly.
    const double A[3][3] = {{0, 2, 1}, {1, 0, 0}, {3, 0, 1}};
    const double inv[3][3] = {{0, 1, 0}, {0.5, 1.5, -0.5}, {0, -3, 1}};
    Matrix1 a(1, 3, 1, 3), b(1, 3, 1, 2);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) a[i + 1][j + 1] = A[i][j];
        b[i + 1][1] = i + 1;    // solution of A x = (1,2,3)
        b[i + 1][2] = i == 0;   // first column of the inverse
    }
    ASSERT_EQ(GaussJordanSolve(a.get(), 3, b.get(), 2), nullptr);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) EXPECT_NEAR(a[i + 1][j + 1], inv[i][j], 1e-15) << i << j;
        EXPECT_NEAR(b[i + 1][1], inv[i][0] + 2 * inv[i][1] + 3 * inv[i][2], 1e-14);
        EXPECT_NEAR(b[i + 1][2], inv[i][0], 1e-15);
    }
}

TEST(GaussJordan, ZeroPivotNamesTheParameterWhateverItsNumber) {
    Matrix1 b(1, 150, 1, 1);
    // One parameter with zero curvature: the digit is the eleventh character,
    // the two blanks before "has" follow.
    Matrix1 one(1, 1, 1, 1);
    one[1][1] = 0;
    b[1][1] = 0;
    std::string text = GaussJordanSolve(one.get(), 1, b.get(), 1);
    EXPECT_EQ(text, "Parameter 1  has no effect on fit");
    EXPECT_EQ(text[10], '1');
    EXPECT_EQ(NoEffectParameter(text.c_str()), 1);

    // A diagonal matrix whose k-th entry alone is zero names k.
    for (const int n : {12, 3, 150}) {
        const int k = n == 150 ? 123 : n;
        Matrix1 a(1, n, 1, n);
        for (int i = 1; i <= n; ++i) {
            for (int j = 1; j <= n; ++j) a[i][j] = i == j ? 1.0 + i : 0.0;
            b[i][1] = 1;
        }
        a[k][k] = 0;
        text = GaussJordanSolve(a.get(), n, b.get(), 1);
        EXPECT_EQ(NoEffectParameter(text.c_str()), k) << text;
        if (k == 12) {
            EXPECT_EQ(text, "Parameter 12 has no effect on fit");
        } else if (k == 3) {
            EXPECT_EQ(text, "Parameter 3  has no effect on fit");  // nothing of the 12 remains
        } else {
            EXPECT_EQ(text, "Parameter 123 has no effect on fit");
        }
    }

    // A matrix of not-a-numbers has no pivot at all.
    Matrix1 nan(1, 2, 1, 2);
    for (int i = 1; i <= 2; ++i)
        for (int j = 1; j <= 2; ++j) nan[i][j] = std::nan("");
    EXPECT_STREQ(GaussJordanSolve(nan.get(), 2, b.get(), 1), SingularText);
}

TEST(FitStep, OneLinearParameterStepByStep) {
    test::ScriptedMessages msgs;
    // y = a x at x = 1, 2, 3 with data 2x: alpha = 14, beta at a = 0 is 28.
    FunctionHost host(1, {1, 2, 3}, {2, 4, 6}, Line());
    Work w({0});
    ASSERT_EQ(FitStep(host, w.a.get(), w.ia.data(), 1, w.covar.get(), w.alpha.get(), &w.chisq, &w.lambda),
              nullptr);
    // The set-up evaluates the start, then already tries one step of 2 / 1.001.
    ASSERT_EQ(host.status.size(), 1u);
    EXPECT_EQ(host.status[0], "Starting fit");
    EXPECT_EQ(host.evaluations, 2);
    EXPECT_DOUBLE_EQ(w.a[1], 2 / 1.001);
    EXPECT_DOUBLE_EQ(w.lambda, 1e-4);
    EXPECT_DOUBLE_EQ(w.alpha[1][1], 14);
    EXPECT_NEAR(w.chisq, 14 * std::pow(2 - 2 / 1.001, 2), 1e-12);
    EXPECT_DOUBLE_EQ(host.total, w.chisq);

    const double a1 = w.a[1];
    ASSERT_EQ(FitStep(host, w.a.get(), w.ia.data(), 1, w.covar.get(), w.alpha.get(), &w.chisq, &w.lambda),
              nullptr);
    EXPECT_DOUBLE_EQ(w.a[1], a1 + (2 - a1) / 1.0001);
    EXPECT_DOUBLE_EQ(w.lambda, 1e-5);

    // The covariance call: the inverse curvature, values untouched.
    const double a2 = w.a[1], c2 = w.chisq;
    w.lambda = 0;
    ASSERT_EQ(FitStep(host, w.a.get(), w.ia.data(), 1, w.covar.get(), w.alpha.get(), &w.chisq, &w.lambda),
              nullptr);
    EXPECT_DOUBLE_EQ(w.covar[1][1], 1.0 / 14);
    EXPECT_EQ(w.a[1], a2);
    EXPECT_EQ(w.chisq, c2);
    EXPECT_FALSE(host.stepper.Active());
    EXPECT_EQ(msgs.Count(), 0u);
}

TEST(FitStep, ConstraintCodesShapeTheTrial) {
    // Non-negative: a step to -2 / 1.001 is tried at exactly 0.
    {
        FunctionHost host(1, {1}, {-2}, Line());
        Work w({0.5});
        w.ia[1] = FitCodeNonNegative;
        ASSERT_EQ(FitStep(host, w.a.get(), w.ia.data(), 1, w.covar.get(), w.alpha.get(), &w.chisq, &w.lambda),
                  nullptr);
        ASSERT_EQ(host.evaluated.size(), 1u);
        EXPECT_EQ(host.evaluated[0], 0.0);
        EXPECT_EQ(w.a[1], 0.0);  // better than 0.5, so taken
    }
    // Limited: a computed change of 2.5 moves by exactly 1; free: the whole step.
    for (const int code : {FitCodeLimited, FitCodeFree}) {
        FunctionHost host(1, {1}, {2.5 * 1.001}, Line());
        Work w({0});
        w.ia[1] = code;
        ASSERT_EQ(FitStep(host, w.a.get(), w.ia.data(), 1, w.covar.get(), w.alpha.get(), &w.chisq, &w.lambda),
                  nullptr);
        EXPECT_DOUBLE_EQ(host.evaluated[0], code == FitCodeLimited ? 1.0 : 2.5);
    }
}

TEST(FitStep, EqualChisqIsRejectedUntilTheLimit) {
    // A constant model: every trial ties with the start and is refused.
    FunctionHost host(1, {1, 2}, {1, 1},
                      [](double, const double* a, double* d) { d[1] = 1; return 1 + 0 * a[1]; });
    Work w({5});
    w.chisq = 0;
    const char* err = nullptr;
    int steps = 0;
    double lambda = 0;
    do {
        lambda = w.lambda;
        err = FitStep(host, w.a.get(), w.ia.data(), 1, w.covar.get(), w.alpha.get(), &w.chisq, &w.lambda);
        ++steps;
        EXPECT_EQ(w.a[1], 5);
        if (!err && steps > 1) {
            EXPECT_DOUBLE_EQ(w.lambda, 10 * lambda);
        }
    } while (!err && steps < 40);
    EXPECT_STREQ(err, FitLimitText);
    EXPECT_GT(w.lambda, 1e20);
    // The work arrays survive for the covariance call.
    EXPECT_TRUE(host.stepper.Active());
    w.lambda = 0;
    EXPECT_EQ(FitStep(host, w.a.get(), w.ia.data(), 1, w.covar.get(), w.alpha.get(), &w.chisq, &w.lambda),
              nullptr);
    EXPECT_FALSE(host.stepper.Active());
}

TEST(FitStep, ErrorsReleaseTheWorkArrays) {
    // Zero curvature in parameter 2 of 2: the set-up call already names it.
    FunctionHost host(2, {1, 2}, {1, 1},
                      [](double x, const double* a, double* d) { d[1] = x; d[2] = 0; return a[1] * x; });
    Work w({1, 1});
    const char* err = FitStep(host, w.a.get(), w.ia.data(), 2, w.covar.get(), w.alpha.get(), &w.chisq, &w.lambda);
    EXPECT_STREQ(err, "Parameter 2  has no effect on fit");
    EXPECT_FALSE(host.stepper.Active());
    // A call without the set-up is refused rather than run on missing arrays.
    w.lambda = 0.01;
    EXPECT_NE(FitStep(host, w.a.get(), w.ia.data(), 2, w.covar.get(), w.alpha.get(), &w.chisq, &w.lambda),
              nullptr);

    // A page's text ends the step and is handed on.
    FunctionHost failing(1, {1}, {2}, Line());
    failing.failAt = 2;  // the trial
    Work v({1});
    EXPECT_STREQ(FitStep(failing, v.a.get(), v.ia.data(), 1, v.covar.get(), v.alpha.get(), &v.chisq, &v.lambda),
                 "page failed");
    EXPECT_FALSE(failing.stepper.Active());
}

TEST(FitLoop, ConvergesAndLeavesThePagesAtTheKeptValues) {
    test::ScriptedMessages msgs;
    std::vector<double> x, y;
    for (int i = 0; i < 20; ++i) {
        x.push_back(i * 0.25);
        y.push_back(3 * std::exp(-0.7 * x.back()) + (i % 2 ? 0.01 : -0.01));
    }
    FunctionHost host(2, x, y, Decay());
    Work w({1, 0.2});
    const FitLoopResult r = Loop(host, w);
    EXPECT_EQ(r.End, FitEnd::Converged);
    EXPECT_NEAR(w.a[1], 3, 0.02);
    EXPECT_NEAR(w.a[2], 0.7, 0.02);
    EXPECT_EQ(msgs.Count(), 0u);
    // The loop ends on a refused trial; the pages were simulated again at the
    // kept values, and every total agrees.
    EXPECT_EQ(host.evaluated, std::vector<double>({w.a[1], w.a[2]}));
    EXPECT_EQ(host.put, host.evaluated);
    EXPECT_DOUBLE_EQ(host.total, w.chisq);
    EXPECT_GT(w.covar[1][1], 0);
    EXPECT_EQ(host.status.back().rfind("Running Fit: iteration ", 0), 0u);
}

TEST(FitLoop, ANearlySingularValleyIsFollowedToItsMinimum) {
    // y = a1 x + a2 (x + 1e-6 x^2) at x = -3..3: along a1 + a2 = 2 chi-square
    // changes by 1e-12 of what it does across. The residuals x^3 - 7x (in
    // thousandths) are orthogonal to x and x^2, so the minimum is (1, 1) with
    // chi-square 216e-6. The start lies 1e4 along the valley, 21 standard
    // errors out, at 92 times that; a damped step creeps along by far less
    // than 1e-4 of chi-square while lambda falls, so a test of that fall and
    // lambda alone stops right there. 0.01 of a standard error from the
    // minimum is 4.3e-9 more.
    FunctionHost host(2, {-3, -2, -1, 0, 1, 2, 3},
                      {-6.006 + 9e-6, -3.994 + 4e-6, -1.994 + 1e-6, 0, 1.994 + 1e-6, 3.994 + 4e-6, 6.006 + 9e-6},
                      [](double x, const double* a, double* d) {
                          return a[1] * (d[1] = x) + a[2] * (d[2] = x + 1e-6 * x * x);
                      });
    Work w({1 + 1e4, 1 - 1e4});
    w.ia = {0, FitCodeFree, FitCodeFree};
    EXPECT_EQ(Loop(host, w).End, FitEnd::Converged);
    EXPECT_NEAR(w.chisq, 216e-6, 4.3e-9);
}

TEST(FitLoop, PerfectFitConverges) {
    test::ScriptedMessages msgs;
    // Data that the start values match exactly: chi-square is 0 from the
    // start and no step can lower it.
    FunctionHost host(1, {1, 2}, {2, 4}, Line());
    Work w({2});
    const FitLoopResult r = Loop(host, w);
    EXPECT_EQ(r.End, FitEnd::Converged);
    EXPECT_EQ(r.Steps, 2);  // the set-up step and one pass of the loop
    EXPECT_EQ(w.chisq, 0);
    EXPECT_EQ(msgs.Count(), 0u);
    EXPECT_DOUBLE_EQ(w.covar[1][1], 1.0 / 5);
}

TEST(FitLoop, StopsLimitsAndErrors) {
    std::vector<double> x = {0, 1, 2, 3}, y = {3, 1.5, 0.8, 0.35};
    // A stop before the first step changes nothing.
    {
        test::ScriptedMessages msgs;
        FunctionHost host(2, x, y, Decay());
        host.stopAfterShown = 0;
        Work w({1, 1});
        EXPECT_EQ(Loop(host, w).End, FitEnd::NotStarted);
        EXPECT_EQ(host.evaluations, 0);
    }
    // A stop during the loop still gives the covariance and leaves the pages at a.
    {
        test::ScriptedMessages msgs;
        FunctionHost host(2, x, y, Decay());
        host.stopAfterShown = 3;
        Work w({1, 1});
        const FitLoopResult r = Loop(host, w);
        EXPECT_EQ(r.End, FitEnd::Stopped);
        EXPECT_EQ(r.Steps, 3);
        EXPECT_EQ(host.evaluated, std::vector<double>({w.a[1], w.a[2]}));
        EXPECT_EQ(msgs.Count(), 0u);
    }
    // "Fit limit exceeded" is shown and ends the fit like a stop.
    {
        test::ScriptedMessages msgs;
        FunctionHost host(1, {1, 2}, {1, 3},
                          [](double, const double* a, double* d) { d[1] = 1; return 1 + 0 * a[1]; });
        Work w({1});
        const FitLoopResult r = Loop(host, w);
        EXPECT_EQ(r.End, FitEnd::Stopped);
        ASSERT_EQ(msgs.Count(), 1u);
        EXPECT_EQ(msgs.Last().Text, "Fit limit exceeded");
        EXPECT_EQ(msgs.Last().Caption, "Run Fit Error");
    }
    // A parameter without effect is named with its labels.
    {
        test::ScriptedMessages msgs;
        FunctionHost host(2, x, y,
                          [](double xx, const double* a, double* d) { d[1] = xx; d[2] = 0; return a[1] * xx; });
        Work w({1, 1});
        EXPECT_EQ(Loop(host, w).End, FitEnd::Failed);
        ASSERT_EQ(msgs.Count(), 1u);
        EXPECT_EQ(msgs.Last().Text, "Parameter has no effect on fit\nProblem: kfwd of A + B = C #2");
        EXPECT_EQ(msgs.Last().Caption, "Fit Error");
    }
    // A failing trial ends the fit with its text; the pages go back to a.
    {
        test::ScriptedMessages msgs;
        FunctionHost host(2, x, y, Decay());
        host.failAt = 4;
        Work w({1, 1});
        EXPECT_EQ(Loop(host, w).End, FitEnd::Failed);
        ASSERT_GE(msgs.Count(), 1u);
        EXPECT_EQ(msgs.All()[0].Text, "page failed");
        EXPECT_EQ(msgs.All()[0].Caption, "Run Fit Error");
        EXPECT_EQ(host.evaluated, std::vector<double>({w.a[1], w.a[2]}));
    }
}
