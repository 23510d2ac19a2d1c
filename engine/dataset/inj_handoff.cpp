// The data page's side of the injection dialog: copies out, the dialog, and
// the values back on OK or the page as it was on Cancel.
#include <algorithm>

#include "engine/dataset/inj_edit.h"
#include "engine/dataset/senstab_core.h"
#include "platform/core/messages.h"

namespace kivra {
namespace {

template <class T>
bool CopyTable(const RowTable<T>& from, RowTable<T>& to) {
    if (!to.Reset(from.numRows(), from.numCols(), T{})) return false;
    for (std::size_t i = 0; i < from.numRows(); ++i) std::copy_n(from[i], from.numCols(), to[i]);
    return true;
}

} // namespace

bool TInjHandOff::Take(TSensTabCore& page, int slot) {
    const auto n = static_cast<std::size_t>(page.NumCurves);
    if (!(Start.Reset(n, 0.0) && Stop.Reset(n, 0.0) && Step.Reset(n, 0.0) && Conc.Reset(n, 0.0) &&
          Offset.Reset(n, 0.0) && Flow.Reset(n, 1.0) && FracNum.Reset(n, 0.0) && FracDen.Reset(n, 1.0) &&
          FitRI.Reset(n, false) && IsFraction.Reset(n, false) && Excluded.Reset(n, false) &&
          CopyTable(page.Time, TimeWas) && CopyTable(page.Data, DataWas) && CopyTable(page.PointFlags, FlagsWas)))
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        Start[i] = page.InjStart[slot][i];
        Stop[i] = page.InjStop[slot][i];
        Step[i] = page.RefIndex[slot][i];
        FitRI[i] = page.FitRefIndex[slot][i];
        Conc[i] = page.InjConc[slot][i];
        IsFraction[i] = page.ConcIsFraction[slot][i];
        Excluded[i] = page.Excluded[i];
        Flow[i] = page.Flow[i];
        // A negative numerator means no fraction was ever typed.
        if (page.FracNum[slot][i] >= 0) {
            FracNum[i] = page.FracNum[slot][i];
            FracDen[i] = page.FracDen[slot][i];
        } else {
            FracNum[i] = page.InjConc[slot][i];
            FracDen[i] = 1.0;
        }
    }
    StartMode = page.StartFitMode[slot];
    StopMode = page.StopFitMode[slot];
    Stock = page.StockConc[slot];
    Shared = page.StockGlobal[slot];
    Fit = Shared ? page.FitStockGlobal[slot] : page.FitStockLocal[slot];
    return true;
}

void TInjHandOff::Restore(TSensTabCore& page) const {
    // Only the command guard keeps the page's arrays as the dialog found them;
    // arrays of another shape are left alone rather than copied past their end.
    auto same = [](const auto& a, const auto& b) { return a.numRows() == b.numRows() && a.numCols() == b.numCols(); };
    if (!same(TimeWas, page.Time) || !same(DataWas, page.Data) || !same(FlagsWas, page.PointFlags)) return;
    auto back = [](const auto& from, auto& to) {
        for (std::size_t i = 0; i < from.numRows(); ++i) std::copy_n(from[i], from.numCols(), to[i]);
    };
    back(TimeWas, page.Time);
    back(DataWas, page.Data);
    back(FlagsWas, page.PointFlags);
}

void ApplyInjLink(TModelData& model, int inj, bool fit, double stock, bool shared) {
    if (inj < 0 || inj >= MaxInj) return;
    model.StockGlobal[inj] = shared;
    if (!shared) return;
    model.FitStockGlobal[inj] = fit;
    for (int k = 0; k < MaxSets; ++k) model.StockConc[k][inj] = stock;
}

bool TSensTabCore::RunInjDlg(int inj) {
    if (NumCurves == 0) {
        ShowMessage("First load data or select New \nto specify the number of curves", "Number of curves unknown");
        return false;
    }
    if (inj >= MaxInj || (OnBusy && OnBusy())) return false;
    const int slot = inj >= 0 ? inj : 0;
    TInjHandOff h;
    if (!h.Take(*this, slot)) {
        ShowMessage("Memory Allocation Error", "Injection Properties", MsgButtons::Ok, MsgIcon::Exclamation);
        return false;
    }
    const bool ok = EditInjections(h, inj);
    if (ok)
        TakeBackInjEdit(h, slot);
    else
        h.Restore(*this);
    return ok;
}

void TSensTabCore::TakeBackInjEdit(const TInjHandOff& h, int slot) {
    for (int i = 0; i < NumCurves; ++i) {
        InjStart[slot][i] = h.Start[i];
        InjStop[slot][i] = h.Stop[i];
        RefIndex[slot][i] = h.Step[i];
        FitRefIndex[slot][i] = h.FitRI[i];
        ConcIsFraction[slot][i] = h.IsFraction[i];
        Excluded[i] = h.Excluded[i];
        Flow[i] = h.Flow[i];
        InjConc[slot][i] = h.Conc[i];
        FracNum[slot][i] = h.FracNum[i];
        FracDen[slot][i] = h.FracDen[i];
    }

    // The marked points go; the first point kept after each removed stretch
    // remembers the gap.
    for (int i = 0; i < NumCurves; ++i) {
        int to = 0;
        bool gap = false;
        for (int k = 0; k < PointCount[i]; ++k) {
            int flags = PointFlags[i][k];
            if (flags & PointDeleted) {
                gap = true;
                continue;
            }
            if (gap) flags |= PointAfterGap;
            gap = false;
            Time[i][to] = Time[i][k];
            Data[i][to] = Data[i][k];
            Sim[i][to] = Sim[i][k];
            PointFlags[i][to] = flags;
            ++to;
        }
        PointCount[i] = to;
    }

    StockConc[slot] = h.Stock;
    if ((StockGlobal[slot] || h.Shared) && OnInjLink) OnInjLink(slot, h.Fit, h.Stock, h.Shared);
    StockGlobal[slot] = h.Shared;
    (h.Shared ? FitStockGlobal : FitStockLocal)[slot] = h.Fit;

    NumPoints = 0;
    for (int i = 0; i < NumCurves; ++i)
        if (!Excluded[i]) NumPoints = std::max(NumPoints, PointCount[i]);
    NumCurvesString = "Num Curves: " + std::to_string(NumCurves);
    NumPointsString = "Points/Curve: " + std::to_string(NumPoints);
    LabelsChanged();

    StartFitMode[slot] = h.StartMode;
    StopFitMode[slot] = h.StopMode;
    if (Modelled && OnResimulate) OnResimulate(Tag);
}

} // namespace kivra
