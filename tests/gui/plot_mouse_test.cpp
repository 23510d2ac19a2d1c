#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include "engine/numeric/numformat.h"
#include "engine/dataset/senstab_core.h"
#include "tests/gui/plot_fixture.h"

using namespace kivra;
using test::PlotCurves;

namespace {

QRgb Rgb(Color c) { return qRgb(c.r, c.g, c.b); }

void Send(TPlot& p, QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons held) {
    const QPointF at(x, y);
    QMouseEvent e(type, at, p.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&p, &e);
}
void Press(TPlot& p, int x, int y, Qt::MouseButton b = Qt::LeftButton) {
    Send(p, QEvent::MouseButtonPress, x, y, b, b);
}
void Move(TPlot& p, int x, int y) { Send(p, QEvent::MouseMove, x, y, Qt::NoButton, Qt::LeftButton); }
void Release(TPlot& p, int x, int y, Qt::MouseButton b = Qt::LeftButton) {
    Send(p, QEvent::MouseButtonRelease, x, y, b, Qt::NoButton);
}
void Drag(TPlot& p, int x1, int y1, int x2, int y2) {
    Press(p, x1, y1);
    Move(p, x2, y2);
    Release(p, x2, y2);
}
void DoubleClick(TPlot& p, int x, int y) {
    Press(p, x, y);
    Release(p, x, y);
    Send(p, QEvent::MouseButtonDblClick, x, y, Qt::LeftButton, Qt::LeftButton);
    Release(p, x, y);
}

// A shown plot of 600 x 400 with the curves attached and drawn.
struct Shown {
    TPlot plot;
    explicit Shown(PlotCurves& c, bool dialog = false, int w = 600, int h = 400) {
        plot.resize(w, h);
        if (dialog)
            test::AttachDialog(c, plot);
        else
            test::AttachPage(c, plot);
        plot.show();
        plot.Repaint();
    }
};

PlotCurves Steps(int curves = 5) {
    return PlotCurves(curves, 51, [](int, int i) { return 2.0 * i; },
                      [](int k, int) { return 10.0 + 5 * k; }, [](int k, int) { return 10.0 + 5 * k; });
}

std::string Readout(const TPlot& p, int x, int y) {
    return FormatValue("", DataX(p.Frame(), x)) + "  " + FormatValue("", DataY(p.Frame(), y)) + " ";
}

int ReadoutSize(int w, int h) { return std::min(w, h) / 80 + 6; }

// Whether grey pixels of the dotted selection lie on the segment.
bool GreyAlong(const QImage& img, int x1, int y1, int x2, int y2) {
    for (int i = 0; i <= 20; ++i) {
        const int x = x1 + (x2 - x1) * i / 20, y = y1 + (y2 - y1) * i / 20;
        if (img.pixel(x, y) == Rgb(colors::Grey)) return true;
    }
    return false;
}

} // namespace

TEST(PlotMouse, DragDrawsTheSelectionAndItsReadout) {
    PlotCurves c = Steps();
    Shown s(c);
    TPlot& p = s.plot;
    const QImage before = p.Picture().copy();
    Press(p, 200, 100);
    EXPECT_TRUE(p.IsDragging());
    EXPECT_EQ(p.GetAnchorText(), Readout(p, 200, 100));
    Move(p, 400, 250);
    EXPECT_EQ(p.GetSelCorner1(), (Point{200, 100}));
    EXPECT_EQ(p.GetSelCorner2(), (Point{400, 250}));
    EXPECT_EQ(p.GetCursorText(), Readout(p, 400, 250));
    EXPECT_TRUE(GreyAlong(p.Picture(), 200, 100, 400, 100));
    EXPECT_TRUE(GreyAlong(p.Picture(), 400, 100, 400, 250));

    // Both read-out lines right-aligned at the frame's right edge, in grey.
    const PlotFrame& f = p.Frame();
    QImage ref = NewBitmap(600, 400);
    Canvas m(&ref);
    m.font.size = ReadoutSize(600, 400);
    m.font.color = colors::Grey;
    m.brush.style = BrushStyle::Clear;
    const int right = TruncPixel(f.XRight), th = m.TextHeight("0");
    const std::string a = p.GetAnchorText(), b = p.GetCursorText();
    m.TextOut(right - m.TextWidth(a), TruncPixel(f.YTop + 2), a);
    m.TextOut(right - m.TextWidth(b), TruncPixel(f.YTop + th + 2), b);
    const QRect lines(right - std::max(m.TextWidth(a), m.TextWidth(b)), TruncPixel(f.YTop + 2),
                      std::max(m.TextWidth(a), m.TextWidth(b)), 2 * th);
    EXPECT_EQ(p.Picture().copy(lines), ref.copy(lines));

    // Moving on takes the old rectangle away.
    Move(p, 300, 200);
    const QRect gone(301, 201, 100, 50);  // the old rectangle's part outside the new one
    EXPECT_EQ(p.Picture().copy(gone), before.copy(gone));
    Release(p, 300, 200);
    EXPECT_FALSE(p.IsDragging());
    EXPECT_EQ(p.GetSelCorner2(), (Point{300, 200}));
    // A new press takes the whole rectangle away.
    Press(p, 100, 300);
    EXPECT_FALSE(GreyAlong(p.Picture(), 200, 100, 300, 100));
    Release(p, 100, 300);
    // Only the left button selects.
    Press(p, 50, 50, Qt::RightButton);
    EXPECT_EQ(p.GetSelCorner1(), (Point{100, 300}));
}

