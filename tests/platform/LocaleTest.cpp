#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/Locale.h"

namespace qm::platform {
namespace {

struct SeparatorCase {
    const char* name;
    const char* expectedName;
    const char* thousands;
    const char* date;
    const char* time;
};

TEST(LocaleTest, SeparatorsAndNamesOfChosenLocales) {
    const SeparatorCase cases[] = {
        {"en_US", "en_US", ",", "/", ":"},      {"en_US.UTF-8", "en_US", ",", "/", ":"},
        {"de_DE", "de_DE", ".", ".", ":"},      {"de_DE.UTF-8", "de_DE", ".", ".", ":"},
        {"de_DE@euro", "de_DE", ".", ".", ":"}, {"C", "en_US", ",", "/", ":"},
        {"C.UTF-8", "en_US", ",", "/", ":"},    {"POSIX", "en_US", ",", "/", ":"},
        {"fi_FI", "fi_FI", "\u00A0", ".", "."}, {"ja_JP", "ja_JP", ",", "/", ":"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto locale = CreateLocale(c.name);
        EXPECT_EQ(locale->Name(), c.expectedName);
        EXPECT_EQ(locale->ThousandsSeparator(), c.thousands);
        EXPECT_EQ(locale->DateSeparator(), c.date);
        EXPECT_EQ(locale->TimeSeparator(), c.time);
    }
}

#ifndef _WIN32
// Restores one environment variable when the test ends.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
            m_hadOld = true;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~ScopedEnv() {
        if (m_hadOld) {
            ::setenv(m_name.c_str(), m_old.c_str(), 1);
        } else {
            ::unsetenv(m_name.c_str());
        }
    }

private:
    std::string m_name;
    std::string m_old;
    bool m_hadOld = false;
};

TEST(LocaleTest, EmptyNameReadsTheEnvironmentPerCategory) {
    {
        ScopedEnv all("LC_ALL", nullptr);
        ScopedEnv collate("LC_COLLATE", "de_DE.UTF-8");
        ScopedEnv numeric("LC_NUMERIC", nullptr);
        ScopedEnv time("LC_TIME", "C");
        ScopedEnv lang("LANG", "de_DE.UTF-8");
        const auto locale = CreateLocale();
        EXPECT_EQ(locale->Name(), "de_DE");
        EXPECT_EQ(locale->ThousandsSeparator(), ".");  // from LANG
        EXPECT_EQ(locale->DateSeparator(), "/");       // LC_TIME=C: United States
    }
    {
        ScopedEnv all("LC_ALL", "de_DE.UTF-8");
        ScopedEnv collate("LC_COLLATE", "en_US.UTF-8");
        ScopedEnv lang("LANG", "C");
        const auto locale = CreateLocale();
        EXPECT_EQ(locale->Name(), "de_DE");
        EXPECT_EQ(locale->DateSeparator(), ".");
    }
    {
        ScopedEnv all("LC_ALL", nullptr);
        ScopedEnv collate("LC_COLLATE", nullptr);
        ScopedEnv numeric("LC_NUMERIC", nullptr);
        ScopedEnv time("LC_TIME", nullptr);
        ScopedEnv lang("LANG", nullptr);
        const auto locale = CreateLocale();
        EXPECT_EQ(locale->Name(), "en_US");
        EXPECT_EQ(locale->ThousandsSeparator(), ",");
        EXPECT_EQ(locale->DateSeparator(), "/");
        EXPECT_EQ(locale->TimeSeparator(), ":");
    }
}

#endif  // Windows keeps one locale for the user, not one per category of the environment.

int Sign(int value) {
    return (value > 0) - (value < 0);
}

struct CompareCase {
    std::string a;
    std::string b;
    int expected;  // sign
};

TEST(LocaleTest, CompareIgnoresCaseButNotAccents) {
    const CompareCase cases[] = {
        {"abc", "ABC", 0},
        {"ABC", "abc", 0},
        {"a", "B", -1},
        {"B", "c", -1},
        {"a", "c", -1},
        {"e", "é", -1},
        {"é", "É", 0},
        {"résumé", "RESUME", 1},
        {"", "", 0},
        {"", "a", -1},
        {"file10", "file9", -1},  // no numeric collation
        {"C:\\Temp\\", "c:\\temp\\", 0},
        {"/a/b/", "/A/B/", 0},
        {"a\xff", "a\xfe", 1},  // ill-formed bytes stay distinct
        {"a\xff", "A\xff", 0},
        {"a\xff", "a\xff", 0},
    };
    for (const auto& locale : {CreateLocale("en_US"), CreateLocale("de_DE")}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(locale->Name() + ": " + c.a + " vs " + c.b);
            const int sign = Sign(locale->Compare(c.a, c.b));
            EXPECT_EQ(sign, c.expected);
            EXPECT_EQ(Sign(locale->Compare(c.b, c.a)), -c.expected);
        }
    }
}

TEST(LocaleTest, IllFormedUtf8IsOrderedConsistently) {
    const auto locale = CreateLocale("en_US");
    // A truncated sequence, a lone continuation byte, an overlong form, an encoded surrogate.
    const std::vector<std::string> texts = {
        "x\xc3", "x\x80", "x\xc0\xaf", "x\xed\xa0\x80", "x\xc3\xa9", "x\xef\xbf\xbd", "X", "x"};
    for (const auto& a : texts) {
        for (const auto& b : texts) {
            const int ab = Sign(locale->Compare(a, b));
            EXPECT_EQ(ab, -Sign(locale->Compare(b, a)));
            if (a != b && (a != "X" || b != "x") && (a != "x" || b != "X")) {
                EXPECT_NE(ab, 0) << "different bytes compare equal: " << a << " / " << b;
            }
        }
    }
}

TEST(LocaleTest, SortKeyOrderMatchesCompare) {
    std::vector<std::string> texts = {
        "",           "a",          "A",      "ab",     "aB",     "b",       "B",
        "c",          "é",          "e",      "E",      "É",      "ea",      "ez",
        "z",          "Z",          "abc",    "ABC",    "a b",    "a-b",     "a_b",
        "a|b",        "a\nb",       "a\rb",   "a\xff",  "a\xfe",  "A\xff",   "\xff",
        "0000012345", "0000012346", "file10", "file9",  "Straße", "STRASSE", "strasse",
        "Ärger",      "arger",      "Zürich", "zurich", "日本",   "/tmp/a/", "/tmp/A/",
        "/tmp/a/b/",  "/tmp/ab/",
    };
    // U+FDFA expands to eighteen letters: its key is longer than any first guess from the text's
    // length, and the keys of shorter texts are made in the same buffer afterwards.
    texts.insert(texts.end(), {"\xef\xb7\xba", "\xef\xb7\xba\xef\xb7\xba", "a\xef\xb7\xba"});
    for (const char* name : {"en_US", "de_DE", "C"}) {
        const auto locale = CreateLocale(name);
        for (const auto& a : texts) {
            const std::string keyA = locale->SortKey(a);
            EXPECT_EQ(keyA.find('\0'), std::string::npos);
            for (const auto& b : texts) {
                const std::string keyB = locale->SortKey(b);
                SCOPED_TRACE(std::string(name) + ": " + a + " vs " + b);
                EXPECT_EQ(Sign(keyA.compare(keyB)), Sign(locale->Compare(a, b)));
            }
        }
    }
}

TEST(LocaleTest, SortingByKeyGivesCaseInsensitiveOrder) {
    const auto locale = CreateLocale("en_US");
    std::vector<std::string> texts = {"c", "B", "a", "C", "b", "A"};
    std::stable_sort(texts.begin(), texts.end(), [&](const std::string& x, const std::string& y) {
        return locale->SortKey(x) < locale->SortKey(y);
    });
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "A", "B", "b", "c", "C"}));
}

