#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/dataset/senstab_core.h"
#include "platform/qt/printer.h"
#include "tests/gui/plot_fixture.h"

using namespace kivra;
using test::PlotCurves;

namespace {

QRgb Rgb(Color c) { return qRgb(c.r, c.g, c.b); }

const QImage& Render(TPlot& p, int w = 600, int h = 400) {
    p.resize(w, h);
    p.Repaint();
    return p.Picture();
}

// Whether text drawn with the plot's font at (x, y) gives exactly the pixels
// the picture has there: same font, same place, same colour.
::testing::AssertionResult TextAt(const QImage& img, int size, Color colour, int x, int y,
                                  const std::string& text) {
    QImage ref = NewBitmap(img.width(), img.height());
    Canvas c(&ref);
    c.font.size = size;
    c.font.color = colour;
    c.brush.style = BrushStyle::Clear;
    c.TextOut(x, y, text);
    const QRect r(x, y, c.TextWidth(text), c.TextHeight(text));
    for (int yy = r.top(); yy <= r.bottom(); ++yy)
        for (int xx = r.left(); xx <= r.right(); ++xx)
            if (img.pixel(xx, yy) != ref.pixel(xx, yy))
                return ::testing::AssertionFailure() << "\"" << text << "\" differs at " << xx << "," << yy;
    return ::testing::AssertionSuccess();
}

int TitleSize(int w, int h) { return std::min(w, h) / 80 + 6 + 2; }

// Where the plot puts its title.
Point TitleCorner(const TPlot& p, int w, int h) {
    QImage img = NewBitmap(10, 10);
    Canvas c(&img);
    c.font.size = TitleSize(w, h);
    return {TruncPixel(p.Frame().XLeft + 2 + c.TextWidth("0")), TruncPixel(p.Frame().YTop + 2)};
}

// Clears the inside of the frame, keeping the frame's own lines; returns the frame.
PixelBox WipeInside(Canvas& cv, const PlotFrame& f) {
    const PixelBox box{TruncPixel(f.XLeft), TruncPixel(f.YTop), TruncPixel(f.XRight), TruncPixel(f.YBottom)};
    cv.brush = Brush{colors::White, BrushStyle::Solid};
    cv.FillRect(box.left + 1, box.top + 1, box.right, box.bottom);
    return box;
}

// Five rising curves that stay low on the left, clear of the title.
PlotCurves Rising(int curves = 5, int points = 51) {
    return PlotCurves(curves, points, [](int, int i) { return 2.0 * i; },
                      [](int k, int i) { return 10 + k + 0.2 * i; },
                      [](int k, int i) { return 10.5 + k + 0.2 * i; });
}

} // namespace

TEST(PlotDraw, NothingToDrawLeavesTheEmptyField) {
    TPlot detached;
    const QImage empty = Render(detached).copy();
    EXPECT_EQ(empty.pixel(1, 1), Rgb(colors::Silver));
    EXPECT_EQ(empty.pixel(4, 3), Rgb(colors::White));
    EXPECT_EQ(empty.pixel(597, 397), Rgb(colors::White));
    EXPECT_EQ(empty.pixel(598, 397), Rgb(colors::Silver));

    PlotCurves noPoints = Rising();
    for (int k = 0; k < 5; ++k) noPoints.Count[k] = 0;
    PlotCurves sameTime(2, 10, [](int, int) { return 7.0; }, [](int, int i) { return i; },
                        [](int, int) { return 0.0; });
    PlotCurves zeros(2, 10, [](int, int i) { return i; }, [](int, int) { return 0.0; },
                     [](int, int) { return 0.0; });
    for (PlotCurves* c : {&noPoints, &sameTime, &zeros}) {
        TPlot p;
        test::AttachPage(*c, p);
        p.SetTitle("Set 1");
        EXPECT_EQ(Render(p), empty);
        EXPECT_EQ(p.Frame().XScale, 0);  // no frame: the mouse reads 0
        EXPECT_EQ(p.GetSelX1(), 0);
    }
}

