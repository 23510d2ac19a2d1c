#pragma once
// The semi-implicit extrapolation integrator of Bader and Deuflhard with its
// work arrays and step control. Each worker of a run holds its own: a curve's
// integration touches nothing but its integrator and its copy of the model.
//
// The step control may live per worker without changing any result: every
// call of odeint starts with no proposed step, which resets the order and
// marks the first step of a run of steps, and the remaining tables depend on
// the tolerance and the species count alone.
#include "engine/simulation/page_model.h"

namespace kivra {

constexpr int StepperColumns = 7;  // largest extrapolation column

struct TStepperState {
    double EpsOld = -1.0;  // tolerance the tables were built for
    int NvOld = -1;        // species count the tables were built for
    bool First = true;     // the next step starts a run of steps
    int KMax = 0;
    int KOpt = 0;
    double XNew = 0.0;     // end of the last attempted step
    double WorkA[StepperColumns + 2] = {};                   // [1..8]
    double Alf[StepperColumns + 1][StepperColumns + 1] = {};  // [1..7][1..7]

    // Counters for benchmarks and tests; never read by the integrator itself.
    long long Steps = 0;     // accepted steps
    long long Attempts = 0;  // attempts, the rejected ones included
};

// Steps and attempts of every integration of the program, for benchmarks and
// tests. Runs add their workers' counts when they end, in the calling thread.
struct TStepCounts {
    long long Steps = 0;
    long long Attempts = 0;
};
extern TStepCounts StepCounts;

// The larger of a and b; a when they are equal (or b is not a number).
inline const double& MaxOf(const double& a, const double& b) { return b > a ? b : a; }

// Work arrays are fixed rows of SpeciesSlots (1-based over at most MaxSpecies
// species), one contiguous object without any allocation.
class TIntegrator {
public:
    // Integrates the scheme of model, read at every call of odeint; size is
    // the largest species count it accepts (1..MaxSpecies). stifbs and simpr
    // are the steps of odeint and use the rate terms it prepared.
    TIntegrator(const TPageModel& model, int size) : M(model), Size(size) {}
    TIntegrator(const TIntegrator&) = delete;
    TIntegrator& operator=(const TIntegrator&) = delete;

    // Stiff integration of ystart[1..nvar] from t1 to t2. Null, or a fixed error text.
    const char* odeint(double* ystart, int nvar, double t1, double t2, double eps, double h1,
                       double hmin);
    const char* stifbs(double* y, double* dydx, int nv, double* xx, double htry, double eps,
                       double* yscal, double* hdid, double* hnext);
    const char* simpr(const double* y, const double* dydx, const double* dfdx,
                      const double (*dfdy)[SpeciesSlots], int n, double xs, double htot, int nstep,
                      double* yout);
    const char* pzextr(int iest, double xest, const double* yest, double* yz, double* dy, int nv);

    const TPageModel& M;
    const int Size;
    TStepperState Stepper;
    TRateTerms Terms;  // the scheme's terms for the running odeint call

    double LURowScale[SpeciesSlots];
    double SolverYScale[SpeciesSlots], SolverY[SpeciesSlots], SolverDydx[SpeciesSlots];
    double ExtrapWork[SpeciesSlots];
    double ExtrapTable[SpeciesSlots][StepperColumns + 1];  // [species][column]
    double ExtrapX[StepperColumns + 1];
    double SimprMatrix[SpeciesSlots][SpeciesSlots];
    double SimprInvPivot[SpeciesSlots];  // reciprocal pivots of the decomposition
    double SimprYTemp[SpeciesSlots];
    int SimprPivot[SpeciesSlots];
    int SimprPerm[SpeciesSlots];  // the row order of the pivoting, for the small solves
    double JacDfdx[SpeciesSlots];
    double JacDfdy[SpeciesSlots][SpeciesSlots];
    double StepErr[StepperColumns + 1];
    double StepYErr[SpeciesSlots], StepYSave[SpeciesSlots], StepYSeq[SpeciesSlots];
};

} // namespace kivra
