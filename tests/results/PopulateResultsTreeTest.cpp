#include "results/PopulateResultsTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "results/ResultsTestSupport.h"
#include "support/TempTree.h"

namespace qm::results {
namespace {

using testing::FakeLocale;
using testing::RecordingHost;

// The results file's layout: group|path|key|size|date. Paths are written with "/" and stored with
// the system's separator.
const engine::FieldNumbers kFileFields{1, 5, 4, 3, 2};

std::string Line(const std::string& group, const std::string& path, const std::string& key,
                 const std::string& size = "0000001000",
                 const std::string& date = "01/05/2006 03:04:06 PM") {
    return group + "|" + test::NativePath(path) + "|" + key + "|" + size + "|" + date;
}

// "KEY[head{child,child} head] KEY[...]" by file name.
std::string Shape(const ResultTree& tree) {
    std::string text;
    for (std::uint32_t r = 0; r < tree.RootCount(); ++r) {
        const ResultTree::NodeId root = tree.Root(r);
        if (!text.empty())
            text += ' ';
        text += tree.At(root).entry.Key + "[";
        for (std::uint32_t s = 0; s < tree.At(root).childCount; ++s) {
            const ResultTree::NodeId head = tree.Child(root, s);
            if (s > 0)
                text += ' ';
            text += tree.At(head).entry.FileName;
            if (tree.At(head).childCount > 0) {
                text += '{';
                for (std::uint32_t c = 0; c < tree.At(head).childCount; ++c) {
                    if (c > 0)
                        text += ',';
                    text += tree.At(tree.Child(head, c)).entry.FileName;
                }
                text += '}';
            }
        }
        text += ']';
    }
    return text;
}

struct ShapeCase {
    const char* name;
    std::vector<std::string> lines;
    const char* shape;
};

class FillShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(FillShapeTest, BuildsRootsSetsAndChildren) {
    const ShapeCase& c = GetParam();
    FakeLocale locale;
    RecordingHost host;
    ResultTree tree;
    ASSERT_TRUE(PopulateResultsTree(tree, c.lines, kFileFields, host, {}, locale));
    EXPECT_EQ(Shape(tree), c.shape);
    // The counting pass agrees with the tree it did not build.
    const ResultStatistics counted = CountResultStatistics(c.lines, kFileFields);
    const ResultStatistics fromTree = CountResultStatistics(tree);
    EXPECT_EQ(counted.listedFiles, fromTree.listedFiles);
    EXPECT_EQ(counted.listedBytes, fromTree.listedBytes);
    EXPECT_EQ(counted.duplicatedFiles, fromTree.duplicatedFiles);
    EXPECT_EQ(counted.duplicatedBytes, fromTree.duplicatedBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FillShapeTest,
    ::testing::Values(
        ShapeCase{"TwoSetsUnderOneKey",
                  {Line("000001", "/d/a.txt", "*.TXT"), Line("000001", "/e/b.txt", "*.TXT"),
                   Line("000002", "/d/c.txt", "*.TXT"), Line("000002", "/e/d.txt", "*.TXT")},
                  "*.TXT[a.txt{b.txt} c.txt{d.txt}]"},
        ShapeCase{"OneRootPerKeyRun",
                  {Line("000001", "/d/a.doc", "*.DOC"), Line("000001", "/e/a.doc", "*.DOC"),
                   Line("000002", "/d/p.jpg", "*.JPG"), Line("000002", "/e/p.jpg", "*.JPG"),
                   Line("000002", "/f/p.jpg", "*.JPG")},
                  "*.DOC[a.doc{a.doc}] *.JPG[p.jpg{p.jpg,p.jpg}]"},
        // A set is never split: the .jpg file joins the .jpeg set; its own root stays empty.
        ShapeCase{"SetContinuesAcrossKeyChange",
                  {Line("000001", "/d/x.jpeg", "*.JPEG"), Line("000001", "/d/y.jpg", "*.JPG")},
                  "*.JPEG[x.jpeg{y.jpg}]"},
        // After a skipped line the next one still compares against it: its group counts as 0.
        ShapeCase{"InvalidGroupSkippedButStillPrevious",
                  {Line("000001", "/d/a.txt", "*.TXT"), Line("000001", "/d/b.txt", "*.TXT"),
                   Line("abc", "/d/c.txt", "*.TXT"), Line("000001", "/d/d.txt", "*.TXT"),
                   Line("000001", "/d/e.txt", "*.TXT")},
                  "*.TXT[a.txt{b.txt} d.txt{e.txt}]"},
        ShapeCase{"MinusOneGroupSkipped",
                  {Line("000003", "/d/a.txt", "*.TXT"), Line("-1", "/d/b.txt", "*.TXT"),
                   Line("000003", "/d/c.txt", "*.TXT")},
                  "*.TXT[a.txt c.txt]"},
        // The skipped line's key is the previous key too: no new root for the next line.
        ShapeCase{"SkippedLineKeyIsPreviousKey",
                  {Line("000001", "/d/a.a", "*.A"), Line("", "/d/b.b", "*.B"),
                   Line("000002", "/d/c.b", "*.B"), Line("000002", "/d/d.b", "*.B")},
                  "*.A[a.a c.b{d.b}]"},
        ShapeCase{"EmptyKeyRootRemovedWithItsFiles",
                  {Line("000001", "/d/a", ""), Line("000001", "/e/a", ""),
                   Line("000002", "/d/c.x", "*.X"), Line("000002", "/e/c.x", "*.X")},
                  "*.X[c.x{c.x}]"},
        ShapeCase{"KeyFieldBeyondLineEndIsEmpty", {"000001|/d/a.txt", "000001|/e/a.txt"}, ""},
        // "Size Only" with a.doc, b.txt, c.doc: the engine lists each file once per set.
        ShapeCase{"SizeOnlyAcrossExtensions",
                  {Line("000001", "/d/b.txt", "*.DOC"), Line("000001", "/d/c.doc", "*.DOC"),
                   Line("000001", "/d/a.doc", "*.TXT")},
                  "*.DOC[b.txt{c.doc,a.doc}]"},
        // A list that still names b.txt twice in the set (an old or edited results file).
        ShapeCase{"FileStandsOnceInASet",
                  {Line("000001", "/d/b.txt", "*.DOC"), Line("000001", "/d/c.doc", "*.DOC"),
                   Line("000001", "/d/a.doc", "*.TXT"), Line("000001", "/d/b.txt", "*.TXT")},
                  "*.DOC[b.txt{c.doc,a.doc}]"},
        // The same path in two different sets is two rows.
        ShapeCase{"SamePathInTwoSets",
                  {Line("000001", "/d/a.txt", "*.TXT"), Line("000001", "/e/a.txt", "*.TXT"),
                   Line("000002", "/d/a.txt", "*.TXT"), Line("000002", "/f/a.txt", "*.TXT")},
                  "*.TXT[a.txt{a.txt} a.txt{a.txt}]"},
        ShapeCase{"FirstLineKeyedBlankStillGetsARoot",
                  {Line("000001", "/d/a", "BLANK"), Line("000001", "/e/a", "BLANK")},
                  "BLANK[a{a}]"}),
    [](const ::testing::TestParamInfo<ShapeCase>& p) { return p.param.name; });

TEST(PopulateResultsTree, RecordsOfRootAndFileRows) {
    FakeLocale locale;
    RecordingHost host;
    ResultTree tree;
    const std::vector<std::string> lines = {
        Line("000012", "/data/photos/a.jpg", "*.JPG", "0000012345", "01/05/2006 03:04:06 PM"),
        Line("000012", "/data/b.jpg", "*.JPG", "0000012345", "02/06/2007 11:00:00 AM")};
    ASSERT_TRUE(PopulateResultsTree(tree, lines, kFileFields, host, {}, locale));
    ASSERT_EQ(tree.NodeCount(), 3u);

    const TEntry& root = tree.At(0).entry;
    EXPECT_EQ(tree.At(0).level, 0);
    EXPECT_EQ(root.Key, "*.JPG");
    EXPECT_EQ(root.GroupText, "ROOT-EXTENSION");
    EXPECT_EQ(root.FileName, "");
    EXPECT_EQ(root.Size, 0);

    const TEntry& head = tree.At(1).entry;
    EXPECT_EQ(tree.At(1).level, 1);
    EXPECT_EQ(head.GroupText, "000012");
    EXPECT_EQ(head.FileName, "a.jpg");
    EXPECT_EQ(head.Folder, test::NativePath("/data/photos/"));
    EXPECT_EQ(head.FullPath(), test::NativePath("/data/photos/a.jpg"));
    EXPECT_EQ(head.Key, "*.JPG");
    EXPECT_EQ(head.Size, 12345);
    EXPECT_EQ(head.Modified, "01/05/2006 03:04:06 PM");
    EXPECT_TRUE(head.FirstOfSet);
    EXPECT_EQ(head.Status, EntryStatus::None);

    const TEntry& child = tree.At(2).entry;
    EXPECT_EQ(tree.At(2).level, 2);
    EXPECT_EQ(tree.At(2).parent, 1u);
    EXPECT_FALSE(child.FirstOfSet);
    EXPECT_EQ(child.BandColor, head.BandColor);
    EXPECT_EQ(child.Modified, "02/06/2007 11:00:00 AM");
}

TEST(PopulateResultsTree, SizeField) {
    struct Case {
        const char* text;
        std::int64_t size;
    };
    // Sizes are 64-bit: a file over 4 GiB keeps its size.
    const Case cases[] = {{"0000012345", 12345},
                          {"-0000000123", -123},
                          {"6000000000", 6000000000},
                          {"12a4", 0},
                          {"", 0},
                          {"99999999999999999999", 0}};
    for (const Case& c : cases) {
        FakeLocale locale;
        RecordingHost host;
        ResultTree tree;
        const std::vector<std::string> lines = {Line("000001", "/d/a.x", "*.X", c.text),
                                                Line("000001", "/e/a.x", "*.X", c.text)};
        ASSERT_TRUE(PopulateResultsTree(tree, lines, kFileFields, host, {}, locale));
        EXPECT_EQ(tree.At(1).entry.Size, c.size) << c.text;
    }
}

TEST(PopulateResultsTree, BandToggleAlternatesAndCarriesOverBetweenFills) {
    FakeLocale locale;
    RecordingHost host;
    ResultTree tree;  // as the window starts: navy
    const std::vector<std::string> threeSets = {
        Line("000001", "/d/a", "*.X"), Line("000001", "/e/a", "*.X"),
        Line("000002", "/d/b", "*.X"), Line("000002", "/e/b", "*.X"),
        Line("000003", "/d/c", "*.X"), Line("000003", "/e/c", "*.X")};
    ASSERT_TRUE(PopulateResultsTree(tree, threeSets, kFileFields, host, {}, locale));
    EXPECT_EQ(tree.At(1).entry.BandColor, kBandDarkGreen);
    EXPECT_EQ(tree.At(2).entry.BandColor, kBandDarkGreen);
    EXPECT_EQ(tree.At(3).entry.BandColor, kBandNavy);
    EXPECT_EQ(tree.At(5).entry.BandColor, kBandDarkGreen);
    EXPECT_EQ(tree.BandToggle(), kBandDarkGreen);

    // Three sets left the toggle at dark green: the next fill starts with navy.
    ASSERT_TRUE(PopulateResultsTree(tree, threeSets, kFileFields, host, {}, locale));
    EXPECT_EQ(tree.At(1).entry.BandColor, kBandNavy);

    // Clearing the tree (a new search) keeps the toggle too.
    tree.Clear();
    EXPECT_EQ(tree.BandToggle(), kBandNavy);
}

TEST(PopulateResultsTree, EmptyListOrAbortLeavesTreeAndStatusAlone) {
    FakeLocale locale;
    RecordingHost host;
    ResultTree tree;
    const std::vector<std::string> lines = {Line("000001", "/d/a", "*.X"),
                                            Line("000001", "/e/a", "*.X")};
    ASSERT_TRUE(PopulateResultsTree(tree, lines, kFileFields, host, {}, locale));
    const RgbColor band = tree.BandToggle();

    RecordingHost quiet;
    EXPECT_FALSE(
        PopulateResultsTree(tree, std::vector<std::string>{}, kFileFields, quiet, {}, locale));
    quiet.abort = true;
    const std::vector<std::string> other = {Line("000001", "/d/z", "*.Z"),
                                            Line("000001", "/e/z", "*.Z")};
    EXPECT_FALSE(PopulateResultsTree(tree, other, kFileFields, quiet, {}, locale));
    EXPECT_EQ(Shape(tree), "*.X[a{a}]");
    EXPECT_EQ(tree.BandToggle(), band);
    EXPECT_TRUE(quiet.statusTexts.empty());
}

TEST(PopulateResultsTree, StatusTextsProgressAndYields) {
    FakeLocale locale;
    RecordingHost host;
    ResultTree tree;
    std::vector<std::string> lines;
    for (int i = 0; i < 600; ++i) {
        lines.push_back(
            Line(i < 300 ? "000001" : "000002", "/d/" + std::to_string(i) + ".x", "*.X"));
    }
    ASSERT_TRUE(PopulateResultsTree(tree, lines, kFileFields, host, {}, locale));
    const std::vector<std::string> expected = {
        "Preparing search results for display.",
        "Calculating file statistics (should be just a few "
        "seconds).",
        "Checking for files blocked from moving / deletion...",
        "",
        "Updating the statistics of marked/unmarked files.",
        "0 file(s) selected (0 bytes total)",
        "Duplicate file search complete."};
    EXPECT_EQ(host.statusTexts, expected);
    EXPECT_FALSE(host.commandsEnabled);
    EXPECT_EQ(host.commandUpdates, 1);
    EXPECT_FALSE(host.progressVisible);
    ASSERT_FALSE(host.progress.empty());
    EXPECT_EQ(host.progress.back(), 0);
    EXPECT_EQ(*std::max_element(host.progress.begin(), host.progress.end()), 99);
    EXPECT_GT(host.yields, 3);  // lines 0, 250 and 500, besides the steps' own
}

// Each method's DuplicateList line, read with that method's field numbers, gives the same rows as
// the structured list.
TEST(PopulateResultsTree, EveryMethodsFieldNumbers) {
    FakeLocale locale;
    engine::DuplicateList list;
    const char* paths[] = {"/d/a.txt", "/e/a.txt", "/d/b.doc", "/e/b.doc"};
    for (int i = 0; i < 4; ++i) {
        engine::DuplicateEntry e;
        e.group = i < 2 ? 1 : 2;
        e.extensionKey = engine::ExtensionKey(paths[i]);
        e.nameKey = engine::NameKey(paths[i]);
        e.size = 1000 + i;
        e.checksum = 0xABCDu;
        e.path = test::NativePath(paths[i]);
        e.lastWrite = platform::ToFileTime(platform::LocalDateTime{2006, 1, 5, 15, 4, 6});
        list.push_back(e);
    }
    RecordingHost host;
    ResultTree fromList;
    ASSERT_TRUE(PopulateResultsTree(fromList, list, host, {}, locale));
    ASSERT_EQ(Shape(fromList), "*.TXT[a.txt{a.txt}] *.DOC[b.doc{b.doc}]");
    EXPECT_EQ(fromList.At(1).entry.Modified, "01/05/2006 03:04:06 PM");
    EXPECT_EQ(fromList.At(1).entry.GroupText, "000001");

    for (const engine::Method method :
         {engine::Method::ContentsOnly, engine::Method::SizeOnly, engine::Method::NameOnly,
          engine::Method::NameAndSize, engine::Method::ContentsAndName}) {
        std::vector<std::string> lines;
        for (const auto& e : list) lines.push_back(engine::DuplicateLineText(e, method, locale));
        ResultTree fromLines;
        ASSERT_TRUE(PopulateResultsTree(fromLines, lines, engine::FieldNumbersOf(method), host, {},
                                        locale));
        ASSERT_EQ(fromLines.NodeCount(), fromList.NodeCount()) << engine::MethodName(method);
        for (std::size_t i = 0; i < fromList.NodeCount(); ++i) {
            const TEntry& a = fromLines.At(static_cast<ResultTree::NodeId>(i)).entry;
            const TEntry& b = fromList.At(static_cast<ResultTree::NodeId>(i)).entry;
            EXPECT_EQ(a.Key, b.Key) << engine::MethodName(method);
            EXPECT_EQ(a.GroupText, b.GroupText) << engine::MethodName(method);
            EXPECT_EQ(a.FileName, b.FileName) << engine::MethodName(method);
            EXPECT_EQ(a.Folder, b.Folder) << engine::MethodName(method);
            EXPECT_EQ(a.Size, b.Size) << engine::MethodName(method);
            EXPECT_EQ(a.Modified, b.Modified) << engine::MethodName(method);
        }
    }
}

TEST(PopulateResultsTree, StructuredListKeepsBarInPath) {
    FakeLocale locale;
    engine::DuplicateList list(2);
    list[0].group = list[1].group = 1;
    list[0].extensionKey = list[1].extensionKey = "*.TXT";
    list[0].path = test::NativePath("/d/a|b.txt");
    list[1].path = test::NativePath("/e/a|b.txt");
    RecordingHost host;
    ResultTree tree;
    ASSERT_TRUE(PopulateResultsTree(tree, list, host, {}, locale));
    EXPECT_EQ(tree.At(1).entry.FileName, "a|b.txt");
    EXPECT_EQ(CountResultStatistics(list).listedFiles, 2);
}

}  // namespace
}  // namespace qm::results
