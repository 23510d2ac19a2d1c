#include "engine/numeric/lu.h"

namespace kivra {

const char* const SingularRowText = "Error in Simulation (01) \n Please check initial conditions";

void LUBackSubstitute(double** a, int n, const int* indx, double* b) { LUSolve(a, n, indx, b, nullptr); }

} // namespace kivra
