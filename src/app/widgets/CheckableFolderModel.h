#pragma once

#include <QIdentityProxyModel>
#include <QSet>
#include <QString>

class QFileSystemModel;

namespace qm::app {

// The folders of the computer (from "/", hidden folders included, sorted by name) with a check
// box and a bold state per node, as the folder trees show them. The tree loads lazily and follows
// changes on disk (QFileSystemModel). Tick and bold are kept per folder path, so they survive the
// nodes being loaded, collapsed or refreshed.
//
// Every change of a tick is reported by CheckBoxChanged, whether the user clicked the box or the
// program called setData / SetNodeTicked; setting the state a node already has reports nothing.
class CheckableFolderModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    explicit CheckableFolderModel(QObject* parent = nullptr);

    QFileSystemModel* FileSystemModel() const { return m_fs; }

    // The node of a folder path (with or without the final separator); invalid when the folder
    // does not exist or cannot be reached.
    QModelIndex LocateNode(const QString& folderPath) const;
    // The folder path of a node, without a final separator except for "/"; empty for no node.
    QString NodePath(const QModelIndex& node) const;

    // Paths of every ticked node, sorted.
    QStringList TickedPaths() const;
    // Drops the tick and bold state of a path whose node can no longer be located.
    void ForgetNode(const QString& folderPath);

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    void CheckBoxChanged(const QModelIndex& node, bool ticked);

private:
    QFileSystemModel* m_fs;
    QSet<QString> m_ticked;
    QSet<QString> m_bold;
};

}  // namespace qm::app
