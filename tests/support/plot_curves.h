#pragma once
// Curves for plot tests, held the way a data page holds them.
#include <functional>

#include "engine/numeric/owned_array.h"
#include "engine/plot/plot_math.h"

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

    // The arrays as a data page (or, with dialog, the injection dialog) lends them.
    PlotArrays Arrays(bool dialog = false) {
        PlotArrays a;
        a.NumCurves = Curves;
        a.Data = Data.rows();
        a.Sim = Sim.rows();
        a.Time = Time.rows();
        a.PointFlags = Flags.rows();
        a.Excluded = Excluded.data();
        a.PointCount = Count.data();
        if (dialog) {
            a.InjStart = Start.data();
            a.InjStop = Stop.data();
            a.RefIndex = RI.data();
        }
        return a;
    }
};

} // namespace kivra::test
