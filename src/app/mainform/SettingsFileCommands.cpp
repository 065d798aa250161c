#include "app/mainform/SettingsFileCommands.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <filesystem>
#include <system_error>

#include "app/dialogs/FileChooser.h"
#include "app/widgets/QtText.h"
#include "foundation/Prompter.h"
#include "platform/UserFolders.h"
#include "storage/SettingsLocation.h"

namespace qm::app {

namespace {

const char* const kSettingsFilter = "Quillmere Settings|*.ini|All Files (*.*)|*.*";
const char* const kSettingsExtension = "ini";
const char* const kRecentGroup = "MRU";

// The open and save dialogs of settings files start in the settings folder.
FileChoice SettingsFileChoice(const QString& title, const std::string& settingsFolder) {
    FileChoice choice;
    choice.title = title.toStdString();
    choice.filter = kSettingsFilter;
    choice.defaultExtension = kSettingsExtension;
    choice.folder = settingsFolder;
    return choice;
}

bool IsFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

QString StoreKey(std::size_t index) {
    return QStringLiteral("H%1").arg(index);
}

// A path is kept as text where the text gives back its bytes, otherwise as the bytes themselves.
QVariant StoredPath(const std::string& path) {
    const QString text = PathText(path);
    if (PathBytes(text) == path) {
        return text;
    }
    return QByteArray::fromStdString(path);
}

std::string PathOfStored(const QVariant& value) {
    if (value.typeId() == QMetaType::QByteArray) {
        return value.toByteArray().toStdString();
    }
    return PathBytes(value.toString());
}

}  // namespace

SettingsPlaces SettingsPlaces::ForUser(const std::string& programFolder) {
    return {storage::SettingsFolder(programFolder),
            QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quillmere"),
                      QStringLiteral("Quillmere"))
                .fileName()};
}

SettingsFileCommands::SettingsFileCommands(SettingsPlaces places, const platform::Locale& locale,
                                           foundation::Prompter& prompter, FileChooser& chooser,
                                           QWidget* menuParent)
    : QObject(menuParent),
      m_places(std::move(places)),
      m_prompter(prompter),
      m_recent(locale),
      m_recentMenu(new QMenu(tr("&Recent Files"), menuParent)),
      m_chooser(&chooser) {
    m_recentMenu->setObjectName(QStringLiteral("MRUList"));
    ReadRecentFiles();
}

SettingsFileCommands::~SettingsFileCommands() = default;

std::optional<std::string> SettingsFileCommands::FileToOpen(SettingsOrigin origin) {
    switch (origin) {
        case SettingsOrigin::MainWindow: {
            if (m_places.settingsFolder.empty()) {
                return std::nullopt;
            }
            std::string path = m_places.settingsFolder + std::string(storage::kDefaultSettingsName);
            if (!IsFile(path)) {
                return std::nullopt;
            }
            return path;
        }
        case SettingsOrigin::RecentFiles:
            if (!IsFile(m_chosenRecentPath)) {
                m_prompter.Inform(storage::RecentFileMissingMessage(m_chosenRecentPath));
                return std::nullopt;
            }
            return m_chosenRecentPath;
        case SettingsOrigin::Menu: {
            std::optional<std::string> path = m_chooser->ChooseOpenFile(
                SettingsFileChoice(tr("Open Search Settings"), m_places.settingsFolder));
            if (!path || !IsFile(*path)) {
                return std::nullopt;
            }
            AddRecentFile(*path);
            return path;
        }
    }
    return std::nullopt;
}

std::optional<std::string> SettingsFileCommands::FileToSave(SettingsOrigin origin) {
    if (origin != SettingsOrigin::Menu) {
        if (m_places.settingsFolder.empty()) {
            return std::nullopt;
        }
        return m_places.settingsFolder + std::string(storage::kDefaultSettingsName);
    }
    FileChoice choice = SettingsFileChoice(tr("Save Search Settings"), m_places.settingsFolder);
    choice.confirmOverwrite = true;
    std::optional<std::string> path = m_chooser->ChooseSaveFile(choice);
    if (path) {
        AddRecentFile(*path);
    }
    return path;
}

void SettingsFileCommands::AddRecentFile(const std::string& path) {
    m_recent.Add(path);
    RebuildRecentMenu();
}

void SettingsFileCommands::ReadRecentFiles() {
    std::vector<std::string> stored;
    if (!m_places.recentFilesStore.isEmpty()) {
        QSettings store(m_places.recentFilesStore, QSettings::NativeFormat);
        store.beginGroup(QLatin1String(kRecentGroup));
        for (std::size_t i = 0; i < storage::kMaxRecentFiles; ++i) {
            stored.push_back(PathOfStored(store.value(StoreKey(i))));
        }
    }
    m_recent.Load(stored);
    RebuildRecentMenu();
}

void SettingsFileCommands::WriteRecentFiles() const {
    if (m_places.recentFilesStore.isEmpty()) {
        return;
    }
    QSettings store(m_places.recentFilesStore, QSettings::NativeFormat);
    store.beginGroup(QLatin1String(kRecentGroup));
    store.remove(QString());  // the whole group: no entry of a longer list stays behind
    for (std::size_t i = 0; i < m_recent.Paths().size(); ++i) {
        store.setValue(StoreKey(i), StoredPath(m_recent.Paths()[i]));
    }
    store.endGroup();
    store.sync();
}

void SettingsFileCommands::RebuildRecentMenu() {
    m_recentMenu->clear();
    const std::vector<std::string> captions = m_recent.Captions();
    if (captions.empty()) {
        QAction* none = m_recentMenu->addAction(Utf8Text(storage::kNoRecentFiles));
        none->setEnabled(false);
        return;
    }
    for (std::size_t i = 0; i < captions.size(); ++i) {
        // The caption is shown from the path's bytes, as every path is.
        QAction* item = m_recentMenu->addAction(PathText(captions[i]));
        item->setObjectName(QStringLiteral("MRUItem%1").arg(i));
        const std::string path = m_recent.Paths()[i];
        connect(item, &QAction::triggered, this, [this, path] { emit RecentFileClicked(path); });
    }
}

}  // namespace qm::app