TEST(PlotDraw, FrameRangeAndTicksFollowTheDataAndTheFont) {
    // y from 10 to 20 becomes 9 to 22; x spans 100 s.
    PlotCurves c(1, 11, [](int, int i) { return 10.0 * i; }, [](int, int i) { return 10.0 + i; },
                 [](int, int) { return 0.0; });
    TPlot p;
    test::AttachPage(c, p, true, false);
    const QImage& img = Render(p, 600, 400);
    const PlotFrame& f = p.Frame();
    EXPECT_DOUBLE_EQ(f.YMin, 9);
    EXPECT_DOUBLE_EQ(f.YMax, 22);
    EXPECT_DOUBLE_EQ(f.XStep, 20);

    QImage scratch = NewBitmap(10, 10);
    Canvas m(&scratch);
    m.font.size = 400 / 80 + 6;
    const int th = m.TextHeight("0");
    int widest = 0;  // y labels 10, 12, ..., 22 (step 2 for a span of 13)
    for (int v = 10; v <= 22; v += 2) widest = std::max(widest, m.TextWidth(std::to_string(v)));
    EXPECT_EQ(f.YTop, th);
    EXPECT_EQ(f.YBottom, 400 - 2 * th);
    EXPECT_EQ(f.XRight, 600 - th);
    EXPECT_EQ(f.XLeft, widest + 2 * th);
    EXPECT_DOUBLE_EQ(f.XScale, (f.XRight - f.XLeft) / 100);
    const int midY = TruncPixel((f.YTop + f.YBottom) / 2), midX = TruncPixel((f.XLeft + f.XRight) / 2);
    EXPECT_EQ(img.pixel(TruncPixel(f.XLeft), midY), Rgb(colors::Black));
    EXPECT_EQ(img.pixel(TruncPixel(f.XRight), midY), Rgb(colors::Black));
    EXPECT_EQ(img.pixel(midX, TruncPixel(f.YTop)), Rgb(colors::Black));
    EXPECT_EQ(img.pixel(midX, TruncPixel(f.YBottom)), Rgb(colors::Black));
    // The x label of 40 s is centred under its tick.
    const int px40 = PixelX(f, 40);
    m.font.size = 400 / 80 + 6;
    EXPECT_TRUE(TextAt(img, 400 / 80 + 6, colors::Black, px40 - m.TextWidth("40") / 2,
                       TruncPixel(f.YBottom + th / 2), "40"));
    // Narrow plots double the x step, twice below 100 pixels.
    Render(p, 200, 400);
    EXPECT_DOUBLE_EQ(p.Frame().XStep, 40);
    Render(p, 95, 400);
    EXPECT_DOUBLE_EQ(p.Frame().XStep, 80);
}

TEST(PlotDraw, TitleNamesTheCurveShown) {
    PlotCurves c = Rising();
    TPlot p;
    test::AttachPage(c, p);
    p.SetTitle("Set 2");
    const QImage all = Render(p).copy();
    Point at = TitleCorner(p, 600, 400);
    EXPECT_TRUE(TextAt(all, TitleSize(600, 400), colors::Blue, at.x, at.y, "Set 2"));
    p.SetCurve(2);
    const QImage& one = Render(p);
    at = TitleCorner(p, 600, 400);
    EXPECT_TRUE(TextAt(one, TitleSize(600, 400), colors::Blue, at.x, at.y, "Set 2: 3 of 5"));
    p.SetShowTitle(false);
    EXPECT_TRUE(TextAt(Render(p), TitleSize(600, 400), colors::Blue, at.x, at.y, "3 of 5"));
    p.SetShowTitle(true);
    p.SetRes(true);
    const QImage& res = Render(p);
    at = TitleCorner(p, 600, 400);
    EXPECT_TRUE(TextAt(res, TitleSize(600, 400), colors::Blue, at.x, at.y, "Set 2: Residuals 3 of 5"));
    p.SetShowTitle(false);
    EXPECT_TRUE(TextAt(Render(p), TitleSize(600, 400), colors::Blue, at.x, at.y, "Residuals 3 of 5"));
}

