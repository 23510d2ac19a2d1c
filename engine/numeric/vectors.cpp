#include "engine/numeric/vectors.h"

#include <cstddef>
#include <new>

namespace kivra {
namespace {

// The pointer handed out addresses element lo at the block's second element.
template <class T>
T* AllocBlock1(int lo, int hi) {
    if (hi < lo - 1) return nullptr;
    const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(hi) - lo + 2;
    T* block = new (std::nothrow) T[static_cast<std::size_t>(count)];
    if (!block) return nullptr;
    return block + 1 - lo;
}

template <class T>
void FreeBlock1(T* v, int lo) {
    if (v) delete[] (v + lo - 1);
}

} // namespace

double* AllocVector(int lo, int hi) { return AllocBlock1<double>(lo, hi); }
int* AllocIntVector(int lo, int hi) { return AllocBlock1<int>(lo, hi); }
void FreeVector(double* v, int lo) { FreeBlock1(v, lo); }
void FreeIntVector(int* v, int lo) { FreeBlock1(v, lo); }

double** AllocMatrix(int rl, int rh, int cl, int ch) {
    if (rh < rl || ch < cl) return nullptr;
    const std::ptrdiff_t nrow = static_cast<std::ptrdiff_t>(rh) - rl + 1;
    const std::ptrdiff_t ncol = static_cast<std::ptrdiff_t>(ch) - cl + 1;
    double** rows = new (std::nothrow) double*[static_cast<std::size_t>(nrow + 1)];
    if (!rows) return nullptr;
    double* data = new (std::nothrow) double[static_cast<std::size_t>(nrow * ncol + 1)];
    if (!data) {
        delete[] rows;
        return nullptr;
    }
    double** m = rows + 1 - rl;
    m[rl] = data + 1 - cl;
    for (int r = rl + 1; r <= rh; ++r) m[r] = m[r - 1] + ncol;
    return m;
}

void FreeMatrix(double** m, int rl, int cl) {
    if (!m) return;
    delete[] (m[rl] + cl - 1);
    delete[] (m + rl - 1);
}

} // namespace kivra
