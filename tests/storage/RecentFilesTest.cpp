#include "storage/RecentFiles.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/Locale.h"
#include "support/TempTree.h"

namespace qm::storage {
namespace {

using Paths = std::vector<std::string>;

std::unique_ptr<platform::Locale> TestLocale() {
    return platform::CreateLocale("en_US");
}

TEST(RecentFilesTest, AddPutsThePathOnTopOnceAndKeepsFour) {
    struct Case {
        const char* name;
        Paths start;
        std::string added;
        Paths expected;
        bool changed;
    };
    const Case cases[] = {
        {"into an empty list", {}, "/a.ini", {"/a.ini"}, true},
        {"newest first", {"/a.ini"}, "/b.ini", {"/b.ini", "/a.ini"}, true},
        {"a listed path moves up",
         {"/c.ini", "/b.ini", "/a.ini"},
         "/a.ini",
         {"/a.ini", "/c.ini", "/b.ini"},
         true},
        {"the top one stays", {"/a.ini", "/b.ini"}, "/a.ini", {"/a.ini", "/b.ini"}, false},
        {"the fifth is dropped",
         {"/d.ini", "/c.ini", "/b.ini", "/a.ini"},
         "/e.ini",
         {"/e.ini", "/d.ini", "/c.ini", "/b.ini"},
         true},
        {"a listed path in a full list drops nothing",
         {"/d.ini", "/c.ini", "/b.ini", "/a.ini"},
         "/b.ini",
         {"/b.ini", "/d.ini", "/c.ini", "/a.ini"},
         true},
        {"blank is ignored", {"/a.ini"}, "", {"/a.ini"}, false},
        {"blanks are ignored", {"/a.ini"}, "  \t", {"/a.ini"}, false},
#ifdef _WIN32
        // File names ignore case there: another case is the same file, already on top.
        {"case does not matter", {"/A.ini"}, "/a.ini", {"/A.ini"}, false},
#else
        // File names are case-sensitive here: another case is another file.
        {"case matters", {"/A.ini"}, "/a.ini", {"/a.ini", "/A.ini"}, true},
#endif
    };
    const auto locale = TestLocale();
    for (const Case& c : cases) {
        RecentFiles recent(*locale);
        recent.Load(c.start);
        ASSERT_EQ(recent.Paths(), c.start) << c.name;
        EXPECT_EQ(recent.Add(c.added), c.changed) << c.name;
        EXPECT_EQ(recent.Paths(), c.expected) << c.name;
    }
}

TEST(RecentFilesTest, LoadTakesStoredValuesUpToTheFirstEmptyOne) {
    struct Case {
        Paths stored;  // "H0", "H1", ...
        Paths expected;
    };
    const Case cases[] = {
        {{}, {}},
        {{"/a.ini", "/b.ini"}, {"/a.ini", "/b.ini"}},
        {{"/a.ini", "", "/c.ini"}, {"/a.ini"}},
        {{"", "/b.ini"}, {}},
        {{"/a.ini", "/a.ini", "/b.ini"}, {"/a.ini", "/b.ini"}},
        {{"/1", "/2", "/3", "/4", "/5"}, {"/1", "/2", "/3", "/4"}},
    };
    const auto locale = TestLocale();
    for (const Case& c : cases) {
        RecentFiles recent(*locale);
        recent.Load({"/old.ini"});
        recent.Load(c.stored);
        EXPECT_EQ(recent.Paths(), c.expected);
    }
}

TEST(RecentFilesTest, LongPathsAreShortenedToTheirLeadingFoldersAndName) {
    struct Case {
        std::string path;
        char delim;
        std::string shown;
    };
    const std::string sixty = "/home/ann/settings/" + std::string(37, 'x') + ".ini";
    const std::string sixtyOne = "/home/ann/settings/" + std::string(38, 'x') + ".ini";
    // 60 characters in 120 bytes: characters are counted, not bytes.
    const std::string wide = "/" + std::string(5, 'a') + "/" + [] {
        std::string s;
        for (int i = 0; i < 53; ++i) {
            s += "\xC3\xA9";  // é
        }
        return s;
    }();
    const Case cases[] = {
        {"/home/ann/a.ini", '/', "/home/ann/a.ini"},
        {sixty, '/', sixty},
        {sixtyOne, '/', "/home/ann/.../" + std::string(38, 'x') + ".ini"},
        {"/home/ann/Documents/Projects/Quillmere/settings/archive/2024/old-search.ini", '/',
         "/home/ann/Documents/Projects/Quillmere/.../old-search.ini"},
        {"C:\\Program Files\\Quillmere\\Saved Searches\\Holidays\\2006\\Photos Only.ini", '\\',
         "C:\\Program Files\\Quillmere\\...\\Photos Only.ini"},
        {wide, '/', wide},
        // A long file name is never cut; the folders go first, the root last.
        {"/abcdefghij/" + std::string(50, 'n'), '/', "/.../" + std::string(50, 'n')},
        {"/abcdefghij/" + std::string(56, 'n'), '/', ".../" + std::string(56, 'n')},
        {std::string(70, 'r'), '/', std::string(70, 'r')},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortenRecentPath(c.path, c.delim), c.shown) << c.path;
    }
}

TEST(RecentFilesTest, CaptionsNumberTheEntriesFromOne) {
    const auto locale = TestLocale();
    RecentFiles recent(*locale);
    EXPECT_TRUE(recent.Captions().empty());  // the menu shows "(None)"
    EXPECT_EQ(kNoRecentFiles, "(None)");
    recent.Add(test::NativePath(
        "/home/ann/Documents/Projects/Quillmere/settings/archive/2024/old-search.ini"));
    recent.Add(test::NativePath("/home/ann/Tom & Jerry.ini"));
    EXPECT_EQ(
        recent.Captions(),
        (Paths{test::NativePath("&1 /home/ann/Tom && Jerry.ini"),
               test::NativePath("&2 /home/ann/Documents/Projects/Quillmere/.../old-search.ini")}));
    EXPECT_EQ(RecentFileMissingMessage("/gone.ini"),
              "The recently used file \"/gone.ini\" could not be located.");
}

}  // namespace
}  // namespace qm::storage
