// TfrmMain: the search folder list. The folder picker does the work; the window adds the status
// texts and keeps Start Search in step with the list.
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>

#include "app/mainform/MainForm.h"
#include "app/widgets/FolderPicker.h"
#include "app/widgets/PathListBox.h"

namespace qm::app {

void TfrmMain::ConnectFolders() {
    connect(m_folders, &FolderPicker::NodeTicked, this, &TfrmMain::DirLBCheckBoxChanged);
    connect(m_folders, &FolderPicker::ListClicked, this, &TfrmMain::PathLBClick);
    connect(m_folders, &FolderPicker::ListChanged, this, &TfrmMain::UpdateSearchButtons);
    connect(RemoveDirBtn, &QPushButton::clicked, this, &TfrmMain::RemoveDirBtnClick);
    connect(ClearAllBtn, &QPushButton::clicked, this, &TfrmMain::ClearAllBtnClick);
    connect(PathLB, &PathListBox::FilesDropped, this, &TfrmMain::DropFileTarget1Drop);
    connect(ScanSubFoldersCB, &QCheckBox::toggled, this, &TfrmMain::ScanSubFoldersCBClick);
}

const std::vector<std::string>& TfrmMain::SearchPaths() const {
    return m_folders->Paths();
}

void TfrmMain::AddSearchPath(const std::string& path) {
    m_folders->AddPath(path);
}

CheckableFolderModel* TfrmMain::FolderModel() const {
    return m_folders->Model();
}

void TfrmMain::DirLBCheckBoxChanged(const QModelIndex& node, bool ticked) {
    m_folders->NodeTickChanged(node, ticked);
}

void TfrmMain::RemoveDirBtnClick() {
    m_folders->RemoveHighlighted();
}

void TfrmMain::ClearAllBtnClick() {
    m_folders->ClearAll();
    SetStatusText(QStringLiteral("All paths cleared from the search list."));
}

void TfrmMain::PathLBClick() {
    if (const std::optional<std::string> missing = m_folders->CheckHighlighted()) {
        SetStatusText(MissingFolderStatus(*missing));
    }
}

void TfrmMain::DropFileTarget1Drop(const QStringList& names) {
    m_folders->DropFolders(names);
}

void TfrmMain::ScanSubFoldersCBClick() {
    DepthEdit->setEnabled(ScanSubFoldersCB->isChecked());
}

}  // namespace qm::app
