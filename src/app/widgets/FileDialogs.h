#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace qm::app {

// What an open or save dialog is asked to show.
struct FileDialogRequest {
    QString caption;
    QString folder;  // where it starts
    // Pairs of a description and its patterns, all joined by "|", e.g.
    // "Quillmere Settings|*.ini|All Files (*.*)|*.*"; several patterns of one pair by ";".
    QString filter;
    // Appended, after a dot, to a name the user gives without one (a save); empty for none.
    QString defaultExtension;
};

// Qt's name filters for a "|"-joined filter: "Quillmere Settings (*.ini)", "All Files (*)".
// "*.*" means every file, as it does in file listings here (Qt's "*.*" would skip names without a
// dot), and a description that already shows its patterns in brackets keeps only one pair.
QStringList QtNameFilters(const QString& filter);

// The file dialogs of the windows. The windows are handed one, so tests script the choices
// instead of answering a modal dialog.
class FileDialogs {
public:
    FileDialogs() = default;
    FileDialogs(const FileDialogs&) = delete;
    FileDialogs& operator=(const FileDialogs&) = delete;
    virtual ~FileDialogs() = default;

    // The chosen existing file, or none when the user cancelled.
    virtual std::optional<QString> OpenFile(QWidget* parent, const FileDialogRequest& request) = 0;
    // The chosen file, in an existing folder, or none when the user cancelled. Asks before an
    // existing file is replaced.
    virtual std::optional<QString> SaveFile(QWidget* parent, const FileDialogRequest& request) = 0;
};

// The dialogs that Qt shows.
class QtFileDialogs : public FileDialogs {
public:
    std::optional<QString> OpenFile(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> SaveFile(QWidget* parent, const FileDialogRequest& request) override;
};

}  // namespace qm::app
