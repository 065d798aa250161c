#include "storage/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

#include "foundation/Error.h"
#include "foundation/Globals.h"

namespace qm::storage {

namespace {

std::string SystemReason(int error) {
    return std::strerror(error);
}

[[noreturn]] void ThrowFileError(const std::string& what, const std::string& path, int error) {
    throw FileError(what + " \"" + path + "\": " + SystemReason(error));
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The folder part of path, ending in the separator ("./" for a bare name).
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind(foundation::kPathDelim);
    return slash == std::string::npos ? std::string(".") + foundation::kPathDelim
                                      : path.substr(0, slash + 1);
}

// Where a write to path lands: path itself or, when path is a symbolic link (or a chain of
// them), the file it leads to, so that the link stays a link. Followed by the links' text, so
// that a link to a file not made yet leads to where that file will be.
std::string FinalTarget(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) == target.size()) {
            ThrowFileError("Cannot write", path, length < 0 ? errno : ENAMETOOLONG);
        }
        target.resize(static_cast<std::size_t>(length));
        if (target.starts_with(foundation::kPathDelim)) {
            current = std::move(target);
        } else {
            current = FolderOf(current).append(target);
        }
    }
    ThrowFileError("Cannot write", path, ELOOP);
}

// Writes content straight into what path names (a FIFO, a device, a terminal): replacing such
// a node by a regular file would break whatever expects it there.
void WriteInto(const std::string& path, std::string_view content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        ThrowFileError("Cannot write", path, errno);
    }
    int error = WriteAll(fd, content) ? 0 : errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR) {
        error = errno;
    }
    if (error != 0) {
        ThrowFileError("Cannot write", path, error);
    }
}

mode_t CurrentUmask() {
    // umask can only be read by setting it; put the old value straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

void WriteFileAtomically(const std::string& path, std::string_view content) {
    if (path.empty()) {
        throw FileError("Cannot write a file without a name.");
    }
    if (path.back() == foundation::kPathDelim) {
        ThrowFileError("Cannot write", path, EISDIR);
    }

    // What the path leads to, links followed.
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        ThrowFileError("Cannot write", path, EISDIR);
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        WriteInto(path, content);
        return;
    }
    const std::string target = FinalTarget(path);
    const std::string folder = FolderOf(target);

    // A short fixed name part: the target name may already be as long as a name can be.
    std::string tempPath = folder + ".qm-tmp-XXXXXX";
    const int fd = ::mkstemp(tempPath.data());
    if (fd < 0) {
        ThrowFileError("Cannot write", path, errno);
    }

    const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
    int error = 0;
    if (!WriteAll(fd, content)) {
        error = errno;
    }
    if (error == 0 && ::fchmod(fd, mode) != 0) {
        error = errno;
    }
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(tempPath.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(tempPath.c_str());
        ThrowFileError("Cannot write", path, error);
    }
}

std::string ReadWholeFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        ThrowFileError("Cannot read", path, errno);
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            ThrowFileError("Cannot read", path, error);
        }
        if (got == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return text;
}

}  // namespace qm::storage
