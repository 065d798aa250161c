#include "cli/ScanOptions.h"

#include <gtest/gtest.h>

#include "cli/UsageError.h"

namespace qm::cli {
namespace {

ScanOptions Parse(std::vector<std::string> args) {
    return ParseScanOptions(args, "/work/here");
}

TEST(ScanOptionsTest, DefaultsAreAFreshWindowsWithEveryFileMask) {
    const ScanOptions options = Parse({"/data"});
    const engine::SearchCriteria& c = options.criteria;
    EXPECT_EQ(c.searchFolders, std::vector<std::string>{"/data/"});
    EXPECT_EQ(c.fileMaskText, "*.*");
    EXPECT_TRUE(c.includeHidden);
    EXPECT_TRUE(c.includeSubFolders);
    EXPECT_EQ(c.depthLimit, 0);
    EXPECT_EQ(c.minSizeText, "0");
    EXPECT_EQ(c.maxSizeText, "0");
    EXPECT_EQ(c.sizeUnitIndex, 1);
    EXPECT_EQ(c.method, engine::Method::ContentsOnly);
    EXPECT_FALSE(c.dateRange.enabled);
    EXPECT_EQ(options.format, OutputFormat::Text);
    EXPECT_TRUE(options.outputPath.empty());
    EXPECT_FALSE(options.quiet);
}

TEST(ScanOptionsTest, FoldersBecomeAbsoluteWithTheFinalSeparator) {
    struct Case {
        std::string given;
        std::string expected;
    };
    const Case cases[] = {
        {".", "/work/here/"},
        {"sub", "/work/here/sub/"},
        {"sub/", "/work/here/sub/"},
        {"../up/./x//y", "/work/up/x/y/"},
        {"/", "/"},
        {"/../..", "/"},
        {"/abs/a|b\xFF", "/abs/a|b\xFF/"},
        {"-odd", "/work/here/-odd/"},  // after "--"
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AbsoluteFolder(c.given, "/work/here"), c.expected) << c.given;
    }
    EXPECT_EQ(Parse({"--", "-odd"}).criteria.searchFolders,
              std::vector<std::string>{"/work/here/-odd/"});
    // Given twice (also in two spellings): searched once.
    EXPECT_EQ(Parse({"a", "/work/here/a/", "b"}).criteria.searchFolders,
              (std::vector<std::string>{"/work/here/a/", "/work/here/b/"}));
}

TEST(ScanOptionsTest, EveryOptionReachesTheCriteria) {
    const ScanOptions o = Parse({"--mask",
                                 "*.jpg",
                                 "--mask=*.png",
                                 "--no-hidden",
                                 "--no-recursive",
                                 "--depth",
                                 "3",
                                 "--min-size",
                                 "10",
                                 "--max-size=20",
                                 "--size-unit",
                                 "megabytes",
                                 "--method",
                                 "contents-and-name",
                                 "--ignore-folder",
                                 "skip",
                                 "--ignore-folder=/abs/skip",
                                 "--ignore-sub-folders",
                                 "--exclude-folder-mask",
                                 "*/tmp/",
                                 "--exclude-file-mask",
                                 "*.bak",
                                 "--exclude-file-mask",
                                 "~*",
                                 "--date-kind",
                                 "accessed",
                                 "--date-from",
                                 "2024-01-02",
                                 "--date-to",
                                 "2024-03-04 05:06:07",
                                 "--format",
                                 "csv",
                                 "--output",
                                 "out.csv",
                                 "--quiet",
                                 "/d"});
    const engine::SearchCriteria& c = o.criteria;
    EXPECT_EQ(c.fileMaskText, "*.jpg, *.png");
    EXPECT_FALSE(c.includeHidden);
    EXPECT_FALSE(c.includeSubFolders);
    EXPECT_EQ(c.depthLimit, 3);
    EXPECT_EQ(c.minSizeText, "10");
    EXPECT_EQ(c.maxSizeText, "20");
    EXPECT_EQ(c.sizeUnitIndex, 2);
    EXPECT_EQ(c.method, engine::Method::ContentsAndName);
    EXPECT_EQ(c.ignoredFolders, (std::vector<std::string>{"/work/here/skip/", "/abs/skip/"}));
    EXPECT_TRUE(c.ignoreSubFolders);
    EXPECT_EQ(c.excludedFolderMasks, std::vector<std::string>{"*/tmp/"});
    EXPECT_EQ(c.excludedFileMasks, (std::vector<std::string>{"*.bak", "~*"}));
    EXPECT_TRUE(c.dateRange.enabled);
    EXPECT_EQ(c.dateRange.kind, engine::DateKind::Accessed);
    EXPECT_EQ(c.dateRange.from, (platform::LocalDateTime{2024, 1, 2, 0, 0, 0}));
    EXPECT_EQ(c.dateRange.to, (platform::LocalDateTime{2024, 3, 4, 5, 6, 7}));
    EXPECT_EQ(o.format, OutputFormat::Csv);
    EXPECT_EQ(o.outputPath, "out.csv");
    EXPECT_TRUE(o.quiet);

    // The last of two opposite switches wins; each method and unit by name.
    EXPECT_TRUE(Parse({"--no-hidden", "--hidden", "/d"}).criteria.includeHidden);
    EXPECT_TRUE(Parse({"--no-recursive", "--recursive", "/d"}).criteria.includeSubFolders);
    const std::pair<const char*, engine::Method> methods[] = {
        {"contents", engine::Method::ContentsOnly},
        {"size", engine::Method::SizeOnly},
        {"name", engine::Method::NameOnly},
        {"name-and-size", engine::Method::NameAndSize},
        {"contents-and-name", engine::Method::ContentsAndName}};
    for (const auto& [name, method] : methods) {
        EXPECT_EQ(Parse({"--method", name, "/d"}).criteria.method, method) << name;
    }
    EXPECT_EQ(Parse({"--size-unit", "bytes", "/d"}).criteria.sizeUnitIndex, 0);
    EXPECT_EQ(Parse({"--size-unit", "kilobytes", "/d"}).criteria.sizeUnitIndex, 1);
    const std::pair<const char*, OutputFormat> formats[] = {{"dat", OutputFormat::Dat},
                                                            {"html", OutputFormat::Html},
                                                            {"rtf", OutputFormat::Rtf},
                                                            {"table", OutputFormat::Table}};
    for (const auto& [name, format] : formats) {
        EXPECT_EQ(Parse({"--format", name, "/d"}).format, format) << name;
    }
}

TEST(ScanOptionsTest, AnOpenDateWindowEndGetsTheWidestBoundAndADayItsLastSecond) {
    const auto from = Parse({"--date-from", "2020-02-29", "/d"}).criteria.dateRange;
    EXPECT_TRUE(from.enabled);
    EXPECT_EQ(from.kind, engine::DateKind::Modified);
    EXPECT_EQ(from.from, (platform::LocalDateTime{2020, 2, 29, 0, 0, 0}));
    EXPECT_EQ(from.to, (platform::LocalDateTime{9999, 12, 31, 23, 59, 59}));
    const auto to =
        Parse({"--date-to", "2021-12-31", "--date-kind", "created", "/d"}).criteria.dateRange;
    EXPECT_EQ(to.from, (platform::LocalDateTime{1, 1, 1, 0, 0, 0}));
    EXPECT_EQ(to.to, (platform::LocalDateTime{2021, 12, 31, 23, 59, 59}));
    EXPECT_EQ(to.kind, engine::DateKind::Created);
    EXPECT_FALSE(Parse({"--date-kind", "created", "/d"}).criteria.dateRange.enabled);
}

TEST(ScanOptionsTest, BadUsageNamesTheOption) {
    struct Case {
        std::vector<std::string> args;
        std::string named;
    };
    const Case cases[] = {
        {{"--bogus", "/d"}, "--bogus"},
        {{"--bogus=1", "/d"}, "--bogus"},
        {{"-x", "/d"}, "-x"},
        {{"/d", "--mask"}, "--mask"},
        {{"--hidden=yes", "/d"}, "--hidden"},
        {{"--depth", "51", "/d"}, "--depth"},
        {{"--depth", "-1", "/d"}, "--depth"},
        {{"--depth", "two", "/d"}, "--depth"},
        {{"--min-size", "abc", "/d"}, "--min-size"},
        {{"--max-size", "-5", "/d"}, "--max-size"},
        {{"--max-size", "99999999999999999999", "/d"}, "--max-size"},
        {{"--size-unit", "gigabytes", "/d"}, "--size-unit"},
        {{"--method", "crc", "/d"}, "--method"},
        {{"--date-kind", "changed", "/d"}, "--date-kind"},
        {{"--date-from", "2024-02-30", "/d"}, "--date-from"},
        {{"--date-from", "2023-02-29", "/d"}, "--date-from"},
        {{"--date-to", "2024-01-01 24:00:00", "/d"}, "--date-to"},
        {{"--date-to", "01/02/2024", "/d"}, "--date-to"},
        {{"--format", "xml", "/d"}, "--format"},
        {{"--output=", "/d"}, "--output"},
        {{"--mask="}, "--mask"},
        {{}, "folder"},
        {{"--quiet"}, "folder"},
    };
    for (const Case& c : cases) {
        try {
            Parse(c.args);
            ADD_FAILURE() << "accepted: " << c.named;
        } catch (const UsageError& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find(c.named), std::string::npos) << message;
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        }
    }
    // --help and --version need no folder.
    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"--version"}).version);
}

}  // namespace
}  // namespace qm::cli
