// TfrmMain: the results view and the switch between the two views. The results tree, its model
// and its menus do the work.
#include <QCoreApplication>
#include <QFrame>
#include <QPushButton>
#include <QToolButton>

#include "app/mainform/MainForm.h"
#include "app/mainform/WindowHost.h"
#include "app/results/DupeTreeMenus.h"
#include "app/results/DupeTreeModel.h"
#include "app/results/DupeTreeView.h"
#include "app/results/ImagePreviewPanel.h"
#include "platform/Locale.h"

namespace qm::app {

void TfrmMain::ConnectResults() {
    connect(ExpandNodesBtn, &QToolButton::clicked, DupeTV, &DupeTreeView::ExpandNodesBtnClick);
    connect(CollapseNodesBtn, &QToolButton::clicked, DupeTV, &DupeTreeView::CollapseNodesBtnClick);
    connect(MarkAllBtn, &QToolButton::clicked, this, &TfrmMain::MarkAllBtnClick);
    connect(UnMarkAllBtn, &QToolButton::clicked, this, &TfrmMain::UnMarkAllBtnClick);
    connect(ColorSettingsBtn, &QToolButton::clicked, this,
            [this] { DupeTreeMenus::PopupBelow(m_dupeMenus->ColorMenu(), ColorSettingsBtn); });
    connect(GridToggleBtn, &QToolButton::clicked, this,
            [this] { DupeTreeMenus::PopupBelow(m_dupeMenus->GridMenu(), GridToggleBtn); });
    connect(HideOptionsBtn, &QToolButton::clicked, this, &TfrmMain::HideOptionsBtnClick);
    connect(ViewSearchResultsBtn, &QPushButton::clicked, this,
            &TfrmMain::ViewSearchResultsBtnClick);
    connect(DupeTV, &DupeTreeView::TargetCommandsEnabled, this, [this](bool enabled) {
        for (QToolButton* button : {OpenTargetBtn, ExploreTargetBtn, ExecuteBtn}) {
            button->setEnabled(enabled);
        }
    });
    connect(m_host, &WindowHost::MarkedFileCommandsEnabled, this, [this](bool enabled) {
        DeleteMarkedBtn->setEnabled(enabled);
        MoveToFolderBtn->setEnabled(enabled);
    });
}

void TfrmMain::MarkAllBtnClick() {
    // The rule as it stands now: a blocked list changed since the fill applies at once.
    m_dupeModel->SetBlockedRule(CurrentBlockedRule());
    m_dupeModel->MarkAll();
}

void TfrmMain::UnMarkAllBtnClick() {
    m_dupeModel->UnMarkAll();
}

results::BlockedFolderRule TfrmMain::CurrentBlockedRule() const {
    return results::BlockedFolderRule(m_blockedList.Items(), BlockedSubFolders,
                                      platform::UserLocale());
}

void TfrmMain::ShowResultsView() {
    // The results' status texts stay in panel 1; HideOptionsBtnClick installs the hint line again.
    m_hintLineInstalled = false;
    SetStatusText(QString());
    OptionsPanel->hide();
    SearchResultsPanel->show();
    ShowPreviewWithResults();
    QCoreApplication::processEvents();
    DupeTV->setFocus();
}

void TfrmMain::HideOptionsBtnClick() {
    m_hintLineInstalled = true;
    PreviewPanel->hide();
    SearchResultsPanel->hide();
    OptionsPanel->show();
    ViewResultsPanel->show();
    FormResize();
    QCoreApplication::processEvents();
    ViewSearchResultsBtn->setFocus();
}

void TfrmMain::ViewSearchResultsBtnClick() {
    // The hint line stays installed: hints write over the results' status texts from now on.
    OptionsPanel->hide();
    SearchResultsPanel->show();
    ShowPreviewWithResults();
    QCoreApplication::processEvents();
}

}  // namespace qm::app
