#include "widgets/plot.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "engine/numeric/numformat.h"
#include "engine/dataset/senstab_core.h"

namespace kivra {

TPlot::TPlot(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    ClearFlags();
}

void TPlot::SetDataPtrs(int nCurves, double** data, double** sim, double** time, int** flags,
                        bool* excluded, int* counts, double* start, double* stop, double* ri) {
    nCurves = std::max(0, nCurves);
    if (nCurves == A.NumCurves && data == A.Data && time == A.Time && flags == A.PointFlags &&
        excluded == A.Excluded && counts == A.PointCount && start == A.InjStart &&
        stop == A.InjStop && ri == A.RefIndex)
        return;
    A = PlotArrays{nCurves, data, sim, time, flags, excluded, counts, start, stop, ri};
    ClearFlags();
    ShowData = ShowSim = false;
    RequestRepaint();
}

void TPlot::ClearFlags() {
    ShowRes = false;
    CurrCurve = -1;
    SelCorner1 = SelCorner2 = {-1, -1};
    // A drag cannot go on without its anchor.
    Dragging = false;
    RequestRepaint();
}

int TPlot::FindClosestSens(int x, int y) const {
    return kivra::FindClosestSens(A, ShowRes, DataX(F, x), DataY(F, y));
}

void TPlot::FindClosestCurve() {
    if (!Shown()) return;
    if (SelCorner1.x >= 0)
        SetCurve(FindClosestSens((SelCorner1.x + SelCorner2.x) / 2, (SelCorner1.y + SelCorner2.y) / 2));
    else
        SetCurve(0);
}

// ---- properties -------------------------------------------------------------------

void TPlot::SetTitle(const std::string& title) {
    Title = title;
    ShowTitle = true;
}

void TPlot::SetRes(bool v) {
    if (v == ShowRes) return;
    ShowRes = A.Time && ShowData && ShowSim && v;
    RequestRepaint();
}

void TPlot::SetViewFlag(bool& flag, bool v) {
    if (v == flag) return;
    flag = v;
    RequestRepaint();
}

void TPlot::SetShowTitle(bool v) { SetViewFlag(ShowTitle, v); }
void TPlot::SetShowData(bool v) { SetViewFlag(ShowData, v); }
void TPlot::SetShowSim(bool v) { SetViewFlag(ShowSim, v); }
void TPlot::SetTimeLines(bool v) { SetViewFlag(ShowTimeLines, v); }

void TPlot::SetCurve(int n) {
    if (n == CurrCurve) return;
    const int old = CurrCurve;
    if (n >= A.NumCurves) n = 0;
    CurrCurve = n;
    if (OnCurveChange) OnCurveChange(this, old, CurrCurve);
    RequestRepaint();
}

double TPlot::GetSelX1() const { return DataX(F, SelCorner1.x); }
double TPlot::GetSelY1() const { return DataY(F, SelCorner1.y); }
double TPlot::GetSelX2() const { return DataX(F, SelCorner2.x); }
double TPlot::GetSelY2() const { return DataY(F, SelCorner2.y); }

// ---- zoom -----------------------------------------------------------------------

bool TPlot::GetZoomable() const {
    if (!HasScales()) return false;
    auto clip = [](int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); };
    const int l = TruncPixel(F.XLeft), r = TruncPixel(F.XRight);
    const int t = TruncPixel(F.YTop), b = TruncPixel(F.YBottom);
    const int x1 = clip(SelCorner1.x, l, r), x2 = clip(SelCorner2.x, l, r);
    const int y1 = clip(SelCorner1.y, t, b), y2 = clip(SelCorner2.y, t, b);
    return std::fabs((x2 - x1) / F.XScale) >= 2.0 && std::fabs((y2 - y1) / F.YScale) >= 1.0;
}

void TPlot::SetZoomed(bool v) {
    if (!Shown()) return;
    if (v && HasScales()) {
        // Without a usable selection the range would collapse to a point.
        if (!GetZoomable()) return;
        const int left = std::max(std::min(SelCorner1.x, SelCorner2.x), TruncPixel(F.XLeft));
        const int top = std::max(std::min(SelCorner1.y, SelCorner2.y), TruncPixel(F.YTop));
        const int right = std::min(std::max(SelCorner1.x, SelCorner2.x), TruncPixel(F.XRight));
        const int bottom = std::min(std::max(SelCorner1.y, SelCorner2.y), TruncPixel(F.YBottom));
        const PlotFrame old = F;
        F.XMax = DataX(old, right);
        F.XMin = DataX(old, left);
        F.YMax = DataY(old, top);
        F.YMin = DataY(old, bottom);
        ZoomRange = F;
        ZoomOnResiduals = ResidualView();
        IsZoomed = true;
        RequestRepaint();
        return;
    }
    IsZoomed = false;
    RequestRepaint();
}

