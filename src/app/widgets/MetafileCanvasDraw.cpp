// MetafileCanvas: drawing shapes, fills and bitmaps.
#include "app/widgets/MetafileCanvas.h"

#include "app/widgets/MetafileCanvasGdi.h"

#include <QPaintDevice>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace qm::app {

namespace {

using gdi::kBkOpaque;
using gdi::kBsNull;
using gdi::kBsSolid;
using gdi::kPsNull;

constexpr std::uint32_t kWinding = 2;
constexpr std::uint32_t kBsHatched = 2;

constexpr std::uint32_t kPatCopy = 0x00F00021;
constexpr std::uint32_t kBlackness = 0x00000042;
constexpr std::uint32_t kWhiteness = 0x00FF0062;

// A dash pattern longer than this many dashes is drawn solid: Qt would spend minutes on it.
constexpr double kMaxDashes = 100000.0;

}  // namespace

void MetafileCanvas::Measure(const QRectF& imageRect) {
    if (!imageRect.isValid() && imageRect.isNull()) {
        return;
    }
    const QRectF r = imageRect.normalized();
    if (!std::isfinite(r.left()) || !std::isfinite(r.top()) || !std::isfinite(r.right()) ||
        !std::isfinite(r.bottom())) {
        return;
    }
    m_bounds = m_bounds.isNull() ? r : m_bounds.united(r);
}

QPen MetafileCanvas::ImagePen(const QRectF& extent) {
    const LogPen& pen = m_state.pen;
    double width = pen.width > 0 ? pen.width * Scale() : 0;
    double maxWidth = 100000;
    if (m_painter && m_painter->device()) {
        maxWidth = 2.0 * (m_painter->device()->width() + m_painter->device()->height());
    }
    width = std::min(width, maxWidth);
    QPen result(pen.color, width);
    Qt::PenStyle style = Qt::SolidLine;
    switch (pen.style & 0x0f) {
        case 1:
            style = Qt::DashLine;
            break;
        case 2:
        case 8:
            style = Qt::DotLine;
            break;
        case 3:
            style = Qt::DashDotLine;
            break;
        case 4:
            style = Qt::DashDotDotLine;
            break;
        default:
            break;
    }
    const double unit = std::max(width, 1.0);
    if (style != Qt::SolidLine && (extent.width() + extent.height()) / unit > kMaxDashes) {
        style = Qt::SolidLine;
    }
    result.setStyle(style);
    switch (pen.style & 0x0f00) {
        case 0x0100:
            result.setCapStyle(Qt::SquareCap);
            break;
        case 0x0200:
            result.setCapStyle(Qt::FlatCap);
            break;
        default:
            result.setCapStyle(Qt::RoundCap);
            break;
    }
    switch (pen.style & 0xf000) {
        case 0x1000:
            result.setJoinStyle(Qt::BevelJoin);
            break;
        case 0x2000:
            result.setJoinStyle(Qt::MiterJoin);
            break;
        default:
            result.setJoinStyle(Qt::RoundJoin);
            break;
    }
    return result;
}

