#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include "platform/FileSystem.h"
#include "platform/Win32Tools.h"

namespace qm::platform {

namespace {

using win32::Handle;

std::int64_t SizeOf(DWORD high, DWORD low) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(high) << 32) | low);
}

bool IsDotEntry(const wchar_t* name, std::size_t length) {
    return (length == 1 && name[0] == L'.') || (length == 2 && name[0] == L'.' && name[1] == L'.');
}

// Hidden follows the system's attributes: an entry marked hidden or system is hidden.
bool IsHidden(DWORD attributes) {
    return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
}

// The folder path with a separator at its end, ready for a name or a pattern to follow.
std::wstring FolderPrefix(const std::string& folder) {
    std::wstring prefix = win32::SystemPath(folder.empty() ? std::string(".") : folder);
    if (prefix.empty() || (prefix.back() != L'\\' && prefix.back() != L'/')) {
        prefix += L'\\';
    }
    return prefix;
}

// The folder path as the system opens a folder: without a separator at its end, unless it is a
// root ("C:\\" needs its separator).
std::wstring FolderItself(const std::string& folder) {
    std::wstring path = FolderPrefix(folder);
    const std::wstring bare = path.substr(0, path.size() - 1);
    const bool root = bare.empty() || bare.back() == L':' ||
                      (bare.size() > 8 && bare.compare(0, 8, L"\\\\?\\UNC\\") == 0 &&
                       std::count(bare.begin() + 8, bare.end(), L'\\') <= 1);
    return root ? path : bare;
}

ListOutcome Failed(DWORD error) {
    return {ListResult::Failed, win32::ErrorText(error)};
}

// Names, kinds and hidden flags through the system's file search, as a walk needs them.
ListOutcome ListKinds(const std::string& folder, std::vector<DirEntry>& entries) {
    const std::wstring pattern = FolderPrefix(folder) + L'*';
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        return Failed(::GetLastError());
    }
    std::size_t count = 0;
    DWORD error = 0;
    do {
        const std::size_t length = std::wcslen(data.cFileName);
        if (IsDotEntry(data.cFileName, length)) {
            continue;
        }
        if (count == entries.size()) {
            entries.emplace_back();
        }
        DirEntry& entry = entries[count++];
        entry.name = win32::WideToUtf8(std::wstring_view(data.cFileName, length));
        // The tag of a reparse point stands in dwReserved0.
        entry.kind = win32::KindOf(data.dwFileAttributes, data.dwReserved0);
        entry.hidden = IsHidden(data.dwFileAttributes);
        entry.size = 0;
        entry.lastWrite = entry.creation = entry.lastAccess = 0;
        entry.id = {};
    } while (::FindNextFileW(find, &data) != 0);
    error = ::GetLastError();
    ::FindClose(find);
    if (error != ERROR_NO_MORE_FILES) {
        entries.clear();
        return Failed(error);
    }
    entries.resize(count);
    return {};
}

// Everything, ids included, from the open folder: one request returns many entries with their
// file ids, so no file has to be opened to learn which file it is.
ListOutcome ListFull(const std::string& folder, std::vector<DirEntry>& entries) {
    const Handle handle(::CreateFileW(FolderItself(folder).c_str(), FILE_LIST_DIRECTORY,
                                      win32::kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.Valid()) {
        // A missing folder reads as the file search reports it ("path not found"), so that the
        // user sees one reason whichever way the folder was listed.
        const DWORD error = ::GetLastError();
        return Failed(error == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : error);
    }
    BY_HANDLE_FILE_INFORMATION folderInfo{};
    if (::GetFileInformationByHandle(handle.Get(), &folderInfo) == 0) {
        return Failed(::GetLastError());
    }
    if ((folderInfo.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return Failed(ERROR_DIRECTORY);
    }
    // Entries are aligned to 8 bytes within the buffer.
    alignas(8) static thread_local unsigned char buffer[64 * 1024];
    std::size_t count = 0;
    FILE_INFO_BY_HANDLE_CLASS request = FileIdBothDirectoryRestartInfo;
    for (;;) {
        if (::GetFileInformationByHandleEx(handle.Get(), request, buffer, sizeof buffer) == 0) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_NO_MORE_FILES) {
                break;
            }
            entries.clear();
            return Failed(error);
        }
        request = FileIdBothDirectoryInfo;
        std::size_t offset = 0;
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer + offset);
            const std::size_t length = info->FileNameLength / sizeof(wchar_t);
            if (!IsDotEntry(info->FileName, length)) {
                if (count == entries.size()) {
                    entries.emplace_back();
                }
                DirEntry& entry = entries[count++];
                entry.name = win32::WideToUtf8(std::wstring_view(info->FileName, length));
                // For a reparse point the extended-attribute size holds its tag.
                entry.kind = win32::KindOf(info->FileAttributes, info->EaSize);
                entry.hidden = IsHidden(info->FileAttributes);
                entry.size = info->EndOfFile.QuadPart;
                entry.lastWrite = win32::FromFileTime(info->LastWriteTime);
                entry.creation = win32::FromFileTime(info->CreationTime);
                entry.lastAccess = win32::FromFileTime(info->LastAccessTime);
                entry.id.device = folderInfo.dwVolumeSerialNumber;
                entry.id.inode = static_cast<std::uint64_t>(info->FileId.QuadPart);
            }
            if (info->NextEntryOffset == 0) {
                break;
            }
            offset += info->NextEntryOffset;
        }
    }
    entries.resize(count);
    return {};
}

