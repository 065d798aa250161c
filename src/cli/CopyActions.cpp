#include "cli/CopyActions.h"

#include <set>
#include <string>

#include "cli/ScanCommand.h"
#include "foundation/Error.h"
#include "platform/FileOperations.h"
#include "platform/Locale.h"
#include "platform/PathChecks.h"
#include "results/MarkedFileActions.h"
#include "results/Marking.h"
#include "results/PopulateResultsTree.h"
#include "storage/FileIo.h"
#include "storage/ResultsFile.h"

namespace qm::cli {

namespace {

void PrintLine(std::FILE* out, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), out);
    std::fputc('\n', out);
}

// Marks what "Mark all" marks, then takes back every copy that is also the first file of a set
// (a file standing in two sets): the scanner never removes the first file of a set.
void MarkCopies(results::ResultTree& tree, const results::BlockedFolderRule& blocked,
                const platform::Locale& locale, std::FILE* out) {
    results::NullResultsHost host;
    results::MarkAll(tree, blocked, host, locale);
    std::set<std::string> firstFiles;
    std::set<platform::FileId> firstIds;
    for (const results::ResultTree::Node& node : tree.Nodes()) {
        if (node.level == 1) {
            firstFiles.insert(node.entry.FullPath());
            if (node.entry.Identity) {
                firstIds.insert(node.entry.Identity->id);
            }
        }
    }
    for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
        results::ResultTree::Node& node = tree.At(static_cast<results::ResultTree::NodeId>(i));
        if (node.level != 2) {
            continue;
        }
        const std::string path = node.entry.FullPath();
        if (node.entry.Status == results::EntryStatus::Blocked) {
            PrintLine(out, "refused: " + path + ": it is in a blocked folder");
            continue;
        }
        const bool first = firstFiles.count(path) != 0 ||
                           (node.entry.Identity && firstIds.count(node.entry.Identity->id) != 0);
        if (node.checked && first) {
            node.checked = false;
            node.entry.Status = results::EntryStatus::None;
            PrintLine(out, "refused: " + path + ": it is the first file of another set");
        }
    }
}

int Act(results::ResultTree& tree, const ScanOptions& options, const std::atomic<bool>& stop,
        std::FILE* out, const platform::Locale& locale, platform::FileOperations& operations) {
    const results::BlockedFolderRule blocked(options.blockedFolders, options.blockedSubFolders,
                                             locale);
    MarkCopies(tree, blocked, locale, out);

    const bool move = options.copyAction == CopyAction::Move;
    results::MarkedActionOptions actionOptions;
    actionOptions.dryRun = options.dryRun;
    actionOptions.stopRequested = [&stop] { return stop.load(std::memory_order_relaxed); };
    actionOptions.onRow = [&](const results::RowOutcome& outcome) {
        const bool dry = options.dryRun;
        if (!outcome.ok) {
            PrintLine(out,
                      (dry ? "would fail: " : "failed: ") + outcome.path + ": " + outcome.reason);
        } else if (move) {
            PrintLine(out,
                      (dry ? "would move: " : "moved: ") + outcome.path + " -> " + outcome.newPath);
        } else {
            PrintLine(out, (dry ? "would trash: " : "trashed: ") + outcome.path);
        }
    };

    results::NullResultsHost host;
    results::MarkedActionCounts counts;
    if (move) {
        counts = results::MoveMarkedFiles(tree, options.moveDestination, options.preservePaths,
                                          operations, host, actionOptions);
        PrintLine(out, options.dryRun ? results::DryRunMoveText(counts, options.moveDestination)
                                      : results::MoveResultText(counts, options.moveDestination));
    } else {
        counts = results::DeleteMarkedFiles(tree, operations, host, actionOptions);
        PrintLine(out, options.dryRun ? results::DryRunDeleteText(counts)
                                      : results::DeleteResultText(counts));
    }
    std::fflush(out);
    if (stop.load()) {
        std::fputs("Stopped: the files not listed above were left as they were.\n", stderr);
        return kExitAborted;
    }
    return counts.failed > 0 ? kExitError : kExitSearchRan;
}

}  // namespace

void CheckCopyActionTargets(const ScanOptions& options) {
    if (options.copyAction == CopyAction::Move) {
        const platform::PathTarget target = platform::ExamineTarget(options.moveDestination);
        const std::string reason = !target.exists ? target.reason
                                   : target.kind != platform::EntryKind::Folder
                                       ? platform::NotAFolderReason()
                                       : std::string();
        if (!reason.empty()) {
            throw FileError("cannot move to \"" + options.moveDestination + "\": " + reason);
        }
    }
}

int ActOnCopies(const engine::DuplicateList& list, engine::Method method,
                const ScanOptions& options, const std::atomic<bool>& stop, std::FILE* out,
                const platform::Locale& locale, platform::FileOperations& operations) {
    results::ResultTree tree;
    results::NullResultsHost host;
    const results::BlockedFolderRule blocked(options.blockedFolders, options.blockedSubFolders,
                                             locale);
    results::PopulateResultsTree(tree, list, method, host, blocked, locale);
    return Act(tree, options, stop, out, locale, operations);
}

int ActOnLoadedCopies(const ScanOptions& options, const std::atomic<bool>& stop, std::FILE* out,
                      const platform::Locale& locale, platform::FileOperations& operations) {
    const std::vector<results::ResultLine> rows = storage::ReadResultsFile(options.loadPath);
    results::ResultTree tree;
    results::NullResultsHost host;
    const results::BlockedFolderRule blocked(options.blockedFolders, options.blockedSubFolders,
                                             locale);
    results::PopulateResultsTree(tree, rows, host, blocked, locale);
    return Act(tree, options, stop, out, locale, operations);
}

}  // namespace qm::cli
