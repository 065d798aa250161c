#include "app/widgets/FilterGrid.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "app/widgets/BoldItemDelegate.h"

namespace qm::app {

QString FilterGrid::Cell::text() const {
    return m_index.data(Qt::DisplayRole).toString();
}

Qt::CheckState FilterGrid::Cell::checkState() const {
    return static_cast<Qt::CheckState>(m_index.data(Qt::CheckStateRole).toInt());
}

void FilterGrid::Cell::setCheckState(Qt::CheckState state) const {
    if (m_index.isValid()) {
        const_cast<QAbstractItemModel*>(m_index.model())
            ->setData(m_index, state, Qt::CheckStateRole);
    }
}

QVariant FilterGrid::Cell::data(int role) const {
    return m_index.data(role);
}

FilterGrid::FilterGrid(QWidget* parent) : QTableView(parent) {
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new BoldItemDelegate(this, 0));
    setWordWrap(false);
    // Tab belongs to the window's focus chain, not to walking the cells.
    setTabKeyNavigation(false);
}

FilterGrid::Cell FilterGrid::item(int row, int column) const {
    return Cell(model() != nullptr ? model()->index(row, column) : QModelIndex());
}

FilterGrid::HeaderCell FilterGrid::horizontalHeaderItem(int column) const {
    return HeaderCell(model() != nullptr
                          ? model()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()
                          : QString());
}

int FilterGrid::rowCount() const {
    return model() != nullptr ? model()->rowCount() : 0;
}

int FilterGrid::currentRow() const {
    return currentIndex().row();
}

int FilterGrid::currentColumn() const {
    return currentIndex().column();
}

void FilterGrid::setCurrentCell(int row, int column) {
    if (model() != nullptr) {
        setCurrentIndex(model()->index(row, column));
    }
}

void FilterGrid::FitColumns() {
    resizeColumnsToContents();
    for (int column = 0; model() != nullptr && column < model()->columnCount(); ++column) {
        setColumnWidth(column, columnWidth(column) + 5);
    }
}

void FilterGrid::keyPressEvent(QKeyEvent* event) {
    const bool space = event->key() == Qt::Key_Space || event->key() == Qt::Key_Select;
    if (space && event->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
        const QModelIndex box = currentIndex().siblingAtColumn(0);
        if (box.flags().testFlag(Qt::ItemIsUserCheckable) &&
            box.flags().testFlag(Qt::ItemIsEnabled)) {
            const bool checked = box.data(Qt::CheckStateRole).toInt() == Qt::Checked;
            model()->setData(box, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        }
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void FilterGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    emit CursorMoved();
}

}  // namespace qm::app
