#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <utility>

#include "platform/WholeFile.h"

namespace qm::platform {

namespace {

std::string SystemReason(int error) {
    return std::strerror(error);
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
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// Where a write to path lands: path itself or, when path is a symbolic link (or a chain of
// them), the file it leads to, so that the link stays a link. Followed by the links' text, so
// that a link to a file not made yet leads to where that file will be. Empty with error set
// when the links cannot be followed.
std::string FinalTarget(const std::string& path, int& error) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::string target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) == target.size()) {
            error = length < 0 ? errno : ENAMETOOLONG;
            return {};
        }
        target.resize(static_cast<std::size_t>(length));
        if (target.starts_with('/')) {
            current = std::move(target);
        } else {
            current = FolderOf(current).append(target);
        }
    }
    error = ELOOP;
    return {};
}

// Writes content straight into what path names (a FIFO, a device, a terminal): replacing such
// a node by a regular file would break whatever expects it there.
int WriteInto(const std::string& path, std::string_view content) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return errno;
    }
    int error = WriteAll(fd, content) ? 0 : errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR) {
        error = errno;
    }
    return error;
}

mode_t CurrentUmask() {
    // umask can only be read by setting it; put the old value straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

int Replace(const std::string& path, std::string_view content) {
    if (path.back() == '/') {
        return EISDIR;
    }
    // What the path leads to, links followed.
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        return EISDIR;
    }
    if (exists && !S_ISREG(existing.st_mode)) {
        return WriteInto(path, content);
    }
    int error = 0;
    const std::string target = FinalTarget(path, error);
    if (error != 0) {
        return error;
    }
    const std::string folder = FolderOf(target);

    // A short fixed name part: the target name may already be as long as a name can be.
    std::string tempPath = folder + ".qm-tmp-XXXXXX";
    const int fd = ::mkstemp(tempPath.data());
    if (fd < 0) {
        return errno;
    }

    const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
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
    }
    return error;
}

}  // namespace

std::string ReplaceFileContent(const std::string& path, std::string_view content) {
    const int error = path.empty() ? ENOENT : Replace(path, content);
    return error == 0 ? std::string() : SystemReason(error);
}

std::string ReadFileContent(const std::string& path, std::string& content) {
    content.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return SystemReason(errno);
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            return SystemReason(error);
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return {};
}

}  // namespace qm::platform
