#pragma once

#include <QList>
#include <QObject>
#include <QPersistentModelIndex>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

#include "scope/SearchPathList.h"

class QPushButton;

namespace qm::platform {
class Locale;
}

namespace qm::app {

struct StatusPart;

class CheckableFolderModel;
class FolderTreeView;
class PathListBox;

// A folder tree with check boxes beside a list of the chosen folders, with the list's two buttons
// (Remove Folder, Clear All Folders): the search folder list of the main window, and the ignored
// and blocked folder lists of their dialogs. The owner lays out the four widgets, names them
// (DirLB, PathLB, RemoveDirBtn, ClearAllBtn) and routes their events to the handlers below.
//
// The list is the state; the tree shows it. Data flows one way: a tick on a node becomes a list
// change, and a list change marks or clears the folder's node directly, never as a tick that
// would come back to the list.
class FolderPicker : public QObject {
    Q_OBJECT
public:
    // The widgets are made as children of parent until the owner lays them out. locale orders the
    // list; it must outlive the picker.
    FolderPicker(const platform::Locale& locale, QWidget* parent);

    FolderTreeView* Tree() const { return m_tree; }
    CheckableFolderModel* Model() const { return m_model; }
    PathListBox* List() const { return m_list; }
    QPushButton* RemoveButton() const { return m_removeButton; }
    QPushButton* ClearButton() const { return m_clearButton; }

    // The listed folders, each ending in the separator, in list order.
    const std::vector<std::string>& Paths() const { return m_paths.Paths(); }

    // Lists an existing folder (the separator appended) and marks its node; an empty path or one
    // that names no folder is ignored. Ends with the list-cursor rule. True when the list changed.
    bool AddPath(const std::string& path);
    // Removes the entry naming path and clears its node's marks. Ends with the list-cursor rule.
    void RemovePath(const std::string& path);
    // Replaces the list by the existing folders of paths (a settings file).
    void RestorePaths(const std::vector<std::string>& paths);
    // Lists every dropped name that is an existing folder not listed yet; other names are ignored.
    void DropFolders(const QStringList& names);

    // The user (or the program) ticked or unticked a node: the node becomes current and bold as
    // ticked, and its folder is listed (and highlighted) or removed.
    void NodeTickChanged(const QModelIndex& node, bool ticked);
    // Remove Folder: removes the highlighted entry, which clears its node.
    void RemoveHighlighted();
    // Clear All Folders: empties the list and clears every node.
    void ClearAll();
    // After a click in the list: Remove Folder is enabled exactly while an entry is highlighted.
    // Returns the highlighted entry when its folder no longer exists.
    std::optional<std::string> CheckHighlighted();

    // Hides the shell's special folders among the nodes the tree holds now.
    void PruneSpecialFolders();
    // The highlighted entry, empty when none is.
    std::string HighlightedPath() const;
    // Highlights the first entry when none is and the list is not empty; Remove Folder is enabled
    // exactly while an entry is highlighted.
    void ListCursorRule();

signals:
    // A node's tick changed (from the tree's model).
    void NodeTicked(const QModelIndex& node, bool ticked);
    // The user clicked in the list; the list has already moved its highlight.
    void ListClicked();
    // The entries of the list changed.
    void ListChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QModelIndex LocateNode(const std::string& path) const;
    void SelectNode(const QModelIndex& node);
    void ListAndSelect(const std::string& path);
    void ClearListAndMarks();
    void RefreshList();
    void HighlightPath(const std::string& path);

    scope::SearchPathList m_paths;
    CheckableFolderModel* m_model;
    FolderTreeView* m_tree;
    PathListBox* m_list;
    QPushButton* m_removeButton;
    QPushButton* m_clearButton;
};

// The status text for a listed folder that no longer exists: "Path <B>" + path + "</B> does not
// exist.", the path shown as it stands whatever characters it holds.
QList<StatusPart> MissingFolderStatus(const std::string& path);

}  // namespace qm::app
