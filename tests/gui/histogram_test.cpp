#include <gtest/gtest.h>

#include <algorithm>

#include "widgets/histogram.h"

using namespace kivra;

namespace {

QRgb Rgb(Color c) { return qRgb(c.r, c.g, c.b); }

// Whether a pixel of the colour lies in the rectangle (right and bottom excluded).
bool Has(const QImage& img, Color c, int left, int top, int right, int bottom) {
    for (int y = std::max(0, top); y < std::min(bottom, img.height()); ++y)
        for (int x = std::max(0, left); x < std::min(right, img.width()); ++x)
            if (img.pixel(x, y) == Rgb(c)) return true;
    return false;
}

// Height of "B" at a size, as the control measures it.
int TextHeight(int size) {
    QImage img = NewBitmap(10, 10);
    Canvas c(&img);
    c.font.size = size;
    return c.TextHeight("B");
}

// Results whose bars 0, 10 and 19 are filled: around 2 with a standard
// error of 1/6 (Low 1.5, High 2.5), one far below, one far above.
void Fill(THistogram& h) {
    for (double v : {2.0, 2.01, 2.02, -50.0, 60.0}) h.AddResult(v, 1.0 / 6);
}

TEST(HistogramDraw, BarsTicksAndFrame) {
    THistogram h(nullptr, 10, "1. kfwd: A + B = C");
    const int w = 400, ht = 300;
    h.resize(w, ht);
    Fill(h);
    const QImage& img = h.Picture();
    if (getenv("KIVRA_SAVE_PICTURES")) img.save("/tmp/hist_screen.png");
    ASSERT_EQ(img.size(), QSize(w, ht));
    EXPECT_EQ(img.pixel(1, 1), Rgb(colors::Yellow));
    EXPECT_EQ(img.pixel(w - 2, ht / 2), Rgb(colors::Yellow));

    const int size = std::min({w / TextHeight(20), 10 * ht / (3 * TextHeight(20)), 20});
    const int th = TextHeight(size);
    const int axis = ht - (th + 4);
    auto mark = [&](int k) { return 10 + (w - 20) * k / 20; };
    auto bar = [&](int k, Color c) { return Has(img, c, mark(k) + 1, 2 * (th + 4), mark(k + 1), axis); };
    EXPECT_TRUE(bar(0, colors::Maroon));
    EXPECT_TRUE(bar(10, colors::Red));
    EXPECT_TRUE(bar(19, colors::Maroon));
    EXPECT_FALSE(bar(5, colors::Red));
    // Long marks where Low, Centre and High stand: 1, 10 and 19.
    for (int k = 0; k <= 20; ++k)
        EXPECT_EQ(img.pixel(mark(k), axis + 3), Rgb(k == 1 || k == 10 || k == 19 ? colors::Black : colors::White))
            << "mark " << k;
}

TEST(HistogramDraw, LongTitleEndsInDotsBeforeTheHeader) {
    THistogram h(nullptr, 10, std::string(80, 'W'));
    h.resize(300, 200);
    Fill(h);
    const QImage& img = h.Picture();
    if (getenv("KIVRA_SAVE_PICTURES")) img.save("/tmp/hist_long.png");
    QImage scratch = NewBitmap(10, 10);
    Canvas c(&scratch);
    c.font.size = std::min({300 / TextHeight(20), 2000 / (3 * TextHeight(20)), 20});
    const int th = c.TextHeight("B");
    const int hx = 300 - 6 - c.TextWidth(h.HeaderText());
    const int dots = hx - 20 + c.TextWidth("...");
    // Small glyphs may be drawn only in blended shades: look for blue ink.
    auto blueInk = [&img, th](int left, int right) {
        for (int y = 0; y < std::min(th + 4, img.height()); ++y)
            for (int x = std::max(0, left); x < std::min(right, img.width()); ++x) {
                const QRgb p = img.pixel(x, y);
                if (qBlue(p) > qRed(p) + 40 && qBlue(p) > qGreen(p) + 40) return true;
            }
        return false;
    };
    EXPECT_TRUE(blueInk(hx - 20, dots));
    EXPECT_FALSE(blueInk(dots, 300));
}

TEST(HistogramDraw, AnySizeDrawsWithoutFault) {
    for (QSize s : {QSize(1, 1), QSize(6, 60), QSize(60, 6), QSize(3000, 20)}) {
        THistogram h(nullptr, 10, "t");
        h.resize(s);
        h.Paint();
        Fill(h);
        EXPECT_EQ(h.Picture().size(), s);
    }
}

TEST(HistogramDraw, PrintsHatchedBarsInColourOrBlack) {
    THistogram h(nullptr, 10, "2. krev: A + B = C");
    QImage page = NewBitmap(800, 600);
    {
        Canvas c(&page);
        h.Print(c, 0, 0, 800, 600, 1, 2, true);
    }
    EXPECT_EQ(page, NewBitmap(800, 600));  // nothing without results

    Fill(h);
    for (bool colour : {true, false}) {
        page = NewBitmap(800, 600);
        Canvas c(&page);
        h.Print(c, 0, 0, 800, 600, 1, 2, colour);
        // The bars stand between 40 and 720: a twentieth of the width inside
        // the frame, whose right side is a twentieth in from the right.
        auto mark = [](int k) { return 40 + 680 * k / 20; };
        const int x0 = mark(10), x1 = mark(11);
        EXPECT_EQ(Has(page, colors::Red, x0 + 2, 100, x1 - 2, 560), colour);
        EXPECT_EQ(Has(page, colors::Maroon, mark(0) + 2, 100, mark(1) - 2, 560), colour);
        if (getenv("KIVRA_SAVE_PICTURES")) page.save(colour ? "/tmp/hist_print_c.png" : "/tmp/hist_print_bw.png");
    }
}

} // namespace
