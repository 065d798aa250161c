#include "results/Marking.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "results/PopulateResultsTree.h"
#include "results/ResultsTestSupport.h"
#include "support/TempTree.h"

namespace qm::results {
namespace {

using testing::FakeLocale;
using testing::RecordingHost;

const engine::FieldNumbers kFileFields{1, 5, 4, 3, 2};

// Sets given as lists of paths, each file of size bytes, all under one key.
ResultTree Fill(const std::vector<std::vector<std::string>>& sets, const BlockedFolderRule& blocked,
                const FakeLocale& locale, std::int64_t size = 1000) {
    std::vector<std::string> lines;
    for (std::size_t s = 0; s < sets.size(); ++s) {
        for (const std::string& path : sets[s]) {
            lines.push_back(engine::GroupText(static_cast<std::int64_t>(s + 1)) + "|" +
                            test::NativePath(path) + "|*.X|" + engine::SizeText(size) +
                            "|01/01/2020 12:00:00 PM");
        }
    }
    ResultTree tree;
    RecordingHost host;
    EXPECT_TRUE(PopulateResultsTree(tree, lines, kFileFields, host, blocked, locale));
    return tree;
}

// "+" checked, "-" unchecked, per file row in depth-first order.
std::string Checks(const ResultTree& tree) {
    std::string text;
    for (const auto& node : tree.Nodes()) {
        if (node.level >= 1)
            text += node.checked ? '+' : '-';
    }
    return text;
}

std::string Statuses(const ResultTree& tree) {
    std::string text;
    for (const auto& node : tree.Nodes()) {
        if (node.level >= 1)
            text += "NRFBM"[static_cast<int>(node.entry.Status)];
    }
    return text;
}

ResultTree::NodeId FileRow(const ResultTree& tree, std::size_t nth) {
    for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
        if (tree.IsFileRow(static_cast<ResultTree::NodeId>(i)) && nth-- == 0) {
            return static_cast<ResultTree::NodeId>(i);
        }
    }
    return ResultTree::kNoNode;
}

TEST(BlockedFolderRule, CaseAndSubFolders) {
    FakeLocale locale;
    struct Case {
        bool subFolders;
        const char* folder;
        bool blocked;
    };
    const Case cases[] = {
        {false, "C:\\Data\\", true},       {false, "C:\\DATA\\", true},
        {false, "C:\\Data\\Old\\", false}, {false, "D:\\Data\\", false},
        {true, "C:\\Data\\", true},        {true, "C:\\Data\\Old\\", true},
        {true, "C:\\DATA\\Old\\", false},  {true, "X:\\Copy\\C:\\Data\\", true},
    };
    for (const Case& c : cases) {
        const BlockedFolderRule rule({"C:\\Data\\"}, c.subFolders, locale);
        EXPECT_EQ(IsBlockedFolder(c.folder, rule), c.blocked) << c.folder << " " << c.subFolders;
    }
    EXPECT_FALSE(IsBlockedFolder(test::NativePath("/any/"), BlockedFolderRule{}));
}

TEST(CheckBlockedFiles, BlocksUnchecksAndReleases) {
    FakeLocale locale;
    ResultTree tree = Fill({{"/keep/a", "/safe/a", "/keep/b"}}, {}, locale);
    RecordingHost host;
    UnMarkAll(tree, host, locale);
    for (std::size_t i = 0; i < 3; ++i) tree.At(FileRow(tree, i)).checked = true;
    tree.At(FileRow(tree, 2)).entry.Status = EntryStatus::Removed;
    UpdateMarkedStatistics(tree, host, locale);
    ASSERT_EQ(Statuses(tree), "MMR");

    const BlockedFolderRule rule({test::NativePath("/keep/")}, false, locale);
    host.statusTexts.clear();
    host.commandUpdates = 0;
    CheckBlockedFiles(tree, rule, host);
    // Removed rows are blocked too; nothing refreshes the statistics or the commands.
    EXPECT_EQ(Statuses(tree), "BMB");
    EXPECT_EQ(Checks(tree), "-+-");
    EXPECT_EQ(host.statusTexts, (std::vector<std::string>{
                                    "Checking for files blocked from moving / deletion...", ""}));
    EXPECT_EQ(host.commandUpdates, 0);

    // The folder is free again: Blocked becomes None or Marked by the box.
    tree.At(FileRow(tree, 0)).checked = true;
    CheckBlockedFiles(tree, BlockedFolderRule{}, host);
    EXPECT_EQ(Statuses(tree), "MMN");
}

TEST(PopulateResultsTree, RunsTheBlockedFileCheck) {
    FakeLocale locale;
    const ResultTree tree =
        Fill({{"/keep/a", "/safe/a"}, {"/safe/b", "/KEEP/b"}},
             BlockedFolderRule({test::NativePath("/keep/")}, false, locale), locale);
    EXPECT_EQ(Statuses(tree), "BNNB");
}

TEST(Marking, UserClickRefusedForRemovedAndBlocked) {
    FakeLocale locale;
    ResultTree tree =
        Fill({{"/d/a.txt", "/blocked/b.txt", "/d/c.txt"}},
             BlockedFolderRule({test::NativePath("/blocked/")}, false, locale), locale);
    tree.At(FileRow(tree, 2)).entry.Status = EntryStatus::Removed;
    RecordingHost host;

    EXPECT_FALSE(SetCheckedByUser(tree, FileRow(tree, 1), true, host, locale));
    EXPECT_EQ(host.LastStatus(),
              "<B>Note:</B> b.txt <BLINK><B>can not</BLINK></B> be marked for deletion because it "
              "is in the blocked folder list.");
    // The file name travels as a literal piece, never as markup.
    EXPECT_EQ(host.literals, std::vector<std::string>{"b.txt"});
    EXPECT_FALSE(SetCheckedByUser(tree, FileRow(tree, 2), true, host, locale));
    EXPECT_EQ(host.LastStatus(), "The file has been deleted or moved already.");
    EXPECT_EQ(Checks(tree), "---");
    EXPECT_EQ(host.commandUpdates, 0);

    // An ordinary row changes; the statistics and the commands follow.
    EXPECT_TRUE(SetCheckedByUser(tree, FileRow(tree, 0), true, host, locale));
    EXPECT_EQ(Checks(tree), "+--");
    EXPECT_EQ(Statuses(tree), "MBR");
    EXPECT_TRUE(host.commandsEnabled);
    EXPECT_EQ(host.LastStatus(), "1 file(s) selected (1,000 bytes total)");
    EXPECT_TRUE(SetCheckedByUser(tree, FileRow(tree, 0), false, host, locale));
    EXPECT_FALSE(host.commandsEnabled);
    EXPECT_EQ(Statuses(tree), "NBR");

    // Root rows have no box.
    EXPECT_FALSE(SetCheckedByUser(tree, 0, true, host, locale));
}

TEST(Marking, MarkAllLeavesSetHeadsAndBlockedRows) {
    FakeLocale locale;
    const BlockedFolderRule blocked({test::NativePath("/blocked/")}, false, locale);
    ResultTree tree =
        Fill({{"/d/a", "/e/a", "/f/a"}, {"/d/b", "/e/b", "/blocked/b"}}, blocked, locale, 1500);
    RecordingHost host;
    MarkAll(tree, blocked, host, locale);
    EXPECT_EQ(Checks(tree), "-++-+-");
    EXPECT_EQ(Statuses(tree), "NMMNMB");
    EXPECT_TRUE(host.commandsEnabled);
    EXPECT_EQ(host.LastStatus(), "3 file(s) selected (4,500 bytes total)");

    // A set head the user checked stays checked; Removed rows of level 2 are checked again.
    UnMarkAll(tree, host, locale);
    tree.At(FileRow(tree, 0)).checked = true;
    tree.At(FileRow(tree, 1)).entry.Status = EntryStatus::Removed;
    MarkAll(tree, blocked, host, locale);
    EXPECT_EQ(Checks(tree), "+++-+-");
    EXPECT_EQ(Statuses(tree), "MRMNMB");
    // Checked Removed rows are still counted as selected.
    EXPECT_EQ(host.LastStatus(), "4 file(s) selected (6,000 bytes total)");

    // A rule changed since the fill applies at once: the newly blocked child is unchecked, and
    // the row blocked before is checked (its Status is not looked at).
    MarkAll(tree, BlockedFolderRule({test::NativePath("/f/")}, false, locale), host, locale);
    EXPECT_EQ(Checks(tree), "++--++");
}

TEST(Marking, UnMarkAllUnchecksEverything) {
    FakeLocale locale;
    ResultTree tree = Fill({{"/d/a", "/e/a"}, {"/d/b", "/e/b"}}, {}, locale);
    RecordingHost host;
    for (std::size_t i = 0; i < 4; ++i) tree.At(FileRow(tree, i)).checked = true;
    tree.At(FileRow(tree, 3)).entry.Status = EntryStatus::Removed;
    UnMarkAll(tree, host, locale);
    EXPECT_EQ(Checks(tree), "----");
    EXPECT_EQ(Statuses(tree), "NNNR");
    EXPECT_FALSE(host.commandsEnabled);
    EXPECT_EQ(host.LastStatus(), "0 file(s) selected (0 bytes total)");
}

TEST(Marking, ByFolder) {
    FakeLocale locale;
    ResultTree tree =
        Fill({{"/d/a", "/e/a", "/D/a"}, {"/e/b", "/d/b"}, {"/d/c", "/d/c2"}}, {}, locale);
    RecordingHost host;
    // /e/b is Failed: marking by folder only takes rows whose Status is None.
    tree.At(FileRow(tree, 3)).entry.Status = EntryStatus::Failed;
    MarkAllInDir(tree, FileRow(tree, 1), host, locale);  // folder /e/
    EXPECT_EQ(Checks(tree), "-+-----");
    // Folder equality is exact; set heads are included, so a set can be marked whole.
    MarkAllInDir(tree, FileRow(tree, 0), host, locale);  // folder /d/
    EXPECT_EQ(Checks(tree), "++--+++");
    EXPECT_EQ(host.LastStatus(), "5 file(s) selected (5,000 bytes total)");

    // Unmark by folder takes Marked and Failed rows.
    tree.At(FileRow(tree, 3)).checked = true;
    UpdateMarkedStatistics(tree, host, locale);
    tree.At(FileRow(tree, 3)).entry.Status = EntryStatus::Failed;
    UnMarkAllInDir(tree, FileRow(tree, 1), host, locale);  // folder /e/
    EXPECT_EQ(Checks(tree), "+---+++");
    // Nothing happens for a root row.
    UnMarkAllInDir(tree, 0, host, locale);
    EXPECT_EQ(Checks(tree), "+---+++");
}

TEST(Marking, DoubleExtension) {
    FakeLocale locale;
    ResultTree tree = Fill(
        {{"/d/a.b.c", "/e/a.b.c"}, {"/d/.profile", "/e/a.b"}, {"/d/x..y", "/e/q"}}, {}, locale);
    RecordingHost host;
    MarkDoubleExtension(tree, host, locale);
    EXPECT_EQ(Checks(tree), "++--+-");
    EXPECT_EQ(host.LastStatus(), "3 file(s) selected (3,000 bytes total)");
}

TEST(Marking, FailedLastsUntilTheNextRefresh) {
    FakeLocale locale;
    ResultTree tree = Fill({{"/d/a", "/e/a", "/f/a"}}, {}, locale);
    RecordingHost host;
    tree.At(FileRow(tree, 1)).checked = true;
    tree.At(FileRow(tree, 1)).entry.Status = EntryStatus::Failed;
    tree.At(FileRow(tree, 2)).entry.Status = EntryStatus::Failed;
    UpdateMarkedStatistics(tree, host, locale);
    EXPECT_EQ(Statuses(tree), "NMN");
}

}  // namespace
}  // namespace qm::results
