#pragma once

#include <QObject>
#include <QString>
#include <string>

namespace qm::foundation {
class Prompter;
}

namespace qm::app {

class DupeTreeModel;
class FileChooser;
class WindowHost;

// The filter and default extension of both results-file dialogs.
inline constexpr const char* kResultsFileFilter =
    "Quillmere Search Results|*.dat|All Files (*.*)|*.*";
inline constexpr const char* kResultsFileExtension = "DAT";
inline constexpr const char* kSaveResultsHint =
    "Save the current duplicate file search results to a file for later use.";
inline constexpr const char* kLoadResultsHint = "Load search results from a previous search.";
inline constexpr const char* kLoadingDataFileText = "Loading data file, please wait...";
inline constexpr const char* kCalculatingLoadedInfoText =
    "Calculating duplicate file information, please wait...";
inline constexpr const char* kSearchResultsLoadedText = "Search results loaded.";

// "\"NAME\" already exists. Do you want to overwrite this file?"
std::string OverwriteResultsQuestion(const std::string& fileName);
// "Search results have been saved to: \"NAME.\""
std::string ResultsSavedMessage(const std::string& fileName);

// Saving the results tree to a results file and loading one back into it (SearchSaveDlg,
// SearchOpenDlg). Files are read and written on a worker thread while the window yields, so a
// file of a million rows keeps the window answering; the tree is filled on the window's thread
// with the yields of every fill. While a command runs (Busy) another is refused; the window starts
// no search and defers closing meanwhile.
//
// Steps that belong to the window (its views, flags and labels) are asked for by signals, all
// delivered directly, in the order a load needs them.
class ResultsFileCommands : public QObject {
    Q_OBJECT
public:
    // Everything must outlive the commands.
    ResultsFileCommands(DupeTreeModel& model, WindowHost& host, foundation::Prompter& prompter,
                        FileChooser& chooser, QObject* parent = nullptr);

    void SetChooser(FileChooser& chooser) { m_chooser = &chooser; }
    // Where both dialogs start (file system bytes).
    void SetStartFolder(std::string folder) { m_startFolder = std::move(folder); }
    const std::string& StartFolder() const { return m_startFolder; }

    bool Busy() const { return m_busy; }

    // Asks for a file name, confirms replacing an existing file, writes every file row of the tree
    // (through a temporary file that replaces the old one only when complete) and says where.
    void Save();
    // Asks for a results file and fills the tree from it as a search would, then shows the
    // statistics. A file that cannot be read changes nothing and the error says why.
    void Load();

signals:
    // A load starts (before its dialog): the window clears its abort flag.
    void LoadStarting();
    // A file was chosen and is about to be read: the status line belongs to the load from now on.
    void LoadChosen();
    // Reading failed; nothing has changed. The error is shown right after.
    void LoadFailed();
    // The tree holds the loaded results (or, for an empty file, what it held): show them.
    void ResultsViewWanted();
    void StatisticsText(const QString& text);

private:
    void LoadChosenFile(const std::string& path);

    DupeTreeModel& m_model;
    WindowHost& m_host;
    foundation::Prompter& m_prompter;
    FileChooser* m_chooser;
    std::string m_startFolder;
    bool m_busy = false;
};

}  // namespace qm::app
