#include "app/results/FileCommands.h"

#include <QAction>
#include <QMenu>

#include "app/dialogs/FilePropertiesForm.h"
#include "app/results/DupeTreeView.h"
#include "app/widgets/QtText.h"
#include "foundation/Prompter.h"
#include "platform/FileDetails.h"
#include "platform/qt/DesktopServices.h"
#include "results/TEntry.h"

namespace qm::app {

namespace {

QAction* MakeItem(const QString& caption, const char* name, QObject* parent) {
    auto* item = new QAction(caption, parent);
    item->setObjectName(QLatin1String(name));
    return item;
}

}  // namespace

std::string UnableToOpenMessage(const std::string& path) {
    return "Unable to open \"" + PathText(path).toStdString() + "\"";
}

FileCommands::FileCommands(DupeTreeView* view, foundation::Prompter& prompter,
                           QWidget* dialogParent)
    : QObject(view), m_view(view), m_prompter(prompter), m_dialogParent(dialogParent) {
    QMenu* menu = view->TVMenu();
    m_commandPromptItem =
        MakeItem(QStringLiteral("Command Prompt Here"), "Commandprompthere1", menu);
    m_copyPathItem =
        MakeItem(QStringLiteral("Copy Path to Clipboard"), "CopyPathtoClipboard1", menu);
    m_exploreItem = MakeItem(QStringLiteral("Explore Target Folder"), "TVMenuExploreItem", menu);
    m_openItem = MakeItem(QStringLiteral("Open Target Folder"), "TVMenuOpenItem", menu);
    m_executeItem = MakeItem(QStringLiteral("Execute File"), "TVMenuExecuteItem", menu);
    m_propertiesItem = MakeItem(QStringLiteral("P&roperties"), "TVMenuPropertiesItem", menu);

    QAction* marking = view->MarkAllInDirItem();
    menu->insertActions(marking, {m_commandPromptItem, m_copyPathItem, m_exploreItem, m_openItem});
    menu->insertSeparator(marking);
    menu->insertAction(marking, m_executeItem);
    menu->insertSeparator(marking);
    menu->addSeparator();
    menu->addAction(m_propertiesItem);

    connect(m_commandPromptItem, &QAction::triggered, this, &FileCommands::Commandprompthere1Click);
    connect(m_copyPathItem, &QAction::triggered, this, &FileCommands::CopyPathtoClipboard1Click);
    connect(m_exploreItem, &QAction::triggered, this, &FileCommands::ExploreTargetBtnClick);
    connect(m_openItem, &QAction::triggered, this, &FileCommands::OpenTargetBtnClick);
    connect(m_executeItem, &QAction::triggered, this, &FileCommands::ExecuteBtnClick);
    connect(m_propertiesItem, &QAction::triggered, this, &FileCommands::TVMenuPropertiesItemClick);
}

FileCommands::~FileCommands() = default;

platform::DesktopServices& FileCommands::Services() {
    if (m_services) {
        return *m_services;
    }
    if (!m_systemServices) {
        m_systemServices = std::make_unique<platform::SystemDesktopServices>();
    }
    return *m_systemServices;
}

const results::TEntry* FileCommands::SelectedFileRow() const {
    const DupeTreeView::NodeId node = m_view->SelectedNode();
    const results::ResultTree& tree = m_view->Model()->Tree();
    // A root row has no folder and no file: there is nothing to hand over.
    if (node == results::ResultTree::kNoNode || !tree.IsFileRow(node)) {
        return nullptr;
    }
    return &tree.At(node).entry;
}

void FileCommands::UnableToOpen(const std::string& path) {
    m_prompter.Inform(UnableToOpenMessage(path));
}

void FileCommands::OpenTargetBtnClick() {
    if (const results::TEntry* row = SelectedFileRow()) {
        if (!platform::IsFolder(row->Folder) || !Services().Open(row->Folder)) {
            UnableToOpen(row->Folder);
        }
    }
}

void FileCommands::ExploreTargetBtnClick() {
    if (const results::TEntry* row = SelectedFileRow()) {
        if (!platform::IsFolder(row->Folder) || !Services().Explore(row->Folder, row->FullPath())) {
            UnableToOpen(row->Folder);
        }
    }
}

void FileCommands::ExecuteBtnClick() {
    if (const results::TEntry* row = SelectedFileRow()) {
        const std::string path = row->FullPath();
        if (!platform::IsRegularFile(path) || !Services().Open(path)) {
            UnableToOpen(path);
        }
    }
}

void FileCommands::TVMenuPropertiesItemClick() {
    const results::TEntry* row = SelectedFileRow();
    if (!row) {
        return;
    }
    const std::string path = row->FullPath();
    const platform::FileDetails details =
        platform::ReadFileDetails(path, TfrmFileProperties::kTypeSniffBytes);
    // There is no desktop sheet to report a missing file here: the dialog would show nothing.
    if (!details.exists) {
        UnableToOpen(path);
        return;
    }
    auto* dialog = new TfrmFileProperties(row->Folder, row->FileName, details, m_dialogParent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void FileCommands::Commandprompthere1Click() {
    const results::TEntry* row = SelectedFileRow();
    if (!row) {
        return;
    }
    if (!platform::IsFolder(row->Folder)) {
        UnableToOpen(row->Folder);
        return;
    }
    switch (Services().OpenTerminal(row->Folder)) {
        case platform::TerminalOutcome::Started:
            break;
        case platform::TerminalOutcome::NotInstalled:
            m_prompter.Inform(kNoTerminalMessage);
            break;
        case platform::TerminalOutcome::Failed:
            UnableToOpen(row->Folder);
            break;
    }
}

void FileCommands::CopyPathtoClipboard1Click() {
    if (const results::TEntry* row = SelectedFileRow()) {
        Services().SetClipboardText(PathText(row->Folder));
    }
}

}  // namespace qm::app
