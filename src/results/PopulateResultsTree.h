#pragma once

#include <string>
#include <vector>

#include "engine/FileRecords.h"
#include "results/BlockedFolderRule.h"
#include "results/ResultLine.h"
#include "results/ResultStatistics.h"
#include "results/ResultTree.h"
#include "results/ResultsHost.h"

namespace qm::platform {
class Locale;
}

namespace qm::results {

// Fills tree from "|"-separated list lines, reading the group, date, size, root key and path
// fields by their numbers (counted from 1; a field beyond the end of a line reads as empty):
// a new root row where the key differs from the previous line's, a new set where the group
// number does; a line whose group field is no integer, or is -1, makes no row. A file stands once
// in a set: a later line of the same path and set makes no row. Root rows left without files, or
// with an empty key, are removed. Then the blocked-file check runs and the marked-file statistics
// are refreshed (nothing is marked).
// Returns false, leaving tree untouched, when lines is empty or host.AbortRequested().
// tree's band toggle carries over into the fill and holds the last set's colour afterwards.
bool PopulateResultsTree(ResultTree& tree, const std::vector<std::string>& lines,
                         const engine::FieldNumbers& fields, ResultsHost& host,
                         const BlockedFolderRule& blocked, const platform::Locale& locale);

// The same for a search's structured DuplicateList: the entries' own group, extension key, path,
// size and date (written as the date text of locale) take the place of the line fields. Paths
// keep every byte, "|" included.
bool PopulateResultsTree(ResultTree& tree, const engine::DuplicateList& list, ResultsHost& host,
                         const BlockedFolderRule& blocked, const platform::Locale& locale);

// The same, for a list that method made: each row also keeps the file's identity as the search
// saw it (device, file id, size, modification time), and whether its set was found by content,
// for the checks made before a file is trashed or moved. The overload above keeps the identities
// too but knows no method, so its rows count as not found by content.
bool PopulateResultsTree(ResultTree& tree, const engine::DuplicateList& list, engine::Method method,
                         ResultsHost& host, const BlockedFolderRule& blocked,
                         const platform::Locale& locale);

// The same for lines whose fields are already apart (a results file as read): group, date, size,
// key and path are taken from each line's own fields, so a path may hold "|". The rows carry no
// identity (see TEntry::Identity).
bool PopulateResultsTree(ResultTree& tree, const std::vector<ResultLine>& lines, ResultsHost& host,
                         const BlockedFolderRule& blocked, const platform::Locale& locale);

// The totals that filling the tree from lines would give, without building it.
ResultStatistics CountResultStatistics(const std::vector<std::string>& lines,
                                       const engine::FieldNumbers& fields);

// "Preparing search results for display." and the other status texts of a fill.
inline constexpr const char* kPreparingResultsText = "Preparing search results for display.";
inline constexpr const char* kCalculatingStatisticsText =
    "Calculating file statistics (should be just a few seconds).";
inline constexpr const char* kSearchCompleteText = "Duplicate file search complete.";

}  // namespace qm::results
