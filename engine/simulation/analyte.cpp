// Splitting an injection's total concentration among the species it feeds,
// as the equilibria of the reactions among those species dictate.
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/dataset/senstab_core.h"
#include "platform/core/messages.h"

namespace kivra {

const char* const AnalyteCaption = "Analyte heterogeneity error";

namespace {

constexpr double SeedWeightLimit = 100.0;
constexpr double BisectionTolerance = 1e-8;
constexpr int MaxHalvings = 40;

std::string Numbered(const char* format, int n) {
    char text[96];
    std::snprintf(text, sizeof text, format, n);
    return text;
}

// The scratch of one analysis: which species are known, how many seed units
// each holds, and which reactions connect the species of the slot.
struct SchemeWork {
    bool determined[MaxSpecies] = {};
    double weight[MaxSpecies] = {};
    bool inScheme[MaxReactions] = {};

    void Clear() {
        for (int s = 0; s < MaxSpecies; ++s) {
            determined[s] = false;
            weight[s] = 0.0;
        }
    }
};

bool IsAnalyte(const TPageModel& p, int s, int j) {
    return s >= 0 && s < p.NumSpecies && p.AnalyteInj[s] == j;
}

int CountAnalytes(const TPageModel& p, int j) {
    int n = 0;
    for (int s = 0; s < p.NumSpecies; ++s)
        if (p.AnalyteInj[s] == j) ++n;
    return n;
}

void MarkScheme(const TPageModel& p, int j, SchemeWork& w) {
    for (int r = 0; r < MaxReactions; ++r) {
        w.inScheme[r] = false;
        if (r >= p.NumReactions) continue;
        const int a = p.ReactA[r], b = p.ReactB[r], c = p.Product[r];
        if (c < 0 || (a < 0 && b < 0)) continue;
        w.inScheme[r] = IsAnalyte(p, c, j) && (a < 0 || IsAnalyte(p, a, j)) &&
                        (b < 0 || IsAnalyte(p, b, j));
    }
}

// Spreads weights (and, with conc, equilibrium concentrations) from the known
// species over the scheme until nothing changes. With conc, a reaction that
// would divide by a zero concentration stops the spread: its number is returned.
int Propagate(const TPageModel& p, SchemeWork& w, double* conc) {
    auto known = [&](int s) { return w.determined[s]; };
    auto set = [&](int s, double weight) {
        w.weight[s] = weight;
        w.determined[s] = true;
    };
    auto c = [&](int s) -> double& { return conc[s]; };
    bool changed = true;
    while (changed) {
        changed = false;
        for (int r = 0; r < p.NumReactions; ++r) {
            if (!w.inScheme[r]) continue;
            const int a = p.ReactA[r], b = p.ReactB[r], pr = p.Product[r];
            double kf = 0, kr = 0;
            if (conc) p.ResolveRates(r, kf, kr);
            if (a < 0 || b < 0) {  // A = C or B = C
                const int x = a >= 0 ? a : b;
                if (known(x) && !known(pr)) {
                    if (conc) c(pr) = c(x) * kf / kr;
                    set(pr, w.weight[x]);
                    changed = true;
                } else if (known(pr) && !known(x)) {
                    if (conc) c(x) = c(pr) * kr / kf;
                    set(x, w.weight[pr]);
                    changed = true;
                }
                continue;
            }
            if (known(a) && known(b) && !known(pr)) {
                if (conc) c(pr) = c(a) * c(b) * kf / kr;
                set(pr, w.weight[a] + w.weight[b]);
                changed = true;
            } else if (known(pr) && (known(a) != known(b))) {
                // One reactant from the product and the other reactant.
                const int other = known(a) ? a : b, missing = known(a) ? b : a;
                if (conc) {
                    if (c(other) == 0) return r + 1;
                    c(missing) = c(pr) * kr / (kf * c(other));
                }
                set(missing, w.weight[pr] - w.weight[other]);
                changed = true;
            } else if (a == b && !known(a) && known(pr)) {
                if (conc) {
                    const double v = c(pr) * kr / kf;
                    c(a) = v >= 0 ? std::sqrt(v) : 0.0;
                }
                set(a, w.weight[pr] * 0.5);
                changed = true;
            }
        }
    }
    return 0;
}

} // namespace

double SplitResidual(const TPageModel& m, TCurveInj& inj, int j, double x, std::string& message) {
    double* conc = inj.SpecConc[j];
    SchemeWork w;
    for (int s = 0; s < m.NumSpecies; ++s) conc[s] = 0.0;
    MarkScheme(m, j, w);
    for (int r = 0; r < m.NumReactions; ++r) {
        if (w.inScheme[r] && (m.Krev[r] == 0 || m.Kfwd[r] == 0)) {
            message = Numbered("Zero rate in reaction %d", r + 1);
            return 0.0;
        }
    }
    const int seed = m.SeedSpecies[j];
    if (!IsAnalyte(m, seed, j)) {
        // The scheme was not analysed for this model.
        message = Numbered("Reaction scheme error for injection %d", j + 1);
        return 0.0;
    }
    conc[seed] = x;
    w.weight[seed] = 1.0;
    w.determined[seed] = true;
    if (const int r = Propagate(m, w, conc)) {
        message = Numbered("Zero reactant conc in reaction %d", r);
        return 0.0;
    }
    double sum = 0.0;
    for (int s = 0; s < m.NumSpecies; ++s)
        if (m.AnalyteInj[s] == j) sum += conc[s] * w.weight[s];
    return sum - inj.Total(m, j);
}

std::string SplitInjections(const TPageModel& m, TCurveInj& inj) {
    std::string message;
    for (int j = 0; j < MaxInj; ++j) {
        const double total = inj.Total(m, j);
        for (int s = 0; s < m.NumSpecies; ++s) inj.SpecConc[j][s] = total;
        if (CountAnalytes(m, j) < 2) continue;
        double low = 0.0, step = total;
        const double tolerance = total * BisectionTolerance;
        for (int halvings = 0;;) {
            step *= 0.5;
            const double f = SplitResidual(m, inj, j, low + step, message);
            if (!message.empty()) return message;
            if (f <= 0) low += step;
            if (std::fabs(step) < tolerance || f == 0) break;
            if (++halvings >= MaxHalvings) return "Couldn't solve analyte concs";
        }
    }
    return message;
}

double TSensTabCore::SlotTotal(int j, int i) const {
    const double conc = InjConc[j][i];
    return ConcIsFraction[j][i] ? conc * StockConc[j] : conc;
}

TCurveInj TSensTabCore::CurveInjections(int i) const {
    TCurveInj inj;
    for (int j = 0; j < MaxInj; ++j) {
        inj.Start[j] = InjStart[j][i];
        inj.Stop[j] = InjStop[j][i];
        inj.RefIndex[j] = RefIndex[j][i];
        inj.Conc[j] = InjConc[j][i];
        inj.IsFraction[j] = ConcIsFraction[j][i];
        for (int s = 0; s < MaxSpecies; ++s) inj.SpecConc[j][s] = SpecConc[j][s][i];
    }
    return inj;
}

void TSensTabCore::StoreSplit(const TCurveInj& inj, int i) {
    for (int j = 0; j < MaxInj; ++j)
        for (int s = 0; s < NumSpecies; ++s) SpecConc[j][s][i] = inj.SpecConc[j][s];
}

bool TSensTabCore::FindPolySeed() {
    SchemeWork w;
    for (int j = 0; j < MaxInj; ++j) {
        if (CountAnalytes(*this, j) < 2) continue;
        MarkScheme(*this, j, w);
        bool connected = false;
        for (int s = 0; s < NumSpecies && !connected; ++s) {
            if (AnalyteInj[s] != j) continue;
            w.Clear();
            w.weight[s] = 1.0;
            w.determined[s] = true;
            Propagate(*this, w, nullptr);
            connected = true;
            for (int t = 0; t < NumSpecies; ++t)
                if (AnalyteInj[t] == j && !w.determined[t]) connected = false;
        }
        if (!connected) {
            ShowMessage(Numbered("Please connect all species in injection %d", j + 1), AnalyteCaption);
            return false;
        }
        for (int r = 0; r < NumReactions; ++r) {
            if (!w.inScheme[r]) continue;
            const int a = ReactA[r], b = ReactB[r], c = Product[r];
            const double lhs = (a >= 0 ? w.weight[a] : 0.0) + (b >= 0 ? w.weight[b] : 0.0);
            if (lhs != w.weight[c]) {
                ShowMessage(Numbered("Reaction scheme error for injection %d", j + 1), AnalyteCaption);
                return false;
            }
        }
        SeedSpecies[j] = -1;
        double limit = SeedWeightLimit;
        for (int s = 0; s < NumSpecies; ++s) {
            if (AnalyteInj[s] == j && w.weight[s] < limit) {
                SeedSpecies[j] = s;
                limit = w.weight[s];
            }
        }
    }
    return true;
}

double TSensTabCore::EvaluatePoly(int inj, int curve, double x, bool& err) {
    TCurveInj values = CurveInjections(curve);
    std::string message;
    const double f = SplitResidual(*this, values, inj, x, message);
    for (int s = 0; s < NumSpecies; ++s) SpecConc[inj][s][curve] = values.SpecConc[inj][s];
    err = !message.empty();
    if (err) ShowMessage(message, AnalyteCaption);
    return f;
}

bool TSensTabCore::CalcSpecConc(int curve) {
    TCurveInj inj = CurveInjections(curve);
    const std::string message = SplitInjections(*this, inj);
    StoreSplit(inj, curve);
    if (!message.empty()) ShowMessage(message, AnalyteCaption);
    return message.empty();
}

} // namespace kivra
