#include "storage/SettingsLocation.h"

#include "foundation/Globals.h"
#include "platform/UserFolders.h"
#include "storage/InstallFolder.h"

namespace qm::storage {

std::string InstalledProgramFolder() {
    return QM_INSTALL_BINDIR;
}

std::string SettingsFolder(const std::string& programFolder, const std::string& installedFolder) {
    if (!programFolder.empty() && platform::IsWritableFolder(programFolder) &&
        !platform::IsSameFolder(programFolder, installedFolder)) {
        return foundation::AddTrailingBackslash(programFolder);
    }
    std::string folder = platform::UserConfigFolder() + "Quillmere" + foundation::kPathDelim;
    platform::MakeFolders(folder);
    return folder;
}

std::string SettingsFolder(const std::string& programFolder) {
    return SettingsFolder(programFolder, InstalledProgramFolder());
}

std::string DefaultSettingsPath(const std::string& programFolder) {
    return SettingsFolder(programFolder) + std::string(kDefaultSettingsName);
}

}  // namespace qm::storage
