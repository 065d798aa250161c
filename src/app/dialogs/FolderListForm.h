#pragma once

#include <QDialog>
#include <QList>
#include <QModelIndex>
#include <string>

#include "app/widgets/StatusMarkup.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace qm::scope {
class ScopeList;
}

namespace qm::app {

class FolderPicker;
class FolderTreeView;
class PathListBox;

// What sets the ignored-folder and the blocked-folder dialog apart.
struct FolderListTwin {
    const char* objectName;
    const char* caption;
    const char* header;    // mark-up: <B>, <U>, <BR>
    const char* treeHint;  // null: none
    bool followsDiskChanges;
};
extern const FolderListTwin kIgnoreListTwin;
extern const FolderListTwin kBlockedListTwin;

// The dialog in which a folder list of the main window and its "Include Sub Folders" flag are
// edited: a folder tree with check boxes and the list of chosen folders, the folder picker of the
// main window. It edits a copy, taken when it is shown, and writes list and flag back itself on
// OK; Cancel or Esc leaves both as they were. An entry whose folder no longer exists is not shown,
// so OK drops it. Made for one use, modal.
class TfrmFolderList : public QDialog {
    Q_OBJECT
public:
    // list and subFolders are the main window's; they must outlive the dialog.
    TfrmFolderList(const FolderListTwin& twin, scope::ScopeList& list, bool& subFolders,
                   QWidget* parent = nullptr);
    ~TfrmFolderList() override;

    FolderPicker* Picker() const { return m_picker; }

    // Lists an existing folder and marks its node; ends with the list-cursor rule.
    void AddListPath(const std::string& path);
    void RemoveListPath(const std::string& path);

    QLabel* HTMLabel1;
    FolderTreeView* DirLB;
    QCheckBox* ScanSubFoldersCB;
    PathListBox* PathLB;
    QPushButton* RemoveDirBtn;
    QPushButton* ClearAllBtn;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;

signals:
    // A text for the main window's status line.
    void StatusText(const QList<StatusPart>& parts);

public slots:
    void DirLBCheckBoxChanged(const QModelIndex& node, bool ticked);
    void RemoveDirBtnClick();
    void ClearAllBtnClick();
    void PathLBClick();
    void OkBtnClick();
    void CancelBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormShow();

    scope::ScopeList& m_list;
    bool& m_subFolders;
    FolderPicker* m_picker;
    bool m_shown = false;
};

// The excluded folders: folders the search skips.
class TfrmIgnoreList : public TfrmFolderList {
    Q_OBJECT
public:
    TfrmIgnoreList(scope::ScopeList& list, bool& subFolders, QWidget* parent = nullptr)
        : TfrmFolderList(kIgnoreListTwin, list, subFolders, parent) {}
};

// The blocked folders: folders whose files can never be marked, deleted or moved.
class TfrmBlockedList : public TfrmFolderList {
    Q_OBJECT
public:
    TfrmBlockedList(scope::ScopeList& list, bool& subFolders, QWidget* parent = nullptr)
        : TfrmFolderList(kBlockedListTwin, list, subFolders, parent) {}
};

}  // namespace qm::app
