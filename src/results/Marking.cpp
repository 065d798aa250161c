#include "results/Marking.h"

#include <algorithm>

#include "platform/Locale.h"
#include "results/ResultStatistics.h"

namespace qm::results {

namespace {

bool KeepsStatus(EntryStatus status) {
    return status == EntryStatus::Removed || status == EntryStatus::Blocked;
}

}  // namespace

std::string MarkedStatisticsText(const MarkedStatistics& stats, const platform::Locale& locale) {
    return FormatCount(stats.files, locale) + " file(s) selected (" +
           FormatCount(stats.bytes, locale) + " bytes total)";
}

std::string BlockedNoteText(const std::string& fileName) {
    return kBlockedNoteBefore + fileName + kBlockedNoteAfter;
}

void CheckBlockedFiles(ResultTree& tree, const BlockedFolderRule& blocked, ResultsHost& host) {
    host.SetStatusText(kCheckingBlockedText);
    host.Yield();
    for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
        ResultTree::Node& node = tree.At(static_cast<ResultTree::NodeId>(i));
        if (node.level >= 1) {
            TEntry& entry = node.entry;
            if (entry.Status == EntryStatus::Blocked) {
                entry.Status = node.checked ? EntryStatus::Marked : EntryStatus::None;
            }
            if (!blocked.Empty() && blocked.IsBlockedFolder(entry.Folder)) {
                entry.Status = EntryStatus::Blocked;
                node.checked = false;
            }
        }
        host.Yield();
    }
    host.SetStatusText("");
    host.Yield();
}

bool DupeTVChecking(const ResultTree& tree, ResultTree::NodeId node, ResultsHost& host) {
    bool allowed = true;
    if (node < tree.NodeCount() && tree.IsFileRow(node)) {
        const TEntry& entry = tree.At(node).entry;
        if (entry.Status == EntryStatus::Removed) {
            host.SetStatusText(kAlreadyRemovedText);
            allowed = false;
        } else if (entry.Status == EntryStatus::Blocked) {
            // The name is any bytes; it must never be read as markup.
            host.SetStatusTextWithLiteral(kBlockedNoteBefore, entry.FileName, kBlockedNoteAfter);
            allowed = false;
        }
    }
    host.Yield();
    return allowed;
}

MarkedStatistics DupeTVChecked(ResultTree& tree, ResultsHost& host,
                               const platform::Locale& locale) {
    const auto& nodes = tree.Nodes();
    const bool anyChecked = std::any_of(nodes.begin(), nodes.end(), [](const ResultTree::Node& n) {
        return n.level >= 1 && n.checked;
    });
    host.SetMarkedFileCommandsEnabled(anyChecked);
    host.Yield();
    return UpdateMarkedStatistics(tree, host, locale);
}

MarkedStatistics UpdateMarkedStatistics(ResultTree& tree, ResultsHost& host,
                                        const platform::Locale& locale) {
    host.SetStatusText(kUpdatingMarkedText);
    host.Yield();
    MarkedStatistics stats;
    for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
        ResultTree::Node& node = tree.At(static_cast<ResultTree::NodeId>(i));
        if (node.level < 1) {
            continue;
        }
        TEntry& entry = node.entry;
        if (node.checked) {
            if (!KeepsStatus(entry.Status)) {
                entry.Status = EntryStatus::Marked;
            }
            ++stats.files;
            stats.bytes += entry.Size;
        } else if (!KeepsStatus(entry.Status)) {
            entry.Status = EntryStatus::None;
        }
    }
    host.SetStatusText(MarkedStatisticsText(stats, locale));
    host.Yield();
    return stats;
}

bool SetCheckedByUser(ResultTree& tree, ResultTree::NodeId node, bool checked, ResultsHost& host,
                      const platform::Locale& locale) {
    if (node >= tree.NodeCount() || !tree.IsFileRow(node)) {
        return false;
    }
    if (!DupeTVChecking(tree, node, host)) {
        return false;
    }
    tree.At(node).checked = checked;
    DupeTVChecked(tree, host, locale);
    return true;
}

namespace {

// Sets the box of every file row (set heads included) that matches.
template <typename Matches>
void SetFileRowsChecked(ResultTree& tree, bool checked, Matches matches) {
    for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
        ResultTree::Node& node = tree.At(static_cast<ResultTree::NodeId>(i));
        if (node.level >= 1 && matches(node.entry)) {
            node.checked = checked;
        }
    }
}

bool IsMarkable(const TEntry& entry) {
    return entry.Status == EntryStatus::None;
}

bool IsMarkedOrFailed(const TEntry& entry) {
    return entry.Status == EntryStatus::Failed || entry.Status == EntryStatus::Marked;
}

}  // namespace

void MarkAll(ResultTree& tree, const BlockedFolderRule& blocked, ResultsHost& host,
             const platform::Locale& locale) {
    host.SetStatusText("");
    for (std::size_t i = 0; i < tree.NodeCount(); ++i) {
        ResultTree::Node& node = tree.At(static_cast<ResultTree::NodeId>(i));
        if (node.level != 2) {
            continue;
        }
        node.checked = blocked.Empty() || !blocked.IsBlockedFolder(node.entry.Folder);
    }
    host.Yield();
    DupeTVChecked(tree, host, locale);
}

void UnMarkAll(ResultTree& tree, ResultsHost& host, const platform::Locale& locale) {
    host.SetStatusText("");
    SetFileRowsChecked(tree, false, [](const TEntry&) { return true; });
    DupeTVChecked(tree, host, locale);
}

void MarkAllInDir(ResultTree& tree, ResultTree::NodeId selected, ResultsHost& host,
                  const platform::Locale& locale) {
    if (selected >= tree.NodeCount() || !tree.IsFileRow(selected)) {
        return;
    }
    const std::string folder = tree.At(selected).entry.Folder;
    SetFileRowsChecked(tree, true, [&folder](const TEntry& entry) {
        return IsMarkable(entry) && entry.Folder == folder;
    });
    host.Yield();
    DupeTVChecked(tree, host, locale);
}

void UnMarkAllInDir(ResultTree& tree, ResultTree::NodeId selected, ResultsHost& host,
                    const platform::Locale& locale) {
    if (selected >= tree.NodeCount() || !tree.IsFileRow(selected)) {
        return;
    }
    const std::string folder = tree.At(selected).entry.Folder;
    SetFileRowsChecked(tree, false, [&folder](const TEntry& entry) {
        return IsMarkedOrFailed(entry) && entry.Folder == folder;
    });
    host.Yield();
    DupeTVChecked(tree, host, locale);
}

void MarkDoubleExtension(ResultTree& tree, ResultsHost& host, const platform::Locale& locale) {
    SetFileRowsChecked(tree, true, [](const TEntry& entry) {
        return IsMarkable(entry) &&
               std::count(entry.FileName.begin(), entry.FileName.end(), '.') >= 2;
    });
    host.Yield();
    DupeTVChecked(tree, host, locale);
}

}  // namespace qm::results
