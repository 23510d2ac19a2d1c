#include "engine/plot/plot_math.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace kivra {

int TruncPixel(double v) {
    if (!(v > -PixelLimit)) return -static_cast<int>(PixelLimit);  // NaN lands here too
    if (v > PixelLimit) return static_cast<int>(PixelLimit);
    return static_cast<int>(v);
}

double DataX(const PlotFrame& f, int px) {
    if (f.XScale == 0) return 0;
    return (px - f.XLeft) / f.XScale + f.XMin;
}

double DataY(const PlotFrame& f, int py) {
    if (f.YScale == 0) return 0;
    return (py - f.YBottom) / f.YScale + f.YMin;
}

namespace {

double Decade(double e) { return std::pow(10.0, e); }

double StepFromMantissa(double m, double a, double b) { return m <= a ? 0.2 : (m <= b ? 0.5 : 1.0); }

} // namespace

double TickStep(double r, double a, double b) {
    if (!(r > 0) || !std::isfinite(r)) return 0;
    double e = 0;
    const double f = std::modf(std::log10(r), &e);
    const double step = StepFromMantissa(std::pow(10.0, f), a, b) * Decade(e);
    return std::isfinite(step) && step > 0 ? step : 0;
}

double XTickStep(double r, int width) {
    double step = TickStep(r, 2.5, 6.0);
    if (width < 250) step *= 2;
    if (width < 100) step *= 2;
    return step;
}

double YTickStep(double r, int height) {
    double step = TickStep(r, 2.0, 5.0);
    if (height < 120) step *= 2;
    return step;
}

double ResidualYTickStep(double r, int height) {
    if (!(r > 0) || !std::isfinite(r)) return 0;
    double step = 0;
    const double lg = std::log10(r);
    if (lg <= 0) {
        const double e = std::floor(lg);
        step = StepFromMantissa(r * Decade(-e), 2.0, 5.0) * Decade(e);
        if (!std::isfinite(step) || !(step > 0)) return 0;
    } else {
        step = TickStep(r, 2.0, 5.0);
    }
    if (height < 120) step *= 2;
    return step;
}

std::vector<double> TickValues(double min, double max, double step) {
    std::vector<double> ticks;
    if (!(step > 0) || !std::isfinite(step) || !std::isfinite(min) || !std::isfinite(max))
        return ticks;
    double v = std::ceil(min / step) * step;
    if (!std::isfinite(v)) return ticks;
    while (v <= max && ticks.size() < MaxTicks) {
        ticks.push_back(v);
        const double next = v + step;
        if (!(next > v)) break;  // the step is lost below the value's precision
        v = next;
    }
    return ticks;
}

std::string FormatTickLabel(double v) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    if (v == 0) return "0";
    constexpr int Precision = 5;
    char buf[64];
    // Rounded to the precision first, so the decade is that of the printed number.
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, Precision - 1);
    std::string sci(buf, r.ptr);
    const auto epos = sci.find('e');
    int exp = 0;
    std::from_chars(sci.data() + epos + (sci[epos + 1] == '+' ? 2 : 1), sci.data() + sci.size(), exp);
    auto stripZeros = [](std::string s) {
        if (s.find('.') == std::string::npos) return s;
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
        return s;
    };
    if (exp < Precision && exp >= -5) {
        const int decimals = std::max(0, Precision - 1 - exp);
        r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
        return stripZeros(std::string(buf, r.ptr));
    }
    std::string out = stripZeros(sci.substr(0, epos)) + "E";
    if (exp < 0) out += '-';
    std::string digits = std::to_string(exp < 0 ? -exp : exp);
    if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
    return out + digits;
}

double PlotArrays::Shown(int k, int i) const {
    double v = Data[k][i];
    if (RefIndex && InjStart && InjStop && Time) {
        const double t = Time[k][i];
        if (InjStart[k] <= t && t <= InjStop[k]) v -= RefIndex[k];
    }
    return v;
}

