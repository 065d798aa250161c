// windows.h (through Win32Tools.h) must come before the shell's header.
#include "platform/Win32Tools.h"

#include <shlobj.h>

#include "platform/PathRules.h"
#include "platform/UserFolders.h"

namespace qm::platform {

namespace {

std::string WithSeparator(std::string path) {
    if (path.empty() || (path.back() != '\\' && path.back() != '/')) {
        path += '\\';
    }
    return path;
}

std::string KnownFolder(REFKNOWNFOLDERID id) {
    wchar_t* path = nullptr;
    std::string result;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path != nullptr) {
        result = win32::WideToUtf8(path);
    }
    ::CoTaskMemFree(path);
    return result;
}

std::string Environment(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, 32768);
    if (length == 0 || length >= 32768) {
        return {};
    }
    return win32::WideToUtf8(std::wstring_view(buffer, length));
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(win32::SystemPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::string HomeFolder() {
    std::string home = KnownFolder(FOLDERID_Profile);
    if (home.empty()) {
        home = Environment(L"USERPROFILE");
    }
    if (!IsAbsolutePath(home)) {
        return "C:\\";
    }
    return WithSeparator(home);
}

// The per-user configuration of Windows programs lives in the roaming application data.
std::string UserConfigFolder() {
    std::string folder = KnownFolder(FOLDERID_RoamingAppData);
    if (folder.empty()) {
        folder = Environment(L"APPDATA");
    }
    if (!IsAbsolutePath(folder)) {
        return HomeFolder() + "AppData\\Roaming\\";
    }
    return WithSeparator(folder);
}

// Windows decides access by the folder's access list: trying is the only sure test.
bool IsWritableFolder(const std::string& folder) {
    if (!IsFolder(folder)) {
        return false;
    }
    const std::wstring base = win32::SystemPath(WithSeparator(folder)) + L".quillmere-write-test-";
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::wstring probe = base + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(::GetTickCount64() + attempt);
        const HANDLE handle =
            ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

// The same folder by the file system's own identity, however it is spelt (case, "..", a
// separator at the end, a link on the way).
bool IsSameFolder(const std::string& a, const std::string& b) {
    FileFacts facts[2];
    const std::string* paths[2] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        const win32::Handle folder(::CreateFileW(
            win32::SystemPath(*paths[i]).c_str(), FILE_READ_ATTRIBUTES, win32::kShareAll, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!folder.Valid()) {
            return false;
        }
        facts[i] = win32::FactsOfHandle(folder.Get());
        if (facts[i].kind != EntryKind::Folder) {
            return false;
        }
    }
    return facts[0].id == facts[1].id;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty()) {
        return false;
    }
    // Each folder below the root from the top down; one that exists already is left as it is.
    const std::size_t root = RootLength(folder);
    for (std::size_t cut = folder.find_first_of("\\/", root);;
         cut = folder.find_first_of("\\/", cut + 1)) {
        const std::string part = folder.substr(0, cut);
        if (part.size() > root &&
            ::CreateDirectoryW(win32::SystemPath(part).c_str(), nullptr) == 0 &&
            ::GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
        if (cut == std::string::npos) {
            break;
        }
    }
    return IsFolder(folder);
}

}  // namespace qm::platform
