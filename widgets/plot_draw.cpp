// The drawing routines of TPlot: axes, curves, simulations, residuals and
// printing. They take any canvas, so the screen picture, images and printed
// pages come from the same code.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "widgets/plot.h"
#include "engine/numeric/numformat.h"
#include "engine/dataset/senstab_core.h"

namespace kivra {
namespace {

constexpr Color ResidualPalette[10] = {colors::Aqua,   colors::Red,   colors::Green,
                                       colors::Fuchsia, colors::Yellow, colors::Lime,
                                       colors::Olive,  colors::Purple, colors::Teal,
                                       colors::Navy};

bool ValidSpan(double lo, double hi) { return hi != lo && std::isfinite(hi - lo); }

// Lines and markers of one pen colour, drawn together when the colour
// changes or the stroke ends; within one colour the order of lines and
// markers does not change the picture.
class Stroke {
public:
    Stroke(Canvas& c, Color colour, int markerSize, PixelBox box)
        : c_(c), colour_(colour), size_(markerSize), box_(box) {}
    ~Stroke() { Flush(); }
    Stroke(const Stroke&) = delete;
    Stroke& operator=(const Stroke&) = delete;

    void SetColour(Color colour) {
        if (colour == colour_) return;
        Flush();
        colour_ = colour;
        if (has_) lines_.MoveTo(x_, y_);
    }
    void MoveTo(double x, double y) {
        if (!(has_ && x == x_ && y == y_)) lines_.MoveTo(x, y);
        x_ = x;
        y_ = y;
        has_ = true;
    }
    void LineTo(double x, double y) {
        lines_.LineTo(x, y);
        x_ = x;
        y_ = y;
        has_ = true;
    }
    // A marker at the pen position; one exactly on the previous one or
    // wholly outside the clip box would change no pixel.
    void Mark() {
        const Point p{TruncPixel(x_), TruncPixel(y_)};
        if (!marks_.empty() && marks_.back() == p) return;
        if (!box_.Touches(p.x, p.y, size_ + c_.pen.width + 1)) return;
        marks_.push_back(p);
    }
    void Flush() {
        c_.pen.color = colour_;
        for (const auto& piece : lines_.Pieces()) {
            pts_.resize(piece.size());
            for (std::size_t i = 0; i < piece.size(); ++i) pts_[i] = {piece[i].x, piece[i].y};
            c_.Polyline(pts_.data(), pts_.size());
        }
        for (Point p : marks_) {
            c_.MoveTo(p.x, p.y);
            TPlot::DrawPoint(c_, size_);
        }
        lines_.Clear();
        marks_.clear();
    }

private:
    Canvas& c_;
    Color colour_;
    int size_;
    PixelBox box_;
    PolylineBuilder lines_;
    std::vector<Point> marks_;
    std::vector<Point> pts_;
    double x_ = 0, y_ = 0;
    bool has_ = false;
};

std::string CurveOfText(int curve, int numCurves) {
    return std::to_string(curve + 1) + " of " + std::to_string(numCurves);
}

// Tick values with the rounding dust of the accumulated sums around zero removed.
std::vector<double> SnappedTicks(double min, double max, double step) {
    std::vector<double> ticks = TickValues(min, max, step);
    for (double& v : ticks)
        if (std::fabs(v) < 0.1 * step) v = 0;
    return ticks;
}

} // namespace

void TPlot::DrawPoint(Canvas& c, int size) {
    const Point p = c.PenPos();
    const Point pts[5] = {{p.x, p.y + size}, {p.x - size, p.y}, {p.x, p.y - size}, {p.x + size, p.y},
                          {p.x, p.y + size}};
    c.Polyline(pts, 5);
    c.MoveTo(p.x, p.y);
}

void TPlot::DrawYTicks(Canvas& c, const std::vector<double>& ticks,
                       const std::vector<std::string>& labels, int tz, int th) {
    const int left = TruncPixel(F.XLeft), end = TruncPixel(F.XLeft - tz / 3);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const double v = ticks[i];
        const int py = PixelY(F, v);
        c.MoveTo(left, py);
        c.LineTo(end, py);
        c.TextOut(TruncPixel(F.XLeft - tz - c.TextWidth(labels[i])),
                  TruncPixel((v - F.YMin) * F.YScale + F.YBottom - th / 2), labels[i]);
    }
}