TEST(PlotDraw, CurvesTakeTheirColoursAndFlags) {
    // Flat data at 10, simulation at 20, over 0..100 s.
    PlotCurves c(2, 11, [](int, int i) { return 10.0 * i; }, [](int, int) { return 10.0; },
                 [](int, int) { return 20.0; });
    c.Flags[0][5] = PointAfterGap;  // the segment 40..50 s in blue
    c.Data[0][8] = 16;              // a hidden spike: in the range, never drawn
    c.Flags[0][8] = PointHidden;
    c.Data[1][3] = -5;              // curve 1 dips below zero, then is excluded
    c.Excluded[1] = true;
    TPlot p;
    test::AttachPage(c, p);
    const QImage& img = Render(p);
    const PlotFrame& f = p.Frame();
    EXPECT_DOUBLE_EQ(f.YMin, -5.5);  // the excluded curve still counts
    const int y10 = PixelY(f, 10), y20 = PixelY(f, 20);
    EXPECT_EQ(img.pixel(PixelX(f, 45), y10), Rgb(colors::Blue));
    EXPECT_EQ(img.pixel(PixelX(f, 55), y10), Rgb(colors::Black));
    EXPECT_EQ(img.pixel(PixelX(f, 75), y10), Rgb(colors::Black));  // bridges the hidden point
    EXPECT_EQ(img.pixel(PixelX(f, 80), PixelY(f, 13)), Rgb(colors::White));
    EXPECT_EQ(img.pixel(PixelX(f, 25), y20), Rgb(colors::Red));
    EXPECT_EQ(img.pixel(PixelX(f, 30), PixelY(f, -5)), Rgb(colors::White));
    // The zero line crosses the frame in silver.
    EXPECT_EQ(img.pixel(PixelX(f, 65), TruncPixel(f.YBottom - f.YMin * f.YScale)), Rgb(colors::Silver));
}

TEST(PlotDraw, DenseCurvesLookTheSameThinnedOrNot) {
    // 20 000 noisy points over a few hundred pixel columns.
    PlotCurves c(1, 20000, [](int, int i) { return i * 0.01; },
                 [](int, int i) { return 5 + std::sin(i * 0.001) + 0.3 * std::sin(i * 7.3); },
                 [](int, int) { return 0.0; });
    TPlot p;
    test::AttachPage(c, p, true, false);
    const QImage& img = Render(p);
    const PlotFrame& f = p.Frame();
    // The same polyline through every point, unthinned.
    QImage ref = img.copy();
    {
        Canvas cv(&ref);
        const PixelBox box = WipeInside(cv, f);
        cv.SetClipRect(box.left, box.top, box.right, box.bottom);
        cv.pen.color = colors::Black;
        std::vector<Point> all;
        for (int i = 0; i < 20000; ++i) all.push_back({PixelX(f, c.Time[0][i]), PixelY(f, c.Data[0][i])});
        cv.Polyline(all.data(), all.size());
    }
    EXPECT_EQ(img, ref);
}

TEST(PlotDraw, BrokenValuesAndTinySpansNeitherHangNorOverflow) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    PlotCurves c(1, 20, [](int, int i) { return i; }, [](int, int i) { return i; },
                 [](int, int i) { return i; });
    c.Data[0][3] = nan;
    c.Data[0][4] = inf;
    c.Time[0][5] = -inf;
    c.Sim[0][6] = 1e300;
    TPlot p;
    test::AttachPage(c, p);
    const QImage& img = Render(p);
    EXPECT_TRUE(std::isfinite(p.Frame().YMax));
    EXPECT_LT(p.Frame().YMax, 1e301 * 1.2);
    EXPECT_FALSE(img.isNull());
    // Values of 1e16 a few units apart: the tick loop cannot advance by the step.
    PlotCurves tiny(1, 3, [](int, int i) { return 1e16 + 2 * i; }, [](int, int i) { return 1e16 + 2 * i; },
                    [](int, int) { return 0.0; });
    TPlot q;
    test::AttachPage(tiny, q, true, false);
    Render(q);
    SUCCEED();
}

