#include "platform/PathChecks.h"
#include "platform/Win32Tools.h"

namespace qm::platform {

namespace {

// The facts of what path leads to: the file a link leads to, as the write or read will find it.
win32::Handle OpenFollowing(const std::string& path, DWORD& error) {
    win32::Handle handle(::CreateFileW(win32::SystemPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                       win32::kShareAll, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    error = handle.Valid() ? 0 : ::GetLastError();
    return handle;
}

std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".") : path.substr(0, cut + 1);
}

}  // namespace

PathTarget ExamineTarget(const std::string& path) {
    PathTarget target;
    DWORD error = 0;
    const win32::Handle handle = OpenFollowing(path, error);
    if (!handle.Valid()) {
        target.reason = win32::ErrorText(error);
        return target;
    }
    const FileFacts facts = win32::FactsOfHandle(handle.Get());
    target.exists = facts.exists;
    target.kind = facts.kind;
    target.size = facts.size;
    return target;
}

std::string IsAFolderReason() {
    return win32::ErrorText(win32::kErrorIsAFolder);
}

std::string NotAFolderReason() {
    return win32::ErrorText(ERROR_DIRECTORY);
}

std::string FolderOpenProblem(const std::string& folder) {
    std::wstring pattern = win32::SystemPath(folder);
    if (pattern.empty() || pattern.back() != L'\\') {
        pattern += L'\\';
    }
    pattern += L'*';
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // An empty folder (a drive root has no "." entry) is still a folder that lists.
        return error == ERROR_FILE_NOT_FOUND ? std::string() : win32::ErrorText(error);
    }
    ::FindClose(find);
    return {};
}

std::string WriteTargetProblem(const std::string& path) {
    const PathTarget target = ExamineTarget(path);
    if (target.exists && target.kind == EntryKind::Folder) {
        return IsAFolderReason();
    }
    if (target.exists && target.kind != EntryKind::RegularFile) {
        return {};  // a device such as NUL: written into
    }
    // A new or replaced file is made in its folder: the folder must take one.
    const std::string folder = FolderOf(path);
    const PathTarget folderTarget = ExamineTarget(folder);
    if (!folderTarget.exists) {
        return folderTarget.reason;
    }
    if (folderTarget.kind != EntryKind::Folder) {
        return NotAFolderReason();
    }
    const std::wstring probe = win32::SystemPath(folder + ".quillmere-write-test-" +
                                                 std::to_string(::GetCurrentProcessId()));
    const HANDLE handle =
        ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_EXISTS ? std::string() : win32::ErrorText(error);
    }
    ::CloseHandle(handle);
    return {};
}

std::string WorkingFolder(std::string& reason) {
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring buffer(needed, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(needed, buffer.data());
    if (needed == 0 || length == 0 || length >= needed) {
        reason = win32::ErrorText(::GetLastError());
        return {};
    }
    buffer.resize(length);
    return win32::WideToUtf8(buffer);
}

}  // namespace qm::platform
