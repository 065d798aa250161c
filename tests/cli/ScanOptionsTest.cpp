#include "cli/ScanOptions.h"

#include <gtest/gtest.h>

#include "cli/UsageError.h"
#include "foundation/Error.h"
#include "storage/SettingsFile.h"
#include "support/TempTree.h"

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

// A settings file as the window saves it, with every value the scanner takes set away from the
// scanner's own defaults.
storage::SettingsFile SavedSearch() {
    storage::SettingsFile file;
    scope::SearchSettings& s = file.search;
    s.searchFolders = {"/data/b/", "/data/a/", "/data/b/"};
    s.filters = {{"*.jpg", "JPEG", true}, {"*.txt", "Text", false}, {"*.png", "PNG", true}};
    s.minSizeText = "5";
    s.maxSizeText = "9";
    s.sizeUnitIndex = 2;
    s.methodIndex = 3;
    s.includeHidden = false;
    s.includeSubFolders = false;
    s.depthLimit = 7;
    s.ignoredFolders = {"/data/a/tmp/"};
    s.ignoreSubFolders = true;
    s.excludedFolderMasks = {"*cache*"};
    s.excludedFileMasks = {"*.bak"};
    s.blockedFolders = {"/data/keep/"};
    s.blockedSubFolders = true;
    return file;
}

TEST(ScanOptionsTest, SettingsFileGivesTheSearchAndLaterOptionsOverrideIt) {
    test::TempTree tree;
    const std::string path = tree.Path("saved.ini");
    storage::WriteSettingsFile(path, SavedSearch());

    const engine::SearchCriteria c = Parse({"--settings", path}).criteria;
    EXPECT_EQ(c.searchFolders, (std::vector<std::string>{"/data/a/", "/data/b/"}));
    EXPECT_EQ(c.fileMaskText, "*.jpg, *.png");  // the ticked rows only
    EXPECT_EQ(c.minSizeText, "5");
    EXPECT_EQ(c.maxSizeText, "9");
    EXPECT_EQ(c.sizeUnitIndex, 2);
    EXPECT_EQ(c.method, engine::Method::NameAndSize);
    EXPECT_FALSE(c.includeHidden);
    EXPECT_FALSE(c.includeSubFolders);
    EXPECT_EQ(c.depthLimit, 7);
    EXPECT_EQ(c.ignoredFolders, std::vector<std::string>{"/data/a/tmp/"});
    EXPECT_TRUE(c.ignoreSubFolders);
    EXPECT_EQ(c.excludedFolderMasks, std::vector<std::string>{"*cache*"});
    EXPECT_EQ(c.excludedFileMasks, std::vector<std::string>{"*.bak"});
    EXPECT_FALSE(c.dateRange.enabled);  // never stored
    const ScanOptions withActions = Parse({"--settings", path, "--trash-copies"});
    EXPECT_EQ(withActions.blockedFolders, std::vector<std::string>{"/data/keep/"});
    EXPECT_TRUE(withActions.blockedSubFolders);
    EXPECT_EQ(
        Parse({"--settings", path, "--trash-copies", "--blocked-folder", "/b"}).blockedFolders,
        std::vector<std::string>{"/b/"});

    // Options after the file override it; a list option starts its list anew, and further uses
    // add to it; lists not named keep the file's entries; folders given replace its folders.
    const engine::SearchCriteria o = Parse({"--settings",
                                            path,
                                            "--mask",
                                            "*.gif",
                                            "--mask",
                                            "*.bmp",
                                            "--exclude-file-mask",
                                            "*.old",
                                            "--ignore-folder",
                                            "/x",
                                            "--no-ignore-sub-folders",
                                            "--hidden",
                                            "--recursive",
                                            "--depth",
                                            "2",
                                            "--method",
                                            "size",
                                            "--size-unit",
                                            "bytes",
                                            "--min-size",
                                            "1",
                                            "/other"})
                                         .criteria;
    EXPECT_EQ(o.searchFolders, std::vector<std::string>{"/other/"});
    EXPECT_EQ(o.fileMaskText, "*.gif, *.bmp");
    EXPECT_EQ(o.excludedFileMasks, std::vector<std::string>{"*.old"});
    EXPECT_EQ(o.excludedFolderMasks, std::vector<std::string>{"*cache*"});
    EXPECT_EQ(o.ignoredFolders, std::vector<std::string>{"/x/"});
    EXPECT_FALSE(o.ignoreSubFolders);
    EXPECT_TRUE(o.includeHidden);
    EXPECT_TRUE(o.includeSubFolders);
    EXPECT_EQ(o.depthLimit, 2);
    EXPECT_EQ(o.method, engine::Method::SizeOnly);
    EXPECT_EQ(o.sizeUnitIndex, 0);
    EXPECT_EQ(o.minSizeText, "1");
    EXPECT_EQ(o.maxSizeText, "9");

    // Options before the file are overridden by it; folders are operands and replace its folders
    // wherever they stand.
    const engine::SearchCriteria before =
        Parse({"/other", "--mask", "*.gif", "--depth", "3", "--hidden", "--settings", path})
            .criteria;
    EXPECT_EQ(before.fileMaskText, "*.jpg, *.png");
    EXPECT_EQ(before.depthLimit, 7);
    EXPECT_FALSE(before.includeHidden);
    EXPECT_EQ(before.searchFolders, std::vector<std::string>{"/other/"});

    // A relative name is taken from the working folder; a second file replaces the first.
    storage::SettingsFile other = SavedSearch();
    other.search.searchFolders = {"relative/"};
    other.search.filters = {{"*", "All", true}};
    other.search.methodIndex = -1;  // none chosen: by contents, as the window searches
    other.search.sizeUnitIndex = -1;
    storage::WriteSettingsFile(tree.Path("other.ini"), other);
    const engine::SearchCriteria second =
        ParseScanOptions({"--settings", path, "--settings=other.ini"}, tree.Root()).criteria;
    EXPECT_EQ(second.searchFolders, std::vector<std::string>{tree.Path("relative/")});
    EXPECT_EQ(second.fileMaskText, "*");
    EXPECT_EQ(second.method, engine::Method::ContentsOnly);
    EXPECT_EQ(second.sizeUnitIndex, -1);
}

