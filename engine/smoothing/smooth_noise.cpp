// Smoothing of the measured curves into the simulation trace, and the Gaussian
// noise that turns a simulation into synthetic data or perturbs the data for one
// Monte Carlo cycle.
#include <algorithm>
#include <cmath>
#include <string>

#include "engine/numeric/randoms.h"
#include "engine/dataset/senstab_core.h"
#include "platform/core/messages.h"

namespace kivra {
namespace {

constexpr const char* SmoothCaption = "Smooth Error";

// Curves that every array touched here really holds, whatever the counts say.
int CurvesHeld(const TSensTabCore& p) {
    const std::size_t rows = std::min({p.Data.numRows(), p.Sim.numRows(), p.DataBackup.numRows(),
                                       p.PointCount.size(), p.Excluded.size()});
    return p.NumCurves <= 0 ? 0 : static_cast<int>(std::min<std::size_t>(rows, p.NumCurves));
}

// Points of a curve, limited to its row.
int PointsHeld(const TSensTabCore& p, int count) {
    return count <= 0 ? 0 : static_cast<int>(std::min<std::size_t>(count, p.Data.numCols()));
}

// One point whose window runs over an end of the curve: every offset beyond an end
// reads the end point, so each end contributes its value times the sum of the
// weights that land there (cum holds the running sums of w). This keeps a window
// far wider than the curve at the cost of the curve, not of the window.
double EdgePoint(const double* d, int n, int k, const double* w, const double* cum, int half) {
    const int np = 2 * half + 1;
    const int toFirst = -k;         // offset that reads point 0
    const int toLast = n - 1 - k;   // offset that reads point n - 1
    double left = 0;
    if (toFirst >= -half) left = cum[toFirst + half];
    double right = 0;
    const int rightFrom = std::max(toLast, toFirst + 1);  // a 1-point curve is counted once
    if (rightFrom <= half) {
        const int before = rightFrom - 1 + half;
        right = cum[np - 1] - (before >= 0 ? cum[before] : 0.0);
    }
    double sum = left * d[0];
    const int from = std::max(toFirst + 1, -half);
    const int to = std::min(toLast - 1, half);
    for (int o = from; o <= to; ++o) sum += w[o + half] * d[k + o];
    return sum + right * d[n - 1];
}

// out[k] = the sum over offsets o = -half..half of w[o + half] * d[k + o], with the
// indices held inside the curve.
void SmoothCurve(const double* d, double* out, int n, const double* w, const double* cum, int half) {
    const int np = 2 * half + 1;
    const int first = half;         // first point whose window lies inside the curve
    const int last = n - 1 - half;  // and the last one
    // Offsets outermost, points innermost: each point still sums from -half to +half
    // in turn, the inner loop vectorises, and a block stays in the first-level cache.
    constexpr int Block = 512;
    for (int k0 = first; k0 <= last; k0 += Block) {
        const int k1 = std::min(last + 1, k0 + Block);
        const double* dk = d - half;
        for (int k = k0; k < k1; ++k) out[k] = w[0] * dk[k];
        for (int j = 1; j < np; ++j) {
            const double wj = w[j];
            const double* dj = d + (j - half);
            for (int k = k0; k < k1; ++k) out[k] += wj * dj[k];
        }
    }
    const int leftEnd = std::min(half, n);
    for (int k = 0; k < leftEnd; ++k) out[k] = EdgePoint(d, n, k, w, cum, half);
    for (int k = std::max(half, n - half); k < n; ++k) out[k] = EdgePoint(d, n, k, w, cum, half);
}

} // namespace

void TSensTabCore::Smooth(int window, int order) {
    // The dialog asks for these already; checked again so no caller can make the
    // normal equations singular or the window absurd.
    if (window < 2) {
        ShowMessage("Enter window size > 1", SmoothCaption);
        return;
    }
    if (window > MaxPointsPerCurve) {
        ShowMessage("Enter window size <= " + std::to_string(MaxPointsPerCurve), SmoothCaption);
        return;
    }
    if (order < 0 || order > MaxSmoothOrder) {
        ShowMessage("Enter order from 0 to " + std::to_string(MaxSmoothOrder), SmoothCaption);
        return;
    }
    const int half = window / 2;
    const int np = 2 * half + 1;  // an even window acts as the next odd one
    if (order >= np) {
        ShowMessage("Window size must be greater than the Order", SmoothCaption);
        return;
    }

    Vector1 coef(1, np);
    OwnedArray<double> w, cum;
    if (!coef || !w.Reset(np, 0.0) || !cum.Reset(np, 0.0)) {
        ShowMessage("Memory Allocation Error", SmoothCaption);
        return;
    }
    if (const char* err = savgol(coef.get(), np, half, half, 0, order)) {
        ShowMessage(err, SmoothCaption);
        return;
    }
    // Laid out from offset -half to +half, once per call.
    double running = 0;
    for (int o = -half; o <= half; ++o) {
        w[o + half] = coef[SavGolIndex(o) + 1];
        running += w[o + half];
        cum[o + half] = running;
    }

    const int curves = CurvesHeld(*this);
    for (int i = 0; i < curves; ++i) {
        if (Excluded[i]) continue;
        SmoothCurve(Data[i], Sim[i], PointsHeld(*this, PointCount[i]), w.data(), cum.data(), half);
    }
    SimulationChanged();
}

void TSensTabCore::AddNoise(double sd) {
    if (NumCurves == 0 || NumPoints == 0 || !Modelled || !std::isfinite(sd)) return;
    long* seed = &RandomSeed();
    const int curves = CurvesHeld(*this);
    for (int i = 0; i < curves; ++i) {
        if (Excluded[i]) continue;
        double* sim = Sim[i];
        const int n = PointsHeld(*this, PointCount[i]);
        for (int k = 0; k < n; ++k) sim[k] += GaussRandom(seed) * sd;
    }
    SimulationChanged();
}

void TSensTabCore::RandomizeData(double sd) {
    if (NumCurves == 0 || NumPoints == 0 || !std::isfinite(sd)) return;
    // Called twice without RestoreData, the second backup would take the perturbed
    // values for the measured ones; start again from the measured values instead.
    RestoreData();
    const int curves = CurvesHeld(*this);
    if (!PerturbedPoints.Reset(static_cast<std::size_t>(curves), 0)) {
        ShowMessage("Memory Allocation Error", "Run MC Error");
        return;
    }
    long* seed = &RandomSeed();
    for (int i = 0; i < curves; ++i) {
        if (Excluded[i]) continue;
        double* data = Data[i];
        double* backup = DataBackup[i];
        const int n = PointsHeld(*this, PointCount[i]);
        for (int k = 0; k < n; ++k) {
            backup[k] = data[k];
            data[k] += GaussRandom(seed) * sd;
        }
        PerturbedPoints[i] = n;
    }
}

void TSensTabCore::RestoreData() {
    // Exactly the curves that were perturbed: a curve excluded since then still gets
    // its values back, and one included since then has no backup to be overwritten by.
    const int curves = std::min(static_cast<int>(PerturbedPoints.size()), CurvesHeld(*this));
    for (int i = 0; i < curves; ++i) {
        const int n = PointsHeld(*this, PerturbedPoints[i]);
        std::copy(DataBackup[i], DataBackup[i] + n, Data[i]);
    }
    PerturbedPoints.Clear();
}

} // namespace kivra
