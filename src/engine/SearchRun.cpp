#include "engine/SearchRun.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <utility>

#include "engine/ContentComparison.h"
#include "engine/FileCollection.h"
#include "engine/FolderWalk.h"
#include "engine/Grouping.h"

namespace qm::engine {

namespace {

platform::FileTime WallClockNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Leaves the status area as an ended search leaves it, whatever stage stopped.
void HideProgressArea(SearchHost& host) {
    host.SetProgress(0);
    host.SetProgressDecorations(false);
    host.ShowProgress(false);
}

}  // namespace

SearchResult RunSearch(const SearchCriteria& criteria, SearchHost& host,
                       platform::FileSystem& fileSystem, const platform::Locale& locale) {
    SearchResult result;
    result.method = criteria.method;
    result.fields = FieldNumbersOf(criteria.method);
    SearchCounters& counters = result.counters;

    for (Counter counter : {Counter::FoldersScanned, Counter::FilesScanned, Counter::FilesIgnored,
                            Counter::FoldersIgnored}) {
        host.SetCounter(counter, 0);
    }
    host.SetStepState(SearchStep::FolderScan, StepState::InProgress);
    host.SetStepState(SearchStep::FileScan, StepState::Pending);
    host.SetStepState(SearchStep::FileComparison, StepState::Pending);
    result.startTime = WallClockNow();

    // The lists live for this run only.
    FolderListings folders;
    ScanList scanList;
    DuplicateList duplicates;
    SearchStep step = SearchStep::FolderScan;
    try {
        WalkSearchFolders(criteria, host, fileSystem, folders, &counters.foldersIgnored, locale);
        counters.foldersScanned = static_cast<std::int64_t>(folders.folders.size());
        host.SetStepState(SearchStep::FolderScan, StepState::Done);
        host.SetStepState(SearchStep::FileScan, StepState::InProgress);
        step = SearchStep::FileScan;

        const bool byContent =
            criteria.method == Method::ContentsOnly || criteria.method == Method::ContentsAndName;
        // The walk listed every folder already: the collection takes its listings over.
        CollectFiles(std::move(folders), criteria, host, locale, scanList, &counters.filesIgnored,
                     byContent ? ScanOrder::BySize : ScanOrder::Collated);
        counters.filesScanned = static_cast<std::int64_t>(scanList.size());
        host.SetStepState(SearchStep::FileScan, StepState::Done);
        host.Yield();

        host.SetStepState(SearchStep::FileComparison, StepState::InProgress);
        step = SearchStep::FileComparison;
        switch (criteria.method) {
            case Method::ContentsOnly:
            case Method::ContentsAndName: {
                ContentContext context{host, fileSystem, locale, counters.filesIgnored, {}};
                if (criteria.method == Method::ContentsOnly) {
                    FindContentDuplicates(scanList, duplicates, context);
                } else {
                    FindContentAndNameDuplicates(scanList, duplicates, context);
                }
                counters.filesIgnored = context.filesIgnored;
                break;
            }
            case Method::SizeOnly:
                FindSizeDuplicates(scanList, duplicates, host, locale);
                break;
            case Method::NameOnly:
                FindNameDuplicates(scanList, duplicates, false, host, locale);
                break;
            case Method::NameAndSize:
                FindNameDuplicates(scanList, duplicates, true, host, locale);
                break;
        }
        host.SetStepState(SearchStep::FileComparison, StepState::Done);
        host.Yield();

        if (host.AbortRequested()) {
            result.outcome = SearchOutcome::Aborted;
        } else if (!duplicates.empty()) {
            result.outcome = SearchOutcome::DuplicatesFound;
            result.duplicates = std::move(duplicates);
        } else {
            result.outcome = SearchOutcome::NothingFound;
        }
    } catch (const std::exception& error) {
        // Nothing is left looking busy: the stage that failed and those after it are not done.
        result.outcome = SearchOutcome::Failed;
        result.errorMessage = error.what();
        result.duplicates.clear();
        for (SearchStep later :
             {SearchStep::FolderScan, SearchStep::FileScan, SearchStep::FileComparison}) {
            if (static_cast<int>(later) >= static_cast<int>(step)) {
                host.SetStepState(later, StepState::Pending);
            }
        }
        HideProgressArea(host);
    }
    result.endTime = WallClockNow();
    return result;
}

std::string ElapsedTimeText(platform::FileTime end, platform::FileTime start) {
    constexpr std::int64_t kMsPerDay = 24LL * 60 * 60 * 1000;
    const std::int64_t nanoseconds = end - start;
    // Rounded to the nearest millisecond; a clock set back gives no negative time.
    std::int64_t ms = nanoseconds <= 0 ? 0 : (nanoseconds + 500'000) / 1'000'000;
    ms %= kMsPerDay;
    const std::int64_t seconds = ms / 1000;
    char text[128];
    std::snprintf(text, sizeof text,
                  "Search completed in %d hour(s) %d minute(s) and %d second(s).",
                  static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                  static_cast<int>(seconds % 60));
    return text;
}

}  // namespace qm::engine
