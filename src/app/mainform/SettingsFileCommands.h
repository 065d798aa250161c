#pragma once

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "storage/RecentFiles.h"

class QMenu;
class QWidget;

namespace qm::foundation {
class Prompter;
}

namespace qm::platform {
class Locale;
}

namespace qm::app {

class FileChooser;

// Where the main window keeps what outlives it. An empty member keeps nothing: a window made
// without places (what tests get unless they hand in their own) reads and writes no Default.ini
// and forgets its recent files when it goes.
struct SettingsPlaces {
    // Holds Default.ini, and the settings dialogs start there; ends in the separator.
    std::string settingsFolder;
    // The per-user store of the recent-files list: a QSettings location in the native format (a
    // file here, a registry key on Windows).
    QString recentFilesStore;

    // The user's own: the settings folder that goes with the program folder (beside the program
    // when it is a portable copy, else the user's configuration folder) and the user's store.
    static SettingsPlaces ForUser(const std::string& programFolder);
};

// Who runs the open or save command.
enum class SettingsOrigin {
    MainWindow,   // the first show reads Default.ini, the close writes it
    RecentFiles,  // an entry of the "&Recent Files" submenu
    Menu,         // the File menu (or its shortcut), with a file dialog
};

// The choice of a settings file for the open and save commands, and the recent-files list with
// its submenu "&Recent Files" and its per-user store. Reading and writing the files is the
// window's (it knows the controls); this only says which file.
class SettingsFileCommands : public QObject {
    Q_OBJECT
public:
    // prompter says that a recent file is gone, locale compares its paths and chooser shows the
    // open and save dialogs; all three must outlive this. The submenu belongs to menuParent.
    // Reads the recent-files list from its store.
    SettingsFileCommands(SettingsPlaces places, const platform::Locale& locale,
                         foundation::Prompter& prompter, FileChooser& chooser, QWidget* menuParent);
    ~SettingsFileCommands() override;

    // Replaces the file dialogs; chooser must outlive this.
    void SetChooser(FileChooser& chooser) { m_chooser = &chooser; }

    const SettingsPlaces& Places() const { return m_places; }
    // The submenu "&Recent Files": one item per entry, or a disabled "(None)".
    QMenu* RecentMenu() const { return m_recentMenu; }
    const storage::RecentFiles& Recent() const { return m_recent; }

    // The file the open command reads, none to stop: Default.ini when it exists (MainWindow);
    // the chosen recent file when it exists, else after saying that it is gone (RecentFiles);
    // the existing file chosen in the open dialog, which becomes the newest recent file (Menu).
    std::optional<std::string> FileToOpen(SettingsOrigin origin);
    // The file the save command writes, none to stop: Default.ini (MainWindow, none without a
    // settings folder); the file chosen in the save dialog, which becomes the newest recent file
    // (Menu).
    std::optional<std::string> FileToSave(SettingsOrigin origin);

    // The recent file the user chose; the open command with origin RecentFiles reads it.
    void SetChosenRecentPath(std::string path) { m_chosenRecentPath = std::move(path); }
    // Puts path at the top of the recent files (see RecentFiles::Add); rebuilds the submenu.
    void AddRecentFile(const std::string& path);

    // The list from its store ("MRU"/"H0" ...) and back; without a store, nothing happens.
    void ReadRecentFiles();
    void WriteRecentFiles() const;

signals:
    // The user chose an entry of the submenu.
    void RecentFileClicked(const std::string& path);

private:
    void RebuildRecentMenu();

    SettingsPlaces m_places;
    foundation::Prompter& m_prompter;
    storage::RecentFiles m_recent;
    QMenu* m_recentMenu;
    FileChooser* m_chooser;
    std::string m_chosenRecentPath;
};

}  // namespace qm::app
