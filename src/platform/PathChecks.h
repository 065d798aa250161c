#pragma once

#include <cstdint>
#include <string>

#include "platform/FileSystem.h"

namespace qm::platform {

// What a path leads to, symbolic links followed.
struct PathTarget {
    bool exists = false;
    EntryKind kind = EntryKind::Other;
    std::int64_t size = 0;
    std::string reason;  // the system's words when nothing can be examined there
};
PathTarget ExamineTarget(const std::string& path);

// The system's words for two refusals: writing to a folder, and a folder that is none ("Is a
// directory" and "Not a directory" here).
std::string IsAFolderReason();
std::string NotAFolderReason();

// Why folder cannot be opened to be listed ("No such file or directory"); empty when it can.
std::string FolderOpenProblem(const std::string& folder);

// Why a file cannot be written at path: something that is not a regular file must take writing
// into it; a file (or a link to one) is replaced through a temporary file beside it, so its
// folder must take new files. Empty when nothing stands in the way.
std::string WriteTargetProblem(const std::string& path);

// The working folder of the process, or empty text with reason set.
std::string WorkingFolder(std::string& reason);

}  // namespace qm::platform
