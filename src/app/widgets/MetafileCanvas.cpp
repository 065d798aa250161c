#include "app/widgets/MetafileCanvas.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace qm::app {

namespace {

// Text alignment bits.
constexpr std::uint32_t kTaUpdateCp = 0x0001;
constexpr std::uint32_t kTaHorizontal = 0x0006;
constexpr std::uint32_t kTaRight = 0x0002;
constexpr std::uint32_t kTaCenter = 0x0006;
constexpr std::uint32_t kTaVertical = 0x0018;
constexpr std::uint32_t kTaBottom = 0x0008;
constexpr std::uint32_t kTaBaseline = 0x0018;

constexpr std::uint32_t kBkOpaque = 2;
constexpr std::uint32_t kWinding = 2;

constexpr std::uint32_t kPsNull = 5;
constexpr std::uint32_t kBsSolid = 0;
constexpr std::uint32_t kBsNull = 1;
constexpr std::uint32_t kBsHatched = 2;

constexpr std::uint32_t kPatCopy = 0x00F00021;
constexpr std::uint32_t kBlackness = 0x00000042;
constexpr std::uint32_t kWhiteness = 0x00FF0062;

// The default font of a device context is about 12 points: 16 pixels at 96 dpi.
constexpr double kDefaultFontPixels = 16.0;
// A dash pattern longer than this many dashes is drawn solid: Qt would spend minutes on it.
constexpr double kMaxDashes = 100000.0;

bool Finite(const QTransform& t) {
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

// Windows-1252 for the bytes that are not Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

}  // namespace

MetafileCanvas::MetafileCanvas(QPainter* painter, const QTransform& deviceToImage,
                               QSizeF pixelsPerMm)
    : m_painter(painter), m_deviceToImage(deviceToImage), m_pixelsPerMm(pixelsPerMm) {}

// ---------------------------------------------------------------------------------------------
// Mapping

QTransform MetafileCanvas::LogicalToImage() {
    if (m_logicalToImage) {
        return *m_logicalToImage;
    }
    const State& s = m_state;
    double sx = 1;
    double sy = 1;
    const auto metric = [&](double mmPerUnit) {
        sx = m_pixelsPerMm.width() * mmPerUnit;
        sy = -m_pixelsPerMm.height() * mmPerUnit;
    };
    switch (s.mapMode) {
        case kLoMetric:
            metric(0.1);
            break;
        case kHiMetric:
            metric(0.01);
            break;
        case kLoEnglish:
            metric(0.254);
            break;
        case kHiEnglish:
            metric(0.0254);
            break;
        case kTwips:
            metric(25.4 / 1440.0);
            break;
        case kIsotropic:
        case kAnisotropic:
            sx = s.windowExt.width() != 0 ? s.viewportExt.width() / s.windowExt.width() : 1;
            sy = s.windowExt.height() != 0 ? s.viewportExt.height() / s.windowExt.height() : 1;
            if (s.mapMode == kIsotropic) {
                const double m = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(m, sx);
                sy = std::copysign(m, sy);
            }
            break;
        default:
            break;
    }
    const QTransform mapping(sx, 0, 0, sy, s.viewportOrg.x() - s.windowOrg.x() * sx,
                             s.viewportOrg.y() - s.windowOrg.y() * sy);
    QTransform result = s.world * mapping * m_deviceToImage;
    if (!Finite(result)) {
        result = QTransform(0, 0, 0, 0, 0, 0);  // draws nothing rather than garbage
    }
    m_logicalToImage = result;
    return result;
}

double MetafileCanvas::Scale() {
    const QTransform t = LogicalToImage();
    const double det = std::abs(t.m11() * t.m22() - t.m12() * t.m21());
    const double scale = std::sqrt(det);
    return std::isfinite(scale) ? scale : 0;
}

void MetafileCanvas::SetMapMode(std::uint32_t mode) {
    m_state.mapMode = mode;
    m_logicalToImage.reset();
}

void MetafileCanvas::SetWindowOrg(QPointF org) {
    m_state.windowOrg = org;
    m_logicalToImage.reset();
}

void MetafileCanvas::SetWindowExt(QSizeF ext) {
    if (ext.width() == 0 || ext.height() == 0) {
        return;  // a zero extent is refused, as a device context does
    }
    m_state.windowExt = ext;
    m_logicalToImage.reset();
}

void MetafileCanvas::SetViewportOrg(QPointF org) {
    m_state.viewportOrg = org;
    m_logicalToImage.reset();
}

void MetafileCanvas::SetViewportExt(QSizeF ext) {
    if (ext.width() == 0 || ext.height() == 0) {
        return;
    }
    m_state.viewportExt = ext;
    m_logicalToImage.reset();
}

void MetafileCanvas::OffsetWindowOrg(QPointF delta) {
    SetWindowOrg(m_state.windowOrg + delta);
}

void MetafileCanvas::OffsetViewportOrg(QPointF delta) {
    SetViewportOrg(m_state.viewportOrg + delta);
}

void MetafileCanvas::ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0) {
        return;
    }
    SetWindowExt(QSizeF(m_state.windowExt.width() * xNum / xDenom,
                        m_state.windowExt.height() * yNum / yDenom));
}