TEST(PlotDraw, ResidualsAreColouredMarkersInASymmetricRange) {
    PlotCurves c(3, 11, [](int, int i) { return 10.0 * i; }, [](int k, int) { return 2.0 + k; },
                 [](int, int) { return 2.0; });
    c.Data[1][0] = 500;  // first points take no part in the range
    TPlot p;
    test::AttachPage(c, p);
    p.SetRes(true);
    const QImage& img = Render(p);
    const PlotFrame& f = p.Frame();
    EXPECT_DOUBLE_EQ(f.YMax, 2.2);
    EXPECT_DOUBLE_EQ(f.YMin, -2.2);
    // Marker centres: curve 0 aqua on zero, curve 1 red at 1, curve 2 green at 2.
    EXPECT_EQ(img.pixel(PixelX(f, 50), PixelY(f, 0)), Rgb(colors::Aqua));
    EXPECT_EQ(img.pixel(PixelX(f, 50), PixelY(f, 1)), Rgb(colors::Red));
    EXPECT_EQ(img.pixel(PixelX(f, 50), PixelY(f, 2)), Rgb(colors::Green));
    // Equal data and simulation: no residual plot at all.
    PlotCurves same(2, 5, [](int, int i) { return i; }, [](int, int) { return 3.0; },
                    [](int, int) { return 3.0; });
    TPlot q;
    test::AttachPage(same, q);
    q.SetRes(true);
    TPlot empty;
    EXPECT_EQ(Render(q), Render(empty).copy());
}

TEST(PlotDraw, ZoomedResidualViewKeepsItsRange) {
    PlotCurves c(2, 51, [](int, int i) { return 2.0 * i; }, [](int k, int i) { return 10.0 * (k + i % 3); },
                 [](int, int) { return 0.0; });
    TPlot p;
    test::AttachPage(c, p);
    p.SetRes(true);
    Render(p);
    p.MouseDown(Qt::LeftButton, 150, 60);
    p.MouseMove(450, 300);
    const double top = p.GetSelY1(), bottom = p.GetSelY2();
    const double left = p.GetSelX1(), right = p.GetSelX2();
    ASSERT_TRUE(p.GetZoomable());
    p.MouseUp(Qt::LeftButton);
    p.SetZoomed(true);
    for (int repaint = 0; repaint < 3; ++repaint) {
        Render(p);
        EXPECT_NEAR(p.Frame().YMax, top, 1e-9);
        EXPECT_NEAR(p.Frame().YMin, bottom, 1e-9);
        EXPECT_NEAR(p.Frame().XMin, left, 1e-9);
    }
    // The data view keeps the zoomed time span and finds its own y range.
    p.SetRes(false);
    Render(p);
    EXPECT_DOUBLE_EQ(p.Frame().YMax, 33);
    EXPECT_NEAR(p.Frame().XMax, right, 1e-9);
    p.SetRes(true);
    Render(p);
    EXPECT_NEAR(p.Frame().YMax, top, 1e-9);
}

