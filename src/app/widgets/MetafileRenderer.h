#pragma once

#include <QByteArray>
#include <QImage>
#include <QRectF>
#include <QSize>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace qm::app {

// A Windows metafile (WMF, placeable or not, or EMF) ready to be drawn at any size. Open reads
// and checks the header; Render plays the records through QPainter.
//
// Hostile input is expected: every record passes libuemf's safety check and our own bounds
// checks before it is read, a malformed record ends in "no picture" (a null image), and drawing
// stops once a work budget is spent, so no file can crash the program or keep it busy for long.
class MetafileRenderer {
public:
    enum class Format { Wmf, Emf };

    // The format by the file's first bytes, or nothing when it is no metafile.
    static std::optional<Format> Detect(const QByteArray& data);

    // Nothing when data is not a metafile whose header we can read.
    static std::optional<MetafileRenderer> Open(const QByteArray& data);
    static std::optional<MetafileRenderer> OpenWmf(const QByteArray& data);
    static std::optional<MetafileRenderer> OpenEmf(const QByteArray& data);

    Format GetFormat() const { return m_format; }

    // The picture's own size in pixels at 96 dpi (from the frame in its header), at least 1x1.
    QSize NaturalSize() const { return m_naturalSize; }

    // The picture stretched to size, on a transparent background. A null image when size is
    // empty or larger than kMaxRenderSide, or when a record is malformed or the file ends early.
    // cancel, when given and set by another thread, stops the drawing early.
    QImage Render(QSize size, const std::atomic<bool>* cancel = nullptr) const;

    static constexpr int kMaxRenderSide = 16384;

private:
    MetafileRenderer() = default;

    QByteArray m_data;  // with zero padding past the end, see Open
    qsizetype m_length = 0;
    Format m_format = Format::Wmf;
    QSize m_naturalSize;
    QRectF m_frame;  // device units (EMF) or logical units (WMF)
    QSizeF m_pixelsPerMm;
    std::size_t m_recordsOffset = 0;  // WMF only
    std::uint32_t m_objects = 0;      // WMF only
};

}  // namespace qm::app
