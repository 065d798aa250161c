#pragma once

#include <cstdint>
#include <string>

#include "engine/FileRecords.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchHost.h"
#include "platform/FileDate.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"

namespace qm::engine {

enum class SearchOutcome : std::uint8_t {
    DuplicatesFound,
    NothingFound,
    Aborted,
    Failed,  // a stage raised an error; errorMessage says which
};

struct SearchCounters {
    std::int64_t foldersScanned = 0;
    std::int64_t foldersIgnored = 0;
    std::int64_t filesScanned = 0;
    std::int64_t filesIgnored = 0;  // includes files that could not be read for comparison
};

struct SearchResult {
    SearchOutcome outcome = SearchOutcome::NothingFound;
    Method method = Method::ContentsOnly;
    DuplicateList duplicates;  // empty unless DuplicatesFound
    FieldNumbers fields;       // of method
    SearchCounters counters;
    platform::FileTime startTime = 0;  // wall clock, taken when the search starts
    platform::FileTime endTime = 0;    // wall clock, taken when it has ended
    std::string errorMessage;
};

// Runs one search: folder walk, file collection and the comparison of criteria.method, in this
// order, reporting to host. Never leaves anything half-done: a stage that throws ends the run
// with outcome Failed and the error's text. The host's abort flag ends it with Aborted.
SearchResult RunSearch(const SearchCriteria& criteria, SearchHost& host,
                       platform::FileSystem& fileSystem = platform::SystemFileSystem(),
                       const platform::Locale& locale = platform::UserLocale());

// "Search completed in %d hour(s) %d minute(s) and %d second(s)." for end - start, rounded to
// the millisecond; whole days are dropped (25 hours give 1 hour).
std::string ElapsedTimeText(platform::FileTime end, platform::FileTime start);

}  // namespace qm::engine
