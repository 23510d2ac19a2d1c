#pragma once
// 1-based vectors and matrices for the integrator, the fit and the Monte Carlo run.
// A vector v[lo..hi] is one block whose first element is a spare; a matrix is a
// block of row pointers over one contiguous data block, so rows lie in order.
// Allocators return null when memory runs out; contents start undefined.

namespace kivra {

double* AllocVector(int lo, int hi);
int* AllocIntVector(int lo, int hi);
double** AllocMatrix(int rl, int rh, int cl, int ch);
void FreeVector(double* v, int lo);
void FreeIntVector(int* v, int lo);
void FreeMatrix(double** m, int rl, int cl);

// Owners over the allocators above, for code that keeps such arrays for a run.
template <class T, T* (*Alloc)(int, int), void (*Free)(T*, int)>
class OwnedVector1 {
public:
    OwnedVector1() = default;
    OwnedVector1(int lo, int hi) { Reset(lo, hi); }
    ~OwnedVector1() { Release(); }
    OwnedVector1(const OwnedVector1&) = delete;
    OwnedVector1& operator=(const OwnedVector1&) = delete;
    OwnedVector1(OwnedVector1&& o) noexcept : v_(o.v_), lo_(o.lo_) { o.v_ = nullptr; }
    OwnedVector1& operator=(OwnedVector1&& o) noexcept {
        if (this != &o) { Release(); v_ = o.v_; lo_ = o.lo_; o.v_ = nullptr; }
        return *this;
    }
    // False when the allocation failed; the vector is then empty.
    bool Reset(int lo, int hi) { Release(); lo_ = lo; v_ = Alloc(lo, hi); return v_ != nullptr; }
    void Release() { if (v_) Free(v_, lo_); v_ = nullptr; }
    T& operator[](int i) { return v_[i]; }
    T operator[](int i) const { return v_[i]; }
    T* get() const { return v_; }
    explicit operator bool() const { return v_ != nullptr; }

private:
    T* v_ = nullptr;
    int lo_ = 1;
};

using Vector1 = OwnedVector1<double, AllocVector, FreeVector>;
using IntVector1 = OwnedVector1<int, AllocIntVector, FreeIntVector>;

class Matrix1 {
public:
    Matrix1() = default;
    Matrix1(int rl, int rh, int cl, int ch) { Reset(rl, rh, cl, ch); }
    ~Matrix1() { Release(); }
    Matrix1(const Matrix1&) = delete;
    Matrix1& operator=(const Matrix1&) = delete;
    Matrix1(Matrix1&& o) noexcept : m_(o.m_), rl_(o.rl_), cl_(o.cl_) { o.m_ = nullptr; }
    Matrix1& operator=(Matrix1&& o) noexcept {
        if (this != &o) { Release(); m_ = o.m_; rl_ = o.rl_; cl_ = o.cl_; o.m_ = nullptr; }
        return *this;
    }
    bool Reset(int rl, int rh, int cl, int ch) {
        Release(); rl_ = rl; cl_ = cl; m_ = AllocMatrix(rl, rh, cl, ch); return m_ != nullptr;
    }
    void Release() { if (m_) FreeMatrix(m_, rl_, cl_); m_ = nullptr; }
    double* operator[](int r) { return m_[r]; }
    const double* operator[](int r) const { return m_[r]; }
    double** get() const { return m_; }
    explicit operator bool() const { return m_ != nullptr; }

private:
    double** m_ = nullptr;
    int rl_ = 1, cl_ = 1;
};

} // namespace kivra
