#pragma once
// The main window's rules that need no window: which commands the active page
// allows, the species panels' snapping, the tiling of plots and histograms and
// the fill of the progress gauge. The window applies them to its widgets.
#include <vector>

namespace kivra {

// What the page control shows.
enum class PageKind { Model, Plot, Results, Monte, Data };

// Enabled state of the commands that depend on the page or on a running fit.
// Everything not listed here stays enabled.
struct TEnabling {
    // tool buttons
    bool NewButton = true, OpenButton = true, SaveButton = true, PrintButton = true;
    bool NewSensButton = true, RunModelButton = true, ResidualButton = true;
    // menu items
    bool FileNewItem = true, FileOpenItem = true, FileSaveItem = true, FilePrintItem = true;
    bool DataAddPageItem = true, DataDeletePageItem = true, DataResidualsItem = true;
    bool RunSimulationItem = true, RunAddNoiseItem = true, RunSmoothItem = true;
};

// The page rules, and while a fit or Monte Carlo run is going (busy) no
// command that changes or re-reads the data: only Stop and viewing work.
TEnabling Enabling(PageKind page, bool monteUnsaved, bool busy);

// A dragged species panel height snapped to whole 24-pixel rows (the header
// and one row at least): ((proposed - 36) / 24) x 24 + 48, no less than 48.
int SnapSpecPanelHeight(int proposed);

// Room the window keeps below the species panels for everything else.
constexpr int FrameReserve = 195;
constexpr int MinFrameWidth = 570;

struct TileRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TileRect&) const = default;
};

// n controls tiled over a width x height parent: about as many columns as
// rows (the square root of n rounded half up), cells by integer division.
std::vector<TileRect> TileRects(int n, int width, int height);

// The gauge of a run state (limited to 0..7) in a panel from left to right:
// green from left + 2 to GreenRight, red from RedLeft to right - 2. A partly
// filled gauge starts its red one pixel early, over the green's edge.
struct GaugeParts {
    int GreenRight = 0, RedLeft = 0;
};
GaugeParts GaugeSplit(int runState, int left, int right);

} // namespace kivra
