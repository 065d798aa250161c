#include "app/mainform/ResultsFileCommands.h"

#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "app/dialogs/FileChooser.h"
#include "app/mainform/WindowHost.h"
#include "app/results/DupeTreeModel.h"
#include "app/widgets/QtText.h"
#include "engine/YieldingWork.h"
#include "foundation/Prompter.h"
#include "results/ResultLine.h"
#include "storage/ResultsFile.h"

namespace qm::app {

namespace {

// The name as the user sees it in a message.
std::string ShownName(const std::string& path) {
    return PathText(path).toStdString();
}

// Whether anything stands at path, a dangling symbolic link included: writing there replaces it.
bool NameTaken(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// Marks a command as running for as long as it lives.
class BusyScope {
public:
    explicit BusyScope(bool& busy) : m_busy(busy) { m_busy = true; }
    ~BusyScope() { m_busy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_busy;
};

}  // namespace

std::string OverwriteResultsQuestion(const std::string& fileName) {
    return "\"" + fileName + "\" already exists. Do you want to overwrite this file?";
}

std::string ResultsSavedMessage(const std::string& fileName) {
    return "Search results have been saved to: \"" + fileName + ".\"";
}

ResultsFileCommands::ResultsFileCommands(DupeTreeModel& model, WindowHost& host,
                                         foundation::Prompter& prompter, FileChooser& chooser,
                                         QObject* parent)
    : QObject(parent), m_model(model), m_host(host), m_prompter(prompter), m_chooser(&chooser) {}

void ResultsFileCommands::Save() {
    if (m_busy) {
        return;
    }
    const BusyScope busy(m_busy);
    FileChoice choice;
    choice.filter = kResultsFileFilter;
    choice.defaultExtension = kResultsFileExtension;
    choice.folder = m_startFolder;
    // The program asks about an existing file itself, below.
    choice.confirmOverwrite = false;
    const std::optional<std::string> path = m_chooser->ChooseSaveFile(choice);
    if (!path) {
        return;
    }
    if (NameTaken(*path) && !m_prompter.Ask(OverwriteResultsQuestion(ShownName(*path)))) {
        return;
    }
    try {
        const results::ResultTree& tree = m_model.Tree();
        // Only a fill replaces the tree's rows, and no fill starts while this runs; marking
        // changes no field that is written.
        engine::RunWhileYielding(m_host, tree.NodeCount(), [&] {
            storage::WriteResultsFile(*path, storage::ResultsRowsOf(tree));
        });
    } catch (const std::exception& error) {
        m_prompter.ShowError(error.what());
        return;
    }
    m_prompter.Inform(ResultsSavedMessage(ShownName(*path)));
}

void ResultsFileCommands::Load() {
    if (m_busy) {
        return;
    }
    const BusyScope busy(m_busy);
    emit LoadStarting();
    FileChoice choice;
    choice.filter = kResultsFileFilter;
    choice.defaultExtension = kResultsFileExtension;
    choice.folder = m_startFolder;
    const std::optional<std::string> path = m_chooser->ChooseOpenFile(choice);
    if (!path) {
        return;
    }
    LoadChosenFile(*path);
}

void ResultsFileCommands::LoadChosenFile(const std::string& path) {
    emit LoadChosen();
    m_host.SetStatusText(kLoadingDataFileText);
    m_host.Yield();

    std::vector<results::ResultLine> lines;
    try {
        // The whole file is read before the tree is touched: a file that cannot be read changes
        // nothing.
        engine::RunWhileYielding(
            m_host, std::function<void()>([&] { lines = storage::ReadResultsFile(path); }));
    } catch (const std::exception& error) {
        emit LoadFailed();
        m_prompter.ShowError(error.what());
        return;
    }
    m_host.Yield();

    m_model.PopulateResultsTree(lines);
    emit ResultsViewWanted();

    m_host.SetStatusText(kCalculatingLoadedInfoText);
    m_host.Yield();
    if (const std::optional<std::string> text =
            m_model.ShowResultStatistics(lines.empty(), true, std::string())) {
        emit StatisticsText(Utf8Text(*text));
    }
    m_host.SetStatusText(kSearchResultsLoadedText);
    // The rows of a large file take a while to free; the window need not wait for that.
    engine::RunWhileYielding(m_host, lines.size(),
                             [&] { std::vector<results::ResultLine>().swap(lines); });
    m_host.Yield();
}

}  // namespace qm::app
