#include "results/ResultStatistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "results/EntryText.h"
#include "results/PopulateResultsTree.h"
#include "results/ResultsTestSupport.h"
#include "results/TreeColors.h"
#include "support/TempTree.h"

namespace qm::results {
namespace {

using testing::FakeLocale;
using testing::RecordingHost;

const engine::FieldNumbers kFileFields{1, 5, 4, 3, 2};

std::vector<std::string> ThreeSetsOfTwo() {
    std::vector<std::string> lines;
    for (int s = 1; s <= 3; ++s) {
        for (const char* folder : {"/d/", "/e/"}) {
            lines.push_back(engine::GroupText(s) + "|" + test::NativePath(folder) +
                            std::to_string(s) + ".txt|*.TXT|0000001000|01/01/2020 12:00:00 PM");
        }
    }
    return lines;
}

TEST(FormatCount, ThousandsSeparators) {
    const FakeLocale comma(",");
    const FakeLocale dot(".");
    const FakeLocale narrowSpace("\u202F");
    EXPECT_EQ(FormatCount(0, comma), "0");
    EXPECT_EQ(FormatCount(999, comma), "999");
    EXPECT_EQ(FormatCount(1000, comma), "1,000");
    EXPECT_EQ(FormatCount(1234567, comma), "1,234,567");
    EXPECT_EQ(FormatCount(-1234567, comma), "-1,234,567");
    EXPECT_EQ(FormatCount(6000000000, dot), "6.000.000.000");
    EXPECT_EQ(FormatCount(12345, narrowSpace), "12\u202F345");
    EXPECT_EQ(FormatCount(INT64_MIN, comma), "-9,223,372,036,854,775,808");
}

TEST(ResultStatistics, ThreeSetsOfTwoFiles) {
    const FakeLocale locale;
    const std::vector<std::string> lines = ThreeSetsOfTwo();
    ResultTree tree;
    RecordingHost host;
    ASSERT_TRUE(PopulateResultsTree(tree, lines, kFileFields, host, {}, locale));

    const std::string elapsed = "Search completed in 0 hour(s) 0 minute(s) and 2 second(s).";
    host.statusTexts.clear();
    const auto searched = ShowResultStatistics(tree, false, false, elapsed, host, locale);
    ASSERT_TRUE(searched.has_value());
    EXPECT_EQ(*searched,
              "6,000 bytes in 6 file(s) listed. [3,000 bytes duplicated in 3 file(s).] Search "
              "completed in 0 hour(s) 0 minute(s) and 2 second(s).");
    EXPECT_EQ(host.statusTexts, (std::vector<std::string>{"Calculating duplicate file information.",
                                                          "Duplicate file search complete."}));
    EXPECT_FALSE(host.progressVisible);

    const auto loaded = ShowResultStatistics(tree, false, true, elapsed, host, locale);
    EXPECT_EQ(*loaded,
              "6,000 bytes in 6 file(s) listed. [3,000 bytes duplicated in 3 file(s).]  Results "
              "loaded from a previous search.");

    // The command-line scanner counts the same from the list alone.
    const ResultStatistics counted = CountResultStatistics(lines, kFileFields);
    EXPECT_EQ(ResultStatisticsText(counted, false, "", locale),
              "6,000 bytes in 6 file(s) listed. [3,000 bytes duplicated in 3 file(s).] ");
}

TEST(ResultStatistics, EmptyListKeepsTheLabel) {
    const FakeLocale locale;
    ResultTree tree;
    RecordingHost host;
    host.progressVisible = true;
    EXPECT_FALSE(ShowResultStatistics(tree, true, false, "x", host, locale).has_value());
    EXPECT_EQ(host.statusTexts,
              (std::vector<std::string>{"<B>Duplicate file search complete. </B>No duplicate "
                                        "files were found with the selected search criteria."}));
    EXPECT_FALSE(host.progressVisible);
}

TEST(ResultStatistics, StructuredListCountsAsTheTreeWould) {
    const FakeLocale locale;
    // a.doc, b.txt, c.doc of equal size: one set of three, listed under *.DOC.
    engine::DuplicateList list(3);
    const char* paths[] = {"/d/b.txt", "/d/c.doc", "/d/a.doc"};
    const char* keys[] = {"*.DOC", "*.DOC", "*.TXT"};
    for (int i = 0; i < 3; ++i) {
        list[i].group = 1;
        list[i].size = 10;
        list[i].path = test::NativePath(paths[i]);
        list[i].extensionKey = keys[i];
    }
    const ResultStatistics stats = CountResultStatistics(list);
    EXPECT_EQ(stats.listedFiles, 3);
    EXPECT_EQ(stats.listedBytes, 30);
    EXPECT_EQ(stats.duplicatedFiles, 2);
    EXPECT_EQ(stats.duplicatedBytes, 20);
}

TEST(EntryText, CellsAndHint) {
    const FakeLocale locale;
    ResultTree tree;
    RecordingHost host;
    const std::vector<std::string> lines = {
        "000001|" + test::NativePath("/data/a.jpg") + "|*.JPG|0001234567|01/05/2006 03:04:06 PM",
        "000001|" + test::NativePath("/other/a.jpg") + "|*.JPG|0001234567|01/05/2006 03:04:06 PM"};
    ASSERT_TRUE(PopulateResultsTree(tree, lines, kFileFields, host, {}, locale));
    const auto& root = tree.At(0);
    const auto& head = tree.At(1);
    EXPECT_EQ(DupeTVGetText(root, 0, locale), "*.JPG");
    for (int column = 1; column < kDupeColumnCount; ++column) {
        EXPECT_EQ(DupeTVGetText(root, column, locale), "");
    }
    EXPECT_EQ(DupeTVGetText(head, 0, locale), "");
    EXPECT_EQ(DupeTVGetText(head, 1, locale), "a.jpg");
    EXPECT_EQ(DupeTVGetText(head, 2, locale), test::NativePath("/data/"));
    EXPECT_EQ(DupeTVGetText(head, 3, locale), "1,234,567");
    EXPECT_EQ(DupeTVGetText(head, 4, locale), "01/05/2006 03:04:06 PM");
    EXPECT_EQ(DupeTVGetHint(root, locale), "");
    EXPECT_EQ(DupeTVGetHint(head, locale),
              "File Name: a.jpg   \r\nFile Path: " + test::NativePath("/data/") +
                  "   \r\nFile Size: 1,234,567 bytes\r\n"
                  "Modified: 01/05/2006 03:04:06 PM\r\nStatus: None.");
    struct Case {
        EntryStatus status;
        const char* line;
    };
    const Case cases[] = {
        {EntryStatus::None, "Status: None."},
        {EntryStatus::Removed, "Status: File deleted successfully."},
        {EntryStatus::Failed, "Status: Unable to delete (file might be in use)."},
        {EntryStatus::Blocked, "Status: File blocked from deletion (file is in blocked folder)."},
        {EntryStatus::Marked, "Status: File marked for deletion."}};
    for (const Case& c : cases) EXPECT_STREQ(StatusHintLine(c.status), c.line);
}

TEST(TreeColors, PaintRulesAndColourMenu) {
    TreeColors colors;
    TEntry navy;
    navy.BandColor = kBandNavy;
    TEntry green;
    green.BandColor = kBandDarkGreen;
    EXPECT_EQ(FileTextColor(navy, colors), kBandNavy);
    EXPECT_EQ(FileTextColor(green, colors), kBandDarkGreen);

    // Choosing a primary colour overrides navy only.
    const RgbColor chosen = MakeRgb(10, 20, 30);
    RgbColor preset = 0;
    ColorMenuPrimaryItemClick(colors, [&](RgbColor p) {
        preset = p;
        return std::optional<RgbColor>(chosen);
    });
    EXPECT_EQ(preset, kWhite);
    EXPECT_TRUE(colors.primaryOverride);
    EXPECT_EQ(colors.primaryItemCaption, "Select Default Primary Color");
    EXPECT_EQ(FileTextColor(navy, colors), chosen);
    EXPECT_EQ(FileTextColor(green, colors), kBandDarkGreen);
    // Cancel changes nothing; a second click on a checked item clears it without asking.
    ColorMenuSecondaryItemClick(colors, [](RgbColor) { return std::optional<RgbColor>(); });
    EXPECT_FALSE(colors.secondaryOverride);
    EXPECT_EQ(colors.secondaryItemCaption, "Select &Secondary Color");
    bool asked = false;
    ColorMenuPrimaryItemClick(colors, [&](RgbColor) {
        asked = true;
        return std::optional<RgbColor>(kBlack);
    });
    EXPECT_FALSE(asked);
    EXPECT_FALSE(colors.primaryOverride);
    EXPECT_EQ(colors.primaryItemCaption, "Select Primary Color");

    // Turn off: all black, select items disabled; turn on: band colours again, captions kept.
    ColorMenuPrimaryItemClick(colors, [&](RgbColor) { return std::optional<RgbColor>(chosen); });
    ColorMenuTurnOffItemClick(colors);
    EXPECT_EQ(FileTextColor(navy, colors), kBlack);
    EXPECT_EQ(FileTextColor(green, colors), kBlack);
    EXPECT_FALSE(colors.selectItemsEnabled);
    ColorMenuTurnOnItemClick(colors);
    EXPECT_EQ(FileTextColor(navy, colors), kBandNavy);
    EXPECT_EQ(FileTextColor(green, colors), kBandDarkGreen);
    EXPECT_TRUE(colors.selectItemsEnabled);
    EXPECT_EQ(colors.customPrimary, chosen);
    EXPECT_EQ(colors.primaryItemCaption, "Select Default Primary Color");

    // Removed and Blocked: red and struck through, never bold.
    TEntry removed = navy;
    removed.Status = EntryStatus::Removed;
    TEntry blocked = green;
    blocked.Status = EntryStatus::Blocked;
    EXPECT_EQ(FileTextColor(removed, colors), kRemovedRed);
    EXPECT_EQ(FileTextColor(blocked, colors), kRemovedRed);
    EXPECT_TRUE(IsStruckOut(removed));
    EXPECT_FALSE(IsBoldText(removed, true));
    EXPECT_TRUE(IsBoldText(navy, true));
    EXPECT_FALSE(IsBoldText(navy, false));
    EXPECT_FALSE(IsStruckOut(navy));
}

}  // namespace
}  // namespace qm::results
