// The walk and the collection list folders ahead on worker threads, and the walk keeps each
// folder's files for the collection. Whatever the threads do, the lists, the counters and every
// step the user sees must be those of one thread listing each folder twice, as it is reached.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/FileCollection.h"
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
using test::Seconds;
using test::TempTree;

// One thread, each folder listed when it is reached.
const ListingOptions kSequential{1, std::numeric_limits<std::size_t>::max()};
// Three workers from the first folder on, so that even the first listings race.
const ListingOptions kParallel{3, 0};

constexpr std::int64_t kDay = 86'400;
constexpr std::int64_t kEpoch = 1'000'000'000;

// 156 folders in three levels, two or three files in each, with hidden entries, a link loop
// and two folders whose names differ only in case (the last two not on Windows).
void BuildTree(TempTree& tree) {
    int n = 0;
    for (int i = 0; i < 6; ++i) {
        const std::string top = "d" + std::to_string(i) + "/";
        for (int j = 0; j < 5; ++j) {
            const std::string mid = top + "s" + std::to_string(j) + "/";
            for (int k = 0; k < 4; ++k) {
                const std::string low = mid + "t" + std::to_string(k) + "/";
                const std::int64_t time = Seconds(kEpoch + (n % 40) * kDay);
                tree.Add({low + "f" + std::to_string(n) + ".txt",
                          Content(std::string(static_cast<std::size_t>(n % 7), 'x'))
                              .WithMTime(time)
                              .WithATime(time)});
                tree.Add({low + "g" + std::to_string(n) + ".log", Content(std::to_string(n % 5))});
                ++n;
            }
            tree.Add({mid + "m.txt", Content("mid")});
        }
    }
    tree.Add({{"d0/.hidden/h.txt", Content("hh")},
              {"d1/.h.txt", Content("h")},
              {"Case/c.txt", Content("cc")},
              {"top.txt", Content("top")}});
#ifndef _WIN32
    // Windows has no such link, and names there are one name whatever their case.
    tree.Add({{"d2/loop", test::SymlinkTo("..")}, {"case/c.txt", Content("cc")}});
#endif
}

// What a walk and a collection gave and showed.
struct Outcome {
    FolderList folders;
    Lines files;  // size|path|last write|id, in list order
    std::int64_t ignoredFolders = -1;
    std::int64_t ignoredFiles = -1;
    Lines log;  // every host call but the yields, whose number depends on waiting
    Lines skipped;
    Lines listed;  // the folders the file system was asked to list
};

enum class Way : std::uint8_t {
    ListTwice,  // a FolderList, and the collection lists every folder again
    ListOnce,   // the walk keeps the listings for the collection
};

Outcome WalkAndCollect(const SearchCriteria& criteria, Way way, const ListingOptions& options,
                       test::FaultyFileSystem& fs, test::RecordingSearchHost& host,
                       const platform::Locale& locale) {
    Outcome outcome;
    ScanList list;
    if (way == Way::ListTwice) {
        WalkSearchFolders(criteria, host, fs, outcome.folders, &outcome.ignoredFolders, locale,
                          options);
        CollectFiles(outcome.folders, criteria, host, fs, locale, list, &outcome.ignoredFiles,
                     ScanOrder::Collated, options);
    } else {
        FolderListings listings;
        WalkSearchFolders(criteria, host, fs, listings, &outcome.ignoredFolders, locale, options);
        for (const ListedFolder& folder : listings.folders) {
            outcome.folders.push_back(*folder.path);
        }
        CollectFiles(std::move(listings), criteria, host, locale, list, &outcome.ignoredFiles);
    }
    for (const ScanEntry& e : list) {
        outcome.files.push_back(std::to_string(e.size) + "|" + e.Path() + "|" +
                                std::to_string(e.lastWrite) + "|" + std::to_string(e.id.device) +
                                ":" + std::to_string(e.id.inode));
    }
    for (const std::string& line : host.Log()) {
        if (line != "Yield") {
            outcome.log.push_back(line);
        }
    }
    for (const auto& item : host.SkippedItems()) {
        outcome.skipped.push_back(std::to_string(static_cast<int>(item.what)) + "|" + item.path +
                                  "|" + item.reason);
    }
    outcome.listed = fs.ListedFolders();
    return outcome;
}

