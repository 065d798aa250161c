// TfrmMain: the File menu's settings commands. SettingsFileCommands says which file; the window
// reads it into its controls and writes them out.
#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTreeView>
#include <filesystem>

#include "app/mainform/FilterEditor.h"
#include "app/mainform/MainForm.h"
#include "app/mainform/SettingsFileCommands.h"
#include "app/widgets/CheckableFolderModel.h"
#include "app/widgets/PathListBox.h"
#include "app/widgets/QtText.h"
#include "foundation/Error.h"
#include "foundation/Globals.h"
#include "foundation/Prompter.h"
#include "platform/Locale.h"
#include "storage/SettingsFile.h"

namespace qm::app {

namespace {

bool FolderExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

// Height of the strip at a window's top edge that must stay on some screen, so that the user can
// still grab the title bar.
constexpr int kGrabStrip = 30;

}  // namespace

void TfrmMain::ConnectFile() {
    connect(FileMenuOpenItem, &QAction::triggered, this,
            [this] { FileMenuOpenItemClick(SettingsOrigin::Menu); });
    connect(FileMenuSaveItem, &QAction::triggered, this,
            [this] { FileMenuSaveItemClick(SettingsOrigin::Menu); });
    connect(m_settingsFiles, &SettingsFileCommands::RecentFileClicked, this,
            &TfrmMain::MRUListClick);
}

const SettingsPlaces& TfrmMain::Places() const {
    return m_settingsFiles->Places();
}

const storage::RecentFiles& TfrmMain::RecentFiles() const {
    return m_settingsFiles->Recent();
}

void TfrmMain::FileMenuOpenItemClick(SettingsOrigin origin) {
    const std::optional<std::string> path = m_settingsFiles->FileToOpen(origin);
    if (!path) {
        if (origin == SettingsOrigin::MainWindow) {
            m_filters->LoadDefaultFilters();
        }
        return;
    }
    try {
        LoadSettingsFile(*path);
    } catch (const Error& error) {
        m_prompter->ShowError(error.what());
        if (origin == SettingsOrigin::MainWindow) {
            // An unreadable Default.ini must not leave the user without a filter table.
            m_filters->LoadDefaultFilters();
        }
        return;
    }
    QCoreApplication::processEvents();
    // The filter cursor stands on the global filter, or on the first row (SetRows placed it).
    m_filters->UpdateFilterButtons();
    UpdateSearchButtons();
    if (!SearchPaths().empty()) {
        PathLB->setCurrentRow(0);
    }
}

void TfrmMain::FileMenuSaveItemClick(SettingsOrigin origin) {
    const std::optional<std::string> path = m_settingsFiles->FileToSave(origin);
    if (!path) {
        return;
    }
    try {
        SaveSettingsFile(*path);
    } catch (const Error& error) {
        // The old file is intact; at close the window closes all the same.
        m_prompter->ShowError(error.what());
    }
}

void TfrmMain::MRUListClick(const std::string& path) {
    m_settingsFiles->SetChosenRecentPath(path);
    if (!path.empty()) {
        FileMenuOpenItemClick(SettingsOrigin::RecentFiles);
    }
    // The chosen entry moves to the top, also when its file was not found.
    m_settingsFiles->AddRecentFile(path);
}

void TfrmMain::LoadSettingsFile(const std::string& path) {
    // Read first: a file that cannot be read changes nothing.
    const storage::SettingsFile file = storage::ReadSettingsFile(path);
    ApplyWindowGeometry(file.window.value_or(storage::WindowGeometry{}));

    scope::SearchSettings search = file.search;
    search.searchFolders =
        storage::SearchFoldersToRestore(search.searchFolders, platform::UserLocale(), FolderExists);
    search.filters =
        storage::FilterRowsToRestore(std::move(search.filters), platform::UserLocale());
    // What Select All showed does not survive a file: the label lists the ticks in table order.
    search.filterLabelSorted = false;
    ApplySettings(search);

    // A folder the tree cannot show leaves the current node where the search folders left it.
    const QModelIndex active = FolderModel()->LocateNode(PathText(file.activeDirectory));
    if (active.isValid()) {
        DirLB->setCurrentIndex(active);
        DirLB->scrollTo(active);
    }
}

void TfrmMain::SaveSettingsFile(const std::string& path) const {
    storage::SettingsFile file;
    file.search = CurrentSettings();
    file.window = NormalGeometry();
    const QString active = FolderModel()->NodePath(DirLB->currentIndex());
    if (!active.isEmpty()) {
        file.activeDirectory = foundation::AddTrailingBackslash(PathBytes(active));
    }
    file.activeFilter = FilterLbl->text().toStdString();
    storage::WriteSettingsFile(path, file);
}

std::optional<storage::WindowGeometry> TfrmMain::NormalGeometry() const {
    if ((windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) != 0) {
        return std::nullopt;
    }
    return storage::WindowGeometry{x(), y(), width(), height()};
}

void TfrmMain::ApplyWindowGeometry(const storage::WindowGeometry& geometry) {
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    QPoint topLeft(geometry.left, geometry.top);
    // A file saved with another screen layout may place the window where no screen shows it now:
    // then it goes to the top left of the primary screen, where the user can see it.
    const QRect grabStrip(topLeft, QSize(geometry.width, kGrabStrip));
    bool reachable = false;
    for (const QScreen* screen : QGuiApplication::screens()) {
        reachable = reachable || screen->availableGeometry().intersects(grabStrip);
    }
    if (!reachable && QGuiApplication::primaryScreen() != nullptr) {
        topLeft = QGuiApplication::primaryScreen()->availableGeometry().topLeft();
    }
    move(topLeft);
    resize(geometry.width, geometry.height);
}

}  // namespace qm::app
