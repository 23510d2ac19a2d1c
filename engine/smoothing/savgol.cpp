// Savitzky-Golay filter coefficients: the least-squares polynomial of order m
// through the window, evaluated (or differentiated ld times) at the centre, is a
// fixed linear combination of the window's points. Solving the (m+1)x(m+1)
// normal equations once for the unit vector e[ld] gives that combination's
// polynomial in the offset, whose values at the offsets are the coefficients.
// (A. Savitzky, M. J. E. Golay, Anal. Chem. 36 (1964) 1627.)
#include <algorithm>
#include <cmath>

#include "engine/dataset/senstab_core.h"
#include "engine/numeric/lu.h"

namespace kivra {

const char* TSensTabCore::savgol(double* coef, int np, int nl, int nr, int ld, int m) {
    // Fewer points than coefficients leaves the normal matrix singular; the pivot
    // guard of ludcmp would then hand back huge meaningless weights.
    if (np < 1 || nl < 0 || nr < 0 || m < 0 || ld < 0 || ld > m || m > nl + nr)
        return "Bad smoothing request";

    const int n = m + 1;
    Matrix1 a(1, n, 1, n);
    IntVector1 indx(1, n);
    Vector1 b(1, n);
    if (!a || !indx || !b) return "Memory Allocation Error";

    // The normal matrix is a Hankel matrix of power sums: element [p][q] depends on p + q only.
    for (int ipj = 0; ipj <= 2 * m; ++ipj) {
        double sum = ipj == 0 ? 1.0 : 0.0;
        for (int k = 1; k <= nr; ++k) sum += std::pow(static_cast<double>(k), ipj);
        for (int k = 1; k <= nl; ++k) sum += std::pow(static_cast<double>(-k), ipj);
        const int mm = std::min(ipj, 2 * m - ipj);
        for (int imj = -mm; imj <= mm; imj += 2) a[1 + (ipj + imj) / 2][1 + (ipj - imj) / 2] = sum;
    }
    double d = 0;
    if (const char* err = ludcmp(a.get(), n, indx.get(), &d)) return err;
    for (int j = 1; j <= n; ++j) b[j] = 0.0;
    b[ld + 1] = 1.0;
    LUBackSubstitute(a.get(), n, indx.get(), b.get());

    for (int j = 1; j <= np; ++j) coef[j] = 0.0;
    for (int k = -nl; k <= nr; ++k) {
        double value = b[1];
        for (int p = 1; p <= m; ++p) value += b[p + 1] * std::pow(static_cast<double>(k), p);
        // A window wider than np folds onto itself instead of running off the vector.
        const int slot = ((np - k) % np + np) % np + 1;
        coef[slot] = value;
    }
    return nullptr;
}

} // namespace kivra
