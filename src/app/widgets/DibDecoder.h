#pragma once

#include <QImage>

#include <cstddef>
#include <cstdint>
#include <span>

namespace qm::app {

// Device-independent bitmaps as metafiles embed them: a BITMAPINFO (core, info, V4 or V5 header,
// bit masks, colour table) and the pixel bits. Every count and offset is checked against the
// spans it is given; a bitmap larger than kMaxPixels is decoded with every n-th pixel so that a
// hostile header cannot make it allocate without bound.
class DibDecoder {
public:
    static constexpr std::int64_t kMaxPixels = std::int64_t{16} * 1024 * 1024;

    // How the colour table is meant: RGB values, or indices into a palette we do not keep.
    enum class Usage { RgbColors, PaletteIndices };

    // info: the BITMAPINFO; bits: the pixel data. A null image when the header is invalid, the bits
    // are shorter than the header says, or the format is one we do not draw (palette indices).
    static QImage Decode(std::span<const std::byte> info, std::span<const std::byte> bits,
                         Usage usage);

    // A packed DIB: the bits follow the BITMAPINFO directly.
    static QImage DecodePacked(std::span<const std::byte> packed, Usage usage);

    // Bytes that the BITMAPINFO of a packed DIB takes (header, masks and colour table), or 0 when
    // the header is invalid.
    static std::size_t InfoSize(std::span<const std::byte> info);
};

}  // namespace qm::app
