#include "platform/qt/canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QString>
#include <algorithm>

namespace kivra {
namespace {

QColor ToQt(Color c) { return QColor(c.r, c.g, c.b); }

bool SupportsRasterOps(QPainter* p) {
    return p->isActive() && p->paintEngine() &&
           p->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
}

} // namespace

Canvas::Canvas(QPaintDevice* device) : owned_(std::make_unique<QPainter>()), painter_(owned_.get()) {
    // An empty image (a control of no size) takes no drawing at all.
    if (device && device->width() > 0 && device->height() > 0) owned_->begin(device);
    rasterOps_ = SupportsRasterOps(painter_);
}

Canvas::Canvas(QPainter* painter) : painter_(painter), rasterOps_(SupportsRasterOps(painter)) {}

Canvas::~Canvas() = default;

void Canvas::ApplyPen(QPainter& painter) const {
    QPen p(ToQt(pen.color));
    p.setWidth(std::max(0, pen.width));
    p.setStyle(pen.style == PenStyle::Dot ? Qt::DotLine : Qt::SolidLine);
    // Thin lines end where they are told to, as on the screen; thick printer
    // lines get round ends so that joined segments look continuous.
    if (pen.width > 1) {
        p.setCapStyle(Qt::RoundCap);
        p.setJoinStyle(Qt::RoundJoin);
    } else {
        p.setCapStyle(Qt::SquareCap);
        p.setJoinStyle(Qt::MiterJoin);
    }
    painter.setPen(p);
    painter.setCompositionMode(pen.mode == PenMode::NotXor && rasterOps_
                                     ? QPainter::RasterOp_NotSourceXorDestination
                                     : QPainter::CompositionMode_SourceOver);
}

void Canvas::ApplyBrush(QPainter& painter) const {
    switch (brush.style) {
    case BrushStyle::Solid: painter.setBrush(QBrush(ToQt(brush.color), Qt::SolidPattern)); break;
    case BrushStyle::Clear: painter.setBrush(Qt::NoBrush); break;
    case BrushStyle::DiagCross:
        painter.setBrush(QBrush(ToQt(brush.color), Qt::DiagCrossPattern));
        break;
    }
}

void Canvas::ApplyFont() {
    if (fontApplied_ && applied_ == font) return;
    QFont f(QString::fromStdString(font.name));
    if (font.pixelHeight > 0)
        f.setPixelSize(font.pixelHeight);
    else
        f.setPointSize(std::max(1, font.size));
    f.setBold(font.bold);
    qfont_ = f;
    if (painter_->isActive()) painter_->setFont(f);
    applied_ = font;
    fontApplied_ = true;
}

void Canvas::LineTo(int x, int y) {
    if (painter_->isActive()) {
        ApplyPen(*painter_);
        painter_->drawLine(pos_.x, pos_.y, x, y);
    }
    pos_ = {x, y};
}

void Canvas::Polyline(const Point* pts, std::size_t n) {
    if (!painter_->isActive() || n < 2) return;
    scratch_.resize(n);
    for (std::size_t i = 0; i < n; ++i) scratch_[i] = QPoint(pts[i].x, pts[i].y);
    ApplyPen(*painter_);
    painter_->drawPolyline(scratch_.data(), static_cast<int>(n));
}

void Canvas::Polygon(const Point* pts, std::size_t n) {
    if (!painter_->isActive() || n < 2) return;
    scratch_.resize(n);
    for (std::size_t i = 0; i < n; ++i) scratch_[i] = QPoint(pts[i].x, pts[i].y);
    ApplyPen(*painter_);
    ApplyBrush(*painter_);
    painter_->drawPolygon(scratch_.data(), static_cast<int>(n));
}

void Canvas::Rectangle(int left, int top, int right, int bottom) {
    if (!painter_->isActive() || right <= left || bottom <= top) return;
    ApplyPen(*painter_);
    ApplyBrush(*painter_);
    // A one-pixel outline of QRect(x, y, w, h) covers x..x+w, so the figure
    // ends one pixel before right and bottom.
    painter_->drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

void Canvas::FillRect(int left, int top, int right, int bottom) {
    if (!painter_->isActive() || right <= left || bottom <= top) return;
    if (brush.style == BrushStyle::Clear) return;
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const Qt::BrushStyle style =
        brush.style == BrushStyle::Solid ? Qt::SolidPattern : Qt::DiagCrossPattern;
    painter_->fillRect(QRect(left, top, right - left, bottom - top), QBrush(ToQt(brush.color), style));
}

void Canvas::TextOut(int x, int y, const std::string& text) {
    if (!painter_->isActive() || text.empty()) return;
    ApplyFont();
    const QString s = QString::fromStdString(text);
    const QFontMetrics fm = painter_->fontMetrics();
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (brush.style == BrushStyle::Solid)
        painter_->fillRect(QRect(x, y, fm.horizontalAdvance(s), fm.height()), ToQt(brush.color));
    painter_->setPen(ToQt(font.color));
    painter_->drawText(x, y + fm.ascent(), s);
}

QFontMetrics Canvas::Metrics() {
    ApplyFont();
    return painter_->isActive() ? painter_->fontMetrics() : QFontMetrics(qfont_);
}

int Canvas::TextWidth(const std::string& text) {
    return Metrics().horizontalAdvance(QString::fromStdString(text));
}

int Canvas::TextHeight(const std::string&) { return Metrics().height(); }

void Canvas::SetClipRect(int left, int top, int right, int bottom) {
    if (!painter_->isActive()) return;
    clip_ = QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
    clipping_ = true;
    painter_->setClipRect(clip_);
}

void Canvas::ClearClip() {
    clipping_ = false;
    if (painter_->isActive()) painter_->setClipping(false);
}

QImage* Canvas::RasterTarget() const {
    if (!painter_->isActive() || pen.mode != PenMode::Copy) return nullptr;
    QPaintDevice* d = painter_->device();
    if (!d || d->devType() != QInternal::Image || !painter_->worldTransform().isIdentity()) return nullptr;
    auto* img = static_cast<QImage*>(d);
    const QImage::Format f = img->format();
    if (img->devicePixelRatio() != 1 || !img->isDetached() ||
        (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied))
        return nullptr;
    return img;
}

void Canvas::Figures(const Point* shape, std::size_t n, const Point* at, std::size_t count) {
    if (!painter_->isActive() || n < 2 || count == 0) return;
    QImage* target = RasterTarget();
    if (!target) {
        std::vector<Point> moved(n);
        for (std::size_t k = 0; k < count; ++k) {
            for (std::size_t i = 0; i < n; ++i) moved[i] = {shape[i].x + at[k].x, shape[i].y + at[k].y};
            Polygon(moved.data(), n);
        }
        return;
    }
    // Drawn once by the painter itself, then copied pixel for pixel to every
    // place: on an image this gives exactly what drawing each one would.
    int minX = shape[0].x, maxX = minX, minY = shape[0].y, maxY = minY;
    for (std::size_t i = 1; i < n; ++i) {
        minX = std::min(minX, shape[i].x);
        maxX = std::max(maxX, shape[i].x);
        minY = std::min(minY, shape[i].y);
        maxY = std::max(maxY, shape[i].y);
    }
    const int margin = std::max(1, pen.width) + 1;
    QImage stamp(maxX - minX + 1 + 2 * margin, maxY - minY + 1 + 2 * margin, QImage::Format_ARGB32_Premultiplied);
    if (stamp.isNull()) return;
    stamp.fill(Qt::transparent);
    {
        QPainter sp(&stamp);
        ApplyPen(sp);
        ApplyBrush(sp);
        std::vector<QPoint> pts(n);
        for (std::size_t i = 0; i < n; ++i) pts[i] = QPoint(shape[i].x - minX + margin, shape[i].y - minY + margin);
        sp.drawPolygon(pts.data(), static_cast<int>(n));
    }
    // Opaque runs of the stamp, row by row.
    struct Run {
        int dy, dx, len;
    };
    std::vector<Run> runs;
    for (int y = 0; y < stamp.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(stamp.constScanLine(y));
        for (int x = 0; x < stamp.width();) {
            if (qAlpha(row[x]) == 0) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < stamp.width() && qAlpha(row[x]) != 0) ++x;
            runs.push_back({y, start, x - start});
        }
    }
    QRect area = target->rect();
    if (clipping_) area &= clip_;
    const int ox = minX - margin, oy = minY - margin;
    uchar* base = target->bits();
    const qsizetype stride = target->bytesPerLine();
    for (std::size_t k = 0; k < count; ++k) {
        const int bx = at[k].x + ox, by = at[k].y + oy;
        for (const Run& r : runs) {
            const int y = by + r.dy;
            if (y < area.top() || y > area.bottom()) continue;
            const int x0 = std::max(bx + r.dx, area.left()), x1 = std::min(bx + r.dx + r.len, area.right() + 1);
            if (x0 >= x1) continue;
            const auto* src = reinterpret_cast<const QRgb*>(stamp.constScanLine(r.dy)) + (x0 - bx);
            auto* dst = reinterpret_cast<QRgb*>(base + y * stride) + x0;
            for (int i = 0; i < x1 - x0; ++i) dst[i] = src[i];  // runs are a few pixels long
        }
    }
}

void Canvas::Draw(int x, int y, const QImage& image) {
    if (!painter_->isActive()) return;
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->drawImage(QPoint(x, y), image);
}

int Canvas::Resolution() const {
    const QPaintDevice* d = painter_->device();
    return d ? d->logicalDpiY() : 96;
}

QImage NewBitmap(int width, int height) {
    if (width <= 0 || height <= 0) return QImage();
    QImage img(width, height, QImage::Format_RGB32);
    if (img.isNull()) return img;
    img.setDotsPerMeterX(3780);  // 96 per inch, as the screen
    img.setDotsPerMeterY(3780);
    img.fill(Qt::white);
    return img;
}

} // namespace kivra
