#include "engine/fit/fit_engine.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

namespace kivra {

const char* const FitLimitText = "Fit limit exceeded";
const char* const SingularText =
    "Error Singular Matrix - 1 \n Check for initial or injected conc of zero. \n Ensure a response box is checked";
const char* const FitStoppedText = "Fit Stopped";

namespace {

const char* const NoMemoryText = "Memory Allocation Error";
// A call that needs the work arrays while none exist (the run control always
// initialises first, so only a caller's slip gets here).
const char* const NotStartedText = "Fit not started";

constexpr const char* NoEffectHead = "Parameter ";
constexpr std::size_t NoEffectHeadLength = 10;

// The text of a zero pivot, built afresh each time so that nothing of an
// earlier number survives: one digit keeps the blank that a second digit
// would fill, and numbers of any length are written whole.
const char* NoEffectText(int k) {
    static std::string text;
    text = NoEffectHead + std::to_string(k);
    if (k < 10) text += ' ';
    text += " has no effect on fit";
    return text.c_str();
}

} // namespace

int NoEffectParameter(const char* text) {
    if (!text) return 0;
    const std::size_t len = std::strlen(text);
    if (len <= NoEffectHeadLength || std::strncmp(text, NoEffectHead, NoEffectHeadLength) != 0) return 0;
    int k = 0;
    const auto r = std::from_chars(text + NoEffectHeadLength, text + len, k);
    if (r.ec != std::errc() || k < 1) return 0;
    return k;
}

const char* FitAccumulate(FitHost& host, double* a, int ma, double** alpha, double* beta,
                          double* chisq) {
    for (int j = 1; j <= ma; ++j) {
        for (int k = 1; k <= j; ++k) alpha[j][k] = 0;
        beta[j] = 0;
    }
    *chisq = 0;
    for (int p = 0; p < host.PageCount(); ++p) {
        if (const char* err = host.PageCalcFit(p, a, ma, alpha, beta, chisq)) return err;
    }
    host.StoreTotalChisq(*chisq);
    for (int j = 2; j <= ma; ++j)
        for (int k = 1; k < j; ++k) alpha[k][j] = alpha[j][k];
    return nullptr;
}

const char* GaussJordanSolve(double** a, int n, double** b, int m) {
    IntVector1 ipiv(1, n), indxr(1, n), indxc(1, n);
    if (!ipiv || !indxr || !indxc) return NoMemoryText;
    for (int j = 1; j <= n; ++j) ipiv[j] = 0;
    for (int i = 1; i <= n; ++i) {
        double big = 0;
        int irow = 0, icol = 0;
        for (int j = 1; j <= n; ++j) {
            if (ipiv[j] == 1) continue;
            for (int k = 1; k <= n; ++k) {
                if (ipiv[k] == 0) {
                    // Equal magnitudes move the pivot on, so an all-zero rest
                    // ends on its last unused column.
                    if (std::fabs(a[j][k]) >= big) {
                        big = std::fabs(a[j][k]);
                        irow = j;
                        icol = k;
                    }
                } else if (ipiv[k] > 1) {
                    return SingularText;
                }
            }
        }
        // Not a number anywhere in the rest leaves no pivot at all.
        if (icol == 0) return SingularText;
        ++ipiv[icol];
        if (irow != icol) {
            for (int l = 1; l <= n; ++l) std::swap(a[irow][l], a[icol][l]);
            for (int l = 1; l <= m; ++l) std::swap(b[irow][l], b[icol][l]);
        }
        indxr[i] = irow;
        indxc[i] = icol;
        if (a[icol][icol] == 0) return NoEffectText(icol);
        const double pivinv = 1.0 / a[icol][icol];
        a[icol][icol] = 1;
        for (int l = 1; l <= n; ++l) a[icol][l] *= pivinv;
        for (int l = 1; l <= m; ++l) b[icol][l] *= pivinv;
        for (int ll = 1; ll <= n; ++ll) {
            if (ll == icol) continue;
            const double dum = a[ll][icol];
            a[ll][icol] = 0;
            for (int l = 1; l <= n; ++l) a[ll][l] -= a[icol][l] * dum;
            for (int l = 1; l <= m; ++l) b[ll][l] -= b[icol][l] * dum;
        }
    }
    for (int l = n; l >= 1; --l) {
        if (indxr[l] != indxc[l])
            for (int k = 1; k <= n; ++k) std::swap(a[k][indxr[l]], a[k][indxc[l]]);
    }
    return nullptr;
}

void FitStepper::Release() {
    atry_.Release();
    beta_.Release();
    da_.Release();
    oneda_.Release();
    gnAlpha_.Release();
    gnStep_.Release();
    active_ = false;
}

const char* FitStepper::Step(FitHost& host, double* a, const int* ia, int ma, double** covar,
                             double** alpha, double* chisq, double* lambda) {
    if (*lambda < 0) {
        Release();
        if (ma < 1) return NotStartedText;
        if (!atry_.Reset(1, ma) || !beta_.Reset(1, ma) || !da_.Reset(1, ma) ||
            !oneda_.Reset(1, ma, 1, 1) || !gnAlpha_.Reset(1, ma, 1, ma) || !gnStep_.Reset(1, ma, 1, 1)) {
            Release();
            return NoMemoryText;
        }
        ma_ = ma;
        points_ = host.NumDataPoints();
        active_ = true;
        *lambda = 0.001;
        pagesAccepted_ = false;
        startEvaluated_ = false;
        if (const char* err = FitAccumulate(host, a, ma, alpha, beta_.get(), chisq)) {
            Release();
            return err;
        }
        pagesAccepted_ = true;
        startEvaluated_ = true;
        ochisq_ = *chisq;
        for (int j = 1; j <= ma; ++j) atry_[j] = a[j];
        host.Progress().SetStatus("Starting fit");
    } else if (!active_ || ma != ma_) {
        return NotStartedText;
    }
    converged_ = false;

    for (int j = 1; j <= ma; ++j) {
        for (int k = 1; k <= ma; ++k) covar[j][k] = alpha[j][k];
        covar[j][j] = (1.0 + *lambda) * alpha[j][j];
        oneda_[j][1] = beta_[j];
    }
    if (const char* err = GaussJordanSolve(covar, ma, oneda_.get(), 1)) {
        Release();
        return err;
    }
    for (int j = 1; j <= ma; ++j) da_[j] = oneda_[j][1];
    if (*lambda == 0) {
        Release();
        return nullptr;
    }

    for (int j = 1; j <= ma; ++j) {
        const double next = a[j] + da_[j];
        switch (ia[j]) {
        case FitCodeNonNegative:
            atry_[j] = next < 0 ? 0.0 : next;
            break;
        case FitCodeLimited:
            atry_[j] = da_[j] > 1 ? a[j] + 1 : da_[j] < -1 ? a[j] - 1 : next;
            break;
        default:
            atry_[j] = next;
            break;
        }
    }
    pagesAccepted_ = false;
    if (const char* err = FitAccumulate(host, atry_.get(), ma, covar, da_.get(), chisq)) {
        Release();
        return err;
    }
    const double before = ochisq_, trial = *chisq;
    if (trial < before) {
        *lambda *= 0.1;
        ochisq_ = trial;
        for (int j = 1; j <= ma; ++j) {
            for (int k = 1; k <= ma; ++k) alpha[j][k] = covar[j][k];
            beta_[j] = da_[j];
            a[j] = atry_[j];
        }
        pagesAccepted_ = true;
    } else {
        *lambda *= 10.0;
        *chisq = before;
    }
    converged_ = AtMinimum(alpha, before, trial, *chisq, *lambda);
    if (*lambda < 1e-20 || *lambda > 1e20) return FitLimitText;
    return nullptr;
}

const char* FitStepper::Reevaluate(FitHost& host, double* a, int ma, double** scratch, double* chisq) {
    Vector1 beta(1, ma);
    if (!beta) return NoMemoryText;
    const char* err = FitAccumulate(host, a, ma, scratch, beta.get(), chisq);
    pagesAccepted_ = err == nullptr;
    if (!err && active_) ochisq_ = *chisq;
    return err;
}

bool FitStepper::AtMinimum(double** alpha, double before, double trial, double chisq, double lambda) {
    constexpr double Tolerance = 1e-4;  // of chi-square, for the trial's change
    constexpr double StepInErrors = 0.01;
    if (chisq == 0) return true;
    // A refused trial is judged by its own sum: the restored one would show no
    // change at all, far from the minimum too. (before is not 0: chisq is.)
    const double rel = (before - trial) / before;
    if (!(std::fabs(rel) <= Tolerance)) return false;
    for (int j = 1; j <= ma_; ++j) {
        for (int k = 1; k <= ma_; ++k) gnAlpha_[j][k] = alpha[j][k];
        gnStep_[j][1] = beta_[j];
    }
    const bool solved = GaussJordanSolve(gnAlpha_.get(), ma_, gnStep_.get(), 1) == nullptr;
    double fall = 0;
    for (int j = 1; solved && j <= ma_; ++j) fall += beta_[j] * gnStep_[j][1];
    if (!solved || std::isnan(fall)) return lambda <= Tolerance;
    // With no more points than parameters there is no residual variance; the
    // sum itself then stands in for it.
    const int freedom = points_ - ma_;
    const double variance = chisq / (freedom > 0 ? freedom : 1);
    return std::fabs(fall) <= StepInErrors * StepInErrors * variance;
}

} // namespace kivra
