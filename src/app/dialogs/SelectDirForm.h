#pragma once

#include <QDialog>
#include <QTimer>
#include <optional>
#include <string>

class QCheckBox;
class QFileSystemModel;
class QLabel;
class QPushButton;

namespace qm::app {

class FolderTreeView;

// What the destination dialog was closed with.
struct SelectedDir {
    std::string path;  // the chosen folder as the file system's bytes, no final separator but "/"
    bool preservePaths = true;
};

// The destination dialog of a move: a tree of every folder of the computer (hidden ones
// included) in which the user picks where the marked files go, and whether their folders are made
// again below it. OK is enabled exactly while the selected node is an existing folder. Made for
// one use: nothing of it is remembered for the next move.
class TfrmSelectDir : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelectDir(QWidget* parent = nullptr);

    // Shows the dialog modally over parent; nullopt unless it was closed with OK.
    static std::optional<SelectedDir> Choose(QWidget* parent);

    // The selected folder, empty when no node is selected.
    QString SelectedPath() const;
    bool PreservePaths() const;
    // Selects the node of folder as a click would; false (and no selection) when the tree has no
    // such folder.
    bool SelectFolder(const QString& folder);
    QFileSystemModel* DirModel() const { return m_dirs; }

    QLabel* DirLbl;
    FolderTreeView* LsDirTree211;
    QCheckBox* CheckBox1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LsDirTree211DirChange();
    void OKBtnClick();

    QFileSystemModel* m_dirs;
    QTimer m_showCurrent;
};

}  // namespace qm::app
