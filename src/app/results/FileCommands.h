#pragma once

#include <QObject>
#include <memory>
#include <string>

class QAction;
class QWidget;

namespace qm::foundation {
class Prompter;
}

namespace qm::platform {
class DesktopServices;
}

namespace qm::results {
struct TEntry;
}

namespace qm::app {

class DupeTreeView;

// The commands on the selected file row of the results tree: open its folder, explore it, open
// the file with its associated program, show its properties, open a terminal in its folder, copy
// the folder's path to the clipboard. Each hands the row to the desktop services; a folder or
// file that is gone, or that the desktop would not take, is reported as "Unable to open \"...\"".
// With no file row selected a command does nothing.
//
// It puts its items into the tree's context menu TVMenu around the marking items:
// "Command Prompt Here", "Copy Path to Clipboard", "Explore Target Folder", "Open Target Folder",
// -, "Execute File", -, the marking items, -, "P&roperties".
class FileCommands : public QObject {
    Q_OBJECT
public:
    // view must outlive the commands; prompter tells the user what failed; dialogParent owns the
    // properties dialogs.
    FileCommands(DupeTreeView* view, foundation::Prompter& prompter, QWidget* dialogParent);
    ~FileCommands() override;

    // Where the commands go; null (the default) means the desktop of this session. Not owned.
    void SetDesktopServices(platform::DesktopServices* services) { m_services = services; }
    platform::DesktopServices& Services();

    QAction* OpenItem() const { return m_openItem; }
    QAction* ExploreItem() const { return m_exploreItem; }
    QAction* ExecuteItem() const { return m_executeItem; }
    QAction* PropertiesItem() const { return m_propertiesItem; }
    QAction* CommandPromptItem() const { return m_commandPromptItem; }
    QAction* CopyPathItem() const { return m_copyPathItem; }

    void OpenTargetBtnClick();
    void ExploreTargetBtnClick();
    void ExecuteBtnClick();
    // Opens the properties dialog of the file; it stays open beside the window until closed.
    void TVMenuPropertiesItemClick();
    void Commandprompthere1Click();
    // Throws platform::EClipboardError when the clipboard cannot be used.
    void CopyPathtoClipboard1Click();

private:
    // The record of the selected file row, or null.
    const results::TEntry* SelectedFileRow() const;
    void UnableToOpen(const std::string& path);

    DupeTreeView* m_view;
    foundation::Prompter& m_prompter;
    QWidget* m_dialogParent;
    platform::DesktopServices* m_services = nullptr;
    std::unique_ptr<platform::DesktopServices> m_systemServices;
    QAction* m_commandPromptItem;
    QAction* m_copyPathItem;
    QAction* m_exploreItem;
    QAction* m_openItem;
    QAction* m_executeItem;
    QAction* m_propertiesItem;
};

// The message for a folder or file that could not be opened: Unable to open "path".
std::string UnableToOpenMessage(const std::string& path);
// Said when no terminal emulator is installed.
inline constexpr const char* kNoTerminalMessage =
    "No terminal emulator was found. Install one, or name yours in the TERMINAL environment "
    "variable.";

}  // namespace qm::app
