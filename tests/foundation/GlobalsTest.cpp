#include "foundation/Globals.h"

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "foundation/Version.h"
#include "support/TempTree.h"

namespace qm::foundation {
namespace {

struct PathCase {
    std::string path;
    char delim;
    std::string expected;
};

TEST(GlobalsTest, AddTrailingBackslash) {
    const PathCase cases[] = {
        {"C:\\Data", '\\', "C:\\Data\\"},
        {"C:\\Data\\", '\\', "C:\\Data\\"},
        {"C:", '\\', "C:\\"},
        {"/home/user", '/', "/home/user/"},
        {"/home/user/", '/', "/home/user/"},
        {"/", '/', "/"},
        {"a\\b", '/', "a\\b/"},  // a backslash is an ordinary name character here
        {"", '\\', ""},
        {"", '/', ""},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(AddTrailingBackslash(c.path, c.delim), c.expected) << c.path;
    }
    using test::NativePath;
    EXPECT_EQ(AddTrailingBackslash(NativePath("/tmp")), NativePath("/tmp/")) << "default separator";
}

TEST(GlobalsTest, RemoveTrailingBackslashKeepsRoots) {
    const PathCase cases[] = {
        {"C:\\Data\\", '\\', "C:\\Data"},
        {"C:\\Data", '\\', "C:\\Data"},
        {"C:\\", '\\', "C:\\"},  // a drive root keeps its separator
        {"\\\\", '\\', "\\\\"},
        {"\\", '\\', "\\"},
        {"ab\\", '\\', "ab\\"},  // three characters or fewer always stay
        {"abc\\", '\\', "abc"},
        {"/", '/', "/"},  // the POSIX root
        {"/a/", '/', "/a"},
        {"/home/user/", '/', "/home/user"},
        {"/home/user", '/', "/home/user"},
        {"a/", '/', "a"},
        {"//", '/', "/"},
        {"C:\\Data\\", '/', "C:\\Data\\"},
        {"", '\\', ""},
        {"", '/', ""},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(RemoveTrailingBackslash(c.path, c.delim), c.expected)
            << c.path << " with " << c.delim;
    }
    using test::NativePath;
    EXPECT_EQ(RemoveTrailingBackslash(NativePath("/data/")), NativePath("/data"))
        << "default separator";
    EXPECT_EQ(RemoveTrailingBackslash(NativePath("/")), NativePath("/")) << "default separator";
}

TEST(GlobalsTest, ExtractField) {
    std::string hundreds;
    for (int i = 0; i < 300; ++i) {
        hundreds += (i > 0 ? "|" : "") + std::to_string(i);
    }
    struct Case {
        std::string text;
        std::string separator;
        std::uint8_t fieldNo;
        std::string expected;
    };
    const Case cases[] = {
        {"a|b|c", "|", 1, "a"},
        {"a|b|c", "|", 2, "b"},
        {"a|b|c", "|", 3, "c"},
        {"a|b|c", "|", 4, ""},
        {"a|b|c", "|", 0, ""},
        {"a|b|", "|", 3, ""},
        {"a|b|", "|", 4, ""},
        {"a||c", "|", 2, ""},
        {"a||c", "|", 3, "c"},
        {"|a", "|", 1, ""},
        {"|a", "|", 2, "a"},
        {"abc", "|", 1, "abc"},
        {"abc", "|", 2, ""},
        {"", "|", 0, ""},
        {"", "|", 1, ""},
        {"", "|", 2, ""},
        {"x A|b", "|", 1, "x A"},
        {"IgnoreEntry C:\\Data\\", " ", 2, "C:\\Data\\"},
        {"a b c", " ", 2, "b"},
        {"aXbxc", "x", 2, "c"},  // exact, case-sensitive search
        {"aXbxc", "x", 1, "aXb"},
        {"a::b::c", "::", 2, ":b"},  // a longer separator leaves its tail in the next field
        {"a|b", "", 1, "a|b"},       // an empty separator is never found
        {"a|b", "", 2, ""},
        {hundreds, "|", 255, "254"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtractField(c.text, c.separator, c.fieldNo), c.expected)
            << "\"" << c.text << "\" sep \"" << c.separator << "\" field " << int(c.fieldNo);
    }
}

TEST(GlobalsTest, CountFields) {
    auto repeated = [](int separators) {
        std::string text = "x";
        for (int i = 0; i < separators; ++i) {
            text += "|x";
        }
        return text;
    };
    struct Case {
        std::string text;
        std::string separator;
        int expected;
    };
    const Case cases[] = {
        {"C:\\Data", "\\", 2},
        {"C:\\", "\\", 2},  // a drive root counts like a folder right below it
        {"C:\\Data\\Old", "\\", 3},
        {"/home/user", "/", 3},
        {"/", "/", 2},
        {"", "\\", 0},
        {"", "", 0},
        {"abc", "|", 1},
        {"a|b|", "|", 3},
        {"|", "|", 2},
        {"#a#", "#", 3},
        {"a.tar.gz", ".", 3},
        {"||||", "||", 4},    // each occurrence counts, overlapping ones too
        {"x#ay#a", "#a", 3},  // a separator starting with "#" must not be found for ever
        {"abc", "", 1},
        {repeated(253), "|", 254},
        {repeated(254), "|", 255},
        {repeated(255), "|", 255},  // saturates instead of wrapping to 0
        {repeated(1000), "|", 255},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CountFields(c.text, c.separator), c.expected)
            << "\"" << c.text.substr(0, 40) << "\" sep \"" << c.separator << "\"";
    }
}

struct MatchCase {
    std::string text;
    std::string mask;
    bool expected;
};

void ExpectMatches(const std::vector<MatchCase>& cases) {
    for (const MatchCase& c : cases) {
        EXPECT_EQ(MatchWildcard(c.text, c.mask), c.expected)
            << "text \"" << c.text << "\" mask \"" << c.mask << "\"";
    }
}

TEST(GlobalsTest, MatchWildcardBacktracks) {
    ExpectMatches({
        {"app.2024.log", "*.log", true},
        {"a.b.txt", "*.txt", true},
        {"a.txt.bak", "*.txt", false},
        {"index.htm", "index*.htm*", true},  // a final "*" matches nothing too
        {"index2.html", "index*.htm*", true},
        {"index.php", "index*.htm*", false},
        {"C:\\WINDOWS\\SYSTEM32\\", "*system32*", true},
        {"/usr/lib/system32x/", "*system32*", true},
        {"C:\\WINDOWS\\SYSTEM\\", "*system32*", false},
        {"mississippi", "*sip*", true},
        {"mississippi", "m*iss*ppi", true},
        {"mississippi", "m*iss*ppix", false},
        {"mississippi", "*s*s*s*s*", true},
        {"mississippi", "*s*s*s*s*s*", false},
        {"abcabcabd", "*abd", true},
        {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*a*a*a*a*c", false},
    });
}

TEST(GlobalsTest, MatchWildcardBasics) {
    ExpectMatches({
        {"", "", true},
        {"", "*", true},
        {"", "**", true},
        {"", "?", false},
        {"a", "", false},
        {"abc", "abc", true},
        {"abc", "abcd", false},
        {"abcd", "abc", false},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"abbc", "a?c", false},
        {"abc", "???", true},
        {"abc", "????", false},
        {"abc", "*", true},
        {"abc", "**", true},  // "**" and "*?" are ordinary masks
        {"abc", "a**c", true},
        {"abc", "*?", true},
        {"", "*?", false},
        {"a", "*?*", true},
        {"ab", "?*?", true},
        {"a", "?*?", false},
        {"Scan.LOG", "*.log", true},  // case-insensitive
        {"scan.log", "*.LOG", true},
        {"a[b](c)+.txt", "a[b](c)+.*", true},  // nothing but "*" and "?" is special
        {"a\\b", "a\\b", true},
        {"a\\b", "a\\\\b", false},
        {"file.txt", "*.*", true},
        {"file", "*.*", false},
    });
}

TEST(GlobalsTest, MatchWildcardMaskEndingInDotWantsNoExtension) {
    ExpectMatches({
        {"README", "*.", true},
        {"Makefile", "*.", true},
        {"a.txt", "*.", false},
        {"archive.tar.gz", "*.", false},
        {".bashrc", "*.", false},
        {"abc", "abc.", true},
        {"ABC", "abc.", true},
        {"abcd", "abc.", false},
        {"ab", "abc.", false},
        {"abc.txt", "abc.", false},
        {"abc.", "abc.", false},
        {"ab", "a?.", true},
        {"a.", "a?.", false},
        {"", ".", true},
        {"x", ".", false},
    });
}

TEST(GlobalsTest, MatchWildcardUnicode) {
    ExpectMatches({
        {"é", "*É*", true},
        {"café", "*É*", true},
        {"CAFÉ", "café", true},
        {"Été.txt", "été*", true},
        {"ÿ", "Ÿ", true},  // U+00FF upper-cases outside Latin-1
        {"Ωμέγα", "ΩΜΈΓΑ", true},
        {"Ωμέγα", "ΩΜΕΓΑ", false},  // accents are not folded
        {"привет.TXT", "ПРИВЕТ.txt", true},
        {"é", "?", true},  // "?" is one character, not one byte
        {"é", "??", false},
        {"日本", "??", true},
        {"日本", "?", false},
        {"日本語.txt", "???.txt", true},
        {"日本語.txt", "??.txt", false},
        {"😀", "?", true},
        {"a😀b", "a?b", true},
        {"fooé", "foo?", true},
        {"fooé", "foo*", true},
        {"éa", "*a", true},
        {"ééééb", "*é*b", true},
    });
}

TEST(GlobalsTest, MatchWildcardInvalidUtf8) {
    ExpectMatches({
        {"\xFF", "?", true},  // an invalid byte is one character
        {"\xFF", "\xFF", true},
        {"\xFF", "\xFE", false},
        {"a\xFF"
         "b",
         "a?b", true},
        {"a\xFF\xFE"
         "b",
         "a?b", false},
        {"a\xFF\xFE"
         "b",
         "a??b", true},
        {"\xC3", "?", true},             // a lead byte without its continuation
        {"\xC3", "\xC3\x83", false},     // the byte 0xC3 is not the letter U+00C3
        {"\xC3\x83", "\xC3\xA3", true},  // U+00C3 and U+00E3: one letter, two cases
        {"\xC3\xA9\xFF", "?\xFF", true},
        {"\xC0\xAF", "??", true},  // an overlong form is two invalid bytes
        {"\xC0\xAF", "?", false},
        {"\xED\xA0\x80", "???", true},       // an encoded surrogate is three invalid bytes
        {"\xF4\x90\x80\x80", "????", true},  // above U+10FFFF
        {"x\x80y.txt", "*.txt", true},
        {"x\x80y.txt", "*\x80*", true},
        {"x\x80y.txt", "*\x81*", false},
    });
}

TEST(GlobalsTest, MatchWildcardNeverThrows) {
    for (const char* mask : {"**", "*?", "?*", "*?*?", "***", "*", "?", "", ".", "*.", "\xFF*"}) {
        for (const char* text : {"", "a", "abc", "a.b", "\xFF\xFE", "日本"}) {
            EXPECT_NO_THROW(MatchWildcard(text, mask)) << mask << " " << text;
        }
    }
}

// Plain recursive matcher over an ASCII alphabet, as the definition reads.
bool ReferenceMatch(const std::string& text, std::size_t t, const std::string& mask,
                    std::size_t m) {
    if (m == mask.size()) {
        return t == text.size();
    }
    if (mask[m] == '*') {
        for (std::size_t skip = t; skip <= text.size(); ++skip) {
            if (ReferenceMatch(text, skip, mask, m + 1)) {
                return true;
            }
        }
        return false;
    }
    if (t == text.size()) {
        return false;
    }
    const bool same = mask[m] == '?' || std::toupper(static_cast<unsigned char>(mask[m])) ==
                                            std::toupper(static_cast<unsigned char>(text[t]));
    return same && ReferenceMatch(text, t + 1, mask, m + 1);
}

bool Reference(const std::string& text, std::string mask) {
    if (!mask.empty() && mask.back() == '.') {
        if (text.find('.') != std::string::npos) {
            return false;
        }
        mask.pop_back();
    }
    return ReferenceMatch(text, 0, mask, 0);
}

TEST(GlobalsTest, MatchWildcardAgreesWithReferenceOnRandomInputs) {
    std::mt19937 rng(4711);
    const std::string textAlphabet = "aAb.";
    const std::string maskAlphabet = "aBb.*?";
    for (int round = 0; round < 20000; ++round) {
        std::string text(rng() % 8, ' ');
        for (char& c : text) {
            c = textAlphabet[rng() % textAlphabet.size()];
        }
        std::string mask(rng() % 7, ' ');
        for (char& c : mask) {
            c = maskAlphabet[rng() % maskAlphabet.size()];
        }
        ASSERT_EQ(MatchWildcard(text, mask), Reference(text, mask))
            << "text \"" << text << "\" mask \"" << mask << "\"";
        // The same strings behind a two-byte letter take the code-point path.
        ASSERT_EQ(MatchWildcard("é" + text, "É" + mask), Reference(text, mask))
            << "text \"é" << text << "\" mask \"É" << mask << "\"";
    }
}

TEST(GlobalsTest, GetFileVersionTextHasFourNumbers) {
    const std::string version = GetFileVersionText();
    EXPECT_TRUE(std::regex_match(version, std::regex(R"(\d+\.\d+\.\d+\.\d+)"))) << version;
    // The compiled-in project version, which names all four parts.
    EXPECT_EQ(version, QM_VERSION_TEXT);
}

TEST(GlobalsTest, DropLeadingFolder) {
    const PathCase cases[] = {
        {"\\", '\\', ""},
        {"\\Data\\Photos\\", '\\', "\\...\\Photos\\"},
        {"\\...\\Photos\\", '\\', "\\...\\"},
        {"\\...\\", '\\', "\\"},
        {"Data\\Photos\\", '\\', "...\\Photos\\"},
        {"...\\Photos\\", '\\', "...\\"},
        {"...\\", '\\', ""},
        {"Data", '\\', ""},
        {"/", '/', ""},
        {"/home/user/", '/', "/.../user/"},
        {"/.../user/", '/', "/.../"},
        {"home/user/", '/', ".../user/"},
        {".../user/", '/', ".../"},
        {"/home\\x/user/", '/', "/.../user/"},
    };
    for (const PathCase& c : cases) {
        std::string folder = c.path;
        DropLeadingFolder(folder, c.delim);
        EXPECT_EQ(folder, c.expected) << c.path;
    }
}

TEST(GlobalsTest, ShortenPathToWidthSteps) {
    const CharCountMeasurer measurer;  // one pixel per byte
    struct Case {
        std::string path;
        char delim;
        int maxWidth;
        std::string expected;
    };
    const std::string windows = "C:\\Data\\Photos\\2006\\a.jpg";  // 25 characters
    const std::string posix = "/Data/Photos/2006/a.jpg";          // 23 characters
    const Case cases[] = {
        {windows, '\\', 350, windows},
        {windows, '\\', 25, windows},
        {windows, '\\', 24, "C:\\...\\Photos\\2006\\a.jpg"},
        {windows, '\\', 23, "C:\\...\\2006\\a.jpg"},
        {windows, '\\', 17, "C:\\...\\2006\\a.jpg"},
        {windows, '\\', 16, "C:\\...\\a.jpg"},
        {windows, '\\', 12, "C:\\...\\a.jpg"},
        {windows, '\\', 11, "...\\a.jpg"},
        {windows, '\\', 9, "...\\a.jpg"},
        {windows, '\\', 8, "a.jpg"},
        {windows, '\\', 1, "a.jpg"},  // the name itself is never shortened
        {posix, '/', 23, posix},
        {posix, '/', 22, "/.../Photos/2006/a.jpg"},
        {posix, '/', 15, "/.../2006/a.jpg"},
        {posix, '/', 14, "/.../a.jpg"},
        {posix, '/', 10, "/.../a.jpg"},
        {posix, '/', 9, ".../a.jpg"},
        {posix, '/', 5, "a.jpg"},
        {posix, '/', 0, "a.jpg"},
        // A drive part exists only in the Windows form.
        {"C:/Data/a.jpg", '/', 12, ".../a.jpg"},
        {"C:\\Data\\a.jpg", '\\', 12, "C:\\...\\a.jpg"},
        {"Data\\Photos\\a.jpg", '\\', 16, "...\\Photos\\a.jpg"},
        {"Data\\Photos\\a.jpg", '\\', 10, "...\\a.jpg"},
        // Without a folder part the path comes back as it is.
        {"averyveryverylongname.txt", '\\', 5, "averyveryverylongname.txt"},
        {"averyveryverylongname.txt", '/', 5, "averyveryverylongname.txt"},
        {"", '/', 0, ""},
        // Too wide even as "...\name": the name stays whole.
        {"C:\\x\\averyveryverylongname.txt", '\\', 5, "averyveryverylongname.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortenPathToWidth(c.path, measurer, c.maxWidth, c.delim), c.expected)
            << c.path << " in " << c.maxWidth;
    }
    EXPECT_EQ(ShortenPathToWidth(test::NativePath(posix), measurer, 15),
              test::NativePath("/.../2006/a.jpg"))
        << "default separator";
}

// Counts two pixels for every byte of a multi-byte character, one for the rest.
class WideMeasurer final : public TextMeasurer {
public:
    int TextWidth(std::string_view text) const override {
        int width = 0;
        for (const char c : text) {
            width += static_cast<unsigned char>(c) >= 0x80 ? 2 : 1;
        }
        return width;
    }
};

TEST(GlobalsTest, ShortenPathToWidthMeasuresThroughTheMeasurer) {
    const WideMeasurer measurer;
    const std::string path = test::NativePath("/Ä/b/c.txt");  // 11 bytes, width 13
    EXPECT_EQ(ShortenPathToWidth(path, measurer, 13), path);
    EXPECT_EQ(ShortenPathToWidth(path, measurer, 12), test::NativePath("/.../b/c.txt"));
}

}  // namespace
}  // namespace qm::foundation
