#include "scope/SearchSettings.h"

#include <gtest/gtest.h>

namespace qm::scope {
namespace {

TEST(SearchSettingsTest, LabelFollowsTheTicksAndTheSelectAllForm) {
    struct Case {
        const char* name;
        std::vector<FilterRow> filters;
        bool sorted;
        std::string label;
    };
    const std::vector<Case> cases = {
        {"nothing ticked", {{"*.a", "A"}}, false, "[None Selected]"},
        {"table order", {{"*.z", "Z", true}, {"old *.log", "L", true}}, false, "*.z, old *.log"},
        {"Select All form",
         {{"*.z", "Z", true}, {"old *.log", "L", true}},
         true,
         "*.log, *.z, old"},
        {"Select All of global rows only", {{"*", "All"}, {"*.*", "All"}}, true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SearchSettings settings;
        settings.filters = c.filters;
        settings.filterLabelSorted = c.sorted;
        EXPECT_EQ(FilterLabelText(settings), c.label);
        EXPECT_EQ(SearchCriteriaOf(settings).fileMaskText, c.label);
    }
}

TEST(SearchSettingsTest, CriteriaTakeEverySearchOption) {
    SearchSettings settings;
    settings.searchFolders = {"/a/", "/b/"};
    settings.filters = {{"*.jp*", "J", true}, {"*.png", "P", true}};
    settings.minSizeText = "10";
    settings.maxSizeText = "abc";
    settings.sizeUnitIndex = 2;
    settings.methodIndex = 3;
    settings.includeHidden = false;
    settings.includeSubFolders = false;
    settings.depthLimit = 4;
    settings.ignoredFolders = {"/proc/"};
    settings.ignoreSubFolders = true;
    settings.blockedFolders = {"/keep/"};
    settings.excludedFileMasks = {"*.tmp"};
    settings.excludedFolderMasks = {"*cache*"};
    engine::FileDateRange dates;
    dates.enabled = true;
    dates.kind = engine::DateKind::Accessed;

    const engine::SearchCriteria c = SearchCriteriaOf(settings, dates);
    EXPECT_EQ(c.searchFolders, settings.searchFolders);
    EXPECT_EQ(c.fileMaskText, "*.jp*, *.png");
    EXPECT_EQ(c.minSizeText, "10");
    EXPECT_EQ(c.maxSizeText, "abc");
    EXPECT_EQ(c.sizeUnitIndex, 2);
    EXPECT_EQ(c.method, engine::Method::NameAndSize);
    EXPECT_FALSE(c.includeHidden);
    EXPECT_FALSE(c.includeSubFolders);
    EXPECT_EQ(c.depthLimit, 4);
    EXPECT_EQ(c.ignoredFolders, settings.ignoredFolders);
    EXPECT_TRUE(c.ignoreSubFolders);
    EXPECT_EQ(c.excludedFileMasks, settings.excludedFileMasks);
    EXPECT_EQ(c.excludedFolderMasks, settings.excludedFolderMasks);
    EXPECT_TRUE(c.dateRange.enabled);
    EXPECT_EQ(c.dateRange.kind, engine::DateKind::Accessed);

    // No method selected (a settings file may say so): the search compares contents.
    settings.methodIndex = -1;
    EXPECT_EQ(SearchCriteriaOf(settings).method, engine::Method::ContentsOnly);
}

}  // namespace
}  // namespace qm::scope
