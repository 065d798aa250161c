#include "app/widgets/WmfPlayer.h"

#include "app/widgets/MetafileRecord.h"
#include "app/widgets/WmfRecords.h"

extern "C" {
#include <uwmf.h>
}

#include <algorithm>
#include <cmath>
#include <vector>

namespace qm::app {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint64_t kMaxRecords = 2'000'000;
constexpr double kScreenDpi = 96.0;
// Natural sizes above this are only a hint for scaling; keep them in a range QSize and QImage like.
constexpr double kMaxNaturalSide = 1e6;

using Canvas = MetafileCanvas;
using Bytes = std::span<const std::byte>;

using wmf::Bitmap;
using wmf::Color;
using wmf::CreateBrush;
using wmf::CreateFont;
using wmf::CreatePatternBrush;
using wmf::CreatePen;
using wmf::Point;
using wmf::Points;
using wmf::Rect;
using wmf::Text;

// Draws one record whose size has been checked against the file.
void Dispatch(const MetafileRecord& r, std::uint32_t type, Canvas& canvas) {
    const char* p = r.Data();
    const std::size_t size = r.Size();
    U_POINT16 a{};
    U_POINT16 b{};
    U_RECT16 rect{};
    U_COLORREF color{};
    std::uint16_t value = 0;
    std::vector<QPointF> points;
    switch (type) {
        case U_WMR_SETBKCOLOR:
            if (size >= U_SIZE_WMRSETBKCOLOR && U_WMRSETBKCOLOR_get(p, &color)) {
                canvas.SetBkColor(Color(color));
            }
            break;
        case U_WMR_SETTEXTCOLOR:
            if (size >= U_SIZE_WMRSETTEXTCOLOR && U_WMRSETTEXTCOLOR_get(p, &color)) {
                canvas.SetTextColor(Color(color));
            }
            break;
        case U_WMR_SETBKMODE:
            if (size >= U_SIZE_WMRSETBKMODE && U_WMRSETBKMODE_get(p, &value)) {
                canvas.SetBkMode(value);
            }
            break;
        case U_WMR_SETPOLYFILLMODE:
            if (size >= U_SIZE_WMRSETPOLYFILLMODE && U_WMRSETPOLYFILLMODE_get(p, &value)) {
                canvas.SetPolyFillMode(value);
            }
            break;
        case U_WMR_SETTEXTALIGN:
            if (size >= U_SIZE_WMRSETTEXTALIGN && U_WMRSETTEXTALIGN_get(p, &value)) {
                canvas.SetTextAlign(value);
            }
            break;
        case U_WMR_SETWINDOWORG:
            if (size >= U_SIZE_WMRSETWINDOWORG && U_WMRSETWINDOWORG_get(p, &a)) {
                canvas.SetWindowOrg(Point(a));
            }
            break;
        case U_WMR_SETWINDOWEXT:
            if (size >= U_SIZE_WMRSETWINDOWEXT && U_WMRSETWINDOWEXT_get(p, &a)) {
                canvas.SetWindowExt(QSizeF(a.x, a.y));
            }
            break;
        case U_WMR_OFFSETWINDOWORG:
            if (size >= U_SIZE_WMROFFSETWINDOWORG && U_WMROFFSETWINDOWORG_get(p, &a)) {
                canvas.OffsetWindowOrg(Point(a));
            }
            break;
        case U_WMR_SCALEWINDOWEXT:
            if (size >= U_SIZE_WMRSCALEWINDOWEXT && U_WMRSCALEWINDOWEXT_get(p, &a, &b)) {
                canvas.ScaleWindowExt(b.x, a.x, b.y, a.y);
            }
            break;
        case U_WMR_MOVETO:
            if (size >= U_SIZE_WMRMOVETO && U_WMRMOVETO_get(p, &a)) {
                canvas.MoveTo(Point(a));
            }
            break;
        case U_WMR_LINETO:
            if (size >= U_SIZE_WMRLINETO && U_WMRLINETO_get(p, &a)) {
                canvas.LineTo(Point(a));
            }
            break;
        case U_WMR_EXCLUDECLIPRECT:
            if (size >= U_SIZE_WMREXCLUDECLIPRECT && U_WMREXCLUDECLIPRECT_get(p, &rect)) {
                canvas.ExcludeClipRect(Rect(rect));
            }
            break;
        case U_WMR_INTERSECTCLIPRECT:
            if (size >= U_SIZE_WMRINTERSECTCLIPRECT && U_WMRINTERSECTCLIPRECT_get(p, &rect)) {
                canvas.IntersectClipRect(Rect(rect));
            }
            break;
        case U_WMR_ARC:
        case U_WMR_PIE:
        case U_WMR_CHORD: {
            int ok = 0;
            if (size >= U_SIZE_WMRARC) {
                ok = type == U_WMR_ARC   ? U_WMRARC_get(p, &a, &b, &rect)
                     : type == U_WMR_PIE ? U_WMRPIE_get(p, &a, &b, &rect)
                                         : U_WMRCHORD_get(p, &a, &b, &rect);
            }
            if (ok) {
                const auto kind = type == U_WMR_ARC   ? Canvas::ArcKind::Arc
                                  : type == U_WMR_PIE ? Canvas::ArcKind::Pie
                                                      : Canvas::ArcKind::Chord;
                canvas.Arc(Rect(rect), Point(a), Point(b), kind);
            }
            break;
        }
        case U_WMR_ELLIPSE:
            if (size >= U_SIZE_WMRELLIPSE && U_WMRELLIPSE_get(p, &rect)) {
                canvas.Ellipse(Rect(rect));
            }
            break;
        case U_WMR_RECTANGLE:
            if (size >= U_SIZE_WMRRECTANGLE && U_WMRRECTANGLE_get(p, &rect)) {
                canvas.Rectangle(Rect(rect));
            }
            break;
        case U_WMR_ROUNDRECT: {
            std::int16_t width = 0;
            std::int16_t height = 0;
            if (size >= U_SIZE_WMRROUNDRECT && U_WMRROUNDRECT_get(p, &width, &height, &rect)) {
                canvas.RoundRect(Rect(rect), QSizeF(width, height));
            }
            break;
        }
        case U_WMR_SETPIXEL:
            if (size >= U_SIZE_WMRSETPIXEL && U_WMRSETPIXEL_get(p, &color, &a)) {
                canvas.SetPixel(Point(a), Color(color));
            }
            break;
        case U_WMR_PATBLT: {
            std::uint32_t rop = 0;
            if (size >= U_SIZE_WMRPATBLT && U_WMRPATBLT_get(p, &a, &b, &rop)) {
                canvas.PatBlt(QRectF(Point(a), QSizeF(b.x, b.y)), rop);
            }
            break;
        }
        case U_WMR_SAVEDC:
            canvas.SaveDc();
            break;
        case U_WMR_RESTOREDC: {
            std::int16_t which = 0;
            if (size >= U_SIZE_WMRRESTOREDC && U_WMRRESTOREDC_get(p, &which)) {
                canvas.RestoreDc(which);
            }
            break;
        }
        case U_WMR_TEXTOUT:
            Text(r, false, canvas);
            break;
        case U_WMR_EXTTEXTOUT:
            Text(r, true, canvas);
            break;
        case U_WMR_POLYGON:
        case U_WMR_POLYLINE: {
            std::uint16_t length = 0;
            const char* data = nullptr;
            if (size < U_SIZE_WMRPOLYGON || !r.Has(8, std::uint64_t{r.At<std::uint16_t>(6)} * 4)) {
                break;
            }
            const int ok = type == U_WMR_POLYGON ? U_WMRPOLYGON_get(p, &length, &data)
                                                 : U_WMRPOLYLINE_get(p, &length, &data);
            if (ok && Points(r, data, length, points)) {
                if (type == U_WMR_POLYGON) {
                    canvas.PolyPolygon({points});
                } else {
                    canvas.Polyline(points, false);
                }
            }
            break;
        }
        case U_WMR_POLYPOLYGON: {
            // Number of polygons, their point counts, then all points.
            const std::uint16_t polys = r.At<std::uint16_t>(6);
            if (size < U_SIZE_WMRPOLYPOLYGON || !r.Has(8, std::uint64_t{polys} * 2)) {
                break;
            }
            std::uint64_t total = 0;
            for (std::uint16_t i = 0; i < polys; ++i) {
                total += r.At<std::uint16_t>(8 + std::uint64_t{i} * 2);
            }
            const std::uint64_t pointsOffset = 8 + std::uint64_t{polys} * 2;
            if (!r.Has(pointsOffset, total * 4)) {
                break;
            }
            std::uint16_t count = 0;
            const std::uint16_t* counts = nullptr;
            const char* data = nullptr;
            if (!U_WMRPOLYPOLYGON_get(p, &count, &counts, &data) || data != p + pointsOffset) {
                break;
            }
            std::vector<std::vector<QPointF>> polygons;
            std::uint64_t at = pointsOffset;
            for (std::uint16_t i = 0; i < polys; ++i) {
                const std::uint16_t n = r.At<std::uint16_t>(8 + std::uint64_t{i} * 2);
                Points(r, p + at, n, points);
                polygons.push_back(points);
                at += std::uint64_t{n} * 4;
            }
            canvas.PolyPolygon(polygons);
            break;
        }
        case U_WMR_SELECTOBJECT:
            if (size >= U_SIZE_WMRSELECTOBJECT && U_WMRSELECTOBJECT_get(p, &value)) {
                canvas.SelectObject(value);
            }
            break;
        case U_WMR_DELETEOBJECT:
            if (size >= U_SIZE_WMRDELETEOBJECT && U_WMRDELETEOBJECT_get(p, &value)) {
                canvas.DeleteObject(value);
            }
            break;
        case U_WMR_CREATEPENINDIRECT:
            CreatePen(r, canvas);
            break;
        case U_WMR_CREATEBRUSHINDIRECT:
            CreateBrush(r, canvas);
            break;
        case U_WMR_CREATEFONTINDIRECT:
            CreateFont(r, canvas);
            break;
        case U_WMR_DIBCREATEPATTERNBRUSH:
            CreatePatternBrush(r, canvas);
            break;
        case U_WMR_CREATEPALETTE:
        case U_WMR_CREATEPATTERNBRUSH:
        case U_WMR_CREATEREGION:
        case U_WMR_CREATEBITMAPINDIRECT:
        case U_WMR_CREATEBITMAP:
            // Not drawn, but each takes a slot that later indices count on.
            canvas.CreateObject(Canvas::Placeholder{});
            break;
        case U_WMR_DIBBITBLT:
        case U_WMR_DIBSTRETCHBLT:
        case U_WMR_STRETCHDIB:
        case U_WMR_SETDIBTODEV:
            Bitmap(r, type, canvas);
            break;
        default:
            break;  // records we do not draw; the window and viewport belong to the player
    }
}

struct Framing {
    std::optional<QPointF> windowOrg;
    std::optional<QSizeF> windowExt;
};

// Walks the records checking each one's size; calls visit(record, type) for each record before
// the end-of-file record. False when the stream is malformed or ends without that record.
template <typename Visit>
bool Walk(Bytes data, std::size_t offset, const std::atomic<bool>* cancel, Visit&& visit) {
    const char* end = reinterpret_cast<const char*>(data.data()) + data.size();
    for (std::uint64_t count = 0;; ++count) {
        if (offset > data.size() || data.size() - offset < U_SIZE_METARECORD) {
            return false;
        }
        const char* p = reinterpret_cast<const char*>(data.data()) + offset;
        // libuemf's check that the record's size is sane and stays inside the file.
        const std::size_t size = U_WMRRECSAFE_get(p, end);
        if (size == 0 || size > data.size() - offset) {
            return false;
        }
        const MetafileRecord r(data.subspan(offset, size));
        const std::uint32_t type = r.At<std::uint16_t>(4) & U_WMR_MASK;
        if (type == U_WMR_EOF) {
            return true;
        }
        if (count >= kMaxRecords ||
            (cancel && (count & 0xff) == 0 && cancel->load(std::memory_order_relaxed))) {
            return true;
        }
        if (!visit(r, type)) {
            return true;
        }
        offset += size;
    }
}

}  // namespace

