#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace qm::platform {

// What a properties dialog shows of one path, read without following a final symbolic link.
struct FileDetails {
    bool exists = false;
    int error = 0;  // the system's error number when the path could not be examined
    EntryKind kind = EntryKind::Other;
    std::uint32_t mode = 0;  // the type and permission bits as the system keeps them (st_mode)
    std::int64_t size = 0;
    FileTime modified = 0;
    FileTime accessed = 0;
    FileTime changed = 0;             // the last change of the file's status
    std::optional<FileTime> created;  // birth time, where the file system keeps one
    std::uint32_t ownerId = 0;
    std::uint32_t groupId = 0;
    std::string ownerName;  // empty when the id has no name here
    std::string groupName;
    std::uint32_t deviceMajor = 0;
    std::uint32_t deviceMinor = 0;
    std::uint64_t fileId = 0;  // the inode number
    std::uint64_t linkCount = 0;
    // The first bytes of a regular file (for telling its type), as many as were asked for and
    // could be read; empty for anything else.
    std::string head;
};

// Examines path. headBytes of a regular file's content are read into head; the read never
// follows a link and never waits on a FIFO or a device.
FileDetails ReadFileDetails(const std::string& path, std::size_t headBytes = 0);

// The mode as ls shows it with the octal permission bits: "-rw-r----- (0640)", set-id and sticky
// bits in the execute places ("s", or "S" over no execute bit).
std::string PermissionsText(std::uint32_t mode);
// What the mode says a path is when it is not a regular file ("Folder", "Symbolic link", "Named
// pipe", "Socket", "Device"); empty for a regular file.
std::string SpecialKindText(std::uint32_t mode);

// True when path names a regular file itself (not a link to one).
bool IsRegularFile(const std::string& path);
// True when path names a folder, also through symbolic links (a search folder may be reached
// through one).
bool IsFolder(const std::string& path);

}  // namespace qm::platform
