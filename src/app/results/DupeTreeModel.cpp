#include "app/results/DupeTreeModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <utility>

#include "app/widgets/QtText.h"
#include "platform/Locale.h"
#include "results/EntryText.h"
#include "results/PopulateResultsTree.h"
#include "results/ResultStatistics.h"

namespace qm::app {

namespace {

using results::ResultTree;

results::NullResultsHost g_nullHost;

const char* const kHeaderTexts[results::kDupeColumnCount] = {"Extension", "File Name", "File Path",
                                                             "File Size (Bytes)", "Last Modified"};

// A run of consecutive sibling rows.
struct RowRange {
    ResultTree::NodeId parent;
    std::uint32_t first;
    std::uint32_t last;
};

}  // namespace

QColor ToQColor(results::RgbColor rgb) {
    return QColor(results::RedOf(rgb), results::GreenOf(rgb), results::BlueOf(rgb));
}

DupeTreeModel::DupeTreeModel(const platform::Locale& locale, QObject* parent)
    : QAbstractItemModel(parent), m_locale(locale) {}

void DupeTreeModel::SetHost(results::ResultsHost* host) {
    m_host = host;
}

results::ResultsHost& DupeTreeModel::Host() const {
    return m_host != nullptr ? *m_host : g_nullHost;
}

void DupeTreeModel::SetBlockedRule(results::BlockedFolderRule rule) {
    m_blocked = std::move(rule);
}

bool DupeTreeModel::SwapIn(ResultTree& fresh, bool filled) {
    if (!filled || m_marksLocked) {
        return false;
    }
    beginResetModel();
    ResultTree old = std::exchange(m_tree, std::move(fresh));
    m_outcomeNotes.clear();
    endResetModel();
    emit Filled();
    // The rows of a large result take a while to free; the window answers meanwhile.
    old.Clear([this] { Host().Yield(); });
    return true;
}

bool DupeTreeModel::PopulateResultsTree(const engine::DuplicateList& list, engine::Method method) {
    ResultTree fresh;
    fresh.SetBandToggle(m_tree.BandToggle());
    return SwapIn(fresh,
                  results::PopulateResultsTree(fresh, list, method, Host(), m_blocked, m_locale));
}

bool DupeTreeModel::PopulateResultsTree(const std::vector<std::string>& lines,
                                        const engine::FieldNumbers& fields) {
    ResultTree fresh;
    fresh.SetBandToggle(m_tree.BandToggle());
    return SwapIn(fresh,
                  results::PopulateResultsTree(fresh, lines, fields, Host(), m_blocked, m_locale));
}

bool DupeTreeModel::PopulateResultsTree(const std::vector<results::ResultLine>& lines) {
    ResultTree fresh;
    fresh.SetBandToggle(m_tree.BandToggle());
    return SwapIn(fresh, results::PopulateResultsTree(fresh, lines, Host(), m_blocked, m_locale));
}

void DupeTreeModel::Clear() {
    if (m_tree.Empty() || m_marksLocked) {
        return;
    }
    beginResetModel();
    m_tree.Clear();
    m_outcomeNotes.clear();
    endResetModel();
}

DupeTreeModel::NodeId DupeTreeModel::NodeOf(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != this) {
        return ResultTree::kNoNode;
    }
    return static_cast<NodeId>(index.internalId());
}

QModelIndex DupeTreeModel::IndexOf(NodeId node, int column) const {
    if (node >= m_tree.NodeCount()) {
        return {};
    }
    return createIndex(static_cast<int>(m_tree.At(node).row), column, static_cast<quintptr>(node));
}

void DupeTreeModel::SetOutcomeNote(NodeId node, std::string note) {
    m_outcomeNotes[node] = std::move(note);
}

void DupeTreeModel::MarkAll() {
    if (m_marksLocked) {
        return;
    }
    ModifyRecords([&](ResultTree& tree) { results::MarkAll(tree, m_blocked, Host(), m_locale); });
}

void DupeTreeModel::UnMarkAll() {
    if (m_marksLocked) {
        return;
    }
    ModifyRecords([&](ResultTree& tree) { results::UnMarkAll(tree, Host(), m_locale); });
}

void DupeTreeModel::MarkAllInDir(NodeId selected) {
    if (m_marksLocked) {
        return;
    }
    ModifyRecords(
        [&](ResultTree& tree) { results::MarkAllInDir(tree, selected, Host(), m_locale); });
}

void DupeTreeModel::UnMarkAllInDir(NodeId selected) {
    if (m_marksLocked) {
        return;
    }
    ModifyRecords(
        [&](ResultTree& tree) { results::UnMarkAllInDir(tree, selected, Host(), m_locale); });
}

void DupeTreeModel::MarkDoubleExtension() {
    if (m_marksLocked) {
        return;
    }
    ModifyRecords([&](ResultTree& tree) { results::MarkDoubleExtension(tree, Host(), m_locale); });
}

