#include "engine/report/report_monte.h"

#include <locale>
#include <sstream>

#include "engine/numeric/numformat.h"

namespace kivra {
namespace {

// As a standard text stream writes a double by default, with the given
// number of significant digits ("%g"), never locale-dependent.
std::string General(double v, int digits) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(digits);
    out << v;
    return out.str();
}

} // namespace

std::vector<std::string> MonteReportLines(const TMonteNumbers& n) {
    return {"Num cycles: " + std::to_string(n.Cycles), "Succeeded: " + std::to_string(n.Succeeded),
            "Starting Var(%): " + General(n.Variation * 100, 6), "Max Iterations: " + std::to_string(n.MaxIter),
            n.Noise > 0 ? "Noise: " + General(n.Noise, 5) : std::string("Noise: none")};
}

std::string PrintMonteTable(std::span<const TMonteSummary> rows, int row, int column) {
    if (row == 0) {
        static const char* const heads[] = {"Parameter", "Set Value", "Avg", "Std Dev"};
        return column >= 0 && column < 4 ? heads[column] : std::string();
    }
    if (row < 0 || static_cast<std::size_t>(row) > rows.size()) return {};
    const TMonteSummary& h = rows[static_cast<std::size_t>(row - 1)];
    switch (column) {
    case 0: return h.Title;
    case 1: return FormatValue("", h.SetValue);
    case 2: return FormatValue("", h.Mean);
    case 3: return FormatValue("", h.StdDev);
    default: return {};
    }
}

} // namespace kivra
