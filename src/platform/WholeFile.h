#pragma once

#include <string>
#include <string_view>

namespace qm::platform {

// Replaces what path holds with content in one step: the content goes to a temporary file in the
// same folder, which takes the place of path only when it is complete and flushed; a failure
// leaves path as it was. A new file gets the permissions a new file gets; an existing one keeps
// its own. A symbolic link stays: the file it leads to is replaced (or made). Something that is
// not a regular file (a FIFO, a device, a terminal, "NUL") is written into directly, never
// replaced. Returns the system's reason for a failure ("Permission denied"), or empty text.
std::string ReplaceFileContent(const std::string& path, std::string_view content);

// Reads the whole of the file at path into content. Returns the system's reason for a failure,
// or empty text.
std::string ReadFileContent(const std::string& path, std::string& content);

}  // namespace qm::platform