void TPlot::DrawXTicks(Canvas& c, bool labels, int tz, int th) {
    int end = 0;  // right end of the last label written, plus a gap
    const int bottom = TruncPixel(F.YBottom), tickEnd = TruncPixel(F.YBottom + tz / 3);
    for (double v : TickValues(F.XMin, F.XMax, F.XStep)) {
        const double px = PixelPosX(F, v);
        const int ipx = TruncPixel(px);
        c.MoveTo(ipx, bottom);
        c.LineTo(ipx, tickEnd);
        if (!labels) continue;
        const std::string s = FormatTickLabel(v);
        const int half = c.TextWidth(s) / 2;
        if (px - half > end) {
            c.TextOut(TruncPixel(px - half), TruncPixel(F.YBottom + th / 2), s);
            end = TruncPixel(px + half + tz);
        }
    }
}

void TPlot::DrawFrame(Canvas& c) {
    const int l = TruncPixel(F.XLeft), r = TruncPixel(F.XRight);
    const int t = TruncPixel(F.YTop), b = TruncPixel(F.YBottom);
    const Point pts[5] = {{l, b}, {l, t}, {r, t}, {r, b}, {l, b}};
    c.Polyline(pts, 5);
}

void TPlot::DrawTitle(Canvas& c, const std::string& text) {
    if (text.empty()) return;
    c.TextOut(TruncPixel(F.XLeft + 2 + c.TextWidth("0")), TruncPixel(F.YTop + 2), text);
}

void TPlot::NoFrame() {
    F.XScale = 0;
    F.YScale = 0;
}

// ---- Plot ---------------------------------------------------------------------------

void TPlot::Plot(Canvas& c, int x, int y, int w, int h, bool printing) {
    const bool showData = ShowData && A.Data && A.Time;
    const bool showSim = ShowSim && A.Sim && A.Time;
    PlotFrame range = F;
    const bool found = DataRange(A, showData, showSim, range);
    if (!IsZoomed) {
        F.XMin = range.XMin;
        F.XMax = range.XMax;
        F.YMin = range.YMin;
        F.YMax = range.YMax;
    } else {
        F.XMin = ZoomRange.XMin;
        F.XMax = ZoomRange.XMax;
        F.YMin = ZoomOnResiduals ? range.YMin : ZoomRange.YMin;
        F.YMax = ZoomOnResiduals ? range.YMax : ZoomRange.YMax;
    }
    if ((!IsZoomed || ZoomOnResiduals) && !found) return NoFrame();
    if (!ValidSpan(F.XMin, F.XMax) || !ValidSpan(F.YMin, F.YMax)) return NoFrame();

    F.XStep = XTickStep(F.XMax - F.XMin, w);
    const double yStep = YTickStep(F.YMax - F.YMin, h);

    c.font = Font{};
    c.font.size = std::min(w, h) / (printing ? 200 : 80) + 6;
    const std::vector<double> yTicks = SnappedTicks(F.YMin, F.YMax, yStep);
    std::vector<std::string> yLabels;
    int labelWidth = 0;
    for (double v : yTicks) {
        yLabels.push_back(FormatTickLabel(v));
        labelWidth = std::max(labelWidth, c.TextWidth(yLabels.back()));
    }
    const int tz = c.TextWidth("0"), th = c.TextHeight("0");

    F.YTop = y + th;
    F.YBottom = y + h - 2 * th;
    F.XLeft = x + labelWidth + 2 * th;
    F.XRight = x + w - th;
    if (F.XRight - F.XLeft < 1 || F.YBottom - F.YTop < 1) return NoFrame();  // no room
    F.XScale = (F.XRight - F.XLeft) / (F.XMax - F.XMin);
    F.YScale = (F.YTop - F.YBottom) / (F.YMax - F.YMin);
    const int left = TruncPixel(F.XLeft), right = TruncPixel(F.XRight);
    const int top = TruncPixel(F.YTop), bottom = TruncPixel(F.YBottom);

    c.pen = Pen{Colour ? colors::Silver : colors::Black, 1};
    const int y0 = TruncPixel(F.YBottom - F.YMin * F.YScale);
    if (top < y0 && y0 < bottom - 1) {
        c.MoveTo(left, y0);
        c.LineTo(right, y0);
    }
    const int x0 = TruncPixel(F.XLeft - F.XMin * F.XScale);
    if (left < x0 && x0 < right - 1) {
        c.MoveTo(x0, bottom);
        c.LineTo(x0, top);
    }

    c.pen = Pen{colors::Black, FramePenWidth};
    c.brush = Brush{colors::White, BrushStyle::Clear};
    DrawYTicks(c, yTicks, yLabels, tz, th);
    DrawXTicks(c, true, tz, th);
    DrawFrame(c);

    c.pen.width = DataPenWidth;
    const PixelBox box{left, top, right, bottom};
    c.SetClipRect(left, top, right, bottom);
    if (showData) DrawCurves(c, printing, std::max(2, w / 150), box);
    if (showSim) DrawSimulation(c, box);
    c.ClearClip();

    c.font.size += 2;
    c.font.color = Colour ? colors::Blue : colors::Black;
    if (ShowTitle)
        DrawTitle(c, CurrCurve == -1 ? Title : Title + ": " + CurveOfText(CurrCurve, A.NumCurves));
    else if (CurrCurve != -1)
        DrawTitle(c, CurveOfText(CurrCurve, A.NumCurves));

    if (CurrCurve >= 0 && ShowTimeLines && Colour && CurveOk(CurrCurve)) {
        if (A.InjStart) {
            StartPos = LinePosition(A.InjStart[CurrCurve]);
            if (StartPos >= 0) DrawTimeLine(c, StartPos, colors::Lime, DataPenWidth);
        }
        if (A.InjStop) {
            StopPos = LinePosition(A.InjStop[CurrCurve]);
            if (StopPos >= 0) DrawTimeLine(c, StopPos, colors::Red, DataPenWidth);
        }
    }
}

