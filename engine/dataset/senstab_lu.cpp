// The page's decomposition: the smoothing's and the integrator's entry to
// engine/numeric/lu.h, with the row scales the page can lend.
#include "engine/dataset/senstab_core.h"
#include "engine/numeric/lu.h"
#include "engine/numeric/vectors.h"
#include "engine/simulation/integrator.h"

namespace kivra {

const char* TSensTabCore::ludcmp(double** a, int n, int* indx, double* d) {
    // The page's integrator lends its row scales when they hold n rows.
    // Smoothing decomposes without the work arrays, and with more rows than
    // there are species: it gets scales of its own for this call.
    Vector1 own;
    double* vv = nullptr;
    if (Work && n <= MaxSpecies) {
        vv = Work->LURowScale;
    } else {
        if (!own.Reset(1, n)) return "Memory Allocation Error";
        vv = own.get();
    }
    return LUDecompose(a, n, indx, d, vv, nullptr);
}

} // namespace kivra
