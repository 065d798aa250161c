// TfrmMain: the image preview. The floating panel follows the focused row of the results tree
// while the toggle PreviewImageCB is down, and shows with the results view.
#include <QToolButton>

#include "app/mainform/MainForm.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "app/results/ImagePreviewPanel.h"

namespace qm::app {

void TfrmMain::ConnectPreview() {
    PreviewPanel = new ImagePreviewPanel(centralWidget());
    ImageDisp1 = PreviewPanel->AnimatedPicture();
    ImageDisp2 = PreviewPanel->StillPicture();
    // clicked, not toggled: a settings file setting the toggle shows no panel.
    connect(PreviewImageCB, &QToolButton::clicked, this, &TfrmMain::PreviewImageCBClick);
    connect(DupeTV, &DupeTreeView::FocusedNodeChanged, this, &TfrmMain::DupeTVFocusChanged);
}

void TfrmMain::PreviewImageCBClick() {
    if (PreviewImageCB->isChecked()) {
        PreviewPanel->ShowPanel();
    } else {
        PreviewPanel->hide();
    }
}

void TfrmMain::DupeTVFocusChanged(quint32 node) {
    if (node == results::ResultTree::kNoNode || !PreviewImageCB->isChecked()) {
        return;
    }
    // A root row has no folder and no file name: nothing is loaded for it.
    const results::TEntry& entry = m_dupeModel->Tree().At(node).entry;
    PreviewPanel->LoadFile(entry.Folder, entry.FileName);
}

void TfrmMain::ShowPreviewWithResults() {
    if (PreviewImageCB->isChecked()) {
        PreviewPanel->ShowPanel();
    }
}

}  // namespace qm::app
