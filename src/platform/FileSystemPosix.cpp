#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/FileSystem.h"

namespace qm::platform {

namespace {

constexpr std::int64_t kNanosPerSecond = 1'000'000'000;

FileTime ToFileTime(const struct statx_timestamp& ts) {
    return static_cast<std::int64_t>(ts.tv_sec) * kNanosPerSecond + ts.tv_nsec;
}

FileTime ToFileTime(const struct timespec& ts) {
    return static_cast<std::int64_t>(ts.tv_sec) * kNanosPerSecond + ts.tv_nsec;
}

EntryKind KindOfMode(unsigned mode) {
    switch (mode & S_IFMT) {
        case S_IFDIR:
            return EntryKind::Folder;
        case S_IFREG:
            return EntryKind::RegularFile;
        case S_IFLNK:
            return EntryKind::SymbolicLink;
        default:
            return EntryKind::Other;  // FIFOs, sockets, devices: never opened
    }
}

EntryKind KindOfDirentType(unsigned char type) {
    switch (type) {
        case DT_DIR:
            return EntryKind::Folder;
        case DT_REG:
            return EntryKind::RegularFile;
        case DT_LNK:
            return EntryKind::SymbolicLink;
        default:
            return EntryKind::Other;
    }
}

constexpr unsigned kStatxMask =
    STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_ATIME | STATX_CTIME | STATX_BTIME | STATX_INO;

// Fills kind, size, times and id of entry from one statx relative to dirFd, never following a
// final link. Returns false when the entry vanished or cannot be examined.
bool StatEntry(int dirFd, const char* name, DirEntry& entry) {
    struct statx sx;
    if (statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, kStatxMask, &sx) != 0) {
        return false;
    }
    entry.kind = KindOfMode(sx.stx_mode);
    entry.size = static_cast<std::int64_t>(sx.stx_size);
    entry.lastWrite = ToFileTime(sx.stx_mtime);
    entry.lastAccess = ToFileTime(sx.stx_atime);
    // Not every file system keeps a birth time; the change time is the closest it has.
    entry.creation =
        (sx.stx_mask & STATX_BTIME) ? ToFileTime(sx.stx_btime) : ToFileTime(sx.stx_ctime);
    entry.id.device = (static_cast<std::uint64_t>(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    entry.id.inode = sx.stx_ino;
    return true;
}

FileFacts FactsOfStat(const struct stat& st) {
    FileFacts facts;
    facts.exists = true;
    facts.kind = KindOfMode(st.st_mode);
    facts.size = static_cast<std::int64_t>(st.st_size);
    facts.lastWrite = ToFileTime(st.st_mtim);
    // Same device encoding as the listing's (major << 32 | minor), so ids from both compare.
    facts.id.device = (static_cast<std::uint64_t>(major(st.st_dev)) << 32) | minor(st.st_dev);
    facts.id.inode = st.st_ino;
    return facts;
}

class PosixReadableFile final : public ReadableFile {
public:
    explicit PosixReadableFile(int fd) : m_fd(fd) {}
    ~PosixReadableFile() override { ::close(m_fd); }
    PosixReadableFile(const PosixReadableFile&) = delete;
    PosixReadableFile& operator=(const PosixReadableFile&) = delete;

    std::int64_t Read(void* buffer, std::size_t length) override {
        for (;;) {
            const ssize_t count = ::read(m_fd, buffer, length);
            if (count >= 0) {
                return count;
            }
            if (errno != EINTR) {
                return -1;
            }
        }
    }

    FileFacts Facts() override {
        struct stat st;
        if (::fstat(m_fd, &st) != 0) {
            return {};
        }
        return FactsOfStat(st);
    }

private:
    int m_fd;
};

class PosixFileSystem final : public FileSystem {
public:
    bool ListFolder(const std::string& folder, ListDetail detail,
                    std::vector<DirEntry>& entries) override {
        const int fd = ::open(folder.empty() ? "." : folder.c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            entries.clear();
            return false;
        }
        DIR* dir = ::fdopendir(fd);
        if (dir == nullptr) {
            ::close(fd);
            entries.clear();
            return false;
        }
        // The entries already in the vector are overwritten in place and the surplus cut off at
        // the end, so a walk that reuses one vector keeps its name buffers instead of
        // allocating fresh ones for every folder.
        std::size_t count = 0;
        bool ok = true;
        for (;;) {
            errno = 0;
            const struct dirent* d = ::readdir(dir);
            if (d == nullptr) {
                ok = errno == 0;
                break;
            }
            const char* name = d->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) {
                continue;
            }
            if (count == entries.size()) {
                entries.emplace_back();
            }
            DirEntry& entry = entries[count];
            entry.name.assign(name);
            entry.hidden = name[0] == '.';
            if (detail == ListDetail::Full || d->d_type == DT_UNKNOWN) {
                if (!StatEntry(fd, name, entry)) {
                    // Gone between readdir and statx: leave it out rather than report an entry
                    // with made-up facts.
                    continue;
                }
            } else {
                entry.kind = KindOfDirentType(d->d_type);
                entry.size = 0;
                entry.lastWrite = entry.creation = entry.lastAccess = 0;
                entry.id = {};
            }
            ++count;
        }
        ::closedir(dir);  // also closes fd
        entries.resize(ok ? count : 0);
        return ok;
    }

    FileFacts Stat(const std::string& path) override {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) {
            return {};
        }
        return FactsOfStat(st);
    }

    std::unique_ptr<ReadableFile> OpenForRead(const std::string& path) override {
        // O_NONBLOCK so that opening a FIFO that slipped in never waits for a writer; anything
        // that is not a regular file is refused before a byte is read.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            return nullptr;
        }
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            ::close(fd);
            return nullptr;
        }
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        return std::make_unique<PosixReadableFile>(fd);
    }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

}  // namespace qm::platform
