#include "engine/session/results.h"

#include <algorithm>

#include "engine/fit/fit_stats.h"
#include "engine/fit/param_labels.h"
#include "engine/numeric/numformat.h"
#include "engine/session/mainform_core.h"

namespace kivra {
namespace {

// Characters, not bytes: a file name may hold UTF-8.
std::size_t TextLength(const std::string& s) {
    return static_cast<std::size_t>(std::count_if(s.begin(), s.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string LocalTimeText(std::time_t t, const char* format) {
    std::tm parts{};
    localtime_r(&t, &parts);
    char buf[64];
    std::strftime(buf, sizeof buf, format, &parts);
    return buf;
}

} // namespace

std::string TimeStampText(std::time_t t) { return LocalTimeText(t, "%H:%M:%S  %Y-%m-%d"); }

std::string ReportStampText(std::time_t t) { return LocalTimeText(t, "%Y-%m-%d  %H:%M:%S"); }

bool FillFitResults(TResultsView& view, double& residualSD, const TModelData& model, int n,
                    double** covar, const double* a, double chisq, std::time_t now) {
    if (n < 1 || model.NumDataPoints <= n) return false;
    view.Shown = true;
    residualSD = ResidualStdDev(chisq, model.NumDataPoints, n);
    view.TimeText = TimeStampText(now);
    view.NumPointsText = "Data Points: " + std::to_string(model.NumDataPoints);
    view.NumParamText = "Parameters: " + std::to_string(n);
    view.ChisqText = FormatValue("Residual Ssq: ", residualSD);
    const int sets = std::clamp(model.NumSets, 0, MaxSets);
    view.DataFileHeaderText = sets == 1 ? "Data File:" : "Data Files:";
    for (int i = 0; i < MaxSets; ++i) view.FileLabels[i] = i < sets ? model.DataFile[i] : std::string();

    view.Rows = n + 1;
    view.Cols = n + 4;
    view.Cells.assign(static_cast<std::size_t>(view.Rows * view.Cols), std::string());
    const char* heads[] = {"Param", "Type", "For", "Result", "Error"};
    for (int c = 0; c < 5; ++c) view.Cell(0, c) = heads[c];
    for (int k = 1; k < n; ++k) view.Cell(0, 4 + k) = std::to_string(k);
    const ParamLabelList labels = GetParamLabels(model);
    for (int k = 1; k <= n; ++k) {
        const bool labelled = k <= labels.Count();
        view.Cell(k, 0) = std::to_string(k);
        view.Cell(k, 1) = labelled ? labels.Type[static_cast<std::size_t>(k - 1)] : "?";
        view.Cell(k, 2) = labelled ? labels.Scope[static_cast<std::size_t>(k - 1)] : "?";
        view.Cell(k, 3) = FormatValue("", a[k]);
        view.Cell(k, 4) = StdErrorText(covar, k, residualSD);
        for (int j = k + 1; j <= n; ++j) view.Cell(j, 4 + k) = CorrelationText(covar, k, j);
    }
    return true;
}

std::string ResultsText(const TResultsView& view) {
    std::string out = view.TimeText + "\n\n";
    out += view.NumParamText + "\n" + view.NumPointsText + "\n" + view.ChisqText + "\n";
    out += "Data:\n";
    for (const std::string& file : view.FileLabels)
        if (!file.empty()) out += "  " + file + "\n";
    out += "\n";
    if (view.Rows <= 0 || view.Cols <= 0 ||
        view.Cells.size() < static_cast<std::size_t>(view.Rows) * static_cast<std::size_t>(view.Cols))
        return out;
    auto cell = [&](int r, int c) -> const std::string& {
        return view.Cells[static_cast<std::size_t>(r) * static_cast<std::size_t>(view.Cols) + static_cast<std::size_t>(c)];
    };
    std::vector<std::size_t> width(static_cast<std::size_t>(view.Cols), 0);
    for (int r = 0; r < view.Rows; ++r)
        for (int c = 0; c < view.Cols; ++c)
            width[static_cast<std::size_t>(c)] = std::max(width[static_cast<std::size_t>(c)], TextLength(cell(r, c)));
    for (int r = 0; r < view.Rows; ++r) {
        for (int c = 0; c < view.Cols; ++c) {
            const std::string& text = cell(r, c);
            const std::size_t pad = width[static_cast<std::size_t>(c)] + 2 - TextLength(text);
            const std::size_t after = pad / 2;
            out += std::string(pad - after, ' ') + text + std::string(after, ' ');
        }
        out += "\n";
    }
    return out;
}

} // namespace kivra