TEST(PlotDraw, PrintHonoursItsFlagsAndRestoresTheView) {
    PlotCurves c = Rising();
    TPlot p;
    test::AttachPage(c, p, true, false);
    p.SetTitle("Set 1");
    Render(p);
    QImage page = NewBitmap(600, 800);
    {
        Canvas cv(&page);
        EXPECT_FALSE(p.Print(cv, 0, 0, 600, 800, 1, 1, PrintSim | PrintResiduals));
    }
    EXPECT_EQ(page, NewBitmap(600, 800));

    p.SetShowSim(true);
    p.SetCurve(2);
    Render(p);
    p.MouseDown(Qt::LeftButton, 200, 100);
    p.MouseMove(450, 300);
    p.SetZoomed(true);
    Render(p);
    const PlotFrame screen = p.Frame();
    {
        Canvas cv(&page);
        EXPECT_TRUE(p.Print(cv, 0, 0, 600, 800, 2, 3, PrintData | PrintSim | PrintResiduals));
    }
    EXPECT_EQ(p.GetCurve(), 2);
    EXPECT_TRUE(p.GetZoomed());
    EXPECT_TRUE(p.GetShowTitle());
    EXPECT_TRUE(p.GetColour());
    EXPECT_EQ(p.GetFramePenWidth(), 1);
    EXPECT_EQ(p.GetDataPenWidth(), 1);
    EXPECT_EQ(p.Frame().XMin, screen.XMin);
    EXPECT_EQ(p.Frame().XLeft, screen.XLeft);
    EXPECT_EQ(p.Frame().YScale, screen.YScale);

    // The residual strip fills the top quarter without x labels of its own;
    // the plot starts below it.
    page = NewBitmap(600, 800);
    {
        Canvas cv(&page);
        p.Print(cv, 0, 0, 600, 800, 1, 1, PrintData | PrintSim | PrintResiduals);
    }
    QImage scratch = NewBitmap(10, 10);
    Canvas m(&scratch);
    m.font.size = 600 / 200 + 6;
    const int th = m.TextHeight("0");
    EXPECT_EQ(page.pixel(300, 200 - 4), Rgb(colors::Black));  // bottom of the strip's frame
    EXPECT_EQ(page.pixel(300, 200 + th), Rgb(colors::Black));  // top of the plot's frame
    for (int y = 200; y < 200 + th; ++y)
        for (int x = 120; x < 560; ++x) ASSERT_EQ(page.pixel(x, y), Rgb(colors::White)) << x << "," << y;
    // Without the colour flag the simulation is black; with it, red. All
    // curves print, unzoomed, unless the view is kept.
    auto simPixel = [&](int flags) {
        QImage img = NewBitmap(600, 400);
        Canvas cv(&img);
        p.Print(cv, 0, 0, 600, 400, 1, 1, flags);
        // Draw the same again to learn the printed frame, then read a
        // simulation pixel of curve 0 at 50 s.
        TPlot probe;
        test::AttachPage(c, probe, false, true);
        probe.SetTitle("Set 1");
        QImage img2 = NewBitmap(600, 400);
        Canvas cv2(&img2);
        probe.Plot(cv2, 0, 0, 600, 400, true);
        const PlotFrame& f = probe.Frame();
        return img.pixel(PixelX(f, 50), PixelY(f, 10.5 + 0.2 * 25));
    };
    p.SetZoomed(false);
    EXPECT_EQ(simPixel(PrintSim), Rgb(colors::Black));
    EXPECT_EQ(simPixel(PrintSim | PrintColour), Rgb(colors::Red));
    EXPECT_EQ(simPixel(PrintSim | PrintColour | PrintKeepView), Rgb(colors::White));  // curve 2 only
}

TEST(PlotDraw, InjectionDialogDrawsGreyCurvesAndDeletedStretches) {
    PlotCurves c(3, 11, [](int, int i) { return 10.0 * i; }, [](int k, int) { return 10.0 * (k + 1); },
                 [](int, int) { return 0.0; });
    c.Data[1][5] = 25;
    c.Flags[1][5] = PointDeleted;
    c.Start[1] = 20;
    c.Stop[1] = 80;
    TPlot p;
    test::AttachDialog(c, p);
    p.SetCurve(1);
    p.SetTimeLines(true);
    const QImage& img = Render(p);
    const PlotFrame& f = p.Frame();
    EXPECT_EQ(img.pixel(PixelX(f, 35), PixelY(f, 10)), Rgb(colors::Silver));
    EXPECT_EQ(img.pixel(PixelX(f, 35), PixelY(f, 30)), Rgb(colors::Silver));
    // The deleted point's stretch in aqua; the black line bridges it.
    EXPECT_EQ(img.pixel(PixelX(f, 50), PixelY(f, 25)), Rgb(colors::Aqua));
    EXPECT_EQ(img.pixel(PixelX(f, 45), PixelY(f, 20)), Rgb(colors::Black));
    // Time lines: start lime, stop red, at the pixels they report.
    EXPECT_EQ(p.GetStartPos(), PixelX(f, 20));
    EXPECT_EQ(p.GetStopPos(), PixelX(f, 80));
    EXPECT_EQ(img.pixel(p.GetStartPos(), PixelY(f, 31.5)), Rgb(colors::Lime));
    EXPECT_EQ(img.pixel(p.GetStopPos(), PixelY(f, 31.5)), Rgb(colors::Red));
    // All curves shown: no grey; printed: no grey either.
    p.SetCurve(-1);
    const QImage& all = Render(p);
    EXPECT_EQ(all.pixel(PixelX(f, 35), PixelY(f, 10)), Rgb(colors::Black));
    p.SetCurve(1);
    Render(p);
    QImage printed = NewBitmap(600, 400);
    {
        Canvas cv(&printed);
        p.Print(cv, 0, 0, 600, 400, 1, 1, PrintData | PrintColour | PrintKeepView);
    }
    TPlot probe;
    test::AttachDialog(c, probe);
    probe.SetCurve(1);
    QImage scratch = NewBitmap(600, 400);
    Canvas cv(&scratch);
    probe.Plot(cv, 0, 0, 600, 400, true);
    EXPECT_EQ(printed.pixel(PixelX(probe.Frame(), 35), PixelY(probe.Frame(), 10)), Rgb(colors::White));
}

