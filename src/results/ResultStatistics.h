#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/FileRecords.h"
#include "platform/Locale.h"

namespace qm::results {

// Totals of a result set as the results tree shows it: every file row is listed; every row below a
// set head is a duplicate (the space the extra copies take).
struct ResultStatistics {
    std::int64_t listedFiles = 0;
    std::int64_t listedBytes = 0;
    std::int64_t duplicatedFiles = 0;
    std::int64_t duplicatedBytes = 0;
};

// The totals that filling the results tree from list would give (sets split as the tree splits
// them: by root key run, then by group).
ResultStatistics CountResultStatistics(const engine::DuplicateList& list);

// "%0.0n": whole number with the locale's thousands separator, e.g. 6,000.
std::string FormatCount(std::int64_t value, const platform::Locale& locale);

// "6,000 bytes in 6 file(s) listed. [3,000 bytes duplicated in 3 file(s).] " followed by
// " Results loaded from a previous search." when loadedFromFile, else by elapsedText.
std::string ResultStatisticsText(const ResultStatistics& stats, bool loadedFromFile,
                                 const std::string& elapsedText, const platform::Locale& locale);

class ResultTree;
class ResultsHost;

// The totals of the rows tree holds: every file row is listed, every row of level 2 duplicated.
ResultStatistics CountResultStatistics(const ResultTree& tree);

// After a fill: hides the progress area and, for a list that had lines (listEmpty false), counts
// the tree and returns the statistics label text; the status line ends with "Duplicate file
// search complete.". For an empty list the status line says that nothing was found and nullopt
// tells the caller to keep the label as it is. elapsedText is the last search's elapsed-time text.
std::optional<std::string> ShowResultStatistics(const ResultTree& tree, bool listEmpty,
                                                bool loadedFromFile, const std::string& elapsedText,
                                                ResultsHost& host, const platform::Locale& locale);

inline constexpr const char* kNothingFoundStatusText =
    "<B>Duplicate file search complete. </B>No duplicate files were found with the selected "
    "search criteria.";
inline constexpr const char* kCalculatingDuplicateInfoText =
    "Calculating duplicate file information.";
inline constexpr const char* kLoadedFromFileText = " Results loaded from a previous search.";

}  // namespace qm::results
