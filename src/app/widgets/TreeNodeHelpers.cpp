#include "app/widgets/TreeNodeHelpers.h"

#include <QAbstractItemModel>

namespace qm::app {

namespace {

QAbstractItemModel* ModelOf(const QModelIndex& node) {
    return node.isValid() ? const_cast<QAbstractItemModel*>(node.model()) : nullptr;
}

}  // namespace

bool IsNodeTicked(const QModelIndex& node) {
    return node.isValid() && node.data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

void SetNodeTicked(const QModelIndex& node, bool ticked) {
    if (QAbstractItemModel* model = ModelOf(node)) {
        model->setData(node, ticked ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole);
    }
}

bool IsNodeBold(const QModelIndex& node) {
    return node.isValid() && node.data(kBoldRole).toBool();
}

void SetNodeBold(const QModelIndex& node, bool bold) {
    if (QAbstractItemModel* model = ModelOf(node)) {
        model->setData(node, bold, kBoldRole);
    }
}

}  // namespace qm::app
