// Readers of the EMF records that carry more than a few numbers. Every read is bounded by the
// record (MetafileRecord), whatever its own counts claim.
#include "app/widgets/EmfRecords.h"

#include "app/widgets/DibDecoder.h"

extern "C" {
#include <uemf.h>
}

#include <cmath>
#include <optional>

namespace qm::app::emf {

namespace {

using Canvas = MetafileCanvas;

// A bitmap that a record carries as offset/size pairs of its BITMAPINFO and bits.
QImage RecordBitmap(const MetafileRecord& r, std::uint64_t usageOffset,
                    std::uint64_t offBmiOffset) {
    std::uint32_t usage = 0;
    std::uint32_t v[4] = {0, 0, 0, 0};  // offBmi, cbBmi, offBits, cbBits
    if (!r.Read(usageOffset, usage) || !r.Read(offBmiOffset, v)) {
        return {};
    }
    const auto info = r.Bytes(v[0], v[1]);
    const auto bits = r.Bytes(v[2], v[3]);
    if (info.empty() || bits.empty()) {
        return {};
    }
    return DibDecoder::Decode(
        info, bits, usage == 1 ? DibDecoder::Usage::PaletteIndices : DibDecoder::Usage::RgbColors);
}

}  // namespace

QPointF PointL(const MetafileRecord& r, std::uint64_t offset) {
    return QPointF(r.At<std::int32_t>(offset), r.At<std::int32_t>(offset + 4));
}

QRectF RectL(const MetafileRecord& r, std::uint64_t offset) {
    const QPointF topLeft = PointL(r, offset);
    const QPointF bottomRight = PointL(r, offset + 8);
    return QRectF(topLeft, bottomRight);
}

QSizeF SizeL(const MetafileRecord& r, std::uint64_t offset) {
    return QSizeF(r.At<std::int32_t>(offset), r.At<std::int32_t>(offset + 4));
}

QTransform XForm(const MetafileRecord& r, std::uint64_t offset) {
    float f[6] = {1, 0, 0, 1, 0, 0};
    r.Read(offset, f);
    return QTransform(f[0], f[1], f[2], f[3], f[4], f[5]);
}

bool Points(const MetafileRecord& r, std::uint64_t countOffset, std::uint64_t pointOffset,
            bool wide, std::vector<QPointF>& out) {
    std::uint32_t count = 0;
    const std::uint64_t pointSize = wide ? 8 : 4;
    if (!r.Read(countOffset, count) || !r.Has(pointOffset, std::uint64_t{count} * pointSize)) {
        return false;
    }
    out.clear();
    out.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint64_t at = pointOffset + i * pointSize;
        if (wide) {
            out.emplace_back(r.At<std::int32_t>(at), r.At<std::int32_t>(at + 4));
        } else {
            out.emplace_back(r.At<std::int16_t>(at), r.At<std::int16_t>(at + 2));
        }
    }
    return true;
}

bool PolyPoints(const MetafileRecord& r, bool wide, std::vector<std::vector<QPointF>>& out) {
    std::uint32_t polys = 0;
    std::uint32_t total = 0;
    if (!r.Read(24, polys) || !r.Read(28, total) || !r.Has(32, std::uint64_t{polys} * 4)) {
        return false;
    }
    const std::uint64_t pointSize = wide ? 8 : 4;
    std::uint64_t at = 32 + std::uint64_t{polys} * 4;
    if (!r.Has(at, std::uint64_t{total} * pointSize)) {
        return false;
    }
    out.clear();
    std::uint64_t used = 0;
    for (std::uint32_t p = 0; p < polys; ++p) {
        const std::uint32_t count = r.At<std::uint32_t>(32 + std::uint64_t{p} * 4);
        if (used + count > total) {
            return false;
        }
        std::vector<QPointF> polygon;
        polygon.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i, at += pointSize) {
            if (wide) {
                polygon.emplace_back(r.At<std::int32_t>(at), r.At<std::int32_t>(at + 4));
            } else {
                polygon.emplace_back(r.At<std::int16_t>(at), r.At<std::int16_t>(at + 2));
            }
        }
        used += count;
        out.push_back(std::move(polygon));
    }
    return true;
}

Canvas::LogFont Font(const MetafileRecord& r) {
    // LOGFONTW after the handle: height, width, escapement, orientation, weight, then flag bytes
    // and a 32-character face name.
    Canvas::LogFont font;
    font.height = r.At<std::int32_t>(12);
    font.escapement = r.At<std::int32_t>(20);
    font.weight = r.At<std::int32_t>(28);
    font.italic = r.At<std::uint8_t>(32) != 0;
    font.underline = r.At<std::uint8_t>(33) != 0;
    font.strikeOut = r.At<std::uint8_t>(34) != 0;
    font.charSet = r.At<std::uint8_t>(35);
    char16_t face[32] = {};
    r.Read(40, face);
    qsizetype length = 0;
    while (length < 32 && face[length] != 0) {
        ++length;
    }
    font.face = QString::fromUtf16(face, length);
    return font;
}

