// MetafileCanvas: the graphics state (mapping, objects, saved states, clipping, paths). The
// drawing calls are in MetafileCanvasDraw.cpp, text in MetafileCanvasText.cpp.
#include "app/widgets/MetafileCanvas.h"

#include "app/widgets/MetafileCanvasGdi.h"

#include <QPaintDevice>

#include <algorithm>
#include <cmath>

namespace qm::app {

namespace {

using gdi::kBsNull;
using gdi::kBsSolid;
using gdi::kPsNull;

bool Finite(const QTransform& t) {
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) &&
           std::isfinite(t.m22()) && std::isfinite(t.dx()) && std::isfinite(t.dy());
}

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

}  // namespace qm::app