void MetafileCanvas::ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom) {
    if (xDenom == 0 || yDenom == 0) {
        return;
    }
    SetViewportExt(QSizeF(m_state.viewportExt.width() * xNum / xDenom,
                          m_state.viewportExt.height() * yNum / yDenom));
}

void MetafileCanvas::SetWorldTransform(const QTransform& world) {
    if (!Finite(world)) {
        return;
    }
    m_state.world = world;
    m_logicalToImage.reset();
}

void MetafileCanvas::ModifyWorldTransform(const QTransform& xform, std::uint32_t mode) {
    switch (mode) {
        case 1:
            SetWorldTransform(QTransform());
            break;
        case 2:  // the new transform applies first
            SetWorldTransform(xform * m_state.world);
            break;
        case 3:
            SetWorldTransform(m_state.world * xform);
            break;
        case 4:
            SetWorldTransform(xform);
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Objects

void MetafileCanvas::ResizeObjectTable(std::size_t size) {
    m_objects.resize(std::min(size, kMaxObjects));
    m_firstFree = 0;
}

void MetafileCanvas::CreateObjectAt(std::uint32_t index, Object object) {
    if (index == 0 || index >= kMaxObjects) {
        return;
    }
    if (index >= m_objects.size()) {
        m_objects.resize(index + 1);
    }
    m_objects[index] = std::move(object);
}

void MetafileCanvas::CreateObject(Object object) {
    std::size_t index = m_firstFree;
    while (index < m_objects.size() && !std::holds_alternative<std::monostate>(m_objects[index])) {
        ++index;
    }
    AddWork(static_cast<std::int64_t>(index - m_firstFree) / 64 + 1);
    if (index == m_objects.size()) {
        if (index >= kMaxObjects) {
            return;
        }
        m_objects.emplace_back();
    }
    m_objects[index] = std::move(object);
    m_firstFree = index + 1;
}

void MetafileCanvas::SelectObject(std::uint32_t index) {
    if (index >= m_objects.size()) {
        return;
    }
    const Object& object = m_objects[index];
    if (const auto* pen = std::get_if<LogPen>(&object)) {
        m_state.pen = *pen;
    } else if (const auto* brush = std::get_if<LogBrush>(&object)) {
        m_state.brush = *brush;
    } else if (const auto* font = std::get_if<LogFont>(&object)) {
        m_state.font = *font;
    }
}

void MetafileCanvas::SelectStockObject(std::uint32_t id) {
    const auto brush = [&](QColor color, std::uint32_t style) {
        m_state.brush = LogBrush{style, color, 0, {}};
    };
    const auto pen = [&](QColor color, std::uint32_t style) {
        m_state.pen = LogPen{style, 0, color};
    };
    switch (id) {
        case 0:   // white brush
        case 18:  // DC brush
            brush(Qt::white, kBsSolid);
            break;
        case 1:
            brush(QColor(0xc0, 0xc0, 0xc0), kBsSolid);
            break;
        case 2:
            brush(QColor(0x80, 0x80, 0x80), kBsSolid);
            break;
        case 3:
            brush(QColor(0x40, 0x40, 0x40), kBsSolid);
            break;
        case 4:
            brush(Qt::black, kBsSolid);
            break;
        case 5:
            brush(Qt::black, kBsNull);
            break;
        case 6:
            pen(Qt::white, 0);
            break;
        case 7:   // black pen
        case 19:  // DC pen
            pen(Qt::black, 0);
            break;
        case 8:
            pen(Qt::black, kPsNull);
            break;
        case 10:
        case 11:
        case 12:
        case 13:
        case 14:
        case 16:
        case 17:
            m_state.font = LogFont{};
            break;
        default:
            break;
    }
}

void MetafileCanvas::DeleteObject(std::uint32_t index) {
    if (index < m_objects.size()) {
        m_objects[index] = std::monostate{};
        m_firstFree = std::min<std::size_t>(m_firstFree, index);
    }
}

// ---------------------------------------------------------------------------------------------
// States and clipping

void MetafileCanvas::SaveDc() {
    if (m_saved.size() < kMaxSavedStates) {
        m_saved.push_back(m_state);
    }
}

void MetafileCanvas::RestoreDc(std::int32_t which) {
    // Below zero: that many states back; above zero: the which-th saved state.
    const std::int64_t count = static_cast<std::int64_t>(m_saved.size());
    const std::int64_t target = which < 0 ? count + which : std::int64_t{which} - 1;
    if (which == 0 || target < 0 || target >= count) {
        return;
    }
    m_state = m_saved[static_cast<std::size_t>(target)];
    m_saved.resize(static_cast<std::size_t>(target));
    m_logicalToImage.reset();
    m_clipApplied = false;
}

void MetafileCanvas::IntersectClipRect(const QRectF& logical) {
    QPainterPath rect;
    rect.addRect(logical.normalized());
    const QPainterPath image = LogicalToImage().map(rect);
    m_state.clip = m_state.clip ? m_state.clip->intersected(image) : image;
    m_clipApplied = false;
    AddWork(64);
}

void MetafileCanvas::ExcludeClipRect(const QRectF& logical) {
    QPainterPath rect;
    rect.addRect(logical.normalized());
    const QPainterPath image = LogicalToImage().map(rect);
    QPainterPath base;
    if (m_state.clip) {
        base = *m_state.clip;
    } else if (m_painter && m_painter->device()) {
        base.addRect(QRectF(0, 0, m_painter->device()->width(), m_painter->device()->height()));
    } else {
        return;  // measuring: excluding never widens the extent
    }
    m_state.clip = base.subtracted(image);
    m_clipApplied = false;
    AddWork(64);
}

void MetafileCanvas::ResetClip() {
    m_state.clip.reset();
    m_clipApplied = false;
}

void MetafileCanvas::SelectClipRects(const std::vector<QRectF>& deviceRects, std::uint32_t mode) {
    QPainterPath device;
    for (const QRectF& r : deviceRects) {
        device.addRect(r.normalized());
    }
    device.setFillRule(Qt::WindingFill);
    const QPainterPath image = m_deviceToImage.map(device);
    AddWork(static_cast<std::int64_t>(deviceRects.size()) * 16 + 64);
    if (mode == 1 && m_state.clip) {
        m_state.clip = m_state.clip->intersected(image);
    } else {
        m_state.clip = image;
    }
    m_clipApplied = false;
}

void MetafileCanvas::ApplyClip() {
    if (!m_painter || m_clipApplied) {
        return;
    }
    m_painter->setTransform(QTransform());
    if (m_state.clip) {
        m_painter->setClipPath(*m_state.clip);
    } else {
        m_painter->setClipping(false);
    }
    m_clipApplied = true;
}

// ---------------------------------------------------------------------------------------------
// Paths

void MetafileCanvas::BeginPath() {
    m_path = QPainterPath();
    m_pathOpen = true;
}

void MetafileCanvas::AbortPath() {
    m_path = QPainterPath();
    m_pathOpen = false;
}

void MetafileCanvas::CloseFigure() {
    if (m_pathOpen) {
        m_path.closeSubpath();
    }
}

void MetafileCanvas::FillPath() {
    m_pathOpen = false;
    PaintImagePath(m_path, true, false);
    m_path = QPainterPath();
}

void MetafileCanvas::StrokePath() {
    m_pathOpen = false;
    PaintImagePath(m_path, false, true);
    m_path = QPainterPath();
}

void MetafileCanvas::StrokeAndFillPath() {
    m_pathOpen = false;
    PaintImagePath(m_path, true, true);
    m_path = QPainterPath();
}

void MetafileCanvas::SelectClipPath() {
    m_pathOpen = false;
    m_state.clip = m_path;
    m_clipApplied = false;
    m_path = QPainterPath();
}

// ---------------------------------------------------------------------------------------------
// Drawing

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

void MetafileCanvas::DrawText(QPointF ref, const QString& text, const std::vector<double>& dx,
                              std::uint32_t options, const std::optional<QRectF>& rect) {
    AddWork(static_cast<std::int64_t>(text.size()) * 16 + 64);
    if (Exhausted()) {
        return;
    }
    const QTransform t = LogicalToImage();
    const bool updateCp = (m_state.textAlign & kTaUpdateCp) != 0;
    const QPointF logicalRef = updateCp ? m_state.position : ref;
    const QPointF anchor = t.map(logicalRef);
    const double xScale = std::hypot(t.m11(), t.m12());
    const double yScale = std::hypot(t.m21(), t.m22());

    if (m_painter && rect && (options & kEtoOpaque)) {
        QPainterPath box;
        box.addRect(rect->normalized());
        ApplyClip();
        m_painter->setTransform(QTransform());
        m_painter->fillPath(t.map(box), m_state.bkColor);
    }
    if (text.isEmpty()) {
        return;
    }

    const LogFont& lf = m_state.font;
    QFont font;
    if (!lf.face.isEmpty()) {
        font.setFamily(lf.face);
    }
    font.setWeight(
        static_cast<QFont::Weight>(std::clamp(lf.weight == 0 ? 400 : lf.weight, 100, 900)));
    font.setItalic(lf.italic);
    font.setUnderline(lf.underline);
    font.setStrikeOut(lf.strikeOut);
    double pixels = 0;
    if (lf.height < 0) {
        pixels = -lf.height * yScale;
    } else if (lf.height > 0) {
        pixels = lf.height * yScale;  // the cell height: shrink to the character height below
    } else {
        pixels = kDefaultFontPixels * std::hypot(m_deviceToImage.m21(), m_deviceToImage.m22());
    }
    double maxPixels = 4096;
    if (m_painter && m_painter->device()) {
        maxPixels = std::min(maxPixels,
                             4.0 * (m_painter->device()->height() + m_painter->device()->width()));
    }
    if (!std::isfinite(pixels) || pixels < 0.5) {
        return;
    }
    pixels = std::min(pixels, maxPixels);
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    if (lf.height > 0) {
        const double cell = QFontMetricsF(font).height();
        if (cell > 0) {
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels * pixels / cell))));
        }
    }
    const QFontMetricsF metrics(font);

    // Advances: the recorded ones place each character where the writer put it.
    std::vector<double> advances;
    double total = 0;
    if (dx.size() >= static_cast<std::size_t>(text.size())) {
        advances.reserve(dx.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            advances.push_back(dx[static_cast<std::size_t>(i)] * xScale);
            total += advances.back();
        }
        if (!std::isfinite(total)) {
            advances.clear();
            total = metrics.horizontalAdvance(text);
        }
    } else {
        total = metrics.horizontalAdvance(text);
    }
    double x0 = 0;
    switch (m_state.textAlign & kTaHorizontal) {
        case kTaCenter:
            x0 = -total / 2;
            break;
        case kTaRight:
            x0 = -total;
            break;
        default:
            break;
    }
    double baseline = metrics.ascent();
    switch (m_state.textAlign & kTaVertical) {
        case kTaBaseline:
            baseline = 0;
            break;
        case kTaBottom:
            baseline = -metrics.descent();
            break;
        default:
            break;
    }
    if (updateCp && xScale > 0) {
        m_state.position = logicalRef + QPointF(total / xScale, 0);
    }

    QTransform place;
    place.translate(anchor.x(), anchor.y());
    place.rotate(-lf.escapement / 10.0);
    const QRectF box(x0, baseline - metrics.ascent(), total, metrics.ascent() + metrics.descent());
    if (!m_painter) {
        Measure(place.mapRect(box));
        return;
    }
    ApplyClip();
    m_painter->save();
    if (rect && (options & kEtoClipped)) {
        QPainterPath clip;
        clip.addRect(rect->normalized());
        m_painter->setClipPath(t.map(clip), Qt::IntersectClip);
    }
    m_painter->setTransform(place);
    if (m_state.bkMode == kBkOpaque && !(options & kEtoOpaque)) {
        m_painter->fillRect(box, m_state.bkColor);
    }
    m_painter->setFont(font);
    m_painter->setPen(m_state.textColor);
    if (advances.empty()) {
        m_painter->drawText(QPointF(x0, baseline), text);
    } else {
        double x = x0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const bool pair = text[i].isHighSurrogate() && i + 1 < text.size();
            const QString glyph = text.mid(i, pair ? 2 : 1);
            m_painter->drawText(QPointF(x, baseline), glyph);
            x += advances[static_cast<std::size_t>(i)];
            if (pair) {
                ++i;
                x += advances[static_cast<std::size_t>(i)];
            }
        }
    }
    m_painter->restore();
    m_clipApplied = false;  // restore() brought back the clip of before; set ours again next time
}

QString MetafileCanvas::DecodeAnsi(const char* bytes, std::size_t length) {
    QString text;
    text.reserve(static_cast<qsizetype>(length));
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80 && c < 0xa0) {
            text.append(QChar(kCp1252High[c - 0x80]));
        } else {
            text.append(QChar(static_cast<char16_t>(c)));
        }
    }
    return text;
}

}  // namespace qm::app