TEST(PlotMouse, NarrowPlotsWriteNoReadout) {
    PlotCurves c = Steps();
    Shown narrow(c, false, 200, 300);
    Drag(narrow.plot, 100, 100, 150, 200);
    EXPECT_EQ(narrow.plot.GetAnchorText(), "");
    EXPECT_EQ(narrow.plot.GetCursorText(), "");
    Shown wide(c, false, 201, 300);
    Drag(wide.plot, 100, 100, 150, 200);
    EXPECT_NE(wide.plot.GetCursorText(), "");
    // Without data or simulation shown the mouse does nothing.
    PlotCurves d = Steps();
    Shown hidden(d);
    hidden.plot.SetShowData(false);
    hidden.plot.SetShowSim(false);
    Press(hidden.plot, 100, 100);
    EXPECT_FALSE(hidden.plot.IsDragging());
}

TEST(PlotMouse, RepaintDuringADragKeepsItsAnchor) {
    PlotCurves c = Steps();
    Shown s(c);
    TPlot& p = s.plot;
    Press(p, 200, 100);
    p.Repaint();
    Move(p, 400, 250);
    EXPECT_EQ(p.GetSelCorner1(), (Point{200, 100}));
    EXPECT_TRUE(GreyAlong(p.Picture(), 200, 100, 200, 250));
    p.Repaint();  // the rectangle and read-out come back with the new picture
    EXPECT_TRUE(GreyAlong(p.Picture(), 200, 100, 200, 250));
    EXPECT_EQ(p.GetCursorText(), Readout(p, 400, 250));
    Release(p, 400, 250);
    p.Repaint();  // a repaint after the drag drops the selection
    EXPECT_EQ(p.GetSelCorner1(), (Point{-1, -1}));
    // Dropping the selection under a drag ends the drag.
    Press(p, 200, 100);
    p.ClearFlags();
    Move(p, 300, 300);
    EXPECT_FALSE(p.IsDragging());
    EXPECT_EQ(p.GetSelCorner2(), (Point{-1, -1}));
}

TEST(PlotMouse, ZoomTakesTheSelectionAndNeedsOne) {
    PlotCurves c = Steps();
    Shown s(c);
    TPlot& p = s.plot;
    const PlotFrame full = p.Frame();
    EXPECT_FALSE(p.GetZoomable());
    p.SetZoomed(true);  // no selection: nothing
    EXPECT_FALSE(p.GetZoomed());
    p.Repaint();
    EXPECT_EQ(p.Frame().XMax, full.XMax);

    // Narrower than 2 s, or lower than 1 RU: no zoom.
    const int x = 200, y = 150;
    const int w15 = static_cast<int>(1.5 * full.XScale), h08 = static_cast<int>(-0.8 * full.YScale);
    Drag(p, x, y, x + w15, y + 100);
    EXPECT_FALSE(p.GetZoomable());
    Drag(p, x, y, x + 100, y + h08);
    EXPECT_FALSE(p.GetZoomable());
    Drag(p, x, y + 100, x + 100, y - 1);  // corners in any order
    EXPECT_TRUE(p.GetZoomable());

    // Corners outside the frame are taken to its edges.
    Drag(p, 1, 1, 400, 250);
    ASSERT_TRUE(p.GetZoomable());
    p.SetZoomed(true);
    EXPECT_TRUE(p.GetZoomed());
    EXPECT_DOUBLE_EQ(p.Frame().XMin, DataX(full, TruncPixel(full.XLeft)));
    EXPECT_DOUBLE_EQ(p.Frame().XMax, DataX(full, 400));
    EXPECT_DOUBLE_EQ(p.Frame().YMax, DataY(full, TruncPixel(full.YTop)));
    EXPECT_DOUBLE_EQ(p.Frame().YMin, DataY(full, 250));
    p.Repaint();
    const PlotFrame zoomed = p.Frame();
    EXPECT_DOUBLE_EQ(zoomed.XMax, DataX(full, 400));
    // Zooming again narrows further; zooming out returns to the full range.
    Drag(p, 300, 100, 500, 300);
    p.SetZoomed(true);
    p.Repaint();
    EXPECT_DOUBLE_EQ(p.Frame().XMin, DataX(zoomed, 300));
    p.SetZoomed(false);
    p.Repaint();
    EXPECT_FALSE(p.GetZoomed());
    EXPECT_DOUBLE_EQ(p.Frame().XMax, full.XMax);
    EXPECT_DOUBLE_EQ(p.Frame().YMin, full.YMin);
    // Nothing shown: zoom does nothing.
    Drag(p, 200, 100, 400, 250);
    p.SetShowData(false);
    p.SetShowSim(false);
    p.SetZoomed(true);
    EXPECT_FALSE(p.GetZoomed());
}

