// TfrmMain: the scope dialogs of "Advance Options: " and the Options menu. Each dialog is made for
// one use, edits a copy of the window's list, flag or date window and writes it back itself on
// OK; the window only opens it and does what must follow.
#include <QAction>
#include <QPushButton>
#include <QToolButton>

#include "app/dialogs/FileDateOptionsForm.h"
#include "app/dialogs/FolderListForm.h"
#include "app/dialogs/MaskListForm.h"
#include "app/mainform/MainForm.h"
#include "app/results/DupeTreeModel.h"

namespace qm::app {

void TfrmMain::ConnectScope() {
    connect(FolderExcludeBtn, &QPushButton::clicked, this, &TfrmMain::IgnoredFolderActionExecute);
    connect(IgnoredFolderAction, &QAction::triggered, this, &TfrmMain::IgnoredFolderActionExecute);
    connect(BlockedFolderBtn, &QToolButton::clicked, this, &TfrmMain::BlockedFolderActionExecute);
    connect(BlockedFolderAction, &QAction::triggered, this, &TfrmMain::BlockedFolderActionExecute);
    connect(DateOptionsBtn, &QPushButton::clicked, this, &TfrmMain::DateOptionsBtnClick);
    connect(ExcludeFileMaskBtn, &QPushButton::clicked, this, &TfrmMain::ExcludeFileMaskBtnClick);
    connect(ExcludeFileMaskItem, &QAction::triggered, this, &TfrmMain::ExcludeFileMaskBtnClick);
    connect(ExcludeFolderMaskBtn, &QPushButton::clicked, this,
            &TfrmMain::ExcludeFolderMaskBtnClick);
    connect(ExcludeFolderMaskItem, &QAction::triggered, this, &TfrmMain::ExcludeFolderMaskBtnClick);
}

void TfrmMain::IgnoredFolderActionExecute() {
    FolderExcludeBtn->setEnabled(false);
    {
        TfrmIgnoreList dialog(m_ignoreList, IgnoreSubFolders, this);
        connect(&dialog, &TfrmFolderList::StatusText, this,
                qOverload<const QList<StatusPart>&>(&TfrmMain::SetStatusText));
        dialog.exec();
    }
    FolderExcludeBtn->setEnabled(true);
}

void TfrmMain::BlockedFolderActionExecute() {
    {
        TfrmBlockedList dialog(m_blockedList, BlockedSubFolders, this);
        connect(&dialog, &TfrmFolderList::StatusText, this,
                qOverload<const QList<StatusPart>&>(&TfrmMain::SetStatusText));
        dialog.exec();
    }
    // Whatever the answer: the rows follow the list as it stands now, also when a settings file
    // changed it since the fill.
    m_dupeModel->SetBlockedRule(CurrentBlockedRule());
    m_dupeModel->CheckBlockedFiles();
}

void TfrmMain::DateOptionsBtnClick() {
    TfrmFileDateOptions dialog(FileDateRange, this);
    dialog.exec();
}

void TfrmMain::ExcludeFileMaskBtnClick() {
    TfrmExcludeFileMask dialog(m_excludeFileMasks, this);
    dialog.exec();
}

void TfrmMain::ExcludeFolderMaskBtnClick() {
    TfrmExcludeFolderMask dialog(m_excludeFolderMasks, this);
    dialog.exec();
}

}  // namespace qm::app
