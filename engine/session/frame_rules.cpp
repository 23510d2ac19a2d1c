#include "engine/session/frame_rules.h"

#include "engine/plot/plot_math.h"

namespace kivra {

TEnabling Enabling(PageKind page, bool monteUnsaved, bool busy) {
    const bool model = page == PageKind::Model, plot = page == PageKind::Plot;
    const bool results = page == PageKind::Results, monte = page == PageKind::Monte;
    const bool data = page == PageKind::Data;
    TEnabling e;
    e.SaveButton = model || results || (monte && monteUnsaved) || data;
    e.OpenButton = e.NewButton = model || data;
    e.ResidualButton = plot || data;
    e.DataDeletePageItem = e.RunSmoothItem = data;
    e.FileSaveItem = model || (monte && monteUnsaved) || data;
    e.FileNewItem = e.FileOpenItem = model || data;
    e.DataResidualsItem = plot || data;
    e.RunAddNoiseItem = data;
    if (busy) {
        e.NewButton = e.OpenButton = e.SaveButton = e.PrintButton = false;
        e.NewSensButton = e.RunModelButton = false;
        e.FileNewItem = e.FileOpenItem = e.FileSaveItem = e.FilePrintItem = false;
        e.DataAddPageItem = e.DataDeletePageItem = false;
        e.RunSimulationItem = e.RunAddNoiseItem = e.RunSmoothItem = false;
    }
    return e;
}

int SnapSpecPanelHeight(int proposed) {
    const int snapped = ((proposed - 36) / 24) * 24 + 48;
    return snapped < 48 ? 48 : snapped;
}

std::vector<TileRect> TileRects(int n, int width, int height) {
    std::vector<TileRect> out;
    if (n <= 0) return out;
    const auto [columns, rows] = OnePageGrid(n);
    const int w = width / columns, h = height / rows;
    for (int i = 0; i < n; ++i) out.push_back({(i % columns) * w, (i / columns) * h, w, h});
    return out;
}

GaugeParts GaugeSplit(int runState, int left, int right) {
    if (runState < 0) runState = 0;
    if (runState > 7) runState = 7;
    const int w = right - left - 4;
    const int x = left + 2 + (w * runState) / 7;
    return {x, runState > 0 && runState < 7 ? x - 1 : x};
}

} // namespace kivra
