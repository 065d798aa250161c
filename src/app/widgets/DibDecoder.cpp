#include "app/widgets/DibDecoder.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

namespace qm::app {

namespace {

using Bytes = std::span<const std::byte>;

enum Compression : std::uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kJpeg = 4,
    kPng = 5,
    kAlphaBitFields = 6,
};

// Run-length bitmaps are expanded to one index byte a pixel before sampling; this caps that buffer.
constexpr std::int64_t kMaxRlePixels = std::int64_t{64} * 1024 * 1024;
// Wider or taller than this is no bitmap a metafile carries for real.
constexpr std::int64_t kMaxSide = std::int64_t{1} << 20;

template <typename T>
bool Read(Bytes data, std::size_t offset, T& out) {
    if (offset > data.size() || data.size() - offset < sizeof(T)) {
        return false;
    }
    std::memcpy(&out, data.data() + offset, sizeof(T));
    return true;
}

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t sizeImage = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    std::size_t tableOffset = 0;
    std::size_t tableEntries = 0;
    std::size_t entrySize = 4;
    std::size_t infoSize = 0;
};

std::optional<Header> ParseHeader(Bytes info) {
    Header h;
    std::uint32_t headerSize = 0;
    if (!Read(info, 0, headerSize)) {
        return std::nullopt;
    }
    std::uint32_t clrUsed = 0;
    if (headerSize == 12) {
        std::uint16_t w = 0;
        std::uint16_t ht = 0;
        std::uint16_t bc = 0;
        if (!Read(info, 4, w) || !Read(info, 6, ht) || !Read(info, 10, bc)) {
            return std::nullopt;
        }
        h.width = w;
        h.height = ht;
        h.bitCount = bc;
        h.entrySize = 3;
    } else if (headerSize >= 40 && headerSize <= 4096) {
        std::int32_t w = 0;
        std::int32_t ht = 0;
        std::uint16_t bc = 0;
        if (!Read(info, 4, w) || !Read(info, 8, ht) || !Read(info, 14, bc) ||
            !Read(info, 16, h.compression) || !Read(info, 20, h.sizeImage) ||
            !Read(info, 32, clrUsed)) {
            return std::nullopt;
        }
        h.width = w;
        h.height = ht;
        if (h.height < 0) {
            h.height = -h.height;
            h.topDown = true;
        }
        h.bitCount = bc;
    } else {
        return std::nullopt;
    }
    if (h.width <= 0 || h.height <= 0 || h.width > kMaxSide || h.height > kMaxSide) {
        return std::nullopt;
    }
    std::size_t offset = headerSize;
    if (h.compression == kBitFields || h.compression == kAlphaBitFields) {
        // A plain 40-byte header is followed by the masks; later headers hold them inside.
        const std::size_t maskOffset = 40;
        if (!Read(info, maskOffset, h.masks[0]) || !Read(info, maskOffset + 4, h.masks[1]) ||
            !Read(info, maskOffset + 8, h.masks[2])) {
            return std::nullopt;
        }
        if (headerSize == 40) {
            offset += h.compression == kAlphaBitFields ? 16 : 12;
        }
    }
    if (h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8) {
        const std::size_t full = std::size_t{1} << h.bitCount;
        h.tableEntries = clrUsed == 0 ? full : std::min<std::size_t>(clrUsed, full);
    } else if (h.bitCount == 16 || h.bitCount == 24 || h.bitCount == 32) {
        h.tableEntries = std::min<std::size_t>(clrUsed, 256);  // optional, only skipped
    } else if (!(h.bitCount == 0 && (h.compression == kJpeg || h.compression == kPng))) {
        return std::nullopt;
    }
    h.tableOffset = offset;
    h.infoSize = offset + h.tableEntries * h.entrySize;
    if (h.infoSize > info.size()) {
        return std::nullopt;
    }
    return h;
}

QRgb TableColor(Bytes info, const Header& h, std::size_t index) {
    if (index >= h.tableEntries) {
        return qRgb(0, 0, 0);
    }
    const auto* entry =
        reinterpret_cast<const unsigned char*>(info.data() + h.tableOffset + index * h.entrySize);
    return qRgb(entry[2], entry[1], entry[0]);
}

