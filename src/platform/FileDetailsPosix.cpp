#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/FileDetails.h"
#include "platform/PosixFileTools.h"

namespace qm::platform {

namespace {

using posix::KindOfMode;
using posix::ToFileTime;

std::size_t NameBufferSize(int which) {
    const long wanted = sysconf(which);
    return wanted > 0 ? static_cast<std::size_t>(wanted) : 16384;
}

std::string OwnerName(uid_t uid) {
    std::vector<char> buffer(NameBufferSize(_SC_GETPW_R_SIZE_MAX));
    for (int attempt = 0; attempt < 8; ++attempt) {
        struct passwd entry {};
        struct passwd* found = nullptr;
        const int error = getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        return error == 0 && found ? std::string(found->pw_name) : std::string();
    }
    return {};
}

std::string GroupName(gid_t gid) {
    std::vector<char> buffer(NameBufferSize(_SC_GETGR_R_SIZE_MAX));
    for (int attempt = 0; attempt < 8; ++attempt) {
        struct group entry {};
        struct group* found = nullptr;
        const int error = getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found);
        if (error == ERANGE) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        return error == 0 && found ? std::string(found->gr_name) : std::string();
    }
    return {};
}

// The first bytes of the regular file that path names, if it is still the file examined.
std::string ReadHead(const std::string& path, const struct statx& examined, std::size_t bytes) {
    // O_NONBLOCK: should the name have become a FIFO since, opening it must not wait.
    const posix::Fd fd(
        open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    struct stat st {};
    if (!fd.Valid() || fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_ino != examined.stx_ino) {
        return {};
    }
    std::string head(bytes, '\0');
    std::size_t got = 0;
    while (got < bytes) {
        const ssize_t n = read(fd.Get(), head.data() + got, bytes - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    head.resize(got);
    return head;
}

}  // namespace

FileDetails ReadFileDetails(const std::string& path, std::size_t headBytes) {
    FileDetails details;
    struct statx sx {};
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
              STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
        details.error = errno;
        return details;
    }
    details.exists = true;
    details.mode = sx.stx_mode;
    details.kind = KindOfMode(sx.stx_mode);
    details.size = static_cast<std::int64_t>(sx.stx_size);
    details.modified = ToFileTime(sx.stx_mtime);
    details.accessed = ToFileTime(sx.stx_atime);
    details.changed = ToFileTime(sx.stx_ctime);
    if ((sx.stx_mask & STATX_BTIME) != 0) {
        details.created = ToFileTime(sx.stx_btime);
    }
    details.ownerId = sx.stx_uid;
    details.groupId = sx.stx_gid;
    details.ownerName = OwnerName(sx.stx_uid);
    details.groupName = GroupName(sx.stx_gid);
    details.deviceMajor = sx.stx_dev_major;
    details.deviceMinor = sx.stx_dev_minor;
    details.fileId = sx.stx_ino;
    details.linkCount = sx.stx_nlink;
    if (headBytes > 0 && details.kind == EntryKind::RegularFile) {
        details.head = ReadHead(path, sx, headBytes);
    }
    return details;
}

std::string PermissionsText(std::uint32_t mode) {
    std::string text = "----------";
    switch (mode & S_IFMT) {
        case S_IFDIR:
            text[0] = 'd';
            break;
        case S_IFLNK:
            text[0] = 'l';
            break;
        case S_IFIFO:
            text[0] = 'p';
            break;
        case S_IFSOCK:
            text[0] = 's';
            break;
        case S_IFCHR:
            text[0] = 'c';
            break;
        case S_IFBLK:
            text[0] = 'b';
            break;
        default:
            break;
    }
    const char* const letters = "rwxrwxrwx";
    for (std::size_t bit = 0; bit < 9; ++bit) {
        if ((mode & (0400u >> bit)) != 0) {
            text[bit + 1] = letters[bit];
        }
    }
    const struct {
        std::uint32_t bit;
        std::size_t place;
        char executable;
        char plain;
    } specials[] = {{S_ISUID, 3, 's', 'S'}, {S_ISGID, 6, 's', 'S'}, {S_ISVTX, 9, 't', 'T'}};
    for (const auto& special : specials) {
        if ((mode & special.bit) != 0) {
            text[special.place] = text[special.place] == 'x' ? special.executable : special.plain;
        }
    }
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode & 07777));
    return text + " (" + octal + ")";
}

std::string SpecialKindText(std::uint32_t mode) {
    switch (mode & S_IFMT) {
        case S_IFREG:
            return {};
        case S_IFDIR:
            return "Folder";
        case S_IFLNK:
            return "Symbolic link";
        case S_IFIFO:
            return "Named pipe";
        case S_IFSOCK:
            return "Socket";
        default:
            return "Device";
    }
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace qm::platform
