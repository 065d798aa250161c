#include <cerrno>
#include <limits>
#include <vector>

#include "platform/PathRules.h"
#include "platform/Win32Tools.h"

namespace qm::platform::win32 {

namespace {

// 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
constexpr std::int64_t kEpochDifference = 116'444'736'000'000'000;
constexpr std::int64_t kTicksPerNano = 100;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// "/" to "\", and "." and ".." parts resolved below the root of length rootLength. A ".." at the
// root stays at the root, as the system treats it.
std::wstring Normalised(const std::wstring& path, std::size_t rootLength) {
    std::wstring root = path.substr(0, rootLength);
    for (wchar_t& c : root) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    std::vector<std::wstring> parts;
    std::size_t i = rootLength;
    while (i <= path.size()) {
        std::size_t end = i;
        while (end < path.size() && !IsSeparator(path[end])) {
            ++end;
        }
        const std::wstring part = path.substr(i, end - i);
        if (part == L"..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != L".") {
            parts.push_back(part);
        }
        i = end + 1;
    }
    std::wstring result = root;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        if (k > 0) {
            result += L'\\';
        }
        result += parts[k];
    }
    if (!path.empty() && IsSeparator(path.back()) && !parts.empty()) {
        result += L'\\';
    }
    return result;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const auto continuation = [&](std::size_t k) {
        return k < text.size() && (byte(k) & 0xC0) == 0x80;
    };
    while (i < text.size()) {
        const unsigned char b0 = byte(i);
        char32_t cp = 0xFFFD;
        std::size_t length = 1;
        if (b0 < 0x80) {
            cp = b0;
        } else if (b0 >= 0xC2 && b0 <= 0xDF && continuation(i + 1)) {
            cp = ((b0 & 0x1Fu) << 6) | (byte(i + 1) & 0x3Fu);
            length = 2;
        } else if (b0 >= 0xE0 && b0 <= 0xEF && continuation(i + 1) && continuation(i + 2)) {
            // Surrogates are taken too: they stand for a lone surrogate of a name.
            const char32_t value =
                ((b0 & 0x0Fu) << 12) | ((byte(i + 1) & 0x3Fu) << 6) | (byte(i + 2) & 0x3Fu);
            if (value >= 0x800) {
                cp = value;
                length = 3;
            }
        } else if (b0 >= 0xF0 && b0 <= 0xF4 && continuation(i + 1) && continuation(i + 2) &&
                   continuation(i + 3)) {
            const char32_t value = ((b0 & 0x07u) << 18) | ((byte(i + 1) & 0x3Fu) << 12) |
                                   ((byte(i + 2) & 0x3Fu) << 6) | (byte(i + 3) & 0x3Fu);
            if (value >= 0x10000 && value <= 0x10FFFF) {
                cp = value;
                length = 4;
            }
        }
        if (cp >= 0x10000) {
            out += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<wchar_t>(cp);
        }
        i += length;
    }
    return out;
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto unit = static_cast<char32_t>(text[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            const char32_t low = static_cast<char32_t>(text[i + 1]);
            AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, unit);  // a lone surrogate keeps its own three bytes
        }
    }
    return out;
}

std::wstring SystemPath(const std::string& path) {
    std::wstring wide = Utf8ToWide(path);
    if (wide.size() >= 4 && IsSeparator(wide[0]) && IsSeparator(wide[1]) &&
        (wide[2] == L'?' || wide[2] == L'.') && IsSeparator(wide[3])) {
        return wide;  // the caller spoke to the system directly
    }
    const std::size_t root = RootLength(path, PathStyle::Windows);
    if (!IsAbsolutePath(path, PathStyle::Windows)) {
        return wide;
    }
    // The root's length in UTF-16 units equals its length in bytes: roots are ASCII up to the
    // server and share names, and those are copied as they are.
    const std::size_t wideRoot = Utf8ToWide(path.substr(0, root)).size();
    std::wstring normal = Normalised(wide, wideRoot);
    if (normal.size() >= 2 && IsSeparator(normal[0]) && IsSeparator(normal[1])) {
        return L"\\\\?\\UNC\\" + normal.substr(2);
    }
    return L"\\\\?\\" + normal;
}