void ExpectSame(const Outcome& expected, const Outcome& actual) {
    EXPECT_EQ(actual.folders, expected.folders);
    EXPECT_EQ(actual.files, expected.files);
    EXPECT_EQ(actual.ignoredFolders, expected.ignoredFolders);
    EXPECT_EQ(actual.ignoredFiles, expected.ignoredFiles);
    EXPECT_EQ(actual.skipped, expected.skipped);
    // Compared line by line: a first difference is easier to read than two long lists.
    ASSERT_EQ(actual.log.size(), expected.log.size());
    for (std::size_t i = 0; i < expected.log.size(); ++i) {
        ASSERT_EQ(actual.log[i], expected.log[i]) << "host call " << i;
    }
}

// How many times each folder was listed.
std::map<std::string, int> ListCounts(const Lines& listed) {
    std::map<std::string, int> counts;
    for (const std::string& folder : listed) {
        ++counts[foundation::AddTrailingBackslash(folder)];
    }
    return counts;
}

class ParallelListingTest : public ::testing::Test {
protected:
    ParallelListingTest() { BuildTree(m_tree); }

    SearchCriteria Criteria() const {
        SearchCriteria criteria;
        criteria.searchFolders = {m_tree.Root()};
        criteria.fileMaskText = "*.*";
        return criteria;
    }

    std::unique_ptr<platform::Locale> m_locale = platform::CreateLocale("en_US");
    TempTree m_tree;
};

