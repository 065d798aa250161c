#pragma once

#include <cstdint>
#include <string>

#include "results/BlockedFolderRule.h"
#include "results/ResultTree.h"
#include "results/ResultsHost.h"

namespace qm::platform {
class Locale;
}

namespace qm::results {

// Checked file rows and their bytes, as the status line reports them.
struct MarkedStatistics {
    std::int64_t files = 0;
    std::int64_t bytes = 0;
};

// "%0.0n file(s) selected (%0.0n bytes total)".
std::string MarkedStatisticsText(const MarkedStatistics& stats, const platform::Locale& locale);

// Re-applies the blocked-folder rule to every file row: a row in a blocked folder becomes Blocked
// and unchecked, whatever its status; a Blocked row whose folder is free again becomes Marked or
// None by its check box. Leaves the statistics and the marked-file commands alone.
void CheckBlockedFiles(ResultTree& tree, const BlockedFolderRule& blocked, ResultsHost& host);

// Before the user changes the check box of file row node: false (and the reason in the status
// line) for a Removed or Blocked row.
bool DupeTVChecking(const ResultTree& tree, ResultTree::NodeId node, ResultsHost& host);

// After check boxes changed: enables the marked-file commands exactly when some file row is
// checked, then refreshes the statistics.
MarkedStatistics DupeTVChecked(ResultTree& tree, ResultsHost& host, const platform::Locale& locale);

// Brings every file row's Status in line with its check box (Removed and Blocked stay) and shows
// the marked-file statistics; checked Removed and Blocked rows are counted too.
MarkedStatistics UpdateMarkedStatistics(ResultTree& tree, ResultsHost& host,
                                        const platform::Locale& locale);

// A click on the check box of file row node: DupeTVChecking, the change, DupeTVChecked.
// Returns false when the change was refused (or node is no file row).
bool SetCheckedByUser(ResultTree& tree, ResultTree::NodeId node, bool checked, ResultsHost& host,
                      const platform::Locale& locale);

// Checks every file of every set except its head, unless it lies in a blocked folder (then it is
// unchecked); set heads keep their check state; Status is not looked at.
void MarkAll(ResultTree& tree, const BlockedFolderRule& blocked, ResultsHost& host,
             const platform::Locale& locale);

// Unchecks every file row, whatever its Status.
void UnMarkAll(ResultTree& tree, ResultsHost& host, const platform::Locale& locale);

// Checks every file row with Status None whose Folder equals the selected row's exactly, set heads
// included. Does nothing when selected is no file row.
void MarkAllInDir(ResultTree& tree, ResultTree::NodeId selected, ResultsHost& host,
                  const platform::Locale& locale);

// Unchecks every file row with Status Failed or Marked whose Folder equals the selected row's.
void UnMarkAllInDir(ResultTree& tree, ResultTree::NodeId selected, ResultsHost& host,
                    const platform::Locale& locale);

// Checks every file row with Status None whose FileName holds at least two ".".
void MarkDoubleExtension(ResultTree& tree, ResultsHost& host, const platform::Locale& locale);

inline constexpr const char* kCheckingBlockedText =
    "Checking for files blocked from moving / deletion...";
inline constexpr const char* kAlreadyRemovedText = "The file has been deleted or moved already.";
inline constexpr const char* kUpdatingMarkedText =
    "Updating the statistics of marked/unmarked files.";

// The note shown when a blocked row's box is clicked: markup before and after the file name, which
// goes to the host as a literal piece.
inline constexpr const char* kBlockedNoteBefore = "<B>Note:</B> ";
inline constexpr const char* kBlockedNoteAfter =
    " <BLINK><B>can not</BLINK></B> be marked for deletion because it is in the blocked folder "
    "list.";
// The whole note as one text, for its file name (as a recording host joins it).
std::string BlockedNoteText(const std::string& fileName);

}  // namespace qm::results
