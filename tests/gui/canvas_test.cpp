#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "platform/qt/canvas.h"
#include "platform/qt/printer.h"

using namespace kivra;

namespace {

QRgb Rgb(Color c) { return qRgb(c.r, c.g, c.b); }

// Bounding box of the pixels that are not white; empty when there are none.
QRect Inked(const QImage& img) {
    QRect r;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != qRgb(255, 255, 255)) r |= QRect(x, y, 1, 1);
    return r;
}

int PdfPages(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QString text = QString::fromLatin1(f.readAll());
    return static_cast<int>(text.count(QRegularExpression("/Type\\s*/Page[^s]")));
}

} // namespace

TEST(Canvas, RectanglesLeaveOutTheirRightAndBottomEdges) {
    QImage img = NewBitmap(40, 30);
    {
        Canvas c(&img);
        c.pen = Pen{colors::Red};
        c.brush = Brush{colors::Blue, BrushStyle::Solid};
        c.Rectangle(5, 4, 15, 12);
        c.brush.color = colors::Lime;
        c.FillRect(20, 4, 30, 12);
    }
    EXPECT_EQ(Inked(img.copy(0, 0, 17, 30)), QRect(5, 4, 10, 8));
    EXPECT_EQ(img.pixel(5, 4), Rgb(colors::Red));
    EXPECT_EQ(img.pixel(14, 11), Rgb(colors::Red));
    EXPECT_EQ(img.pixel(10, 8), Rgb(colors::Blue));
    EXPECT_EQ(Inked(img.copy(17, 0, 23, 30)).translated(17, 0), QRect(20, 4, 10, 8));
    EXPECT_EQ(img.pixel(29, 11), Rgb(colors::Lime));
}

TEST(Canvas, NotXorDrawnTwiceRestoresThePicture) {
    QImage img = NewBitmap(60, 40);
    {
        Canvas c(&img);
        c.brush = Brush{colors::Aqua, BrushStyle::Solid};
        c.FillRect(10, 10, 50, 30);
    }
    const QImage before = img.copy();
    Canvas c(&img);
    c.pen = Pen{colors::Grey, 1, PenStyle::Dot, PenMode::NotXor};
    const Point box[5] = {{5, 5}, {5, 35}, {55, 35}, {55, 5}, {5, 5}};
    c.Polyline(box, 5);
    c.pen.style = PenStyle::Solid;
    c.pen.color = colors::Lime;
    c.MoveTo(30, 2);
    c.LineTo(30, 38);
    EXPECT_EQ(c.PenPos(), (Point{30, 38}));
    EXPECT_NE(img, before);
    // On white, NotXor shows the pen's own colour.
    EXPECT_EQ(img.pixel(30, 3), Rgb(colors::Lime));
    c.MoveTo(30, 2);
    c.LineTo(30, 38);
    c.pen.color = colors::Grey;
    c.pen.style = PenStyle::Dot;
    c.Polyline(box, 5);
    EXPECT_EQ(img, before);
}

TEST(Canvas, TextSitsBelowAndRightOfItsCorner) {
    QImage img = NewBitmap(200, 80);
    Canvas c(&img);
    c.font.size = 12;
    c.brush.style = BrushStyle::Clear;
    c.TextOut(30, 20, "Kg0");
    const int w = c.TextWidth("Kg0"), h = c.TextHeight("Kg0");
    const QRect ink = Inked(img);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(QRect(30, 20, w, h).contains(ink)) << ink.x() << "," << ink.y();
    // Larger on a finer surface: points follow the resolution.
    QImage fine(100, 100, QImage::Format_RGB32);
    fine.setDotsPerMeterX(3780 * 4);
    fine.setDotsPerMeterY(3780 * 4);
    Canvas f(&fine);
    f.font.size = 12;
    EXPECT_GT(f.TextHeight("0"), 3 * h);
    // A solid brush paints the text cell.
    c.brush = Brush{colors::Yellow, BrushStyle::Solid};
    c.TextOut(100, 40, "x");
    EXPECT_EQ(img.pixel(100, 40), Rgb(colors::Yellow));
}

TEST(Canvas, ClippingKeepsDrawingInsideTheRectangle) {
    QImage img = NewBitmap(50, 50);
    {
        Canvas c(&img);
        c.SetClipRect(10, 10, 20, 20);
        c.brush = Brush{colors::Red, BrushStyle::Solid};
        c.pen = Pen{colors::Red};
        const Point tri[3] = {{0, 0}, {49, 0}, {0, 49}};
        c.Polygon(tri, 3);
        c.ClearClip();
        c.MoveTo(40, 40);
        c.LineTo(45, 40);
    }
    EXPECT_EQ(Inked(img.copy(0, 0, 30, 30)), QRect(10, 10, 10, 10));
    EXPECT_EQ(img.pixel(42, 40), Rgb(colors::Red));
}

TEST(Canvas, EmptyImageTakesNoDrawing) {
    QImage none = NewBitmap(0, 10);
    EXPECT_TRUE(none.isNull());
    Canvas c(&none);
    c.Rectangle(0, 0, 5, 5);
    c.TextOut(0, 0, "x");
    EXPECT_GT(c.TextWidth("xx"), 0);
}

TEST(Printer, PrintsPagesToAPdfFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("report.pdf");
    Printer p;
    p.SetOutputFile(path.toStdString());
    EXPECT_FALSE(p.ToRealPrinter());
    ASSERT_TRUE(p.BeginDoc());
    EXPECT_TRUE(p.Printing());
    EXPECT_GE(p.Resolution(), 300);
    // A page is some 8 to 12 inches each way.
    EXPECT_GT(p.PageWidth(), 7 * p.Resolution());
    EXPECT_LT(p.PageHeight(), 13 * p.Resolution());
    Canvas& c = p.GetCanvas();
    // Points scale with the printer's resolution.
    c.font.size = 10;
    EXPECT_GT(c.TextHeight("0"), p.Resolution() / 10);
    c.TextOut(100, 100, "Page 1");
    p.NewPage();
    c.pen.width = 3;
    c.pen.mode = PenMode::NotXor;  // not available on paper: drawn plainly
    c.MoveTo(100, 100);
    c.LineTo(1000, 1000);
    p.NewPage();
    c.TextOut(100, 100, "Page 3");
    EXPECT_EQ(p.PageNumber(), 3);
    p.EndDoc();
    EXPECT_FALSE(p.Printing());
    EXPECT_EQ(PdfPages(path), 3);
}