TEST_F(ParallelListingTest, EveryWayGivesTheListsCountersAndStepsOfOneThread) {
    const std::string root = m_tree.Root();
    struct Case {
        const char* name;
        std::function<void(SearchCriteria&)> criteria;
        std::function<void(test::FaultyFileSystem&)> faults;
        bool overlapping = false;  // search folders inside one another list some folders twice
    };
    const platform::LocalDateTime windowFrom = platform::LocalFileDate(Seconds(kEpoch + 5 * kDay));
    const platform::LocalDateTime windowTo = platform::LocalFileDate(Seconds(kEpoch + 20 * kDay));
    const Case cases[] = {
        {"everything", [](SearchCriteria&) {}, {}},
        {"several masks, hidden files left out, excluded file masks",
         [](SearchCriteria& c) {
             c.fileMaskText = "*.txt, f1*.*, *";
             c.includeHidden = false;
             c.excludedFileMasks = {"*3.txt", "G2*"};
         },
         {}},
        {"ignored sub folders, excluded folder masks, depth limit",
         [&](SearchCriteria& c) {
             c.ignoredFolders = {root + test::NativePath("d1/")};
             c.ignoreSubFolders = true;
             c.excludedFolderMasks = {"*/s2/*"};
             c.depthLimit = 2;
         },
         {}},
        {"ignore list by collation, without its sub folders",
         [&](SearchCriteria& c) {
             c.ignoredFolders = {root + test::NativePath("D2/"), root + test::NativePath("CASE/")};
         },
         {}},
        {"no sub folders, search folders inside one another",
         [&](SearchCriteria& c) {
             c.includeSubFolders = false;
             c.searchFolders = {root, root + test::NativePath("d0/"),
                                root + test::NativePath("d0/s1/")};
         },
         {},
         true},
        {"sub folders, search folders inside one another",
         [&](SearchCriteria& c) {
             c.searchFolders = {root + test::NativePath("d0/"), root,
                                root + test::NativePath("d0/s1/")};
         },
         {},
         true},
        {"size limits and a date window on the last access",
         [&](SearchCriteria& c) {
             c.minSizeText = "2";
             c.maxSizeText = "5";
             c.sizeUnitIndex = 0;
             c.dateRange = {true, DateKind::Accessed, windowFrom, windowTo};
         },
         {}},
        {"a date window on the last write",
         [&](SearchCriteria& c) {
             c.dateRange = {true, DateKind::Modified, windowFrom, windowTo};
         },
         {}},
        {"unlistable, vanished and pseudo folders, an unlistable search folder",
         [&](SearchCriteria& c) {
             c.searchFolders = {root + test::NativePath("gone/"), root};
         },
         [&](test::FaultyFileSystem& fs) {
             fs.FailList(root + test::NativePath("d3/s1/"));
             fs.FailList(root + test::NativePath("d0/s0/t3/"));
             fs.Vanish(root + test::NativePath("d5/s4/t0"));
             fs.MarkPseudo(root + test::NativePath("d4/"), "proc");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SearchCriteria criteria = Criteria();
        c.criteria(criteria);
        const auto run = [&](Way way, const ListingOptions& options) {
            test::FaultyFileSystem fs;
            if (c.faults) {
                c.faults(fs);
            }
            test::RecordingSearchHost host;
            return WalkAndCollect(criteria, way, options, fs, host, *m_locale);
        };
        const Outcome reference = run(Way::ListTwice, kSequential);
        ASSERT_FALSE(reference.files.empty());
        {
            SCOPED_TRACE("listed twice, in parallel");
            ExpectSame(reference, run(Way::ListTwice, kParallel));
        }
        {
            SCOPED_TRACE("listed once, on one thread");
            ExpectSame(reference, run(Way::ListOnce, kSequential));
        }
        // Several times: a fault of the threads shows only now and then.
        for (int round = 0; round < 3; ++round) {
            SCOPED_TRACE("listed once, in parallel, round " + std::to_string(round));
            const Outcome parallel = run(Way::ListOnce, kParallel);
            ExpectSame(reference, parallel);
            if (!c.overlapping) {
                for (const auto& [folder, count] : ListCounts(parallel.listed)) {
                    EXPECT_EQ(count, 1) << folder;
                }
            }
        }
        // The way of listing twice does list every accepted folder twice.
        if (!c.overlapping && !reference.folders.empty()) {
            EXPECT_EQ(ListCounts(reference.listed)[reference.folders.back()], 2);
        }
    }
}

TEST_F(ParallelListingTest, AbortInEitherStageGivesWhatOneThreadGives) {
    const std::string root = m_tree.Root();
    const std::string triggers[] = {
        // In the walk: at the yield after this folder's status.
        "<B>Scanning Folder:</B> " + root + test::NativePath("d2/s3/"),
        // In the collection: after the first folder whose file is shown.
        "<B>Scanning File:</B> " + root + test::NativePath("d1/"),
        // At the first yield of all.
        "",
    };
    for (const std::string& trigger : triggers) {
        SCOPED_TRACE(trigger);
        const auto run = [&](Way way, const ListingOptions& options) {
            test::FaultyFileSystem fs;
            test::RecordingSearchHost host;
            if (trigger.empty()) {
                host.AbortAfterYields(1);
            } else {
                host.AbortOnStatusPrefix(trigger);
            }
            return WalkAndCollect(Criteria(), way, options, fs, host, *m_locale);
        };
        const Outcome reference = run(Way::ListTwice, kSequential);
        for (int round = 0; round < 3; ++round) {
            ExpectSame(reference, run(Way::ListOnce, kParallel));
            ExpectSame(reference, run(Way::ListTwice, kParallel));
        }
    }
}

// Holds back the listing of one folder until the test lets it go, and tells whether a thread is
// held there; everything else goes to the real file system.
class GatedFileSystem : public test::FaultyFileSystem {
public:
    explicit GatedFileSystem(std::string gated) : m_gated(std::move(gated)) {}

    platform::ListOutcome ListFolderChecked(const std::string& folder, platform::ListDetail detail,
                                            std::vector<platform::DirEntry>& entries,
                                            bool refusePseudo) override {
        if (folder == m_gated) {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_held = true;
            m_changed.wait(lock, [&] { return m_open; });
            m_held = false;
        }
        return FaultyFileSystem::ListFolderChecked(folder, detail, entries, refusePseudo);
    }

    bool Held() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_held;
    }

    void Open() {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_open = true;
        }
        m_changed.notify_all();
    }

private:
    const std::string m_gated;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false;
    bool m_open = false;
};