namespace {

struct Extent {
    double lo = 0, hi = 0;
    bool any = false;
    void Add(double v) {
        if (!std::isfinite(v)) return;
        if (!any) {
            lo = hi = v;
            any = true;
        } else {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
};

void Extend(const PlotArrays& a, double** values, Extent& x, Extent& y) {
    if (!values || !a.Time) return;
    for (int k = 0; k < a.NumCurves; ++k) {
        const double* t = a.Time[k];
        const double* v = values[k];
        const int n = a.Count(k);
        if (!t || !v) continue;
        for (int i = 0; i < n; ++i) {
            x.Add(t[i]);
            y.Add(v[i]);
        }
    }
}

} // namespace

bool DataRange(const PlotArrays& a, bool showData, bool showSim, PlotFrame& f) {
    Extent x, y;
    if (showData) Extend(a, a.Data, x, y);
    if (showSim) Extend(a, a.Sim, x, y);
    if (!x.any || !y.any) return false;
    f.XMin = x.lo;
    f.XMax = x.hi;
    f.YMax = y.hi + std::fabs(0.1 * y.hi);
    f.YMin = y.lo - std::fabs(0.1 * y.lo);
    return f.XMax != f.XMin && f.YMax != f.YMin && std::isfinite(f.XMax - f.XMin) &&
           std::isfinite(f.YMax - f.YMin);
}

double ResidualMax(const PlotArrays& a) {
    double best = 0;
    if (!a.Data || !a.Sim) return 0;
    for (int k = 0; k < a.NumCurves; ++k) {
        if (a.IsExcluded(k) || !a.Data[k] || !a.Sim[k]) continue;
        const int n = a.Count(k);
        for (int i = 1; i < n; ++i) {
            const double d = std::fabs(a.Data[k][i] - a.Sim[k][i]);
            if (std::isfinite(d) && d > best) best = d;
        }
    }
    return best;
}

bool ResidualTimeRange(const PlotArrays& a, double& xmin, double& xmax) {
    Extent x;
    if (!a.Time) return false;
    for (int k = 0; k < a.NumCurves; ++k) {
        if (a.IsExcluded(k) || !a.Time[k]) continue;
        const int n = a.Count(k);
        for (int i = 0; i < n; ++i) x.Add(a.Time[k][i]);
    }
    if (!x.any || x.lo == x.hi || !std::isfinite(x.hi - x.lo)) return false;
    xmin = x.lo;
    xmax = x.hi;
    return true;
}

int FindClosestSens(const PlotArrays& a, bool showRes, double x0, double y0) {
    int found = 0;
    if (!a.Time || !a.Data) return found;
    const bool residual = !a.RefIndex && showRes && a.Sim;
    double best = 1e10;
    for (int k = 0; k < a.NumCurves; ++k) {
        if (a.IsExcluded(k) || !a.Time[k] || !a.Data[k] || (residual && !a.Sim[k])) continue;
        const int n = a.Count(k);
        for (int i = 0; i < n; ++i) {
            const double v = a.RefIndex ? a.Shown(k, i) : residual ? a.Data[k][i] - a.Sim[k][i] : a.Data[k][i];
            const double dt = a.Time[k][i] - x0, dv = v - y0;
            const double d = dt * dt + dv * dv;
            if (d < best) {
                best = d;
                found = k;
            }
        }
    }
    return found;
}

int FindClosestPoint(const PlotArrays& a, int k, double x0, double y0) {
    if (!a.Time || !a.Data || k < 0 || k >= a.NumCurves || !a.Time[k] || !a.Data[k]) return -1;
    int found = -1;
    double best = 1e10;
    const int n = a.Count(k);
    for (int i = 0; i < n; ++i) {
        const double dt = a.Time[k][i] - x0, dv = a.Shown(k, i) - y0;
        const double d = dt * dt + dv * dv;
        if (d < best) {
            best = d;
            found = i;
        }
    }
    return found;
}

// ---- polylines ----------------------------------------------------------------

namespace {

// Positions beyond this are taken as unusable: the segment arithmetic below
// would overflow.
constexpr double Unusable = 1e300;

bool Usable(double v) { return std::fabs(v) < Unusable; }

bool InsideBox(double x, double y) {
    return std::fabs(x) <= PixelLimit && std::fabs(y) <= PixelLimit;
}

// Cuts the segment to the square of half-side PixelLimit (Liang-Barsky);
// false when no part of it lies inside.
bool ClipToBox(double& x0, double& y0, double& x1, double& y1) {
    const double dx = x1 - x0, dy = y1 - y0, L = PixelLimit;
    double t0 = 0, t1 = 1;
    auto edge = [&](double p, double q) {
        if (p == 0) return q >= 0;
        const double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, x0 + L) || !edge(dx, L - x0) || !edge(-dy, y0 + L) || !edge(dy, L - y0))
        return false;
    const double sx = x0, sy = y0;
    if (t0 > 0) {
        x0 = sx + t0 * dx;
        y0 = sy + t0 * dy;
    }
    if (t1 < 1) {
        x1 = sx + t1 * dx;
        y1 = sy + t1 * dy;
    }
    return true;
}

} // namespace

void PolylineBuilder::Clear() {
    pieces_.clear();
    current_.clear();
    hasPen_ = open_ = inColumn_ = false;
}

void PolylineBuilder::MoveTo(double px, double py) {
    EndPiece();
    penX_ = px;
    penY_ = py;
    hasPen_ = Usable(px) && Usable(py);
}

void PolylineBuilder::LineTo(double px, double py) {
    if (!Usable(px) || !Usable(py)) {
        EndPiece();
        hasPen_ = false;
        return;
    }
    if (!hasPen_) {
        MoveTo(px, py);
        return;
    }
    // The common case: an open piece ends at the pen, which lies inside.
    if (open_ && InsideBox(px, py)) {
        penX_ = px;
        penY_ = py;
        Add({static_cast<int>(px), static_cast<int>(py)});
        return;
    }
    double x0 = penX_, y0 = penY_, x1 = px, y1 = py;
    const bool startInside = InsideBox(x0, y0);
    penX_ = px;
    penY_ = py;
    if (!ClipToBox(x0, y0, x1, y1)) {
        EndPiece();
        return;
    }
    const PixelPoint a{TruncPixel(x0), TruncPixel(y0)};
    if (!open_ || !startInside) NewPiece(a);
    Add({TruncPixel(x1), TruncPixel(y1)});
    if (!InsideBox(px, py)) EndPiece();  // the next segment starts at its own cut
}

void PolylineBuilder::NewPiece(PixelPoint p) {
    EndPiece();
    open_ = true;
    Add(p);
}

void PolylineBuilder::Add(PixelPoint p) {
    if (inColumn_ && p.x == first_.x) {
        if (p.y < low_.y) {
            low_ = p;
            lowFirst_ = false;  // the lowest now comes after the highest
        }
        if (p.y > high_.y) {
            high_ = p;
            lowFirst_ = true;
        }
        last_ = p;
        return;
    }
    FlushColumn();
    first_ = low_ = high_ = last_ = p;
    lowFirst_ = true;
    inColumn_ = true;
}

void PolylineBuilder::FlushColumn() {
    if (!inColumn_) return;
    auto put = [this](PixelPoint p) {
        if (current_.empty() || !(current_.back() == p)) current_.push_back(p);
    };
    put(first_);
    put(lowFirst_ ? low_ : high_);
    put(lowFirst_ ? high_ : low_);
    put(last_);
    inColumn_ = false;
}

void PolylineBuilder::EndPiece() {
    FlushColumn();
    // A single point is no line; a segment that shrank to one pixel still is.
    if (current_.size() == 1 && open_) current_.push_back(current_.back());
    if (current_.size() >= 2) pieces_.push_back(std::move(current_));
    current_.clear();
    open_ = false;
}

const std::vector<std::vector<PixelPoint>>& PolylineBuilder::Pieces() {
    EndPiece();
    return pieces_;
}

TGridSize OnePageGrid(int n) {
    if (n < 1) return {};
    const int columns = static_cast<int>(std::floor(std::sqrt(static_cast<double>(n)) + 0.5));
    return {columns, (n + columns - 1) / columns};
}

} // namespace kivra
