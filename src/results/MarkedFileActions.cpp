#include "results/MarkedFileActions.h"

#include <vector>

#include "foundation/Prompter.h"
#include "platform/FileOperations.h"

namespace qm::results {

namespace {

using platform::FileIdentity;

bool IsMarkedRow(const ResultTree::Node& node) {
    return node.level >= 1 && node.entry.Status == EntryStatus::Marked;
}

// A row whose file is not going away: neither marked for this command nor removed before.
bool Stays(const TEntry& entry) {
    return entry.Status != EntryStatus::Marked && entry.Status != EntryStatus::Removed;
}

ResultTree::NodeId SetHeadOf(const ResultTree& tree, ResultTree::NodeId node) {
    return tree.At(node).level == 2 ? tree.At(node).parent : node;
}

// The rows of the set that node belongs to, head first.
std::vector<ResultTree::NodeId> SetRows(const ResultTree& tree, ResultTree::NodeId node) {
    const ResultTree::NodeId head = SetHeadOf(tree, node);
    std::vector<ResultTree::NodeId> rows{head};
    for (std::uint32_t k = 0; k < tree.At(head).childCount; ++k) {
        rows.push_back(tree.Child(head, k));
    }
    return rows;
}

FileIdentity IdentityOf(const platform::FileFacts& facts) {
    return FileIdentity{facts.id, facts.size, facts.lastWrite};
}

// The identity to act on: the listed one, or for a row from a results file that of the regular
// file of the listed size now found at its path. reason says why there is none.
std::optional<FileIdentity> ExpectedIdentity(const TEntry& entry,
                                             platform::FileOperations& operations,
                                             std::string& reason) {
    if (entry.Identity) {
        return entry.Identity;
    }
    const platform::FileFacts facts = operations.Examine(entry.FullPath());
    reason = platform::NotRegularReason(facts);
    if (reason.empty() && facts.size != entry.Size) {
        reason = "its size is no longer the listed size";
    }
    if (!reason.empty()) {
        return std::nullopt;
    }
    return IdentityOf(facts);
}

// Is there, in node's set, a file that stays and still holds what node's file holds? A listed
// copy counts while it shows its listed identity; for rows from a results file the bytes are
// compared. A set where nothing stays needs no survivor: the user chose to lose it whole.
bool HasSurvivingCopy(const ResultTree& tree, ResultTree::NodeId node, const FileIdentity& expected,
                      platform::FileOperations& operations, std::string& reason) {
    const TEntry& entry = tree.At(node).entry;
    bool anyStays = false;
    for (const ResultTree::NodeId other : SetRows(tree, node)) {
        const TEntry& candidate = tree.At(other).entry;
        if (other == node || !Stays(candidate)) {
            continue;
        }
        anyStays = true;
        const std::string otherPath = candidate.FullPath();
        if (entry.Identity && candidate.Identity) {
            const platform::FileFacts facts = operations.Examine(otherPath);
            if (platform::MismatchReason(facts, *candidate.Identity).empty() &&
                facts.id != expected.id) {
                return true;
            }
            continue;
        }
        const platform::ContentComparison comparison =
            operations.CompareContent(entry.FullPath(), otherPath);
        if (comparison.reason.empty() && comparison.identity != expected) {
            reason = "it was changed after the search";
            return false;
        }
        if (comparison.equal && comparison.otherIdentity.id != expected.id) {
            return true;
        }
    }
    if (!anyStays) {
        return true;
    }
    reason = entry.Identity ? "no other copy in its set is still there unchanged"
                            : "no other file of its set still holds the same bytes";
    return false;
}

std::string Count(std::int32_t value) {
    return std::to_string(value);
}

// Shows the progress area for a walk over total rows.
class WalkProgress {
public:
    WalkProgress(ResultsHost& host, std::int64_t total) : m_host(host), m_total(total) {
        m_host.ShowProgress(true);
        m_host.SetProgressDecorations(true);
        m_host.SetProgress(0);
    }
    ~WalkProgress() {
        m_host.SetProgress(0);
        m_host.SetProgressDecorations(false);
        m_host.ShowProgress(false);
    }
    WalkProgress(const WalkProgress&) = delete;
    WalkProgress& operator=(const WalkProgress&) = delete;

