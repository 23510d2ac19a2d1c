#pragma once
// What the print report dialog chooses, as plain values: the dialog shows and
// stores them, the report reads them.
#include <string>

namespace kivra {

// Where the data plots go (the dialog's "Data" group).
enum class TPlotMode { None = 0, FullPage = 1, HalfPage = 2, AllOnOnePage = 3 };
// The "Residuals" group: none, a strip above each data plot, or plots of
// their own placed like the data plots.
enum class TResidualMode { None = 0, WithData = 1, FullPage = 2, HalfPage = 3, AllOnOnePage = 4 };
// The curves of the data plots.
enum class TDataSim { Data = 0, Sim = 1, Both = 2 };

struct TReportSettings {
    // "Report"
    bool Plots = true, Model = true, FitResults = true, Monte = false, TimeStamp = true;
    // "Plots"
    TPlotMode PlotMode = TPlotMode::HalfPage;
    TResidualMode ResidualMode = TResidualMode::None;
    TDataSim DataSim = TDataSim::Both;
    // "Model"
    bool Species = true, Reactions = true, InjConc = false, RefIndex = false;
    // "Fit Results"
    bool Fit = true, Correlations = true;
    // "Monte"
    bool MonteReport = true, MonteGraphs = false;
    // "Options"
    bool UseColor = true, CopyFormat = false;
    std::string AxisWidth = "3", LineWidth = "1";
    // Print Setup: the paper in points as it stands upright (0 x 0 keeps the
    // printer's own) and whether the page lies across.
    int PaperWidth = 0, PaperHeight = 0;
    bool Landscape = false;
};

// A pen width typed in the dialog: the decimal number truncated to a whole
// one; 0 when the text is not a number, or not one from 0 to 50 (a wider pen
// would cover the plot).
int ReportPenWidth(const std::string& text);

// The placement of the residual plots of their own: the mode of the residual
// pass, None for "None" and for residuals drawn with the data.
TPlotMode ResidualPassMode(TResidualMode mode);

} // namespace kivra