TEST(PlotDraw, DenseResidualsLookTheSameAsEveryMarkerDrawn) {
    // 3 curves of 4000 points: many markers land on the same places.
    PlotCurves c(3, 4000, [](int, int i) { return i * 0.05; },
                 [](int k, int i) { return std::sin(i * 0.37 + k) * (1 + k); },
                 [](int, int) { return 0.0; });
    TPlot p;
    test::AttachPage(c, p);
    p.SetRes(true);
    const QImage& img = Render(p);
    const PlotFrame& f = p.Frame();
    QImage ref = img.copy();
    {
        Canvas cv(&ref);
        const PixelBox box = WipeInside(cv, f);
        cv.pen = Pen{colors::Silver};
        const int y0 = TruncPixel(f.YBottom - f.YMin * f.YScale);
        cv.MoveTo(box.left + 1, y0);
        cv.LineTo(box.right - 1, y0);
        cv.SetClipRect(box.left, box.top, box.right, box.bottom);
        cv.pen = Pen{colors::Black};
        const Color palette[3] = {colors::Aqua, colors::Red, colors::Green};
        const int s = 600 / 150;
        for (int k = 0; k < 3; ++k) {
            cv.brush = Brush{palette[k], BrushStyle::Solid};
            for (int i = 0; i < 4000; ++i) {
                const int x = PixelX(f, c.Time[k][i]), y = PixelY(f, c.Data[k][i] - c.Sim[k][i]);
                const Point d[4] = {{x, y - s}, {x + s, y}, {x, y + s}, {x - s, y}};
                cv.Polygon(d, 4);
            }
        }
        cv.ClearClip();
        cv.brush.style = BrushStyle::Clear;
        cv.font.size = TitleSize(600, 400);
        cv.font.color = colors::Blue;
        const Point at = TitleCorner(p, 600, 400);
        cv.TextOut(at.x, at.y, "Residuals");
    }
    EXPECT_EQ(img, ref);
}

TEST(PlotDraw, PlotsPrintOnPdfPages) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("plots.pdf");
    PlotCurves c = Rising();
    TPlot p;
    test::AttachPage(c, p);
    p.SetTitle("Set 1");
    Printer printer;
    printer.SetOutputFile(path.toStdString());
    ASSERT_TRUE(printer.BeginDoc());
    const int w = printer.PageWidth(), h = printer.PageHeight();
    EXPECT_TRUE(p.Print(printer.GetCanvas(), 0, 0, w, h / 2, 1, 3, PrintData | PrintSim | PrintColour));
    EXPECT_TRUE(p.Print(printer.GetCanvas(), 0, h / 2, w, h / 2, 1, 3, PrintResiduals));
    printer.NewPage();
    EXPECT_TRUE(p.Print(printer.GetCanvas(), 0, 0, w, h, 2, 3, PrintData | PrintSim | PrintResiduals));
    // The frame is the screen's again: never drawn there.
    EXPECT_EQ(p.Frame().XScale, 0);
    printer.EndDoc();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString pdf = QString::fromLatin1(f.readAll());
    EXPECT_EQ(pdf.count(QRegularExpression("/Type\\s*/Page[^s]")), 2);
}
