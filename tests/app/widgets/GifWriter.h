#pragma once

// A writer of tiny animated GIFs for the tests: Qt reads GIF but cannot write it.

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QSize>

#include <cstdint>

#include "MetafileWriter.h"

namespace qm::test {

// A GIF of frames of one palette colour each (0 red, 1 green, 2 blue, 3 white), 4x4, with a delay
// and a loop count of forever. Every pixel code follows a clear code, so the codes stay three
// bits wide.
inline QByteArray AnimatedGif(const QList<int>& colourIndices, int delayCentiseconds) {
    LeBytes b;
    b.Bytes("GIF89a").U16(4).U16(4).U8(0xF1).U8(0).U8(0);  // global table of 4 colours
    b.U8(255).U8(0).U8(0).U8(0).U8(255).U8(0).U8(0).U8(0).U8(255).U8(255).U8(255).U8(255);
    b.U8(0x21).U8(0xFF).U8(11).Bytes("NETSCAPE2.0").U8(3).U8(1).U16(0).U8(0);  // loop forever
    for (int colour : colourIndices) {
        b.U8(0x21)
            .U8(0xF9)
            .U8(4)
            .U8(0x04)
            .U16(static_cast<std::uint16_t>(delayCentiseconds))
            .U8(0)
            .U8(0);
        b.U8(0x2C).U16(0).U16(0).U16(4).U16(4).U8(0);
        b.U8(2);  // minimum code size
        QByteArray bits;
        std::uint32_t acc = 0;
        int count = 0;
        const auto put = [&](std::uint32_t code) {
            acc |= code << count;
            count += 3;
            while (count >= 8) {
                bits.append(static_cast<char>(acc & 0xff));
                acc >>= 8;
                count -= 8;
            }
        };
        for (int i = 0; i < 16; ++i) {
            put(4);  // clear
            put(static_cast<std::uint32_t>(colour));
        }
        put(5);  // end
        if (count > 0) {
            bits.append(static_cast<char>(acc & 0xff));
        }
        b.U8(static_cast<std::uint8_t>(bits.size())).Bytes(bits).U8(0);
    }
    b.U8(0x3B);
    return b.Data();
}

// A looping GIF of size whose frames are given as one palette index (0..3) per pixel, row by
// row, each shown for delayCentiseconds. Codes are written as AnimatedGif writes them, in data
// sub-blocks of at most 255 bytes.
inline QByteArray PaletteGif(QSize size, const QList<QColor>& palette,
                             const QList<QByteArray>& frames, int delayCentiseconds) {
    LeBytes b;
    b.Bytes("GIF89a")
        .U16(static_cast<std::uint16_t>(size.width()))
        .U16(static_cast<std::uint16_t>(size.height()))
        .U8(0xF1)
        .U8(0)
        .U8(0);
    for (int i = 0; i < 4; ++i) {
        const QColor c = palette.value(i, Qt::black);
        b.U8(static_cast<std::uint8_t>(c.red()))
            .U8(static_cast<std::uint8_t>(c.green()))
            .U8(static_cast<std::uint8_t>(c.blue()));
    }
    b.U8(0x21).U8(0xFF).U8(11).Bytes("NETSCAPE2.0").U8(3).U8(1).U16(0).U8(0);
    for (const QByteArray& pixels : frames) {
        b.U8(0x21)
            .U8(0xF9)
            .U8(4)
            .U8(0x04)
            .U16(static_cast<std::uint16_t>(delayCentiseconds))
            .U8(0)
            .U8(0);
        b.U8(0x2C)
            .U16(0)
            .U16(0)
            .U16(static_cast<std::uint16_t>(size.width()))
            .U16(static_cast<std::uint16_t>(size.height()))
            .U8(0);
        b.U8(2);
        QByteArray bits;
        std::uint32_t acc = 0;
        int count = 0;
        const auto put = [&](std::uint32_t code) {
            acc |= code << count;
            count += 3;
            while (count >= 8) {
                bits.append(static_cast<char>(acc & 0xff));
                acc >>= 8;
                count -= 8;
            }
        };
        for (const char index : pixels) {
            put(4);
            put(static_cast<std::uint32_t>(index & 3));
        }
        put(5);
        if (count > 0) {
            bits.append(static_cast<char>(acc & 0xff));
        }
        for (qsizetype at = 0; at < bits.size(); at += 255) {
            const QByteArray block = bits.mid(at, 255);
            b.U8(static_cast<std::uint8_t>(block.size())).Bytes(block);
        }
        b.U8(0);
    }
    b.U8(0x3B);
    return b.Data();
}

}  // namespace qm::test
