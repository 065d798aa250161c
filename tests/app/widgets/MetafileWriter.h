#pragma once

// Small writers of WMF and EMF files for the tests: just enough records to draw shapes, text and
// bitmaps, with every field spelled out so that a test can also break them on purpose.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <cstdint>
#include <cstring>
#include <vector>

namespace qm::test {

class LeBytes {
public:
    LeBytes& U8(std::uint8_t v) { return Raw(&v, 1); }
    LeBytes& U16(std::uint16_t v) { return Raw(&v, 2); }
    LeBytes& I16(std::int16_t v) { return Raw(&v, 2); }
    LeBytes& U32(std::uint32_t v) { return Raw(&v, 4); }
    LeBytes& I32(std::int32_t v) { return Raw(&v, 4); }
    LeBytes& F32(float v) { return Raw(&v, 4); }
    LeBytes& Color(QColor c) {
        return U8(static_cast<std::uint8_t>(c.red()))
            .U8(static_cast<std::uint8_t>(c.green()))
            .U8(static_cast<std::uint8_t>(c.blue()))
            .U8(0);
    }
    LeBytes& Bytes(const QByteArray& b) {
        m_data.append(b);
        return *this;
    }
    LeBytes& PadTo(int multiple) {
        while (m_data.size() % multiple != 0) {
            m_data.append('\0');
        }
        return *this;
    }
    const QByteArray& Data() const { return m_data; }
    qsizetype Size() const { return m_data.size(); }

private:
    LeBytes& Raw(const void* p, int n) {
        m_data.append(static_cast<const char*>(p), n);
        return *this;
    }
    QByteArray m_data;
};

// A bottom-up BITMAPINFOHEADER + 24-bit pixels of image (packed DIB), rows padded to 4 bytes.
inline QByteArray PackedDib24(const QImage& image) {
    LeBytes b;
    b.U32(40)
        .I32(image.width())
        .I32(image.height())
        .U16(1)
        .U16(24)
        .U32(0)
        .U32(0)
        .I32(0)
        .I32(0)
        .U32(0)
        .U32(0);
    for (int y = image.height() - 1; y >= 0; --y) {
        const qsizetype start = b.Size();
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            b.U8(static_cast<std::uint8_t>(qBlue(p)))
                .U8(static_cast<std::uint8_t>(qGreen(p)))
                .U8(static_cast<std::uint8_t>(qRed(p)));
        }
        while ((b.Size() - start) % 4 != 0) {
            b.U8(0);
        }
    }
    return b.Data();
}

// An EMF of frameMm millimetres on a reference device of one pixel a millimetre, so that logical
// units in MM_TEXT are millimetres of the frame.
class EmfWriter {
public:
    explicit EmfWriter(QSize frameMm = QSize(100, 100)) : m_frameMm(frameMm) {}

