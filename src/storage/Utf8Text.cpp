#include "storage/Utf8Text.h"

namespace qm::storage {

Utf8Char DecodeUtf8(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t continuations = 0;
    char32_t value = 0;
    // The second byte's range excludes overlong forms, surrogates and values past U+10FFFF.
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        continuations = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        continuations = 2;
        value = lead & 0x0F;
        secondLow = lead == 0xE0 ? 0xA0 : 0x80;
        secondHigh = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        continuations = 3;
        value = lead & 0x07;
        secondLow = lead == 0xF0 ? 0x90 : 0x80;
        secondHigh = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {kReplacementCharacter, 1, false};
    }
    std::size_t length = 1;
    for (std::size_t k = 0; k < continuations; ++k) {
        if (i + length >= text.size()) {
            return {kReplacementCharacter, length, false};
        }
        const unsigned char c = at(i + length);
        const unsigned char low = k == 0 ? secondLow : 0x80;
        const unsigned char high = k == 0 ? secondHigh : 0xBF;
        if (c < low || c > high) {
            return {kReplacementCharacter, length, false};
        }
        value = (value << 6) | (c & 0x3F);
        ++length;
    }
    return {value, length, true};
}

void AppendUtf8(std::string& out, char32_t value) {
    if (value < 0x80) {
        out += static_cast<char>(value);
    } else if (value < 0x800) {
        out += static_cast<char>(0xC0 | (value >> 6));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        out += static_cast<char>(0xE0 | (value >> 12));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (value >> 18));
        out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
}

std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const Utf8Char c = DecodeUtf8(text, i);
        if (c.valid) {
            out.append(text.substr(i, c.length));
        } else {
            AppendUtf8(out, kReplacementCharacter);
        }
        i += c.length;
    }
    return out;
}

}  // namespace qm::storage
