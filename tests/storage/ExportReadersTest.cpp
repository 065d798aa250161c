// The tests' own readers must be right before they judge the exports.

#include "storage/ExportReaders.h"

#include <gtest/gtest.h>

namespace qm::storage::testing {
namespace {

TEST(ExportReadersTest, CsvReaderFollowsRfc4180) {
    struct Case {
        std::string text;
        char separator;
        Table table;
    };
    const Case cases[] = {
        {"", ',', {}},
        {"a,b\r\n", ',', {{"a", "b"}}},
        {"a,b", ',', {{"a", "b"}}},
        {"a,,\r\n,\r\n", ',', {{"a", "", ""}, {"", ""}}},
        {"\"1,234\",\"say \"\"hi\"\"\"\r\n", ',', {{"1,234", "say \"hi\""}}},
        {"\"two\r\nlines\",x\r\n", ',', {{"two\r\nlines", "x"}}},
        {"\"\",\"\"\"\"\r\n", ',', {{"", "\""}}},
        {"a \"b c\" d,e\r\n", ' ', {{"a", "b c", "d,e"}}},
        {"*.TXT    \r\n", ' ', {{"*.TXT", "", "", "", ""}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadCsv(c.text, c.separator), c.table) << c.text;
    }
    for (const std::string bad : {"a\"b\r\n", "\"a\"b\r\n", "\"open\r\n", "a\nb\r\n", "a\rb"}) {
        EXPECT_THROW(ReadCsv(bad), std::runtime_error) << bad;
    }
}

TEST(ExportReadersTest, RtfReaderDecodesEscapesUnicodeAndSkipsHeaderGroups) {
    const std::string rtf =
        "{\\rtf1\\ansi\\uc1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}"
        "{\\*\\generator hidden text;}\r\n"
        "\\trowd\\cellx100\\cellx200\\cellx300\r\n"
        "\\pard\\intbl\\b a\\{b\\}\\\\c\\cell "
        "\\pard\\intbl  lead\\u233?t\\u-10179?\\u-8704?\\cell\r\n"
        "\\pard\\intbl{\\uc2\\u8364 EUx}\\u8364?y\\'e9\\tab z\\cell\\row\r\n"
        "\\pard\\par outside}";
    EXPECT_EQ(ReadRtfTable(rtf), (Table{{"a{b}\\c", " lead\xC3\xA9t\xF0\x9F\x98\x80",
                                         "\xE2\x82\xAC"
                                         "x\xE2\x82\xACy\xC3\xA9\tz"}}));

    const std::string bad[] = {
        "{\\rtf1 \\pard\\intbl x\\cell\\row",  // unbalanced
        "{\\rtf1 x}}",                         // one brace too many
        "{\\rtf1 x} y",                        // text after the end
        "{\\rtf1 \xC3\xA9\\cell\\row}",        // 8-bit text
        "{\\rtf1 \\u-8704?\\cell\\row}",       // a low surrogate alone
        "{\\rtf1 \\u-10179?x\\cell\\row}",     // a high surrogate alone
        "{\\rtf1 a\x01\\cell\\row}",           // a raw control character
        "{\\rtf0 x}",                          // not RTF 1
    };
    for (const std::string& text : bad) {
        EXPECT_THROW(ReadRtfTable(text), std::runtime_error) << text;
    }
}

}  // namespace
}  // namespace qm::storage::testing
