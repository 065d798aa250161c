// Readers of the WMF records that carry more than a few numbers. Every read is bounded by the
// record (MetafileRecord), whatever its own counts claim.
#include "app/widgets/WmfRecords.h"

#include "app/widgets/DibDecoder.h"

#include <algorithm>
#include <cmath>

namespace qm::app::wmf {

namespace {

using Canvas = MetafileCanvas;

// The packed DIB that starts at dib and runs to the end of the record.
QImage PackedDib(const MetafileRecord& r, const char* dib, std::uint32_t usage) {
    if (!dib || dib < r.Data() || dib > r.Data() + r.Size()) {
        return {};
    }
    return DibDecoder::DecodePacked(
        r.From(static_cast<std::uint64_t>(dib - r.Data())),
        usage == 1 ? DibDecoder::Usage::PaletteIndices : DibDecoder::Usage::RgbColors);
}

}  // namespace

QPointF Point(U_POINT16 p) {
    return QPointF(p.x, p.y);
}

QRectF Rect(U_RECT16 r) {
    return QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom));
}

QColor Color(U_COLORREF c) {
    return QColor(c.Red, c.Green, c.Blue);
}

bool Points(const MetafileRecord& r, const char* data, std::uint64_t count,
            std::vector<QPointF>& out) {
    const std::uint64_t offset = static_cast<std::uint64_t>(data - r.Data());
    if (data < r.Data() || !r.Has(offset, count * 4)) {
        return false;
    }
    out.clear();
    out.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        out.emplace_back(r.At<std::int16_t>(offset + i * 4),
                         r.At<std::int16_t>(offset + i * 4 + 2));
    }
    return true;
}

void Text(const MetafileRecord& r, bool extended, Canvas& canvas) {
    const char* p = r.Data();
    if (!extended) {
        // Length, the string padded to a word, then y and x.
        const std::int16_t length = r.At<std::int16_t>(6);
        if (r.Size() < U_SIZE_WMRTEXTOUT || length < 0 ||
            !r.Has(8, static_cast<std::uint64_t>(length + (length & 1)) + 4)) {
            return;
        }
        U_POINT16 dst{};
        std::int16_t count = 0;
        const char* string = nullptr;
        if (!U_WMRTEXTOUT_get(p, &dst, &count, &string) || string != p + 8) {
            return;
        }
        canvas.DrawText(Point(dst), Canvas::DecodeAnsi(string, static_cast<std::size_t>(length)),
                        {}, 0, std::nullopt);
        return;
    }
    if (r.Size() < U_SIZE_WMREXTTEXTOUT) {
        return;
    }
    const std::int16_t length = r.At<std::int16_t>(10);
    const std::uint16_t options = r.At<std::uint16_t>(12);
    const bool hasRect = (options & (U_ETO_OPAQUE | U_ETO_CLIPPED)) != 0;
    const std::uint64_t stringOffset = U_SIZE_WMREXTTEXTOUT + (hasRect ? 8 : 0);
    if (length < 0 || !r.Has(stringOffset, static_cast<std::uint64_t>(length))) {
        return;
    }
    U_POINT16 dst{};
    std::int16_t count = 0;
    std::uint16_t opts = 0;
    const char* string = nullptr;
    const std::int16_t* dxData = nullptr;
    U_RECT16 rect{};
    if (!U_WMREXTTEXTOUT_get(p, &dst, &count, &opts, &string, &dxData, &rect) ||
        string != p + stringOffset) {
        return;
    }
    std::vector<double> dx;
    const std::uint64_t dxOffset = stringOffset + static_cast<std::uint64_t>(length + (length & 1));
    if (length > 0 && r.Has(dxOffset, static_cast<std::uint64_t>(length) * 2)) {
        dx.reserve(static_cast<std::size_t>(length));
        for (std::int16_t i = 0; i < length; ++i) {
            dx.push_back(r.At<std::int16_t>(dxOffset + static_cast<std::uint64_t>(i) * 2));
        }
    }
    canvas.DrawText(Point(dst), Canvas::DecodeAnsi(string, static_cast<std::size_t>(length)), dx,
                    options, hasRect ? std::optional<QRectF>(Rect(rect)) : std::nullopt);
}

void CreateFont(const MetafileRecord& r, Canvas& canvas) {
    const char* font = nullptr;
    if (r.Size() < U_SIZE_WMRCREATEFONTINDIRECT || !U_WMRCREATEFONTINDIRECT_get(r.Data(), &font) ||
        font != r.Data() + 6) {
        canvas.CreateObject(Canvas::Placeholder{});
        return;
    }
    // Height, width, escapement, orientation, weight, then flag bytes and the face name.
    Canvas::LogFont lf;
    lf.height = r.At<std::int16_t>(6);
    lf.escapement = r.At<std::int16_t>(10);
    lf.weight = r.At<std::int16_t>(14);
    lf.italic = r.At<std::uint8_t>(16) != 0;
    lf.underline = r.At<std::uint8_t>(17) != 0;
    lf.strikeOut = r.At<std::uint8_t>(18) != 0;
    lf.charSet = r.At<std::uint8_t>(19);
    const std::uint64_t faceOffset = 24;
    std::size_t length = 0;
    while (length < 32 && r.Has(faceOffset + length, 1) &&
           r.At<char>(faceOffset + length) != '\0') {
        ++length;
    }
    lf.face = Canvas::DecodeAnsi(r.Data() + faceOffset, length);
    canvas.CreateObject(lf);
}

