#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/PathChecks.h"

namespace qm::platform {

PathTarget ExamineTarget(const std::string& path) {
    PathTarget target;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        target.reason = std::strerror(errno);
        return target;
    }
    target.exists = true;
    target.kind = S_ISDIR(info.st_mode)   ? EntryKind::Folder
                  : S_ISREG(info.st_mode) ? EntryKind::RegularFile
                                          : EntryKind::Other;
    target.size = static_cast<std::int64_t>(info.st_size);
    return target;
}

std::string IsAFolderReason() {
    return std::strerror(EISDIR);
}

std::string NotAFolderReason() {
    return std::strerror(ENOTDIR);
}

std::string FolderOpenProblem(const std::string& folder) {
    // Opened as the walk opens it, so that a folder the walk cannot list fails here.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::strerror(errno);
    }
    ::close(fd);
    return {};
}

std::string WriteTargetProblem(const std::string& path) {
    struct stat info {};
    int error = 0;
    std::string file = path;
    if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) {
            error = EISDIR;
        } else if (::access(path.c_str(), W_OK) != 0) {
            error = errno;
        }
    } else {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            file = resolved;
            std::free(resolved);
        }
        const std::size_t cut = file.rfind('/');
        const std::string folder = cut == std::string::npos ? "." : file.substr(0, cut + 1);
        if (::stat(folder.c_str(), &info) != 0) {  // NOLINT(bugprone-branch-clone): other cause
            error = errno;
        } else if (!S_ISDIR(info.st_mode)) {
            error = ENOTDIR;
        } else if (::access(folder.c_str(), W_OK | X_OK) != 0) {
            error = errno;
        }
    }
    return error != 0 ? std::strerror(error) : std::string();
}

std::string WorkingFolder(std::string& reason) {
    std::string buffer(4096, '\0');
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            reason = std::strerror(errno);
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    return buffer.c_str();
}

}  // namespace qm::platform