int MaskChannel(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0) {
        return 0;
    }
    const int shift = std::countr_zero(mask);
    const std::uint32_t bits = mask >> shift;
    const int width = std::countr_one(bits);
    const std::uint32_t v = (value & mask) >> shift;
    if (width >= 8) {
        return static_cast<int>(v >> (width - 8)) & 0xff;
    }
    const std::uint32_t max = (1u << width) - 1;
    return static_cast<int>(v * 255 / max);
}

// Every step-th pixel in each direction so that the result stays within kMaxPixels.
int SampleStep(std::int64_t width, std::int64_t height) {
    const double ratio = static_cast<double>(width) * static_cast<double>(height) /
                         static_cast<double>(DibDecoder::kMaxPixels);
    int step = ratio > 1.0 ? static_cast<int>(std::ceil(std::sqrt(ratio))) : 1;
    while (((width + step - 1) / step) * ((height + step - 1) / step) > DibDecoder::kMaxPixels) {
        ++step;
    }
    return step;
}

QImage DecodeEmbedded(Bytes bits, const Header& h) {
    std::size_t length = bits.size();
    if (h.sizeImage != 0) {
        length = std::min<std::size_t>(length, h.sizeImage);
    }
    QByteArray bytes(reinterpret_cast<const char*>(bits.data()), static_cast<qsizetype>(length));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, h.compression == kJpeg ? "jpeg" : "png");
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || size.width() > kMaxSide || size.height() > kMaxSide) {
        return {};
    }
    const std::int64_t pixels = std::int64_t{size.width()} * size.height();
    if (pixels > DibDecoder::kMaxPixels) {
        if (!reader.supportsOption(QImageIOHandler::ScaledSize)) {
            return {};
        }
        const int step = SampleStep(size.width(), size.height());
        reader.setScaledSize(
            QSize(std::max(1, size.width() / step), std::max(1, size.height() / step)));
    }
    return reader.read();
}

// Expands RLE8/RLE4 into one palette index a pixel, bottom row first as the format stores it.
bool ExpandRle(Bytes bits, const Header& h, std::vector<unsigned char>& out) {
    const std::int64_t width = h.width;
    const std::int64_t height = h.height;
    out.assign(static_cast<std::size_t>(width * height), 0);
    const auto* d = reinterpret_cast<const unsigned char*>(bits.data());
    const std::size_t n = bits.size();
    const bool four = h.compression == kRle4;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::size_t p = 0;
    const auto put = [&](unsigned char index) {
        if (x < width && y < height) {
            out[static_cast<std::size_t>(y * width + x)] = index;
        }
        ++x;
    };
    while (p + 1 < n && y < height) {
        const unsigned count = d[p];
        const unsigned value = d[p + 1];
        p += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count && x < width; ++i) {
                put(four ? static_cast<unsigned char>(i % 2 == 0 ? value >> 4 : value & 0x0f)
                         : static_cast<unsigned char>(value));
            }
            continue;
        }
        if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (p + 1 >= n) {
                return false;
            }
            x += d[p];
            y += d[p + 1];
            p += 2;
        } else {
            const std::size_t bytes = four ? (value + 1) / 2 : value;
            if (bytes > n - p) {
                return false;
            }
            for (unsigned i = 0; i < value && x < width; ++i) {
                const unsigned char byte = d[p + (four ? i / 2 : i)];
                put(four ? static_cast<unsigned char>(i % 2 == 0 ? byte >> 4 : byte & 0x0f) : byte);
            }
            p += bytes + (bytes & 1);
        }
    }
    return true;
}

QImage DecodeRle(Bytes info, Bytes bits, const Header& h) {
    if ((h.compression == kRle8 && h.bitCount != 8) ||
        (h.compression == kRle4 && h.bitCount != 4) || h.topDown ||
        h.width * h.height > kMaxRlePixels) {
        return {};
    }
    std::vector<unsigned char> indices;
    if (!ExpandRle(bits, h, indices)) {
        return {};
    }
    const int step = SampleStep(h.width, h.height);
    const int outW = static_cast<int>((h.width + step - 1) / step);
    const int outH = static_cast<int>((h.height + step - 1) / step);
    QImage image(outW, outH, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    for (int oy = 0; oy < outH; ++oy) {
        const std::int64_t row = h.height - 1 - std::int64_t{oy} * step;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(oy));
        for (int ox = 0; ox < outW; ++ox) {
            line[ox] = TableColor(
                info, h,
                indices[static_cast<std::size_t>(row * h.width + std::int64_t{ox} * step)]);
        }
    }
    return image;
}

