#pragma once
// Where the printed report puts things, without fonts or a printer: the page
// geometry every section reads and advances, the grid of "All on one page",
// the placement of the plot passes, the start of a section, and the slicing
// of tables over pages.
#include <functional>
#include <vector>

#include "engine/plot/plot_math.h"
#include "engine/report/report_settings.h"

namespace kivra {

// In printer pixels: the margins, the page less the margin, and the current
// vertical position.
struct TPrintGeometry {
    int PrintLeft = 0, PrintTop = 0, PrintRight = 0, PrintBottom = 0, PrintY = 0;
};

// Half an inch of margin all round; PrintY at the top.
TPrintGeometry PageGeometry(int pageWidth, int pageHeight, int pixelsPerInch);

// The pages as the sections see them. NewPage turns to the next page (the
// printer's next page and its time stamp, StartPage) and puts PrintY at the
// top.
class TReportPaging {
public:
    virtual ~TReportPaging() = default;
    TPrintGeometry G;
    void NewPage() {
        StartPage();
        G.PrintY = G.PrintTop;
    }

    // The start of a section that needs room for `needed` pixels: at the top
    // of a page it starts there; where it does not fit it starts on a new
    // page; otherwise one line (lineHeight) below what is there.
    void PlaceSection(int needed, int lineHeight);

protected:
    virtual void StartPage() = 0;
};

// One pass over n plots in the given mode. draw(p, x, y, w, h) prints plot p
// into the rectangle and answers whether it drew anything; a plot that draws
// nothing takes no place.
using PlotDrawer = std::function<bool(int plot, int x, int y, int w, int h)>;
void PlacePlots(TReportPaging& pages, TPlotMode mode, int n, const PlotDrawer& draw);

// A table with its header row (row 0) at y, in slices a page each. Each slice
// is drawn under a copy of the header: body rows First .. End - 1.
struct TTableSlice {
    bool NewPageBefore = false;
    int First = 1, End = 1;
    bool operator==(const TTableSlice&) const = default;
};
// rows counts the header. Below other things, a table that a page can hold
// but the rest of this one cannot starts on the next page whole; a longer one
// starts here unless only its header would fit. lead is the height of the
// captions right above y that name the table: they go to the next page with
// it, and a table under nothing but its captions is not moved away from them.
// Every slice holds at least one body row (when there is one), so even a page
// too short for that makes progress.
std::vector<TTableSlice> SliceTable(int rows, int rowHeight, int y, int top, int bottom, int lead = 0);

} // namespace kivra