void CreatePen(const MetafileRecord& r, Canvas& canvas) {
    U_PEN pen{};
    if (r.Size() < U_SIZE_WMRCREATEPENINDIRECT || !U_WMRCREATEPENINDIRECT_get(r.Data(), &pen)) {
        canvas.CreateObject(Canvas::Placeholder{});
        return;
    }
    Canvas::LogPen lp;
    lp.style = pen.Style;
    lp.width = static_cast<std::int16_t>(pen.Widthw[0]);
    lp.width = std::abs(lp.width);
    lp.color = Color(pen.Color);
    canvas.CreateObject(lp);
}

void CreateBrush(const MetafileRecord& r, Canvas& canvas) {
    const char* brush = nullptr;
    if (r.Size() < U_SIZE_WMRCREATEBRUSHINDIRECT ||
        !U_WMRCREATEBRUSHINDIRECT_get(r.Data(), &brush) || brush != r.Data() + 6) {
        canvas.CreateObject(Canvas::Placeholder{});
        return;
    }
    // Style (16 bits), colour, hatch (16 bits).
    Canvas::LogBrush lb;
    lb.style = r.At<std::uint16_t>(6);
    std::uint8_t c[4] = {};
    r.Read(8, c);
    lb.color = QColor(c[0], c[1], c[2]);
    lb.hatch = r.At<std::uint16_t>(12);
    canvas.CreateObject(lb);
}

void CreatePatternBrush(const MetafileRecord& r, Canvas& canvas) {
    std::uint16_t style = 0;
    std::uint16_t usage = 0;
    const char* bitmap16 = nullptr;
    const char* dib = nullptr;
    Canvas::LogBrush lb;
    lb.style = 5;
    lb.color = Qt::black;
    if (r.Size() >= U_SIZE_WMRDIBCREATEPATTERNBRUSH &&
        U_WMRDIBCREATEPATTERNBRUSH_get(r.Data(), &style, &usage, &bitmap16, &dib) && dib) {
        lb.pattern = PackedDib(r, dib, usage);
    }
    canvas.CreateObject(lb);
}

void Bitmap(const MetafileRecord& r, std::uint32_t type, Canvas& canvas) {
    const char* p = r.Data();
    U_POINT16 dst{};
    U_POINT16 cDst{};
    U_POINT16 src{};
    U_POINT16 cSrc{};
    std::uint32_t rop = 0;
    std::uint16_t usage = 0;
    const char* dib = nullptr;
    switch (type) {
        case U_WMR_DIBBITBLT:
            if (r.Size() < U_SIZE_WMRDIBBITBLT_NOPX ||
                !U_WMRDIBBITBLT_get(p, &dst, &cDst, &src, &rop, &dib)) {
                return;
            }
            cSrc = cDst;
            break;
        case U_WMR_DIBSTRETCHBLT:
            if (r.Size() < U_SIZE_WMRDIBSTRETCHBLT_NOPX ||
                !U_WMRDIBSTRETCHBLT_get(p, &dst, &cDst, &src, &cSrc, &rop, &dib)) {
                return;
            }
            break;
        case U_WMR_STRETCHDIB:
            if (r.Size() < U_SIZE_WMRSTRETCHDIB ||
                !U_WMRSTRETCHDIB_get(p, &dst, &cDst, &src, &cSrc, &usage, &rop, &dib)) {
                return;
            }
            break;
        case U_WMR_SETDIBTODEV: {
            std::uint16_t scans = 0;
            std::uint16_t start = 0;
            if (r.Size() < U_SIZE_WMRSETDIBTODEV ||
                !U_WMRSETDIBTODEV_get(p, &dst, &cDst, &src, &usage, &scans, &start, &dib)) {
                return;
            }
            cSrc = cDst;
            break;
        }
        default:
            return;
    }
    const QRectF dest(Point(dst), QSizeF(cDst.x, cDst.y));
    if (!dib) {
        canvas.PatBlt(dest, rop);
        return;
    }
    const QImage image = PackedDib(r, dib, usage);
    // The source rectangle counts rows from the bottom of the bitmap.
    const QRectF source(src.x, image.height() - src.y - cSrc.y, cSrc.x, cSrc.y);
    canvas.DrawBitmap(image, dest, source);
}

}  // namespace qm::app::wmf
