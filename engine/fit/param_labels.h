#pragma once
// The one way the program names a floated parameter: a kind ("kfwd", "Conc",
// "Start" ...) and what it belongs to (a species, a reaction, "set2 inj1
// curve3" ...). The results grid, the "no effect" report, the Monte Carlo
// histogram titles and the model list all take their names from here, in the
// order of the parameter vector.
#include <string>
#include <vector>

#include "engine/model/model_data.h"

namespace kivra {

struct ParamLabelList {
    std::vector<std::string> Type;   // kind of parameter
    std::vector<std::string> Scope;  // what it belongs to
    std::vector<double> Values;      // current value
    int Count() const { return static_cast<int>(Type.size()); }
};

// One entry per floated parameter, in the order of ForEachFitParam; the lists
// are as long as that enumeration, whatever NumFitParams says.
ParamLabelList GetParamLabels(const TModelData& model);

// A species name as labels show it: "?" for no species or an empty name.
std::string SpeciesLabel(const TModelData& model, int s);

// "A + B = C", or "A = C" with one reactant.
std::string ReactionLabel(const TModelData& model, int r);

} // namespace kivra