std::optional<WmfPlayer::Header> WmfPlayer::ReadHeader(std::span<const std::byte> data) {
    // The placeable header (key, handle, box, units an inch, reserved, checksum) is ours to read:
    // libuemf counts its length twice when checking what follows.
    const MetafileRecord start(data);
    const bool isPlaceable = start.At<std::uint32_t>(0) == kPlaceableKey;
    const std::size_t headerOffset = isPlaceable ? U_SIZE_WMRPLACEABLE : 0;
    if (data.size() < headerOffset + U_SIZE_WMRHEADER) {
        return std::nullopt;
    }
    U_WMRPLACEABLE none{};
    U_WMRHEADER header{};
    const char* begin = reinterpret_cast<const char*>(data.data());
    if (wmfheader_get(begin + headerOffset, begin + data.size(), &none, &header) <= 0) {
        return std::nullopt;
    }
    // A memory (1) or disk (2) metafile with the nine-word header of version 1 or 3.
    const std::uint16_t fileType = header.iType | (header.xb << 8);
    if ((fileType != 1 && fileType != 2) || header.Size16w != 9 ||
        (header.version != 0x0100 && header.version != 0x0300)) {
        return std::nullopt;
    }
    Header result;
    result.recordsOffset = headerOffset + std::size_t{header.Size16w} * 2;
    result.objects = header.nObjects;
    if (result.recordsOffset > data.size()) {
        return std::nullopt;
    }

    double naturalWidth = 0;
    double naturalHeight = 0;
    const QRectF box = QRectF(QPointF(start.At<std::int16_t>(6), start.At<std::int16_t>(8)),
                              QPointF(start.At<std::int16_t>(10), start.At<std::int16_t>(12)))
                           .normalized();
    const std::uint16_t unitsPerInch = start.At<std::uint16_t>(14);
    if (isPlaceable && box.width() > 0 && box.height() > 0) {
        const double inch = unitsPerInch != 0 ? unitsPerInch : 1440;
        result.frame = box;
        naturalWidth = box.width() * kScreenDpi / inch;
        naturalHeight = box.height() * kScreenDpi / inch;
    } else {
        // The first window the file sets frames it; without one, what it draws does.
        Framing framing;
        const bool ok = Walk(
            data, result.recordsOffset, nullptr, [&](const MetafileRecord& r, std::uint32_t type) {
                U_POINT16 p{};
                if (type == U_WMR_SETWINDOWORG && !framing.windowOrg &&
                    r.Size() >= U_SIZE_WMRSETWINDOWORG && U_WMRSETWINDOWORG_get(r.Data(), &p)) {
                    framing.windowOrg = Point(p);
                } else if (type == U_WMR_SETWINDOWEXT && !framing.windowExt &&
                           r.Size() >= U_SIZE_WMRSETWINDOWEXT &&
                           U_WMRSETWINDOWEXT_get(r.Data(), &p) && p.x != 0 && p.y != 0) {
                    framing.windowExt = QSizeF(p.x, p.y);
                }
                return !(framing.windowOrg && framing.windowExt);
            });
        if (!ok) {
            return std::nullopt;
        }
        if (framing.windowExt) {
            result.frame =
                QRectF(framing.windowOrg.value_or(QPointF(0, 0)), *framing.windowExt).normalized();
        } else {
            Header measuring = result;
            measuring.frame = QRectF(0, 0, 1, 1);
            MetafileCanvas canvas(nullptr, QTransform(),
                                  QSizeF(kScreenDpi / 25.4, kScreenDpi / 25.4));
            if (!Play(data, measuring, canvas, nullptr)) {
                return std::nullopt;
            }
            result.frame = canvas.Bounds();
        }
        naturalWidth = result.frame.width();
        naturalHeight = result.frame.height();
    }
    if (result.frame.isEmpty() || !std::isfinite(naturalWidth) || !std::isfinite(naturalHeight)) {
        return std::nullopt;
    }
    result.naturalSize =
        QSize(std::max(1, static_cast<int>(std::lround(std::min(naturalWidth, kMaxNaturalSide)))),
              std::max(1, static_cast<int>(std::lround(std::min(naturalHeight, kMaxNaturalSide)))));
    return result;
}

bool WmfPlayer::Play(std::span<const std::byte> data, const Header& header, MetafileCanvas& canvas,
                     const std::atomic<bool>* cancel) {
    // The window maps onto the frame whatever map mode the file asks for: a metafile is drawn
    // into the box it is given.
    canvas.SetMapMode(MetafileCanvas::kAnisotropic);
    canvas.SetViewportOrg(header.frame.topLeft());
    canvas.SetViewportExt(header.frame.size());
    canvas.SetWindowOrg(header.frame.topLeft());
    canvas.SetWindowExt(header.frame.size());
    canvas.ResizeObjectTable(header.objects);
    return Walk(data, header.recordsOffset, cancel,
                [&](const MetafileRecord& r, std::uint32_t type) {
                    Dispatch(r, type, canvas);
                    return !canvas.Exhausted();
                });
}

}  // namespace qm::app
