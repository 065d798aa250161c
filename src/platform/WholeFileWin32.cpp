#include <random>

#include "platform/WholeFile.h"
#include "platform/Win32Tools.h"

namespace qm::platform {

namespace {

using win32::Handle;

bool WriteAll(HANDLE handle, std::string_view content) {
    while (!content.empty()) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 30));
        if (::WriteFile(handle, content.data(), want, &written, nullptr) == 0) {
            return false;
        }
        content.remove_prefix(written);
    }
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string(".\\") : path.substr(0, cut + 1);
}

std::string TemporaryName() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = ".qm-tmp-";
    std::uint64_t value = random();
    for (int i = 0; i < 12; ++i, value >>= 4) {
        name += kDigits[value & 0xF];
    }
    return name;
}

DWORD Replace(const std::string& path, std::string_view content) {
    if (path.back() == '\\' || path.back() == '/') {
        return win32::kErrorIsAFolder;
    }
    const std::wstring target = win32::SystemPath(path);
    // What the path leads to, links followed.
    const Handle existing(::CreateFileW(target.c_str(), FILE_READ_ATTRIBUTES, win32::kShareAll,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    const bool exists = existing.Valid();
    if (exists) {
        const FileFacts facts = win32::FactsOfHandle(existing.Get());
        if (facts.kind == EntryKind::Folder) {
            return win32::kErrorIsAFolder;
        }
        if (facts.kind != EntryKind::RegularFile) {
            // A device such as NUL or a pipe: written into.
            const Handle device(::CreateFileW(target.c_str(), GENERIC_WRITE, win32::kShareAll,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
            if (!device.Valid()) {
                return ::GetLastError();
            }
            return WriteAll(device.Get(), content) ? 0 : ::GetLastError();
        }
    }

    const std::string folder = FolderOf(path);
    std::wstring temporary;
    Handle file;
    for (int tries = 0; tries < 100 && !file.Valid(); ++tries) {
        temporary = win32::SystemPath(folder + TemporaryName());
        file = Handle(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid() && ::GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (!file.Valid()) {
        return ::GetLastError();
    }
    DWORD error = 0;
    if (!WriteAll(file.Get(), content) || ::FlushFileBuffers(file.Get()) == 0) {
        error = ::GetLastError();
    }
    file.Reset();
    if (error == 0) {
        // An existing file keeps its attributes and access list: the system carries them over
        // to the new content. A new one is simply given its name.
        const BOOL done =
            exists ? ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                    REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                   : ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
        if (done == 0) {
            error = ::GetLastError();
        }
    }
    if (error != 0) {
        ::DeleteFileW(temporary.c_str());
    }
    return error;
}

}  // namespace

std::string ReplaceFileContent(const std::string& path, std::string_view content) {
    const DWORD error = path.empty() ? ERROR_PATH_NOT_FOUND : Replace(path, content);
    return error == 0 ? std::string() : win32::ErrorText(error);
}

std::string ReadFileContent(const std::string& path, std::string& content) {
    content.clear();
    const Handle file(::CreateFileW(win32::SystemPath(path).c_str(), GENERIC_READ, win32::kShareAll,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.Valid()) {
        return win32::ErrorText(::GetLastError());
    }
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) == 0) {
            return win32::ErrorText(::GetLastError());
        }
        if (got == 0) {
            break;
        }
        content.append(buffer, got);
    }
    return {};
}

}  // namespace qm::platform
