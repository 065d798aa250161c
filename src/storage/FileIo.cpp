#include "storage/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
    const std::size_t slash = path.rfind(foundation::kPathDelim);
    const std::string folder = slash == std::string::npos
                                   ? std::string(".") + foundation::kPathDelim
                                   : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) {
        ThrowFileError("Cannot write", path, EISDIR);
    }

    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        ThrowFileError("Cannot write", path, EISDIR);
    }

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
    if (error == 0 && ::rename(tempPath.c_str(), path.c_str()) != 0) {
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
