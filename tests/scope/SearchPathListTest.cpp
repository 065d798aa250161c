#include "scope/SearchPathList.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/Locale.h"
#include "scope/ScopeList.h"

namespace qm::scope {
namespace {

class SearchPathListTest : public ::testing::Test {
protected:
    std::unique_ptr<platform::Locale> locale = platform::CreateLocale("en_US");
    std::set<std::string> folders = {"/data/", "/data/Photos/", "/data/photos/", "/b/", "/A/", "/"};
    SearchPathList list{*locale,
                        [this](const std::string& path) { return folders.count(path) > 0; }, '/'};
};

TEST_F(SearchPathListTest, AddsExistingFoldersWithTheSeparatorInOrder) {
    EXPECT_TRUE(list.Add("/b"));
    EXPECT_TRUE(list.Add("/data/"));
    EXPECT_TRUE(list.Add("/A"));
    EXPECT_TRUE(list.Add("/"));
    EXPECT_EQ(list.Paths(), (std::vector<std::string>{"/", "/A/", "/b/", "/data/"}));
}

TEST_F(SearchPathListTest, RefusesMissingEmptyAndRepeatedFolders) {
    EXPECT_FALSE(list.Add(""));
    EXPECT_FALSE(list.Add("/nowhere"));
    EXPECT_TRUE(list.Add("/data"));
    EXPECT_FALSE(list.Add("/data/"));
    EXPECT_EQ(list.Count(), 1u);
}

#ifdef _WIN32
TEST_F(SearchPathListTest, NestedFoldersAreKeptAndCaseDifferentOnesAreOneFolder) {
    EXPECT_TRUE(list.Add("/data/"));
    EXPECT_TRUE(list.Add("/data/Photos"));
    EXPECT_FALSE(list.Add("/data/photos"));  // the same folder on Windows
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_EQ(list.IndexOf("/data/PHOTOS/"), 1u);
    EXPECT_TRUE(list.Remove("/data/photos"));
    EXPECT_EQ(list.Count(), 1u);
}
#else
TEST_F(SearchPathListTest, NestedAndCaseDifferentFoldersAreDifferentFoldersHere) {
    EXPECT_TRUE(list.Add("/data/"));
    EXPECT_TRUE(list.Add("/data/Photos"));
    EXPECT_TRUE(list.Add("/data/photos"));  // a case-sensitive file system: two folders
    EXPECT_EQ(list.Count(), 3u);
    EXPECT_TRUE(list.Remove("/data/photos"));
    EXPECT_FALSE(list.Remove("/data/photos/"));
    EXPECT_EQ(list.IndexOf("/data/Photos/"), 1u);
    EXPECT_FALSE(list.IndexOf("/data/PHOTOS/"));
}
#endif

TEST_F(SearchPathListTest, SamePathFollowsThePlatform) {
    EXPECT_TRUE(SamePath("/a/", "/a/", *locale));
#ifdef _WIN32
    EXPECT_TRUE(SamePath("C:\\Data\\", "c:\\data\\", *locale));
#else
    EXPECT_FALSE(SamePath("/Data/", "/data/", *locale));
#endif
}

TEST(ShellFolderRuleTest, TextsAndRealFolders) {
    for (const char* text : {"My Documents", "My Network Places", "Shared Documents", "Desktop",
                             "Control Panel", "Local Documents", "All Documents Here"}) {
        EXPECT_TRUE(IsShellSpecialFolderText(text)) << text;
        EXPECT_TRUE(ShouldPruneFolderNode(text, false)) << text;
        // A real folder of that name is never hidden.
        EXPECT_FALSE(ShouldPruneFolderNode(text, true)) << text;
    }
    for (const char* text : {"Documents", "desktop", "my documents", "Docs", "", "A  Documents"}) {
        EXPECT_FALSE(IsShellSpecialFolderText(text)) << text;
    }
}

TEST(ScopeListTest, SortedWithoutDuplicatesIgnoringCase) {
    auto locale = platform::CreateLocale("en_US");
    ScopeList list(*locale);
    EXPECT_TRUE(list.Add("*.tmp"));
    EXPECT_TRUE(list.Add("*.log"));
    EXPECT_FALSE(list.Add("*.LOG"));
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"*.log", "*.tmp"}));
    EXPECT_TRUE(list.Contains("*.TMP"));
    EXPECT_TRUE(list.Remove("*.TMP"));
    EXPECT_EQ(list.Count(), 1u);
}

TEST(ScopeListTest, FolderListsKeepFoldersThatDifferOnlyInCase) {
    auto locale = platform::CreateLocale("en_US");
    ScopeList list(*locale, ScopeList::Equality::SamePath);
    // Whatever order they come in, both stay, next to each other, in byte order.
    EXPECT_TRUE(list.Add("/data/photos/"));
    EXPECT_TRUE(list.Add("/b/"));
#ifdef _WIN32
    // One folder on Windows, whose names ignore case.
    EXPECT_FALSE(list.Add("/data/Photos/"));
#else
    EXPECT_TRUE(list.Add("/data/Photos/"));
#endif
    EXPECT_FALSE(list.Add("/data/photos/"));
#ifdef _WIN32
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"/b/", "/data/photos/"}));
#else
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"/b/", "/data/Photos/", "/data/photos/"}));
    EXPECT_FALSE(list.Contains("/DATA/PHOTOS/"));
    EXPECT_FALSE(list.Remove("/B/"));
    EXPECT_TRUE(list.Remove("/data/photos/"));
    EXPECT_EQ(list.Items(), (std::vector<std::string>{"/b/", "/data/Photos/"}));
#endif
}

}  // namespace
}  // namespace qm::scope
