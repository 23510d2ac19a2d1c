#include "engine/dataset/senstab_core.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "engine/fit/fit_params.h"
#include "engine/numeric/numformat.h"
#include "platform/core/messages.h"

namespace kivra {

TSensTabCore::TSensTabCore() {
    CaptionText = "Set " + std::to_string(Tag + 1);
}

TSensTabCore::~TSensTabCore() { ClearSens(); }

void TSensTabCore::SetNumLabels(int curves, int points) {
    NumCurvesString = curves > 0 ? "Num Curves: " + std::to_string(curves) : "Num Curves:";
    NumPointsString = points > 0 ? "Points/Curve: " + std::to_string(points) : "Points/Curve:";
    LabelsChanged();
}

bool TSensTabCore::NewSens(int curves, int points) {
    if (curves < 1 || points < 2 || curves > MaxCurves || points > MaxPointsPerCurve) {
        ShowMessage("Bad allocation request", "New Sens", MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    const auto nc = static_cast<std::size_t>(curves);
    const auto np = static_cast<std::size_t>(points);
    PerturbedPoints.Clear();  // a new set has no Monte Carlo backup to restore
    bool ok = Data.Reset(nc, np, 0.0) && Sim.Reset(nc, np, 0.0) && Time.Reset(nc, np, 0.0) &&
              DataBackup.Reset(nc, np, 0.0) && PointFlags.Reset(nc, np, 0);
    for (int j = 0; ok && j < MaxInj; ++j) {
        ok = InjStop[j].Reset(nc, 0.0) && InjStart[j].Reset(nc, 0.0) && RefIndex[j].Reset(nc, 0.0) &&
             InjConc[j].Reset(nc, 0.0) && FracNum[j].Reset(nc, -1.0) && FracDen[j].Reset(nc, 1.0) &&
             FitRefIndex[j].Reset(nc, false) && ConcIsFraction[j].Reset(nc, false);
        for (int s = 0; ok && s < MaxSpecies; ++s) ok = SpecConc[j][s].Reset(nc, 0.0);
        StockConc[j] = 0;
        FitStockLocal[j] = false;
    }
    ok = ok && PointCount.Reset(nc, 0) && Excluded.Reset(nc, false) && Flow.Reset(nc, 1.0);
    if (!ok) {
        // Nothing half-made may stay behind: the counts say "no data".
        AllocCurves = 1;
        ClearSens();
        ShowMessage("Memory Allocation Error", "New Sens", MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    AllocCurves = curves;
    SetNumLabels(curves, points);
    DataArraysChanged();
    return true;
}

void TSensTabCore::ClearSens() {
    if (AllocCurves > 0) {
        Excluded.Clear();
        PointCount.Clear();
        Flow.Clear();
        for (int j = 0; j < MaxInj; ++j) {
            for (int s = 0; s < MaxSpecies; ++s) SpecConc[j][s].Clear();
            InjStop[j].Clear();
            InjStart[j].Clear();
            RefIndex[j].Clear();
            InjConc[j].Clear();
            FracNum[j].Clear();
            FracDen[j].Clear();
            FitRefIndex[j].Clear();
            ConcIsFraction[j].Clear();
        }
        PointFlags.Clear();
        Time.Clear();
        Sim.Clear();
        Data.Clear();
        DataBackup.Clear();
        Loaded = false;
        Modelled = false;
        AllocCurves = 0;
        SetNumLabels(0, 0);
        DataArraysChanged();
    }
    // Counts never outlive the arrays they describe.
    PerturbedPoints.Clear();
    NumCurves = 0;
    NumPoints = 0;
}

void TSensTabCore::ClearDisplay() {
    CaptionText = "Set " + std::to_string(Tag + 1);
    FileNameString = "No Data";
    LabelsChanged();
}

bool TSensTabCore::InjUsed(int j) const {
    if (j < 0 || j >= MaxInj || AllocCurves == 0) return false;
    for (int i = 0; i < NumCurves; ++i) {
        if (Excluded[i]) continue;
        if (InjStart[j][i] != InjStop[j][i] || InjConc[j][i] != 0) return true;
    }
    return false;
}

void TSensTabCore::UpdateInjPics() {
    for (int j = 0; j < MaxInj; ++j) {
        if (InjUsed(j)) {
            InjLabelString[j] = "Inj" + std::to_string(j + 1) + FormatValue(": ", InjStart[j][0]) +
                                FormatValue(" - ", InjStop[j][0]);
            InjLabelShown[j] = true;
        } else {
            InjLabelShown[j] = false;
        }
    }
    LabelsChanged();
}

bool TSensTabCore::CheckData() const {
    if (!Loaded) return true;
    bool ok = true;
    for (int i = 0; i < NumCurves; ++i) {
        for (int k = 1; k < PointCount[i]; ++k) {
            if (!(Time[i][k - 1] < Time[i][k])) {
                if (ok) {
                    char text[128];
                    std::snprintf(text, sizeof text, "Zero or negative time interval \n at time = %f",
                                  Time[i][k]);
                    ShowMessage(text, "Data Error");
                }
                ok = false;
                break;
            }
        }
    }
    return ok;
}

void TSensTabCore::CreateSet(int curves, double totalTime, double interval) {
    // Everything is checked before the user is asked or the old set cleared.
    double points = 0;
    if (std::isfinite(totalTime) && std::isfinite(interval) && interval > 0 && totalTime > 0)
        points = std::trunc(totalTime / interval + 0.5);
    if (curves < 1 || curves > MaxCurves || !(points >= 2) || points > MaxPointsPerCurve) {
        ShowMessage("Bad choice of values", "New Set Error");
        return;
    }

    struct Kept {
        std::vector<double> start, stop, conc, num, den;
        std::vector<char> fraction;
    };
    std::array<Kept, MaxInj> kept;
    std::array<double, MaxInj> keptStock{};
    int oldCurves = 0;
    bool anyUsed = false;
    for (int j = 0; j < MaxInj; ++j) anyUsed = anyUsed || InjUsed(j);
    if (anyUsed && NumCurves > 0) {
        const MsgResult answer = ShowMessage("Do you want to keep injection data?", "New Data Set",
                                             MsgButtons::YesNoCancel);
        if (answer == MsgResult::Cancel) return;
        if (answer == MsgResult::Yes) {
            oldCurves = NumCurves;
            for (int j = 0; j < MaxInj; ++j) {
                Kept& k = kept[j];
                for (int i = 0; i < oldCurves; ++i) {
                    k.start.push_back(InjStart[j][i]);
                    k.stop.push_back(InjStop[j][i]);
                    k.conc.push_back(InjConc[j][i]);
                    k.num.push_back(FracNum[j][i]);
                    k.den.push_back(FracDen[j][i]);
                    k.fraction.push_back(ConcIsFraction[j][i]);
                }
                // Kept fractions refer to the stock, so the stock stays with them.
                keptStock[j] = StockConc[j];
            }
        }
    }

    ClearSens();
    ClearDisplay();
    const int n = static_cast<int>(points);
    if (!NewSens(curves, n)) {
        ShowMessage("Memory allocation error", "New Set Error");
        return;
    }
    NumCurves = curves;
    NumPoints = n;
    for (int i = 0; i < curves; ++i) {
        PointCount[i] = n;
        double t = 0;
        for (int k = 0; k < n; ++k) {
            Time[i][k] = t;
            t += interval;
        }
    }

    if (oldCurves == 0) {
        RunInjDlg(0);
    } else {
        for (int j = 0; j < MaxInj; ++j) {
            const Kept& k = kept[j];
            for (int i = 0; i < curves; ++i) {
                const int from = i < oldCurves ? i : oldCurves - 1;
                InjStart[j][i] = k.start[from];
                InjStop[j][i] = k.stop[from];
                InjConc[j][i] = k.conc[from];
                FracNum[j][i] = k.num[from];
                FracDen[j][i] = k.den[from];
                ConcIsFraction[j][i] = k.fraction[from] != 0;
            }
            StockConc[j] = keptStock[j];
        }
    }
    UpdateInjPics();
}

} // namespace kivra
