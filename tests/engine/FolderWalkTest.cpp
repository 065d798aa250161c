#include "engine/FolderWalk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/FaultyFileSystem.h"
#include "support/RecordingSearchHost.h"
#include "support/TempTree.h"

namespace qm::engine {
namespace {

using Lines = std::vector<std::string>;
using test::Folder;
using test::TempTree;

constexpr const char* kScanning = "<B>Scanning Folder:</B> ";
constexpr const char* kSkipping = "<B>Skipping Folder:</B> ";

class FolderWalkTest : public ::testing::Test {
protected:
    FolderWalkTest()
        : m_tree({{"A/B/C/", Folder()},
                  {"A/file.txt", test::Content("x")},
                  {"Temp/Sub/", Folder()},
                  {"Other/", Folder()}}) {
        m_criteria.searchFolders = {m_tree.Root()};
    }

    // The folders of the walk relative to the tree root ("" for the root itself).
    Lines Walk() {
        FolderList folders;
        WalkSearchFolders(m_criteria, m_host, m_fs, folders, &m_ignored, *m_locale);
        Lines relative;
        for (const std::string& folder : folders) {
            EXPECT_EQ(folder.back(), platform::kPathDelim);
            if (folder.rfind(m_tree.Root(), 0) == 0) {
                relative.push_back(test::PortablePath(folder.substr(m_tree.Root().size())));
            } else {
                relative.push_back("!" + folder);
            }
        }
        EXPECT_EQ(m_host.CounterValue(Counter::FoldersScanned),
                  static_cast<std::int64_t>(folders.size()));
        EXPECT_EQ(m_host.CounterValue(Counter::FoldersIgnored), m_ignored);
        return relative;
    }

