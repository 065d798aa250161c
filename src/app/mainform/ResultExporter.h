#pragma once

#include <QObject>
#include <array>
#include <string>
#include <vector>

#include "storage/ExportDocument.h"

class QAction;
class QMenu;
class QWidget;

namespace qm::foundation {
class Prompter;
}

namespace qm::platform {
class Locale;
}

namespace qm::app {

class DupeTreeView;
class FileChooser;
class WindowHost;

inline constexpr const char* kExportBtnHint =
    "Export the duplicate file search results to various file formats.";
inline constexpr const char* kExportDialogTitle = "Export File...";

// One item of the export menu and what its export dialog offers.
struct ExportMenuEntry {
    storage::ExportFormat format;
    const char* caption;
    const char* objectName;
    const char* filter;
    const char* defaultExtension;
};

// The four exports in menu order: CSV, HTML, RTF, text.
const std::array<ExportMenuEntry, 4>& ExportMenuEntries();
const ExportMenuEntry& ExportMenuEntryOf(storage::ExportFormat format);

// The name the export dialog offers after lastName was chosen: lastName itself, except that an
// extension of one of the four exports becomes the one of format, so that a name chosen for one
// format never leads another format's document into a file named for the first.
std::string OfferedExportName(const std::string& lastName, storage::ExportFormat format);

// The export menu ExportMenu and its dialog ExportDialog: writes every row of the results tree,
// collapsed sets included, in the tree's visible columns in their current display order, with the
// texts the tree shows. The document is built, rendered and written (through a temporary file
// that replaces the target only when complete) on a worker thread while the window yields.
class ResultExporter : public QObject {
    Q_OBJECT
public:
    // view, host, prompter, chooser and locale must outlive the exporter; the menu is a child of
    // menuParent.
    ResultExporter(DupeTreeView& view, WindowHost& host, foundation::Prompter& prompter,
                   FileChooser& chooser, const platform::Locale& locale, QWidget* menuParent);

    QMenu* ExportMenu() const { return m_menu; }
    QAction* Item(storage::ExportFormat format) const;

    void SetChooser(FileChooser& chooser) { m_chooser = &chooser; }
    // Where the dialog starts (file system bytes).
    void SetStartFolder(std::string folder) { m_startFolder = std::move(folder); }
    // The name last chosen in the dialog; empty before the first export.
    const std::string& LastFileName() const { return m_lastFileName; }
    bool Busy() const { return m_busy; }

    // The tree's visible columns, left to right as they show, with their header captions.
    std::vector<storage::ExportColumn> VisibleColumns() const;

    // Asks for a file name (the dialog asks before an existing file is replaced) and writes the
    // whole tree to it in format. A failure is shown; the old file then stays as it was.
    void Export(storage::ExportFormat format);

private:
    DupeTreeView& m_view;
    WindowHost& m_host;
    foundation::Prompter& m_prompter;
    FileChooser* m_chooser;
    const platform::Locale& m_locale;
    QMenu* m_menu;
    std::array<QAction*, 4> m_items{};
    std::string m_startFolder;
    std::string m_lastFileName;
    bool m_busy = false;
};

}  // namespace qm::app
