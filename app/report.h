#pragma once
// The printed report: the plots of all data pages, the model as text, the
// fit results with their correlations as ruled tables, and the Monte Carlo
// summary with its histograms, drawn on the printer in printer pixels. The
// main window gathers what is printed (TReportContent); the dialog's
// settings choose the sections and their form.
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "engine/model/model_data.h"
#include "engine/report/report_layout.h"
#include "engine/report/report_model.h"
#include "engine/report/report_monte.h"
#include "engine/report/report_settings.h"
#include "engine/session/mainform_core.h"

namespace kivra {

class Canvas;
class Printer;
class TPlot;

// One Monte Carlo histogram as the report reads and draws it.
struct TReportHistogram : TMonteSummary {
    // Draws the histogram into (left, top, width, height) of the canvas.
    std::function<void(Canvas& c, int left, int top, int width, int height, int dataPenWidth, int framePenWidth,
                       bool useColor)>
        Print;
};

// The results page as the report reads it: its texts and the widths of the
// grid's columns on the screen, which the report scales to the printer.
struct TReportResults {
    const TResultsView* View = nullptr;
    // The grid's columns as wide as the window shows them, in screen pixels;
    // a column without a width is as wide as its texts.
    std::vector<int> ColWidths;
    int ScreenZeroWidth = 0;     // width of "0" in the grid's screen font
};

// Everything the report prints.
struct TReportContent {
    std::vector<TPlot*> Plots;  // each data page's overview plot, in page order
    const TModelData* Model = nullptr;
    bool ResultsShown = false;  // the results page's tab is shown
    TReportResults Results;
    bool MonteShown = false;  // the Monte Carlo page's tab is shown
    TMonteNumbers Monte;
    std::vector<TReportHistogram> Histograms;
};

class TReport : public TReportPaging {
public:
    TReport(Printer& printer, const TReportSettings& settings);

    // The clock of the time stamp.
    std::function<std::time_t()> Clock = [] { return std::time(nullptr); };

    // The whole report as one print job, each section as the settings choose.
    // False, with nothing printed, when the printer refuses the job.
    bool Print(const TReportContent& content);

    void PrintPlots(const std::vector<TPlot*>& plots);
    // The model as it stands; the caller has synchronised it.
    void PrintModel(const TModelData& model);
    void PrintFitResults(const TReportResults& results);
    void PrintMonte(const TMonteNumbers& numbers, const std::vector<TReportHistogram>& histograms);
    // The date and time at the top right of the page, once per page.
    void PrintTimeStamp();

protected:
    void StartPage() override;

private:
    struct Column {
        int Width = 0;
        std::function<std::string(int row)> Text;
        bool LeftAligned = false;  // body cells start one "0" in; headers stay centred
    };
    // A ruled table of rows (row 0 the header) from x at PrintY, under lead
    // pixels of its section's heading, sliced over pages by SliceTable.
    void DrawTable(int x, const std::vector<Column>& columns, int rows, int lineHeight, int lead);
    void SetFont(int size);
    // The six injection columns share the width right of their indent. Where
    // the printer's stand-in for Arial is too wide for a column to hold its
    // widest cell, the cells take the largest smaller size that fits rather
    // than run into the next column or off the page.
    static constexpr int MinCellSize = 4;
    int InjCellSize(const std::vector<TModelReportLine>& lines);
    void DrawModelLine(const TModelReportLine& line, int lineHeight, int zeroWidth, int cellSize);

    Printer& P;
    TReportSettings S;
    int StampedPage = 0;
};

} // namespace kivra
