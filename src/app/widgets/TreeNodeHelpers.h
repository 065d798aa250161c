#pragma once

#include <QModelIndex>

namespace qm::app {

// Item role of a node's bold state in the folder trees and grids (a bool).
inline constexpr int kBoldRole = Qt::UserRole + 1;

// A node's check box and bold state, on any model that keeps them in Qt::CheckStateRole and
// kBoldRole (the folder trees do). An invalid node is left alone and reads as unticked.
bool IsNodeTicked(const QModelIndex& node);
void SetNodeTicked(const QModelIndex& node, bool ticked);
bool IsNodeBold(const QModelIndex& node);
void SetNodeBold(const QModelIndex& node, bool bold);

}  // namespace qm::app
