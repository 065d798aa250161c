#include "platform/UserFolders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace qm::platform {

namespace {

constexpr char kPathDelim = '/';

std::string WithSeparator(std::string path) {
    if (path.empty() || path.back() != kPathDelim) {
        path += kPathDelim;
    }
    return path;
}

bool IsAbsolute(const char* path) {
    return path != nullptr && path[0] == kPathDelim;
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); IsAbsolute(home)) {
        return WithSeparator(home);
    }
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    while (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == ERANGE) {
        buffer.resize(buffer.size() * 2);
    }
    if (result != nullptr && IsAbsolute(result->pw_dir)) {
        return WithSeparator(result->pw_dir);
    }
    return std::string(1, kPathDelim);
}

std::string UserConfigFolder() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); IsAbsolute(config)) {
        return WithSeparator(config);
    }
    return HomeFolder() + ".config" + kPathDelim;
}

bool IsWritableFolder(const std::string& folder) {
    return IsFolder(folder) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

bool IsSameFolder(const std::string& a, const std::string& b) {
    struct stat infoA {};
    struct stat infoB {};
    return ::stat(a.c_str(), &infoA) == 0 && S_ISDIR(infoA.st_mode) &&
           ::stat(b.c_str(), &infoB) == 0 && S_ISDIR(infoB.st_mode) &&
           infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    // Each folder from the top down; one that exists already is left as it is.
    for (std::size_t cut = folder.find(kPathDelim, 1);; cut = folder.find(kPathDelim, cut + 1)) {
        const std::string part = folder.substr(0, cut);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (cut == std::string::npos) {
            break;
        }
    }
    return IsFolder(folder);
}

}  // namespace qm::platform
