#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/Globals.h"
#include "results/ResultTree.h"
#include "results/ResultsHost.h"

namespace qm::foundation {
class Prompter;
}
namespace qm::platform {
class FileOperations;
}

namespace qm::results {

// What one row of a delete or move came to.
struct RowOutcome {
    ResultTree::NodeId node = ResultTree::kNoNode;
    std::string path;     // the file as listed
    bool ok = false;      // trashed or moved (in a dry run: would be)
    std::string newPath;  // its place in the trash or in the destination; in a dry run of a move
                          // the target folder, of a delete empty
    std::string reason;   // why it failed: a clause such as "it was changed after the search"
};

// The command's counters: files trashed or moved, and files that failed.
struct MarkedActionCounts {
    std::int32_t done = 0;
    std::int32_t failed = 0;
};

struct MarkedActionOptions {
    // Every check runs, nothing is changed: no file, and no row's Status.
    bool dryRun = false;
    // Asked before each marked row; true leaves that row and the rest as they are.
    std::function<bool()> stopRequested;
    // Told of each marked row's outcome, in the walk's order.
    std::function<void(const RowOutcome&)> onRow;
};

// ---- The whole commands, as the results toolbar runs them ------------------------------------

// Asks kConfirmDeleteQuestion, then, when the marked files hold every remaining copy of some sets,
// LoseEveryCopyQuestion with their number; anything but Yes to either changes nothing (and shows
// nothing). Then DeleteMarkedFiles with options. Returns true when the files were acted on (the
// tree's rows need repainting).
bool DeleteMarkedCommand(ResultTree& tree, foundation::Prompter& prompter,
                         platform::FileOperations& operations, ResultsHost& host,
                         const MarkedActionOptions& options = {});

// After the destination dialog closed with OK on selectedFolder: asks ConfirmMoveQuestion with
// MoveDestination(selectedFolder); anything but Yes changes nothing. Then MoveMarkedFiles. Moved
// files stay on disk, so no set can lose its content and there is no second question. Returns
// true when the files were acted on.
bool MoveMarkedCommand(ResultTree& tree, const std::string& selectedFolder, bool preservePaths,
                       foundation::Prompter& prompter, platform::FileOperations& operations,
                       ResultsHost& host, const MarkedActionOptions& options = {});

// ---- The walks ---------------------------------------------------------------------------------

// Sends every Marked file row's file to the trash, in the tree's depth-first order: each row
// becomes Removed or Failed. Before a file goes, it must still be the listed file (its identity,
// or for a row from a results file a regular file of the listed size); for a set found by content,
// and for every row from a results file, another file of its set that stays (one not Marked and
// not Removed: unmarked, blocked or failed) must still be there unchanged (for rows from a results
// file: hold the same bytes), unless no file of the set stays at all, which the user confirmed.
// Status texts go to host: kDeletingFilesText, then DeleteResultText; progress goes to its
// progress area; it yields after every row.
MarkedActionCounts DeleteMarkedFiles(ResultTree& tree, platform::FileOperations& operations,
                                     ResultsHost& host, const MarkedActionOptions& options = {});

// Moves every Marked file row's file into destination (an existing folder) or, with
// preservePaths, into PreservedTargetFolder below it, made when missing. A name taken there gives
// the file a new one; the row keeps the old name. The file must still be the listed file. Status
// texts: "<BLINK>Moving files</BLINK> to D, please wait..." and MoveResultText, with D shown as
// literal text.
MarkedActionCounts MoveMarkedFiles(ResultTree& tree, const std::string& destination,
                                   bool preservePaths, platform::FileOperations& operations,
                                   ResultsHost& host, const MarkedActionOptions& options = {});

// One row of each walk (node must be a file row), without changing its Status.
RowOutcome RecycleFile(const ResultTree& tree, ResultTree::NodeId node,
                       platform::FileOperations& operations, bool dryRun = false);
RowOutcome RelocateFile(const ResultTree& tree, ResultTree::NodeId node,
                        const std::string& targetFolder, bool makeFolder,
                        platform::FileOperations& operations, bool dryRun = false);

// ---- Pieces ------------------------------------------------------------------------------------

// Sets that have a Marked row and no row that stays (every row Marked or Removed): deleting the
// marked files would leave no copy of them.
int CountSetsLosingEveryCopy(const ResultTree& tree);

// D: the chosen folder without its trailing separator; a root keeps it.
std::string MoveDestination(std::string_view selectedFolder, char delim = foundation::kPathDelim);

// The folder a file of sourceFolder goes to when paths are preserved: sourceFolder without its
// root ("/" here; "C:\" or "\\server\share\" on Windows) below destination, joined by one
// separator, ending in the separator. nullopt when the rest holds a "." or ".." folder, which
// would lead out of the destination.
std::optional<std::string> PreservedTargetFolder(std::string_view sourceFolder,
                                                 std::string_view destination,
                                                 char delim = foundation::kPathDelim);

inline constexpr const char* kConfirmDeleteQuestion =
    "Are you sure you want to delete all the marked files?";
inline constexpr const char* kDeletingFilesText = "<BLINK>Deleting files</BLINK>, please wait...";
inline constexpr const char* kMovingFilesBefore = "<BLINK>Moving files</BLINK> to ";
inline constexpr const char* kMovingFilesAfter = ", please wait...";

// "Are you sure you want to move all the marked files to D?"
std::string ConfirmMoveQuestion(const std::string& destination);
// The second question, for sets that would lose every copy.
std::string LoseEveryCopyQuestion(int sets);
// "%d file(s) moved to the Recycle Bin." with " Unable to delete %d file(s)." when some failed.
std::string DeleteResultText(const MarkedActionCounts& counts);
// "%d file(s) moved to \"D\"." with " Unable to move %d file(s)." when some failed.
std::string MoveResultText(const MarkedActionCounts& counts, const std::string& destination);
// The totals of a dry run.
std::string DryRunDeleteText(const MarkedActionCounts& counts);
std::string DryRunMoveText(const MarkedActionCounts& counts, const std::string& destination);

}  // namespace qm::results
