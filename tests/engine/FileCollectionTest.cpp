#include "engine/FileCollection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/FolderWalk.h"
#include "platform/FileDate.h"
#include "support/FaultyFileSystem.h"
#include "support/RecordingSearchHost.h"
#include "support/TempTree.h"

namespace qm::engine {
namespace {

using Lines = std::vector<std::string>;
using test::Content;
using test::Folder;
using test::TempTree;

class FileCollectionTest : public ::testing::Test {
protected:
    void SetUp() override { m_criteria.fileMaskText = "*.*"; }

    // Collects the given folders of tree (relative, "" for the root) and returns the collected
    // paths relative to the root, in list order.
    Lines Collect(const TempTree& tree, const Lines& relativeFolders = {""}) {
        FolderList folders;
        for (const std::string& f : relativeFolders) folders.push_back(tree.Path(f));
        m_list.clear();
        CollectFiles(folders, m_criteria, m_host, m_fs, *m_locale, m_list, &m_ignored);
        Lines paths;
        for (const ScanEntry& e : m_list) {
            paths.push_back(test::PortablePath(e.Path().substr(tree.Root().size())));
        }
        EXPECT_EQ(m_host.CounterValue(Counter::FilesIgnored), m_ignored);
        if (!m_list.empty()) {
            EXPECT_EQ(m_host.CounterValue(Counter::FilesScanned),
                      static_cast<std::int64_t>(m_list.size()));
        }
        return paths;
    }

