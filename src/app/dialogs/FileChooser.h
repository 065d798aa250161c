#pragma once

#include <QPointer>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>

#include <QWidget>

namespace qm::app {

// What a file dialog is asked to show. Texts are as the program words them; paths are file
// system bytes.
struct FileChoice {
    std::string title;  // empty: the dialog's own title
    // Description and pattern alternating, "|"-separated: "CSV File (*.csv)|*.csv|All Files|*.*".
    std::string filter;
    std::string defaultExtension;  // added to a name typed without one, e.g. "DAT"
    std::string folder;            // where the dialog starts
    std::string fileName;          // the name it offers; empty for none
    // Save dialogs only: the dialog itself asks before an existing file is chosen.
    bool confirmOverwrite = false;
};

// The file dialogs of the window. The window is handed one, so that tests script the answers
// instead of showing a modal dialog.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // A name to write to: an existing file or a new name in an existing folder. nullopt when the
    // user cancels.
    virtual std::optional<std::string> ChooseSaveFile(const FileChoice& choice) = 0;
    // An existing file to read. nullopt when the user cancels.
    virtual std::optional<std::string> ChooseOpenFile(const FileChoice& choice) = 0;
};

// Qt's own file dialogs over parent. Qt's dialog (not the desktop's native one) is used because it
// adds the default extension before it checks for an existing file, so that its overwrite
// question is never skipped for a name typed without extension.
class QtFileChooser final : public FileChooser {
public:
    explicit QtFileChooser(QWidget* parent = nullptr) : m_parent(parent) {}
    std::optional<std::string> ChooseSaveFile(const FileChoice& choice) override;
    std::optional<std::string> ChooseOpenFile(const FileChoice& choice) override;

private:
    std::optional<std::string> Run(const FileChoice& choice, bool save);
    QPointer<QWidget> m_parent;
};

// The filters of a "|"-separated filter in Qt's form, one per description: the description as it
// stands when it already names its patterns in parentheses, else with them appended. "*.*" means
// every file, as in a folder listing, and becomes "*" (on this system a name needs no dot).
QStringList QtNameFilters(std::string_view filter);

// The suffix a file dialog adds to a name typed without one: the default extension in lower case,
// as files are named on this system (and as the dialogs' own "*.dat" patterns list them).
QString DefaultSuffix(std::string_view defaultExtension);

}  // namespace qm::app
