#include "storage/SettingsLocation.h"

#include "foundation/Globals.h"
#include "platform/UserFolders.h"

namespace qm::storage {

std::string SettingsFolder(const std::string& programFolder) {
    if (!programFolder.empty() && platform::IsWritableFolder(programFolder)) {
        return foundation::AddTrailingBackslash(programFolder);
    }
    std::string folder = platform::UserConfigFolder() + "Quillmere" + foundation::kPathDelim;
    platform::MakeFolders(folder);
    return folder;
}

std::string DefaultSettingsPath(const std::string& programFolder) {
    return SettingsFolder(programFolder) + std::string(kDefaultSettingsName);
}

}  // namespace qm::storage
