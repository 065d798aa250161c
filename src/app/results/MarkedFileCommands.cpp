#include "app/results/MarkedFileCommands.h"

#include <exception>
#include <string>

#include "app/results/DupeTreeModel.h"
#include "platform/FileOperations.h"
#include "results/MarkedFileActions.h"

namespace qm::app {

MarkedFileCommands::MarkedFileCommands(DupeTreeModel& model, foundation::Prompter& prompter,
                                       QWidget* dialogParent)
    : QObject(&model),
      m_model(model),
      m_prompter(prompter),
      m_chooser([dialogParent] { return TfrmSelectDir::Choose(dialogParent); }) {}

platform::FileOperations& MarkedFileCommands::Operations() const {
    return m_operations != nullptr ? *m_operations : platform::SystemFileOperations();
}

template <class Command>
void MarkedFileCommands::Run(Command&& command) {
    m_running = true;
    m_stopRequested = false;
    m_model.SetMarksLocked(true);
    emit RunningChanged(true);

    results::MarkedActionOptions options;
    options.stopRequested = [this] { return m_stopRequested; };
    // The row's hint tells where the file went, or why it stayed.
    options.onRow = [this](const results::RowOutcome& row) {
        if (row.ok && !row.newPath.empty()) {
            m_model.SetOutcomeNote(row.node, "Now at: " + row.newPath);
        } else if (!row.ok) {
            m_model.SetOutcomeNote(row.node, row.reason.empty()
                                                 ? std::string("Left as it was.")
                                                 : "Left as it was: " + row.reason + ".");
        }
    };
    // Rows already acted on are repainted even when a later one throws; the error then goes on to
    // the general error display, with the window unlocked.
    std::exception_ptr failure;
    m_model.ModifyRecords([&](results::ResultTree& tree) {
        try {
            command(tree, options);
        } catch (...) {
            failure = std::current_exception();
        }
    });

    m_model.SetMarksLocked(false);
    m_running = false;
    emit RunningChanged(false);
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void MarkedFileCommands::DeleteMarked() {
    if (m_running) {
        return;
    }
    Run([&](results::ResultTree& tree, const results::MarkedActionOptions& options) {
        results::DeleteMarkedCommand(tree, m_prompter, Operations(), m_model.Host(), options);
    });
}

void MarkedFileCommands::MoveMarked() {
    if (m_running) {
        return;
    }
    const std::optional<SelectedDir> target = m_chooser();
    if (!target) {
        return;
    }
    Run([&](results::ResultTree& tree, const results::MarkedActionOptions& options) {
        results::MoveMarkedCommand(tree, target->path, target->preservePaths, m_prompter,
                                   Operations(), m_model.Host(), options);
    });
}

}  // namespace qm::app