class Win32ReadableFile final : public ReadableFile {
public:
    Win32ReadableFile(Handle handle, const FileFacts& facts)
        : m_handle(std::move(handle)), m_facts(facts) {}

    std::int64_t Read(void* buffer, std::size_t length) override {
        const DWORD want = static_cast<DWORD>(
            std::min<std::size_t>(length, std::numeric_limits<DWORD>::max() / 2));
        DWORD got = 0;
        if (::ReadFile(m_handle.Get(), buffer, want, &got, nullptr) == 0) {
            errno = win32::ErrnoOf(::GetLastError());
            return -1;
        }
        return got;
    }

    FileFacts Facts() override { return m_facts; }

    FileFacts CurrentFacts() override { return win32::FactsOfHandle(m_handle.Get()); }

private:
    Handle m_handle;
    FileFacts m_facts;
};

class Win32FileSystem final : public FileSystem {
public:
    bool ListFolder(const std::string& folder, ListDetail detail,
                    std::vector<DirEntry>& entries) override {
        return ListFolderChecked(folder, detail, entries, false).result == ListResult::Listed;
    }

    // Windows has no pseudo file systems of the kind that a walk must keep out of.
    ListOutcome ListFolderChecked(const std::string& folder, ListDetail detail,
                                  std::vector<DirEntry>& entries, bool) override {
        ListOutcome outcome =
            detail == ListDetail::Full ? ListFull(folder, entries) : ListKinds(folder, entries);
        if (outcome.result != ListResult::Listed) {
            entries.clear();
        }
        return outcome;
    }

    FileFacts Stat(const std::string& path) override {
        const Handle handle = win32::OpenNoFollow(path, FILE_READ_ATTRIBUTES);
        if (handle.Valid()) {
            return win32::FactsOfHandle(handle.Get());
        }
        // A file that refuses even its attributes is still there: say so, without an identity.
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (::GetFileAttributesExW(win32::SystemPath(path).c_str(), GetFileExInfoStandard, &data) ==
            0) {
            return {};
        }
        FileFacts facts;
        facts.exists = true;
        facts.kind = win32::KindOf(data.dwFileAttributes, 0);
        facts.size = SizeOf(data.nFileSizeHigh, data.nFileSizeLow);
        facts.lastWrite = win32::FromFileTime(data.ftLastWriteTime);
        facts.change = facts.lastWrite;
        return facts;
    }

    std::unique_ptr<ReadableFile> OpenForRead(const std::string& path) override {
        // Full sharing: the files are the user's, in use by other programs. The reparse flag
        // opens a link itself, which is then refused below: a link is never followed.
        Handle handle = win32::OpenNoFollow(path, GENERIC_READ, FILE_FLAG_SEQUENTIAL_SCAN);
        if (!handle.Valid()) {
            errno = win32::ErrnoOf(::GetLastError());
            return nullptr;
        }
        const FileFacts facts = win32::FactsOfHandle(handle.Get());
        if (!facts.exists || facts.kind != EntryKind::RegularFile) {
            errno = facts.kind == EntryKind::Folder         ? EISDIR
                    : facts.kind == EntryKind::SymbolicLink ? ELOOP
                                                            : EINVAL;
            return nullptr;
        }
        return std::make_unique<Win32ReadableFile>(std::move(handle), facts);
    }
};

}  // namespace

FileSystem& SystemFileSystem() {
    static Win32FileSystem fileSystem;
    return fileSystem;
}

}  // namespace qm::platform
