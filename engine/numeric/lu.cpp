#include <cmath>

#include "engine/dataset/senstab_core.h"

namespace kivra {

namespace {
constexpr const char* SingularRow = "Error in Simulation (01) \n Please check initial conditions";
constexpr double TinyPivot = 1e-20;
}

const char* TSensTabCore::ludcmp(double** a, int n, int* indx, double* d) {
    // Smoothing decomposes without the simulation's work arrays: borrow a scale
    // vector for this call only, and give it back on every exit.
    struct ScaleLease {
        Vector1& v;
        bool own;
        ScaleLease(Vector1& vec, int n) : v(vec), own(!vec) { if (own) v.Reset(1, n); }
        ~ScaleLease() { if (own) v.Release(); }
    } lease(LURowScale, n);
    if (!LURowScale) return "Memory Allocation Error";
    double* vv = LURowScale.get();

    *d = 1.0;
    for (int i = 1; i <= n; ++i) {
        double big = 0.0;
        for (int j = 1; j <= n; ++j) big = std::max(big, std::fabs(a[i][j]));
        if (big == 0.0) return SingularRow;
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
        if (j != n) {
            const double dum = 1.0 / a[j][j];
            for (int i = j + 1; i <= n; ++i) a[i][j] *= dum;
        }
    }
    return nullptr;
}

void LUBackSubstitute(double** a, int n, int* indx, double* b) {
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
        b[i] = sum / a[i][i];
    }
}

} // namespace kivra
