// TfrmMain: deleting and moving the marked files. MarkedFileCommands does the work; the window
// locks what could change the tree while it runs and closes afterwards when asked to meanwhile.
#include <QAction>
#include <QApplication>
#include <QMenuBar>
#include <QToolButton>
#include <QTreeView>

#include "app/mainform/MainForm.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "app/results/MarkedFileCommands.h"

namespace qm::app {

void TfrmMain::ConnectMarkedFiles() {
    m_markedFiles = new MarkedFileCommands(*m_dupeModel, *m_prompter, this);
    connect(DeleteMarkedBtn, &QToolButton::clicked, this, &TfrmMain::DeleteMarkedBtnClick);
    connect(MoveToFolderBtn, &QToolButton::clicked, this, &TfrmMain::MoveToFolderBtnClick);
    connect(m_markedFiles, &MarkedFileCommands::RunningChanged, this,
            &TfrmMain::LockForMarkedFiles);
}

void TfrmMain::DeleteMarkedBtnClick() {
    if (m_searchRunning || ResultsCommandRunning()) {
        return;
    }
    m_markedFiles->DeleteMarked();
    CloseIfPending();
}

void TfrmMain::MoveToFolderBtnClick() {
    if (m_searchRunning || ResultsCommandRunning()) {
        return;
    }
    m_markedFiles->MoveMarked();
    CloseIfPending();
}

void TfrmMain::LockForMarkedFiles(bool locked) {
    // The window keeps answering during the walk (the tree scrolls, the status bar shows the
    // progress), but nothing that changes the tree or starts other work is usable: the whole
    // results toolbar, the menus and the marking items of the tree's menu. Each control gets its
    // own enabled state back afterwards.
    if (locked) {
        m_focusBeforeMarkedFiles = QApplication::focusWidget();
    }
    TreeOptionsPanel->setEnabled(!locked);
    menuBar()->setEnabled(!locked);
    for (QAction* item : {DupeTV->MarkAllInDirItem(), DupeTV->UnMarkAllInDirItem(),
                          DupeTV->MarkDoubleExtensionItem()}) {
        item->setEnabled(!locked);
    }
    if (!locked) {
        DupeTV->viewport()->update();
        QWidget* const focus = m_focusBeforeMarkedFiles.data();
        m_focusBeforeMarkedFiles = nullptr;
        if (focus != nullptr && focus->isEnabled()) {
            focus->setFocus();
        }
    }
}

}  // namespace qm::app
