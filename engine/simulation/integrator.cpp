// Mass-action rate equations of the page's scheme and the semi-implicit
// extrapolation integrator that carries them through stiff stretches.
#include "engine/simulation/integrator.h"

#include <cmath>

#include "engine/dataset/senstab_core.h"
#include "platform/core/messages.h"

namespace kivra {

TStepperState StepperState;

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

void TSensTabCore::ResolveRates(int r, double& kf, double& kr) const {
    kf = LinkedRate(KfwdLink[r], Kfwd[r], Kfwd, Krev);
    kr = LinkedRate(KrevLink[r], Krev[r], Kfwd, Krev);
}

namespace {
// A mass-transport reaction runs faster or slower with the curve's flow.
void RatesWithFlow(const TSensTabCore& p, int r, double& kf, double& kr) {
    p.ResolveRates(r, kf, kr);
    if (p.MassTransport[r]) {
        kf *= p.FlowFactor;
        kr *= p.FlowFactor;
    }
}
} // namespace

void TSensTabCore::derivs(const double* y, double* dydt) {
    for (int i = 1; i <= NumSpecies; ++i) dydt[i] = 0.0;
    for (int r = 0; r < NumReactions; ++r) {
        const int p = Product[r];
        if (p < 0) continue;
        const int a = ReactA[r], b = ReactB[r];
        double kf, kr;
        RatesWithFlow(*this, r, kf, kr);
        if (a >= 0 && b >= 0) {
            const double v = kf * y[a + 1] * y[b + 1] - kr * y[p + 1];
            dydt[a + 1] -= v;
            dydt[b + 1] -= v;
            dydt[p + 1] += v;
        } else if (a >= 0 || b >= 0) {
            const int x = a >= 0 ? a : b;
            const double v = kf * y[x + 1] - kr * y[p + 1];
            dydt[x + 1] -= v;
            dydt[p + 1] += v;
        }
    }
    // Injected species are held where the caller put them.
    for (int s = 0; s < NumSpecies; ++s)
        if (AnalyteInj[s] >= 0) dydt[s + 1] = 0.0;
}

void TSensTabCore::jacobn(double, const double* y, double* dfdx, double** dfdy, int n) {
    for (int i = 1; i <= n; ++i) {
        dfdx[i] = 0.0;
        for (int j = 1; j <= n; ++j) dfdy[i][j] = 0.0;
    }
    for (int r = 0; r < NumReactions; ++r) {
        const int p = Product[r] + 1;
        if (p < 1) continue;
        const int a = ReactA[r] + 1, b = ReactB[r] + 1;
        double kf, kr;
        RatesWithFlow(*this, r, kf, kr);
        if (a >= 1 && b >= 1) {
            dfdy[a][a] -= kf * y[b];
            dfdy[a][b] -= kf * y[a];
            dfdy[a][p] += kr;
            dfdy[b][a] -= kf * y[b];
            dfdy[b][b] -= kf * y[a];
            dfdy[b][p] += kr;
            dfdy[p][a] += kf * y[b];
            dfdy[p][b] += kf * y[a];
            dfdy[p][p] -= kr;
        } else if (a >= 1 || b >= 1) {
            const int x = a >= 1 ? a : b;
            dfdy[x][x] -= kf;
            dfdy[x][p] += kr;
            dfdy[p][x] += kf;
            dfdy[p][p] -= kr;
        }
    }
    for (int s = 0; s < n && s < MaxSpecies; ++s)
        if (AnalyteInj[s] >= 0)
            for (int j = 1; j <= n; ++j) dfdy[s + 1][j] = 0.0;
}

bool TSensTabCore::Allocate(int n) {
    Deallocate();
    bool ok = n >= 1;
    ok = ok && LURowScale.Reset(1, n) && SolverYScale.Reset(1, n) && SolverY.Reset(1, n) &&
         SolverDydx.Reset(1, n) && ExtrapWork.Reset(1, n) &&
         ExtrapTable.Reset(1, n, 1, StepperColumns) && ExtrapX.Reset(1, StepperColumns) &&
         SimprMatrix.Reset(1, n, 1, n) && SimprDelta.Reset(1, n) && SimprYTemp.Reset(1, n) &&
         SimprPivot.Reset(1, n) && JacDfdx.Reset(1, n) && JacDfdy.Reset(1, n, 1, n) &&
         StepErr.Reset(1, StepperColumns) && StepYErr.Reset(1, n) && StepYSave.Reset(1, n) &&
         StepYSeq.Reset(1, n) && SpeciesState.Reset(1, n);
    if (!ok) {
        Deallocate();
        ShowMessage("Memory Allocation Error", "Run Simulation Error");
        return false;
    }
    WorkSpecies = n;
    return true;
}

void TSensTabCore::Deallocate() {
    WorkSpecies = 0;
    LURowScale.Release();
    SolverYScale.Release();
    SolverY.Release();
    SolverDydx.Release();
    ExtrapWork.Release();
    ExtrapTable.Release();
    ExtrapX.Release();
    SimprMatrix.Release();
    SimprDelta.Release();
    SimprYTemp.Release();
    SimprPivot.Release();
    JacDfdx.Release();
    JacDfdy.Release();
    StepErr.Release();
    StepYErr.Release();
    StepYSave.Release();
    StepYSeq.Release();
    SpeciesState.Release();
}

const char* TSensTabCore::odeint(double* ystart, int nvar, double t1, double t2, double eps,
                                 double h1, double hmin) {
    if (t1 == t2) return ZeroTimeStep;
    if (h1 < 1e-10) return nullptr;
    // Arrays made for fewer species would be overrun.
    if (nvar < 1 || nvar > WorkSpecies) return NoWorkArrays;

    double* y = SolverY.get();
    double* dydx = SolverDydx.get();
    double* yscal = SolverYScale.get();
    double t = t1;
    double h = t2 - t1 < 0 ? -std::fabs(h1) : std::fabs(h1);
    for (int i = 1; i <= nvar; ++i) y[i] = ystart[i];
    // A fresh proposal: the first step of every call starts a new run of steps.
    double hnext = 0.0, hdid = 0.0;

    for (int step = 1; step <= MaxSteps; ++step) {
        derivs(y, dydx);
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
                if (i > NumSpecies || AnalyteInj[i - 1] < 0) ystart[i] = y[i];
            return nullptr;
        }
        if (std::fabs(hnext) <= hmin) return StepTooSmall;
        h = hnext;
    }
    return TooManySteps;
}

