#include "engine/model/model_sync.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/core/messages.h"

namespace kivra {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Length of the longest prefix of s that is a decimal number in the usual
// written form: sign, digits, point, digits, exponent.
std::size_t NumberPrefix(const std::string& s, std::size_t pos) {
    std::size_t i = pos;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) { ++i; ++digits; }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) { ++i; ++digits; }
    }
    if (digits == 0) return 0;
    std::size_t mantissaEnd = i;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        std::size_t expDigits = 0;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) { ++j; ++expDigits; }
        if (expDigits > 0) return j - pos;
    }
    return mantissaEnd - pos;
}

// Whether a number in the written form (digits, point, digits, exponent) is at
// least 1 in magnitude, whatever its length: the power of ten of its leading
// significant digit plus its exponent is not negative.
bool AtLeastOne(const char* first, const char* last) {
    auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
    const char* p = first;
    while (p < last && digit(*p)) ++p;
    const char* point = p;
    // The power of ten of the leading significant digit.
    long long lead = 0;
    bool found = false;
    for (const char* q = first; q < point && !found; ++q) {
        if (*q != '0') {
            found = true;
            lead = point - q - 1;
        }
    }
    if (p < last && *p == '.') ++p;
    const char* fraction = p;
    for (; p < last && digit(*p); ++p) {
        if (!found && *p != '0') {
            found = true;
            lead = -(p - fraction + 1);
        }
    }
    if (!found) return false;
    long long exponent = 0;
    bool negative = false;
    if (p < last && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < last && (*p == '+' || *p == '-')) negative = *p++ == '-';
        for (; p < last && digit(*p); ++p)
            if (exponent < 1000000000000LL) exponent = exponent * 10 + (*p - '0');
    }
    return lead + (negative ? -exponent : exponent) >= 0;
}

// Converts an already delimited number; a value beyond the largest double becomes
// +-inf, one below the smallest becomes 0.
double ConvertNumber(const std::string& s, std::size_t pos, std::size_t len) {
    const char* first = s.data() + pos;
    const char* last = first + len;
    bool negative = false;
    if (first < last && (*first == '+' || *first == '-')) {
        negative = *first == '-';
        ++first;
    }
    double v = 0;
    auto r = std::from_chars(first, last, v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range)
        v = AtLeastOne(first, last) ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -v : v;
}

std::string RateName(bool reverse) { return reverse ? "krev" : "kfwd"; }

double LineNumber(const std::string& text, const std::optional<double>& exact) {
    return exact ? *exact : LeadingNumber(text);
}

// A rate the program wrote keeps its exact value while its text still reads as
// an own, non-negative value.
void UseExactRate(RateValue& rate, const std::string& text, const std::optional<double>& exact) {
    double typed = 0;
    if (rate.Valid && rate.Link == 0 && exact && *exact >= 0 && StrictNumber(text, typed) && typed >= 0)
        rate.Value = *exact;
}

} // namespace

double LeadingNumber(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    const std::size_t len = NumberPrefix(text, pos);
    return len == 0 ? 0.0 : ConvertNumber(text, pos, len);
}

bool StrictNumber(const std::string& text, double& value) {
    std::size_t pos = 0, end = text.size();
    while (pos < end && IsBlank(text[pos])) ++pos;
    while (end > pos && IsBlank(text[end - 1])) --end;
    const std::size_t len = NumberPrefix(text, pos);
    if (len == 0 || pos + len != end) return false;
    const double v = ConvertNumber(text, pos, len);
    if (!std::isfinite(v)) return false;
    value = v;
    return true;
}

RateValue ReadRateText(const std::string& text, bool fitFlag, int r, int lineCount, bool reverse) {
    RateValue out;
    if (text.size() >= 3 && text[0] == '=') {
        int n = 0;
        const std::string tail = text.substr(2);
        auto res = std::from_chars(tail.data(), tail.data() + tail.size(), n);
        if (res.ec != std::errc() || res.ptr != tail.data() + tail.size()) n = 0;
        if (n < 1 || n > lineCount) {
            ShowMessage(std::string(reverse ? "Invalid reverse link in reaction "
                                            : "Invalid forward link in reaction ") +
                            std::to_string(r + 1),
                        "Model Error");
            n = 0;
        }
        if (std::tolower(static_cast<unsigned char>(text[1])) == 'r') n = -n;
        out.Link = n;
        out.Value = 0;
        out.Fit = false;
        return out;
    }
    double v = 0;
    if (!StrictNumber(text, v)) {
        ShowMessage("'" + text + "' is not a valid " + RateName(reverse) + " in reaction " +
                        std::to_string(r + 1),
                    "Model Error");
        out.Valid = false;
        return out;
    }
    if (v < 0) {
        ShowMessage("Negative rates are not allowed (reaction " + std::to_string(r + 1) + ")",
                    "Model Error");
        v = 0;
    }
    out.Value = v;
    out.Fit = fitFlag;
    return out;
}