    void Step() {
        ++m_done;
        const int percent = static_cast<int>(100 * m_done / m_total);
        if (percent != m_percent) {
            m_percent = percent;
            m_host.SetProgress(percent);
        }
    }

private:
    ResultsHost& m_host;
    std::int64_t m_total;
    std::int64_t m_done = 0;
    int m_percent = 0;
};

// The walk both commands make: every Marked file row in depth-first order, each acted on by act
// and given its outcome; a yield after every node.
template <typename Act>
MarkedActionCounts WalkMarkedRows(ResultTree& tree, ResultsHost& host,
                                  const MarkedActionOptions& options, Act act) {
    MarkedActionCounts counts;
    std::int64_t total = 0;
    for (const ResultTree::Node& node : tree.Nodes()) {
        total += IsMarkedRow(node) ? 1 : 0;
    }
    WalkProgress progress(host, total > 0 ? total : 1);
    for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
        const auto id = static_cast<ResultTree::NodeId>(i);
        if (IsMarkedRow(tree.At(id))) {
            if (options.stopRequested && options.stopRequested()) {
                break;
            }
            const RowOutcome outcome = act(id);
            if (!options.dryRun) {
                tree.At(id).entry.Status = outcome.ok ? EntryStatus::Removed : EntryStatus::Failed;
            }
            ++(outcome.ok ? counts.done : counts.failed);
            if (options.onRow) {
                options.onRow(outcome);
            }
            progress.Step();
        }
        host.Yield();
    }
    return counts;
}

std::size_t RootLength(std::string_view folder, char delim) {
    if (delim == '\\') {
        if (folder.size() >= 2 && folder[1] == ':') {
            return folder.size() >= 3 && folder[2] == delim ? 3 : 2;
        }
        if (folder.substr(0, 2) == "\\\\") {
            // \\server\share\: the server and the share are the root.
            std::size_t cut = folder.find(delim, 2);
            cut = cut == std::string_view::npos ? cut : folder.find(delim, cut + 1);
            return cut == std::string_view::npos ? folder.size() : cut + 1;
        }
    }
    std::size_t length = 0;
    while (length < folder.size() && folder[length] == delim) {
        ++length;
    }
    return length;
}

}  // namespace

RowOutcome RecycleFile(const ResultTree& tree, ResultTree::NodeId node,
                       platform::FileOperations& operations, bool dryRun) {
    const TEntry& entry = tree.At(node).entry;
    RowOutcome outcome;
    outcome.node = node;
    outcome.path = entry.FullPath();
    const std::optional<FileIdentity> expected =
        ExpectedIdentity(entry, operations, outcome.reason);
    if (!expected) {
        return outcome;
    }
    const bool needsSurvivor = entry.FoundByContent || !entry.Identity;
    if (needsSurvivor && !HasSurvivingCopy(tree, node, *expected, operations, outcome.reason)) {
        return outcome;
    }
    if (dryRun) {
        // The file's own check, as the trash would make it, without the trash.
        outcome.reason = platform::MismatchReason(operations.Examine(outcome.path), *expected);
        outcome.ok = outcome.reason.empty();
        return outcome;
    }
    const platform::FileOperationResult result = operations.MoveToTrash(outcome.path, *expected);
    outcome.ok = result.ok;
    outcome.newPath = result.newPath;
    outcome.reason = result.reason;
    return outcome;
}

RowOutcome RelocateFile(const ResultTree& tree, ResultTree::NodeId node,
                        const std::string& targetFolder, bool makeFolder,
                        platform::FileOperations& operations, bool dryRun) {
    const TEntry& entry = tree.At(node).entry;
    RowOutcome outcome;
    outcome.node = node;
    outcome.path = entry.FullPath();
    const std::optional<FileIdentity> expected =
        ExpectedIdentity(entry, operations, outcome.reason);
    if (!expected) {
        return outcome;
    }
    if (dryRun) {
        outcome.reason = platform::MismatchReason(operations.Examine(outcome.path), *expected);
        outcome.ok = outcome.reason.empty();
        outcome.newPath = targetFolder;
        return outcome;
    }
    if (makeFolder) {
        const platform::FileOperationResult made = operations.CreateFolders(targetFolder);
        if (!made.ok) {
            outcome.reason = made.reason;
            return outcome;
        }
    }
    const platform::FileOperationResult result =
        operations.MoveToFolder(outcome.path, targetFolder, *expected);
    outcome.ok = result.ok;
    outcome.newPath = result.newPath;
    outcome.reason = result.reason;
    return outcome;
}

MarkedActionCounts DeleteMarkedFiles(ResultTree& tree, platform::FileOperations& operations,
                                     ResultsHost& host, const MarkedActionOptions& options) {
    host.SetStatusText(kDeletingFilesText);
    host.Yield();
    const MarkedActionCounts counts =
        WalkMarkedRows(tree, host, options, [&](ResultTree::NodeId node) {
            return RecycleFile(tree, node, operations, options.dryRun);
        });
    host.SetStatusText(options.dryRun ? DryRunDeleteText(counts) : DeleteResultText(counts));
    host.Yield();
    return counts;
}

