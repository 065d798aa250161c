#pragma once

#include <string>
#include <string_view>

namespace qm::storage {

// The settings file read at start and written at close.
inline constexpr std::string_view kDefaultSettingsName = "Default.ini";

// The folder that holds Default.ini and where the settings dialogs start, ending in the
// separator: programFolder itself when the user may write there (a portable copy carries its
// settings along), otherwise "Quillmere" in the per-user configuration folder
// ($XDG_CONFIG_HOME, by default ~/.config), made when missing. When that cannot be made the path
// is returned all the same, and writing Default.ini there fails with its own message.
std::string SettingsFolder(const std::string& programFolder);

// SettingsFolder(programFolder) + "Default.ini".
std::string DefaultSettingsPath(const std::string& programFolder);

}  // namespace qm::storage
