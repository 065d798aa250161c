#pragma once

// Pieces shared by the POSIX file operations and the trash. Not part of the platform interface:
// only *Posix.cpp files include this header.

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/FileOperations.h"
#include "platform/FileSystem.h"

namespace qm::platform::posix {

// A file time of statx or stat as nanoseconds since 1970.
inline FileTime ToFileTime(const struct statx_timestamp& ts) {
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}
inline FileTime ToFileTime(const struct timespec& ts) {
    return static_cast<std::int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

// The kind of an entry by its mode; FIFOs, sockets and devices are Other and never opened.
inline EntryKind KindOfMode(unsigned mode) {
    switch (mode & S_IFMT) {
        case S_IFDIR:
            return EntryKind::Folder;
        case S_IFREG:
            return EntryKind::RegularFile;
        case S_IFLNK:
            return EntryKind::SymbolicLink;
        default:
            return EntryKind::Other;
    }
}

// An owned file descriptor; -1 when none.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { Reset(); }
    Fd(Fd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        if (this != &other) {
            Reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    void Reset();

private:
    int m_fd = -1;
};

// The system's text for an error number.
std::string ErrorText(int error);

// The identity of a stat result, with the device encoded as the folder listing encodes it.
FileIdentity IdentityOf(const struct stat& st);

// The facts of a stat result (taken without following a final link).
FileFacts FactsOf(const struct stat& st);

// MismatchReason for a stat result.
std::string MismatchReason(const struct stat& st, const FileIdentity& expected);

// path split at its last separator: the folder (".", when there is none; "/" for the root) and
// the name.
std::pair<std::string, std::string> SplitPath(const std::string& path);

// A handle of folder, for *at calls: the folder itself stays pinned while the handle lives.
Fd OpenFolderHandle(const std::string& folder, bool forReading = false);

// The absolute path of what fd refers to, symbolic links resolved; empty when unknown.
std::string RealPathOf(int fd);

// Renames without ever replacing: 0, or the error number (EEXIST when to is taken, EXDEV across
// file systems). Where the file system has no no-replace rename, links the file under its new
// name and then removes the old one, and only while the old name still reaches the same file.
int RenameNoReplace(int fromDir, const std::string& from, int toDir, const std::string& to);

// Gives the file its own name in toDir, or the first NumberedName free there, through place
// (which returns 0 or an error number, EEXIST meaning "taken, try the next"). maxBytes bounds
// the names tried. Returns the name given, or the error that stopped it in error.
std::string PlaceUnderFreeName(const std::string& name, std::size_t maxBytes,
                               const std::function<int(const std::string&)>& place, int& error);

// Hook step, false when a hook asks to stop there.
bool Continue(FileStepHook* hook, FileStep step, const std::string& path);

// The reason given when a test hook stops an operation.
inline constexpr const char* kStoppedReason = "the operation was stopped";

// A random name for a private file, starting with "." so that it stays out of sight.
std::string PrivateName(const std::string& tag);

}  // namespace qm::platform::posix