void BeginModelSync(TModelData& model, int numSets) {
    model.NumDataPoints = 0;
    model.NumSets = numSets;
    model.NumFitParams = 0;
    model.TotalChisq = 0;
    for (int j = 0; j < MaxInj; ++j)
        if (model.StockGlobal[j] && model.FitStockGlobal[j]) ++model.NumFitParams;
}

bool ApplyReactionLines(TModelData& model, const std::vector<ReactionLine>& lines) {
    const int count = static_cast<int>(lines.size() > MaxReactions ? MaxReactions : lines.size());
    model.NumReactions = 0;
    model.NumReactionLines = count;
    for (int r = 0; r < count; ++r) {
        const ReactionLine& line = lines[r];
        model.ReactA[r] = line.ReactA;
        model.ReactB[r] = line.ReactB;
        model.Product[r] = line.Product;
        model.MassTransport[r] = line.MassTransport;
        if (line.Product >= 0 && (line.ReactA >= 0 || line.ReactB >= 0)) model.NumReactions = r + 1;

        RateValue f = ReadRateText(line.KfwdText, line.FitKfwd, r, count, false);
        RateValue b = f.Valid ? ReadRateText(line.KrevText, line.FitKrev, r, count, true) : f;
        if (!f.Valid || !b.Valid) return false;
        UseExactRate(f, line.KfwdText, line.KfwdValue);
        UseExactRate(b, line.KrevText, line.KrevValue);
        model.Kfwd[r] = f.Value;
        model.KfwdLink[r] = f.Link;
        model.FitKfwd[r] = f.Fit;
        model.Krev[r] = b.Value;
        model.KrevLink[r] = b.Link;
        model.FitKrev[r] = b.Fit;
        model.NumFitParams += int(f.Fit) + int(b.Fit);
    }
    // Lines the panel no longer has keep their values, but never a fit flag:
    // the parameter enumeration walks all ten lines and must agree with the count.
    for (int r = count; r < MaxReactions; ++r) {
        model.FitKfwd[r] = false;
        model.FitKrev[r] = false;
    }
    return true;
}

void ApplyModelSpeciesLines(TModelData& model, const std::vector<SpeciesLine>& lines) {
    const int count = static_cast<int>(lines.size() > MaxSpecies ? MaxSpecies : lines.size());
    model.NumSpeciesLines = count;
    model.NumSpecies = 0;
    for (int s = 0; s < count; ++s)
        if (!lines[s].Name.empty()) model.NumSpecies = s + 1;
    for (int s = 0; s < count; ++s) {
        const SpeciesLine& line = lines[s];
        model.SpecName[s] = line.Name;
        model.SpecLocal[s] = line.Local;
        if (!line.Local) {
            if (line.Inj < 0) {
                model.AnalyteInj[0][s] = -1;
                model.InitConc[0][s] = LineNumber(line.InitConcText, line.InitConcValue);
                model.InitConcText[s] = line.InitConcText;
                model.FitConc[0][s] = line.FitConc;
                if (line.FitConc) ++model.NumFitParams;
                model.Response[0][s] = line.Response;
            } else {
                model.AnalyteInj[0][s] = line.Inj;
                model.FitConc[0][s] = false;
            }
        }
        model.RFactorText[s] = line.RFactorText;
        model.RFactor[s] = LineNumber(line.RFactorText, line.RFactorValue);
        model.FitRFactor[s] = line.FitRFactor;
        if (line.FitRFactor) ++model.NumFitParams;
    }
    for (int s = count; s < MaxSpecies; ++s) {
        for (int set = 0; set < MaxSets; ++set) model.FitConc[set][s] = false;
        model.FitRFactor[s] = false;
    }
}

void ApplySetSpeciesLines(TModelData& model, int set, const std::vector<SpeciesLine>& lines) {
    if (set < 0 || set >= MaxSets) return;
    const int count = static_cast<int>(lines.size() > MaxSpecies ? MaxSpecies : lines.size());
    for (int s = 0; s < count; ++s) {
        if (!model.SpecLocal[s]) continue;
        const SpeciesLine& line = lines[s];
        if (line.Inj < 0) {
            model.AnalyteInj[set][s] = -1;
            model.InitConc[set][s] = LineNumber(line.InitConcText, line.InitConcValue);
            model.FitConc[set][s] = line.FitConc;
            if (line.FitConc) ++model.NumFitParams;
            model.Response[set][s] = line.Response;
        } else {
            model.AnalyteInj[set][s] = line.Inj;
            model.FitConc[set][s] = false;
        }
    }
}

} // namespace kivra
