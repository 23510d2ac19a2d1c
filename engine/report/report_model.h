#pragma once
// The model section of the printed report as text lines: species with their
// concentrations or injections, reactions with their rates or links, and the
// refractive-index steps. A line that begins with neither a tab nor a blank
// is a heading; a tab moves to the next tab stop; "= " is an equilibrium.
#include <string>
#include <vector>

#include "engine/model/model_data.h"

namespace kivra {

struct TModelReportOptions {
    bool Species = true, Reactions = true, InjConc = false, RefIndex = false;
};

struct TModelReportLine {
    std::string Text;
    // A line of the refractive-index table: after its blanks come the cells of
    // the six injections, tab-separated, and the cells go to six equal columns
    // between the first cell and the right margin rather than to tab stops,
    // since a cell is wider than one tab step and six of them at two steps
    // each would run off the page.
    bool InjColumns = false;
    // Names the table of injection columns right below it (the section's
    // heading, a set's line), and goes to a new page with it.
    bool Caption = false;
    bool operator==(const TModelReportLine&) const = default;
};

std::vector<TModelReportLine> ModelReportLines(const TModelData& model, const TModelReportOptions& options);

} // namespace kivra
