#include "engine/numeric/lu.h"

namespace kivra {

const char* const SingularRowText = "Error in Simulation (01) \n Please check initial conditions";

} // namespace kivra
