// TfrmMain: the file commands on the selected row of the results tree (open, explore, execute,
// properties, terminal, clipboard). FileCommands does the work and owns the context-menu items.
#include <QAction>
#include <QToolButton>

#include "app/mainform/MainForm.h"
#include "app/results/DupeTreeView.h"
#include "app/results/FileCommands.h"

namespace qm::app {

void TfrmMain::ConnectFileCommands() {
    m_fileCommands = new FileCommands(DupeTV, *m_prompter, this);
    Commandprompthere1 = m_fileCommands->CommandPromptItem();
    CopyPathtoClipboard1 = m_fileCommands->CopyPathItem();
    TVMenuExploreItem = m_fileCommands->ExploreItem();
    TVMenuOpenItem = m_fileCommands->OpenItem();
    TVMenuExecuteItem = m_fileCommands->ExecuteItem();
    TVMenuPropertiesItem = m_fileCommands->PropertiesItem();
    connect(OpenTargetBtn, &QToolButton::clicked, this, &TfrmMain::OpenTargetBtnClick);
    connect(ExploreTargetBtn, &QToolButton::clicked, this, &TfrmMain::ExploreTargetBtnClick);
    connect(ExecuteBtn, &QToolButton::clicked, this, &TfrmMain::ExecuteBtnClick);
    connect(DupeTV, &DupeTreeView::ExecuteRequested, this, &TfrmMain::ExecuteBtnClick);
}

void TfrmMain::SetDesktopServices(platform::DesktopServices* services) {
    m_fileCommands->SetDesktopServices(services);
}

void TfrmMain::OpenTargetBtnClick() {
    m_fileCommands->OpenTargetBtnClick();
}

void TfrmMain::ExploreTargetBtnClick() {
    m_fileCommands->ExploreTargetBtnClick();
}

void TfrmMain::ExecuteBtnClick() {
    m_fileCommands->ExecuteBtnClick();
}

void TfrmMain::TVMenuPropertiesItemClick() {
    m_fileCommands->TVMenuPropertiesItemClick();
}

void TfrmMain::Commandprompthere1Click() {
    m_fileCommands->Commandprompthere1Click();
}

void TfrmMain::CopyPathtoClipboard1Click() {
    m_fileCommands->CopyPathtoClipboard1Click();
}

}  // namespace qm::app
