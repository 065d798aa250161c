// windows.h first: the other system headers below need its types.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <winioctl.h>

#include <cwchar>
#include <random>
#include <stdexcept>

#include "platform/Win32Tools.h"
#include "support/TempTree.h"
#include "support/TempTreeSystem.h"

namespace qm::test {

namespace {

using platform::win32::Handle;
using platform::win32::SystemPath;

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw std::runtime_error("TempTree: " + what + " " + path + ": " +
                             platform::win32::ErrorText(::GetLastError()));
}

void WriteAll(HANDLE file, const char* data, std::size_t length, const std::string& path) {
    while (length > 0) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(length, 1u << 20));
        if (::WriteFile(file, data, want, &written, nullptr) == 0) {
            Fail("cannot write", path);
        }
        data += written;
        length -= written;
    }
}

bool MakeFolder(const std::string& path) {
    return ::CreateDirectoryW(SystemPath(path).c_str(), nullptr) != 0 ||
           ::GetLastError() == ERROR_ALREADY_EXISTS;
}

void MakeParents(const std::string& full, std::size_t rootLength) {
    for (std::size_t pos = full.find('\\', rootLength); pos != std::string::npos;
         pos = full.find('\\', pos + 1)) {
        const std::string part = full.substr(0, pos);
        if (!MakeFolder(part)) {
            Fail("cannot make folder", part);
        }
    }
}

// The name part of a tree path, for the hidden rule.
bool NameStartsWithDot(const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && (trimmed.back() == '/' || trimmed.back() == '\\')) {
        trimmed.pop_back();
    }
    const std::size_t cut = trimmed.find_last_of("/\\");
    const std::string name = cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
    return !name.empty() && name[0] == '.';
}

std::wstring WithoutSeparator(std::wstring path) {
    while (path.size() > 7 && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}

}  // namespace

bool SetLastWriteTime(const std::string& path, platform::FileTime time) {
    const Handle file(::CreateFileW(
        SystemPath(path).c_str(), FILE_WRITE_ATTRIBUTES, platform::win32::kShareAll, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    const FILETIME write = platform::win32::ToSystemFileTime(time);
    return file.Valid() && ::SetFileTime(file.Get(), nullptr, nullptr, &write) != 0;
}

bool UnderWine() {
    // Wine's ntdll exports its version; Windows' does not.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void RemoveAllEntries(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::DeleteFileW(path.c_str());
        return;
    }
    // A link to a folder goes by itself; whatever it reaches stays.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        WIN32_FIND_DATAW data;
        const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (std::wcscmp(data.cFileName, L".") != 0 &&
                    std::wcscmp(data.cFileName, L"..") != 0) {
                    RemoveAllEntries(path + L"\\" + data.cFileName);
                }
            } while (::FindNextFileW(find, &data) != 0);
            ::FindClose(find);
        }
    }
    ::RemoveDirectoryW(path.c_str());
}

TempTree::TempTree() {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0) {
        Fail("cannot find", "the temporary folder");
    }
    std::string base = platform::win32::WideToUtf8(std::wstring_view(temp, length));
    if (base.back() != '\\') {
        base += '\\';
    }
    std::mt19937_64 random{std::random_device{}() ^ ::GetTickCount64()};
    for (int tries = 0; tries < 100; ++tries) {
        const std::string candidate =
            base + SafeTestName() + "-" + std::to_string(random() % 1'000'000'000);
        if (::CreateDirectoryW(SystemPath(candidate).c_str(), nullptr) != 0) {
            m_root = candidate + "\\";
            return;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            Fail("cannot make", candidate);
        }
    }
    Fail("cannot make a folder in", base);
}

TempTree::TempTree(std::initializer_list<TreeEntry> entries) : TempTree() {
    Add(entries);
}

TempTree::~TempTree() {
    RemoveAllEntries(WithoutSeparator(SystemPath(m_root)));
}

void TempTree::Remove(const std::string& relative) {
    const std::wstring path = WithoutSeparator(SystemPath(Path(relative)));
    RemoveAllEntries(path);
    if (::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        throw std::runtime_error("TempTree: cannot remove " + Path(relative));
    }
}

