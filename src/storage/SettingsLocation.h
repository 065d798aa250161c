#pragma once

#include <string>
#include <string_view>

namespace qm::storage {

// The settings file read at start and written at close.
inline constexpr std::string_view kDefaultSettingsName = "Default.ini";

// The folder the install rule puts the program into (e.g. /usr/local/bin), as it was configured
// when the program was built.
std::string InstalledProgramFolder();

// The folder that holds Default.ini and where the settings dialogs start, ending in the
// separator: programFolder itself when the user may write there (a portable copy carries its
// settings along), otherwise "Quillmere" in the per-user configuration folder
// ($XDG_CONFIG_HOME, by default ~/.config), made when missing. When that cannot be made the path
// is returned all the same, and writing Default.ini there fails with its own message.
//
// installedFolder is never portable, writable or not: root may write anywhere, and an installed
// program run as root must not leave its settings in the system's program folder.
std::string SettingsFolder(const std::string& programFolder, const std::string& installedFolder);
// SettingsFolder(programFolder, InstalledProgramFolder()).
std::string SettingsFolder(const std::string& programFolder);

// SettingsFolder(programFolder) + "Default.ini".
std::string DefaultSettingsPath(const std::string& programFolder);

}  // namespace qm::storage
