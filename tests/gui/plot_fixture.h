#pragma once
#include "widgets/plot.h"
#include "tests/support/plot_curves.h"

namespace kivra::test {

// As a data page attaches its plots, then data and simulation shown.
inline void AttachPage(PlotCurves& c, TPlot& p, bool data = true, bool sim = true) {
    p.SetDataPtrs(c.Curves, c.Data.rows(), c.Sim.rows(), c.Time.rows(), c.Flags.rows(), c.Excluded.data(),
                  c.Count.data(), nullptr, nullptr, nullptr);
    p.SetShowData(data);
    p.SetShowSim(sim);
}

// As the injection dialog attaches its plot: no simulation, the slot's times and steps.
inline void AttachDialog(PlotCurves& c, TPlot& p) {
    p.SetDataPtrs(c.Curves, c.Data.rows(), nullptr, c.Time.rows(), c.Flags.rows(), c.Excluded.data(),
                  c.Count.data(), c.Start.data(), c.Stop.data(), c.RI.data());
    p.SetShowData(true);
}

} // namespace kivra::test
