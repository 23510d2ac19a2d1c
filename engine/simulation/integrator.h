#pragma once
// Step control shared by every page's integrator. It outlives single calls on
// purpose: order and step size learnt on one interval carry over to the next,
// between curves and between pages, so all integrations run one at a time.

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

extern TStepperState StepperState;

// The larger of a and b; a when they are equal (or b is not a number).
inline const double& MaxOf(const double& a, const double& b) { return b > a ? b : a; }

} // namespace kivra
