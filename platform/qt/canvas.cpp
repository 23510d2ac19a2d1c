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

void Canvas::ApplyPen() {
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
    painter_->setPen(p);
    painter_->setCompositionMode(pen.mode == PenMode::NotXor && rasterOps_
                                     ? QPainter::RasterOp_NotSourceXorDestination
                                     : QPainter::CompositionMode_SourceOver);
}

void Canvas::ApplyBrush() {
    switch (brush.style) {
    case BrushStyle::Solid: painter_->setBrush(QBrush(ToQt(brush.color), Qt::SolidPattern)); break;
    case BrushStyle::Clear: painter_->setBrush(Qt::NoBrush); break;
    case BrushStyle::DiagCross:
        painter_->setBrush(QBrush(ToQt(brush.color), Qt::DiagCrossPattern));
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
        ApplyPen();
        painter_->drawLine(pos_.x, pos_.y, x, y);
    }
    pos_ = {x, y};
}

void Canvas::Polyline(const Point* pts, std::size_t n) {
    if (!painter_->isActive() || n < 2) return;
    scratch_.resize(n);
    for (std::size_t i = 0; i < n; ++i) scratch_[i] = QPoint(pts[i].x, pts[i].y);
    ApplyPen();
    painter_->drawPolyline(scratch_.data(), static_cast<int>(n));
}

void Canvas::Polygon(const Point* pts, std::size_t n) {
    if (!painter_->isActive() || n < 2) return;
    scratch_.resize(n);
    for (std::size_t i = 0; i < n; ++i) scratch_[i] = QPoint(pts[i].x, pts[i].y);
    ApplyPen();
    ApplyBrush();
    painter_->drawPolygon(scratch_.data(), static_cast<int>(n));
}

void Canvas::Rectangle(int left, int top, int right, int bottom) {
    if (!painter_->isActive() || right <= left || bottom <= top) return;
    ApplyPen();
    ApplyBrush();
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
    painter_->setClipRect(QRect(left, top, std::max(0, right - left), std::max(0, bottom - top)));
}

void Canvas::ClearClip() {
    if (painter_->isActive()) painter_->setClipping(false);
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
