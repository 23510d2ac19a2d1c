#include "widgets/histogram.h"

#include <QPainter>
#include <algorithm>

namespace kivra {
namespace {

// Place of mark k of the 21 along an axis from left to right.
int Mark(int left, int right, int k) { return left + (right - left) * k / 20; }

// Bars 1 to 18 span Low to High, so Low stands at mark 1, Centre at mark 10
// and High at mark 19; those marks are the long ones.
constexpr int LowMark = 1, CentreMark = 10, HighMark = 19;
bool LongMark(int k) { return k == LowMark || k == CentreMark || k == HighMark; }

// The three range labels at their marks: Low starts there, Centre is
// centred on it, High ends there.
void DrawRangeLabels(Canvas& c, const THistogramCore& h, int left, int right, int y) {
    const std::string low = HistogramNumber(h.Low), centre = HistogramNumber(h.Centre),
                      high = HistogramNumber(h.High);
    c.TextOut(Mark(left, right, LowMark), y, low);
    c.TextOut(Mark(left, right, CentreMark) - c.TextWidth(centre) / 2, y, centre);
    c.TextOut(Mark(left, right, HighMark) - c.TextWidth(high), y, high);
}

// The largest bar reaches the top; fewer than 10 results keep the scale of 10.
double BarScale(const THistogramCore& h, int height) {
    const int m = std::max(10, *std::max_element(h.Bins, h.Bins + HistogramBins));
    return static_cast<double>(height) / m;
}

bool OuterBar(int k) { return k == 0 || k == HistogramBins - 1; }

} // namespace

THistogram::THistogram(QWidget* parent, int capacity, const std::string& title)
    : QWidget(parent), THistogramCore(capacity, title) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void THistogram::ResultAdded() {
    // Each cycle's result shows at once, not at the next idle pass.
    Paint();
    repaint();
}

void THistogram::Paint() {
    Buffer = NewBitmap(width(), height());
    if (Buffer.isNull()) return;
    Canvas c(&Buffer);
    Draw(c, width(), height());
}

void THistogram::paintEvent(QPaintEvent*) {
    if (Buffer.size() != size()) Paint();
    QPainter p(this);
    p.drawImage(0, 0, Buffer);
}

void THistogram::resizeEvent(QResizeEvent*) { Buffer = QImage(); }

void THistogram::Draw(Canvas& c, int w, int h) {
    c.pen = Pen{};
    c.brush = Brush{colors::Yellow, BrushStyle::Solid};
    c.FillRect(0, 0, 4, h);
    c.FillRect(0, 0, w, 3);
    c.FillRect(w - 3, 0, w, h);
    c.FillRect(0, h - 3, w, h);

    // The largest font up to 20 points whose title band and plot fit.
    c.font = Font{};
    c.font.size = 20;
    const int b20 = std::max(1, c.TextHeight("B"));
    const int size = std::max(1, std::min({w / b20, 10 * h / (3 * b20), 20}));
    c.font.size = size;
    const int th = c.TextHeight("B");

    c.pen = Pen{colors::Black};
    c.brush = Brush{colors::Silver, BrushStyle::Solid};
    c.Rectangle(3, 4, w - 3, th + 5);
    c.brush = Brush{colors::White, BrushStyle::Solid};
    c.Rectangle(3, th + 4, w - 3, h - 3);

    const std::string header = HeaderText();
    const int hx = w - 6 - c.TextWidth(header);
    c.brush.style = BrushStyle::Clear;
    c.font.color = colors::Blue;
    if (c.TextWidth(Title) > hx - 26) {
        c.SetClipRect(0, 0, hx - 20, th + 4);
        c.TextOut(6, 5, Title);
        c.ClearClip();
        c.TextOut(hx - 20, 5, "...");
    } else {
        c.TextOut(6, 5, Title);
    }
    c.font.color = colors::Black;
    c.TextOut(hx, 5, header);
    if (Count < 1) return;

    const int left = 10, right = w - 10, axisY = h - (th + 4), barTop = 2 * (th + 4);
    c.MoveTo(left, axisY);
    c.LineTo(right, axisY);
    for (int k = 0; k <= 20; ++k) {
        const int x = Mark(left, right, k);
        c.MoveTo(x, axisY);
        c.LineTo(x, axisY + (LongMark(k) ? 4 : 2));
    }
    c.font.size = std::max(1, size - 2);
    DrawRangeLabels(c, *this, left, right, axisY + (h - axisY - c.TextHeight("0")) / 2);

    const double scale = BarScale(*this, axisY - barTop);
    for (int k = 0; k < HistogramBins; ++k) {
        c.brush = Brush{OuterBar(k) ? colors::Maroon : colors::Red, BrushStyle::Solid};
        c.Rectangle(Mark(left, right, k), axisY - static_cast<int>(Bins[k] * scale),
                    Mark(left, right, k + 1) + 1, axisY + 1);
    }
}

void THistogram::Print(Canvas& c, int left, int top, int width, int height, int dataPenWidth,
                       int framePenWidth, bool useColor) {
    if (Count < 1) return;
    c.font = Font{};
    c.font.size = 10;
    const int lh = 4 * c.TextHeight("0") / 3;
    const int dw = c.TextWidth("0");

    int right = left + width - width / 20;
    int bottom = top + height - height / 20;
    top += height / 20;
    c.pen = Pen{colors::Black, framePenWidth};
    c.MoveTo(left, top);
    c.LineTo(left, bottom);
    c.LineTo(right, bottom);
    c.LineTo(right, top);
    c.LineTo(left, top);
    top += lh;
    bottom -= lh;
    c.MoveTo(left, top);
    c.LineTo(right, top);
    c.MoveTo(left, bottom);
    c.LineTo(right, bottom);

    c.brush.style = BrushStyle::Clear;
    c.font.color = colors::Black;
    const int textY = (top - lh + top) / 2 - c.TextHeight("0") / 2;
    const std::string header = HeaderText();
    c.TextOut(right - dw - c.TextWidth(header), textY, header);
    c.SetClipRect(left + dw, top - lh, (left + right) / 2, top);
    c.TextOut(left + dw, textY, Title);
    c.ClearClip();

    left += width / 20;
    right -= width / 20;
    top += lh;
    c.MoveTo(left, bottom);
    c.LineTo(right, bottom);
    for (int k = 0; k <= 20; ++k) {
        const int x = Mark(left, right, k);
        c.MoveTo(x, bottom);
        c.LineTo(x, bottom + (LongMark(k) ? lh / 8 : lh / 16));
    }
    DrawRangeLabels(c, *this, left, right, bottom + (lh - c.TextHeight("0")) / 2);

    const double scale = BarScale(*this, bottom - top);
    c.pen = Pen{colors::Black, dataPenWidth};
    for (int k = 0; k < HistogramBins; ++k) {
        const Color hatch = useColor ? (OuterBar(k) ? colors::Maroon : colors::Red)
                                     : (OuterBar(k) ? colors::White : colors::Black);
        c.brush = Brush{hatch, BrushStyle::DiagCross};
        c.Rectangle(Mark(left, right, k), bottom - static_cast<int>(Bins[k] * scale),
                    Mark(left, right, k + 1) + 1, bottom + 1);
    }
}

} // namespace kivra
