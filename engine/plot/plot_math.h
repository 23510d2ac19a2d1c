#pragma once
// The arithmetic of the plots, free of any window: the map between data and
// pixels, tick steps and tick values, axis labels, the ranges of curves and
// residuals, the nearest-point searches, and the thinning of polylines that
// land on the same pixel column. The plot control draws with these; the
// tests check them without a window.
#include <cstddef>
#include <string>
#include <vector>

namespace kivra {

// The frame of the last drawing: data range, pixel edges and scales.
struct PlotFrame {
    double XMin = 0, XMax = 0, YMin = 0, YMax = 0;
    double XStep = 0;
    double XLeft = 0, XRight = 0, XScale = 0;  // pixels per x unit
    double YBottom = 0, YTop = 0, YScale = 0;  // pixels per y unit, negative
};

// Pixel coordinates are kept within this magnitude, far outside any surface,
// so that a point far off the frame never overflows an int.
constexpr double PixelLimit = 1 << 24;

// Truncation toward zero, limited to +-PixelLimit; NaN gives -PixelLimit.
int TruncPixel(double v);

// Unrounded pixel position of a data value: (v - min) * scale + edge + 0.5.
inline double PixelPosX(const PlotFrame& f, double x) { return (x - f.XMin) * f.XScale + f.XLeft + 0.5; }
inline double PixelPosY(const PlotFrame& f, double y) { return (y - f.YMin) * f.YScale + f.YBottom + 0.5; }
inline int PixelX(const PlotFrame& f, double x) { return TruncPixel(PixelPosX(f, x)); }
inline int PixelY(const PlotFrame& f, double y) { return TruncPixel(PixelPosY(f, y)); }
// Data value of a pixel; 0 before the first drawing (zero scale).
double DataX(const PlotFrame& f, int px);
double DataY(const PlotFrame& f, int py);

// Tick step for an axis of range r: 0.2, 0.5 or 1 times the decade, chosen by
// the mantissa against the limits a and b. 0 when r is not a positive finite number.
double TickStep(double r, double a, double b);
// The x step, doubled below 250 and again below 100 pixels of width.
double XTickStep(double r, int width);
// The y step, doubled below 120 pixels of height.
double YTickStep(double r, int height);
// The y step of the residual strip, whose ranges below 1 take the decade by floor.
double ResidualYTickStep(double r, int height);

// Tick values from the first multiple of step at or above min while <= max,
// by accumulated sums. Empty for a step that is not positive and finite;
// never more than MaxTicks values, and it stops where adding the step no
// longer moves the value.
constexpr std::size_t MaxTicks = 1000;
std::vector<double> TickValues(double min, double max, double step);

// Axis label: general format with 5 significant digits, fixed notation from
// 0.00001 up to 5 digits before the point, otherwise d.ddddE-xx with at
// least 2 exponent digits; trailing zeros dropped. "." always.
std::string FormatTickLabel(double v);

// The arrays a plot borrows.
struct PlotArrays {
    int NumCurves = 0;
    double** Data = nullptr;
    double** Sim = nullptr;
    double** Time = nullptr;
    int** PointFlags = nullptr;
    bool* Excluded = nullptr;
    int* PointCount = nullptr;
    double* InjStart = nullptr;
    double* InjStop = nullptr;
    double* RefIndex = nullptr;

    int Count(int k) const { return PointCount && PointCount[k] > 0 ? PointCount[k] : 0; }
    bool IsExcluded(int k) const { return Excluded && Excluded[k]; }
    int Flags(int k, int i) const { return PointFlags && PointFlags[k] ? PointFlags[k][i] : 0; }
    // Measured value as drawn: less the refractive-index step of the edited
    // injection while its window (both ends included) holds the point's time.
    double Shown(int k, int i) const;
};

// Data range of a plot, each bound widened by 10 % of its own magnitude.
// Non-finite values take no part. False when nothing can be drawn: no
// points, a zero span, or bounds that overflow.
bool DataRange(const PlotArrays& a, bool showData, bool showSim, PlotFrame& f);
// Largest |Data - Sim| over the included curves from their second point on
// (0 when there is none), and their time range (false when there is none).
double ResidualMax(const PlotArrays& a);
bool ResidualTimeRange(const PlotArrays& a, double& xmin, double& xmax);

// The included curve with the point nearest to (x0, y0) in data units, the
// earliest on a tie; 0 when there is none. Values as drawn: corrected in the
// injection dialog, residuals when showRes, else measured.
int FindClosestSens(const PlotArrays& a, bool showRes, double x0, double y0);
// The point of curve k nearest to (x0, y0) in data units (corrected values,
// deleted points included); -1 when there is none.
int FindClosestPoint(const PlotArrays& a, int k, double x0, double y0);

// A rectangle of pixels, right and bottom edges excluded.
struct PixelBox {
    int left = 0, top = 0, right = 0, bottom = 0;
    // Whether a figure reaching this far around (x, y) can touch the box.
    bool Touches(int x, int y, int reach) const {
        return x + reach >= left && x - reach < right && y + reach >= top && y - reach < bottom;
    }
};

// Builds the pixel path of one polyline. Points that fall on the pixel
// column of the previous one are merged into its first, lowest, highest and
// last points: the line through them covers the same pixels, so dense curves
// draw fast without any visible change. Segments reaching far outside the
// surface are cut at PixelLimit along their own direction.
struct PixelPoint {
    int x, y;
    friend constexpr bool operator==(PixelPoint, PixelPoint) = default;
};

class PolylineBuilder {
public:
    void Clear();
    // Starts a new piece at the unrounded pixel position.
    void MoveTo(double px, double py);
    void LineTo(double px, double py);
    bool HasPen() const { return hasPen_; }
    // Pieces made so far; each holds at least two points.
    const std::vector<std::vector<PixelPoint>>& Pieces();

private:
    void Add(PixelPoint p);
    void FlushColumn();
    void NewPiece(PixelPoint p);
    void EndPiece();

    std::vector<std::vector<PixelPoint>> pieces_;
    std::vector<PixelPoint> current_;
    double penX_ = 0, penY_ = 0;
    bool hasPen_ = false;
    bool open_ = false;
    // The column being gathered: its first, lowest, highest and last points.
    PixelPoint first_{}, low_{}, high_{}, last_{};
    bool lowFirst_ = true;
    bool inColumn_ = false;
};

// Columns and rows of n plots tiled on a page or panel: columns the square root of n
// rounded half up, rows enough for all. No plots, no grid (0 x 0).
struct TGridSize {
    int Columns = 0, Rows = 0;
    bool operator==(const TGridSize&) const = default;
};
TGridSize OnePageGrid(int n);

} // namespace kivra
