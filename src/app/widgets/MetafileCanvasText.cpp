// MetafileCanvas: text.
#include "app/widgets/MetafileCanvas.h"

#include "app/widgets/MetafileCanvasGdi.h"

#include <QFont>
#include <QFontMetricsF>

#include <algorithm>
#include <array>
#include <cmath>

namespace qm::app {

namespace {

using gdi::kBkOpaque;

// Text alignment bits.
constexpr std::uint32_t kTaUpdateCp = 0x0001;
constexpr std::uint32_t kTaHorizontal = 0x0006;
constexpr std::uint32_t kTaRight = 0x0002;
constexpr std::uint32_t kTaCenter = 0x0006;
constexpr std::uint32_t kTaVertical = 0x0018;
constexpr std::uint32_t kTaBottom = 0x0008;
constexpr std::uint32_t kTaBaseline = 0x0018;

// The default font of a device context is about 12 points: 16 pixels at 96 dpi.
constexpr double kDefaultFontPixels = 16.0;

// Windows-1252 for the bytes that are not Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

}  // namespace

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
