#pragma once
// The model list of the plot page without the list box: an outline of the
// model and the fit as lines of a small inline markup, each line with the
// record that says how it is indented and whether it opens and closes. The
// window draws the lines; a click toggles a record and the list is built anew.
#include <memory>
#include <string>
#include <vector>

#include "engine/model/model_data.h"

namespace kivra {

// The state attached to a line of the model list.
struct TDispState {
    int Indent = 0;      // x offset of the text in pixels
    int ListIndex = 0;   // line of the list, -1 when not shown
    bool IsGroup = false;
    bool Expanded = false;
    bool HasFit = false; // a closed group that holds a fit parameter
};

struct TModelLine {
    std::string Text;
    TDispState* State = nullptr;
};

// Colours of the markup, as 0xRRGGBB.
constexpr int MarkupBlack = 0x000000;
constexpr int MarkupGreen = 0x008000;
constexpr int MarkupBlue = 0x0000FF;
constexpr int MarkupMaroon = 0x800000;
constexpr int MarkupRed = 0xFF0000;

// A stretch of a line drawn in one style, or the equilibrium glyph.
struct MarkupRun {
    std::string Text;
    bool Bold = false, Italic = false, Underline = false;
    int Colour = MarkupBlack;
    bool Glyph = false;
    bool operator==(const MarkupRun&) const = default;
};

// Splits a line at its codes: "!b" bold, "!i" italic, "!u" underline, "!n"
// plain and black, "!g" green, "!l" blue, "!p" maroon, "!r" red, "!=" the
// glyph. Any other code, and a "!" that ends the line, is skipped.
std::vector<MarkupRun> ParseMarkup(const std::string& line);

class TModelList {
public:
    // Every group head closed, "Reaction" and every reaction open, everything
    // under "Initial Conc" and "Refractive Index" closed; only the heads shown.
    void BuildHeads();
    // Builds the lines from a synchronised model. The open and closed states
    // survive; the fit parameter records are made anew.
    void Build(const TModelData& model);
    // Toggles the group of a line; false (and nothing changes) for an index
    // that is no line. The caller builds the list again.
    bool Click(int index);

    const std::vector<TModelLine>& Lines() const { return Lines_; }
    int Count() const { return static_cast<int>(Lines_.size()); }

    // The records; the shared ones serve many lines.
    TDispState Spacer, FitHead, ReactHead, ConcHead, RIHead;
    TDispState React[MaxReactions];
    TDispState Rate;  // shared by every kfwd and krev line
    TDispState Spec[MaxSpecies];
    TDispState SpecSet[MaxSpecies][MaxSets];
    TDispState SpecDetail;  // shared by R factor lines and injected curve lines
    TDispState Set[MaxSets];
    TDispState Inj[MaxSets][MaxInj];
    TDispState RICurve;  // shared by the refractive-index curve lines
    std::unique_ptr<TDispState[]> FitLines;
    int FitLineCount = 0;

private:
    void Add(std::string text, TDispState& state);
    void AddReactions(const TModelData& m);
    void AddSpecies(const TModelData& m);
    void AddInjectedCurves(const TModelData& m, int set, int s, int slot, TDispState& state);
    void AddRefIndex(const TModelData& m);
    void AddRICurves(const TModelData& m, int set, int j);
    template <class F>
    void ForEachRecord(F&& f);

    std::vector<TModelLine> Lines_;
};

} // namespace kivra
