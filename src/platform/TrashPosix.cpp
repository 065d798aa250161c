#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/FileDate.h"
#include "platform/PosixFileTools.h"
#include "platform/PosixTrash.h"

namespace qm::platform::posix {

namespace {

constexpr const char* kInfoSuffix = ".trashinfo";
constexpr std::size_t kMaxNameBytes = 255;
constexpr std::size_t kInfoSuffixBytes = 10;
constexpr int kMaxNameTries = 100'000;

struct TrashCan {
    std::string folder;  // the trash folder itself, for messages and the new path
    std::string topdir;  // the file system's top folder; empty for the home trash
    Fd files;
    Fd info;
};

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Makes folder and its missing parents, new ones private (0700). 0 or an error number.
int MakeFolders(const std::string& folder) {
    for (std::size_t cut = folder.find('/', 1);; cut = folder.find('/', cut + 1)) {
        const std::string part = folder.substr(0, cut);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
            return errno;
        }
        if (cut == std::string::npos) {
            break;
        }
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        return errno;
    }
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// The sub folder name of parentFd, made (0700) when missing; never through a link.
Fd OpenSubFolder(int parentFd, const char* name, int& error) {
    constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    Fd fd(::openat(parentFd, name, kFlags));
    if (!fd.Valid() && errno == ENOENT) {
        if (::mkdirat(parentFd, name, 0700) != 0 && errno != EEXIST) {
            error = errno;
            return {};
        }
        fd = Fd(::openat(parentFd, name, kFlags));
    }
    if (!fd.Valid()) {
        error = errno == ELOOP ? ENOTDIR : errno;
    }
    return fd;
}

// Opens files/ and info/ of a trash folder, making them where missing.
bool OpenCanFolders(int canFd, TrashCan& can, std::string& reason) {
    int error = 0;
    can.files = OpenSubFolder(canFd, "files", error);
    if (can.files.Valid()) {
        can.info = OpenSubFolder(canFd, "info", error);
    }
    if (!can.files.Valid() || !can.info.Valid()) {
        reason = "cannot use the trash " + Quoted(can.folder) + ": " + ErrorText(error);
        return false;
    }
    return true;
}

std::optional<TrashCan> HomeCan(const std::string& homeTrash, std::string& reason) {
    TrashCan can;
    can.folder = homeTrash;
    Fd canFd(::open(homeTrash.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!canFd.Valid()) {
        // Made on first use, with every missing parent.
        const int error = MakeFolders(homeTrash);
        if (error != 0) {
            reason = "cannot create the trash " + Quoted(homeTrash) + ": " + ErrorText(error);
            return std::nullopt;
        }
        canFd = Fd(::open(homeTrash.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }
    if (!canFd.Valid()) {
        reason = "cannot use the trash " + Quoted(homeTrash) + ": " + ErrorText(errno);
        return std::nullopt;
    }
    if (!OpenCanFolders(canFd.Get(), can, reason)) {
        return std::nullopt;
    }
    return can;
}

// The device a folder lives on, or would be made on: that of its nearest existing ancestor.
std::optional<dev_t> DeviceOfNearest(std::string path) {
    for (;;) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0) {
            return st.st_dev;
        }
        const std::size_t cut = path.rfind('/');
        if (cut == std::string::npos || path == "/") {
            return std::nullopt;
        }
        path = cut == 0 ? std::string("/") : path.substr(0, cut);
    }
}

// What tells two mounts apart: the mount id where the system reports one (a bind mount has its
// own), else the device.
std::optional<std::uint64_t> MountOf(int dirFd, const char* path, int flags) {
    struct statx sx {};
    if (::statx(dirFd, path, flags | AT_NO_AUTOMOUNT, STATX_MNT_ID, &sx) != 0) {
        return std::nullopt;
    }
    if ((sx.stx_mask & STATX_MNT_ID) != 0) {
        return sx.stx_mnt_id;
    }
    return (static_cast<std::uint64_t>(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
}

// The top folder of the mount that holds realFolder (an absolute path without links).
std::string TopFolder(int dirFd, const std::string& realFolder) {
    const std::optional<std::uint64_t> mount = MountOf(dirFd, "", AT_EMPTY_PATH);
    if (!mount) {
        return {};
    }
    std::string top = realFolder;
    while (top != "/") {
        const std::size_t cut = top.rfind('/');
        const std::string parent = cut == 0 ? std::string("/") : top.substr(0, cut);
        if (MountOf(AT_FDCWD, parent.c_str(), 0) != mount) {
            break;
        }
        top = parent;
    }
    return top;
}

std::string Under(const std::string& folder, const std::string& name) {
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// $topdir/.Trash/$uid when an administrator made $topdir/.Trash (a folder, sticky, no link);
// otherwise $topdir/.Trash-$uid, made when missing and used only when it is our own folder.
std::optional<TrashCan> TopdirCan(const std::string& topdir, std::string& reason) {
    const uid_t uid = ::geteuid();
    const std::string uidText = std::to_string(uid);
    const Fd top(::open(topdir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!top.Valid()) {
        reason = "cannot open " + Quoted(topdir) + ": " + ErrorText(errno);
        return std::nullopt;
    }

    struct stat shared {};
    if (::fstatat(top.Get(), ".Trash", &shared, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX) != 0) {
        const Fd sharedFd(
            ::openat(top.Get(), ".Trash", O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        int error = 0;
        Fd mine = sharedFd.Valid() ? OpenSubFolder(sharedFd.Get(), uidText.c_str(), error) : Fd();
        struct stat st {};
        if (mine.Valid() && ::fstat(mine.Get(), &st) == 0 && st.st_uid == uid) {
            TrashCan can;
            can.folder = Under(Under(topdir, ".Trash"), uidText);
            can.topdir = topdir;
            if (OpenCanFolders(mine.Get(), can, reason)) {
                return can;
            }
        }
        // Not usable for us: the user's own top-folder trash is the next choice.
    }

    const std::string ownName = ".Trash-" + uidText;
    TrashCan can;
    can.folder = Under(topdir, ownName);
    can.topdir = topdir;
    int error = 0;
    const Fd own = OpenSubFolder(top.Get(), ownName.c_str(), error);
    struct stat st {};
    if (!own.Valid() || ::fstat(own.Get(), &st) != 0) {
        reason = "cannot create the trash " + Quoted(can.folder) + ": " +
                 ErrorText(error != 0 ? error : errno);
        return std::nullopt;
    }
    if (st.st_uid != uid) {
        reason = "the trash " + Quoted(can.folder) + " belongs to another user";
        return std::nullopt;
    }
    if (!OpenCanFolders(own.Get(), can, reason)) {
        return std::nullopt;
    }
    return can;
}

std::string DeletionDate() {
    const LocalDateTime now = LocalNow();
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    return text;
}

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Trashes into one can. crossDevice tells the caller that this can is on another mount.
FileOperationResult TrashInto(TrashCan& can, int dirFd, const std::string& name,
                              const std::string& realPath, const FileIdentity& expected,
                              FileStepHook* hook, const std::string& path, bool& crossDevice) {
    FileOperationResult result;
    crossDevice = false;
    std::string originalPath = realPath;
    if (!can.topdir.empty()) {
        // Below a top folder the original place is kept relative to it.
        originalPath =
            can.topdir == "/" ? realPath.substr(1) : realPath.substr(can.topdir.size() + 1);
    }
    const std::string info = "[Trash Info]\nPath=" + EscapeTrashPath(originalPath) +
                             "\nDeletionDate=" + DeletionDate() + "\n";

    for (int n = 1; n <= kMaxNameTries; ++n) {
        const std::string candidate = NumberedName(name, n, kMaxNameBytes - kInfoSuffixBytes);
        const std::string infoName = candidate + kInfoSuffix;
        // The information file comes first and is made exclusively: it reserves the name.
        Fd infoFd(::openat(can.info.Get(), infoName.c_str(),
                           O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!infoFd.Valid()) {
            if (errno == EEXIST) {
                continue;
            }
            result.reason =
                "cannot write in the trash " + Quoted(can.folder) + ": " + ErrorText(errno);
            return result;
        }
        const bool written = WriteAll(infoFd.Get(), info);
        const int writeError = errno;
        infoFd.Reset();
        const auto dropInfo = [&] { ::unlinkat(can.info.Get(), infoName.c_str(), 0); };
        if (!written) {
            dropInfo();
            result.reason =
                "cannot write in the trash " + Quoted(can.folder) + ": " + ErrorText(writeError);
            return result;
        }
        if (!Continue(hook, FileStep::TrashInfoWritten, path)) {
            dropInfo();
            result.reason = kStoppedReason;
            return result;
        }
        const int error = RenameNoReplace(dirFd, name, can.files.Get(), candidate);
        if (error == EEXIST) {
            dropInfo();
            continue;
        }
        if (error != 0) {
            dropInfo();
            crossDevice = error == EXDEV;
            result.reason =
                "cannot move it into the trash " + Quoted(can.folder) + ": " + ErrorText(error);
            return result;
        }
        // The name may have been given to another file between the check and the rename: what
        // went to the trash must be the file that was checked, or it goes back.
        struct stat moved {};
        if (::fstatat(can.files.Get(), candidate.c_str(), &moved, AT_SYMLINK_NOFOLLOW) != 0 ||
            IdentityOf(moved).id != expected.id) {
            if (RenameNoReplace(can.files.Get(), candidate, dirFd, name) == 0) {
                dropInfo();
                result.reason =
                    "another file took its place while it was being trashed; that "
                    "file was put back";
            } else {
                result.reason =
                    "another file took its place while it was being trashed; that "
                    "file is in the trash as " +
                    Quoted(candidate);
            }
            return result;
        }
        result.ok = true;
        result.newPath = can.folder + "/files/" + candidate;
        return result;
    }
    result.reason = "no free name in the trash " + Quoted(can.folder);
    return result;
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::string buffer(16384, '\0');
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
        return found->pw_dir;
    }
    return {};
}

}  // namespace

std::string HomeTrashFolder(const std::string& dataHome) {
    std::string data = dataHome;
    if (data.empty()) {
        // A relative value is invalid for this variable and must be ignored.
        if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
            data = xdg;
        } else if (const std::string home = HomeFolder(); !home.empty()) {
            data = Under(home, ".local/share");
        } else {
            return {};
        }
    }
    while (data.size() > 1 && data.back() == '/') {
        data.pop_back();
    }
    return Under(data, "Trash");
}

std::string EscapeTrashPath(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || byte == '/' || byte == '-' ||
                           byte == '_' || byte == '.' || byte == '!' || byte == '~' ||
                           byte == '*' || byte == '\'' || byte == '(' || byte == ')';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

FileOperationResult TrashFile(int dirFd, const std::string& name, const struct stat& st,
                              const FileIdentity& expected, const std::string& homeTrash,
                              FileStepHook* hook, const std::string& path) {
    FileOperationResult result;
    const std::string realFolder = RealPathOf(dirFd);
    if (realFolder.empty()) {
        result.reason = "cannot tell where its folder is";
        return result;
    }
    const std::string realPath = Under(realFolder, name);

    bool crossDevice = false;
    if (!homeTrash.empty() && DeviceOfNearest(homeTrash) == st.st_dev) {
        std::optional<TrashCan> home = HomeCan(homeTrash, result.reason);
        if (!home) {
            return result;  // the trash of its own file system cannot be made: never delete
        }
        result = TrashInto(*home, dirFd, name, realPath, expected, hook, path, crossDevice);
        if (result.ok || !crossDevice) {
            return result;
        }
        // Another mount of the same device (a bind mount): its own top folder may serve.
    }

    const std::string topdir = TopFolder(dirFd, realFolder);
    if (topdir.empty()) {
        result.reason = "cannot find the top folder of its file system";
        return result;
    }
    std::string reason;
    std::optional<TrashCan> can = TopdirCan(topdir, reason);
    if (!can) {
        result.ok = false;
        result.reason = "no trash can take it: " + reason;
        return result;
    }
    return TrashInto(*can, dirFd, name, realPath, expected, hook, path, crossDevice);
}

}  // namespace qm::platform::posix