void DupeTreeModel::CheckBlockedFiles() {
    if (m_marksLocked) {
        return;
    }
    ModifyRecords([&](ResultTree& tree) { results::CheckBlockedFiles(tree, m_blocked, Host()); });
}

results::MarkedStatistics DupeTreeModel::DupeTVChecked() {
    results::MarkedStatistics stats;
    if (m_marksLocked) {
        return stats;
    }
    ModifyRecords(
        [&](ResultTree& tree) { stats = results::DupeTVChecked(tree, Host(), m_locale); });
    return stats;
}

bool DupeTreeModel::SetCheckedByUser(NodeId node, bool checked) {
    bool changed = false;
    if (m_marksLocked) {
        return changed;
    }
    ModifyRecords([&](ResultTree& tree) {
        changed = results::SetCheckedByUser(tree, node, checked, Host(), m_locale);
    });
    return changed;
}

std::optional<std::string> DupeTreeModel::ShowResultStatistics(bool listEmpty, bool loadedFromFile,
                                                               const std::string& elapsedText) {
    return results::ShowResultStatistics(m_tree, listEmpty, loadedFromFile, elapsedText, Host(),
                                         m_locale);
}

void DupeTreeModel::SetColors(const results::TreeColors& colors) {
    m_colors = colors;
    NotifyAllRows({Qt::ForegroundRole});
}

std::vector<std::uint8_t> DupeTreeModel::Snapshot() const {
    std::vector<std::uint8_t> state(m_tree.NodeCount());
    for (std::size_t i = 0; i < state.size(); ++i) {
        const auto& node = m_tree.At(static_cast<NodeId>(i));
        state[i] = static_cast<std::uint8_t>((static_cast<int>(node.entry.Status) << 1) |
                                             (node.checked ? 1 : 0));
    }
    return state;
}

void DupeTreeModel::NotifyChangedSince(const std::vector<std::uint8_t>& before) {
    if (before.size() != m_tree.NodeCount()) {
        return;  // a reset told the views already
    }
    const std::vector<std::uint8_t> after = Snapshot();

    // Depth-first order: the siblings of one parent come in row order, so one open range per
    // level collects every run of consecutive changed siblings.
    std::vector<RowRange> ranges;
    bool tooMany = false;
    std::optional<RowRange> open[3];
    auto flush = [&](int level) {
        if (open[level]) {
            ranges.push_back(*open[level]);
            open[level].reset();
            if (ranges.size() > kMaxChangedRanges) {
                tooMany = true;
            }
        }
    };
    for (std::size_t i = 0; i < after.size() && !tooMany; ++i) {
        const auto& node = m_tree.At(static_cast<NodeId>(i));
        const int level = node.level;
        std::optional<RowRange>& run = open[level];
        if (before[i] == after[i]) {
            if (run && run->parent == node.parent) {
                flush(level);
            }
            continue;
        }
        if (run && run->parent == node.parent && run->last + 1 == node.row) {
            run->last = node.row;
        } else {
            flush(level);
            open[level] = RowRange{node.parent, node.row, node.row};
        }
    }
    for (int level = 0; level < 3; ++level) {
        flush(level);
    }
    if (ranges.empty()) {
        return;
    }

    if (tooMany) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::NoLayoutChangeHint);
        emit layoutChanged({}, QAbstractItemModel::NoLayoutChangeHint);
        return;
    }
    const QList<int> roles = {Qt::CheckStateRole, Qt::FontRole,    Qt::ForegroundRole,
                              Qt::ToolTipRole,    Qt::DisplayRole, StatusRole};
    for (const RowRange& range : ranges) {
        const QModelIndex parentIndex =
            range.parent == ResultTree::kNoNode ? QModelIndex() : IndexOf(range.parent);
        emit dataChanged(
            index(static_cast<int>(range.first), 0, parentIndex),
            index(static_cast<int>(range.last), results::kDupeColumnCount - 1, parentIndex), roles);
    }
}

void DupeTreeModel::NotifyAllRows(const QList<int>& roles) {
    if (m_tree.Empty()) {
        return;
    }
    std::size_t parents = 1;
    for (const auto& node : m_tree.Nodes()) {
        parents += node.childCount > 0 ? 1 : 0;
    }
    if (parents > kMaxChangedRanges) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::NoLayoutChangeHint);
        emit layoutChanged({}, QAbstractItemModel::NoLayoutChangeHint);
        return;
    }
    const int lastColumn = results::kDupeColumnCount - 1;
    emit dataChanged(index(0, 0), index(static_cast<int>(m_tree.RootCount()) - 1, lastColumn),
                     roles);
    for (std::size_t i = 0; i < m_tree.NodeCount(); ++i) {
        const auto& node = m_tree.At(static_cast<NodeId>(i));
        if (node.childCount == 0) {
            continue;
        }
        const QModelIndex parentIndex = IndexOf(static_cast<NodeId>(i));
        emit dataChanged(index(0, 0, parentIndex),
                         index(static_cast<int>(node.childCount) - 1, lastColumn, parentIndex),
                         roles);
    }
}

