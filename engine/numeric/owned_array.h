#pragma once
// Owners for the data page's arrays. The plots and the injection dialog borrow
// plain pointers (T* per curve, T** per row table); these classes keep those
// pointers valid until the next Reset or Clear.
#include <cstddef>
#include <memory>
#include <new>

namespace kivra {

template <class T>
class OwnedArray {
public:
    // Makes n elements set to init; false (and empty) when memory runs out.
    bool Reset(std::size_t n, const T& init) {
        Clear();
        if (n == 0) return true;
        p_.reset(new (std::nothrow) T[n]);
        if (!p_) return false;
        n_ = n;
        for (std::size_t i = 0; i < n; ++i) p_[i] = init;
        return true;
    }
    void Clear() { p_.reset(); n_ = 0; }
    T& operator[](std::size_t i) { return p_[i]; }
    const T& operator[](std::size_t i) const { return p_[i]; }
    T* data() { return p_.get(); }
    const T* data() const { return p_.get(); }
    std::size_t size() const { return n_; }
    bool empty() const { return n_ == 0; }

private:
    std::unique_ptr<T[]> p_;
    std::size_t n_ = 0;
};

// A table of rows of equal length over one block; rows() hands out the
// row-pointer table that the plots take.
template <class T>
class RowTable {
public:
    bool Reset(std::size_t rows, std::size_t cols, const T& init) {
        Clear();
        if (rows == 0 || cols == 0) return true;
        if (cols > static_cast<std::size_t>(-1) / sizeof(T) / rows) return false;
        if (!block_.Reset(rows * cols, init) || !ptrs_.Reset(rows, nullptr)) {
            Clear();
            return false;
        }
        for (std::size_t i = 0; i < rows; ++i) ptrs_[i] = block_.data() + i * cols;
        cols_ = cols;
        return true;
    }
    void Clear() { ptrs_.Clear(); block_.Clear(); cols_ = 0; }
    T* operator[](std::size_t i) { return ptrs_[i]; }
    const T* operator[](std::size_t i) const { return ptrs_[i]; }
    T** rows() { return ptrs_.data(); }
    std::size_t numRows() const { return ptrs_.size(); }
    std::size_t numCols() const { return cols_; }
    bool empty() const { return ptrs_.empty(); }

private:
    OwnedArray<T> block_;
    OwnedArray<T*> ptrs_;
    std::size_t cols_ = 0;
};

} // namespace kivra
