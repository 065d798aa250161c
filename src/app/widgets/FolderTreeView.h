#pragma once

#include <QTreeView>

namespace qm::app {

// The folder tree of the folder pickers: one column of folder names with check boxes, ticked
// folders bold, no header. Its one column is as wide as its deepest visible node, so a narrow
// tree scrolls sideways; when a node becomes current the tree scrolls so that the node's box and
// name are in view, not only the indentation in front of them.
class FolderTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit FolderTreeView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
};

}  // namespace qm::app
