#pragma once
// What the results page shows, as texts: the page's labels and grid cells. The
// fit fills it, the model file writes and reads it, the report prints it; the
// window only displays it.
#include <cstddef>
#include <string>
#include <vector>

#include "engine/model/model_data.h"

namespace kivra {

struct TResultsView {
    bool Shown = false;  // the page's tab is visible
    std::string NumParamText, NumPointsText, ChisqText, TimeText;
    std::string DataFileHeaderText = "Data Files:";
    int Rows = 0, Cols = 0;
    std::vector<std::string> Cells;  // Rows x Cols, row by row
    std::string FileLabels[MaxSets];
    // Widths in pixels of the grid's columns as the window shows them (the
    // report scales them to the printer); empty until shown.
    std::vector<int> ColWidths;
    std::string& Cell(int row, int col) { return Cells[static_cast<std::size_t>(row * Cols + col)]; }
};

} // namespace kivra