// The user presses Abort while a folder's listing keeps the walk waiting: the walk stops waiting
// at once, without that folder, and its workers are stopped.
TEST_F(ParallelListingTest, AbortWhileAListingIsAwaited) {
    // The search folder holds one sub folder and nothing else, so that the walk needs it at once.
    TempTree tree(
        {{"held/t0/a.txt", Content("a")}, {"held/t1/b.txt", Content("b")}, {"held/t2/", Folder()}});
    const std::string held = tree.Path("held/");
    // The request comes at the second of two yields in a row while the listing is held: only
    // the walk's waiting yields twice in a row before the held folder is walked. The listing
    // goes on once the search has seen the request.
    class Host : public test::RecordingSearchHost {
    public:
        explicit Host(GatedFileSystem& fs) : m_fs(fs) {
            OnYield([this] {
                if (m_fs.Held() && !Log().empty() && Log().back() == "Yield") {
                    RequestAbortNow();
                }
            });
        }
        bool AbortRequested() const override {
            const bool abort = RecordingSearchHost::AbortRequested();
            if (abort) {
                m_fs.Open();
            }
            return abort;
        }

    private:
        GatedFileSystem& m_fs;
    };

    GatedFileSystem fs(held);
    Host host(fs);
    SearchCriteria criteria;
    criteria.searchFolders = {tree.Root()};
    criteria.fileMaskText = "*.*";
    FolderList folders;
    // One worker from the first folder on: the search folder itself is listed on the calling
    // thread, which would wait for the held folder without yielding.
    WalkSearchFolders(criteria, host, fs, folders, nullptr, *m_locale, {1, 0});
    EXPECT_TRUE(host.AbortRequested());
    EXPECT_EQ(host.CounterValue(Counter::FoldersScanned),
              static_cast<std::int64_t>(folders.size()));
    // The walk stopped while it waited for the held folder (which is in only when its listing
    // was done in the moment between the request and the walk's look at it).
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.front(), tree.Root());
    EXPECT_LE(folders.size(), 2u);
    // The held listing has been let go, else the walk could not have stopped its workers.
    EXPECT_FALSE(fs.Held());
    if (folders.size() == 1) {
        // Given up while waiting: the workers list nothing more.
        for (const std::string& listed : fs.ListedFolders()) {
            EXPECT_FALSE(listed.starts_with(held + "t")) << "listed below the awaited folder";
        }
    }
}

// Listed by the walk moments ago, gone by the time the collection takes its files: the files
// the walk saw are taken (the comparison checks every file before it reads it), nothing is
// listed again.
TEST_F(ParallelListingTest, TheCollectionTakesWhatTheWalkListed) {
    TempTree tree({{"a/1.txt", Content("1")}, {"b/22.txt", Content("22")}});
    SearchCriteria criteria;
    criteria.searchFolders = {tree.Root()};
    criteria.fileMaskText = "*.txt";
    test::FaultyFileSystem fs;
    test::RecordingSearchHost host;
    FolderListings listings;
    WalkSearchFolders(criteria, host, fs, listings, nullptr, *m_locale);
    ASSERT_EQ(listings.folders.size(), 3u);
    tree.Remove("b");
    const std::size_t listedByWalk = fs.ListedFolders().size();
    ScanList list;
    CollectFiles(std::move(listings), criteria, host, *m_locale, list);
    EXPECT_EQ(fs.ListedFolders().size(), listedByWalk);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Path(), tree.Path("a/1.txt"));
    EXPECT_EQ(list[1].Path(), tree.Path("b/22.txt"));
    EXPECT_EQ(list[1].size, 2);
}

}  // namespace
}  // namespace qm::engine
