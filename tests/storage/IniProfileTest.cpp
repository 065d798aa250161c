#include "storage/IniProfile.h"

#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

namespace qm::storage {
namespace {

// A hand-edited file with everything the rules must cope with.
constexpr std::string_view kMessyFile =
    "\xEF\xBB\xBF"
    "junk=before any section\r\n"
    "[Options]\r\n"
    "  Hidden = 1  \r\n"
    "; Hidden=0\r\n"
    "KEY=first\r\n"
    "key=second\n"
    "Spaced Key =  a = b \t\r\n"
    "Empty=\r"
    "no equals sign here\r\n"
    "\r\n"
    "[options]\r\n"
    "Later=in a second section of the same name\r\n"
    "[ Search Path ]\r\n"
    "0=/data/\r\n"
    "[Unclosed\r\n"
    "x=1";

TEST(IniProfileTest, ReadsByTheProfileRules) {
    const IniProfile profile = IniProfile::Parse(kMessyFile);
    struct Case {
        std::string_view section;
        std::string_view key;
        std::optional<std::string_view> value;
    };
    const Case cases[] = {
        {"Options", "Hidden", "1"},             // blanks around key and value dropped
        {"OPTIONS", "hidden", "1"},             // case ignored
        {"Options", "Key", "first"},            // the first of two keys counts
        {"Options", "Spaced Key", "a = b"},     // everything after the first "="
        {"Options", "Empty", ""},               // present but empty
        {"Options", "; Hidden", std::nullopt},  // a comment names no key
        {"Options", "no equals sign here", std::nullopt},
        {"Options", "Later", std::nullopt},  // only the first section of a name is seen
        {"Options", "junk", std::nullopt},
        {"Search Path", "0", "/data/"},  // blanks inside the brackets dropped
        {"Unclosed", "x", "1"},          // a missing "]" and a missing last line end
        {"Missing", "Hidden", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(profile.Value(c.section, c.key), c.value) << c.section << "/" << c.key;
        EXPECT_EQ(profile.KeyExists(c.section, c.key), c.value.has_value())
            << c.section << "/" << c.key;
    }
    EXPECT_TRUE(profile.SectionExists("search path"));
    EXPECT_FALSE(profile.SectionExists("Missing"));
}

TEST(IniProfileTest, LinesAreReadWholeHoweverLong) {
    const std::string longValue(100'000, 'x');
    const IniProfile profile = IniProfile::Parse("[A]\nk=" + longValue + "\nnext=1\n");
    EXPECT_EQ(profile.ReadString("A", "k", {}), longValue);
    EXPECT_EQ(profile.ReadInteger("A", "next", 0), 1);
}

TEST(IniProfileTest, IntegersAndBooleans) {
    struct Case {
        std::string_view text;
        std::optional<int> number;  // none: unreadable, the fallback
    };
    const Case cases[] = {
        {"12", 12},
        {"-3", -3},
        {"+4", 4},
        {"007", 7},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$ff", 255},
        {"-$10", -16},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"0x7FFFFFFF", INT_MAX},
        {"2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"$100000000", std::nullopt},
        {"12abc", std::nullopt},
        {"1.5", std::nullopt},
        {"1 2", std::nullopt},
        {"true", std::nullopt},
        {"0x", std::nullopt},
        {"$", std::nullopt},
        {"-", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        const IniProfile profile = IniProfile::Parse("[S]\r\nk= " + std::string(c.text) + " \r\n");
        EXPECT_EQ(profile.ReadInteger("S", "k", -7), c.number.value_or(-7)) << c.text;
        EXPECT_EQ(profile.ReadBool("S", "k", false), c.number ? *c.number != 0 : false) << c.text;
        EXPECT_EQ(profile.ReadBool("S", "k", true), c.number ? *c.number != 0 : true) << c.text;
    }
    const IniProfile empty;
    EXPECT_EQ(empty.ReadInteger("S", "k", 42), 42);
    EXPECT_TRUE(empty.ReadBool("S", "k", true));
    EXPECT_EQ(empty.ReadString("S", "k", "fallback"), "fallback");

    IniProfile written;
    written.WriteInteger("S", "n", -15);
    written.WriteBool("S", "t", true);
    written.WriteBool("S", "f", false);
    EXPECT_EQ(written.Text(), "[S]\r\nn=-15\r\nt=1\r\nf=0\r\n");
}

TEST(IniProfileTest, WritesReplaceInPlaceAppendToTheSectionAndAddSectionsAtTheEnd) {
    IniProfile profile = IniProfile::Parse(
        "; kept\n"
        "[Options]\n"
        "  Hidden = 1\n"
        "; a comment stays\n"
        "Other=x\n"
        "\n"
        "[Search Path]\n"
        "0=/a/\n");
    profile.WriteString("OPTIONS", "hidden", "0");       // in place, the file's spelling kept
    profile.WriteString("options", "New Key", "value");  // after the last line of its section
    profile.WriteString("Filter Settings", "Active Filter", "*.*");  // a new section at the end
    profile.WriteString("Search Path", "1", "/b/");
    EXPECT_EQ(profile.Text(),
              "; kept\r\n"
              "[Options]\r\n"
              "Hidden=0\r\n"
              "; a comment stays\r\n"
              "Other=x\r\n"
              "New Key=value\r\n"
              "\r\n"
              "[Search Path]\r\n"
              "0=/a/\r\n"
              "1=/b/\r\n"
              "\r\n"
              "[Filter Settings]\r\n"
              "Active Filter=*.*\r\n");

    profile.EraseSection("search path");
    profile.EraseSection("Not There");
    EXPECT_FALSE(profile.SectionExists("Search Path"));
    EXPECT_EQ(profile.ReadString("Options", "New Key", {}), "value");
    EXPECT_EQ(profile.ReadString("Filter Settings", "Active Filter", {}), "*.*");

    // What was written reads back after a trip through the text, too.
    const IniProfile reread = IniProfile::Parse(profile.Text());
    EXPECT_EQ(reread.Text(), profile.Text());
    EXPECT_EQ(reread.ReadString("Options", "Hidden", {}), "0");
}

// Values that could not stand in a line as they are come back exactly; those a Windows path or a
// plain mask is made of are written as they are.
TEST(IniProfileTest, EveryValueComesBackExactly) {
    struct Case {
        std::string value;
        std::string stored;  // empty: as the value
    };
    const Case cases[] = {
        {"C:\\Program Files (x86)\\Ärger & Co\\naïve – 日本\\", ""},
        {"/home/ann/a = b; [c]/", ""},
        {"*.tar.gz", ""},
        {"/line\r\nbreak/", "/line<0D><0A>break/"},
        {"/lone\rcr\nlf/", "/lone<0D>cr<0A>lf/"},
        {"/tab\there/", "/tab<09>here/"},
        {" leading blank", "<20>leading blank"},
        {"trailing blank ", "trailing blank<20>"},
        {"  both  ", "<20> both <20>"},
        {" ", "<20>"},
        {"\t", "<09>"},
        {"a|b", "a<7C>b"},
        {"<<<<", "<3C><3C><3C><3C>"},
        {"<3C>", "<3C>3C>"},
        {"/lat1-\xE9t\xE9/", "/lat1-<E9>t<E9>/"},
        {"", ""},
    };
    for (const Case& c : cases) {
        IniProfile profile;
        profile.WriteString("S", "k", c.value);
        profile.WriteString("S", "after", "x");
        const std::string text = profile.Text();
        const std::string expectedStored = c.stored.empty() ? c.value : c.stored;
        EXPECT_EQ(text, "[S]\r\nk=" + expectedStored + "\r\nafter=x\r\n") << c.value;
        const IniProfile reread = IniProfile::Parse(text);
        EXPECT_EQ(reread.ReadString("S", "k", "missing"), c.value) << c.value;
        EXPECT_EQ(reread.ReadString("S", "after", {}), "x") << c.value;
    }
    // Every byte value, alone and between letters.
    for (int b = 1; b < 256; ++b) {
        for (const std::string& value : {std::string(1, static_cast<char>(b)),
                                         "a" + std::string(1, static_cast<char>(b)) + "z"}) {
            IniProfile profile;
            profile.WriteString("S", "k", value);
            EXPECT_EQ(IniProfile::Parse(profile.Text()).ReadString("S", "k", {}), value) << b;
        }
    }
}

TEST(IniProfileTest, FamiliesReadOnPastNinetyNineWhileTheNumberingContinues) {
    const auto family = [](std::initializer_list<int> present) {
        std::string text = "[L]\r\n";
        for (const int i : present) {
            text += "Dir" + std::to_string(i) + "=x\r\n";
        }
        return IniProfile::Parse(text).FamilyIndexes("l", "Dir");
    };
    const auto range = [](std::size_t from, std::size_t to) {
        std::vector<std::size_t> indexes;
        for (std::size_t i = from; i < to; ++i) {
            indexes.push_back(i);
        }
        return indexes;
    };
    // Gaps below 100 are skipped over, as they always were.
    EXPECT_EQ(family({0, 5, 99, 7}), (std::vector<std::size_t>{0, 5, 7, 99}));
    EXPECT_EQ(family({}), std::vector<std::size_t>{});
    // From 100 on the numbering must continue without a gap.
    EXPECT_EQ(family({0, 99, 100, 101, 103}), (std::vector<std::size_t>{0, 99, 100, 101}));
    EXPECT_EQ(family({0, 101}), (std::vector<std::size_t>{0}));

    std::string many = "[Search Path]\r\n";
    for (int i = 0; i < 150; ++i) {
        many += std::to_string(i) + "=/f" + std::to_string(i) + "/\r\n";
    }
    EXPECT_EQ(IniProfile::Parse(many).FamilyIndexes("Search Path", ""), range(0, 150));
    // Keys of the family are matched without regard to case, and no other key counts.
    EXPECT_EQ(IniProfile::Parse("[L]\ndir0=a\nDIR1=b\nDirX=c\nDir-1=d\nDir02=e\n")
                  .FamilyIndexes("L", "Dir"),
              (std::vector<std::size_t>{0, 1}));
}

}  // namespace
}  // namespace qm::storage
