#include "engine/SearchRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/Error.h"
#include "support/FaultyFileSystem.h"
#include "support/RecordingSearchHost.h"
#include "support/TempTree.h"

namespace qm::engine {
namespace {

using test::Content;
using test::TempTree;

constexpr platform::FileTime kMs = 1'000'000;

TEST(ElapsedTimeTextTest, HoursMinutesSecondsBelowOneDay) {
    struct Case {
        platform::FileTime elapsed;
        const char* text;
    };
    const Case cases[] = {
        {0, "Search completed in 0 hour(s) 0 minute(s) and 0 second(s)."},
        {(3600 + 2 * 60 + 3) * 1000 * kMs + 700 * kMs,
         "Search completed in 1 hour(s) 2 minute(s) and 3 second(s)."},
        {25LL * 3600 * 1000 * kMs, "Search completed in 1 hour(s) 0 minute(s) and 0 second(s)."},
        // Rounded to the millisecond first: 59.9996 s is a full minute.
        {59'999'600'000, "Search completed in 0 hour(s) 1 minute(s) and 0 second(s)."},
        {59'999'400'000, "Search completed in 0 hour(s) 0 minute(s) and 59 second(s)."},
        {-5 * 1000 * kMs, "Search completed in 0 hour(s) 0 minute(s) and 0 second(s)."},
    };
    const platform::FileTime start = 1'700'000'000LL * 1000 * kMs;
    for (const Case& c : cases) {
        EXPECT_EQ(ElapsedTimeText(start + c.elapsed, start), c.text) << c.elapsed;
    }
}

class SearchRunTest : public ::testing::Test {
protected:
    SearchCriteria Criteria(const TempTree& tree, Method method) {
        SearchCriteria criteria;
        criteria.searchFolders = {tree.Root()};
        criteria.fileMaskText = "*.*";
        criteria.method = method;
        return criteria;
    }

    std::unique_ptr<platform::Locale> m_locale = platform::CreateLocale("en_US");
};

using StepEvent = std::pair<SearchStep, StepState>;

const std::vector<StepEvent> kCompleteSteps = {
    {SearchStep::FolderScan, StepState::InProgress},
    {SearchStep::FileScan, StepState::Pending},
    {SearchStep::FileComparison, StepState::Pending},
    {SearchStep::FolderScan, StepState::Done},
    {SearchStep::FileScan, StepState::InProgress},
    {SearchStep::FileScan, StepState::Done},
    {SearchStep::FileComparison, StepState::InProgress},
    {SearchStep::FileComparison, StepState::Done},
};

TEST_F(SearchRunTest, EveryMethodOnOneTree) {
    TempTree tree{{"a/report.doc", Content("memo")},
                  {"b/report.doc", Content("memo")},
                  {"b/notes.txt", Content("memo")},
                  {"c/REPORT.DOC", Content("longer memo")},
                  {"c/unique.bin", Content("x")}};
    struct Case {
        Method method;
        std::size_t lines;
        FieldNumbers fields;
    };
    const Case cases[] = {
        {Method::ContentsOnly, 3, {1, 6, 3, 2, 5}},    {Method::SizeOnly, 3, {1, 5, 3, 2, 4}},
        {Method::NameOnly, 3, {1, 6, 5, 2, 4}},        {Method::NameAndSize, 2, {1, 6, 5, 2, 4}},
        {Method::ContentsAndName, 2, {1, 6, 3, 2, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(MethodName(c.method));
        test::RecordingSearchHost host;
        const SearchResult result =
            RunSearch(Criteria(tree, c.method), host, platform::SystemFileSystem(), *m_locale);
        EXPECT_EQ(result.outcome, SearchOutcome::DuplicatesFound);
        EXPECT_EQ(result.method, c.method);
        EXPECT_EQ(result.duplicates.size(), c.lines);
        EXPECT_EQ(result.fields.group, c.fields.group);
        EXPECT_EQ(result.fields.date, c.fields.date);
        EXPECT_EQ(result.fields.size, c.fields.size);
        EXPECT_EQ(result.fields.rootKey, c.fields.rootKey);
        EXPECT_EQ(result.fields.path, c.fields.path);
        EXPECT_EQ(host.StepHistory(), kCompleteSteps);
        EXPECT_EQ(result.counters.filesScanned, 5);
        EXPECT_EQ(result.counters.foldersScanned, 4);
        EXPECT_EQ(result.counters.filesIgnored, 0);
        EXPECT_LE(result.startTime, result.endTime);
        EXPECT_TRUE(result.errorMessage.empty());
        // All four counters start from 0.
        for (Counter counter : {Counter::FoldersScanned, Counter::FoldersIgnored,
                                Counter::FilesScanned, Counter::FilesIgnored}) {
            ASSERT_FALSE(host.CounterHistory(counter).empty());
            EXPECT_EQ(host.CounterHistory(counter).front(), 0);
        }
    }
}

TEST_F(SearchRunTest, NothingFound) {
    TempTree tree{{"a.txt", Content("one")}, {"b.txt", Content("two")}, {"c.txt", Content("x")}};
    test::RecordingSearchHost host;
    const SearchResult result = RunSearch(Criteria(tree, Method::ContentsOnly), host,
                                          platform::SystemFileSystem(), *m_locale);
    EXPECT_EQ(result.outcome, SearchOutcome::NothingFound);
    EXPECT_TRUE(result.duplicates.empty());
    EXPECT_EQ(host.StepHistory(), kCompleteSteps);
}

TEST_F(SearchRunTest, UnreadableFilesAreCountedWithTheIgnoredOnes) {
    TempTree tree{{"a.txt", Content("same")},
                  {"b.txt", Content("same")},
                  {"c.txt", Content("same")},
                  {"big.bin", Content("this file is too large")}};
    test::FaultyFileSystem fileSystem;
    fileSystem.FailOpen(tree.Path("b.txt"));
    SearchCriteria criteria = Criteria(tree, Method::ContentsOnly);
    criteria.maxSizeText = "10";
    criteria.sizeUnitIndex = 0;  // bytes
    test::RecordingSearchHost host;
    const SearchResult result = RunSearch(criteria, host, fileSystem, *m_locale);
    ASSERT_EQ(result.outcome, SearchOutcome::DuplicatesFound);
    ASSERT_EQ(result.duplicates.size(), 2u);
    EXPECT_EQ(result.duplicates[0].path, tree.Path("a.txt"));
    EXPECT_EQ(result.duplicates[1].path, tree.Path("c.txt"));
    EXPECT_EQ(result.counters.filesScanned, 3);
    EXPECT_EQ(result.counters.filesIgnored, 2);  // big.bin by size, b.txt unreadable
    EXPECT_EQ(host.CounterValue(Counter::FilesIgnored), 2);
}

TEST_F(SearchRunTest, AbortDuringTheWalkRunsTheStagesOutAndReportsAborted) {
    TempTree tree{{"a/x.txt", Content("same")}, {"b/y.txt", Content("same")}};
    test::RecordingSearchHost host;
    host.AbortAfterYields(1);
    const SearchResult result = RunSearch(Criteria(tree, Method::ContentsOnly), host,
                                          platform::SystemFileSystem(), *m_locale);
    EXPECT_EQ(result.outcome, SearchOutcome::Aborted);
    EXPECT_TRUE(result.duplicates.empty());
    EXPECT_EQ(host.StepHistory(), kCompleteSteps);
}

TEST_F(SearchRunTest, AbortDuringChecksumming) {
    TempTree tree;
    for (int i = 0; i < 300; ++i) {
        tree.Add({"f" + std::to_string(i) + "a", test::Size(50 + i, i)});
        tree.Add({"f" + std::to_string(i) + "b", test::Size(50 + i, i)});
    }
    test::RecordingSearchHost host;
    host.AbortWhen([](const test::RecordingSearchHost& h) {
        return h.LastStatusText().starts_with("Generating") && h.ProgressValue() >= 10;
    });
    const SearchResult result = RunSearch(Criteria(tree, Method::ContentsOnly), host,
                                          platform::SystemFileSystem(), *m_locale);
    EXPECT_EQ(result.outcome, SearchOutcome::Aborted);
    EXPECT_TRUE(result.duplicates.empty());
    EXPECT_LT(*std::max_element(host.ProgressHistory().begin(), host.ProgressHistory().end()), 50);
    EXPECT_FALSE(host.ProgressVisible());
}

// A file system whose reads raise an error, as a broken platform layer might.
class ThrowingFileSystem : public platform::FileSystem {
public:
    bool ListFolder(const std::string& folder, platform::ListDetail detail,
                    std::vector<platform::DirEntry>& entries) override {
        return platform::SystemFileSystem().ListFolder(folder, detail, entries);
    }
    platform::FileFacts Stat(const std::string& path) override {
        return platform::SystemFileSystem().Stat(path);
    }
    std::unique_ptr<platform::ReadableFile> OpenForRead(const std::string& path) override {
        throw FileError("Cannot read " + path);
    }
};

TEST_F(SearchRunTest, FailingStageEndsTheRunCleanly) {
    TempTree tree{{"a.txt", Content("same")}, {"b.txt", Content("same")}};
    ThrowingFileSystem fileSystem;
    test::RecordingSearchHost host;
    const SearchResult result =
        RunSearch(Criteria(tree, Method::ContentsOnly), host, fileSystem, *m_locale);
    EXPECT_EQ(result.outcome, SearchOutcome::Failed);
    EXPECT_EQ(result.errorMessage, "Cannot read " + tree.Path("a.txt"));
    EXPECT_TRUE(result.duplicates.empty());
    for (SearchStep step :
         {SearchStep::FolderScan, SearchStep::FileScan, SearchStep::FileComparison}) {
        EXPECT_NE(host.StepStateOf(step), StepState::InProgress);
    }
    EXPECT_EQ(host.StepStateOf(SearchStep::FileComparison), StepState::Pending);
    EXPECT_FALSE(host.ProgressVisible());
    EXPECT_FALSE(host.ProgressDecorations());
    EXPECT_LE(result.startTime, result.endTime);
}

}  // namespace
}  // namespace qm::engine