    static Lines Sorted(Lines lines) {
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    std::unique_ptr<platform::Locale> m_locale = platform::CreateLocale("en_US");
    SearchCriteria m_criteria;
    test::RecordingSearchHost m_host;
    test::FaultyFileSystem m_fs;
    ScanList m_list;
    std::int64_t m_ignored = -1;
};

TEST(ListingPatternTest, Table) {
    const struct {
        const char* name;
        const char* mask;
        bool match;
    } cases[] = {
        {"a.txt", "*.*", true},
        {"README", "*.*", true},
        {".bashrc", "*.*", true},
        {"README", "*", true},
        {"a.txt", "*.txt", true},
        {"a.TXT", "*.txt", true},
        {"a.b.txt", "*.txt", true},
        {"a.txt", "*.doc", false},
        {"README", "*.txt", false},
        {"abc", "a*.*", true},
        {"abc", "b*.*", false},
        {"x", "x.*", true},
        {"x.y", "x.*", true},
        {"xy", "x.*", false},
        {"README", "*.", true},
        {"a.txt", "*.", false},
        {"index.htm", "index*.htm*", true},
        {"index2.html", "index*.htm*", true},
        {"a?c", "a?c", true},
        {"abc", "a?c", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchesListingPattern(c.name, c.mask), c.match) << c.name << " vs " << c.mask;
    }
}

TEST_F(FileCollectionTest, MasksAndOverlaps) {
    TempTree tree({{"page.html", Content("1")},
                   {"page.htm", Content("22")},
                   {"notes.txt", Content("333")},
                   {"README", Content("4444")}});
    m_criteria.fileMaskText = "*.html, *.ht*";
    // page.html matches both masks: it is handled once per mask and stands twice.
    EXPECT_EQ(Collect(tree), (Lines{"page.html", "page.html", "page.htm"}));
    EXPECT_EQ(m_host.CounterValue(Counter::FilesScanned), 3);
    EXPECT_EQ(m_ignored, 0);

    m_criteria.fileMaskText = "*.*";
    EXPECT_EQ(Sorted(Collect(tree)), (Lines{"README", "notes.txt", "page.htm", "page.html"}));

    m_criteria.fileMaskText = "*.TXT";
    EXPECT_EQ(Collect(tree), (Lines{"notes.txt"}));

    m_criteria.fileMaskText = "[None Selected]";
    EXPECT_EQ(Collect(tree), Lines{});
}

TEST_F(FileCollectionTest, EntriesCarrySizeDateAndId) {
    const platform::LocalDateTime when{2006, 1, 5, 15, 4, 6};
    TempTree tree({{"a.jpg", Content("12345").WithMTimeLocal(when)}});
    ASSERT_EQ(Collect(tree), (Lines{"a.jpg"}));
    const ScanEntry& e = m_list.front();
    EXPECT_EQ(e.size, 5);
    EXPECT_EQ(e.Path(), tree.Path("a.jpg"));
    EXPECT_EQ(platform::LocalFileDate(e.lastWrite), when);
    const platform::FileFacts facts = platform::SystemFileSystem().Stat(e.Path());
    EXPECT_EQ(e.id, facts.id);
    // Status and progress, as the user sees them.
    ASSERT_FALSE(m_host.StatusPaths().empty());
    EXPECT_EQ(m_host.StatusPaths().back().prefix, "<B>Scanning File:</B> ");
    EXPECT_EQ(m_host.StatusPaths().back().path, tree.Path("a.jpg"));
    EXPECT_EQ(m_host.ProgressVisibility(), (std::vector<bool>{true}));
    EXPECT_EQ(m_host.ProgressDecorationHistory(), (std::vector<bool>{true, false}));
    EXPECT_EQ(m_host.ProgressHistory(), (std::vector<int>{0, 0, 0}));
}

TEST_F(FileCollectionTest, ProgressPerFolderAndYield) {
    TempTree tree({{"a/", Folder()}, {"b/", Folder()}, {"c/", Folder()}, {"d/", Folder()}});
    Collect(tree, {"a/", "b/", "c/", "d/"});
    EXPECT_EQ(m_host.ProgressHistory(), (std::vector<int>{0, 0, 25, 50, 75, 0}));
    EXPECT_EQ(m_host.Yields(), 5);  // one per folder and one at the end
}

TEST_F(FileCollectionTest, OnlyRegularFiles) {
    QM_SKIP_ON_WINDOWS("symbolic links and FIFOs");
    TempTree tree({{"real.txt", Content("r")},
                   {"link.txt", test::SymlinkTo("real.txt")},
                   {"dangling.txt", test::SymlinkTo("nowhere.txt")},
                   {"pipe.txt", test::Fifo()},
                   {"sub.txt/", Folder()},
                   {"hard.txt", test::HardLinkTo("real.txt")}});
    EXPECT_EQ(Sorted(Collect(tree)), (Lines{"hard.txt", "real.txt"}));
    EXPECT_EQ(m_ignored, 0);
}

TEST_F(FileCollectionTest, HiddenFiles) {
    TempTree tree({{".hidden.txt", Content("h")}, {"shown.txt", Content("s")}});
    m_criteria.includeHidden = false;
    EXPECT_EQ(Collect(tree), (Lines{"shown.txt"}));
    EXPECT_EQ(m_ignored, 0) << "a hidden file is not listed, so not ignored";
    m_criteria.includeHidden = true;
    EXPECT_EQ(Sorted(Collect(tree)), (Lines{".hidden.txt", "shown.txt"}));
}

TEST_F(FileCollectionTest, SizeLimitsInEveryUnit) {
    TempTree tree({{"b9", test::Zeros(9)},
                   {"b10", test::Zeros(10)},
                   {"k1023", test::Zeros(1023)},
                   {"k1024", test::Zeros(1024)},
                   {"m1023999", test::Sparse(1023999)},
                   {"m1024000", test::Sparse(1024000)},
                   {"huge", test::Sparse(4294967306LL)}});  // 4 GiB + 10 bytes
    const struct {
        int unit;
        const char* min;
        const char* max;
        Lines kept;
        std::int64_t ignored;
    } cases[] = {
        {0, "10", "0", {"b10", "k1023", "k1024", "m1023999", "m1024000", "huge"}, 1},
        {0, "0", "10", {"b9", "b10"}, 5},
        {1, "1", "0", {"k1024", "m1023999", "m1024000", "huge"}, 3},
        {1, "0", "1", {"b9", "b10", "k1023", "k1024"}, 3},
        {2, "1", "0", {"m1024000", "huge"}, 5},
        {2, "0", "1", {"b9", "b10", "k1023", "k1024", "m1023999", "m1024000"}, 1},
        {2, "3000", "0", {"huge"}, 6},  // a 64-bit limit and a 64-bit size
        {2, "0", "3000", {"b9", "b10", "k1023", "k1024", "m1023999", "m1024000"}, 1},
        {7, "10", "1023", {"b10", "k1023"}, 5},  // any other unit index: bytes
        {1, "abc", "-5", {"b9", "b10", "k1023", "k1024", "m1023999", "m1024000", "huge"}, 0},
        {0, "100", "10", {}, 7},  // minimum above maximum: all ignored
    };
    for (const auto& c : cases) {
        m_criteria.sizeUnitIndex = c.unit;
        m_criteria.minSizeText = c.min;
        m_criteria.maxSizeText = c.max;
        EXPECT_EQ(Sorted(Collect(tree)), Sorted(c.kept))
            << "unit " << c.unit << " min " << c.min << " max " << c.max;
        EXPECT_EQ(m_ignored, c.ignored) << "unit " << c.unit << " min " << c.min;
    }
    m_criteria.minSizeText = "0";
    m_criteria.maxSizeText = "0";
    Collect(tree);
    ASSERT_FALSE(m_list.empty());
    EXPECT_EQ(m_list.back().size, 4294967306LL) << "sorted by size, the largest last";
}

TEST_F(FileCollectionTest, DateWindowOnModifiedAndAccessed) {
    const platform::LocalDateTime early{2001, 3, 4, 10, 0, 0};
    const platform::LocalDateTime mid{2001, 3, 4, 12, 30, 20};
    const platform::LocalDateTime late{2001, 3, 4, 15, 0, 0};
    const platform::LocalDateTime old{1975, 6, 1, 8, 0, 0};
    TempTree tree({{"early", Content("e").WithMTimeLocal(early).WithATimeLocal(late)},
                   {"mid", Content("m").WithMTimeLocal(mid).WithATimeLocal(mid)},
                   {"late", Content("l").WithMTimeLocal(late).WithATimeLocal(early)},
                   {"old", Content("o").WithMTimeLocal(old).WithATimeLocal(old)}});
    m_criteria.dateRange.enabled = true;
    const struct {
        DateKind kind;
        platform::LocalDateTime from;
        platform::LocalDateTime to;
        Lines kept;
    } cases[] = {
        {DateKind::Modified, early, mid, {"early", "mid"}},  // both bounds included
        {DateKind::Modified, mid, late, {"late", "mid"}},
        {DateKind::Modified, {2001, 3, 4, 12, 30, 21}, late, {"late"}},
        {DateKind::Accessed, early, mid, {"late", "mid"}},
        {DateKind::Accessed, mid, late, {"early", "mid"}},
        {DateKind::Modified, {1970, 1, 1, 0, 0, 0}, {1979, 12, 31, 23, 59, 59}, {"old"}},
        {DateKind::Accessed, {1975, 6, 1, 8, 0, 0}, {1975, 6, 1, 8, 0, 0}, {"old"}},
    };
    for (const auto& c : cases) {
        m_criteria.dateRange.kind = c.kind;
        m_criteria.dateRange.from = c.from;
        m_criteria.dateRange.to = c.to;
        EXPECT_EQ(Sorted(Collect(tree)), c.kept) << static_cast<int>(c.kind);
        EXPECT_EQ(m_ignored, static_cast<std::int64_t>(4 - c.kept.size()));
    }
    // The Date field is the last-write time, whatever the window looks at.
    m_criteria.dateRange.kind = DateKind::Accessed;
    m_criteria.dateRange.from = early;
    m_criteria.dateRange.to = early;
    ASSERT_EQ(Collect(tree), (Lines{"late"}));
    EXPECT_EQ(platform::LocalFileDate(m_list.front().lastWrite), late);
}

TEST_F(FileCollectionTest, DateWindowOnCreation) {
    // The birth time is the moment the tree is made; it cannot be set.
    QM_SKIP_UNDER_WINE("Wine reports no birth time");
    const platform::LocalDateTime before = platform::LocalNow();
    TempTree tree({{"new.txt", Content("n").WithMTimeLocal({1999, 1, 1, 0, 0, 0})}});
    platform::LocalDateTime after = platform::LocalNow();
    after.minute += 1;  // stays ordered after "now" even at a minute's end
    m_criteria.dateRange.enabled = true;
    m_criteria.dateRange.kind = DateKind::Created;
    platform::LocalDateTime from = before;
    from.minute -= 1;
    m_criteria.dateRange.from = from;
    m_criteria.dateRange.to = after;
    EXPECT_EQ(Collect(tree), (Lines{"new.txt"}));
    m_criteria.dateRange.from = {1999, 1, 1, 0, 0, 0};
    m_criteria.dateRange.to = {1999, 1, 1, 0, 0, 0};
    EXPECT_EQ(Collect(tree), Lines{}) << "creation, not modification, is tested";
    EXPECT_EQ(m_ignored, 1);
}

TEST_F(FileCollectionTest, ExcludedFileMasksTestTheNameOnly) {
    TempTree tree({{"logs/app.log", Content("1")},
                   {"logs/app.2024.log", Content("22")},
                   {"logs/keep.txt", Content("333")}});
    m_criteria.excludedFileMasks = {"*.LOG", "*logs*"};
    EXPECT_EQ(Collect(tree, {"logs/"}), (Lines{"logs/keep.txt"}));
    EXPECT_EQ(m_ignored, 2);
}

TEST_F(FileCollectionTest, UnreadableFolderIsSkipped) {
    TempTree tree({{"a/x", Content("1")}, {"b/y", Content("22")}});
    m_fs.FailList(tree.Path("a/"));
    m_criteria.fileMaskText = "*.*, *";
    EXPECT_EQ(Collect(tree, {"a/", "b/"}), (Lines{"b/y", "b/y"}));
    // Named once, although two masks would have listed it.
    ASSERT_EQ(m_host.SkippedItems().size(), 1u);
    EXPECT_EQ(m_host.SkippedItems()[0].what, Skipped::Folder);
    EXPECT_EQ(m_host.SkippedItems()[0].path, tree.Path("a/"));
    EXPECT_EQ(m_host.SkippedItems()[0].reason, "Permission denied");
}

TEST_F(FileCollectionTest, NamesWithAnyBytes) {
    QM_SKIP_ON_WINDOWS("names that Windows does not allow");
    const Lines names = {"a|b.txt",         "two  blanks .txt", " lead",
                         "bad\xff\xfe.bin", "CR\rLF\n",         "\xc3\xa9t\xc3\xa9.txt"};
    TempTree tree;
    for (const std::string& name : names) tree.Add(test::TreeEntry{name, Content(name)});
    EXPECT_EQ(Sorted(Collect(tree)), Sorted(names));
    for (const ScanEntry& e : m_list) {
        EXPECT_EQ(e.size, static_cast<std::int64_t>(e.Path().size() - tree.Root().size()));
    }
}

TEST_F(FileCollectionTest, AbortStopsAfterTheCurrentFolder) {
    TempTree tree({{"a/1", Content("1")}, {"a/2", Content("22")}, {"b/3", Content("333")}});
    m_criteria.fileMaskText = "*.*, *";
    m_host.AbortOnStatusPrefix("<B>Scanning File:</B> " + tree.Path("a/"));
    // The request is seen only when the collection lets events run, after folder a/; every
    // mask of a/ has been handled by then.
    EXPECT_EQ(Sorted(Collect(tree, {"a/", "b/"})), (Lines{"a/1", "a/1", "a/2", "a/2"}));
    EXPECT_EQ(m_host.ProgressHistory().back(), 0);
    EXPECT_EQ(m_host.ProgressDecorations(), false);
}

TEST_F(FileCollectionTest, AbortBeforeTheFirstMask) {
    TempTree tree({{"a/1", Content("1")}});
    m_host.RequestAbortNow();
    EXPECT_EQ(Collect(tree, {"a/"}), Lines{});
    EXPECT_TRUE(m_fs.ListedFolders().empty()) << "no folder is listed after an abort";
}

TEST_F(FileCollectionTest, AbortBetweenMasks) {
    TempTree tree({{"a/1.txt", Content("1")}, {"a/2.doc", Content("22")}});
    m_criteria.fileMaskText = "*.doc, *.txt";
    // A request that is already visible when the first file is added stops before the next mask.
    class AbortAfterFirstFile : public test::RecordingSearchHost {
    public:
        bool AbortRequested() const override { return CounterValue(Counter::FilesScanned) >= 1; }
    } host;
    FolderList folders = {tree.Path("a/")};
    ScanList list;
    CollectFiles(folders, m_criteria, host, m_fs, *m_locale, list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.front().Path(), tree.Path("a/2.doc"));
}

TEST_F(FileCollectionTest, WalkThenCollect) {
    QM_SKIP_ON_WINDOWS("symbolic links");
    TempTree tree({{"x/a.txt", Content("same")},
                   {"x/y/b.txt", Content("same")},
                   {"x/loop", test::SymlinkTo("..")},
                   {"x/.h/c.txt", Content("c")}});
    m_criteria.searchFolders = {tree.Path("x/")};
    m_criteria.includeHidden = false;
    FolderList folders;
    WalkSearchFolders(m_criteria, m_host, m_fs, folders, nullptr, *m_locale);
    CollectFiles(folders, m_criteria, m_host, m_fs, *m_locale, m_list, &m_ignored);
    ASSERT_EQ(m_list.size(), 2u);
    EXPECT_EQ(m_list[0].Path(), tree.Path("x/a.txt"));
    EXPECT_EQ(m_list[1].Path(), tree.Path("x/y/b.txt"));
}

TEST(SortScanListTest, SizeThenPathCollationThenDateThenBytes) {
    const auto locale = platform::CreateLocale("en_US");
    ScanList list;
    list.Add(10000000000LL, "/d/big", 0);  // eleven digits: still after every smaller size
    list.Add(9999999999LL, "/d/nine", 0);
    list.Add(5, "/d/b", 0);
    list.Add(5, "/d/B", 0);
    list.Add(5, "/d/a", 7);
    list.Add(5, "/d/a", 3);
    list.Add(5, "/d/A", 3);
    list.Add(5, "/d/a", 3);  // the same file through a second mask stays
    list.Add(0, "/d/z", 0);
    SortScanList(list, *locale);
    Lines paths;
    std::vector<platform::FileTime> times;
    for (const ScanEntry& e : list) {
        paths.push_back(e.Path());
        times.push_back(e.lastWrite);
    }
    EXPECT_EQ(paths,
              (Lines{"/d/z", "/d/A", "/d/a", "/d/a", "/d/a", "/d/B", "/d/b", "/d/nine", "/d/big"}));
    // Among equal paths of equal size, the older entry first; "/d/A" and "/d/a" collate equal,
    // so the date decides before the bytes.
    EXPECT_EQ(times[1], 3);
    EXPECT_EQ(times[2], 3);
    EXPECT_EQ(times[3], 3);
    EXPECT_EQ(times[4], 7);
}

}  // namespace
}  // namespace qm::engine