QBrush MetafileCanvas::ImageBrush() const {
    const LogBrush& brush = m_state.brush;
    switch (brush.style) {
        case kBsNull:
            return Qt::NoBrush;
        case kBsHatched: {
            static constexpr std::array<Qt::BrushStyle, 6> kHatches = {
                Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
            return QBrush(brush.color,
                          brush.hatch < kHatches.size() ? kHatches[brush.hatch] : Qt::SolidPattern);
        }
        case 3:
        case 5:
        case 6:
            if (!brush.pattern.isNull()) {
                return QBrush(brush.pattern);
            }
            return QBrush(brush.color);
        default:
            return QBrush(brush.color);
    }
}

void MetafileCanvas::PaintImagePath(const QPainterPath& path, bool fill, bool stroke) {
    AddWork(path.elementCount() + 1);
    if (path.isEmpty() || Exhausted()) {
        return;
    }
    const bool hasBrush = fill && m_state.brush.style != kBsNull;
    const bool hasPen = stroke && (m_state.pen.style & 0x0f) != kPsNull;
    if (!hasBrush && !hasPen) {
        return;
    }
    const QRectF extent = path.controlPointRect();
    if (!m_painter) {
        const double half = hasPen ? ImagePen(extent).widthF() / 2 : 0;
        Measure(extent.adjusted(-half, -half, half, half));
        return;
    }
    ApplyClip();
    m_painter->setTransform(QTransform());
    if (hasBrush) {
        QPainterPath filled = path;
        filled.setFillRule(m_state.polyFillMode == kWinding ? Qt::WindingFill : Qt::OddEvenFill);
        if (m_state.brush.style == kBsHatched && m_state.bkMode == kBkOpaque) {
            m_painter->fillPath(filled, m_state.bkColor);
        }
        m_painter->fillPath(filled, ImageBrush());
    }
    if (hasPen) {
        m_painter->strokePath(path, ImagePen(extent));
    }
}

void MetafileCanvas::Draw(const QPainterPath& logical, bool fill, bool stroke) {
    AddWork(logical.elementCount() + 1);
    if (Exhausted()) {
        return;
    }
    const QPainterPath image = LogicalToImage().map(logical);
    if (m_pathOpen) {
        m_path.addPath(image);
        return;
    }
    PaintImagePath(image, fill, stroke);
}

void MetafileCanvas::MoveTo(QPointF p) {
    m_state.position = p;
    if (m_pathOpen) {
        m_path.moveTo(LogicalToImage().map(p));
    }
}

void MetafileCanvas::LineTo(QPointF p) {
    Polyline({p}, true);
}

void MetafileCanvas::Polyline(const std::vector<QPointF>& points, bool fromCurrent) {
    if (points.empty()) {
        return;
    }
    QPainterPath path;
    std::size_t first = 0;
    if (fromCurrent) {
        path.moveTo(m_state.position);
    } else {
        path.moveTo(points[0]);
        first = 1;
    }
    for (std::size_t i = first; i < points.size(); ++i) {
        path.lineTo(points[i]);
    }
    if (fromCurrent) {
        m_state.position = points.back();
    }
    if (m_pathOpen && fromCurrent) {
        AddWork(path.elementCount());
        m_path.connectPath(LogicalToImage().map(path));
        return;
    }
    Draw(path, false, true);
}

void MetafileCanvas::PolyBezier(const std::vector<QPointF>& points, bool fromCurrent) {
    std::size_t i = 0;
    QPainterPath path;
    if (fromCurrent) {
        path.moveTo(m_state.position);
    } else {
        if (points.empty()) {
            return;
        }
        path.moveTo(points[0]);
        i = 1;
    }
    for (; i + 2 < points.size(); i += 3) {
        path.cubicTo(points[i], points[i + 1], points[i + 2]);
    }
    if (fromCurrent && path.elementCount() > 1) {
        m_state.position = path.currentPosition();
    }
    if (m_pathOpen && fromCurrent) {
        AddWork(path.elementCount());
        m_path.connectPath(LogicalToImage().map(path));
        return;
    }
    Draw(path, false, true);
}

void MetafileCanvas::PolyPolygon(const std::vector<std::vector<QPointF>>& polygons) {
    QPainterPath path;
    for (const auto& polygon : polygons) {
        if (polygon.empty()) {
            continue;
        }
        path.moveTo(polygon[0]);
        for (std::size_t i = 1; i < polygon.size(); ++i) {
            path.lineTo(polygon[i]);
        }
        path.closeSubpath();
    }
    Draw(path, true, true);
}

void MetafileCanvas::PolyPolyline(const std::vector<std::vector<QPointF>>& lines) {
    QPainterPath path;
    for (const auto& line : lines) {
        if (line.empty()) {
            continue;
        }
        path.moveTo(line[0]);
        for (std::size_t i = 1; i < line.size(); ++i) {
            path.lineTo(line[i]);
        }
    }
    Draw(path, false, true);
}

void MetafileCanvas::Rectangle(const QRectF& box) {
    QPainterPath path;
    path.addRect(box.normalized());
    Draw(path, true, true);
}

void MetafileCanvas::RoundRect(const QRectF& box, QSizeF corner) {
    QPainterPath path;
    path.addRoundedRect(box.normalized(), std::abs(corner.width()) / 2,
                        std::abs(corner.height()) / 2);
    Draw(path, true, true);
}

void MetafileCanvas::Ellipse(const QRectF& box) {
    QPainterPath path;
    path.addEllipse(box.normalized());
    Draw(path, true, true);
}

void MetafileCanvas::Arc(const QRectF& rawBox, QPointF start, QPointF end, ArcKind kind) {
    const QRectF box = rawBox.normalized();
    if (box.isEmpty()) {
        return;
    }
    const QPointF c = box.center();
    const auto angle = [&](QPointF p) {
        return std::atan2(-(p.y() - c.y()), p.x() - c.x()) * 180.0 / std::numbers::pi;
    };
    const double a1 = angle(start);
    double sweep = angle(end) - a1;
    if (sweep <= 0) {
        sweep += 360;  // counter-clockwise, the full ellipse when both points agree
    }
    QPainterPath path;
    if (kind == ArcKind::Pie) {
        path.moveTo(c);
        path.arcTo(box, a1, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(box, a1);
        path.arcTo(box, a1, sweep);
        if (kind == ArcKind::Chord) {
            path.closeSubpath();
        }
    }
    Draw(path, kind != ArcKind::Arc, true);
}

void MetafileCanvas::SetPixel(QPointF p, QColor color) {
    AddWork(1);
    if (Exhausted()) {
        return;
    }
    const QPointF image = LogicalToImage().map(p);
    const QRectF pixel(std::floor(image.x()), std::floor(image.y()), 1, 1);
    if (!m_painter) {
        Measure(pixel);
        return;
    }
    ApplyClip();
    m_painter->setTransform(QTransform());
    m_painter->fillRect(pixel, color);
}

void MetafileCanvas::PatBlt(const QRectF& box, std::uint32_t rop) {
    QPainterPath path;
    path.addRect(box.normalized());
    const LogBrush brush = m_state.brush;
    const LogPen pen = m_state.pen;
    if (rop == kBlackness || rop == kWhiteness) {
        m_state.brush = LogBrush{kBsSolid, rop == kBlackness ? Qt::black : Qt::white, 0, {}};
    } else if (rop != kPatCopy) {
        return;  // raster operations that combine with the destination are not drawn
    }
    m_state.pen.style = kPsNull;
    Draw(path, true, false);
    m_state.brush = brush;
    m_state.pen = pen;
}

void MetafileCanvas::DrawBitmap(const QImage& image, const QRectF& dest, const QRectF& source) {
    AddWork(1000);
    if (image.isNull() || Exhausted() || dest.width() == 0 || dest.height() == 0) {
        return;
    }
    QRectF src = source.normalized().intersected(QRectF(image.rect()));
    if (src.isEmpty()) {
        return;
    }
    const QTransform t = LogicalToImage();
    const QRectF imageDest = t.mapRect(dest.normalized());
    if (!m_painter) {
        Measure(imageDest);
        return;
    }
    // Negative extents mirror the bitmap.
    QImage part = image.copy(src.toAlignedRect());
    if (part.isNull()) {
        return;
    }
    if (dest.width() < 0 || dest.height() < 0) {
        part = part.mirrored(dest.width() < 0, dest.height() < 0);
    }
    // Shrinking a large bitmap in one smooth step looks better than sampling it while drawing.
    const QSize target(static_cast<int>(std::ceil(std::min(imageDest.width(), 65536.0))),
                       static_cast<int>(std::ceil(std::min(imageDest.height(), 65536.0))));
    if (target.width() > 0 && target.height() > 0 && target.width() * 2 < part.width() &&
        target.height() * 2 < part.height()) {
        part = part.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    ApplyClip();
    m_painter->setTransform(t);
    m_painter->drawImage(dest.normalized(), part, QRectF(part.rect()));
    m_painter->setTransform(QTransform());
}

}  // namespace qm::app
