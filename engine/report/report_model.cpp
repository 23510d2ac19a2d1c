#include "engine/report/report_model.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "engine/numeric/numformat.h"

namespace kivra {
namespace {

// printf's "%.<digits>f" and "%.<digits>e", never locale-dependent.
std::string Fixed(double v, int digits) {
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, digits);
    return std::string(buf, r.ptr);
}

std::string Sci(double v, int digits) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, digits);
    return std::string(buf, r.ptr);
}

std::string Num(int n) { return std::to_string(n); }

// What the model record publishes of one set, read defensively: a page may
// not have lent its arrays, and counts may be out of range.
class SetView {
public:
    SetView(const TModelData& m, int k) : m_(m), k_(k) {}
    int Curves() const { return std::max(m_.NumCurves[k_], 0); }
    bool Excluded(int i) const { return m_.Excluded[k_] && m_.Excluded[k_][i]; }
    double SpecConc(int j, int s, int i) const {
        const SpecConcTable* t = m_.SpecConc[k_];
        if (!t) return 0;
        const auto& a = (*t)[static_cast<std::size_t>(j)][static_cast<std::size_t>(s)];
        return static_cast<std::size_t>(i) < a.size() ? a[static_cast<std::size_t>(i)] : 0;
    }
    double RefIndex(int j, int i) const { return m_.RefIndex[k_][j] ? m_.RefIndex[k_][j][i] : 0; }

private:
    const TModelData& m_;
    int k_;
};

using Lines = std::vector<TModelReportLine>;

void Add(Lines& out, std::string text, bool injColumns = false) { out.push_back({std::move(text), injColumns}); }

bool ValidSlot(int j) { return j >= 0 && j < MaxInj; }

std::string Rfactor(const TModelData& m, int k, int s) {
    return m.Response[k][s] ? "  (Rfactor " + Fixed(m.RFactor[s], 3) + ")" : std::string();
}

std::string Rate(const char* name, int link, double value) {
    const std::string head = std::string("\t") + name;
    if (link > 0) return head + "  =f" + Num(link) + "      ";
    if (link < 0) return head + "  =r" + Num(-link) + "      ";
    return head + "  " + Sci(value, 3);
}

std::string SpecName(const TModelData& m, int s) {
    return s >= 0 && s < MaxSpecies ? m.SpecName[s] : std::string();
}

void AddCurveConcs(Lines& out, const TModelData& m, int k, int j, int s,
                   const char* indent) {
    const SetView set(m, k);
    for (int i = 0; i < set.Curves(); ++i)
        if (!set.Excluded(i))
            Add(out, std::string(indent) + "Curve " + Num(i + 1) + "  " + FormatValue("", set.SpecConc(j, s, i)));
}

void AddSpecies(Lines& out, const TModelData& m, bool injConc) {
    const int sets = std::clamp(m.NumSets, 0, MaxSets);
    Add(out, "Species");
    for (int s = 0; s < std::min(m.NumSpecies, MaxSpecies); ++s) {
        const std::string& name = m.SpecName[s];
        if (name.empty()) continue;
        if (!m.SpecLocal[s]) {
            const int j = m.AnalyteInj[0][s];
            if (!ValidSlot(j)) {
                Add(out, "   " + name + "\t" + FormatValue("", m.InitConc[0][s]) + Rfactor(m, 0, s));
                continue;
            }
            Add(out, "   " + name + "\tInj " + Num(j + 1));
            if (!injConc) continue;
            if (sets == 1) {
                AddCurveConcs(out, m, 0, j, s, "   \t   ");
            } else {
                for (int k = 0; k < sets; ++k) {
                    Add(out, "   \t   Set " + Num(k + 1));
                    AddCurveConcs(out, m, k, j, s, "   \t      ");
                }
            }
            continue;
        }
        Add(out, "   " + name + "\tlocal");
        for (int k = 0; k < sets; ++k) {
            const int j = m.AnalyteInj[k][s];
            if (!ValidSlot(j)) {
                Add(out, "   \t   Set " + Num(k + 1) + "\t" + FormatValue("", m.InitConc[k][s]) + Rfactor(m, k, s));
                continue;
            }
            Add(out, "   \t   Set " + Num(k + 1) + "  Inj " + Num(j + 1));
            AddCurveConcs(out, m, k, j, s, "   \t      ");
        }
    }
    Add(out, " ");
}

void AddReactions(Lines& out, const TModelData& m) {
    Add(out, "Reaction");
    for (int r = 0; r < std::min(m.NumReactions, MaxReactions); ++r) {
        const std::string a = SpecName(m, m.ReactA[r]), b = SpecName(m, m.ReactB[r]);
        const bool hasA = m.ReactA[r] >= 0, hasB = m.ReactB[r] >= 0;
        if (m.Product[r] < 0 || (!hasA && !hasB)) continue;
        const std::string p = SpecName(m, m.Product[r]);
        std::string line = hasA && hasB ? "   " + a + " + " + b + " = " + p
                           : hasB       ? "   " + b + " = " + p
                                        : "   " + a + " = " + p;
        line += Rate("kfwd", m.KfwdLink[r], m.Kfwd[r]);
        line += Rate("krev", m.KrevLink[r], m.Krev[r]);
        Add(out, line);
    }
    Add(out, " ");
}

void AddRefIndexRows(Lines& out, const TModelData& m, int k, const std::string& indent) {
    const SetView set(m, k);
    std::string heading = indent;
    for (int j = 0; j < MaxInj; ++j) heading += (j > 0 ? "\tInjection " : "Injection ") + Num(j + 1);
    Add(out, heading, true);
    for (int i = 0; i < set.Curves(); ++i) {
        if (set.Excluded(i)) continue;
        std::string line = indent;
        for (int j = 0; j < MaxInj; ++j) line += "Curve " + Num(i + 1) + "  " + Fixed(set.RefIndex(j, i), 2) + "\t";
        Add(out, line, true);
    }
}

void AddRefIndex(Lines& out, const TModelData& m) {
    const int sets = std::clamp(m.NumSets, 0, MaxSets);
    Add(out, "Refractive Index");
    out.back().Caption = true;
    if (sets == 1) {
        AddRefIndexRows(out, m, 0, "   ");
        return;
    }
    for (int k = 0; k < sets; ++k) {
        Add(out, "   Set " + Num(k + 1));
        out.back().Caption = true;
        AddRefIndexRows(out, m, k, "      ");
    }
}

} // namespace

std::vector<TModelReportLine> ModelReportLines(const TModelData& model, const TModelReportOptions& options) {
    Lines out;
    if (options.Species) AddSpecies(out, model, options.InjConc);
    if (options.Reactions) AddReactions(out, model);
    if (options.RefIndex) AddRefIndex(out, model);
    return out;
}

} // namespace kivra
