#pragma once
// LU decomposition by Crout's method with implicit partial pivoting, and the
// solve with it. 1-based; Rows is double** or a fixed-stride array of rows,
// so the integrator's small contiguous matrices and the smoothing's
// allocated ones share one implementation. Size is int or a compile-time count
// (std::integral_constant) for loops that the compiler lays out in full.
#include <algorithm>
#include <cmath>
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

// Solves a x = b with a decomposition from LUDecompose; b becomes x. Leading
// zeros of the permuted b are skipped in the forward pass.
template <class Rows, class Size = int>
void LUSolve(Rows a, Size n, const int* indx, double* b, const double* invPivot) {
    int ii = 0;
    for (int i = 1; i <= n; ++i) {
        const int ip = indx[i];
        double sum = b[ip];
        b[ip] = b[i];
        if (ii != 0) {
            for (int j = ii; j < i; ++j) sum -= a[i][j] * b[j];
        } else if (sum != 0.0) {
            ii = i;
        }
        b[i] = sum;
    }
    for (int i = n; i >= 1; --i) {
        double sum = b[i];
        for (int j = i + 1; j <= n; ++j) sum -= a[i][j] * b[j];
        b[i] = invPivot ? sum * invPivot[i] : sum / a[i][i];
    }
}

// The order in which a decomposition's row swaps leave the right-hand side:
// the solve's row i takes b[perm[i]]. Every swap of LUSolve's forward pass
// exchanges its own row with a later one, so applying them all first changes
// nothing.
inline void LUPermutation(const int* indx, int n, int* perm) {
    for (int i = 1; i <= n; ++i) perm[i] = i;
    for (int i = 1; i <= n; ++i) std::swap(perm[i], perm[indx[i]]);
}

// LUSolve for N rows known when compiling, with the order from LUPermutation
// and reciprocal pivots: the vector stays in registers instead of going
// through memory at every step. The same operations in the same order.
template <int N, class Rows>
void LUSolveSmall(Rows a, const int* perm, double* b, const double* invPivot) {
    double x[N + 1];
    for (int i = 1; i <= N; ++i) x[i] = b[perm[i]];
    int ii = 0;
    for (int i = 1; i <= N; ++i) {
        double sum = x[i];
        if (ii != 0) {
            // Fixed bounds with the skip inside keep every index constant.
            for (int j = 1; j < i; ++j)
                if (j >= ii) sum -= a[i][j] * x[j];
        } else if (sum != 0.0) {
            ii = i;
        }
        x[i] = sum;
    }
    for (int i = N; i >= 1; --i) {
        double sum = x[i];
        for (int j = i + 1; j <= N; ++j) sum -= a[i][j] * x[j];
        x[i] = sum * invPivot[i];
    }
    for (int i = 1; i <= N; ++i) b[i] = x[i];
}

} // namespace kivra
