#include "engine/report/report_layout.h"

#include <algorithm>

namespace kivra {

TPrintGeometry PageGeometry(int pageWidth, int pageHeight, int pixelsPerInch) {
    const int m = pixelsPerInch / 2;
    return {m, m, pageWidth - m, pageHeight - m, m};
}

void TReportPaging::PlaceSection(int needed, int lineHeight) {
    if (G.PrintY == G.PrintTop) return;
    if (G.PrintY + needed > G.PrintBottom)
        NewPage();
    else
        G.PrintY += lineHeight;
}

void PlacePlots(TReportPaging& pages, TPlotMode mode, int n, const PlotDrawer& draw) {
    TPrintGeometry& g = pages.G;
    const int width = g.PrintRight - g.PrintLeft, height = g.PrintBottom - g.PrintTop;
    switch (mode) {
    case TPlotMode::None: return;
    case TPlotMode::FullPage:
        for (int p = 0; p < n; ++p) {
            if (g.PrintY != g.PrintTop) pages.NewPage();
            if (draw(p, g.PrintLeft, g.PrintY, width, height)) g.PrintY = g.PrintBottom;
        }
        return;
    case TPlotMode::HalfPage: {
        const int h = height / 2;
        for (int p = 0; p < n; ++p) {
            if (g.PrintY + h > g.PrintBottom) pages.NewPage();
            if (draw(p, g.PrintLeft, g.PrintY, width, h)) g.PrintY += h;
        }
        return;
    }
    case TPlotMode::AllOnOnePage: {
        const TGridSize grid = OnePageGrid(n);
        if (grid.Columns == 0) return;
        if (g.PrintY != g.PrintTop) pages.NewPage();
        const int w = width / grid.Columns, h = height / grid.Rows;
        int x = g.PrintLeft;
        for (int p = 0; p < n; ++p) {
            if (!draw(p, x, g.PrintY, w, h)) continue;
            x += w;
            if (x > g.PrintRight - w / 2) {
                x = g.PrintLeft;
                g.PrintY += h;
            }
        }
        if (x != g.PrintLeft) g.PrintY += h;
        return;
    }
    }
}

std::vector<TTableSlice> SliceTable(int rows, int rowHeight, int y, int top, int bottom, int lead) {
    std::vector<TTableSlice> out;
    if (rows < 1) return out;
    if (rowHeight < 1 || y + rows * rowHeight <= bottom) {
        out.push_back({false, 1, rows});
        return out;
    }
    int first = 1;
    bool newPage = false;
    const bool wholeOnNext = top + lead + rows * rowHeight <= bottom;
    const bool headerAlone = rows > 1 && y + 2 * rowHeight > bottom;
    if (y - lead != top && (wholeOnNext || headerAlone)) {
        newPage = true;
        y = top + lead;
    }
    do {
        const int room = std::max(1, (bottom - y) / rowHeight - 1);
        const int end = std::min(rows, first + room);
        out.push_back({newPage, first, end});
        first = end;
        newPage = true;
        y = top;
    } while (first < rows);
    return out;
}

} // namespace kivra
