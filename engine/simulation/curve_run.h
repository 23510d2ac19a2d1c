#pragma once
// One curve's simulation on one worker: its own copy of the page's model and
// of the curve's injections, which a fit may nudge without touching the page
// or another worker, its integrator and its state vector.
#include <string>
#include <utility>

#include "engine/simulation/integrator.h"
#include "engine/simulation/page_model.h"

namespace kivra {

class TSensTabCore;

struct TCurveRun {
    TCurveRun() : Solver(Model, MaxSpecies) {}
    TCurveRun(const TCurveRun&) = delete;
    TCurveRun& operator=(const TCurveRun&) = delete;

    // Takes the page's model, curve i's injections and split, and the flow
    // factor of the curve.
    void Load(const TSensTabCore& page, int i);

    TPageModel Model;
    TCurveInj Inj;
    TIntegrator Solver;
    double Y[SpeciesSlots] = {};  // species concentrations, species s at s + 1
};

// Why a worker's run stopped, for the calling thread to report: a serial run
// would have met the failures in the order of curve, then Stage, then run.
struct TRunFailure {
    bool Failed = false;
    int Stage = 0;               // the point being computed: 0 also covers the lead-in
    const char* Text = nullptr;  // what the run returns
    std::string Message;         // what is shown first, with Caption
    std::string Caption;

    void Set(int stage, const char* text, std::string message, std::string caption) {
        Failed = true;
        Stage = stage;
        Text = text;
        Message = std::move(message);
        Caption = std::move(caption);
    }
};

} // namespace kivra
