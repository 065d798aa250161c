#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm::platform {

// A point in time: nanoseconds since 1970-01-01 00:00:00 UTC.
using FileTime = std::int64_t;

enum class EntryKind : std::uint8_t { Folder, RegularFile, SymbolicLink, Other };

// Identity of a file on this machine: two paths with equal ids reach the same file.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    // clang-tidy 14 takes the defaulted comparison's 0 for a null pointer.
    auto operator<=>(const FileId&) const = default;  // NOLINT(modernize-use-nullptr)
};

// One entry of a folder listing. A symbolic link is reported as a link, never as its target.
struct DirEntry {
    std::string name;  // exact bytes of the name, never re-encoded
    EntryKind kind = EntryKind::Other;
    bool hidden = false;    // the platform's hidden rule (here: the name starts with ".")
    std::int64_t size = 0;  // bytes; meaningful for regular files
    FileTime lastWrite = 0;
    FileTime creation = 0;  // birth time where the file system keeps one, else the change time
    FileTime lastAccess = 0;
    FileId id;
};

// What the listing needs to fill in besides name and kind.
enum class ListDetail : std::uint8_t {
    KindOnly,  // name, kind, hidden; sizes, times and ids may be left 0 (cheap: no stat per entry)
    Full,      // everything, for regular files at least
};

// Facts of one path, not following a final symbolic link.
struct FileFacts {
    bool exists = false;
    EntryKind kind = EntryKind::Other;
    std::int64_t size = 0;
    FileTime lastWrite = 0;
    FileId id;
    FileTime change = 0;  // status change time: moves with every write, and cannot be set back
};

// What a folder listing came to.
enum class ListResult : std::uint8_t {
    Listed,
    Failed,            // the folder cannot be opened or read
    PseudoFileSystem,  // refused: proc, sysfs and the like, whose sizes do not describe contents
};

struct ListOutcome {
    ListResult result = ListResult::Listed;
    // Failed: the system's reason ("Permission denied"); PseudoFileSystem: the type ("proc").
    std::string reason;
};

// An open file for sequential reading.
class ReadableFile {
public:
    virtual ~ReadableFile() = default;
    // Reads up to length bytes; returns the count read, 0 at the end, -1 on a read error.
    virtual std::int64_t Read(void* buffer, std::size_t length) = 0;
    // Facts of the open file itself (not of whatever the path names now), taken when it was
    // opened.
    virtual FileFacts Facts() = 0;
    // Facts of the open file as they are now (one fstat-class call). Compared with Facts(), they
    // tell whether the file was written while it was read. The default is for files that
    // cannot change.
    virtual FileFacts CurrentFacts() { return Facts(); }
};

// The file-system services the engine uses. SystemFileSystem() is the real one; tests wrap it to
// inject failures that a root user would not see (permissions).
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Replaces entries with the folder's entries, without "." and "..", in the order the system
    // returns them. Returns false (entries empty) when the folder cannot be opened or read.
    // An entry that vanishes between reading the folder and examining it is left out. The
    // vector's elements are reused, so one vector passed to every call avoids allocations.
    virtual bool ListFolder(const std::string& folder, ListDetail detail,
                            std::vector<DirEntry>& entries) = 0;

    // As ListFolder, and says why a folder gave nothing. With refusePseudo a folder on a pseudo
    // file system (proc, sysfs, cgroup, devtmpfs, debugfs, ...: recognised by the file system's
    // type) is not listed. The default has no reason to give and knows no pseudo file systems.
    virtual ListOutcome ListFolderChecked(const std::string& folder, ListDetail detail,
                                          std::vector<DirEntry>& entries, bool refusePseudo) {
        (void)refusePseudo;
        if (ListFolder(folder, detail, entries)) {
            return {};
        }
        return {ListResult::Failed, "cannot be listed"};
    }

    // Picks, by name and hidden flag, the regular files of a listing whose facts are wanted. May
    // be called from several threads at once.
    using WantedFiles = std::function<bool(std::string_view name, bool hidden)>;

    // As ListFolderChecked with ListDetail::KindOnly, and fills in the facts (size, times, id) of
    // the regular files that wanted picks; other entries may come without facts (a folder needs
    // none to be walked). When the names can be read but the facts of a picked file cannot (a
    // folder without search permission), the folder still counts as listed, so that a walk goes
    // on below it, and factsFailure says why; no picked file's facts are to be used then.
    // factsFailure is empty otherwise. The default lists with ListDetail::Full: every entry with
    // its facts, and a folder whose facts fail is not listed at all.
    virtual ListOutcome ListFolderWithFacts(const std::string& folder, const WantedFiles& wanted,
                                            std::vector<DirEntry>& entries, bool refusePseudo,
                                            std::string& factsFailure) {
        (void)wanted;
        factsFailure.clear();
        return ListFolderChecked(folder, ListDetail::Full, entries, refusePseudo);
    }

    virtual FileFacts Stat(const std::string& path) = 0;

    // Opens a regular file for reading, sharing it with every other program. Never follows a
    // final symbolic link and never opens a FIFO, socket or device. Returns null when the file
    // cannot be opened; errno then says why, where the system told.
    virtual std::unique_ptr<ReadableFile> OpenForRead(const std::string& path) = 0;

    // Handles of folders kept open for a batch of OpenForReadCached calls, so that a file is
    // opened relative to its folder instead of by walking its whole path again. Safe to share
    // between threads. It keeps the folders it has seen open until it is destroyed, so it lives
    // for one batch (one comparison step) only. Null when the file system has no use for one.
    class FolderCache {
    public:
        virtual ~FolderCache() = default;
    };
    virtual std::unique_ptr<FolderCache> NewFolderCache() { return nullptr; }

    // As OpenForRead(path), but may open through a folder of cache (made by this file system's
    // NewFolderCache, or null). The default ignores the cache, so a wrapper that overrides
    // OpenForRead sees every open.
    virtual std::unique_ptr<ReadableFile> OpenForReadCached(const std::string& path,
                                                            FolderCache* cache) {
        (void)cache;
        return OpenForRead(path);
    }
};

// The operating system's file system; lives as long as the program.
FileSystem& SystemFileSystem();

}  // namespace qm::platform
