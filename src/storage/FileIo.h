#pragma once

#include <string>
#include <string_view>

namespace qm::storage {

// Writes content to path atomically (temporary file in the same folder, then rename). A new file
// gets the permissions the umask allows; an existing one keeps its own. Throws FileError naming
// the path and the reason; path is then unchanged.
// A symbolic link stays: the file it leads to is replaced (or made). Something that is not a
// regular file (a FIFO, a device, a terminal) is written into directly, never replaced.
void WriteFileAtomically(const std::string& path, std::string_view content);

// The whole content of the file at path. Throws FileError naming the path and the reason.
std::string ReadWholeFile(const std::string& path);

}  // namespace qm::storage