void TPlot::DrawCurves(Canvas& c, bool printing, int markerSize, const PixelBox& box) {
    // Points whose time or value is not a number take no part in the line.
    auto at = [this](int k, int i, double& px, double& py) {
        const double t = A.Time[k][i], v = A.Shown(k, i);
        if (!std::isfinite(t) || !std::isfinite(v)) return false;
        px = PixelPosX(F, t);
        py = PixelPosY(F, v);
        return true;
    };
    auto rowsOk = [this](int k) { return A.Time[k] && A.Data[k]; };
    double px = 0, py = 0;

    // In the injection dialog the other curves stay in view, in grey, behind the one shown.
    if (A.RefIndex && !printing && CurrCurve >= 0) {
        Stroke grey(c, colors::Silver, markerSize, box);
        for (int k = 0; k < A.NumCurves; ++k) {
            if (k == CurrCurve || A.IsExcluded(k) || !rowsOk(k)) continue;
            bool started = false;
            for (int i = 0, n = A.Count(k); i < n; ++i) {
                if ((A.Flags(k, i) & PointDeleted) || !at(k, i, px, py)) continue;
                if (started) {
                    grey.LineTo(px, py);
                } else {
                    grey.MoveTo(px, py);
                    started = true;
                }
            }
        }
    }

    for (int k = 0; k < A.NumCurves; ++k) {
        if (!CurveShown(k) || !rowsOk(k)) continue;
        const int n = A.Count(k);
        if (A.RefIndex) {
            Stroke aqua(c, colors::Aqua, markerSize, box);
            double qx = 0, qy = 0;
            for (int i = 0; i + 1 < n; ++i) {
                const int f = A.Flags(k, i);
                if (!((f | A.Flags(k, i + 1)) & PointDeleted)) continue;
                if (!at(k, i, px, py) || !at(k, i + 1, qx, qy)) continue;
                aqua.MoveTo(px, py);
                if ((f & PointDeleted) && IsZoomed) aqua.Mark();
                aqua.LineTo(qx, qy);
            }
        }
        int i = 0;
        while (i < n && ((A.Flags(k, i) & PointDeleted) || !at(k, i, px, py))) ++i;
        if (i == n) continue;
        Stroke line(c, colors::Black, markerSize, box);
        line.MoveTo(px, py);
        if (IsZoomed) line.Mark();
        for (++i; i < n; ++i) {
            const int f = A.Flags(k, i);
            if ((f & PointHidden) || !at(k, i, px, py)) continue;
            if (f & PointAfterGap) line.SetColour(colors::Blue);
            if (!(f & PointDeleted)) line.LineTo(px, py);
            if (f & PointAfterGap) line.SetColour(colors::Black);
            if (IsZoomed) line.Mark();
        }
    }
}

