#include "app/widgets/EmfPlayer.h"

#include "app/widgets/EmfRecords.h"
#include "app/widgets/MetafileRecord.h"

extern "C" {
#include <uemf.h>
#include <uemf_safe.h>
}

#include <algorithm>
#include <cmath>
#include <vector>

namespace qm::app {

namespace {

constexpr std::uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kStockObject = 0x80000000;
constexpr std::size_t kMinHeaderSize = 88;
// Past this many records a file is drawn as far as it got.
constexpr std::uint64_t kMaxRecords = 2'000'000;
constexpr double kDefaultPixelsPerMm = 96.0 / 25.4;

using Canvas = MetafileCanvas;

using emf::Bitmap;
using emf::ClipRegion;
using emf::CreateBrush;
using emf::CreatePatternBrush;
using emf::CreatePen;
using emf::Font;
using emf::PointL;
using emf::Points;
using emf::PolyPoints;
using emf::RectL;
using emf::SizeL;
using emf::Text;
using emf::XForm;

// The records Dispatch draws or keeps state of; the others are skipped unread.
bool Handled(std::uint32_t type) {
    switch (type) {
        case U_EMR_POLYBEZIER:
        case U_EMR_POLYBEZIER16:
        case U_EMR_POLYBEZIERTO:
        case U_EMR_POLYBEZIERTO16:
        case U_EMR_POLYGON:
        case U_EMR_POLYGON16:
        case U_EMR_POLYLINE:
        case U_EMR_POLYLINE16:
        case U_EMR_POLYLINETO:
        case U_EMR_POLYLINETO16:
        case U_EMR_POLYPOLYLINE:
        case U_EMR_POLYPOLYLINE16:
        case U_EMR_POLYPOLYGON:
        case U_EMR_POLYPOLYGON16:
        case U_EMR_SETWINDOWEXTEX:
        case U_EMR_SETWINDOWORGEX:
        case U_EMR_SETVIEWPORTEXTEX:
        case U_EMR_SETVIEWPORTORGEX:
        case U_EMR_SETPIXELV:
        case U_EMR_SETMAPMODE:
        case U_EMR_SETBKMODE:
        case U_EMR_SETPOLYFILLMODE:
        case U_EMR_SETTEXTALIGN:
        case U_EMR_SETTEXTCOLOR:
        case U_EMR_SETBKCOLOR:
        case U_EMR_MOVETOEX:
        case U_EMR_EXCLUDECLIPRECT:
        case U_EMR_INTERSECTCLIPRECT:
        case U_EMR_SCALEVIEWPORTEXTEX:
        case U_EMR_SCALEWINDOWEXTEX:
        case U_EMR_SAVEDC:
        case U_EMR_RESTOREDC:
        case U_EMR_SETWORLDTRANSFORM:
        case U_EMR_MODIFYWORLDTRANSFORM:
        case U_EMR_SELECTOBJECT:
        case U_EMR_CREATEPEN:
        case U_EMR_EXTCREATEPEN:
        case U_EMR_CREATEBRUSHINDIRECT:
        case U_EMR_CREATEDIBPATTERNBRUSHPT:
        case U_EMR_CREATEMONOBRUSH:
        case U_EMR_CREATEPALETTE:
        case U_EMR_CREATECOLORSPACE:
        case U_EMR_CREATECOLORSPACEW:
        case U_EMR_EXTCREATEFONTINDIRECTW:
        case U_EMR_DELETEOBJECT:
        case U_EMR_ELLIPSE:
        case U_EMR_RECTANGLE:
        case U_EMR_ROUNDRECT:
        case U_EMR_ARC:
        case U_EMR_ARCTO:
        case U_EMR_CHORD:
        case U_EMR_PIE:
        case U_EMR_LINETO:
        case U_EMR_BEGINPATH:
        case U_EMR_ENDPATH:
        case U_EMR_CLOSEFIGURE:
        case U_EMR_FILLPATH:
        case U_EMR_STROKEANDFILLPATH:
        case U_EMR_STROKEPATH:
        case U_EMR_SELECTCLIPPATH:
        case U_EMR_ABORTPATH:
        case U_EMR_EXTSELECTCLIPRGN:
        case U_EMR_BITBLT:
        case U_EMR_STRETCHBLT:
        case U_EMR_STRETCHDIBITS:
        case U_EMR_SETDIBITSTODEVICE:
        case U_EMR_EXTTEXTOUTA:
        case U_EMR_EXTTEXTOUTW:
            return true;
        default:
            return false;
    }
}

// Draws one record that has passed the size and safety checks.
void Dispatch(const MetafileRecord& r, std::uint32_t type, Canvas& canvas) {
    std::vector<QPointF> points;
    std::vector<std::vector<QPointF>> polys;
    switch (type) {
        case U_EMR_POLYBEZIER:
        case U_EMR_POLYBEZIER16:
            if (Points(r, 24, 28, type == U_EMR_POLYBEZIER, points)) {
                canvas.PolyBezier(points, false);
            }
            break;
        case U_EMR_POLYBEZIERTO:
        case U_EMR_POLYBEZIERTO16:
            if (Points(r, 24, 28, type == U_EMR_POLYBEZIERTO, points)) {
                canvas.PolyBezier(points, true);
            }
            break;
        case U_EMR_POLYGON:
        case U_EMR_POLYGON16:
            if (Points(r, 24, 28, type == U_EMR_POLYGON, points)) {
                polys.push_back(std::move(points));
                canvas.PolyPolygon(polys);
            }
            break;
        case U_EMR_POLYLINE:
        case U_EMR_POLYLINE16:
            if (Points(r, 24, 28, type == U_EMR_POLYLINE, points)) {
                canvas.Polyline(points, false);
            }
            break;
        case U_EMR_POLYLINETO:
        case U_EMR_POLYLINETO16:
            if (Points(r, 24, 28, type == U_EMR_POLYLINETO, points)) {
                canvas.Polyline(points, true);
            }
            break;
        case U_EMR_POLYPOLYLINE:
        case U_EMR_POLYPOLYLINE16:
            if (PolyPoints(r, type == U_EMR_POLYPOLYLINE, polys)) {
                canvas.PolyPolyline(polys);
            }
            break;
        case U_EMR_POLYPOLYGON:
        case U_EMR_POLYPOLYGON16:
            if (PolyPoints(r, type == U_EMR_POLYPOLYGON, polys)) {
                canvas.PolyPolygon(polys);
            }
            break;
        case U_EMR_SETWINDOWEXTEX:
            canvas.SetWindowExt(SizeL(r, 8));
            break;
        case U_EMR_SETWINDOWORGEX:
            canvas.SetWindowOrg(PointL(r, 8));
            break;
        case U_EMR_SETVIEWPORTEXTEX:
            canvas.SetViewportExt(SizeL(r, 8));
            break;
        case U_EMR_SETVIEWPORTORGEX:
            canvas.SetViewportOrg(PointL(r, 8));
            break;
        case U_EMR_SETPIXELV:
            canvas.SetPixel(PointL(r, 8), r.Color(16));
            break;
        case U_EMR_SETMAPMODE:
            canvas.SetMapMode(r.At<std::uint32_t>(8));
            break;
        case U_EMR_SETBKMODE:
            canvas.SetBkMode(r.At<std::uint32_t>(8));
            break;
        case U_EMR_SETPOLYFILLMODE:
            canvas.SetPolyFillMode(r.At<std::uint32_t>(8));
            break;
        case U_EMR_SETTEXTALIGN:
            canvas.SetTextAlign(r.At<std::uint32_t>(8));
            break;
        case U_EMR_SETTEXTCOLOR:
            canvas.SetTextColor(r.Color(8));
            break;
        case U_EMR_SETBKCOLOR:
            canvas.SetBkColor(r.Color(8));
            break;
        case U_EMR_MOVETOEX:
            canvas.MoveTo(PointL(r, 8));
            break;
        case U_EMR_EXCLUDECLIPRECT:
            canvas.ExcludeClipRect(RectL(r, 8));
            break;
        case U_EMR_INTERSECTCLIPRECT:
            canvas.IntersectClipRect(RectL(r, 8));
            break;
        case U_EMR_SCALEVIEWPORTEXTEX:
        case U_EMR_SCALEWINDOWEXTEX: {
            const double xNum = r.At<std::int32_t>(8);
            const double xDenom = r.At<std::int32_t>(12);
            const double yNum = r.At<std::int32_t>(16);
            const double yDenom = r.At<std::int32_t>(20);
            if (type == U_EMR_SCALEWINDOWEXTEX) {
                canvas.ScaleWindowExt(xNum, xDenom, yNum, yDenom);
            } else {
                canvas.ScaleViewportExt(xNum, xDenom, yNum, yDenom);
            }
            break;
        }
        case U_EMR_SAVEDC:
            canvas.SaveDc();
            break;
        case U_EMR_RESTOREDC:
            canvas.RestoreDc(r.At<std::int32_t>(8));
            break;
        case U_EMR_SETWORLDTRANSFORM:
            canvas.SetWorldTransform(XForm(r, 8));
            break;
        case U_EMR_MODIFYWORLDTRANSFORM:
            canvas.ModifyWorldTransform(XForm(r, 8), r.At<std::uint32_t>(32));
            break;
        case U_EMR_SELECTOBJECT: {
            const std::uint32_t index = r.At<std::uint32_t>(8);
            if (index & kStockObject) {
                canvas.SelectStockObject(index & ~kStockObject);
            } else {
                canvas.SelectObject(index);
            }
            break;
        }
        case U_EMR_CREATEPEN:
            CreatePen(r, false, canvas);
            break;
        case U_EMR_EXTCREATEPEN:
            CreatePen(r, true, canvas);
            break;
        case U_EMR_CREATEBRUSHINDIRECT:
            CreateBrush(r, canvas);
            break;
        case U_EMR_CREATEDIBPATTERNBRUSHPT:
        case U_EMR_CREATEMONOBRUSH:
            CreatePatternBrush(r, canvas);
            break;
        case U_EMR_CREATEPALETTE:
        case U_EMR_CREATECOLORSPACE:
        case U_EMR_CREATECOLORSPACEW:
            canvas.CreateObjectAt(r.At<std::uint32_t>(8), Canvas::Placeholder{});
            break;
        case U_EMR_EXTCREATEFONTINDIRECTW:
            if (r.Has(12, 92)) {
                canvas.CreateObjectAt(r.At<std::uint32_t>(8), Font(r));
            }
            break;
        case U_EMR_DELETEOBJECT:
            canvas.DeleteObject(r.At<std::uint32_t>(8));
            break;
        case U_EMR_ELLIPSE:
            canvas.Ellipse(RectL(r, 8));
            break;
        case U_EMR_RECTANGLE:
            canvas.Rectangle(RectL(r, 8));
            break;
        case U_EMR_ROUNDRECT:
            canvas.RoundRect(RectL(r, 8), SizeL(r, 24));
            break;
        case U_EMR_ARC:
        case U_EMR_ARCTO:
        case U_EMR_CHORD:
        case U_EMR_PIE: {
            const auto kind = type == U_EMR_CHORD ? Canvas::ArcKind::Chord
                              : type == U_EMR_PIE ? Canvas::ArcKind::Pie
                                                  : Canvas::ArcKind::Arc;
            canvas.Arc(RectL(r, 8), PointL(r, 24), PointL(r, 32), kind);
            break;
        }
        case U_EMR_LINETO:
            canvas.LineTo(PointL(r, 8));
            break;
        case U_EMR_BEGINPATH:
            canvas.BeginPath();
            break;
        case U_EMR_ENDPATH:
            canvas.EndPath();
            break;
        case U_EMR_CLOSEFIGURE:
            canvas.CloseFigure();
            break;
        case U_EMR_FILLPATH:
            canvas.FillPath();
            break;
        case U_EMR_STROKEANDFILLPATH:
            canvas.StrokeAndFillPath();
            break;
        case U_EMR_STROKEPATH:
            canvas.StrokePath();
            break;
        case U_EMR_SELECTCLIPPATH:
            canvas.SelectClipPath();
            break;
        case U_EMR_ABORTPATH:
            canvas.AbortPath();
            break;
        case U_EMR_EXTSELECTCLIPRGN:
            ClipRegion(r, canvas);
            break;
        case U_EMR_BITBLT:
        case U_EMR_STRETCHBLT:
        case U_EMR_STRETCHDIBITS:
        case U_EMR_SETDIBITSTODEVICE:
            Bitmap(r, type, canvas);
            break;
        case U_EMR_EXTTEXTOUTA:
        case U_EMR_EXTTEXTOUTW:
            Text(r, type == U_EMR_EXTTEXTOUTW, canvas);
            break;
        default:
            break;  // records we do not draw
    }
}

}  // namespace

std::optional<EmfPlayer::Header> EmfPlayer::ReadHeader(std::span<const std::byte> data) {
    if (data.size() < kMinHeaderSize) {
        return std::nullopt;
    }
    const MetafileRecord first(data.first(kMinHeaderSize));
    const std::uint32_t type = first.At<std::uint32_t>(0);
    const std::uint32_t size = first.At<std::uint32_t>(4);
    if (type != U_EMR_HEADER || size < kMinHeaderSize || size > data.size() || size % 4 != 0 ||
        first.At<std::uint32_t>(40) != kEmfSignature) {
        return std::nullopt;
    }
    if (!U_emf_record_safe(reinterpret_cast<const char*>(data.data()))) {
        return std::nullopt;
    }
    const MetafileRecord r(data.first(size));
    Header header;
    header.bytes = r.At<std::uint32_t>(48);
    header.handles = r.At<std::uint16_t>(56);
    const QSizeF device = SizeL(r, 72);
    const QSizeF millimetres = SizeL(r, 80);
    header.pixelsPerMm = QSizeF(kDefaultPixelsPerMm, kDefaultPixelsPerMm);
    if (device.width() > 0 && device.height() > 0 && millimetres.width() > 0 &&
        millimetres.height() > 0) {
        header.pixelsPerMm =
            QSizeF(device.width() / millimetres.width(), device.height() / millimetres.height());
    }
    // The frame is in hundredths of a millimetre, inclusive; the bounds in device pixels.
    const QRectF frame = RectL(r, 24);
    const QRectF bounds = RectL(r, 8);
    double naturalWidth = 0;
    double naturalHeight = 0;
    if (frame.width() > 0 && frame.height() > 0) {
        header.frame = QRectF(frame.left() * header.pixelsPerMm.width() / 100,
                              frame.top() * header.pixelsPerMm.height() / 100,
                              frame.width() * header.pixelsPerMm.width() / 100,
                              frame.height() * header.pixelsPerMm.height() / 100);
        naturalWidth = frame.width() / 100 * kDefaultPixelsPerMm;
        naturalHeight = frame.height() / 100 * kDefaultPixelsPerMm;
    } else if (bounds.width() >= 0 && bounds.height() >= 0) {
        header.frame = bounds.adjusted(0, 0, 1, 1);
        naturalWidth = header.frame.width();
        naturalHeight = header.frame.height();
    } else {
        return std::nullopt;
    }
    if (header.frame.isEmpty() || !std::isfinite(naturalWidth) || !std::isfinite(naturalHeight)) {
        return std::nullopt;
    }
    header.naturalSize =
        QSize(std::max(1, static_cast<int>(std::lround(std::min(naturalWidth, 1e6)))),
              std::max(1, static_cast<int>(std::lround(std::min(naturalHeight, 1e6)))));
    return header;
}

bool EmfPlayer::Play(std::span<const std::byte> data, MetafileCanvas& canvas,
                     const std::atomic<bool>* cancel) {
    const auto header = ReadHeader(data);
    if (!header) {
        return false;
    }
    canvas.ResizeObjectTable(header->handles);
    std::size_t offset = 0;
    for (std::uint64_t count = 0;; ++count) {
        if (data.size() - offset < 8) {
            return false;  // ended without the end-of-file record
        }
        const MetafileRecord head(data.subspan(offset, 8));
        const std::uint32_t type = head.At<std::uint32_t>(0);
        const std::uint32_t size = head.At<std::uint32_t>(4);
        if (size < 8 || size % 4 != 0 || size > data.size() - offset) {
            return false;
        }
        const auto bytes = data.subspan(offset, size);
        if (type == U_EMR_EOF) {
            return true;
        }
        if (count >= kMaxRecords || canvas.Exhausted() ||
            (cancel && (count & 0xff) == 0 && cancel->load(std::memory_order_relaxed))) {
            return true;
        }
        if (Handled(type)) {
            // libuemf's check of the record's own counts and offsets before anything reads it.
            if (!U_emf_record_safe(reinterpret_cast<const char*>(bytes.data()))) {
                return false;
            }
            Dispatch(MetafileRecord(bytes), type, canvas);
        }
        offset += size;
    }
}

}  // namespace qm::app