struct UpperCase {
    const char* locale;
    std::string text;
    std::string expected;
};

TEST(LocaleTest, ToUpperUsesFullCaseMapping) {
    const UpperCase cases[] = {
        {"en_US", "abc.txt", "ABC.TXT"},
        {"en_US", "é.txt", "É.TXT"},
#ifdef _WIN32
        // The system maps one character to one, as file names compare there.
        {"en_US", "straße", "STRAßE"},
        {"de_DE", "straße", "STRAßE"},
#else
        {"en_US", "straße", "STRASSE"},
        {"de_DE", "straße", "STRASSE"},
#endif
        {"en_US", "ǆ", "Ǆ"},
        {"en_US", "istanbul", "ISTANBUL"},
        {"tr_TR", "istanbul", "İSTANBUL"},
        {"en_US", "", ""},
        {"en_US", "a|b\r\n c", "A|B\r\n C"},
        {"en_US",
         "a\xff"
         "b\xc3",
         "A\xff"
         "B\xc3"},                            // ill-formed bytes kept as they are
        {"en_US", "\xe9t\xe9", "\xe9T\xe9"},  // Latin-1 bytes are not letters here
        {"C", "日本語", "日本語"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + ": " + c.text);
        EXPECT_EQ(CreateLocale(c.locale)->ToUpper(c.text), c.expected);
    }
}

TEST(LocaleTest, UserLocaleIsCreatedOnce) {
    const Locale& first = UserLocale();
    EXPECT_EQ(&first, &UserLocale());
    EXPECT_EQ(first.Compare("abc", "ABC"), 0);
    EXPECT_FALSE(first.Name().empty());
}

}  // namespace
}  // namespace qm::platform
