#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <random>

#include "platform/Win32Tools.h"
#include "support/FileOperationSupport.h"
#include "support/TempTreeSystem.h"

namespace qm::test {

namespace {

using platform::win32::Handle;
using platform::win32::SystemPath;

}  // namespace

// Under Wine, the Linux machine's /dev/shm is a second file system, reached through drive Z:.
OtherFileSystemFolder::OtherFileSystemFolder() {
    const DWORD attributes = ::GetFileAttributesW(L"Z:\\dev\\shm");
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return;
    }
    std::mt19937_64 random{std::random_device{}() ^ ::GetTickCount64()};
    const std::string folder = "Z:\\dev\\shm\\qm-other-" + std::to_string(random() % 1'000'000'000);
    if (::CreateDirectoryW(SystemPath(folder).c_str(), nullptr) != 0) {
        m_path = folder + "\\";
    }
}

OtherFileSystemFolder::~OtherFileSystemFolder() {
    if (!m_path.empty()) {
        RemoveAllEntries(SystemPath(m_path.substr(0, m_path.size() - 1)));
    }
}

// A file system of one's own is not to be had on Windows.
bool MountPrivateFileSystem(const std::string&) {
    return false;
}

std::string ReadAll(const std::string& path) {
    const Handle file(::CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                                    platform::win32::kShareAll, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
    if (!file.Valid()) {
        return "<missing>";
    }
    std::string text;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) != 0 && got > 0) {
        text.append(buffer, got);
    }
    return text;
}

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::wstring pattern = SystemPath(folder);
    if (pattern.back() != L'\\') {
        pattern += L'\\';
    }
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((pattern + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (std::wcscmp(data.cFileName, L".") != 0 && std::wcscmp(data.cFileName, L"..") != 0) {
                names.push_back(platform::win32::WideToUtf8(data.cFileName));
            }
        } while (::FindNextFileW(find, &data) != 0);
        ::FindClose(find);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void Rewrite(const std::string& path, const std::string& bytes) {
    const Handle file(::CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                                    platform::win32::kShareAll, nullptr, OPEN_ALWAYS, 0, nullptr));
    if (!file.Valid()) {
        return;
    }
    FILETIME before{};
    const bool existed = ::GetLastError() == ERROR_ALREADY_EXISTS &&
                         ::GetFileTime(file.Get(), nullptr, nullptr, &before) != 0;
    DWORD written = 0;
    ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::SetEndOfFile(file.Get());
    if (existed) {
        // A time that surely differs from the one the file had, however coarse the clock.
        ULARGE_INTEGER later;
        later.LowPart = before.dwLowDateTime;
        later.HighPart = before.dwHighDateTime;
        later.QuadPart += 10'000'000;
        FILETIME write{later.LowPart, later.HighPart};
        ::SetFileTime(file.Get(), nullptr, nullptr, &write);
    }
}

bool RenameOver(const std::string& from, const std::string& to) {
    return ::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace qm::test