    EmfWriter& Record(std::uint32_t type, const QByteArray& body) {
        LeBytes r;
        r.U32(type)
            .U32(static_cast<std::uint32_t>(8 + ((body.size() + 3) / 4) * 4))
            .Bytes(body)
            .PadTo(4);
        m_records.append(r.Data());
        ++m_count;
        return *this;
    }
    EmfWriter& Brush(std::uint32_t index, QColor color, std::uint32_t style = 0) {
        return Record(39, LeBytes().U32(index).U32(style).Color(color).U32(0).Data());
    }
    EmfWriter& Pen(std::uint32_t index, QColor color, std::int32_t width = 0,
                   std::uint32_t style = 0) {
        return Record(38, LeBytes().U32(index).U32(style).I32(width).I32(0).Color(color).Data());
    }
    EmfWriter& Select(std::uint32_t index) { return Record(37, LeBytes().U32(index).Data()); }
    EmfWriter& Delete(std::uint32_t index) { return Record(40, LeBytes().U32(index).Data()); }
    EmfWriter& Rect(std::uint32_t type, QRect r) {
        return Record(type,
                      LeBytes().I32(r.left()).I32(r.top()).I32(r.right()).I32(r.bottom()).Data());
    }
    EmfWriter& Rectangle(QRect r) { return Rect(43, r); }
    EmfWriter& Ellipse(QRect r) { return Rect(42, r); }
    EmfWriter& Polygon16(const std::vector<QPoint>& points) {
        LeBytes b;
        b.I32(0).I32(0).I32(100).I32(100).U32(static_cast<std::uint32_t>(points.size()));
        for (const QPoint& p : points) {
            b.I16(static_cast<std::int16_t>(p.x())).I16(static_cast<std::int16_t>(p.y()));
        }
        return Record(86, b.Data());
    }
    EmfWriter& Polygon32(const std::vector<QPoint>& points) {
        LeBytes b;
        b.I32(0).I32(0).I32(100).I32(100).U32(static_cast<std::uint32_t>(points.size()));
        for (const QPoint& p : points) {
            b.I32(p.x()).I32(p.y());
        }
        return Record(3, b.Data());
    }
    EmfWriter& U32Record(std::uint32_t type, std::uint32_t value) {
        return Record(type, LeBytes().U32(value).Data());
    }
    EmfWriter& PairRecord(std::uint32_t type, std::int32_t a, std::int32_t b) {
        return Record(type, LeBytes().I32(a).I32(b).Data());
    }
    EmfWriter& TextColor(QColor c) { return Record(24, LeBytes().Color(c).Data()); }
    EmfWriter& Font(std::uint32_t index, std::int32_t height, const QString& face = "DejaVu Sans") {
        LeBytes b;
        b.U32(index).I32(height).I32(0).I32(0).I32(0).I32(400);
        b.U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0);
        for (int i = 0; i < 32; ++i) {
            b.U16(i < face.size() ? face[i].unicode() : 0);
        }
        // Full name, style, version, style size, match, reserved, vendor, culture, panose, pad.
        b.Bytes(QByteArray(64 * 2 + 32 * 2 + 4 * 5 + 4 + 10 + 2 + 4, '\0').left(320 - 92));
        return Record(82, b.Data());
    }
    EmfWriter& TextW(QPoint at, const QString& text, std::int32_t advance = 12) {
        const std::uint32_t n = static_cast<std::uint32_t>(text.size());
        const std::uint32_t offString = 76;
        const std::uint32_t offDx = offString + ((n * 2 + 3) / 4) * 4;
        LeBytes b;
        b.I32(0).I32(0).I32(-1).I32(-1).U32(1).F32(1).F32(1);  // bounds, GM_COMPATIBLE, scales
        b.I32(at.x()).I32(at.y()).U32(n).U32(offString).U32(0);
        b.I32(0).I32(0).I32(-1).I32(-1).U32(offDx);
        for (QChar c : text) {
            b.U16(c.unicode());
        }
        b.PadTo(4);
        for (std::uint32_t i = 0; i < n; ++i) {
            b.I32(advance);
        }
        return Record(84, b.Data());
    }
    EmfWriter& StretchDib(QRect dest, const QImage& image) {
        const QByteArray dib = PackedDib24(image);
        LeBytes b;
        b.I32(0).I32(0).I32(-1).I32(-1);  // bounds
        b.I32(dest.x()).I32(dest.y()).I32(0).I32(0).I32(image.width()).I32(image.height());
        b.U32(80).U32(40).U32(120).U32(static_cast<std::uint32_t>(dib.size() - 40));
        b.U32(0).U32(0x00CC0020).I32(dest.width()).I32(dest.height());
        b.Bytes(dib);
        return Record(81, b.Data());
    }

    QByteArray Finish(bool withEof = true) const {
        QByteArray records = m_records;
        std::uint32_t count = m_count + 1;
        if (withEof) {
            LeBytes eof;
            eof.U32(14).U32(20).U32(0).U32(16).U32(20);
            records.append(eof.Data());
            ++count;
        }
        constexpr std::uint32_t kHeaderSize = 108;
        LeBytes h;
        const int w = m_frameMm.width();
        const int ht = m_frameMm.height();
        h.U32(1).U32(kHeaderSize);
        h.I32(0).I32(0).I32(w - 1).I32(ht - 1);      // bounds, device pixels
        h.I32(0).I32(0).I32(w * 100).I32(ht * 100);  // frame, 0.01 mm
        h.U32(0x464D4520).U32(0x10000);
        h.U32(static_cast<std::uint32_t>(kHeaderSize + records.size())).U32(count);
        h.U16(16).U16(0).U32(0).U32(0).U32(0);
        h.I32(1000).I32(1000).I32(1000).I32(1000);  // device pixels and millimetres
        h.U32(0).U32(0).U32(0).I32(1000000).I32(1000000);
        return h.Data() + records;
    }

private:
    QSize m_frameMm;
    QByteArray m_records;
    std::uint32_t m_count = 0;
};

// A WMF; with a placeable header when box is given (in logical units at inch units an inch).
class WmfWriter {
public:
    WmfWriter() = default;
    WmfWriter(QRect box, std::uint16_t inch) : m_placeable(true), m_box(box), m_inch(inch) {}

