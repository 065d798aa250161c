#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/FileOperations.h"
#include "platform/PosixFileTools.h"
#include "platform/PosixTrash.h"

namespace qm::platform {

namespace {

using posix::ErrorText;
using posix::Fd;

constexpr std::size_t kChunkBytes = std::size_t{1} << 20;
constexpr std::size_t kMaxNameBytes = 255;

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string Join(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder == ".") {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Reads exactly length bytes at offset (fewer only at the end of the file); -1 on an error.
ssize_t ReadAt(int fd, char* buffer, std::size_t length, off_t offset) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(fd, buffer + done, length - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

bool WriteAt(int fd, const char* buffer, std::size_t length, off_t offset) {
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pwrite(fd, buffer + done, length - done, offset + static_cast<off_t>(done));
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

// The file a path names, pinned: its folder's handle and its stat, taken without following a
// final link. reason says why there is none.
struct PinnedFile {
    Fd folder;
    std::string name;
    struct stat st {};
    std::string reason;
};

PinnedFile Pin(const std::string& path) {
    PinnedFile pinned;
    const auto [folder, name] = posix::SplitPath(path);
    pinned.name = name;
    if (name.empty() || name == "." || name == "..") {
        pinned.reason = "it is no file name";
        return pinned;
    }
    pinned.folder = posix::OpenFolderHandle(folder);
    if (!pinned.folder.Valid()) {
        pinned.reason = errno == ENOENT ? "it no longer exists"
                                        : "its folder cannot be opened: " + ErrorText(errno);
        return pinned;
    }
    if (::fstatat(pinned.folder.Get(), name.c_str(), &pinned.st, AT_SYMLINK_NOFOLLOW) != 0) {
        pinned.reason = errno == ENOENT ? "it no longer exists" : ErrorText(errno);
    }
    return pinned;
}

// Opens name in folder for reading, never through a link and never waiting on a FIFO.
Fd OpenForReading(int folder, const std::string& name) {
    return Fd(
        ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
}

// A temporary file in the destination folder; removed when it goes out of scope unless kept.
class TemporaryCopy {
public:
    TemporaryCopy(int folder, bool unnamed) : m_folder(folder) {
        if (unnamed) {
            m_fd = Fd(::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
            if (m_fd.Valid()) {
                return;
            }
            // Not every file system can make a file without a name; a named one will do.
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
                m_error = errno;
                return;
            }
        }
        for (int tries = 0; tries < 100 && !m_fd.Valid(); ++tries) {
            m_name = posix::PrivateName("move");
            m_fd = Fd(::openat(folder, m_name.c_str(),
                               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            if (!m_fd.Valid() && errno != EEXIST) {
                m_error = errno;
                m_name.clear();
                return;
            }
        }
        if (!m_fd.Valid()) {
            m_error = EEXIST;
            m_name.clear();
        }
    }
    ~TemporaryCopy() {
        if (!m_name.empty()) {
            ::unlinkat(m_folder, m_name.c_str(), 0);
        }
    }
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    int Get() const { return m_fd.Get(); }
    bool Valid() const { return m_fd.Valid(); }
    int Error() const { return m_error; }

    // Gives the copy the name target, never replacing a file: 0 or an error number.
    int Place(const std::string& target) {
        if (m_name.empty()) {
            const std::string self = "/proc/self/fd/" + std::to_string(m_fd.Get());
            if (::linkat(AT_FDCWD, self.c_str(), m_folder, target.c_str(), AT_SYMLINK_FOLLOW) !=
                0) {
                return errno;
            }
            return 0;
        }
        const int error = posix::RenameNoReplace(m_folder, m_name, m_folder, target);
        if (error == 0) {
            m_name.clear();
        }
        return error;
    }

private:
    int m_folder;
    Fd m_fd;
    std::string m_name;  // empty: no name (unnamed, placed, or none made)
    int m_error = 0;
};

// Removes target from folder if it still is the file of copy; used to take back a placed copy.
void RemovePlacedCopy(int folder, const std::string& target, int copy) {
    struct stat placed {};
    struct stat mine {};
    if (::fstatat(folder, target.c_str(), &placed, AT_SYMLINK_NOFOLLOW) == 0 &&
        ::fstat(copy, &mine) == 0 && placed.st_dev == mine.st_dev && placed.st_ino == mine.st_ino) {
        ::unlinkat(folder, target.c_str(), 0);
    }
}

class PosixFileOperations final : public FileOperations {
public:
    explicit PosixFileOperations(const FileOperationsOptions& options) : m_options(options) {}

    FileFacts Examine(const std::string& path) override {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            return {};
        }
        return posix::FactsOf(st);
    }

    ContentComparison CompareContent(const std::string& path, const std::string& other) override {
        ContentComparison result;
        struct Side {
            PinnedFile pinned;
            Fd fd;
        };
        Side sides[2] = {{Pin(path), {}}, {Pin(other), {}}};
        for (Side& side : sides) {
            if (!side.pinned.reason.empty()) {
                result.reason = side.pinned.reason;
                return result;
            }
            side.fd = OpenForReading(side.pinned.folder.Get(), side.pinned.name);
            struct stat st {};
            if (!side.fd.Valid() || ::fstat(side.fd.Get(), &st) != 0) {
                result.reason = errno == ELOOP ? "it is a symbolic link now" : ErrorText(errno);
                return result;
            }
            if (!S_ISREG(st.st_mode)) {
                result.reason = "it is no longer a regular file";
                return result;
            }
            side.pinned.st = st;
        }
        result.identity = posix::IdentityOf(sides[0].pinned.st);
        result.otherIdentity = posix::IdentityOf(sides[1].pinned.st);
        if (result.identity.size != result.otherIdentity.size) {
            return result;
        }
        std::vector<char>& a = Buffer(0);
        std::vector<char>& b = Buffer(1);
        for (off_t offset = 0;; offset += static_cast<off_t>(kChunkBytes)) {
            const ssize_t na = ReadAt(sides[0].fd.Get(), a.data(), kChunkBytes, offset);
            const ssize_t nb = ReadAt(sides[1].fd.Get(), b.data(), kChunkBytes, offset);
            if (na < 0 || nb < 0) {
                result.reason = "cannot read it: " + ErrorText(errno);
                return result;
            }
            if (na != nb || std::memcmp(a.data(), b.data(), static_cast<std::size_t>(na)) != 0) {
                return result;
            }
            if (na == 0) {
                break;
            }
        }
        // Equal bytes count only when neither file changed while it was read.
        for (int i = 0; i < 2; ++i) {
            struct stat now {};
            const FileIdentity& before = i == 0 ? result.identity : result.otherIdentity;
            if (::fstat(sides[i].fd.Get(), &now) != 0 || posix::IdentityOf(now) != before) {
                return result;
            }
        }
        result.equal = true;
        return result;
    }

    FileOperationResult MoveToTrash(const std::string& path,
                                    const FileIdentity& expected) override {
        FileOperationResult result;
        PinnedFile pinned = Pin(path);
        if (pinned.reason.empty()) {
            pinned.reason = posix::MismatchReason(pinned.st, expected);
        }
        if (!pinned.reason.empty()) {
            result.reason = pinned.reason;
            return result;
        }
        if (!posix::Continue(m_options.hook, FileStep::Checked, path)) {
            result.reason = posix::kStoppedReason;
            return result;
        }
        return posix::TrashFile(pinned.folder.Get(), pinned.name, pinned.st, expected,
                                posix::HomeTrashFolder(m_options.dataHome), m_options.hook, path);
    }

    FileOperationResult MoveToFolder(const std::string& path, const std::string& folder,
                                     const FileIdentity& expected) override {
        FileOperationResult result;
        PinnedFile pinned = Pin(path);
        if (pinned.reason.empty()) {
            pinned.reason = posix::MismatchReason(pinned.st, expected);
        }
        if (!pinned.reason.empty()) {
            result.reason = pinned.reason;
            return result;
        }
        const Fd destination = posix::OpenFolderHandle(folder);
        if (!destination.Valid()) {
            result.reason = "cannot open the folder " + Quoted(folder) + ": " + ErrorText(errno);
            return result;
        }
        struct stat from {};
        struct stat to {};
        if (::fstat(pinned.folder.Get(), &from) == 0 && ::fstat(destination.Get(), &to) == 0 &&
            from.st_dev == to.st_dev && from.st_ino == to.st_ino) {
            result.reason = "it is in that folder already";
            return result;
        }
        if (!posix::Continue(m_options.hook, FileStep::Checked, path)) {
            result.reason = posix::kStoppedReason;
            return result;
        }

        int error = 0;
        const std::string placed = posix::PlaceUnderFreeName(
            pinned.name, kMaxNameBytes,
            [&](const std::string& candidate) {
                return posix::RenameNoReplace(pinned.folder.Get(), pinned.name, destination.Get(),
                                              candidate);
            },
            error);
        if (error == EXDEV) {
            return CopyAcross(pinned, destination.Get(), folder, expected, path);
        }
        if (error != 0) {
            result.reason = "cannot move it: " + ErrorText(error);
            return result;
        }
        struct stat moved {};
        if (::fstatat(destination.Get(), placed.c_str(), &moved, AT_SYMLINK_NOFOLLOW) != 0 ||
            posix::IdentityOf(moved).id != expected.id) {
            // Another file took the name between the check and the rename: it goes back.
            const bool back = posix::RenameNoReplace(destination.Get(), placed, pinned.folder.Get(),
                                                     pinned.name) == 0;
            result.reason = back ? "another file took its place while it was being moved; that "
                                   "file was put back"
                                 : "another file took its place while it was being moved; that "
                                   "file is now " +
                                       Quoted(Join(folder, placed));
            return result;
        }
        result.ok = true;
        result.newPath = Join(folder, placed);
        return result;
    }

    FileOperationResult CreateFolders(const std::string& folder) override {
        FileOperationResult result;
        std::string path = folder;
        while (path.size() > 1 && path.back() == '/') {
            path.pop_back();
        }
        for (std::size_t cut = path.find('/', 1);; cut = path.find('/', cut + 1)) {
            const std::string part = path.substr(0, cut);
            if (!part.empty() && ::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
                result.reason =
                    "cannot create the folder " + Quoted(part) + ": " + ErrorText(errno);
                return result;
            }
            if (cut == std::string::npos) {
                break;
            }
        }
        struct stat st {};
        const int error = ::stat(path.c_str(), &st) != 0 ? errno
                          : S_ISDIR(st.st_mode)          ? 0
                                                         : ENOTDIR;
        if (error != 0) {
            result.reason = "cannot create the folder " + Quoted(path) + ": " + ErrorText(error);
            return result;
        }
        result.ok = true;
        result.newPath = path;
        return result;
    }

private:
    std::vector<char>& Buffer(int which) {
        std::vector<char>& buffer = m_buffers[which];
        if (buffer.size() != kChunkBytes) {
            buffer.resize(kChunkBytes);
        }
        return buffer;
    }

    // Across file systems: copy into the destination, flush, verify, name it there, check that
    // the source did not change, and only then remove the source. Every failure undoes the copy.
    FileOperationResult CopyAcross(PinnedFile& pinned, int destination, const std::string& folder,
                                   const FileIdentity& expected, const std::string& path) {
        FileOperationResult result;
        const Fd source = OpenForReading(pinned.folder.Get(), pinned.name);
        struct stat st {};
        if (!source.Valid() || ::fstat(source.Get(), &st) != 0) {
            result.reason = errno == ELOOP ? "it is a symbolic link now"
                                           : "cannot read it: " + ErrorText(errno);
            return result;
        }
        if (const std::string mismatch = posix::MismatchReason(st, expected); !mismatch.empty()) {
            result.reason = mismatch;
            return result;
        }

        TemporaryCopy copy(destination, m_options.unnamedTemporary);
        if (!copy.Valid()) {
            result.reason =
                "cannot write in the folder " + Quoted(folder) + ": " + ErrorText(copy.Error());
            return result;
        }
        std::vector<char>& a = Buffer(0);
        for (off_t offset = 0;;) {
            const ssize_t n = ReadAt(source.Get(), a.data(), kChunkBytes, offset);
            if (n < 0) {
                result.reason = "cannot read it: " + ErrorText(errno);
                return result;
            }
            if (n == 0) {
                break;
            }
            if (!WriteAt(copy.Get(), a.data(), static_cast<std::size_t>(n), offset)) {
                result.reason = "cannot write the copy: " + ErrorText(errno);
                return result;
            }
            offset += n;
        }
        // Owner, permissions and times follow the file. An owner we may not give is kept ours,
        // and then the set-user and set-group bits are dropped: they must not pass to another
        // owner.
        mode_t mode = st.st_mode & 07777;
        if (::fchown(copy.Get(), st.st_uid, st.st_gid) != 0) {
            mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
        }
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        if (::fchmod(copy.Get(), mode) != 0 || ::futimens(copy.Get(), times) != 0) {
            result.reason = "cannot set the copy's attributes: " + ErrorText(errno);
            return result;
        }
        if (::fsync(copy.Get()) != 0) {
            result.reason = "cannot flush the copy: " + ErrorText(errno);
            return result;
        }
        if (!posix::Continue(m_options.hook, FileStep::Copied, path)) {
            result.reason = posix::kStoppedReason;
            return result;
        }
        if (!SameBytes(source.Get(), copy.Get(), result.reason)) {
            return result;
        }
        if (!posix::Continue(m_options.hook, FileStep::Verified, path)) {
            result.reason = posix::kStoppedReason;
            return result;
        }

        int error = 0;
        const std::string placed = posix::PlaceUnderFreeName(
            pinned.name, kMaxNameBytes,
            [&](const std::string& candidate) { return copy.Place(candidate); }, error);
        if (error != 0) {
            result.reason = "cannot name the copy in " + Quoted(folder) + ": " + ErrorText(error);
            return result;
        }
        const auto takeBack = [&](const std::string& reason) {
            RemovePlacedCopy(destination, placed, copy.Get());
            result.reason = reason;
            return result;
        };
        if (!posix::Continue(m_options.hook, FileStep::Placed, path)) {
            return takeBack(posix::kStoppedReason);
        }

        // The source must still be the file that was copied, unchanged.
        struct stat now {};
        struct stat opened {};
        if (::fstatat(pinned.folder.Get(), pinned.name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 ||
            ::fstat(source.Get(), &opened) != 0 || !posix::MismatchReason(now, expected).empty() ||
            posix::IdentityOf(opened) != expected) {
            return takeBack("it changed while it was being copied; it was left where it was");
        }
        // The source leaves through a private name, so that a file put in its place at this very
        // moment is never the one removed.
        const std::string aside = posix::PrivateName("moved");
        error =
            posix::RenameNoReplace(pinned.folder.Get(), pinned.name, pinned.folder.Get(), aside);
        if (error != 0) {
            return takeBack("cannot remove it from its folder: " + ErrorText(error));
        }
        struct stat asideSt {};
        if (::fstatat(pinned.folder.Get(), aside.c_str(), &asideSt, AT_SYMLINK_NOFOLLOW) != 0 ||
            posix::IdentityOf(asideSt).id != expected.id) {
            posix::RenameNoReplace(pinned.folder.Get(), aside, pinned.folder.Get(), pinned.name);
            return takeBack(
                "another file took its place while it was being moved; it was left "
                "where it was");
        }
        if (::unlinkat(pinned.folder.Get(), aside.c_str(), 0) != 0) {
            const int unlinkError = errno;
            posix::RenameNoReplace(pinned.folder.Get(), aside, pinned.folder.Get(), pinned.name);
            return takeBack("cannot remove it from its folder: " + ErrorText(unlinkError));
        }
        result.ok = true;
        result.newPath = Join(folder, placed);
        return result;
    }

    // Reads both files from the start and compares them; reason on a difference or an error.
    bool SameBytes(int source, int copy, std::string& reason) {
        std::vector<char>& a = Buffer(0);
        std::vector<char>& b = Buffer(1);
        for (off_t offset = 0;; offset += static_cast<off_t>(kChunkBytes)) {
            const ssize_t na = ReadAt(source, a.data(), kChunkBytes, offset);
            const ssize_t nb = ReadAt(copy, b.data(), kChunkBytes, offset);
            if (na < 0 || nb < 0) {
                reason = "cannot verify the copy: " + ErrorText(errno);
                return false;
            }
            if (na != nb || std::memcmp(a.data(), b.data(), static_cast<std::size_t>(na)) != 0) {
                reason = "the copy differs from the file; it was left where it was";
                return false;
            }
            if (na == 0) {
                return true;
            }
        }
    }

    FileOperationsOptions m_options;
    std::vector<char> m_buffers[2];
};

}  // namespace

std::unique_ptr<FileOperations> MakeFileOperations(const FileOperationsOptions& options) {
    return std::make_unique<PosixFileOperations>(options);
}

}  // namespace qm::platform
