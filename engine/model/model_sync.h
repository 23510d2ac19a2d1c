#pragma once
// The rules by which the model editors' lines become the model record. The
// reaction and species panels hold their lines as text and flags; these
// functions turn them into record fields, counts and messages, without Qt.
#include <optional>
#include <string>
#include <vector>

#include "engine/model/model_data.h"

namespace kivra {

// One line of the reactions panel as typed.
struct ReactionLine {
    int ReactA = -1, ReactB = -1, Product = -1;  // species index, -1 none
    std::string KfwdText, KrevText;
    bool FitKfwd = false, FitKrev = false;
    bool MassTransport = false;
    // The exact value behind a rate text the program wrote (a loaded model, a
    // fit result); used while the text still reads as an own value, so that a
    // shown text with few digits does not round the model.
    std::optional<double> KfwdValue, KrevValue;
};

// One line of a species panel as typed.
struct SpeciesLine {
    std::string Name;
    bool Local = false;
    int Inj = -1;  // feeding injection slot, -1 none
    std::string InitConcText;
    bool FitConc = false;
    bool Response = false;
    std::string RFactorText;
    bool FitRFactor = false;
    // Exact values behind texts the program wrote; they take the place of the
    // texts' leading numbers, which have only the digits shown.
    std::optional<double> InitConcValue, RFactorValue;
};

// The longest leading part of text that reads as a decimal number; 0 when the
// text is empty or does not begin with one. Never locale-dependent.
double LeadingNumber(const std::string& text);

// The whole text (surrounding blanks aside) as a decimal number; false when it
// is not one, or not finite.
bool StrictNumber(const std::string& text, double& value);

// The outcome of reading one rate text.
struct RateValue {
    double Value = 0;
    int Link = 0;      // 0 own value, +n kfwd of reaction n, -n krev of reaction n
    bool Fit = false;
    bool Valid = true; // false: not a number; the operation that asked must end
};

// Reads a kfwd (reverse false) or krev text of reaction r (0-based) in a panel
// of lineCount lines. Shows the model's messages for bad links and negative
// rates, and for a text that is not a number.
RateValue ReadRateText(const std::string& text, bool fitFlag, int r, int lineCount, bool reverse);

// First steps of a synchronisation: counts reset, shared fitted stocks counted.
void BeginModelSync(TModelData& model, int numSets);

// The reaction panel's part. False when a rate text is not a number: the
// synchronisation must then stop.
bool ApplyReactionLines(TModelData& model, const std::vector<ReactionLine>& lines);

// The model page's species panel's part.
void ApplyModelSpeciesLines(TModelData& model, const std::vector<SpeciesLine>& lines);

// A data page's species panel's part: the set's local species.
void ApplySetSpeciesLines(TModelData& model, int set, const std::vector<SpeciesLine>& lines);

} // namespace kivra
