#include "engine/session/model_list.h"

#include "engine/fit/param_labels.h"
#include "engine/numeric/numformat.h"

namespace kivra {
namespace {

int SetCount(const TModelData& m) { return m.NumSets < 0 ? 0 : m.NumSets > MaxSets ? MaxSets : m.NumSets; }

int CurveCount(const TModelData& m, int set) { return m.NumCurves[set] < 0 ? 0 : m.NumCurves[set]; }

bool Included(const TModelData& m, int set, int c) { return !(m.Excluded[set] && m.Excluded[set][c]); }

bool ValidSpecies(int s) { return s >= 0 && s < MaxSpecies; }

std::string Padded(const std::string& name) {
    return name.size() >= 7 ? name : name + std::string(7 - name.size(), ' ');
}

std::string Num(int n) { return std::to_string(n); }

// The value a rate line shows: its own, or the rate it is linked to (links
// are 1-based; a link outside the reactions shows 0).
double RateShown(const TModelData& m, int r, bool reverse) {
    const int link = reverse ? m.KrevLink[r] : m.KfwdLink[r];
    if (link == 0) return reverse ? m.Krev[r] : m.Kfwd[r];
    const int target = (link > 0 ? link : -link) - 1;
    if (target < 0 || target >= MaxReactions) return 0;
    return link > 0 ? m.Kfwd[target] : m.Krev[target];
}

std::string RateLine(const TModelData& m, int r, bool reverse) {
    std::string prefix = reverse ? "krev" : "kfwd";
    if (m.MassTransport[r]) prefix += "(xf)";
    prefix += "  ";
    const int link = reverse ? m.KrevLink[r] : m.KfwdLink[r];
    const bool fit = reverse ? m.FitKrev[r] : m.FitKfwd[r];
    if (link != 0) prefix += "!g";
    else if (fit) prefix += "!l";
    return FormatValue(prefix, RateShown(m, r, reverse));
}

bool ReactionShown(const TModelData& m, int r) {
    return m.Product[r] >= 0 && (m.ReactA[r] >= 0 || m.ReactB[r] >= 0);
}

bool SetFitsRefIndex(const TModelData& m, int set, int j) {
    const bool* fit = m.FitRefIndex[set][j];
    for (int c = 0; fit && c < CurveCount(m, set); ++c)
        if (Included(m, set, c) && fit[c]) return true;
    return false;
}

bool SetFitsAnyRefIndex(const TModelData& m, int set) {
    for (int j = 0; j < MaxInj; ++j)
        if (SetFitsRefIndex(m, set, j)) return true;
    return false;
}

// A species holds a fit in a row it uses: a value it does not get from an
// injection, or a response factor it responds with.
bool SpeciesRowFits(const TModelData& m, int row, int s) {
    return (m.AnalyteInj[row][s] < 0 && m.FitConc[row][s]) || (m.Response[row][s] && m.FitRFactor[s]);
}

bool SpeciesFits(const TModelData& m, int s) {
    if (!m.SpecLocal[s]) return SpeciesRowFits(m, 0, s);
    for (int k = 0; k < SetCount(m); ++k)
        if (m.AnalyteInj[k][s] < 0 && SpeciesRowFits(m, k, s)) return true;
    return false;
}

} // namespace

std::vector<MarkupRun> ParseMarkup(const std::string& line) {
    std::vector<MarkupRun> out;
    MarkupRun state;
    auto flush = [&] {
        if (!state.Text.empty()) out.push_back(state);
        state.Text.clear();
    };
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] != '!') {
            state.Text += line[i];
            continue;
        }
        if (i + 1 >= line.size()) break;  // a "!" at the end has no code
        const char code = line[++i];
        flush();
        switch (code) {
        case 'b': state.Bold = true; break;
        case 'i': state.Italic = true; break;
        case 'u': state.Underline = true; break;
        case 'n':
            state.Bold = state.Italic = state.Underline = false;
            state.Colour = MarkupBlack;
            break;
        case 'g': state.Colour = MarkupGreen; break;
        case 'l': state.Colour = MarkupBlue; break;
        case 'p': state.Colour = MarkupMaroon; break;
        case 'r': state.Colour = MarkupRed; break;
        case '=': {
            MarkupRun glyph = state;
            glyph.Glyph = true;
            out.push_back(glyph);
            break;
        }
        default: break;
        }
    }
    flush();
    return out;
}

template <class F>
void TModelList::ForEachRecord(F&& f) {
    for (TDispState* d : {&Spacer, &FitHead, &ReactHead, &ConcHead, &RIHead, &Rate, &SpecDetail, &RICurve}) f(*d);
    for (auto& d : React) f(d);
    for (auto& d : Spec) f(d);
    for (auto& row : SpecSet)
        for (auto& d : row) f(d);
    for (auto& d : Set) f(d);
    for (auto& row : Inj)
        for (auto& d : row) f(d);
    for (int k = 0; k < FitLineCount; ++k) f(FitLines[k]);
}

void TModelList::Add(std::string text, TDispState& state) {
    state.ListIndex = Count();
    Lines_.push_back({std::move(text), &state});
}