void TPlot::DrawSimulation(Canvas& c, const PixelBox& box) {
    Stroke line(c, Colour ? colors::Red : colors::Black, 0, box);
    for (int k = 0; k < A.NumCurves; ++k) {
        if (!CurveShown(k) || !A.Time[k] || !A.Sim[k]) continue;
        bool started = false;
        for (int i = 0, n = A.Count(k); i < n; ++i) {
            const double t = A.Time[k][i], v = A.Sim[k][i];
            if (!std::isfinite(t) || !std::isfinite(v)) continue;
            if (started) {
                line.LineTo(PixelPosX(F, t), PixelPosY(F, v));
            } else {
                line.MoveTo(PixelPosX(F, t), PixelPosY(F, v));
                started = true;
            }
        }
    }
}

// ---- Residual -----------------------------------------------------------------------

void TPlot::Residual(Canvas& c, int x, int y, int w, int h, bool printing, bool underPlot) {
    if (!A.Data || !A.Sim || !A.Time) return NoFrame();
    if (underPlot && F.XScale == 0) return NoFrame();  // the plot above drew nothing
    if (IsZoomed && ZoomOnResiduals) {
        // A zoom chosen on this view keeps its range as chosen.
        F.YMin = ZoomRange.YMin;
        F.YMax = ZoomRange.YMax;
    } else {
        const double m = ResidualMax(A);
        if (m == 0) return NoFrame();
        F.YMax = m + std::fabs(0.1 * m);
        F.YMin = -F.YMax;
    }
    if (!ValidSpan(F.YMin, F.YMax)) return NoFrame();
    if (!underPlot) {
        if (IsZoomed) {
            F.XMin = ZoomRange.XMin;
            F.XMax = ZoomRange.XMax;
        } else if (!ResidualTimeRange(A, F.XMin, F.XMax)) {
            return NoFrame();
        }
        if (!ValidSpan(F.XMin, F.XMax)) return NoFrame();
    }

    double yStep = ResidualYTickStep(F.YMax - F.YMin, h);
    c.font = Font{};
    c.font.size = std::min(w, h) / (printing ? 200 : 80) + 6;
    auto labelsOf = [](const std::vector<double>& ticks) {
        std::vector<std::string> labels;
        for (double v : ticks) labels.push_back(FormatValue("", v));
        return labels;
    };
    std::vector<double> yTicks = SnappedTicks(F.YMin, F.YMax, yStep);
    std::vector<std::string> yLabels = labelsOf(yTicks);
    int labelWidth = 0;
    for (const auto& s : yLabels) labelWidth = std::max(labelWidth, c.TextWidth(s));
    const int tz = c.TextWidth("0"), th = c.TextHeight("0");

    F.YTop = y + th;
    F.YBottom = y + h - (underPlot ? 0 : 2 * th);
    if (F.YBottom - F.YTop < 1) return NoFrame();
    F.YScale = (F.YTop - F.YBottom) / (F.YMax - F.YMin);
    if (std::fabs(yStep * F.YScale) < th) {
        yStep *= 2;
        yTicks = SnappedTicks(F.YMin, F.YMax, yStep);
        yLabels = labelsOf(yTicks);
    }
    F.YBottom -= 4;
    F.YTop -= 4;
    if (!underPlot) {
        F.XStep = XTickStep(F.XMax - F.XMin, w);
        F.XLeft = x + labelWidth + (3 * th) / 2;
        F.XRight = x + w - th;
        if (F.XRight - F.XLeft < 1) return NoFrame();
        F.XScale = (F.XRight - F.XLeft) / (F.XMax - F.XMin);
        F.XLeft += 5;
        F.XRight += 5;
    }
    const int left = TruncPixel(F.XLeft), right = TruncPixel(F.XRight);
    const int top = TruncPixel(F.YTop), bottom = TruncPixel(F.YBottom);

    c.pen = Pen{colors::Silver, 1};
    const int y0 = TruncPixel(F.YBottom - F.YMin * F.YScale);
    c.MoveTo(left, y0);
    c.LineTo(right, y0);

    c.pen = Pen{colors::Black, FramePenWidth};
    c.brush = Brush{colors::White, BrushStyle::Clear};
    DrawYTicks(c, yTicks, yLabels, tz, th);
    DrawXTicks(c, !underPlot, tz, th);
    DrawFrame(c);
    c.SetClipRect(left, top, right, bottom);
    DrawResidualMarkers(c, printing, w, PixelBox{left, top, right, bottom});
    c.ClearClip();

    c.brush = Brush{colors::White, BrushStyle::Clear};
    c.font.size += 2;
    c.font.color = colors::Blue;
    if (underPlot) return;
    if (ShowTitle)
        DrawTitle(c, CurrCurve == -1 ? Title + ": Residuals "
                                     : Title + ": Residuals " + CurveOfText(CurrCurve, A.NumCurves));
    else
        DrawTitle(c, CurrCurve == -1 ? "Residuals" : "Residuals " + CurveOfText(CurrCurve, A.NumCurves));
}

