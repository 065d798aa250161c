#pragma once

// Reading UTF-8 for the locale services: well-formed sequences give their code point, and each
// ill-formed byte stands for a code point of its own. Only the Locale*.cpp files include this.

#include <cstddef>
#include <string_view>

namespace qm::platform::utf8 {

// Bytes that are not part of well-formed UTF-8 stand for these code points (a private-use range
// that real names practically never hold), one per byte, so that texts differing only in such
// bytes still differ and keep a fixed order instead of all collapsing into U+FFFD.
inline constexpr char32_t kInvalidByteBase = 0x10FF00;

// Length of the well-formed UTF-8 sequence at text[i], with its code point; 0 when ill-formed.
inline std::size_t DecodeUtf8(std::string_view text, std::size_t i, char32_t& cp) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t length = 0;
    char32_t min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return length;
}

}  // namespace qm::platform::utf8
