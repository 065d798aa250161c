#include "support/FileOperationSupport.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qm::test {

OtherFileSystemFolder::OtherFileSystemFolder() {
    struct stat shm {};
    struct stat tmp {};
    if (::stat("/dev/shm", &shm) != 0 || ::stat("/tmp", &tmp) != 0 || shm.st_dev == tmp.st_dev) {
        return;
    }
    std::string pattern = "/dev/shm/qm-other-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
        m_path = pattern + "/";
    }
}

OtherFileSystemFolder::~OtherFileSystemFolder() {
    if (!m_path.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
}

bool MountPrivateFileSystem(const std::string& folder) {
    if (::unshare(CLONE_NEWNS) != 0) {
        return false;
    }
    // Nothing mounted here may reach the rest of the machine.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        return false;
    }
    return ::mount("qm-test", folder.c_str(), "tmpfs", 0, "size=16m,mode=0755") == 0;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "<missing>";
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void Rewrite(const std::string& path, const std::string& bytes) {
    struct stat before {};
    const bool existed = ::stat(path.c_str(), &before) == 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    if (existed) {
        // A time that surely differs from the one the file had, however coarse the clock.
        const struct timespec times[2] = {{0, UTIME_OMIT},
                                          {before.st_mtim.tv_sec + 1, before.st_mtim.tv_nsec}};
        ::utimensat(AT_FDCWD, path.c_str(), times, 0);
    }
}

bool RenameOver(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace qm::test
