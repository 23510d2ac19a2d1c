#pragma once
// What a simulation of one curve reads: the page's copy of the model and the
// curve's injections. Both are plain values, so that each worker of a
// parallel run can hold its own copy and a fit can nudge it without touching
// the page or another worker.
#include <string>

#include "engine/model/model_data.h"

namespace kivra {

// 1-based vectors over the species: element s + 1 holds species s.
constexpr int SpeciesSlots = MaxSpecies + 1;

// The scheme as the integrator evaluates it: the reactions that contribute,
// in order, with links and flow resolved once per integration instead of at
// every evaluation of the rates.
struct TRateTerms {
    int Count = 0;
    int A[MaxReactions] = {};  // 1-based state indices; B is 0 for a single reactant
    int B[MaxReactions] = {};
    int P[MaxReactions] = {};
    double Kf[MaxReactions] = {};
    double Kr[MaxReactions] = {};
    int HeldCount = 0;
    int Held[MaxSpecies] = {};  // 1-based indices of the species an injection feeds

    // Rates of change of the first n species for state y (1-based).
    void derivs(const double* y, double* dydt, int n) const;
    // Analytic Jacobian over the first n species; dfdx is always 0.
    template <class Matrix>
    void jacobn(const double* y, double* dfdx, Matrix dfdy, int n) const;
};

struct TPageModel : TReactionScheme {
    int NumReactions = 0;
    int NumSpecies = 0;
    double InitConc[MaxSpecies] = {};
    bool FitConc[MaxSpecies] = {};
    bool Response[MaxSpecies] = {};
    bool FitRFactor[MaxSpecies] = {};
    int AnalyteInj[MaxSpecies] = {};
    double RFactor[MaxSpecies] = {};
    double StockConc[MaxInj] = {};
    int SeedSpecies[MaxInj] = {};  // species whose concentration seeds a slot's analyte split
    double FlowFactor = 1;         // flow of the curve being simulated, to the power 1/3

    // Forward and reverse constant of reaction r with its links resolved one
    // level (no flow factor).
    void ResolveRates(int r, double& kf, double& kr) const;
    // The terms of the scheme with the current constants and flow factor.
    void RateTerms(TRateTerms& terms) const;
    // Rates of change of every species for state y (1-based); the scheme is autonomous.
    void derivs(const double* y, double* dydt) const;
    // Analytic Jacobian of derivs; dfdx is always 0. Matrix is double** or a
    // fixed-stride array of rows.
    template <class Matrix>
    void jacobn(double t, const double* y, double* dfdx, Matrix dfdy, int n) const;
};

// One curve's injection values, per slot.
struct TCurveInj {
    double Start[MaxInj] = {};
    double Stop[MaxInj] = {};
    double RefIndex[MaxInj] = {};
    double Conc[MaxInj] = {};         // as typed: a concentration or a fraction of the stock
    bool IsFraction[MaxInj] = {};
    double SpecConc[MaxInj][MaxSpecies] = {};  // the analyte split

    // Total concentration injected by slot j.
    double Total(const TPageModel& m, int j) const {
        return IsFraction[j] ? Conc[j] * m.StockConc[j] : Conc[j];
    }
    // The first start or stop of a slot marked in feeds after t and before end; end when none.
    double NextEvent(const bool feeds[MaxInj], double t, double end) const {
        for (int j = 0; j < MaxInj; ++j) {
            if (!feeds[j]) continue;
            if (Start[j] > t && Start[j] < end) end = Start[j];
            if (Stop[j] > t && Stop[j] < end) end = Stop[j];
        }
        return end;
    }
};

// The response of state y (1-based) at time t: the responding species with
// their factors, plus the refractive-index step of every slot marked in
// stepSlots whose injection runs at t (both ends included).
inline double ResponseAt(const TPageModel& m, const TCurveInj& inj, const double* y,
                         const bool stepSlots[MaxInj], double t) {
    double r = 0.0;
    for (int s = 0; s < m.NumSpecies; ++s)
        if (m.Response[s]) r += y[s + 1] * m.RFactor[s];
    for (int j = 0; j < MaxInj; ++j)
        if (stepSlots[j] && inj.Start[j] <= t && t <= inj.Stop[j]) r += inj.RefIndex[j];
    return r;
}

// Splits every slot's total among the species it feeds into inj.SpecConc, as
// the equilibria among those species dictate (engine/simulation/analyte.cpp).
// Empty on success, else the message to show with AnalyteCaption.
std::string SplitInjections(const TPageModel& m, TCurveInj& inj);
// The split's residual for slot j when its seed species holds x; the
// species of the slot get their concentrations. message is set on failure.
double SplitResidual(const TPageModel& m, TCurveInj& inj, int j, double x, std::string& message);
extern const char* const AnalyteCaption;

} // namespace kivra
