// Mass-action rate equations of the page's scheme and the semi-implicit
// extrapolation integrator that carries them through stiff stretches.
#include "engine/simulation/integrator.h"

#include <cmath>
#include <new>

#include "engine/dataset/senstab_core.h"
#include "engine/numeric/lu.h"
#include "platform/core/messages.h"

namespace kivra {

TStepCounts StepCounts;

namespace {

constexpr const char* ZeroTimeStep = "Error in Simulation \nZero time step";
constexpr const char* StepTooSmall = "Error in Simulation (02) \n Please check initial conditions";
constexpr const char* TooManySteps = "Error in Simulation (03) \n Please check initial conditions";
constexpr const char* NoWorkArrays = "Memory Allocation Error";

constexpr int MaxSteps = 10000;
constexpr int Substeps[StepperColumns + 2] = {0, 2, 6, 10, 14, 22, 34, 50, 70};
constexpr double Safe1 = 0.25;        // safety factor on the tolerance
constexpr double Safe2 = 0.7;         // safety factor on a reduction
constexpr double RedMax = 1e-5;       // smallest reduction factor
constexpr double RedMin = 0.7;        // largest reduction factor
constexpr double ErrFloor = 1e-20;
constexpr double ScaleMax = 0.1;      // floor of the scale factor for the next step
constexpr double WorkStart = 1e35;
constexpr double Unset = -1e29;       // proposed step and end point after a rebuild

// A link names a reaction 1..10; anything else (a damaged model file) keeps the own value.
double LinkedRate(int link, double own, const double* kfwd, const double* krev) {
    if (link > 0 && link <= MaxReactions) return kfwd[link - 1];
    if (link < 0 && link >= -MaxReactions) return krev[-link - 1];
    return own;
}

} // namespace

void TPageModel::ResolveRates(int r, double& kf, double& kr) const {
    kf = LinkedRate(KfwdLink[r], Kfwd[r], Kfwd, Krev);
    kr = LinkedRate(KrevLink[r], Krev[r], Kfwd, Krev);
}

void TPageModel::RateTerms(TRateTerms& terms) const {
    terms.Count = 0;
    for (int r = 0; r < NumReactions; ++r) {
        const int p = Product[r];
        const int a = ReactA[r], b = ReactB[r];
        // A line without a product or without a reactant contributes nothing.
        if (p < 0 || (a < 0 && b < 0)) continue;
        double kf, kr;
        ResolveRates(r, kf, kr);
        // A mass-transport reaction runs faster or slower with the curve's flow.
        if (MassTransport[r]) {
            kf *= FlowFactor;
            kr *= FlowFactor;
        }
        const int c = terms.Count++;
        terms.A[c] = (a >= 0 ? a : b) + 1;
        terms.B[c] = a >= 0 && b >= 0 ? b + 1 : 0;
        terms.P[c] = p + 1;
        terms.Kf[c] = kf;
        terms.Kr[c] = kr;
    }
    terms.HeldCount = 0;
    for (int s = 0; s < MaxSpecies; ++s)
        if (AnalyteInj[s] >= 0) terms.Held[terms.HeldCount++] = s + 1;
}

void TRateTerms::derivs(const double* y, double* dydt, int n) const {
    for (int i = 1; i <= n; ++i) dydt[i] = 0.0;
    for (int r = 0; r < Count; ++r) {
        const int a = A[r], b = B[r], p = P[r];
        if (b != 0) {
            const double v = Kf[r] * y[a] * y[b] - Kr[r] * y[p];
            dydt[a] -= v;
            dydt[b] -= v;
            dydt[p] += v;
        } else {
            const double v = Kf[r] * y[a] - Kr[r] * y[p];
            dydt[a] -= v;
            dydt[p] += v;
        }
    }
    // Injected species are held where the caller put them.
    for (int h = 0; h < HeldCount; ++h)
        if (Held[h] <= n) dydt[Held[h]] = 0.0;
}

template <class Matrix>
void TRateTerms::jacobn(const double* y, double* dfdx, Matrix dfdy, int n) const {
    for (int i = 1; i <= n; ++i) {
        dfdx[i] = 0.0;
        for (int j = 1; j <= n; ++j) dfdy[i][j] = 0.0;
    }
    for (int r = 0; r < Count; ++r) {
        const int a = A[r], b = B[r], p = P[r];
        const double kf = Kf[r], kr = Kr[r];
        if (b != 0) {
            dfdy[a][a] -= kf * y[b];
            dfdy[a][b] -= kf * y[a];
            dfdy[a][p] += kr;
            dfdy[b][a] -= kf * y[b];
            dfdy[b][b] -= kf * y[a];
            dfdy[b][p] += kr;
            dfdy[p][a] += kf * y[b];
            dfdy[p][b] += kf * y[a];
            dfdy[p][p] -= kr;
        } else {
            dfdy[a][a] -= kf;
            dfdy[a][p] += kr;
            dfdy[p][a] += kf;
            dfdy[p][p] -= kr;
        }
    }
    for (int h = 0; h < HeldCount; ++h)
        if (Held[h] <= n)
            for (int j = 1; j <= n; ++j) dfdy[Held[h]][j] = 0.0;
}

void TPageModel::derivs(const double* y, double* dydt) const {
    TRateTerms terms;
    RateTerms(terms);
    terms.derivs(y, dydt, NumSpecies);
}

template <class Matrix>
void TPageModel::jacobn(double, const double* y, double* dfdx, Matrix dfdy, int n) const {
    TRateTerms terms;
    RateTerms(terms);
    terms.jacobn(y, dfdx, dfdy, n);
}

template void TPageModel::jacobn(double, const double*, double*, double**, int) const;
template void TPageModel::jacobn(double, const double*, double*, double (*)[SpeciesSlots], int) const;

bool TSensTabCore::Allocate(int n) {
    Deallocate();
    if (n >= 1 && n <= MaxSpecies) Work.reset(new (std::nothrow) TIntegrator(*this, n));
    if (!Work) {
        ShowMessage("Memory Allocation Error", "Run Simulation Error");
        return false;
    }
    return true;
}

void TSensTabCore::Deallocate() { Work.reset(); }

const char* TSensTabCore::odeint(double* ystart, int nvar, double t1, double t2, double eps,
                                 double h1, double hmin) {
    if (!Work) {
        // Without work arrays every call that would integrate fails.
        TIntegrator none(*this, 0);
        return none.odeint(ystart, nvar, t1, t2, eps, h1, hmin);
    }
    const TStepperState& st = Work->Stepper;
    const long long steps = st.Steps, attempts = st.Attempts;
    const char* err = Work->odeint(ystart, nvar, t1, t2, eps, h1, hmin);
    StepCounts.Steps += st.Steps - steps;
    StepCounts.Attempts += st.Attempts - attempts;
    return err;
}

const char* TIntegrator::odeint(double* ystart, int nvar, double t1, double t2, double eps,
                                 double h1, double hmin) {
    if (t1 == t2) return ZeroTimeStep;
    if (h1 < 1e-10) return nullptr;
    // Arrays made for fewer species would be overrun.
    if (nvar < 1 || nvar > Size) return NoWorkArrays;

    M.RateTerms(Terms);
    double* y = SolverY;
    double* dydx = SolverDydx;
    double* yscal = SolverYScale;
    double t = t1;
    double h = t2 - t1 < 0 ? -std::fabs(h1) : std::fabs(h1);
    for (int i = 1; i <= nvar; ++i) y[i] = ystart[i];
    // A fresh proposal: the first step of every call starts a new run of steps.
    double hnext = 0.0, hdid = 0.0;

    for (int step = 1; step <= MaxSteps; ++step) {
        Terms.derivs(y, dydx, M.NumSpecies);
        for (int i = 1; i <= nvar; ++i) {
            const double scale = std::fabs(y[i]) + std::fabs(dydx[i] * h);
            yscal[i] = MaxOf(scale, 1.0);
        }
        if ((t + h - t2) * (t + h - t1) > 0.0) h = t2 - t;
        if (const char* err = stifbs(y, dydx, nvar, &t, h, eps, yscal, &hdid, &hnext)) return err;
        if ((t - t2) * (t2 - t1) >= 0.0) {
            // Held species have no rate at all; the rounding of the linear
            // solves must not move them.
            for (int i = 1; i <= nvar; ++i)
                if (i > M.NumSpecies || M.AnalyteInj[i - 1] < 0) ystart[i] = y[i];
            return nullptr;
        }
        if (std::fabs(hnext) <= hmin) return StepTooSmall;
        h = hnext;
    }
    return TooManySteps;
}

const char* TIntegrator::stifbs(double* y, double* dydx, int nv, double* xx, double htry,
                                double eps, double* yscal, double* hdid, double* hnext) {
    TStepperState& st = Stepper;
    double* const a = st.WorkA;

    if (eps != st.EpsOld || nv != st.NvOld) {
        *hnext = st.XNew = Unset;
        const double eps1 = Safe1 * eps;
        a[1] = Substeps[1] + 1;
        for (int k = 1; k <= StepperColumns; ++k) a[k + 1] = a[k] + Substeps[k + 1];
        for (int iq = 2; iq <= StepperColumns; ++iq)
            for (int k = 1; k < iq; ++k)
                st.Alf[k][iq] = std::pow(eps1, (a[k + 1] - a[iq + 1]) /
                                                   ((2 * k + 1) * (a[iq + 1] - a[1] + 1.0)));
        st.EpsOld = eps;
        st.NvOld = nv;
        a[1] += nv;  // one Jacobian costs as much as nv right-hand sides
        for (int k = 1; k <= StepperColumns; ++k) a[k + 1] = a[k] + Substeps[k + 1];
        for (st.KOpt = 2; st.KOpt < StepperColumns; ++st.KOpt)
            if (a[st.KOpt + 1] > a[st.KOpt] * st.Alf[st.KOpt - 1][st.KOpt]) break;
        st.KMax = st.KOpt;
    }

    double h = htry;
    double* ysav = StepYSave;
    double* yerr = StepYErr;
    double* yseq = StepYSeq;
    double* err = StepErr;
    for (int i = 1; i <= nv; ++i) ysav[i] = y[i];
    Terms.jacobn(y, JacDfdx, JacDfdy, nv);
    if (*xx != st.XNew || h != *hnext) {
        st.First = true;
        st.KOpt = st.KMax;
    }

    bool reduced = false;
    int k = 0, km = 0;
    for (;;) {
        double red = RedMin;
        bool accepted = false;
        ++st.Attempts;
        for (k = 1; k <= st.KMax; ++k) {
            st.XNew = *xx + h;
            if (st.XNew == *xx) return TooManySteps;
            if (const char* e = simpr(ysav, dydx, JacDfdx, JacDfdy, nv, *xx, h, Substeps[k], yseq))
                return e;
            const double q = h / Substeps[k];
            const double xest = q == 0.0 ? 0.0 : q * q;
            pzextr(k, xest, yseq, y, yerr, nv);
            if (k == 1) continue;
            double errmax = ErrFloor;
            for (int i = 1; i <= nv; ++i) {
                const double e = std::fabs(yerr[i] / yscal[i]);
                // A state that is no longer a number can never be accepted.
                if (std::isnan(e)) errmax = INFINITY;
                else errmax = MaxOf(errmax, e);
            }
            errmax /= eps;
            km = k - 1;
            err[km] = std::pow(errmax / Safe1, 1.0 / (2 * km + 1));
            if (k >= st.KOpt - 1 || st.First) {
                if (errmax < 1.0) {
                    accepted = true;
                    break;
                }
                if (k == st.KMax || k == st.KOpt + 1) {
                    red = Safe2 / err[km];
                    break;
                }
                if (k == st.KOpt && st.Alf[st.KOpt - 1][st.KOpt] < err[km]) {
                    red = 1.0 / err[km];
                    break;
                }
                if (st.KOpt == st.KMax && st.Alf[km][st.KMax - 1] < err[km]) {
                    red = st.Alf[km][st.KMax - 1] * Safe2 / err[km];
                    break;
                }
                if (st.Alf[km][st.KOpt] < err[km]) {
                    red = st.Alf[km][st.KOpt - 1] / err[km];
                    break;
                }
            }
        }
        if (accepted) break;
        if (!(red <= RedMin)) red = RedMin;  // also catches a reduction that is not a number
        if (!(red >= RedMax)) red = RedMax;
        h *= red;
        reduced = true;
    }

    ++st.Steps;
    *xx = st.XNew;
    *hdid = h;
    st.First = false;
    double wrkmin = WorkStart, scale = 1.0;
    for (int kk = 1; kk <= km; ++kk) {
        const double fact = MaxOf(err[kk], ScaleMax);
        const double work = fact * a[kk + 1];
        if (work < wrkmin) {
            scale = fact;
            wrkmin = work;
            st.KOpt = kk + 1;
        }
    }
    *hnext = h / scale;
    if (st.KOpt >= k && st.KOpt != st.KMax && !reduced) {
        const double fact = MaxOf(scale / st.Alf[st.KOpt - 1][st.KOpt], ScaleMax);
        if (a[st.KOpt + 1] * fact <= wrkmin) {
            *hnext = h / fact;
            ++st.KOpt;
        }
    }
    return nullptr;
}

namespace {

// simpr over N species known when compiling (0: n at run time), with the
// solves on the small path: the systems of the integrator get loops the
// compiler lays out in full and vectors that stay in registers.
template <int N>
const char* SemiImplicitMidpoint(TIntegrator& w, const double* y, const double* dydx,
                                 const double* dfdx, const double (*dfdy)[SpeciesSlots], int count,
                                 double htot, int nstep, double* yout) {
    const int n = N > 0 ? N : count;
    const double h = htot / nstep;
    double (*a)[SpeciesSlots] = w.SimprMatrix;
    int* indx = w.SimprPivot;
    int* perm = w.SimprPerm;
    double* inv = w.SimprInvPivot;
    double* ytemp = w.SimprYTemp;
    double del[SpeciesSlots];
    const int species = w.M.NumSpecies;
    auto solve = [&](double* b) {
        if constexpr (N > 0) LUSolveSmall<N>(a, perm, b, inv);
        else LUSolve(a, n, indx, b, inv);
    };
    for (int i = 1; i <= n; ++i) {
        for (int j = 1; j <= n; ++j) a[i][j] = -h * dfdy[i][j];
        a[i][i] += 1.0;
    }
    double d;
    if (const char* e = LUDecompose(a, n, indx, &d, w.LURowScale, inv)) return e;
    LUPermutation(indx, n, perm);
    for (int i = 1; i <= n; ++i) yout[i] = h * (dydx[i] + h * dfdx[i]);
    solve(yout);
    for (int i = 1; i <= n; ++i) {
        del[i] = yout[i];
        ytemp[i] = y[i] + del[i];
    }
    w.Terms.derivs(ytemp, yout, species);
    for (int nn = 2; nn <= nstep; ++nn) {
        for (int i = 1; i <= n; ++i) yout[i] = h * yout[i] - del[i];
        solve(yout);
        for (int i = 1; i <= n; ++i) {
            del[i] += 2.0 * yout[i];
            ytemp[i] += del[i];
        }
        w.Terms.derivs(ytemp, yout, species);
    }
    for (int i = 1; i <= n; ++i) yout[i] = h * yout[i] - del[i];
    solve(yout);
    for (int i = 1; i <= n; ++i) yout[i] += ytemp[i];
    return nullptr;
}

} // namespace

const char* TIntegrator::simpr(const double* y, const double* dydx, const double* dfdx,
                               const double (*dfdy)[SpeciesSlots], int n, double, double htot,
                               int nstep, double* yout) {
    switch (n) {
    case 1: return SemiImplicitMidpoint<1>(*this, y, dydx, dfdx, dfdy, n, htot, nstep, yout);
    case 2: return SemiImplicitMidpoint<2>(*this, y, dydx, dfdx, dfdy, n, htot, nstep, yout);
    case 3: return SemiImplicitMidpoint<3>(*this, y, dydx, dfdx, dfdy, n, htot, nstep, yout);
    case 4: return SemiImplicitMidpoint<4>(*this, y, dydx, dfdx, dfdy, n, htot, nstep, yout);
    case 5: return SemiImplicitMidpoint<5>(*this, y, dydx, dfdx, dfdy, n, htot, nstep, yout);
    case 6: return SemiImplicitMidpoint<6>(*this, y, dydx, dfdx, dfdy, n, htot, nstep, yout);
    default: return SemiImplicitMidpoint<0>(*this, y, dydx, dfdx, dfdy, n, htot, nstep, yout);
    }
}

const char* TIntegrator::pzextr(int iest, double xest, const double* yest, double* yz, double* dy,
                                int nv) {
    double* x = ExtrapX;
    double (*d)[StepperColumns + 1] = ExtrapTable;
    double* c = ExtrapWork;
    x[iest] = xest;
    for (int j = 1; j <= nv; ++j) dy[j] = yz[j] = yest[j];
    if (iest == 1) {
        for (int j = 1; j <= nv; ++j) d[j][1] = yest[j];
        return nullptr;
    }
    for (int j = 1; j <= nv; ++j) c[j] = yest[j];
    for (int k1 = 1; k1 < iest; ++k1) {
        const double delta = 1.0 / (x[iest - k1] - xest);
        const double f1 = xest * delta;
        const double f2 = x[iest - k1] * delta;
        for (int j = 1; j <= nv; ++j) {
            const double q = d[j][k1];
            d[j][k1] = dy[j];
            const double diff = c[j] - q;
            dy[j] = f1 * diff;
            c[j] = f2 * diff;
            yz[j] += dy[j];
        }
    }
    for (int j = 1; j <= nv; ++j) d[j][iest] = dy[j];
    return nullptr;
}

} // namespace kivra