TEST(PlotMouse, DoubleClickPicksACurveAndGoesBack) {
    PlotCurves c = Steps();
    Shown s(c);
    TPlot& p = s.plot;
    std::vector<std::pair<int, int>> changes;
    p.OnCurveChange = [&](TPlot* sender, int oldCurve, int& newCurve) {
        EXPECT_EQ(sender, &p);
        changes.emplace_back(oldCurve, newCurve);
    };
    const PlotFrame f = p.Frame();
    DoubleClick(p, PixelX(f, 50), PixelY(f, 26));  // nearest to curve 3 at 25
    EXPECT_EQ(p.GetCurve(), 3);
    p.Repaint();
    DoubleClick(p, 300, 200);  // a page plot showing one curve goes back to all
    EXPECT_EQ(p.GetCurve(), -1);
    EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{-1, 3}, {3, -1}}));
    // The handler may choose another curve.
    p.OnCurveChange = [](TPlot*, int, int& newCurve) { newCurve = 1; };
    p.SetCurve(4);
    EXPECT_EQ(p.GetCurve(), 1);
    p.OnCurveChange = nullptr;
    p.SetCurve(7);  // beyond the last curve: the first
    EXPECT_EQ(p.GetCurve(), 0);
}

TEST(PlotMouse, DoubleClickTogglesNearPointsInTheZoomedDialog) {
    PlotCurves c = Steps(3);
    c.Start[1] = 0;
    c.Stop[1] = 200;
    c.RI[1] = 3;  // curve 1 drawn at 12 instead of 15
    Shown s(c, true);
    TPlot& p = s.plot;
    PlotFrame f = p.Frame();
    // Not zoomed: a double-click chooses the nearest curve, as drawn.
    DoubleClick(p, PixelX(f, 40), PixelY(f, 12.5));
    EXPECT_EQ(p.GetCurve(), 1);
    p.Repaint();
    f = p.Frame();
    EXPECT_EQ(c.Flags[1][20] & PointDeleted, 0);
    Drag(p, PixelX(f, 30), PixelY(f, 16), PixelX(f, 50), PixelY(f, 8));
    p.SetZoomed(true);
    p.Repaint();
    f = p.Frame();
    const int px = PixelX(f, 40), py = PixelY(f, 12);  // point 20 of curve 1
    DoubleClick(p, px, py);
    EXPECT_EQ(c.Flags[1][20], PointDeleted);
    DoubleClick(p, px + 4, py);  // 16 square pixels away: still this point
    EXPECT_EQ(c.Flags[1][20], 0);
    // Halfway between two points but far in y: too far on screen.
    const int farY = py + 5, midX = (PixelX(f, 40) + PixelX(f, 42)) / 2;
    ASSERT_GE((midX - px) * (midX - px) + 25, 20);
    DoubleClick(p, midX, farY);
    for (int i = 0; i < 51; ++i) ASSERT_EQ(c.Flags[1][i], 0) << i;
    EXPECT_TRUE(p.GetZoomed());
    EXPECT_EQ(p.GetCurve(), 1);
}

