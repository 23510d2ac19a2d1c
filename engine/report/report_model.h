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

std::vector<std::string> ModelReportLines(const TModelData& model, const TModelReportOptions& options);

} // namespace kivra