void TPlot::DrawResidualMarkers(Canvas& c, bool printing, int w, const PixelBox& box) {
    int s = w / 150;
    if (printing) s /= 2;
    s = std::max(1, s);
    c.pen = Pen{colors::Black, 1};
    const Point diamond[4] = {{0, -s}, {s, 0}, {0, s}, {-s, 0}};
    // A marker drawn again later at the same place covers every pixel of the
    // earlier one, so only the last marker of a curve at each place is drawn.
    // "seen" marks places over the clip box and a margin of one marker.
    const int margin = s + 2;
    const long long gw = static_cast<long long>(box.right - box.left) + 2 * margin;
    const long long gh = static_cast<long long>(box.bottom - box.top) + 2 * margin;
    const bool useGrid = gw > 0 && gh > 0 && gw * gh <= (1LL << 26);
    std::vector<std::uint8_t> seen(useGrid ? static_cast<std::size_t>(gw * gh) : 0);
    std::vector<Point> places;
    for (int k = 0; k < A.NumCurves; ++k) {
        if (!CurveShown(k) || !A.Time[k] || !A.Data[k] || !A.Sim[k]) continue;
        places.clear();
        for (int i = A.Count(k) - 1; i >= 0; --i) {
            const double t = A.Time[k][i], r = A.Data[k][i] - A.Sim[k][i];
            if (!std::isfinite(t) || !std::isfinite(r)) continue;
            const Point p{PixelX(F, t), PixelY(F, r)};
            if (!box.Touches(p.x, p.y, margin - 1)) continue;
            if (useGrid) {
                auto& cell = seen[static_cast<std::size_t>((p.y - box.top + margin) * gw +
                                                           (p.x - box.left + margin))];
                if (cell) continue;
                cell = 1;
            }
            places.push_back(p);
        }
        if (useGrid)
            for (Point p : places)
                seen[static_cast<std::size_t>((p.y - box.top + margin) * gw + (p.x - box.left + margin))] = 0;
        c.brush = Brush{ResidualPalette[k % 10], BrushStyle::Solid};
        std::reverse(places.begin(), places.end());
        c.Figures(diamond, 4, places.data(), places.size());
    }
}

// ---- Print --------------------------------------------------------------------------

bool TPlot::Print(Canvas& c, int x, int y, int w, int h, int dataPenWidth, int framePenWidth, int flags) {
    const bool data = flags & PrintData, sim = flags & PrintSim, res = flags & PrintResiduals;
    if (!((data && ShowData) || (sim && ShowSim) || (res && ShowData && ShowSim))) return false;

    const int savedCurve = CurrCurve;
    const PlotFrame savedFrame = F;
    const bool savedRes = ShowRes, savedZoom = IsZoomed, savedData = ShowData, savedSim = ShowSim,
               savedTitle = ShowTitle;
    // The time lines on screen stay where the screen picture has them.
    const int savedStart = StartPos, savedStop = StopPos;

    if (!(flags & PrintKeepView)) {
        IsZoomed = false;
        CurrCurve = -1;
    }
    Colour = flags & PrintColour;
    DataPenWidth = dataPenWidth;
    FramePenWidth = framePenWidth;
    const bool both = ShowData && ShowSim;
    ShowData = ShowData && data;
    ShowSim = ShowSim && sim;

    if (!res || !both) {
        Plot(c, x, y, w, h, true);
    } else if (!ShowData && !ShowSim) {
        Residual(c, x, y, w, h, true, false);
    } else {
        const int q = h / 4;
        Plot(c, x, y + q, w, h - q, true);
        ShowTitle = false;
        Residual(c, x, y, w, q, true, true);
    }

    CurrCurve = savedCurve;
    F = savedFrame;
    ShowRes = savedRes;
    IsZoomed = savedZoom;
    ShowData = savedData;
    ShowSim = savedSim;
    ShowTitle = savedTitle;
    StartPos = savedStart;
    StopPos = savedStop;
    Colour = true;
    DataPenWidth = FramePenWidth = 1;
    return true;
}

} // namespace kivra
