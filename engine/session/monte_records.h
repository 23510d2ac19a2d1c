#pragma once
// What a Monte Carlo run keeps: one record per cycle, and the settings as
// typed on the Monte Carlo page. The run is TMainFormCore's (monte_carlo.cpp).
#include <string>

#include "engine/numeric/owned_array.h"

namespace kivra {

// One cycle. Start and Result hold n + 1 doubles (used 1..n) in the block of
// the record array.
struct TMonteRecord {
    std::string Message;  // why the cycle failed; empty when it succeeded
    double* Start = nullptr;
    double* Result = nullptr;  // the fitted values; only of a successful cycle
    double Chisq = 0;
    bool Succeeded = false;
};

// The records of one run, made all at once so that a failure leaves the
// previous run's array untouched.
class TMonteRecordArray {
public:
    // capacity records for n parameters; false (and nothing changed) when
    // the memory cannot be had.
    bool Make(int capacity, int n);
    int Capacity() const { return static_cast<int>(records_.size()); }
    TMonteRecord& operator[](int i) { return records_[static_cast<std::size_t>(i)]; }
    const TMonteRecord& operator[](int i) const { return records_[static_cast<std::size_t>(i)]; }

private:
    OwnedArray<TMonteRecord> records_;
    OwnedArray<double> values_;
};

// The texts of the Monte Carlo page's boxes, as the window last read them.
struct TMonteBoxes {
    std::string NumCycles, MaxIter, Variation, AddNoise;
    bool AddNoiseChecked = false;
};

enum class TMonteBox { NumCycles, MaxIter, Variation };

// A message as one row of the results file or the status line: line breaks
// and TABs become blanks.
std::string OneLine(const std::string& text);

} // namespace kivra
