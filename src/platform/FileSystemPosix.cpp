#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <shared_mutex>
#include <string_view>
#include <unordered_map>

#include "platform/FileSystem.h"
#include "platform/PosixFileTools.h"

namespace qm::platform {

namespace {

using posix::KindOfMode;
using posix::ToFileTime;

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

// The listing's device encoding (major << 32 | minor), so that ids from every source compare.
std::uint64_t DeviceOf(dev_t device) {
    return (static_cast<std::uint64_t>(major(device)) << 32) | minor(device);
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
    entry.id.device = DeviceOf(makedev(sx.stx_dev_major, sx.stx_dev_minor));
    entry.id.inode = sx.stx_ino;
    return true;
}

FileFacts FactsOfStat(const struct stat& st) {
    FileFacts facts;
    facts.exists = true;
    facts.kind = KindOfMode(st.st_mode);
    facts.size = static_cast<std::int64_t>(st.st_size);
    facts.lastWrite = ToFileTime(st.st_mtim);
    facts.id.device = DeviceOf(st.st_dev);
    facts.id.inode = st.st_ino;
    facts.change = ToFileTime(st.st_ctim);
    return facts;
}

// File systems that hold no user files and whose sizes do not describe their contents, by the
// type statfs reports.
struct PseudoType {
    std::uint32_t magic;
    const char* name;
};
constexpr PseudoType kPseudoTypes[] = {
    {0x9fa0, "proc"},
    {0x62656572, "sysfs"},
    {0x27e0eb, "cgroup"},
    {0x63677270, "cgroup2"},
    {0x64626720, "debugfs"},
    {0x74726163, "tracefs"},
    {0x73636673, "securityfs"},
    {0x6165676c, "pstore"},
    {0xcafe4a11, "bpf"},
    {0x62656570, "configfs"},
    {0x1cd1, "devpts"},
    {0x19800202, "mqueue"},
    {0x42494e4d, "binfmt_misc"},
    {0x65735543, "fusectl"},
    {0xde5e81e4, "efivarfs"},
    {0xf97cff8c, "selinuxfs"},
    {0x43415d53, "smackfs"},
    {0x5a3c69f0, "apparmorfs"},
    {0x6e736673, "nsfs"},
    {0x7655821, "resctrl"},
    {0x9fa2, "usbfs"},
    {0x6c6f6f70, "binder"},
};
constexpr std::uint32_t kTmpfsMagic = 0x01021994;
constexpr std::uint32_t kRamfsMagic = 0x858458f6;

// devtmpfs reports itself to statfs as tmpfs (or ramfs); only the mount table tells it apart.
// The devices of its mounts, read once: it is mounted at boot.
const std::vector<std::uint64_t>& DevtmpfsDevices() {
    static const std::vector<std::uint64_t> devices = [] {
        std::vector<std::uint64_t> found;
        std::FILE* mounts = std::fopen("/proc/self/mountinfo", "re");
        if (mounts == nullptr) {
            return found;
        }
        char* line = nullptr;
        std::size_t capacity = 0;
        while (::getline(&line, &capacity, mounts) > 0) {
            // "36 35 0:5 / /dev rw,nosuid shared:2 - devtmpfs udev rw,...": the third field is
            // the device, the first after " - " the type.
            unsigned long majorNumber = 0;
            unsigned long minorNumber = 0;
            const char* type = std::strstr(line, " - ");
            if (type != nullptr && std::strncmp(type + 3, "devtmpfs ", 9) == 0 &&
                std::sscanf(line, "%*s %*s %lu:%lu", &majorNumber, &minorNumber) == 2) {
                found.push_back((static_cast<std::uint64_t>(majorNumber) << 32) | minorNumber);
            }
        }
        std::free(line);
        std::fclose(mounts);
        return found;
    }();
    return devices;
}

// The type of the pseudo file system that the open folder fd lies on, or null for an ordinary
// one (disks, network shares, tmpfs). One statfs; a stat more only on tmpfs and ramfs.
const char* PseudoFileSystemOf(int fd) {
    struct statfs info;
    if (::fstatfs(fd, &info) != 0) {
        return nullptr;
    }
    // The magic numbers are 32 bits wide; f_type may be a signed word.
    const auto magic = static_cast<std::uint32_t>(info.f_type);
    for (const PseudoType& type : kPseudoTypes) {
        if (magic == type.magic) {
            return type.name;
        }
    }
    if (magic == kTmpfsMagic || magic == kRamfsMagic) {
        const std::vector<std::uint64_t>& devtmpfs = DevtmpfsDevices();
        struct stat st;
        if (!devtmpfs.empty() && ::fstat(fd, &st) == 0 &&
            std::find(devtmpfs.begin(), devtmpfs.end(), DeviceOf(st.st_dev)) != devtmpfs.end()) {
            return "devtmpfs";
        }
    }
    return nullptr;
}

class PosixReadableFile final : public ReadableFile {
public:
    PosixReadableFile(int fd, const FileFacts& facts) : m_fd(fd), m_facts(facts) {}
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