void TModelList::BuildHeads() {
    Lines_.clear();
    ForEachRecord([](TDispState& d) { d.Expanded = false; });
    for (auto& d : React) d.Expanded = true;
    ReactHead.Expanded = true;
    ConcHead.Expanded = true;
    Spacer.Indent = 0;
    Spacer.IsGroup = false;
    const std::pair<const char*, TDispState*> heads[] = {
        {"!bFit parameters", &FitHead}, {"!bReaction", &ReactHead}, {"!bInitial Conc", &ConcHead},
        {"!bRefractive Index", &RIHead}};
    for (const auto& [text, head] : heads) {
        head->Indent = 15;
        head->IsGroup = true;
        Add(text, *head);
    }
}

bool TModelList::Click(int index) {
    if (index < 0 || index >= Count()) return false;
    TDispState* state = Lines_[static_cast<std::size_t>(index)].State;
    state->Expanded = !state->Expanded;
    return true;
}

void TModelList::Build(const TModelData& m) {
    const ParamLabelList labels = GetParamLabels(m);
    ForEachRecord([](TDispState& d) { d.ListIndex = -1; });
    FitLineCount = labels.Count();
    FitLines = std::make_unique<TDispState[]>(static_cast<std::size_t>(FitLineCount));
    Rate.Indent = 45;
    Rate.IsGroup = false;
    SpecDetail.Indent = 60;
    SpecDetail.IsGroup = false;
    RICurve.IsGroup = false;
    Lines_.clear();

    // Fit parameters
    FitHead.Indent = 15;
    FitHead.IsGroup = m.NumFitParams > 0;
    if (!FitHead.IsGroup) FitHead.Expanded = false;
    Add("!bFit parameters(" + Num(m.NumFitParams) + ")", FitHead);
    if (FitHead.Expanded) {
        for (int k = 0; k < FitLineCount; ++k) {
            TDispState& d = FitLines[k];
            d.Indent = 30;
            d.IsGroup = false;
            std::string scope = labels.Scope[k];
            const auto eq = scope.find('=');
            if (eq != std::string::npos) scope.insert(eq, "!");
            Add(scope + " " + labels.Type[k] + "  !l" + FormatValue("", labels.Values[k]), d);
        }
        Add(" ", Spacer);
    }
    AddReactions(m);
    AddSpecies(m);
    AddRefIndex(m);
}

void TModelList::AddReactions(const TModelData& m) {
    ReactHead.Indent = 15;
    ReactHead.IsGroup = true;
    if (m.NumReactions < 1) ReactHead.Expanded = false;
    Add("!bReaction", ReactHead);
    const int reactions = m.NumReactions > MaxReactions ? MaxReactions : m.NumReactions;
    auto name = [&](int s) { return ValidSpecies(s) ? m.SpecName[s] : std::string(); };
    if (!ReactHead.Expanded) {
        ReactHead.HasFit = false;
        for (int r = 0; r < reactions; ++r)
            if (ReactionShown(m, r) && (m.FitKfwd[r] || m.FitKrev[r])) ReactHead.HasFit = true;
        return;
    }
    for (int r = 0; r < reactions; ++r) {
        if (!ReactionShown(m, r)) continue;
        TDispState& d = React[r];
        d.Indent = 30;
        d.IsGroup = true;
        const int a = m.ReactA[r], b = m.ReactB[r];
        const std::string product = name(m.Product[r]);
        if (a >= 0 && b >= 0) Add("!b" + name(a) + " + " + name(b) + " != " + product, d);
        else if (b >= 0) Add("!b" + name(b) + " != " + product, d);
        else Add("!b" + name(a) + " != " + product, d);
        if (!d.Expanded) {
            d.HasFit = m.FitKfwd[r] || m.FitKrev[r];
            continue;
        }
        Add(RateLine(m, r, false), Rate);
        Add(RateLine(m, r, true), Rate);
    }
    Add(" ", Spacer);
}

void TModelList::AddInjectedCurves(const TModelData& m, int set, int s, int slot, TDispState& state) {
    const SpecConcTable* table = m.SpecConc[set];
    if (!table || slot < 0 || slot >= MaxInj) return;
    const OwnedArray<double>& conc = (*table)[static_cast<std::size_t>(slot)][static_cast<std::size_t>(s)];
    for (int c = 0; c < CurveCount(m, set); ++c) {
        if (!Included(m, set, c)) continue;
        const double v = static_cast<std::size_t>(c) < conc.size() ? conc[static_cast<std::size_t>(c)] : 0.0;
        Add("Curve " + Num(c + 1) + "  " + FormatValue("", v), state);
    }
}

