#pragma once

#include <QObject>
#include <functional>
#include <optional>

#include "app/dialogs/SelectDirForm.h"

class QWidget;

namespace qm::foundation {
class Prompter;
}
namespace qm::platform {
class FileOperations;
}

namespace qm::app {

class DupeTreeModel;

// The two commands of the results toolbar that act on the marked files: send them to the trash,
// or move them to a folder the user picks. Questions go to the prompter, progress and status
// texts to the model's host; each row of the tree records its outcome (Removed or Failed), its
// hint tells where the file went or why it stayed, and the rows whose state changed are repainted
// afterwards.
//
// While a command runs, the model's marks are locked, and Running() tells the window to lock the
// commands that would change the tree; the host's yields keep the window answering meanwhile.
class MarkedFileCommands : public QObject {
    Q_OBJECT
public:
    // Picks where a move goes; nullopt when the user cancelled.
    using DestinationChooser = std::function<std::optional<SelectedDir>()>;

    // model and prompter must outlive the commands; the destination dialog opens over
    // dialogParent.
    MarkedFileCommands(DupeTreeModel& model, foundation::Prompter& prompter, QWidget* dialogParent);

    // The file operations the commands use; null (the default) means the system's.
    void SetFileOperations(platform::FileOperations* operations) { m_operations = operations; }
    // The destination dialog of a move; the default is TfrmSelectDir.
    void SetDestinationChooser(DestinationChooser chooser) { m_chooser = std::move(chooser); }

    // DeleteMarkedBtn: the confirmation (and, when some sets would lose every copy, the second
    // question), then every marked file to the trash.
    void DeleteMarked();
    // MoveToFolderBtn: the destination dialog, the confirmation, then every marked file into the
    // chosen folder.
    void MoveMarked();

    bool Running() const { return m_running; }
    // Stops a running command after the file at hand; the files not reached stay marked.
    void RequestStop() { m_stopRequested = true; }

signals:
    // A command starts (true) or has ended (false).
    void RunningChanged(bool running);

private:
    template <class Command>
    void Run(Command&& command);
    platform::FileOperations& Operations() const;

    DupeTreeModel& m_model;
    foundation::Prompter& m_prompter;
    platform::FileOperations* m_operations = nullptr;
    DestinationChooser m_chooser;
    bool m_running = false;
    bool m_stopRequested = false;
};

}  // namespace qm::app