TEST(PlotMouse, SetDataPtrsKeepsTheViewForTheSameArrays) {
    PlotCurves c = Steps();
    PlotCurves other = Steps();
    Shown s(c);
    TPlot& p = s.plot;
    p.SetCurve(2);
    p.SetRes(true);
    EXPECT_TRUE(p.GetRes());
    // Same arrays, another simulation: nothing changes, not even the simulation.
    p.SetDataPtrs(5, c.Data.rows(), other.Sim.rows(), c.Time.rows(), c.Flags.rows(), c.Excluded.data(),
                  c.Count.data(), nullptr, nullptr, nullptr);
    EXPECT_EQ(p.Arrays().Sim, c.Sim.rows());
    EXPECT_EQ(p.GetCurve(), 2);
    EXPECT_TRUE(p.GetShowData());
    EXPECT_TRUE(p.GetRes());
    // New arrays: all curves, no residuals, data and simulation hidden.
    test::AttachPage(other, p, false, false);
    EXPECT_EQ(p.GetCurve(), -1);
    EXPECT_FALSE(p.GetRes());
    EXPECT_FALSE(p.GetShowData());
    p.SetRes(true);  // neither data nor simulation shown
    EXPECT_FALSE(p.GetRes());
    // Detached, as a page does before freeing its arrays.
    p.SetDataPtrs(0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    p.SetShowData(true);
    p.Repaint();
    EXPECT_EQ(p.Arrays().NumCurves, 0);
    p.SetTitle("Set 3");
    EXPECT_TRUE(p.GetShowTitle());
    EXPECT_EQ(p.GetTitle(), "Set 3");
}

TEST(PlotMouse, TimeLinesMoveWithValuesAndPositions) {
    PlotCurves c = Steps(3);
    c.Start[0] = 20;
    c.Stop[0] = 60;
    Shown s(c, true);
    TPlot& p = s.plot;
    p.SetCurve(0);
    p.SetStartValue(30);  // lines off: nothing stored
    EXPECT_EQ(c.Start[0], 20);
    EXPECT_EQ(p.GetStartValue(), 20);
    p.SetTimeLines(true);
    p.Repaint();
    const PlotFrame f = p.Frame();
    const int y = PixelY(f, 17.5);  // between the two curves
    const int old = p.GetStartPos();
    EXPECT_EQ(old, PixelX(f, 20));
    EXPECT_EQ(p.Picture().pixel(old, y), Rgb(colors::Lime));
    p.SetStartPos(old + 30);
    EXPECT_EQ(p.GetStartPos(), old + 30);
    EXPECT_DOUBLE_EQ(c.Start[0], DataX(f, old + 30));
    EXPECT_EQ(p.Picture().pixel(old, y), Rgb(colors::White));
    EXPECT_EQ(p.Picture().pixel(old + 30, y), Rgb(colors::Lime));
    p.SetStopValue(70);
    EXPECT_EQ(c.Stop[0], 70);
    EXPECT_EQ(p.GetStopPos(), PixelX(f, 70));
    EXPECT_EQ(p.Picture().pixel(PixelX(f, 60), y), Rgb(colors::White));
    EXPECT_EQ(p.Picture().pixel(PixelX(f, 70), y), Rgb(colors::Red));
    // Off the frame: -1 on the left (or on its edge), -2 on the right; the time stays.
    const double kept = c.Start[0];
    p.SetStartPos(TruncPixel(f.XLeft));
    EXPECT_EQ(p.GetStartPos(), -1);
    EXPECT_EQ(c.Start[0], kept);
    p.SetStartPos(TruncPixel(f.XRight) + 5);
    EXPECT_EQ(p.GetStartPos(), -2);
    p.SetStopValue(-50);
    EXPECT_EQ(p.GetStopPos(), -1);
    p.SetStopValue(1e6);
    EXPECT_EQ(p.GetStopPos(), -2);
    // All curves shown: no line and no value.
    p.SetCurve(-1);
    p.Repaint();
    EXPECT_EQ(p.GetStartValue(), 0);
    EXPECT_EQ(p.GetStartPos(), -1);
    p.SetStartValue(5);
    EXPECT_EQ(c.Start[0], kept);
}

TEST(PlotMouse, RightClickOpensThePopupMenu) {
    PlotCurves c = Steps();
    Shown s(c);
    QMenu menu;
    menu.addAction("Zoom In");
    s.plot.SetPopupMenu(&menu);
    EXPECT_EQ(s.plot.PopupMenu(), &menu);
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(100, 100), s.plot.mapToGlobal(QPoint(100, 100)));
    QApplication::sendEvent(&s.plot, &e);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

TEST(PlotMouse, OddCurveNumbersAndMissingArraysIndexNothing) {
    PlotCurves c = Steps(3);
    Shown s(c, true);  // the dialog lends no simulation
    TPlot& p = s.plot;
    p.OnCurveChange = [](TPlot*, int, int& newCurve) { newCurve = 99; };
    p.SetCurve(1);
    EXPECT_EQ(p.GetCurve(), 99);
    p.SetTimeLines(true);
    p.SetShowSim(true);
    p.SetRes(true);
    p.Repaint();
    p.SetStartValue(5);
    p.SetStopPos(300);
    EXPECT_EQ(p.GetStartValue(), 0);
    Drag(p, 100, 100, 400, 300);
    p.SetZoomed(true);
    p.Repaint();
    DoubleClick(p, 200, 200);
    QImage img = NewBitmap(300, 200);
    Canvas cv(&img);
    EXPECT_TRUE(p.Print(cv, 0, 0, 300, 200, 1, 1, PrintData | PrintSim | PrintResiduals | PrintKeepView));
    EXPECT_EQ(p.GetCurve(), 99);
    p.SetDataPtrs(-4, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(p.Arrays().NumCurves, 0);
}
