#pragma once

// The freedesktop trash, for the POSIX file operations only.

#include <sys/stat.h>

#include <string>

#include "platform/FileOperations.h"

namespace qm::platform::posix {

// The home trash's folder: dataHome + "/Trash", or, for an empty dataHome, that of
// $XDG_DATA_HOME (when absolute) or ~/.local/share. Empty when no home folder is known.
std::string HomeTrashFolder(const std::string& dataHome);

// Moves name, in the folder dirFd (whose stat is st and which must match expected), into the
// trash that serves its file system: the home trash for files on its file system, else the
// file system's $topdir/.Trash/$uid (where an administrator made $topdir/.Trash, sticky and no
// link) or $topdir/.Trash-$uid. Writes the information file first, then renames the file; fails
// when no trash can take it, with the reason, and never deletes. path is the file's path for the
// hook.
FileOperationResult TrashFile(int dirFd, const std::string& name, const struct stat& st,
                              const FileIdentity& expected, const std::string& homeTrash,
                              FileStepHook* hook, const std::string& path);

// Escapes a path for a trash information file: bytes other than unreserved characters and "/"
// as %XX.
std::string EscapeTrashPath(const std::string& path);

}  // namespace qm::platform::posix
