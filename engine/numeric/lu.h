#pragma once
// LU decomposition by Crout's method with implicit partial pivoting, and the
// solve with it. 1-based; Rows is double** or a fixed-stride array of rows,
// so the integrator's small contiguous matrices and the smoothing's
// allocated ones share one implementation. Size is int or a compile-time count
// (std::integral_constant) for loops that the compiler lays out in full.
#include <algorithm>
#include <cmath>
#include <type_traits>
#include <utility>

namespace kivra {

extern const char* const SingularRowText;  // a row of zeros

// Decomposes a[1..n][1..n] in place; indx receives the row permutation, d the
// parity of the row swaps, vv[1..n] holds the row scales. With invPivot, the
// reciprocals of the pivots are kept in invPivot[1..n] so that LUSolve
// multiplies instead of dividing. Null, or SingularRowText.
template <class Rows, class Size = int>
const char* LUDecompose(Rows a, Size n, int* indx, double* d, double* vv, double* invPivot) {
    constexpr double TinyPivot = 1e-20;
    *d = 1.0;
    for (int i = 1; i <= n; ++i) {
        double big = 0.0;
        for (int j = 1; j <= n; ++j) big = std::max(big, std::fabs(a[i][j]));
        if (big == 0.0) return SingularRowText;
        vv[i] = 1.0 / big;
    }
    for (int j = 1; j <= n; ++j) {
        for (int i = 1; i < j; ++i) {
            double sum = a[i][j];
            for (int k = 1; k < i; ++k) sum -= a[i][k] * a[k][j];
            a[i][j] = sum;
        }
        double big = 0.0;
        int imax = j;
        for (int i = j; i <= n; ++i) {
            double sum = a[i][j];
            for (int k = 1; k < j; ++k) sum -= a[i][k] * a[k][j];
            a[i][j] = sum;
            const double dum = vv[i] * std::fabs(sum);
            if (dum >= big) {
                big = dum;
                imax = i;
            }
        }
        if (j != imax) {
            for (int k = 1; k <= n; ++k) std::swap(a[imax][k], a[j][k]);
            *d = -*d;
            vv[imax] = vv[j];
        }
        indx[j] = imax;
        if (a[j][j] == 0.0) a[j][j] = TinyPivot;
        if (j != n || invPivot) {
            const double dum = 1.0 / a[j][j];
            if (invPivot) invPivot[j] = dum;
            for (int i = j + 1; i <= n; ++i) a[i][j] *= dum;
        }
    }
    return nullptr;
}

// GCC would pack the unknowns of these short dependent chains into vector
// registers through memory, which stalls every step: they are kept scalar.
#if defined(__GNUC__) && !defined(__clang__)
#define KIVRA_SCALAR __attribute__((optimize("no-tree-vectorize", "no-tree-slp-vectorize")))
#else
#define KIVRA_SCALAR
#endif

// Forward and back substitution on x, already in the row order of the
// decomposition's swaps; x becomes the solution, which also goes to out. The forward pass skips the
// leading zeros of x: a skipped term subtracts exactly +0, which leaves every
// sum as it is, so that the loops keep fixed bounds and, with a compile-time
// size, constant indices.
template <class Rows, class Size>
KIVRA_SCALAR void LUSubstitute(Rows a, Size n, double* x, const double* invPivot, double* out) {
    int ii = n + 1;  // the first non-zero row; none yet
    for (int i = 1; i <= n; ++i) {
        double sum = x[i];
        for (int j = 1; j < i; ++j) sum -= j >= ii ? a[i][j] * x[j] : 0.0;
        if (ii > n && sum != 0.0) ii = i;
        x[i] = sum;
    }
    for (int i = n; i >= 1; --i) {
        double sum = x[i];
        for (int j = i + 1; j <= n; ++j) sum -= a[i][j] * x[j];
        x[i] = invPivot ? sum * invPivot[i] : sum / a[i][i];
        out[i] = x[i];
    }
}

// Solves a x = b with a decomposition from LUDecompose; b becomes x. Each
// row swap exchanges a row with a later one, so making them all before the
// substitution gives the same as making each on the way.
template <class Rows, class Size = int>
void LUSolve(Rows a, Size n, const int* indx, double* b, const double* invPivot) {
    for (int i = 1; i <= n; ++i) std::swap(b[i], b[indx[i]]);
    LUSubstitute(a, n, b, invPivot, b);
}

// LUSolve for an allocated matrix, as the smoothing solves its normal equations.
void LUBackSubstitute(double** a, int n, const int* indx, double* b);

// The order the row swaps leave the right-hand side in: row i takes b[perm[i]].
inline void LUPermutation(const int* indx, int n, int* perm) {
    for (int i = 1; i <= n; ++i) perm[i] = i;
    for (int i = 1; i <= n; ++i) std::swap(perm[i], perm[indx[i]]);
}

// LUSolve for N rows known when compiling, with the order from
// LUPermutation: the vector stays in registers instead of going through
// memory at every step. The same operations in the same order.
template <int N, class Rows>
KIVRA_SCALAR void LUSolveSmall(Rows a, const int* perm, double* b, const double* invPivot) {
    double x[N + 1];
    for (int i = 1; i <= N; ++i) x[i] = b[perm[i]];
    LUSubstitute(a, std::integral_constant<int, N>(), x, invPivot, b);
}

} // namespace kivra