QImage DecodeUncompressed(Bytes info, Bytes bits, const Header& h) {
    const bool masked = h.compression == kBitFields || h.compression == kAlphaBitFields;
    if (masked && h.bitCount != 16 && h.bitCount != 32) {
        return {};
    }
    const std::int64_t stride = ((h.width * h.bitCount + 31) / 32) * 4;
    if (stride <= 0 ||
        static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(h.height) > bits.size()) {
        return {};
    }
    const int step = SampleStep(h.width, h.height);
    const int outW = static_cast<int>((h.width + step - 1) / step);
    const int outH = static_cast<int>((h.height + step - 1) / step);
    QImage image(outW, outH, QImage::Format_RGB32);
    if (image.isNull()) {
        return {};
    }
    const auto* base = reinterpret_cast<const unsigned char*>(bits.data());
    for (int oy = 0; oy < outH; ++oy) {
        const std::int64_t sy = std::int64_t{oy} * step;
        const std::int64_t row = h.topDown ? sy : h.height - 1 - sy;
        const unsigned char* src = base + row * stride;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(oy));
        for (int ox = 0; ox < outW; ++ox) {
            const std::int64_t sx = std::int64_t{ox} * step;
            switch (h.bitCount) {
                case 1:
                    line[ox] = TableColor(info, h, (src[sx / 8] >> (7 - sx % 8)) & 1);
                    break;
                case 4:
                    line[ox] = TableColor(info, h, (src[sx / 2] >> (sx % 2 == 0 ? 4 : 0)) & 0x0f);
                    break;
                case 8:
                    line[ox] = TableColor(info, h, src[sx]);
                    break;
                case 16: {
                    const std::uint32_t v = src[sx * 2] | (std::uint32_t{src[sx * 2 + 1]} << 8);
                    if (masked) {
                        line[ox] = qRgb(MaskChannel(v, h.masks[0]), MaskChannel(v, h.masks[1]),
                                        MaskChannel(v, h.masks[2]));
                    } else {
                        line[ox] = qRgb(MaskChannel(v, 0x7c00), MaskChannel(v, 0x03e0),
                                        MaskChannel(v, 0x001f));
                    }
                    break;
                }
                case 24:
                    line[ox] = qRgb(src[sx * 3 + 2], src[sx * 3 + 1], src[sx * 3]);
                    break;
                case 32: {
                    const unsigned char* px = src + sx * 4;
                    if (masked) {
                        const std::uint32_t v = px[0] | (std::uint32_t{px[1]} << 8) |
                                                (std::uint32_t{px[2]} << 16) |
                                                (std::uint32_t{px[3]} << 24);
                        line[ox] = qRgb(MaskChannel(v, h.masks[0]), MaskChannel(v, h.masks[1]),
                                        MaskChannel(v, h.masks[2]));
                    } else {
                        // The fourth byte is not alpha for plain bitmap drawing.
                        line[ox] = qRgb(px[2], px[1], px[0]);
                    }
                    break;
                }
                default:
                    return {};
            }
        }
    }
    return image;
}

}  // namespace

std::size_t DibDecoder::InfoSize(std::span<const std::byte> info) {
    const auto header = ParseHeader(info);
    return header ? header->infoSize : 0;
}

QImage DibDecoder::Decode(std::span<const std::byte> info, std::span<const std::byte> bits,
                          Usage usage) {
    const auto header = ParseHeader(info);
    if (!header) {
        return {};
    }
    if (usage == Usage::PaletteIndices && header->bitCount <= 8 && header->bitCount > 0) {
        return {};
    }
    switch (header->compression) {
        case kRgb:
        case kBitFields:
        case kAlphaBitFields:
            return DecodeUncompressed(info, bits, *header);
        case kRle8:
        case kRle4:
            return DecodeRle(info, bits, *header);
        case kJpeg:
        case kPng:
            return DecodeEmbedded(bits, *header);
        default:
            return {};
    }
}

QImage DibDecoder::DecodePacked(std::span<const std::byte> packed, Usage usage) {
    const std::size_t infoSize = InfoSize(packed);
    if (infoSize == 0) {
        return {};
    }
    return Decode(packed.first(infoSize), packed.subspan(infoSize), usage);
}

}  // namespace qm::app
