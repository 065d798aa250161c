#include "engine/FileRecords.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "foundation/Globals.h"
#include "platform/FileDate.h"
#include "platform/Locale.h"

namespace qm::engine {
namespace {

// Only the separators matter to the field texts; a fixed fake keeps these tables independent of
// the machine's locale data.
class SeparatorLocale : public platform::Locale {
public:
    SeparatorLocale(std::string dateSep, std::string timeSep)
        : m_dateSep(std::move(dateSep)), m_timeSep(std::move(timeSep)) {}
    int Compare(std::string_view a, std::string_view b) const override { return a.compare(b); }
    std::string SortKey(std::string_view text) const override { return std::string(text); }
    std::string ToUpper(std::string_view text) const override { return std::string(text); }
    std::string ThousandsSeparator() const override { return ","; }
    std::string DateSeparator() const override { return m_dateSep; }
    std::string TimeSeparator() const override { return m_timeSep; }
    std::string Name() const override { return "test"; }

private:
    std::string m_dateSep;
    std::string m_timeSep;
};

TEST(FileRecordsTest, ParseWholeNumber) {
    const struct {
        const char* text;
        std::int64_t value;
    } cases[] = {
        {"0", 0},
        {"12345", 12345},
        {"  42", 42},
        {"\t7", 7},
        {"+5", 5},
        {"-5", -5},
        {"0000012345", 12345},
        {"", 0},
        {" ", 0},
        {"-", 0},
        {"+", 0},
        {"abc", 0},
        {"12a", 0},
        {"12 ", 0},
        {"1 2", 0},
        {"--1", 0},
        {"4294967306", 4294967306LL},
        {"9223372036854775807", std::numeric_limits<std::int64_t>::max()},
        {"-9223372036854775808", std::numeric_limits<std::int64_t>::min()},
        {"9223372036854775808", 0},
        {"-9223372036854775809", 0},
        {"99999999999999999999", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseWholeNumber(c.text), c.value) << "text \"" << c.text << "\"";
    }
}

TEST(FileRecordsTest, SizeText) {
    const struct {
        std::int64_t size;
        const char* text;
    } cases[] = {
        {0, "0000000000"},
        {12345, "0000012345"},
        {2147483647, "2147483647"},
        {2147483648LL, "2147483648"},
        {4294967306LL, "4294967306"},  // 4 GiB + 10 bytes keeps its high bits
        {9999999999LL, "9999999999"},
        {10000000000LL, "10000000000"},
        {-1, "-0000000001"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SizeText(c.size), c.text) << c.size;
        EXPECT_EQ(ParseWholeNumber(SizeText(c.size)), c.size);
    }
}

TEST(FileRecordsTest, SizeTextOrdersNumericallyWithinTenDigits) {
    EXPECT_LT(SizeText(9), SizeText(10));
    EXPECT_LT(SizeText(999999999), SizeText(1000000000));
    EXPECT_LT(SizeText(2147483647), SizeText(4294967306LL));
}

TEST(FileRecordsTest, DateTextOfLocalDate) {
    const SeparatorLocale us("/", ":");
    const SeparatorLocale de(".", ":");
    const SeparatorLocale odd("-", ".");
    const struct {
        platform::LocalDateTime local;
        const platform::Locale* locale;
        const char* text;
    } cases[] = {
        {{2006, 1, 5, 15, 4, 6}, &us, "01/05/2006 03:04:06 PM"},
        {{2006, 1, 5, 15, 4, 6}, &de, "01.05.2006 03:04:06 PM"},
        {{2006, 1, 5, 15, 4, 6}, &odd, "01-05-2006 03.04.06 PM"},
        {{2020, 12, 31, 0, 0, 0}, &us, "12/31/2020 12:00:00 AM"},   // midnight
        {{2020, 12, 31, 12, 0, 0}, &us, "12/31/2020 12:00:00 PM"},  // noon
        {{2020, 12, 31, 11, 59, 58}, &us, "12/31/2020 11:59:58 AM"},
        {{2020, 12, 31, 23, 59, 58}, &us, "12/31/2020 11:59:58 PM"},
        {{2020, 7, 4, 1, 2, 4}, &us, "07/04/2020 01:02:04 AM"},
        // Outside the old two-second date range: still a real date.
        {{1970, 1, 1, 0, 0, 0}, &us, "01/01/1970 12:00:00 AM"},
        {{1601, 3, 9, 13, 30, 0}, &us, "03/09/1601 01:30:00 PM"},
        {{2200, 6, 15, 18, 45, 10}, &us, "06/15/2200 06:45:10 PM"},
        {{812, 6, 15, 18, 45, 10}, &us, "06/15/0812 06:45:10 PM"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DateText(c.local, *c.locale), c.text);
    }
}

TEST(FileRecordsTest, DateTextOfFileTimeUsesTwoSecondLocalDate) {
    const SeparatorLocale us("/", ":");
    const platform::LocalDateTime odd{2006, 1, 5, 15, 4, 7};
    const platform::FileTime time = platform::ToFileTime(odd);
    EXPECT_EQ(DateText(time, us), "01/05/2006 03:04:06 PM");
    const platform::LocalDateTime old{1975, 2, 3, 4, 5, 6};
    EXPECT_EQ(DateText(platform::ToFileTime(old), us), "02/03/1975 04:05:06 AM");
    const platform::LocalDateTime late{2150, 11, 30, 20, 0, 0};
    EXPECT_EQ(DateText(platform::ToFileTime(late), us), "11/30/2150 08:00:00 PM");
}

TEST(FileRecordsTest, ChecksumAndGroupTexts) {
    EXPECT_EQ(ChecksumText(0), "$00000000");
    EXPECT_EQ(ChecksumText(1), "$00000001");
    EXPECT_EQ(ChecksumText(0xCBF43926u), "$CBF43926");
    EXPECT_EQ(ChecksumText(0xabcdefu), "$00ABCDEF");
    EXPECT_EQ(ChecksumText(0xFFFFFFFFu), "$FFFFFFFF");
    EXPECT_EQ(GroupText(1), "000001");
    EXPECT_EQ(GroupText(999999), "999999");
    EXPECT_EQ(GroupText(1000000), "1000000");
    EXPECT_EQ(GroupText(0), "000000");
}

TEST(FileRecordsTest, NameAndExtensionKeys) {
    const struct {
        const char* path;
        char delim;
        const char* name;
        const char* extension;
    } cases[] = {
        {"/data/a.jpg", '/', "A.JPG", "*.JPG"},
        {"/data/archive.tar.gz", '/', "ARCHIVE.TAR.GZ", "*.GZ"},
        {"/data/Photo.Jpeg", '/', "PHOTO.JPEG", "*.JPEG"},
        {"/data/README", '/', "README", "(None)"},
        {"/data.d/README", '/', "README", "(None)"},  // a dot in the folder is no extension
        {"/data/.bashrc", '/', ".BASHRC", "*.BASHRC"},
        {"/data/trail.", '/', "TRAIL.", "*."},
        {"/data/\xc3\xa9.txt", '/', "\xc3\xa9.TXT", "*.TXT"},  // é unchanged
        {"/data/\xc3\x89.txt", '/', "\xc3\x89.TXT", "*.TXT"},  // É unchanged
        {"/data/a|b c.t\xffx", '/', "A|B C.T\xffX", "*.T\xffX"},
        {"C:\\Data\\Photos\\a.jpg", '\\', "A.JPG", "*.JPG"},
        {"C:\\Data.Old\\noext", '\\', "NOEXT", "(None)"},
        {"plain.name", '/', "PLAIN.NAME", "*.NAME"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NameKey(c.path, c.delim), c.name) << c.path;
        EXPECT_EQ(ExtensionKey(c.path, c.delim), c.extension) << c.path;
    }
    // Names that differ only outside a..z keep different keys.
    EXPECT_NE(NameKey("/x/\xc3\xa9.txt"), NameKey("/x/\xc3\x89.txt"));
}

TEST(FileRecordsTest, MethodsAndFieldNumbers) {
    const struct {
        Method method;
        const char* name;
        FieldNumbers fields;
    } cases[] = {
        {Method::ContentsOnly, "Contents Only", {1, 6, 3, 2, 5}},
        {Method::SizeOnly, "Size Only", {1, 5, 3, 2, 4}},
        {Method::NameOnly, "Name Only", {1, 6, 5, 2, 4}},
        {Method::NameAndSize, "Name And Size", {1, 6, 5, 2, 4}},
        {Method::ContentsAndName, "Contents And Name", {1, 6, 3, 2, 5}},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(MethodName(c.method), c.name);
        const FieldNumbers f = FieldNumbersOf(c.method);
        EXPECT_EQ(f.group, c.fields.group) << c.name;
        EXPECT_EQ(f.date, c.fields.date) << c.name;
        EXPECT_EQ(f.size, c.fields.size) << c.name;
        EXPECT_EQ(f.rootKey, c.fields.rootKey) << c.name;
        EXPECT_EQ(f.path, c.fields.path) << c.name;
    }
}

TEST(FileRecordsTest, DuplicateLinesFollowTheirFieldNumbers) {
    const SeparatorLocale us("/", ":");
    DuplicateEntry entry;
    entry.group = 7;
    entry.extensionKey = "*.JPG";
    entry.nameKey = "A.JPG";
    entry.size = 12345;
    entry.checksum = 0xCBF43926u;
    entry.path = "/data/a.jpg";
    entry.lastWrite = platform::ToFileTime({2006, 1, 5, 15, 4, 6});
    const char* date = "01/05/2006 03:04:06 PM";
    const struct {
        Method method;
        std::string line;
    } cases[] = {
        {Method::ContentsOnly,
         std::string("000007|*.JPG|0000012345|$CBF43926|/data/a.jpg|") + date},
        {Method::ContentsAndName,
         std::string("000007|*.JPG|0000012345|$CBF43926|/data/a.jpg|") + date},
        {Method::SizeOnly, std::string("000007|*.JPG|0000012345|/data/a.jpg|") + date},
        {Method::NameOnly, std::string("000007|*.JPG|A.JPG|/data/a.jpg|0000012345|") + date},
        {Method::NameAndSize, std::string("000007|*.JPG|A.JPG|/data/a.jpg|0000012345|") + date},
    };
    for (const auto& c : cases) {
        const std::string line = DuplicateLineText(entry, c.method, us);
        EXPECT_EQ(line, c.line) << MethodName(c.method);
        const FieldNumbers f = FieldNumbersOf(c.method);
        EXPECT_EQ(foundation::ExtractField(line, "|", static_cast<std::uint8_t>(f.group)),
                  "000007");
        EXPECT_EQ(foundation::ExtractField(line, "|", static_cast<std::uint8_t>(f.rootKey)),
                  "*.JPG");
        EXPECT_EQ(foundation::ExtractField(line, "|", static_cast<std::uint8_t>(f.size)),
                  "0000012345");
        EXPECT_EQ(foundation::ExtractField(line, "|", static_cast<std::uint8_t>(f.path)),
                  "/data/a.jpg");
        EXPECT_EQ(foundation::ExtractField(line, "|", static_cast<std::uint8_t>(f.date)), date);
    }
}

}  // namespace
}  // namespace qm::engine