MarkedActionCounts MoveMarkedFiles(ResultTree& tree, const std::string& destination,
                                   bool preservePaths, platform::FileOperations& operations,
                                   ResultsHost& host, const MarkedActionOptions& options) {
    host.SetStatusTextWithLiteral(kMovingFilesBefore, destination, kMovingFilesAfter);
    host.Yield();
    const MarkedActionCounts counts =
        WalkMarkedRows(tree, host, options, [&](ResultTree::NodeId node) {
            if (!preservePaths) {
                return RelocateFile(tree, node, destination, false, operations, options.dryRun);
            }
            const TEntry& entry = tree.At(node).entry;
            const std::optional<std::string> target =
                PreservedTargetFolder(entry.Folder, destination);
            if (!target) {
                RowOutcome outcome;
                outcome.node = node;
                outcome.path = entry.FullPath();
                outcome.reason = "its folder cannot be made again below the destination";
                return outcome;
            }
            return RelocateFile(tree, node, *target, true, operations, options.dryRun);
        });
    if (options.dryRun) {
        host.SetStatusTextWithLiteral("", DryRunMoveText(counts, destination), "");
    } else {
        // The destination is any bytes: it goes to the status line as literal text.
        const std::string before = Count(counts.done) + " file(s) moved to \"";
        const std::string after =
            counts.failed == 0 ? "\"." : "\". Unable to move " + Count(counts.failed) + " file(s).";
        host.SetStatusTextWithLiteral(before, destination, after);
    }
    host.Yield();
    return counts;
}

bool DeleteMarkedCommand(ResultTree& tree, foundation::Prompter& prompter,
                         platform::FileOperations& operations, ResultsHost& host,
                         const MarkedActionOptions& options) {
    if (!prompter.Ask(kConfirmDeleteQuestion)) {
        return false;
    }
    const int losing = CountSetsLosingEveryCopy(tree);
    if (losing > 0 && !prompter.Ask(LoseEveryCopyQuestion(losing))) {
        return false;
    }
    DeleteMarkedFiles(tree, operations, host, options);
    return true;
}

bool MoveMarkedCommand(ResultTree& tree, const std::string& selectedFolder, bool preservePaths,
                       foundation::Prompter& prompter, platform::FileOperations& operations,
                       ResultsHost& host, const MarkedActionOptions& options) {
    const std::string destination = MoveDestination(selectedFolder);
    if (!prompter.Ask(ConfirmMoveQuestion(destination))) {
        return false;
    }
    MoveMarkedFiles(tree, destination, preservePaths, operations, host, options);
    return true;
}

int CountSetsLosingEveryCopy(const ResultTree& tree) {
    int sets = 0;
    for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
        const auto head = static_cast<ResultTree::NodeId>(i);
        if (tree.At(head).level != 1) {
            continue;
        }
        bool anyMarked = false;
        bool anyStays = false;
        for (const ResultTree::NodeId row : SetRows(tree, head)) {
            const TEntry& entry = tree.At(row).entry;
            anyMarked = anyMarked || entry.Status == EntryStatus::Marked;
            anyStays = anyStays || Stays(entry);
        }
        sets += anyMarked && !anyStays ? 1 : 0;
    }
    return sets;
}

std::string MoveDestination(std::string_view selectedFolder, char delim) {
    return foundation::RemoveTrailingBackslash(selectedFolder, delim);
}

std::optional<std::string> PreservedTargetFolder(std::string_view sourceFolder,
                                                 std::string_view destination, char delim) {
    std::string target = foundation::AddTrailingBackslash(destination, delim);
    std::string_view rest = sourceFolder.substr(RootLength(sourceFolder, delim));
    while (!rest.empty()) {
        const std::size_t cut = rest.find(delim);
        const std::string_view part = rest.substr(0, cut);
        rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
        if (part.empty()) {
            continue;
        }
        if (part == "." || part == "..") {
            return std::nullopt;
        }
        target.append(part);
        target += delim;
    }
    return target;
}

std::string ConfirmMoveQuestion(const std::string& destination) {
    return "Are you sure you want to move all the marked files to " + destination + "?";
}

std::string LoseEveryCopyQuestion(int sets) {
    return "Every file of " + std::to_string(sets) +
           " duplicate set(s) is marked, so no copy of those files would be kept. Are you sure "
           "you want to delete every copy?";
}

std::string DeleteResultText(const MarkedActionCounts& counts) {
    std::string text = Count(counts.done) + " file(s) moved to the Recycle Bin.";
    if (counts.failed != 0) {
        text += " Unable to delete " + Count(counts.failed) + " file(s).";
    }
    return text;
}

std::string MoveResultText(const MarkedActionCounts& counts, const std::string& destination) {
    std::string text = Count(counts.done) + " file(s) moved to \"" + destination + "\".";
    if (counts.failed != 0) {
        text += " Unable to move " + Count(counts.failed) + " file(s).";
    }
    return text;
}

std::string DryRunDeleteText(const MarkedActionCounts& counts) {
    return "Dry run: " + Count(counts.done) + " file(s) would be moved to the Recycle Bin, " +
           Count(counts.failed) + " file(s) would fail. Nothing was changed.";
}

std::string DryRunMoveText(const MarkedActionCounts& counts, const std::string& destination) {
    return "Dry run: " + Count(counts.done) + " file(s) would be moved to \"" + destination +
           "\", " + Count(counts.failed) + " file(s) would fail. Nothing was changed.";
}

}  // namespace qm::results