    std::unique_ptr<platform::Locale> m_locale = platform::CreateLocale("en_US");
    TempTree m_tree;
    SearchCriteria m_criteria;
    test::RecordingSearchHost m_host;
    test::FaultyFileSystem m_fs;
    std::int64_t m_ignored = -1;
};

TEST_F(FolderWalkTest, AcceptsEveryFolderInCollationOrder) {
    EXPECT_EQ(Walk(), (Lines{"", "A/", "A/B/", "A/B/C/", "Other/", "Temp/", "Temp/Sub/"}));
    EXPECT_EQ(m_ignored, 0);
    EXPECT_FALSE(m_host.ProgressVisible());
    // Each sub folder is announced once, with the exact texts.
    std::vector<std::string> statuses;
    for (const auto& s : m_host.StatusPaths()) {
        EXPECT_EQ(s.prefix, kScanning);
        statuses.push_back(test::PortablePath(s.path.substr(m_tree.Root().size())));
    }
    std::sort(statuses.begin(), statuses.end());
    EXPECT_EQ(statuses, (Lines{"A/", "A/B/", "A/B/C/", "Other/", "Temp/", "Temp/Sub/"}));
    // Counts only grow by one: the second test of each folder adds nothing.
    const auto history = m_host.CounterHistory(Counter::FoldersScanned);
    for (std::size_t i = 0; i < history.size(); ++i) {
        EXPECT_EQ(history[i], static_cast<std::int64_t>(i));
    }
}

TEST_F(FolderWalkTest, IgnoreListWithoutSubFolders) {
    // The folder itself goes, not its sub folders. Another case of its name is the same folder
    // only where the file system folds case: here "TEMP/" is another folder, whose files must be
    // searched.
#ifdef _WIN32
    const bool caseFolds = true;
#else
    const bool caseFolds = false;
#endif
    for (const char* listed : {"Temp/", "TEMP/"}) {
        const bool ignores = std::string(listed) == "Temp/" || caseFolds;
        m_host = test::RecordingSearchHost();
        m_criteria.ignoredFolders = {m_tree.Path(listed)};
        m_criteria.ignoreSubFolders = false;
        const Lines all{"", "A/", "A/B/", "A/B/C/", "Other/", "Temp/", "Temp/Sub/"};
        const Lines withoutTemp{"", "A/", "A/B/", "A/B/C/", "Other/", "Temp/Sub/"};
        EXPECT_EQ(Walk(), ignores ? withoutTemp : all) << listed;
        EXPECT_EQ(m_ignored, ignores ? 1 : 0) << listed;
        bool skippedShown = false;
        for (const auto& s : m_host.StatusPaths()) {
            if (s.path == m_tree.Path("Temp/")) {
                EXPECT_EQ(s.prefix, ignores ? kSkipping : kScanning) << listed;
                skippedShown = skippedShown || s.prefix == kSkipping;
            }
        }
        EXPECT_EQ(skippedShown, ignores) << listed;
    }
}

TEST_F(FolderWalkTest, IgnoreListWithSubFoldersIsExact) {
    m_criteria.ignoredFolders = {m_tree.Path("Temp/"), m_tree.Path("a/")};
    m_criteria.ignoreSubFolders = true;
    // Temp/ and everything below it go; "a/" is not "A/" on this file system.
    EXPECT_EQ(Walk(), (Lines{"", "A/", "A/B/", "A/B/C/", "Other/"}));
    EXPECT_EQ(m_ignored, 2);
}

TEST_F(FolderWalkTest, ExcludedFolderMasks) {
    m_criteria.excludedFolderMasks = {test::NativePath("*/B/")};
    EXPECT_EQ(Walk(), (Lines{"", "A/", "A/B/C/", "Other/", "Temp/", "Temp/Sub/"}));
    EXPECT_EQ(m_ignored, 1);
}

TEST_F(FolderWalkTest, SearchFolderMatchedByMaskIsSkippedButWalked) {
    m_criteria.searchFolders = {m_tree.Path("Temp/")};
    m_criteria.excludedFolderMasks = {test::NativePath("*/tEMP/")};  // masks ignore case
    EXPECT_EQ(Walk(), (Lines{"Temp/Sub/"}));
    EXPECT_EQ(m_ignored, 0) << "a search folder is never counted as ignored";
}

TEST_F(FolderWalkTest, DepthLimitBelowAFolder) {
    m_criteria.depthLimit = 1;
    EXPECT_EQ(Walk(), (Lines{"", "A/", "Other/", "Temp/"}));
    EXPECT_EQ(m_ignored, 3);
    // Rejected folders are still descended into: A/B/C/ was looked at.
    bool sawC = false;
    for (const auto& s : m_host.StatusPaths()) {
        if (s.path == m_tree.Path("A/B/C/")) {
            EXPECT_EQ(s.prefix, kSkipping);
            sawC = true;
        }
    }
    EXPECT_TRUE(sawC);

    m_criteria.depthLimit = 2;
    EXPECT_EQ(Walk(), (Lines{"", "A/", "A/B/", "Other/", "Temp/", "Temp/Sub/"}));
}

TEST(FolderDepthTest, RootsCountLikeTheirSubFolders) {
    const struct {
        const char* search;
        const char* folder;
        char delim;
        int depth;
    } cases[] = {
        {"/data/", "/data/", '/', 0},
        {"/data/", "/data/A/", '/', 1},
        {"/data/", "/data/A/B/", '/', 2},
        {"/", "/", '/', 0},
        {"/", "/A/", '/', 0},  // the root quirk
        {"/", "/ab/", '/', 0},
        {"/", "/A/B/", '/', 1},
        {"/", "/A/B/C/", '/', 2},
        {"C:\\Data\\", "C:\\Data\\", '\\', 0},
        {"C:\\Data\\", "C:\\Data\\A\\", '\\', 1},
        {"C:\\Data\\", "C:\\Data\\A\\B\\", '\\', 2},
        {"C:\\", "C:\\", '\\', 0},
        {"C:\\", "C:\\A\\", '\\', 0},
        {"C:\\", "C:\\A\\B\\", '\\', 1},
        {"C:\\", "C:\\A\\B\\C\\", '\\', 2},
    };
    for (const auto& c : cases) {
        const int base = SearchFolderBase(c.search, c.delim);
        EXPECT_EQ(FolderDepth(c.folder, base, c.delim), c.depth) << c.search << " " << c.folder;
    }
}

TEST_F(FolderWalkTest, DepthLimitBelowTheRootUsesTheRootQuirk) {
    // A root cannot be filled in a test; a file system that shows a small tree below it can.
    class RootFileSystem : public platform::FileSystem {
    public:
        explicit RootFileSystem(std::string root) : m_root(std::move(root)) {}
        bool ListFolder(const std::string& folder, platform::ListDetail,
                        std::vector<platform::DirEntry>& entries) override {
            entries.clear();
            auto folderEntry = [](const char* name) {
                platform::DirEntry e;
                e.name = name;
                e.kind = platform::EntryKind::Folder;
                return e;
            };
            if (folder == m_root) {
                entries.push_back(folderEntry("A"));
            } else if (folder == m_root + test::NativePath("A/")) {
                entries.push_back(folderEntry("B"));
            } else if (folder == m_root + test::NativePath("A/B/")) {
                entries.push_back(folderEntry("C"));
            } else if (folder != m_root + test::NativePath("A/B/C/")) {
                return false;
            }
            return true;
        }
        platform::FileFacts Stat(const std::string&) override { return {}; }
        std::unique_ptr<platform::ReadableFile> OpenForRead(const std::string&) override {
            return nullptr;
        }

    private:
        std::string m_root;
    };
#ifdef _WIN32
    // A share root keeps its separator and counts like a drive root.
    const Lines roots = {"C:\\", "\\\\server\\share\\"};
#else
    const Lines roots = {"/"};
#endif
    for (const std::string& root : roots) {
        SCOPED_TRACE(root);
        RootFileSystem rootFs(root);
        m_criteria.searchFolders = {root};
        m_criteria.depthLimit = 1;
        FolderList folders;
        std::int64_t ignored = 0;
        WalkSearchFolders(m_criteria, m_host, rootFs, folders, &ignored, *m_locale);
        EXPECT_EQ(folders,
                  (Lines{root, root + test::NativePath("A/"), root + test::NativePath("A/B/")}));
        EXPECT_EQ(ignored, 1);
    }
}

TEST_F(FolderWalkTest, WithoutSubFoldersOnlySearchFoldersCount) {
    m_criteria.includeSubFolders = false;
    m_criteria.depthLimit = 1;
    m_criteria.searchFolders = {m_tree.Path("A/B/"), m_tree.Root()};
    EXPECT_EQ(Walk(), (Lines{"", "A/B/"}));
    EXPECT_TRUE(m_host.StatusPaths().empty());
}

TEST_F(FolderWalkTest, OverlappingSearchFoldersKeepEachFolderOnce) {
    m_criteria.searchFolders = {m_tree.Root(), m_tree.Path("A/")};
    EXPECT_EQ(Walk(), (Lines{"", "A/", "A/B/", "A/B/C/", "Other/", "Temp/", "Temp/Sub/"}));
}

TEST_F(FolderWalkTest, DepthIsCountedFromEachSearchFolder) {
    m_criteria.searchFolders = {m_tree.Path("A/"), m_tree.Path("Temp/")};
    m_criteria.depthLimit = 1;
    EXPECT_EQ(Walk(), (Lines{"A/", "A/B/", "Temp/", "Temp/Sub/"}));
}

TEST_F(FolderWalkTest, HiddenFolders) {
    m_tree.Add({{".hidden/inner/", Folder()}, {"A/.dot/", Folder()}});
    m_criteria.includeHidden = false;
    EXPECT_EQ(Walk(), (Lines{"", "A/", "A/B/", "A/B/C/", "Other/", "Temp/", "Temp/Sub/"}));
    EXPECT_EQ(m_ignored, 0) << "a hidden folder is not listed, so not ignored either";
    m_criteria.includeHidden = true;
    EXPECT_EQ(Walk(), (Lines{"", ".hidden/", ".hidden/inner/", "A/", "A/.dot/", "A/B/", "A/B/C/",
                             "Other/", "Temp/", "Temp/Sub/"}));
}

TEST_F(FolderWalkTest, SymbolicLinksAreNeverEntered) {
    QM_SKIP_ON_WINDOWS("symbolic links");
    m_tree.Add({{"A/loop", test::SymlinkTo("..")},
                {"A/self", test::SymlinkTo(".")},
                {"Other/toA", test::SymlinkTo("../A")},
                {"Other/abs", test::SymlinkTo(m_tree.Root())}});
    EXPECT_EQ(Walk(), (Lines{"", "A/", "A/B/", "A/B/C/", "Other/", "Temp/", "Temp/Sub/"}));
}

// A folder that cannot be listed is not searched: it counts as ignored, not as scanned, shows
// as skipped and is named to the host with the reason. So is a folder on a pseudo file system,
// which is not even listed. Either way nothing below it is walked.
TEST_F(FolderWalkTest, UnlistableAndPseudoFoldersAreSkippedAndNamed) {
    struct Case {
        const char* name;
        std::function<void(test::FaultyFileSystem&, const TempTree&)> fault;
        Skipped what;
        const char* reason;
    };
    const Case cases[] = {
        {"unlistable",
         [](test::FaultyFileSystem& fs, const TempTree& tree) { fs.FailList(tree.Path("A/")); },
         Skipped::Folder, "Permission denied"},
        {"pseudo",
         [](test::FaultyFileSystem& fs, const TempTree& tree) {
             fs.MarkPseudo(tree.Path("A/"), "proc");
         },
         Skipped::PseudoFolder, "proc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::FaultyFileSystem fs;
        test::RecordingSearchHost host;
        c.fault(fs, m_tree);
        FolderList folders;
        std::int64_t ignored = -1;
        WalkSearchFolders(m_criteria, host, fs, folders, &ignored, *m_locale);
        EXPECT_EQ(folders, (FolderList{m_tree.Root(), m_tree.Path("Other/"), m_tree.Path("Temp/"),
                                       m_tree.Path("Temp/Sub/")}));
        EXPECT_EQ(ignored, 1);
        EXPECT_EQ(host.CounterValue(Counter::FoldersIgnored), 1);
        EXPECT_EQ(host.CounterValue(Counter::FoldersScanned), 4);
        ASSERT_EQ(host.SkippedItems().size(), 1u);
        EXPECT_EQ(host.SkippedItems()[0].what, c.what);
        EXPECT_EQ(host.SkippedItems()[0].path, m_tree.Path("A/"));
        EXPECT_EQ(host.SkippedItems()[0].reason, c.reason);
        const auto& statuses = host.StatusTexts();
        EXPECT_NE(std::find(statuses.begin(), statuses.end(), kSkipping + m_tree.Path("A/")),
                  statuses.end());
        // The pseudo folder is never listed, the unlistable one once.
        const auto listed = fs.ListedFolders();
        EXPECT_EQ(std::count(listed.begin(), listed.end(), m_tree.Path("A/")), 1);
    }
}

// A search folder that cannot be listed is counted as an ignored folder, for the window; the
// host learns that it was a search folder.
TEST_F(FolderWalkTest, UnlistableSearchFolder) {
    m_fs.FailList(m_tree.Root());
    EXPECT_EQ(Walk(), Lines{});
    EXPECT_EQ(m_ignored, 1);
    ASSERT_EQ(m_host.SkippedItems().size(), 1u);
    EXPECT_EQ(m_host.SkippedItems()[0].what, Skipped::SearchFolder);
    EXPECT_EQ(m_host.SkippedItems()[0].path, m_tree.Root());
    EXPECT_EQ(m_host.SkippedItems()[0].reason, "Permission denied");
}

// proc and sysfs are recognised by their type, whatever the path that leads there.
TEST_F(FolderWalkTest, RealPseudoFileSystemsAreNotWalked) {
    QM_SKIP_ON_WINDOWS("pseudo file systems");
    m_tree.Add({{"A/self", test::SymlinkTo("/proc/self")}});
    m_criteria.searchFolders = {"/proc/self/", "/sys/fs/", m_tree.Path("A/self/")};
    EXPECT_EQ(Walk(), Lines{});
    EXPECT_EQ(m_ignored, 3);
    EXPECT_EQ(m_host.SkippedPaths(Skipped::PseudoFolder),
              (Lines{"/proc/self/", "/sys/fs/", m_tree.Path("A/self/")}));
    EXPECT_EQ(m_host.SkippedItems()[1].reason, "sysfs");
}

TEST_F(FolderWalkTest, NamesWithAnyBytes) {
    QM_SKIP_ON_WINDOWS("names that Windows does not allow");
    m_tree.Add({{"a|b/", Folder()},
                {"two  blanks /", Folder()},
                {"bad\xff\xfe/", Folder()},
                {"Case/", Folder()},
                {"case/", Folder()},
                {"CR\rLF\n/", Folder()}});
    const Lines walked = Walk();
    for (const char* name :
         {"a|b/", "two  blanks /", "bad\xff\xfe/", "Case/", "case/", "CR\rLF\n/"}) {
        EXPECT_NE(std::find(walked.begin(), walked.end(), name), walked.end()) << name;
    }
    EXPECT_EQ(walked.size(), 13u);
    // Sorted by the collation with a byte tie-break: the two spellings of case stand together.
    const auto upper = std::find(walked.begin(), walked.end(), "Case/");
    ASSERT_NE(upper + 1, walked.end());
    EXPECT_EQ(*(upper + 1), "case/");
}

TEST_F(FolderWalkTest, YieldsAtTheNamedPoints) {
    TempTree small({{"f1", test::Content("1")}, {"f2", test::Content("2")}, {"sub/", Folder()}});
    m_criteria.searchFolders = {small.Root()};
    FolderList folders;
    WalkSearchFolders(m_criteria, m_host, m_fs, folders, nullptr, *m_locale);
    // Root level start, sub folder status, sub level start, one per root entry (three).
    EXPECT_EQ(m_host.Yields(), 6);
    EXPECT_EQ(folders.size(), 2u);
}

TEST_F(FolderWalkTest, AbortStopsAtTheNextEntry) {
    m_host.AbortOnStatusPrefix(std::string(kScanning) + m_tree.Path("A/"));
    const Lines walked = Walk();
    // The abort becomes visible at the yield after A/'s status: A/ is listed (and checked again)
    // but none of its entries are taken, and no later folder is visited.
    EXPECT_NE(std::find(walked.begin(), walked.end(), ""), walked.end());
    EXPECT_NE(std::find(walked.begin(), walked.end(), "A/"), walked.end());
    EXPECT_EQ(std::find(walked.begin(), walked.end(), "A/B/"), walked.end());
    EXPECT_LT(walked.size(), 7u);
    EXPECT_EQ(m_host.StatusPaths().back().path, m_tree.Path("A/"));
}

TEST_F(FolderWalkTest, AbortBeforeTheWalkKeepsOnlyTheSearchFolder) {
    m_host.RequestAbortNow();
    EXPECT_EQ(Walk(), (Lines{""}));
    EXPECT_TRUE(m_host.StatusPaths().empty());
}

}  // namespace
}  // namespace qm::engine
