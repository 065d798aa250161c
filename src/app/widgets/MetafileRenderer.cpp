#include "app/widgets/MetafileRenderer.h"

#include "app/widgets/EmfPlayer.h"
#include "app/widgets/MetafileCanvas.h"
#include "app/widgets/WmfPlayer.h"

#include <QPainter>

#include <cstring>
#include <span>

namespace qm::app {

namespace {

// Some of libuemf's checks read a few bytes past a short record before refusing it; zeros past
// the end keep that inside our buffer. Our own reads stop at the real end.
constexpr qsizetype kPadding = 64;

std::span<const std::byte> Span(const QByteArray& data, qsizetype length) {
    return {reinterpret_cast<const std::byte*>(data.constData()), static_cast<std::size_t>(length)};
}

QByteArray Padded(const QByteArray& data) {
    QByteArray padded(data.size() + kPadding, '\0');
    std::memcpy(padded.data(), data.constData(), static_cast<std::size_t>(data.size()));
    return padded;
}

std::uint32_t U32(const QByteArray& data, qsizetype offset) {
    std::uint32_t value = 0;
    if (data.size() >= offset + 4) {
        std::memcpy(&value, data.constData() + offset, 4);
    }
    return value;
}

}  // namespace

std::optional<MetafileRenderer::Format> MetafileRenderer::Detect(const QByteArray& data) {
    if (U32(data, 0) == 1 && U32(data, 40) == 0x464D4520) {
        return Format::Emf;
    }
    if (U32(data, 0) == 0x9AC6CDD7) {
        return Format::Wmf;
    }
    // A WMF without the placeable header: type 1 or 2, a nine-word header, version 1 or 3.
    if (data.size() >= 6) {
        const auto word = [&](int i) {
            return static_cast<unsigned>(static_cast<unsigned char>(data[i]) |
                                         (static_cast<unsigned char>(data[i + 1]) << 8));
        };
        if ((word(0) == 1 || word(0) == 2) && word(2) == 9 &&
            (word(4) == 0x0100 || word(4) == 0x0300)) {
            return Format::Wmf;
        }
    }
    return std::nullopt;
}

std::optional<MetafileRenderer> MetafileRenderer::Open(const QByteArray& data) {
    const auto format = Detect(data);
    if (!format) {
        return std::nullopt;
    }
    return *format == Format::Emf ? OpenEmf(data) : OpenWmf(data);
}

std::optional<MetafileRenderer> MetafileRenderer::OpenWmf(const QByteArray& data) {
    MetafileRenderer renderer;
    renderer.m_data = Padded(data);
    renderer.m_length = data.size();
    renderer.m_format = Format::Wmf;
    const auto header = WmfPlayer::ReadHeader(Span(renderer.m_data, renderer.m_length));
    if (!header) {
        return std::nullopt;
    }
    renderer.m_naturalSize = header->naturalSize;
    renderer.m_frame = header->frame;
    renderer.m_recordsOffset = header->recordsOffset;
    renderer.m_objects = header->objects;
    return renderer;
}

std::optional<MetafileRenderer> MetafileRenderer::OpenEmf(const QByteArray& data) {
    MetafileRenderer renderer;
    renderer.m_data = Padded(data);
    renderer.m_length = data.size();
    renderer.m_format = Format::Emf;
    const auto header = EmfPlayer::ReadHeader(Span(renderer.m_data, renderer.m_length));
    // A file shorter than its header says has lost its end.
    if (!header || header->bytes > static_cast<std::size_t>(data.size())) {
        return std::nullopt;
    }
    renderer.m_naturalSize = header->naturalSize;
    renderer.m_frame = header->frame;
    renderer.m_pixelsPerMm = header->pixelsPerMm;
    return renderer;
}

QImage MetafileRenderer::Render(QSize size, const std::atomic<bool>* cancel) const {
    if (size.isEmpty() || size.width() > kMaxRenderSide || size.height() > kMaxRenderSide) {
        return {};
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {};
    }
    image.fill(Qt::transparent);
    const auto data = Span(m_data, m_length);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                           QPainter::SmoothPixmapTransform);
    const QTransform deviceToImage =
        QTransform::fromTranslate(-m_frame.left(), -m_frame.top()) *
        QTransform::fromScale(size.width() / m_frame.width(), size.height() / m_frame.height());
    bool ok = false;
    if (m_format == Format::Emf) {
        MetafileCanvas canvas(&painter, deviceToImage, m_pixelsPerMm);
        ok = EmfPlayer::Play(data, canvas, cancel);
    } else {
        WmfPlayer::Header header;
        header.frame = m_frame;
        header.naturalSize = m_naturalSize;
        header.recordsOffset = m_recordsOffset;
        header.objects = m_objects;
        MetafileCanvas canvas(&painter, deviceToImage, QSizeF(96.0 / 25.4, 96.0 / 25.4));
        ok = WmfPlayer::Play(data, header, canvas, cancel);
    }
    painter.end();
    return ok ? image : QImage();
}

}  // namespace qm::app
