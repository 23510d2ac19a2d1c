#pragma once
// Curves for plot tests, held the way a data page holds them.
#include <functional>

#include "controls/plot.h"
#include "pages/owned_array.h"

namespace kivra::test {

struct PlotCurves {
    RowTable<double> Data, Sim, Time;
    RowTable<int> Flags;
    OwnedArray<bool> Excluded;
    OwnedArray<int> Count;
    OwnedArray<double> Start, Stop, RI;
    int Curves = 0;

    // Curve k, point i: time t(k, i), measured d(k, i), simulated s(k, i).
    PlotCurves(int curves, int points, const std::function<double(int, int)>& t,
               const std::function<double(int, int)>& d, const std::function<double(int, int)>& s)
        : Curves(curves) {
        Data.Reset(curves, points, 0);
        Sim.Reset(curves, points, 0);
        Time.Reset(curves, points, 0);
        Flags.Reset(curves, points, 0);
        Excluded.Reset(curves, false);
        Count.Reset(curves, points);
        Start.Reset(curves, 0);
        Stop.Reset(curves, 0);
        RI.Reset(curves, 0);
        for (int k = 0; k < curves; ++k)
            for (int i = 0; i < points; ++i) {
                Time[k][i] = t(k, i);
                Data[k][i] = d(k, i);
                Sim[k][i] = s(k, i);
            }
    }

    // As a data page attaches its plots, then data and simulation shown.
    void AttachPage(TPlot& p, bool data = true, bool sim = true) {
        p.SetDataPtrs(Curves, Data.rows(), Sim.rows(), Time.rows(), Flags.rows(), Excluded.data(),
                      Count.data(), nullptr, nullptr, nullptr);
        p.SetShowData(data);
        p.SetShowSim(sim);
    }
    // As the injection dialog attaches its plot: no simulation, the slot's times and steps.
    void AttachDialog(TPlot& p) {
        p.SetDataPtrs(Curves, Data.rows(), nullptr, Time.rows(), Flags.rows(), Excluded.data(),
                      Count.data(), Start.data(), Stop.data(), RI.data());
        p.SetShowData(true);
    }
};

} // namespace kivra::test