void Text(const MetafileRecord& r, bool wide, Canvas& canvas) {
    // The EMRTEXT starts at 36: reference point, character count, string offset, options,
    // an optional rectangle, the offset of the advances.
    constexpr std::uint64_t kText = 36;
    if (!r.Has(kText, 20)) {
        return;
    }
    const QPointF ref = PointL(r, kText);
    const std::uint32_t count = r.At<std::uint32_t>(kText + 8);
    const std::uint32_t offString = r.At<std::uint32_t>(kText + 12);
    const std::uint32_t options = r.At<std::uint32_t>(kText + 16);
    std::uint64_t at = kText + 20;
    std::optional<QRectF> rect;
    if (!(options & U_ETO_NO_RECT)) {
        if (!r.Has(at, 16)) {
            return;
        }
        rect = RectL(r, at);
        at += 16;
    }
    std::uint32_t offDx = 0;
    if (!r.Read(at, offDx)) {
        return;
    }
    if (options & U_ETO_GLYPH_INDEX) {
        // Glyph numbers of a font we do not have: only the opaque box can be drawn.
        canvas.DrawText(ref, QString(), {}, options, rect);
        return;
    }
    const std::uint64_t unit = wide ? 2 : 1;
    if (!r.Has(offString, std::uint64_t{count} * unit)) {
        return;
    }
    QString text;
    if (wide) {
        std::vector<char16_t> units(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            units[i] = r.At<char16_t>(offString + std::uint64_t{i} * 2);
        }
        text = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
    } else {
        text = Canvas::DecodeAnsi(r.Data() + offString, count);
    }
    std::vector<double> dx;
    const std::uint64_t stride = (options & U_ETO_PDY) ? 8 : 4;
    if (offDx != 0 && r.Has(offDx, std::uint64_t{count} * stride)) {
        dx.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            dx.push_back(r.At<std::int32_t>(offDx + std::uint64_t{i} * stride));
        }
    }
    canvas.DrawText(ref, text, dx, options, rect);
}

void ClipRegion(const MetafileRecord& r, Canvas& canvas) {
    const std::uint32_t cbRgnData = r.At<std::uint32_t>(8);
    const std::uint32_t mode = r.At<std::uint32_t>(12);
    if (cbRgnData == 0) {
        if (mode == 5) {  // RGN_COPY without a region: no clipping
            canvas.ResetClip();
        }
        return;
    }
    // RGNDATAHEADER (32 bytes) then the rectangles.
    std::uint32_t count = 0;
    if (!r.Read(16 + 8, count) || !r.Has(48, std::uint64_t{count} * 16)) {
        return;
    }
    std::vector<QRectF> rects;
    rects.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        rects.push_back(RectL(r, 48 + std::uint64_t{i} * 16));
    }
    if (mode == 1 || mode == 5) {
        canvas.SelectClipRects(rects, mode);
    }
}

void Bitmap(const MetafileRecord& r, std::uint32_t type, Canvas& canvas) {
    switch (type) {
        case U_EMR_BITBLT:
        case U_EMR_STRETCHBLT: {
            const QPointF dest = PointL(r, 24);
            const QSizeF destSize = SizeL(r, 32);
            const std::uint32_t rop = r.At<std::uint32_t>(40);
            const QPointF src = PointL(r, 44);
            if (r.At<std::uint32_t>(88) == 0) {  // no bitmap: a pattern fill
                canvas.PatBlt(QRectF(dest, destSize), rop);
                return;
            }
            QSizeF srcSize = destSize;
            if (type == U_EMR_STRETCHBLT) {
                srcSize = SizeL(r, 100);
            }
            const QImage image = RecordBitmap(r, 80, 84);
            canvas.DrawBitmap(image, QRectF(dest, destSize), QRectF(src, srcSize));
            return;
        }
        case U_EMR_STRETCHDIBITS: {
            const QImage image = RecordBitmap(r, 64, 48);
            const QPointF dest = PointL(r, 24);
            QPointF src = PointL(r, 32);
            const QSizeF srcSize = SizeL(r, 40);
            const QSizeF destSize = SizeL(r, 72);
            // The source rectangle counts rows from the bottom of a bottom-up bitmap.
            src.setY(image.height() - src.y() - srcSize.height());
            canvas.DrawBitmap(image, QRectF(dest, destSize), QRectF(src, srcSize));
            return;
        }
        case U_EMR_SETDIBITSTODEVICE: {
            const QImage image = RecordBitmap(r, 64, 48);
            const QPointF dest = PointL(r, 24);
            QPointF src = PointL(r, 32);
            const QSizeF size = SizeL(r, 40);
            src.setY(image.height() - src.y() - size.height());
            canvas.DrawBitmap(image, QRectF(dest, size), QRectF(src, size));
            return;
        }
        default:
            return;
    }
}

void CreatePen(const MetafileRecord& r, bool extended, Canvas& canvas) {
    Canvas::LogPen pen;
    if (extended) {
        // EXTLOGPEN after the handle and four bitmap fields: style, width, brush style, colour.
        pen.style = r.At<std::uint32_t>(28);
        const bool geometric = (pen.style & 0x00010000) != 0;
        pen.width = geometric ? r.At<std::uint32_t>(32) : 0;
        if (r.At<std::uint32_t>(36) == 1) {  // a hollow brush strokes nothing
            pen.style = (pen.style & ~0x0fu) | 5;
        }
        pen.color = r.Color(40);
    } else {
        pen.style = r.At<std::uint32_t>(12);
        pen.width = r.At<std::int32_t>(16);
        pen.color = r.Color(24);
    }
    pen.width = std::abs(pen.width);
    canvas.CreateObjectAt(r.At<std::uint32_t>(8), pen);
}

void CreateBrush(const MetafileRecord& r, Canvas& canvas) {
    Canvas::LogBrush brush;
    brush.style = r.At<std::uint32_t>(12);
    brush.color = r.Color(16);
    brush.hatch = r.At<std::uint32_t>(20);
    canvas.CreateObjectAt(r.At<std::uint32_t>(8), brush);
}

void CreatePatternBrush(const MetafileRecord& r, Canvas& canvas) {
    Canvas::LogBrush brush;
    brush.style = 5;
    brush.color = Qt::black;
    brush.pattern = RecordBitmap(r, 12, 16);
    canvas.CreateObjectAt(r.At<std::uint32_t>(8), brush);
}

}  // namespace qm::app::emf
