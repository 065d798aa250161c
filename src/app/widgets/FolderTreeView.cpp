#include "app/widgets/FolderTreeView.h"

#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

#include "app/widgets/BoldItemDelegate.h"

namespace qm::app {

FolderTreeView::FolderTreeView(QWidget* parent) : QTreeView(parent) {
    setItemDelegate(new BoldItemDelegate(this));
    setHeaderHidden(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformRowHeights(true);
    setAnimated(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    header()->setStretchLastSection(false);
}

void FolderTreeView::setModel(QAbstractItemModel* model) {
    QTreeView::setModel(model);
    for (int column = 1; model != nullptr && column < model->columnCount(); ++column) {
        hideColumn(column);
    }
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}

void FolderTreeView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    // The base class scrolls by whole columns, and the one column is wider than the view: it
    // would leave a deep node's name beyond the right edge.
    QTreeView::scrollTo(index, hint);
    if (!index.isValid()) {
        return;
    }
    const QRect item = visualRect(index);  // starts after the indentation, at the check box
    const int width = viewport()->width();
    const int nameRoom = std::min(item.width(), width / 2);
    if (item.left() < indentation() || item.left() + nameRoom > width) {
        // Keep one indentation step on the left, so the node's own expand arrow shows too.
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() + item.left() - indentation());
    }
}

}  // namespace qm::app
