#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FileRecords.h"
#include "engine/FolderListings.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchHost.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"

namespace qm::engine {

// Whether a file name is listed for the file-name pattern mask, with the rules of a folder
// listing by pattern: MatchWildcard, except that a mask ending in ".*" also takes names without
// any dot ("*.*" is every file, "a*.*" takes "abc").
bool MatchesListingPattern(std::string_view name, std::string_view mask);

// The files a collection with these masks (SplitMaskText's) looks at in a listing: regular files
// whose name some mask takes, hidden ones only with includeHidden. For
// FileSystem::ListFolderWithFacts: the others need no facts. Copies masks; safe on any thread.
platform::FileSystem::WantedFiles FilesTheMasksMayTake(std::vector<std::string> masks,
                                                       bool includeHidden);

// The file time besides the last write that the date window tests (creation or last access),
// which a listing must keep per file; none when the window is off or tests the last write.
std::optional<DateKind> DateWindowTimeToKeep(const FileDateRange& range);

// Sorts a ScanList into the order the comparison stages rely on:
//   1. size, ascending (numerically: the order of the fixed-width Size texts);
//   2. path, in the locale's case-insensitive order (Locale::Compare);
//   3. last-write time, ascending;
//   4. path, exact bytes.
// Entries that are equal in all four (one file listed through two masks) are all kept, side by
// side.
void SortScanList(ScanList& list, const platform::Locale& locale);

// The order CollectFiles leaves its list in.
enum class ScanOrder : std::uint8_t {
    Collated,  // SortScanList's order
    // Size ascending, listing order within a size. For the content methods, which need the
    // path order only for the few files they report and make it there.
    BySize,
};

// The second stage of a search: lists every folder of the FolderList and turns each file that
// matches a file mask of criteria.fileMaskText and passes the scope rules into a ScanEntry.
//
// For every folder, in list order, and every mask (SplitMaskText, in its order): each listed
// regular file matching the mask (MatchesListingPattern) is tested for the size limits
// (MinSizeBytes, MaxSizeBytes, both inclusive), then for the date window (the chosen file time's
// local two-second date, both bounds inclusive); a file failing either, or whose name matches an
// excluded file mask, counts as ignored; every other one is added. A file matching two masks is
// handled once per mask, so it may stand twice in the list. Only regular files are collected:
// never links, FIFOs, sockets or devices. Hidden files are skipped unless includeHidden.
// A folder that cannot be listed, or whose files cannot be examined, is skipped and named to the
// host (ReportSkipped).
//
// Reports "<B>Scanning File:</B> " + path per handled file, FilesScanned (entries so far) and
// FilesIgnored, and the percentage of folders done; yields after each folder. An abort request
// stops before the next mask and after the current folder; out then holds what was gathered.
// out is replaced and ends in order (SortScanList's by default); ignoredFiles, when given,
// receives the ignored count.
// The folders are listed ahead on worker threads (ListingPool); what the host sees is the same,
// only on the calling thread, which yields every few milliseconds while it waits for a listing
// and stops when an abort is requested meanwhile.
void CollectFiles(const FolderList& folders, const SearchCriteria& criteria, SearchHost& host,
                  platform::FileSystem& fileSystem, const platform::Locale& locale, ScanList& out,
                  std::int64_t* ignoredFiles = nullptr, ScanOrder order = ScanOrder::Collated,
                  const ListingOptions& options = {});

// The same over the folders a walk listed already (WalkSearchFolders into FolderListings, with
// the same criteria): no folder is listed again. listings is taken over; out keeps its folder
// texts and files.
void CollectFiles(FolderListings&& listings, const SearchCriteria& criteria, SearchHost& host,
                  const platform::Locale& locale, ScanList& out,
                  std::int64_t* ignoredFiles = nullptr, ScanOrder order = ScanOrder::Collated);

}  // namespace qm::engine