TEST(ScanOptionsTest, SettingsFileThatCannotServeIsRefused) {
    test::TempTree tree;
    storage::SettingsFile noFilter = SavedSearch();
    noFilter.search.filters = {{"*.jpg", "JPEG", false}};
    storage::WriteSettingsFile(tree.Path("no-filter.ini"), noFilter);
    storage::SettingsFile noFolder = SavedSearch();
    noFolder.search.searchFolders.clear();
    storage::WriteSettingsFile(tree.Path("no-folder.ini"), noFolder);

    struct Case {
        std::vector<std::string> args;
        std::string named;
    };
    const Case cases[] = {
        {{"--settings", tree.Path("no-filter.ini")}, "--mask"},
        {{"--settings", tree.Path("no-folder.ini")}, "folder"},
        {{"--settings="}, "--settings"},
        {{"--settings"}, "--settings"},
    };
    for (const Case& c : cases) {
        try {
            Parse(c.args);
            ADD_FAILURE() << "accepted: " << c.named;
        } catch (const UsageError& error) {
            EXPECT_NE(std::string(error.what()).find(c.named), std::string::npos) << error.what();
        }
    }
    // What the user adds makes them usable.
    EXPECT_EQ(
        Parse({"--settings", tree.Path("no-filter.ini"), "--mask", "*.png"}).criteria.fileMaskText,
        "*.png");
    EXPECT_EQ(Parse({"--settings", tree.Path("no-folder.ini"), "/d"}).criteria.searchFolders,
              std::vector<std::string>{"/d/"});
    EXPECT_THROW(Parse({"--settings", tree.Path("missing.ini"), "/d"}), FileError);
}

}  // namespace
}  // namespace qm::cli