void TModelList::AddSpecies(const TModelData& m) {
    ConcHead.Indent = 15;
    ConcHead.IsGroup = true;
    if (m.NumSpecies < 1) ConcHead.Expanded = false;
    Add("!bInitial Conc", ConcHead);
    const int species = m.NumSpecies > MaxSpecies ? MaxSpecies : m.NumSpecies;
    const int sets = SetCount(m);
    if (!ConcHead.Expanded) {
        ConcHead.HasFit = false;
        for (int s = 0; s < species; ++s)
            if (!m.SpecName[s].empty() && SpeciesFits(m, s)) ConcHead.HasFit = true;
        return;
    }
    for (int s = 0; s < species; ++s) {
        if (m.SpecName[s].empty()) continue;
        TDispState& d = Spec[s];
        d.Indent = 30;
        const std::string name = Padded(m.SpecName[s]);
        auto rfactorLine = [&] {
            Add(FormatValue(m.FitRFactor[s] ? "Rfactor  !l" : "Rfactor  ", m.RFactor[s]), SpecDetail);
        };
        if (!m.SpecLocal[s] && m.AnalyteInj[0][s] < 0) {
            Add("!b" + name + "!n " + (m.FitConc[0][s] ? "!l" : "") + FormatValue("", m.InitConc[0][s]), d);
            d.IsGroup = m.Response[0][s];
            if (!d.IsGroup) continue;
            if (!d.Expanded) d.HasFit = m.FitRFactor[s];
            else rfactorLine();
        } else if (!m.SpecLocal[s]) {
            const int slot = m.AnalyteInj[0][s];
            d.IsGroup = true;
            d.HasFit = false;
            Add("!b" + name + "!n Inj " + Num(slot + 1), d);
            if (!d.Expanded) continue;
            if (sets == 1) {
                TDispState& one = SpecSet[s][0];
                one.Indent = 45;
                one.IsGroup = false;
                AddInjectedCurves(m, 0, s, slot, one);
            } else {
                for (int k = 0; k < sets; ++k) {
                    TDispState& set = SpecSet[s][k];
                    set.Indent = 45;
                    set.IsGroup = true;
                    set.HasFit = false;
                    Add("Set " + Num(k + 1), set);
                    if (set.Expanded) AddInjectedCurves(m, k, s, slot, SpecDetail);
                }
            }
        } else {
            d.IsGroup = true;
            Add("!b" + name + "!n local", d);
            if (!d.Expanded) {
                d.HasFit = false;
                for (int k = 0; k < sets; ++k)
                    if (m.FitConc[k][s]) d.HasFit = true;
                continue;
            }
            for (int k = 0; k < sets; ++k) {
                TDispState& set = SpecSet[s][k];
                set.Indent = 45;
                const int slot = m.AnalyteInj[k][s];
                if (slot < 0) {
                    Add("Set " + Num(k + 1) + "  " + (m.FitConc[k][s] ? "!l" : "") +
                            FormatValue("", m.InitConc[k][s]),
                        set);
                    // Only a set that responds has a line under it.
                    set.IsGroup = m.Response[k][s];
                    if (!set.IsGroup) continue;
                    if (!set.Expanded) set.HasFit = m.FitRFactor[s];
                    else rfactorLine();
                } else {
                    set.IsGroup = true;
                    set.HasFit = false;
                    Add("Set " + Num(k + 1) + "  Inj " + Num(slot + 1), set);
                    if (set.Expanded) AddInjectedCurves(m, k, s, slot, SpecDetail);
                }
            }
        }
    }
    Add(" ", Spacer);
}

void TModelList::AddRICurves(const TModelData& m, int set, int j) {
    const double* ri = m.RefIndex[set][j];
    const bool* fit = m.FitRefIndex[set][j];
    for (int c = 0; c < CurveCount(m, set); ++c) {
        if (!Included(m, set, c)) continue;
        const bool fitted = fit && fit[c];
        Add("Curve " + Num(c + 1) + "  " + (fitted ? "!l" : "") + FormatValue("", ri ? ri[c] : 0.0), RICurve);
    }
}

void TModelList::AddRefIndex(const TModelData& m) {
    const int sets = SetCount(m);
    RIHead.Indent = 15;
    RIHead.IsGroup = true;
    Add("!bRefractive Index", RIHead);
    if (!RIHead.Expanded) {
        RIHead.HasFit = false;
        for (int k = 0; k < sets; ++k)
            if (SetFitsAnyRefIndex(m, k)) RIHead.HasFit = true;
        return;
    }
    auto slotLines = [&](int k, int indent) {
        for (int j = 0; j < MaxInj; ++j) {
            TDispState& d = Inj[k][j];
            d.Indent = indent;
            d.IsGroup = true;
            Add("Injection " + Num(j + 1), d);
            if (!d.Expanded) d.HasFit = SetFitsRefIndex(m, k, j);
            else AddRICurves(m, k, j);
        }
    };
    if (sets == 1) {
        RICurve.Indent = 45;
        slotLines(0, 30);
        return;
    }
    RICurve.Indent = 60;
    for (int k = 0; k < sets; ++k) {
        TDispState& d = Set[k];
        d.Indent = 30;
        d.IsGroup = true;
        Add("Set " + Num(k + 1), d);
        if (!d.Expanded) d.HasFit = SetFitsAnyRefIndex(m, k);
        else slotLines(k, 45);
    }
}

} // namespace kivra
