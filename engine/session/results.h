#pragma once
// The results page as texts: what a fit shows (time, counts, residual
// standard deviation, data files, the grid of values, errors and
// correlations) and the page's text export. The window, the model file and
// the report all read the same texts.
#include <ctime>
#include <string>

#include "engine/model/model_data.h"

namespace kivra {

struct TResultsView;

// The results page's time of a fit, time first: "14:05:09  2024-05-10",
// local time, no time zone.
std::string TimeStampText(std::time_t t);
// The printed report's stamp, the same with the date first: "2024-05-10  14:05:09".
std::string ReportStampText(std::time_t t);

// Fills the view from a fit of n parameters (a and covar 1-based) made at
// time now; residualSD becomes the residual standard deviation. With no more
// data points than parameters nothing changes and the result is false.
bool FillFitResults(TResultsView& view, double& residualSD, const TModelData& model, int n,
                    double** covar, const double* a, double chisq, std::time_t now);

// The text export of the results page, with "\n" line ends: the time, the
// counts, the data files and the grid in centred columns.
std::string ResultsText(const TResultsView& view);

} // namespace kivra