// ---- time lines -------------------------------------------------------------------

double TPlot::GetStartValue() const {
    return CurveOk(CurrCurve) && A.InjStart ? A.InjStart[CurrCurve] : 0;
}

double TPlot::GetStopValue() const { return CurveOk(CurrCurve) && A.InjStop ? A.InjStop[CurrCurve] : 0; }

void TPlot::SetStartValue(double t) { SetLineValue(A.InjStart, StartPos, colors::Lime, t); }
void TPlot::SetStopValue(double t) { SetLineValue(A.InjStop, StopPos, colors::Red, t); }
void TPlot::SetStartPos(int p) { SetLinePos(A.InjStart, StartPos, colors::Lime, p); }
void TPlot::SetStopPos(int p) { SetLinePos(A.InjStop, StopPos, colors::Red, p); }

int TPlot::LinePosition(double t) const {
    const int p = PixelX(F, t);
    if (p <= F.XLeft) return -1;
    if (p >= F.XRight) return -2;
    return p;
}

void TPlot::DrawTimeLine(Canvas& c, int pos, Color colour, int width) const {
    c.pen = Pen{colour, width, PenStyle::Solid, PenMode::NotXor};
    c.MoveTo(pos, TruncPixel(F.YBottom));
    c.LineTo(pos, TruncPixel(F.YTop));
    c.pen.mode = PenMode::Copy;
}

void TPlot::SetLineValue(double* times, int& pos, Color colour, double t) {
    if (!CurveOk(CurrCurve) || !times || !ShowTimeLines || t == times[CurrCurve]) return;
    EnsurePicture();
    Canvas c(&Buffer);
    if (pos > 0) DrawTimeLine(c, pos, colour, 1);
    times[CurrCurve] = t;
    pos = LinePosition(t);
    if (pos >= 0) DrawTimeLine(c, pos, colour, 1);
    update();
}

void TPlot::SetLinePos(double* times, int& pos, Color colour, int p) {
    if (!CurveOk(CurrCurve) || !times || !ShowTimeLines || p == pos) return;
    EnsurePicture();
    Canvas c(&Buffer);
    if (pos > 0) DrawTimeLine(c, pos, colour, 1);
    if (p > F.XLeft && F.XScale != 0 && p < F.XRight) {
        pos = p;
        times[CurrCurve] = DataX(F, p);
        DrawTimeLine(c, pos, colour, 1);
    } else {
        pos = p >= F.XRight && F.XScale != 0 ? -2 : -1;
    }
    update();
}

// ---- painting ---------------------------------------------------------------------

void TPlot::RequestRepaint() {
    NeedsPaint = true;
    update();
}

void TPlot::Repaint() {
    PaintPicture();
    update();
}

void TPlot::PaintPicture() {
    NeedsPaint = false;
    // A repaint in the middle of a drag (a resize, new data) keeps the drag's
    // anchor; otherwise the selection is dropped with the old picture.
    const bool dragging = Dragging && SelCorner1.x >= 0;
    if (!dragging) SelCorner1 = SelCorner2 = {-1, -1};
    AnchorText.clear();
    CursorText.clear();
    // The new picture has no time lines until the drawing puts them there.
    StartPos = StopPos = -1;
    const int w = width(), h = height();
    Buffer = NewBitmap(w, h);
    if (Buffer.isNull()) return;
    Canvas c(&Buffer);
    c.brush = Brush{colors::Silver, BrushStyle::Solid};
    c.pen = Pen{colors::Silver};
    c.Rectangle(0, 0, w, h);
    c.brush.color = colors::White;
    c.pen.color = colors::White;
    c.Rectangle(4, 3, w - 2, h - 2);
    if (A.Time) {
        if (ResidualView())
            Residual(c, 0, 0, w, h, false, false);
        else if (Shown())
            Plot(c, 0, 0, w, h, false);
    }
    if (dragging) {
        DrawReadout(c, !(SelCorner1 == SelCorner2));
        DrawSelection(c);
    }
    if (OnPainted) OnPainted();
}

void TPlot::EnsurePicture() {
    if (Buffer.isNull() || Buffer.size() != size()) PaintPicture();
}

void TPlot::paintEvent(QPaintEvent*) {
    if (NeedsPaint || Buffer.size() != size()) PaintPicture();
    QPainter p(this);
    p.drawImage(0, 0, Buffer);
}

void TPlot::resizeEvent(QResizeEvent*) { NeedsPaint = true; }

// ---- mouse ------------------------------------------------------------------------

