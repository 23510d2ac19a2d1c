#include "engine/plot/histogram_core.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kivra {

std::string HistogramNumber(double v) {
    if (v == 0) v = 0;  // no "-0.000e+00"
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::scientific, 3);
    return std::string(buffer, r.ptr);
}

THistogramCore::THistogramCore(int capacity, const std::string& title) : Title(title) {
    if (capacity > 0) Values.Reset(static_cast<std::size_t>(capacity), 0.0);
}

THistogramCore::~THistogramCore() = default;

std::string THistogramCore::HeaderText() const {
    return HistogramNumber(Mean) + " \u00b1 " + HistogramNumber(StdDev);
}

void THistogramCore::AddResult(double value, double sd) {
    if (!std::isfinite(value) || !std::isfinite(sd) || Count >= Capacity()) return;
    double* v = Values.data();
    // Equal values keep their order of arrival: the new one goes after them.
    const int pos = static_cast<int>(std::upper_bound(v, v + Count, value) - v);
    std::move_backward(v + pos, v + Count, v + Count + 1);
    v[pos] = value;
    ++Count;
    Recompute(sd);
    ResultAdded();
}

void THistogramCore::Recompute(double sd) {
    const double* v = Values.data();
    double sum = 0;
    for (int i = 0; i < Count; ++i) sum += v[i];
    if (std::isfinite(sum)) {
        Mean = sum / Count;
    } else {
        // Values near the largest double: each share stays finite.
        Mean = 0;
        for (int i = 0; i < Count; ++i) Mean += v[i] / Count;
    }
    // Up to 20 results the fit's own error says more than their scatter.
    if (Count <= 20) {
        StdDev = sd;
    } else {
        double ss = 0;
        for (int i = 0; i < Count; ++i) ss += (v[i] - Mean) * (v[i] - Mean);
        StdDev = std::sqrt(ss / (Count - 1));
    }

    // Half range: three standard deviations, to one significant digit. All in
    // doubles, so that no size of value can overflow an integer.
    double h = 3 * StdDev;
    if (!(h >= 1e-5)) h = 1e-5;
    double p = std::pow(10.0, std::floor(std::log10(h)));
    h = p * std::floor(h / p + 0.5);
    p = std::pow(10.0, std::floor(std::log10(h)));
    // The median (the upper middle one for an even count) to a multiple of the
    // step, halves away from zero.
    const double q = v[Count / 2] / p;
    double whole = std::trunc(q);
    if (std::fabs(q - whole) >= 0.5) whole += q < 0 ? -1 : 1;
    Centre = whole * p;
    Low = Centre - h;
    High = Centre + h;

    // Bar 0 holds what lies below Low, bars 1 to 18 the slices of Low..High
    // (each with its lower edge), bar 19 High and above.
    std::fill(Bins, Bins + HistogramBins, 0);
    const double w = (High - Low) / 18;
    int b = 0;
    double edge = Low;
    for (int i = 0; i < Count;) {
        if (b >= HistogramBins - 1) {
            Bins[HistogramBins - 1] += Count - i;
            break;
        }
        if (v[i] < edge) {
            ++Bins[b];
            ++i;
        } else {
            ++b;
            edge = b >= 18 ? High : Low + b * w;
        }
    }
}

} // namespace kivra