void TempTree::Build(const TreeEntry& entry) {
    std::string full = Path(entry.path);
    TreeNode::Type type = entry.node.type;
    if (!entry.path.empty() && entry.path.back() == '/') {
        type = TreeNode::Type::Folder;
    }
    MakeParents(full, m_root.size());
    const TreeNode& node = entry.node;
    switch (type) {
        case TreeNode::Type::Folder:
            while (full.size() > m_root.size() && full.back() == '\\') {
                full.pop_back();
            }
            if (!MakeFolder(full)) {
                Fail("cannot make folder", full);
            }
            return;
        case TreeNode::Type::HardLink:
            if (::CreateHardLinkW(SystemPath(full).c_str(), SystemPath(Path(node.text)).c_str(),
                                  nullptr) == 0) {
                Fail("cannot make hard link", full);
            }
            return;
        case TreeNode::Type::Symlink:
        case TreeNode::Type::Fifo:
            throw std::runtime_error("TempTree: no symbolic links or FIFOs on Windows: " + full);
        case TreeNode::Type::File:
            break;
    }

    const Handle file(::CreateFileW(SystemPath(full).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        Fail("cannot make file", full);
    }
    switch (node.fill) {
        case TreeNode::Fill::Text:
            WriteAll(file.Get(), node.text.data(), node.text.size(), full);
            break;
        case TreeNode::Fill::Sparse: {
            DWORD returned = 0;
            ::DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned,
                              nullptr);
            LARGE_INTEGER end;
            end.QuadPart = node.size;
            if (::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) == 0 ||
                ::SetEndOfFile(file.Get()) == 0) {
                Fail("cannot size", full);
            }
            break;
        }
        case TreeNode::Fill::Random:
        case TreeNode::Fill::Zeros:
            WriteGenerated(node, [&](const char* data, std::size_t length) {
                WriteAll(file.Get(), data, length, full);
            });
            break;
    }
    for (const auto& [offset, bytes] : node.patches) {
        LARGE_INTEGER at;
        at.QuadPart = offset;
        if (::SetFilePointerEx(file.Get(), at, nullptr, FILE_BEGIN) == 0) {
            Fail("cannot seek", full);
        }
        WriteAll(file.Get(), bytes.data(), bytes.size(), full);
    }
}

void TempTree::ApplyAttributes(const TreeEntry& entry) {
    std::string full = Path(entry.path);
    while (full.size() > m_root.size() && full.back() == '\\') {
        full.pop_back();
    }
    const TreeNode& node = entry.node;
    if (node.mtime || node.atime) {
        const Handle file(::CreateFileW(SystemPath(full).c_str(), FILE_WRITE_ATTRIBUTES,
                                        platform::win32::kShareAll, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file.Valid()) {
            Fail("cannot set times of", full);
        }
        FILETIME access{};
        FILETIME write{};
        if (node.atime) {
            access = platform::win32::ToSystemFileTime(*node.atime);
        }
        if (node.mtime) {
            write = platform::win32::ToSystemFileTime(*node.mtime);
        }
        if (::SetFileTime(file.Get(), nullptr, node.atime ? &access : nullptr,
                          node.mtime ? &write : nullptr) == 0) {
            Fail("cannot set times of", full);
        }
    }
    DWORD attributes = 0;
    if (NameStartsWithDot(entry.path)) {
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    }
    if (node.mode) {
        if ((*node.mode & 0222) != 0 || (*node.mode & 0444) == 0) {
            throw std::runtime_error("TempTree: only read-only modes on Windows: " + full);
        }
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    if (attributes != 0) {
        const std::wstring path = SystemPath(full);
        const DWORD current = ::GetFileAttributesW(path.c_str());
        if (current == INVALID_FILE_ATTRIBUTES ||
            ::SetFileAttributesW(path.c_str(), (current & ~FILE_ATTRIBUTE_NORMAL) | attributes) ==
                0) {
            Fail("cannot set the attributes of", full);
        }
    }
}

}  // namespace qm::test