void TPlot::DrawSelection(Canvas& c) const {
    // Drawn in NotXor so that the same call takes it away again; a selection
    // of one point draws nothing, as the line to itself would be empty.
    if (SelCorner1.x < 0 || SelCorner1 == SelCorner2) return;
    const Point pts[5] = {SelCorner1, {SelCorner1.x, SelCorner2.y}, SelCorner2, {SelCorner2.x, SelCorner1.y},
                          SelCorner1};
    c.pen = Pen{colors::Grey, 1, PenStyle::Dot, PenMode::NotXor};
    c.Polyline(pts, 5);
    c.pen.mode = PenMode::Copy;
    c.pen.style = PenStyle::Solid;
}

void TPlot::SetReadoutFont(Canvas& c) const {
    c.font = Font{};
    c.font.size = std::min(width(), height()) / 80 + 6;
    c.brush = Brush{colors::White, BrushStyle::Solid};
}

std::string TPlot::CoordText(Point p) const {
    return FormatValue("", DataX(F, p.x)) + "  " + FormatValue("", DataY(F, p.y)) + " ";
}

void TPlot::EraseReadout(Canvas& c) {
    c.font.color = colors::White;
    const int right = TruncPixel(F.XRight);
    if (!AnchorText.empty()) c.TextOut(right - c.TextWidth(AnchorText), TruncPixel(F.YTop + 2), AnchorText);
    if (!CursorText.empty())
        c.TextOut(right - c.TextWidth(CursorText), TruncPixel(F.YTop + c.TextHeight(CursorText) + 2),
                  CursorText);
}

// Writes the read-out lines in grey: the anchor from the first corner and,
// once the mouse has moved, the cursor line from the second.
void TPlot::DrawReadout(Canvas& c, bool withCursor) {
    SetReadoutFont(c);
    AnchorText.clear();
    CursorText.clear();
    if (width() <= 200 || !HasScales()) return;
    c.font.color = colors::Grey;
    const int right = TruncPixel(F.XRight);
    AnchorText = CoordText(SelCorner1);
    c.TextOut(right - c.TextWidth(AnchorText), TruncPixel(F.YTop + 2), AnchorText);
    if (!withCursor) return;
    CursorText = CoordText(SelCorner2);
    c.TextOut(right - c.TextWidth(CursorText), TruncPixel(F.YTop + c.TextHeight(CursorText) + 2),
              CursorText);
}

void TPlot::MouseDown(Qt::MouseButton button, int x, int y) {
    if (!Shown() || button != Qt::LeftButton) return;
    EnsurePicture();
    Dragging = true;
    Canvas c(&Buffer);
    DrawSelection(c);  // takes the old one away
    SelCorner1 = SelCorner2 = {x, y};
    SetReadoutFont(c);
    EraseReadout(c);
    DrawReadout(c, false);
    update();
}

void TPlot::MouseMove(int x, int y) {
    if (!Dragging) return;
    if (SelCorner1.x < 0) {  // the selection was dropped under the drag
        Dragging = false;
        return;
    }
    Canvas c(&Buffer);
    DrawSelection(c);
    SetReadoutFont(c);
    EraseReadout(c);
    SelCorner2 = {x, y};
    DrawReadout(c, true);
    DrawSelection(c);
    update();
}

void TPlot::MouseUp(Qt::MouseButton button) {
    if (button == Qt::LeftButton) Dragging = false;
}

void TPlot::DblClick() {
    const int k = CurrCurve;
    if (IsZoomed && A.RefIndex && A.Time && A.Data && CurveOk(k) && HasScales()) {
        // Point toggling: the nearest point in data units, if it is also near on screen.
        const int i = FindClosestPoint(A, k, DataX(F, SelCorner1.x), DataY(F, SelCorner1.y));
        if (i >= 0 && A.PointFlags && A.PointFlags[k]) {
            const double dx = PixelX(F, A.Time[k][i]) - static_cast<double>(SelCorner1.x);
            const double dy = PixelY(F, A.Shown(k, i)) - static_cast<double>(SelCorner1.y);
            if (dx * dx + dy * dy < 20) A.PointFlags[k][i] ^= PointDeleted;
        }
        Repaint();
        return;
    }
    if (!A.RefIndex && CurrCurve >= 0)
        SetCurve(-1);
    else
        FindClosestCurve();
}

void TPlot::mousePressEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    MouseDown(e->button(), p.x(), p.y());
}

void TPlot::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    MouseMove(p.x(), p.y());
}

void TPlot::mouseReleaseEvent(QMouseEvent* e) { MouseUp(e->button()); }

void TPlot::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return;
    DblClick();
    // The second press of a double-click is a press as well.
    const QPoint p = e->position().toPoint();
    MouseDown(e->button(), p.x(), p.y());
}

void TPlot::contextMenuEvent(QContextMenuEvent* e) {
    if (Popup) Popup->popup(e->globalPos());
}

} // namespace kivra
