#include "storage/Utf8Text.h"

#include <gtest/gtest.h>

namespace qm::storage {
namespace {

// Each invalid sequence becomes one U+FFFD per longest start of a valid sequence, so the bytes
// after a cut sequence are never swallowed.
TEST(Utf8TextTest, InvalidSequencesBecomeOneReplacementPerMaximalPart) {
    const std::string r = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"plain ASCII", "plain ASCII"},
        {"\xC3\xA9t\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80",
         "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80"},
        {"a\xFF"
         "b",
         "a" + r + "b"},
        {"\xFF\xFE", r + r},
        {"\xC0\xAF", r + r},  // overlong "/"
        {"\xE6\x97"
         "x",
         r + "x"},                            // cut three-byte sequence: one part
        {"\xF0\x9F\x98", r},                  // cut at the end
        {"\xED\xA0\x80", r + r + r},          // a surrogate
        {"\xF4\x90\x80\x80", r + r + r + r},  // beyond U+10FFFF
        {"\x80"
         "a",
         r + "a"},                    // a lone continuation byte
        {"\xE0\x80\x80", r + r + r},  // overlong three-byte form
        {"\xF0\x9F\x98"
         "\xC3\xA9",
         r + "\xC3\xA9"},
    };
    for (const auto& [text, valid] : cases) {
        EXPECT_EQ(ValidUtf8(text), valid) << text;
    }
}

TEST(Utf8TextTest, DecodesCodePointsAndEncodesThemBack) {
    const char32_t points[] = {0x41,   0x7F,   0x80,    0x7FF,   0x800,
                               0xFFFD, 0xFFFF, 0x10000, 0x1F600, 0x10FFFF};
    for (const char32_t point : points) {
        std::string text;
        AppendUtf8(text, point);
        const Utf8Char c = DecodeUtf8(text, 0);
        EXPECT_TRUE(c.valid) << static_cast<std::uint32_t>(point);
        EXPECT_EQ(c.value, point);
        EXPECT_EQ(c.length, text.size());
    }
}

}  // namespace
}  // namespace qm::storage
