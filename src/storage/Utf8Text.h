#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qm::storage {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// One character of UTF-8 text: its code point and how many bytes it takes. Bytes that are not
// valid UTF-8 (overlong forms, surrogates, beyond U+10FFFF, cut short) give U+FFFD with valid
// false, one for each longest start of a sequence that could have been valid (at least one byte),
// so every byte is read exactly once and a text reads the same wherever it is cut.
struct Utf8Char {
    char32_t value = 0;
    std::size_t length = 1;
    bool valid = true;
};

// The character at text[i]; i must be below text.size().
Utf8Char DecodeUtf8(std::string_view text, std::size_t i);

// Appends code point value (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t value);

// text with every invalid sequence replaced by U+FFFD, everything else unchanged.
std::string ValidUtf8(std::string_view text);

}  // namespace qm::storage
