#pragma once

#include <string>

namespace qm::platform {

// The user's home folder, ending in the separator: $HOME when it is an absolute path, otherwise
// the user's entry in the password database, otherwise the root folder. Never empty.
std::string HomeFolder();

// The base folder of per-user configuration, ending in the separator: $XDG_CONFIG_HOME when it is
// an absolute path (a relative one is to be ignored), otherwise the home folder + ".config/".
std::string UserConfigFolder();

// Whether the current user may create and replace files in folder.
bool IsWritableFolder(const std::string& folder);

// Whether a and b name the same existing folder on disk, however they are spelt (links, "..",
// a final separator or none). False when either is no folder.
bool IsSameFolder(const std::string& a, const std::string& b);

// Makes folder and every missing folder above it, new ones readable by the user only (they hold
// settings). Returns whether folder then exists as a folder. Never throws.
bool MakeFolders(const std::string& folder);

}  // namespace qm::platform
