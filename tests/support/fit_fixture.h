#pragma once
// A one-page 1:1 binding experiment for fit tests: A (injected in slot 1) +
// B (surface sites, initially Rmax) = C (seen with its response factor), data
// from the exact response plus optional Gaussian noise of the program's generator.
#include <vector>

#include "pages/model_data.h"
#include "pages/senstab_core.h"

namespace kivra::test {

struct OneToOneSetup {
    double Ka = 1e5, Kd = 1e-3, Rmax = 100;
    std::vector<double> Conc = {3.125e-9, 6.25e-9, 1.25e-8, 2.5e-8, 5e-8, 1e-7};
    int Points = 241;
    double Interval = 2.5;
    double InjStart = 100, InjStop = 400;
    bool FitKa = true, FitKd = true, FitRFactor = true, FitRmax = false;
};

// The exact response of a curve at time t.
double OneToOneResponse(const OneToOneSetup& s, double conc, double t);

// The page (loaded, exact data) and the model synchronised with it (NumSets 1,
// counts from the editors' rules and the page).
struct OneToOneExperiment {
    OneToOneExperiment(int points, double interval, long seed);
    // Replaces the data by the exact response plus noise of sd.
    void Noise(double sd);
    // Hands new model values over as the model page would: kfwd, krev, the R
    // factor of C and the initial B.
    void SetValues(double ka, double kd, double rfactor, double rmax);

    OneToOneSetup Setup;
    TModelData Model;
    TSensTabCore Page;
};

} // namespace kivra::test
