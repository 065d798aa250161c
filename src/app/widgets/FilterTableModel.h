#pragma once

#include <QAbstractTableModel>
#include <utility>

#include "scope/FilterTable.h"

namespace qm::foundation {
class Prompter;
}

namespace qm::app {

// The grid FilterSG's model: three columns (the row's check box, "Filter Mask", "Filter
// Description") over a scope::FilterTable that it owns. The ticks are the table's selected flags;
// the model keeps no state of its own. An empty table shows as one blank row without a check box.
// The text of a selected row is bold (kBoldRole).
class FilterTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { CheckColumn = 0, MaskColumn = 1, DefinitionColumn = 2, ColumnCount = 3 };

    explicit FilterTableModel(QObject* parent = nullptr);

    const scope::FilterTable& Table() const { return m_table; }

    // Applies change to a copy of the table and takes the result. Views learn of it by one reset
    // when rows came, went or changed their texts, otherwise by one dataChanged over the rows
    // whose tick changed.
    template <class Change>
    void Modify(Change&& change) {
        scope::FilterTable changed = m_table;
        std::forward<Change>(change)(changed);
        Take(std::move(changed));
    }
    // The global-filter rule after the box of row was flipped (FilterTable::ApplyCheckBoxRule).
    // Before a question shows, the views are told, so the grid shows what it is about.
    void ApplyCheckBoxRule(int row, foundation::Prompter& prompter);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

signals:
    // A row's box was flipped through setData (the user's click or space bar); the table already
    // holds the new state.
    void CheckBoxClicked(int row);

private:
    void Take(scope::FilterTable changed);
    void NotifyAllRows();

    scope::FilterTable m_table;
};

}  // namespace qm::app
