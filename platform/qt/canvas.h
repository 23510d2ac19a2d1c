#pragma once
// The drawing surface of the plots, the histograms and the printed report.
// Drawing code sets the pen, brush and font as plain state and then draws in
// device pixels; the same calls work on a widget, an off-screen image and a
// printer page, so a plot has one paint path for all three.
#include <QFont>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QFontMetrics;
class QImage;
class QPaintDevice;
class QPainter;
class QPoint;

namespace kivra {

struct Color {
    std::uint8_t r = 0, g = 0, b = 0;
    friend constexpr bool operator==(Color, Color) = default;
};

namespace colors {
constexpr Color Black{0, 0, 0};
constexpr Color White{255, 255, 255};
constexpr Color Silver{192, 192, 192};
constexpr Color Grey{128, 128, 128};
constexpr Color Red{255, 0, 0};
constexpr Color Maroon{128, 0, 0};
constexpr Color Lime{0, 255, 0};
constexpr Color Green{0, 128, 0};
constexpr Color Blue{0, 0, 255};
constexpr Color Navy{0, 0, 128};
constexpr Color Aqua{0, 255, 255};
constexpr Color Teal{0, 128, 128};
constexpr Color Fuchsia{255, 0, 255};
constexpr Color Purple{128, 0, 128};
constexpr Color Yellow{255, 255, 0};
constexpr Color Olive{128, 128, 0};
} // namespace colors

struct Point {
    int x = 0, y = 0;
    friend constexpr bool operator==(Point, Point) = default;
};

enum class PenStyle { Solid, Dot };
// NotXor draws so that drawing the same figure twice restores what was
// there; surfaces without raster operations (printers) draw in Copy mode.
enum class PenMode { Copy, NotXor };
enum class BrushStyle { Solid, Clear, DiagCross };

struct Pen {
    Color color = colors::Black;
    int width = 1;
    PenStyle style = PenStyle::Solid;
    PenMode mode = PenMode::Copy;
};

struct Brush {
    Color color = colors::White;
    BrushStyle style = BrushStyle::Solid;
};

struct Font {
    std::string name = "Arial";
    int size = 8;         // points, scaled by the surface's resolution
    int pixelHeight = 0;  // when above 0 it wins over size
    Color color = colors::Black;
    bool bold = false;
    friend bool operator==(const Font&, const Font&) = default;
};

class Canvas {
public:
    // Paints on the device until the canvas is destroyed.
    explicit Canvas(QPaintDevice* device);
    // Paints through a painter that someone else has begun (a printer job).
    explicit Canvas(QPainter* painter);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    Pen pen;
    Brush brush;
    Font font;

    void MoveTo(int x, int y) { pos_ = {x, y}; }
    // Draws from the pen position to (x, y), which becomes the pen position.
    void LineTo(int x, int y);
    Point PenPos() const { return pos_; }

    // An open path through the points; the pen position does not change.
    void Polyline(const Point* pts, std::size_t n);
    // A closed figure, outlined with the pen and filled with the brush.
    void Polygon(const Point* pts, std::size_t n);
    // Outlined with the pen and filled with the brush; the right and bottom
    // edges (right, bottom) themselves are not part of it.
    void Rectangle(int left, int top, int right, int bottom);
    // Filled with the brush alone, right and bottom edges excluded.
    void FillRect(int left, int top, int right, int bottom);

    // Text with its top-left corner at (x, y) in the font's colour; a solid
    // brush paints the text cell behind it, a clear brush leaves it.
    void TextOut(int x, int y, const std::string& text);
    int TextWidth(const std::string& text);
    int TextHeight(const std::string& text);

    // Later drawing stays inside (left, top)..(right, bottom), edges excluded.
    void SetClipRect(int left, int top, int right, int bottom);
    void ClearClip();

    // Copies an off-screen image with its top-left corner at (x, y).
    void Draw(int x, int y, const QImage& image);

    // Pixels per inch of the surface (fonts in points scale with it).
    int Resolution() const;
    QPainter& Painter() { return *painter_; }

private:
    void ApplyPen();
    void ApplyBrush();
    void ApplyFont();
    QFontMetrics Metrics();

    std::unique_ptr<QPainter> owned_;
    QPainter* painter_;
    Point pos_;
    bool rasterOps_ = false;
    Font applied_;
    QFont qfont_;
    bool fontApplied_ = false;
    std::vector<QPoint> scratch_;
};

// An off-screen image to draw on: white, 32-bit RGB (the format in which
// NotXor mode works), at the screen's 96 pixels per inch.
QImage NewBitmap(int width, int height);

} // namespace kivra
