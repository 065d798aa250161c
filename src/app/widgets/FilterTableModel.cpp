#include "app/widgets/FilterTableModel.h"

#include <algorithm>

#include "app/widgets/QtText.h"
#include "app/widgets/TreeNodeHelpers.h"
#include "foundation/Prompter.h"

namespace qm::app {

FilterTableModel::FilterTableModel(QObject* parent) : QAbstractTableModel(parent) {}

int FilterTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return std::max<int>(1, static_cast<int>(m_table.Count()));
}

int FilterTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FilterTableModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) ||
        static_cast<std::size_t>(index.row()) >= m_table.Count()) {
        // The blank row of an empty table: no texts, no check box.
        return {};
    }
    const scope::FilterRow& row = m_table.Row(static_cast<std::size_t>(index.row()));
    switch (role) {
        case Qt::DisplayRole:
            if (index.column() == MaskColumn) {
                return Utf8Text(row.mask);
            }
            if (index.column() == DefinitionColumn) {
                return Utf8Text(row.definition);
            }
            return {};
        case Qt::CheckStateRole:
            if (index.column() == CheckColumn) {
                return row.selected ? Qt::Checked : Qt::Unchecked;
            }
            return {};
        case kBoldRole:
            return row.selected;
        default:
            return {};
    }
}

bool FilterTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != CheckColumn ||
        !checkIndex(index, CheckIndexOption::IndexIsValid) ||
        static_cast<std::size_t>(index.row()) >= m_table.Count()) {
        return false;
    }
    const auto row = static_cast<std::size_t>(index.row());
    const bool selected = value.toInt() == Qt::Checked;
    if (selected == m_table.Row(row).selected) {
        return true;
    }
    m_table.SetSelected(row, selected);
    emit dataChanged(this->index(index.row(), 0), this->index(index.row(), ColumnCount - 1));
    emit CheckBoxClicked(index.row());
    return true;
}

Qt::ItemFlags FilterTableModel::flags(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == CheckColumn && static_cast<std::size_t>(index.row()) < m_table.Count()) {
        result |= Qt::ItemIsUserCheckable;
    }
    return result;
}

QVariant FilterTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        static const char* const kCaptions[ColumnCount] = {"Select Filter", "Filter Mask",
                                                           "Filter Description"};
        return QString::fromLatin1(kCaptions[section]);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

void FilterTableModel::NotifyAllRows() {
    emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

void FilterTableModel::ApplyCheckBoxRule(int row, foundation::Prompter& prompter) {
    if (row < 0 || static_cast<std::size_t>(row) >= m_table.Count()) {
        return;
    }
    // The rule changes ticks only, so it works on the table in place.
    m_table.ApplyCheckBoxRule(static_cast<std::size_t>(row), prompter, [this] { NotifyAllRows(); });
    NotifyAllRows();
}

void FilterTableModel::Take(scope::FilterTable changed) {
    const std::vector<scope::FilterRow>& before = m_table.Rows();
    const std::vector<scope::FilterRow>& after = changed.Rows();
    bool textsChanged = before.size() != after.size();
    int first = -1;
    int last = -1;
    for (std::size_t i = 0; !textsChanged && i < after.size(); ++i) {
        if (before[i].mask != after[i].mask || before[i].definition != after[i].definition) {
            textsChanged = true;
        } else if (before[i].selected != after[i].selected) {
            first = first < 0 ? static_cast<int>(i) : first;
            last = static_cast<int>(i);
        }
    }
    if (textsChanged) {
        beginResetModel();
        m_table = std::move(changed);
        endResetModel();
        return;
    }
    m_table = std::move(changed);
    if (first >= 0) {
        emit dataChanged(index(first, 0), index(last, ColumnCount - 1));
    }
}

}  // namespace qm::app
