#pragma once

#include <QIdentityProxyModel>
#include <QSet>
#include <QString>

class QFileSystemModel;

namespace qm::app {

// The folders of the computer (from "/", hidden folders included, sorted by name) with a check
// box and a bold state per node, as the folder trees show them. The tree loads lazily and follows
// changes on disk (QFileSystemModel). Tick and bold are kept per folder path, so they survive the
// nodes being loaded, collapsed or refreshed, and a folder can be marked before its node exists.
//
// A tick set through setData (a click, the space bar, SetNodeTicked) is reported by
// CheckBoxChanged; setting the state a node already has reports nothing. MarkFolder and
// ClearMarks change the marks without that report: they show what a list holds, so a change of
// the list never comes back to it as a tick.
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
    // Ticks and bolds the folder's node, or clears both, without reporting a tick change.
    void MarkFolder(const QString& folderPath, bool marked);
    // Clears every tick and bold state without reporting tick changes.
    void ClearMarks();

    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    void CheckBoxChanged(const QModelIndex& node, bool ticked);

private:
    void NotifyPath(const QString& cleanPath);

    QFileSystemModel* m_fs;
    QSet<QString> m_ticked;
    QSet<QString> m_bold;
};

}  // namespace qm::app