QModelIndex DupeTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= results::kDupeColumnCount) {
        return {};
    }
    if (!parent.isValid()) {
        if (static_cast<std::uint32_t>(row) >= m_tree.RootCount()) {
            return {};
        }
        return createIndex(row, column, static_cast<quintptr>(m_tree.Root(row)));
    }
    if (parent.column() != 0) {
        return {};
    }
    const NodeId parentNode = NodeOf(parent);
    if (parentNode >= m_tree.NodeCount() ||
        static_cast<std::uint32_t>(row) >= m_tree.At(parentNode).childCount) {
        return {};
    }
    return createIndex(
        row, column,
        static_cast<quintptr>(m_tree.Child(parentNode, static_cast<std::uint32_t>(row))));
}

QModelIndex DupeTreeModel::parent(const QModelIndex& child) const {
    const NodeId node = NodeOf(child);
    if (node >= m_tree.NodeCount()) {
        return {};
    }
    const NodeId parentNode = m_tree.At(node).parent;
    if (parentNode == ResultTree::kNoNode) {
        return {};
    }
    return IndexOf(parentNode, 0);
}

int DupeTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) {
        return static_cast<int>(m_tree.RootCount());
    }
    if (parent.column() != 0) {
        return 0;
    }
    const NodeId node = NodeOf(parent);
    return node < m_tree.NodeCount() ? static_cast<int>(m_tree.At(node).childCount) : 0;
}

int DupeTreeModel::columnCount(const QModelIndex&) const {
    return results::kDupeColumnCount;
}

bool DupeTreeModel::hasChildren(const QModelIndex& parent) const {
    return rowCount(parent) > 0;
}

QVariant DupeTreeModel::data(const QModelIndex& index, int role) const {
    const NodeId id = NodeOf(index);
    if (id >= m_tree.NodeCount()) {
        return {};
    }
    const ResultTree::Node& node = m_tree.At(id);
    const results::TEntry& entry = node.entry;
    const int column = index.column();
    const bool fileRow = node.level >= 1;
    const bool textColumn = column >= 1;

    switch (role) {
        case Qt::DisplayRole:
            return Utf8Text(results::DupeTVGetText(node, column, m_locale));
        case Qt::ToolTipRole: {
            if (!fileRow) {
                return {};
            }
            QString hint = Utf8Text(results::DupeTVGetHint(node, m_locale));
            hint.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            const auto note = m_outcomeNotes.find(id);
            if (note != m_outcomeNotes.end() && (entry.Status == results::EntryStatus::Removed ||
                                                 entry.Status == results::EntryStatus::Failed)) {
                hint += QLatin1Char('\n') + PathText(note->second);
            }
            return hint;
        }
        case Qt::CheckStateRole:
            if (!fileRow || column != 0) {
                return {};
            }
            return node.checked ? Qt::Checked : Qt::Unchecked;
        case Qt::FontRole: {
            if (!textColumn) {
                return {};
            }
            const bool bold = results::IsBoldText(entry, node.checked);
            const bool struck = results::IsStruckOut(entry);
            if (!bold && !struck) {
                return {};
            }
            QFont font;
            font.setBold(bold);
            font.setStrikeOut(struck);
            return font;
        }
        case Qt::ForegroundRole:
            if (!textColumn || !fileRow) {
                return {};
            }
            return QBrush(ToQColor(results::FileTextColor(entry, m_colors)));
        case Qt::BackgroundRole:
            if (!textColumn) {
                return QBrush(ToQColor(results::kKeyColumnBackground));
            }
            if (entry.FirstOfSet) {
                return QBrush(ToQColor(results::kFirstOfSetBackground));
            }
            return {};
        case Qt::TextAlignmentRole:
            if (column == static_cast<int>(results::DupeColumn::FileSize)) {
                return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
            }
            return {};
        case NodeIdRole:
            return QVariant::fromValue(static_cast<quint32>(id));
        case StatusRole:
            return static_cast<int>(entry.Status);
        case LevelRole:
            return static_cast<int>(node.level);
        default:
            return {};
    }
}

bool DupeTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0) {
        return false;
    }
    const NodeId node = NodeOf(index);
    if (node >= m_tree.NodeCount() || !m_tree.IsFileRow(node)) {
        return false;
    }
    const bool checked = value.value<Qt::CheckState>() == Qt::Checked;
    if (checked == m_tree.At(node).checked) {
        return false;
    }
    return SetCheckedByUser(node, checked);
}

Qt::ItemFlags DupeTreeModel::flags(const QModelIndex& index) const {
    const NodeId node = NodeOf(index);
    if (node >= m_tree.NodeCount()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_tree.IsFileRow(node) && index.column() == 0 && !m_marksLocked) {
        result |= Qt::ItemIsUserCheckable;
    }
    if (m_tree.At(node).childCount == 0) {
        result |= Qt::ItemNeverHasChildren;
    }
    return result;
}

QVariant DupeTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= results::kDupeColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromLatin1(kHeaderTexts[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

}  // namespace qm::app
