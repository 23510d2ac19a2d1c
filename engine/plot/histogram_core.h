#pragma once
// The Monte Carlo histogram without its window: the results of one parameter
// in ascending order, their mean and spread, the range around the median and
// the 20 bar counts. THistogram (widgets/histogram.h) draws them on the
// screen and the printer; the run and the results file read them here.
#include <string>

#include "engine/numeric/owned_array.h"

namespace kivra {

constexpr int HistogramBins = 20;

// A number as the histogram draws it: scientific, 4 significant digits, an
// exponent of at least two digits with its sign (1.234e+02). Never
// locale-dependent.
std::string HistogramNumber(double v);

class THistogramCore {
public:
    // Room for capacity results; Allocated() tells whether it could be made.
    THistogramCore(int capacity, const std::string& title);
    virtual ~THistogramCore();
    THistogramCore(const THistogramCore&) = delete;
    THistogramCore& operator=(const THistogramCore&) = delete;

    bool Allocated() const { return Capacity() > 0; }
    int Capacity() const { return static_cast<int>(Values.size()); }

    // Adds one result with the fit's standard error of it, recomputes every
    // statistic and the bars, and has the control repainted. A value or error
    // that is not finite, or a result beyond the capacity, is not taken.
    void AddResult(double value, double sd);

    // "mean ± sd" as the header shows it.
    std::string HeaderText() const;

    OwnedArray<double> Values;  // the first Count hold the results, ascending
    int Count = 0;
    int Bins[HistogramBins] = {};
    double Centre = 0, Low = 0, High = 0;
    double Mean = 0, StdDev = 0;
    double SetValue = 0;  // the parameter's value before the run; not drawn
    std::string Title;

protected:
    // A result was added: the control repaints at once.
    virtual void ResultAdded() {}

private:
    void Recompute(double sd);
};

} // namespace kivra