std::string ErrorText(DWORD error) {
    if (error == kErrorIsAFolder) {
        return "It is a folder";  // the system's own text is not everywhere
    }
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (length > 0 && buffer != nullptr) {
        text = WideToUtf8(std::wstring_view(buffer, length));
    }
    if (buffer != nullptr) {
        ::LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    if (text.empty()) {
        text = "system error " + std::to_string(error);
    }
    return text;
}

int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
            return EACCES;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EBUSY;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_CANT_RESOLVE_FILENAME:
            return ELOOP;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        default:
            return EIO;
    }
}

FileTime FromFileTime(const FILETIME& time) {
    LARGE_INTEGER value;
    value.LowPart = time.dwLowDateTime;
    value.HighPart = static_cast<LONG>(time.dwHighDateTime);
    return FromFileTime(value);
}

FileTime FromFileTime(const LARGE_INTEGER& time) {
    const std::int64_t ticks = time.QuadPart - kEpochDifference;
    constexpr std::int64_t kMax = std::numeric_limits<FileTime>::max() / kTicksPerNano;
    constexpr std::int64_t kMin = std::numeric_limits<FileTime>::min() / kTicksPerNano;
    if (ticks > kMax) {
        return std::numeric_limits<FileTime>::max();
    }
    if (ticks < kMin) {
        return std::numeric_limits<FileTime>::min();
    }
    return ticks * kTicksPerNano;
}

FILETIME ToSystemFileTime(FileTime time) {
    // Floor division, so that a time just before a tick stays in the tick before it.
    std::int64_t ticks = time / kTicksPerNano;
    if (time % kTicksPerNano < 0) {
        --ticks;
    }
    ticks += kEpochDifference;
    if (ticks < 0) {
        ticks = 0;  // before 1601: the earliest time the system has
    }
    FILETIME result;
    result.dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) & 0xFFFFFFFFu);
    result.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
    return result;
}

bool IsLinkTag(DWORD reparseTag) {
    return IsReparseTagNameSurrogate(reparseTag) || reparseTag == IO_REPARSE_TAG_SYMLINK ||
           reparseTag == IO_REPARSE_TAG_MOUNT_POINT;
}

EntryKind KindOf(DWORD attributes, DWORD reparseTag) {
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && IsLinkTag(reparseTag)) {
        return EntryKind::SymbolicLink;
    }
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
        return EntryKind::Other;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? EntryKind::Folder
                                                        : EntryKind::RegularFile;
}

void Handle::Reset() {
    if (m_handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }
}

Handle OpenNoFollow(const std::string& path, DWORD access, DWORD extraFlags) {
    // Backup semantics lets a folder be opened too; the reparse flag opens a link itself.
    return Handle(::CreateFileW(
        SystemPath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT | extraFlags, nullptr));
}

FileFacts FactsOfHandle(HANDLE handle) {
    FileFacts facts;
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileInformationByHandle(handle, &info) == 0) {
        return facts;
    }
    DWORD tag = 0;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        FILE_ATTRIBUTE_TAG_INFO tagInfo{};
        if (::GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tagInfo,
                                           sizeof tagInfo) != 0) {
            tag = tagInfo.ReparseTag;
        }
    }
    facts.exists = true;
    facts.kind = KindOf(info.dwFileAttributes, tag);
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        facts.kind = EntryKind::Other;
    }
    facts.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                           info.nFileSizeLow);
    facts.lastWrite = FromFileTime(info.ftLastWriteTime);
    facts.id.device = info.dwVolumeSerialNumber;
    facts.id.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    FILE_BASIC_INFO basic{};
    if (::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) != 0) {
        facts.change = FromFileTime(basic.ChangeTime);
    }
    if (facts.change == 0) {
        facts.change = facts.lastWrite;  // a file system without a change time
    }
    return facts;
}

}  // namespace qm::platform::win32