    // The facts taken when the file was opened: the same file, and no second fstat.
    FileFacts Facts() override { return m_facts; }

    FileFacts CurrentFacts() override {
        struct stat st;
        if (::fstat(m_fd, &st) != 0) {
            return {};
        }
        return FactsOfStat(st);
    }

private:
    int m_fd;
    FileFacts m_facts;
};

// Files at least this large are read with a hint for sequential read-ahead; for smaller ones the
// extra call costs more than it can save.
constexpr std::int64_t kSequentialHintBytes = std::int64_t{4} << 20;

// Opens name relative to dirFd (AT_FDCWD: a path) as a regular file. O_NOFOLLOW: a path that
// became a link since it was listed leads elsewhere (ELOOP). O_NONBLOCK so that opening a FIFO
// that slipped in never waits for a writer; anything that is not a regular file is refused
// before a byte is read. O_NONBLOCK has no effect on reading a regular file, so it stays.
std::unique_ptr<ReadableFile> OpenRegularAt(int dirFd, const char* name) {
    const int fd = ::openat(dirFd, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | O_NOFOLLOW);
    if (fd < 0) {
        return nullptr;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = error;
        return nullptr;
    }
    if (st.st_size >= kSequentialHintBytes) {
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
    return std::make_unique<PosixReadableFile>(fd, FactsOfStat(st));
}

struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const {
        return std::hash<std::string_view>{}(text);
    }
};

// Folder handles (O_PATH: no read permission needed, nothing to read ahead) by folder path.
// Bounded by a share of the process's open-file limit; once full, other folders are opened by
// path as before. A folder that cannot be opened is remembered as -1 and takes the path too.
class PosixFolderCache final : public FileSystem::FolderCache {
public:
    PosixFolderCache() {
        struct rlimit limit;
        std::size_t files = 1024;
        if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
            files = limit.rlim_cur == RLIM_INFINITY ? std::size_t{1} << 16
                                                    : static_cast<std::size_t>(limit.rlim_cur);
        }
        m_capacity = std::min<std::size_t>(files / 4, 16384);
    }
    ~PosixFolderCache() override {
        for (const auto& [folder, fd] : m_fds) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    PosixFolderCache(const PosixFolderCache&) = delete;
    PosixFolderCache& operator=(const PosixFolderCache&) = delete;

    // The handle of folder, or -1: open by path instead.
    int FolderFd(std::string_view folder) {
        {
            // Once every folder is in, all lookups are reads and run side by side.
            std::shared_lock<std::shared_mutex> lock(m_mutex);
            const auto it = m_fds.find(folder);
            if (it != m_fds.end()) {
                return it->second;
            }
            if (m_fds.size() >= m_capacity) {
                return -1;
            }
        }
        std::string key(folder);
        const int fd = ::open(key.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        std::lock_guard<std::shared_mutex> lock(m_mutex);
        const auto [it, added] = m_fds.try_emplace(std::move(key), fd);
        if (!added && fd >= 0) {
            ::close(fd);  // another thread was first
        }
        return it->second;
    }

private:
    std::shared_mutex m_mutex;
    std::unordered_map<std::string, int, StringHash, std::equal_to<>> m_fds;
    std::size_t m_capacity = 0;
};

class PosixFileSystem final : public FileSystem {
public:
    bool ListFolder(const std::string& folder, ListDetail detail,
                    std::vector<DirEntry>& entries) override {
        return ListFolderChecked(folder, detail, entries, false).result == ListResult::Listed;
    }

    ListOutcome ListFolderChecked(const std::string& folder, ListDetail detail,
                                  std::vector<DirEntry>& entries, bool refusePseudo) override {
        std::string unused;
        return List(folder, detail == ListDetail::Full ? Facts::All : Facts::None, nullptr, entries,
                    refusePseudo, unused);
    }

    ListOutcome ListFolderWithFacts(const std::string& folder, const WantedFiles& wanted,
                                    std::vector<DirEntry>& entries, bool refusePseudo,
                                    std::string& factsFailure) override {
        return List(folder, Facts::Wanted, &wanted, entries, refusePseudo, factsFailure);
    }

    FileFacts Stat(const std::string& path) override {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) {
            return {};
        }
        return FactsOfStat(st);
    }

    std::unique_ptr<ReadableFile> OpenForRead(const std::string& path) override {
        return OpenRegularAt(AT_FDCWD, path.c_str());
    }

    std::unique_ptr<FolderCache> NewFolderCache() override {
        return std::make_unique<PosixFolderCache>();
    }

    std::unique_ptr<ReadableFile> OpenForReadCached(const std::string& path,
                                                    FolderCache* cache) override {
        auto* folders = dynamic_cast<PosixFolderCache*>(cache);
        const std::size_t cut = path.rfind('/');
        // A name of its own after the folder part; anything else goes by its whole path.
        if (folders == nullptr || cut == std::string::npos || cut + 1 == path.size()) {
            return OpenForRead(path);
        }
        const int dirFd = folders->FolderFd(std::string_view(path).substr(0, cut + 1));
        if (dirFd < 0) {
            return OpenForRead(path);
        }
        return OpenRegularAt(dirFd, path.c_str() + cut + 1);
    }

private:
    // Which entries a listing examines with statx.
    enum class Facts : std::uint8_t {
        None,    // only where the listing gives no kind
        All,     // every entry
        Wanted,  // regular files that wanted picks
    };

    static ListOutcome List(const std::string& folder, Facts facts, const WantedFiles* wanted,
                            std::vector<DirEntry>& entries, bool refusePseudo,
                            std::string& factsFailure) {
        factsFailure.clear();
        const int fd = ::open(folder.empty() ? "." : folder.c_str(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            const int error = errno;
            entries.clear();
            return {ListResult::Failed, std::strerror(error)};
        }
        if (refusePseudo) {
            if (const char* type = PseudoFileSystemOf(fd)) {
                ::close(fd);
                entries.clear();
                return {ListResult::PseudoFileSystem, type};
            }
        }
        // getdents64 straight into a buffer: readdir's fdopendir would spend a stat and an
        // fcntl per folder to learn what the open already made sure of.
        alignas(struct dirent64) char buffer[32768];
        // The entries already in the vector are overwritten in place and the surplus cut off at
        // the end, so a walk that reuses one vector keeps its name buffers instead of
        // allocating fresh ones for every folder.
        std::size_t count = 0;
        int error = 0;
        while (error == 0) {
            const ssize_t got = ::getdents64(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                error = got < 0 ? errno : 0;
                break;
            }
            for (ssize_t at = 0; at < got && error == 0;) {
                const auto* d = reinterpret_cast<const struct dirent64*>(buffer + at);
                at += d->d_reclen;
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
                // Without a kind from the listing, only statx tells a folder from a file.
                const bool needsKind = d->d_type == DT_UNKNOWN;
                const bool wantsFacts =
                    facts == Facts::All ||
                    (facts == Facts::Wanted && factsFailure.empty() &&
                     (d->d_type == DT_REG || needsKind) && (*wanted)(entry.name, entry.hidden));
                if (wantsFacts || needsKind) {
                    if (!StatEntry(fd, name, entry)) {
                        const bool denied = errno == EACCES || errno == EPERM;
                        if (denied && !needsKind && facts == Facts::Wanted) {
                            // A folder without search permission shows names but no facts: the
                            // walk may still go on below it, its files cannot be taken.
                            factsFailure = std::strerror(errno);
                            ClearFacts(entry, KindOfDirentType(d->d_type));
                            ++count;
                        } else if (denied) {
                            // Facts asked of every entry, or a kind that only statx tells: the
                            // folder cannot be listed. Any other entry that cannot be examined
                            // (gone since the listing read it) is left out rather than made up.
                            error = errno;
                        }
                        continue;
                    }
                } else {
                    ClearFacts(entry, KindOfDirentType(d->d_type));
                }
                ++count;
            }
        }
        ::close(fd);
        if (error != 0) {
            entries.clear();
            return {ListResult::Failed, std::strerror(error)};
        }
        entries.resize(count);
        return {};
    }

    static void ClearFacts(DirEntry& entry, EntryKind kind) {
        entry.kind = kind;
        entry.size = 0;
        entry.lastWrite = entry.creation = entry.lastAccess = 0;
        entry.id = {};
    }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static PosixFileSystem fileSystem;
    return fileSystem;
}

}  // namespace qm::platform
