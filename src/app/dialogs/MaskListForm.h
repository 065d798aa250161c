#pragma once

#include <QDialog>

#include "scope/ScopeList.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qm::app {

// What sets the file-mask and the folder-mask dialog apart.
struct MaskListTwin {
    const char* objectName;
    const char* caption;
};
extern const MaskListTwin kExcludeFileMaskTwin;
extern const MaskListTwin kExcludeFolderMaskTwin;

// The fixed help texts of the mask dialogs, top to bottom.
inline constexpr const char* kMaskHelpLines[] = {
    "Allowed wildcards:",
    "? = Any single character",
    "* = Any string of characters.",
    "Examples:",
    "*.* = All files (not recommended since it will ignore everything)",
    "*. = All files with no file extension",
    "*.log = All files with extension \"log\" (examples: file1.log, scan.log,  etc)",
    "index*.htm* = All HTML files that start with \"index\"",
};

// The dialog in which a list of exclusion masks is edited: a new mask is typed and added, a
// highlighted one removed. It copies the list when it is made and writes it back itself on OK;
// Cancel or Esc leaves it as it was. A mask is any non-empty text, kept exactly as typed; one that
// equals a listed mask when case is ignored is not added. Enter has no meaning here (no default
// button). Made for one use, modal.
class TfrmMaskList : public QDialog {
    Q_OBJECT
public:
    // masks is the main window's list; it must outlive the dialog.
    TfrmMaskList(const MaskListTwin& twin, scope::ScopeList& masks, QWidget* parent = nullptr);

    // The dialog's working list, as MaskLB shows it.
    const std::vector<std::string>& Masks() const { return m_working.Items(); }

    QLineEdit* NewMaskEdit;
    QPushButton* AddBtn;
    QListWidget* MaskLB;
    QPushButton* RemoveBtn;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;

public slots:
    void NewMaskEditChange();
    void AddBtnClick();
    void MaskLBClick();
    void RemoveBtnClick();
    void OkBtnClick();
    void CancelBtnClick();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void RefreshList(const std::string& highlight = {});

    scope::ScopeList& m_masks;
    scope::ScopeList m_working;
};

// Masks of file names the search skips.
class TfrmExcludeFileMask : public TfrmMaskList {
    Q_OBJECT
public:
    explicit TfrmExcludeFileMask(scope::ScopeList& masks, QWidget* parent = nullptr)
        : TfrmMaskList(kExcludeFileMaskTwin, masks, parent) {}
};

// Masks of folders the search skips.
class TfrmExcludeFolderMask : public TfrmMaskList {
    Q_OBJECT
public:
    explicit TfrmExcludeFolderMask(scope::ScopeList& masks, QWidget* parent = nullptr)
        : TfrmMaskList(kExcludeFolderMaskTwin, masks, parent) {}
};

}  // namespace qm::app