const char* TSensTabCore::stifbs(double* y, double* dydx, int nv, double* xx, double htry,
                                 double eps, double* yscal, double* hdid, double* hnext) {
    TStepperState& st = StepperState;
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
    double* ysav = StepYSave.get();
    double* yerr = StepYErr.get();
    double* yseq = StepYSeq.get();
    double* err = StepErr.get();
    for (int i = 1; i <= nv; ++i) ysav[i] = y[i];
    jacobn(*xx, y, JacDfdx.get(), JacDfdy.get(), nv);
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
            if (const char* e = simpr(ysav, dydx, JacDfdx.get(), JacDfdy.get(), nv, *xx, h,
                                      Substeps[k], yseq))
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

const char* TSensTabCore::simpr(double* y, double* dydx, double* dfdx, double** dfdy, int n,
                                double, double htot, int nstep, double* yout) {
    const double h = htot / nstep;
    double** a = SimprMatrix.get();
    int* indx = SimprPivot.get();
    double* del = SimprDelta.get();
    double* ytemp = SimprYTemp.get();
    for (int i = 1; i <= n; ++i) {
        for (int j = 1; j <= n; ++j) a[i][j] = -h * dfdy[i][j];
        a[i][i] += 1.0;
    }
    double d;
    if (const char* e = ludcmp(a, n, indx, &d)) return e;
    for (int i = 1; i <= n; ++i) yout[i] = h * (dydx[i] + h * dfdx[i]);
    LUBackSubstitute(a, n, indx, yout);
    for (int i = 1; i <= n; ++i) {
        del[i] = yout[i];
        ytemp[i] = y[i] + del[i];
    }
    derivs(ytemp, yout);
    for (int nn = 2; nn <= nstep; ++nn) {
        for (int i = 1; i <= n; ++i) yout[i] = h * yout[i] - del[i];
        LUBackSubstitute(a, n, indx, yout);
        for (int i = 1; i <= n; ++i) {
            del[i] += 2.0 * yout[i];
            ytemp[i] += del[i];
        }
        derivs(ytemp, yout);
    }
    for (int i = 1; i <= n; ++i) yout[i] = h * yout[i] - del[i];
    LUBackSubstitute(a, n, indx, yout);
    for (int i = 1; i <= n; ++i) yout[i] += ytemp[i];
    return nullptr;
}

const char* TSensTabCore::pzextr(int iest, double xest, double* yest, double* yz, double* dy,
                                 int nv) {
    double* x = ExtrapX.get();
    double** d = ExtrapTable.get();
    double* c = ExtrapWork.get();
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
