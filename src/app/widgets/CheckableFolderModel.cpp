#include "app/widgets/CheckableFolderModel.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <algorithm>

#include "app/widgets/TreeNodeHelpers.h"

namespace qm::app {

CheckableFolderModel::CheckableFolderModel(QObject* parent)
    : QIdentityProxyModel(parent), m_fs(new QFileSystemModel(this)) {
    m_fs->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot | QDir::Hidden);
    m_fs->setReadOnly(true);
    m_fs->setRootPath(QStringLiteral("/"));
    setSourceModel(m_fs);
}

QModelIndex CheckableFolderModel::LocateNode(const QString& folderPath) const {
    if (folderPath.isEmpty()) {
        return {};
    }
    const QString clean = QDir::cleanPath(folderPath);
    if (!QFileInfo(clean).isDir()) {
        return {};
    }
    const QModelIndex source = m_fs->index(clean);
    if (!source.isValid() || QDir::cleanPath(m_fs->filePath(source)) != clean) {
        return {};
    }
    return mapFromSource(source);
}

QString CheckableFolderModel::NodePath(const QModelIndex& node) const {
    if (!node.isValid()) {
        return {};
    }
    return QDir::cleanPath(m_fs->filePath(mapToSource(node.siblingAtColumn(0))));
}

QStringList CheckableFolderModel::TickedPaths() const {
    QStringList paths(m_ticked.begin(), m_ticked.end());
    std::sort(paths.begin(), paths.end());
    return paths;
}

void CheckableFolderModel::NotifyPath(const QString& cleanPath) {
    // A node that is not loaded yet shows its marks when it is.
    const QModelIndex source = m_fs->index(cleanPath);
    if (source.isValid() && QDir::cleanPath(m_fs->filePath(source)) == cleanPath) {
        const QModelIndex node = mapFromSource(source);
        emit dataChanged(node, node, {Qt::CheckStateRole, kBoldRole, Qt::FontRole});
    }
}

void CheckableFolderModel::MarkFolder(const QString& folderPath, bool marked) {
    const QString clean = QDir::cleanPath(folderPath);
    if (clean.isEmpty() ||
        (m_ticked.contains(clean) == marked && m_bold.contains(clean) == marked)) {
        return;
    }
    if (marked) {
        m_ticked.insert(clean);
        m_bold.insert(clean);
    } else {
        m_ticked.remove(clean);
        m_bold.remove(clean);
    }
    NotifyPath(clean);
}

void CheckableFolderModel::ClearMarks() {
    QSet<QString> marked = m_ticked;
    marked.unite(m_bold);
    m_ticked.clear();
    m_bold.clear();
    for (const QString& path : marked) {
        NotifyPath(path);
    }
}

Qt::ItemFlags CheckableFolderModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags result = QIdentityProxyModel::flags(index) & ~Qt::ItemIsEditable;
    if (index.isValid() && index.column() == 0) {
        result |= Qt::ItemIsUserCheckable;
    }
    return result & ~(Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled);
}

QVariant CheckableFolderModel::data(const QModelIndex& index, int role) const {
    if (index.isValid() && index.column() == 0) {
        if (role == Qt::CheckStateRole) {
            return m_ticked.contains(NodePath(index)) ? Qt::Checked : Qt::Unchecked;
        }
        if (role == kBoldRole) {
            return m_bold.contains(NodePath(index));
        }
    }
    return QIdentityProxyModel::data(index, role);
}

bool CheckableFolderModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != 0) {
        return false;
    }
    const QString path = NodePath(index);
    if (role == Qt::CheckStateRole) {
        const bool ticked = value.toInt() == Qt::Checked;
        if (ticked == m_ticked.contains(path)) {
            return true;
        }
        if (ticked) {
            m_ticked.insert(path);
        } else {
            m_ticked.remove(path);
        }
        emit dataChanged(index, index, {Qt::CheckStateRole});
        emit CheckBoxChanged(index, ticked);
        return true;
    }
    if (role == kBoldRole) {
        const bool bold = value.toBool();
        if (bold != m_bold.contains(path)) {
            if (bold) {
                m_bold.insert(path);
            } else {
                m_bold.remove(path);
            }
            emit dataChanged(index, index, {kBoldRole, Qt::FontRole});
        }
        return true;
    }
    return QIdentityProxyModel::setData(index, value, role);
}

}  // namespace qm::app