    WmfWriter& Record(std::uint16_t function, const QByteArray& params) {
        QByteArray p = params;
        if (p.size() % 2) {
            p.append('\0');
        }
        LeBytes r;
        r.U32(static_cast<std::uint32_t>(3 + p.size() / 2)).U16(function).Bytes(p);
        m_records.append(r.Data());
        m_maxWords =
            std::max<std::uint32_t>(m_maxWords, static_cast<std::uint32_t>(3 + p.size() / 2));
        return *this;
    }
    WmfWriter& WindowOrg(int x, int y) {
        return Record(
            0x020B,
            LeBytes().I16(static_cast<std::int16_t>(y)).I16(static_cast<std::int16_t>(x)).Data());
    }
    WmfWriter& WindowExt(int x, int y) {
        return Record(
            0x020C,
            LeBytes().I16(static_cast<std::int16_t>(y)).I16(static_cast<std::int16_t>(x)).Data());
    }
    WmfWriter& Brush(QColor color, std::uint16_t style = 0) {
        ++m_objects;
        return Record(0x02FC, LeBytes().U16(style).Color(color).U16(0).Data());
    }
    WmfWriter& Pen(QColor color, std::int16_t width = 0, std::uint16_t style = 0) {
        ++m_objects;
        return Record(0x02FA, LeBytes().U16(style).I16(width).I16(0).Color(color).Data());
    }
    WmfWriter& Font(std::int16_t height, const QString& face = "DejaVu Sans") {
        ++m_objects;
        LeBytes b;
        b.I16(height).I16(0).I16(0).I16(0).I16(400);
        b.U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0).U8(0);
        QByteArray name = face.toLatin1();
        name.resize(32, '\0');
        b.Bytes(name);
        return Record(0x02FB, b.Data());
    }
    WmfWriter& Select(std::uint16_t index) { return Record(0x012D, LeBytes().U16(index).Data()); }
    WmfWriter& Delete(std::uint16_t index) { return Record(0x01F0, LeBytes().U16(index).Data()); }
    WmfWriter& Box(std::uint16_t function, QRect r) {
        return Record(function, LeBytes()
                                    .I16(static_cast<std::int16_t>(r.bottom()))
                                    .I16(static_cast<std::int16_t>(r.right()))
                                    .I16(static_cast<std::int16_t>(r.top()))
                                    .I16(static_cast<std::int16_t>(r.left()))
                                    .Data());
    }
    WmfWriter& Rectangle(QRect r) { return Box(0x041B, r); }
    WmfWriter& Ellipse(QRect r) { return Box(0x0418, r); }
    WmfWriter& Polygon(const std::vector<QPoint>& points) {
        LeBytes b;
        b.U16(static_cast<std::uint16_t>(points.size()));
        for (const QPoint& p : points) {
            b.I16(static_cast<std::int16_t>(p.x())).I16(static_cast<std::int16_t>(p.y()));
        }
        return Record(0x0324, b.Data());
    }
    WmfWriter& TextColor(QColor c) { return Record(0x0209, LeBytes().Color(c).Data()); }
    WmfWriter& BkMode(std::uint16_t mode) { return Record(0x0102, LeBytes().U16(mode).Data()); }
    WmfWriter& TextOut(QPoint at, const QByteArray& text) {
        QByteArray s = text;
        if (s.size() % 2) {
            s.append('\0');
        }
        return Record(0x0521, LeBytes()
                                  .I16(static_cast<std::int16_t>(text.size()))
                                  .Bytes(s)
                                  .I16(static_cast<std::int16_t>(at.y()))
                                  .I16(static_cast<std::int16_t>(at.x()))
                                  .Data());
    }
    WmfWriter& StretchDib(QRect dest, const QImage& image) {
        LeBytes b;
        b.U32(0x00CC0020).U16(0);
        b.I16(static_cast<std::int16_t>(image.height()))
            .I16(static_cast<std::int16_t>(image.width()));
        b.I16(0).I16(0);
        b.I16(static_cast<std::int16_t>(dest.height()))
            .I16(static_cast<std::int16_t>(dest.width()));
        b.I16(static_cast<std::int16_t>(dest.y())).I16(static_cast<std::int16_t>(dest.x()));
        b.Bytes(PackedDib24(image));
        return Record(0x0F43, b.Data());
    }

    QByteArray Finish(bool withEof = true) const {
        QByteArray records = m_records;
        if (withEof) {
            records.append(LeBytes().U32(3).U16(0).Data());
        }
        LeBytes out;
        if (m_placeable) {
            LeBytes p;
            p.U32(0x9AC6CDD7).U16(0);
            p.I16(static_cast<std::int16_t>(m_box.left()))
                .I16(static_cast<std::int16_t>(m_box.top()));
            p.I16(static_cast<std::int16_t>(m_box.right()))
                .I16(static_cast<std::int16_t>(m_box.bottom()));
            p.U16(m_inch).U32(0);
            std::uint16_t sum = 0;
            for (int i = 0; i < 20; i += 2) {
                std::uint16_t w = 0;
                std::memcpy(&w, p.Data().constData() + i, 2);
                sum ^= w;
            }
            p.U16(sum);
            out.Bytes(p.Data());
        }
        out.U16(1).U16(9).U16(0x0300);
        out.U32(static_cast<std::uint32_t>(9 + records.size() / 2));
        out.U16(m_objects).U32(m_maxWords).U16(0);
        out.Bytes(records);
        return out.Data();
    }

private:
    bool m_placeable = false;
    QRect m_box;
    std::uint16_t m_inch = 1440;
    QByteArray m_records;
    std::uint16_t m_objects = 0;
    std::uint32_t m_maxWords = 3;
};

}  // namespace qm::test
