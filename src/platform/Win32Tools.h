#pragma once

// Pieces shared by the Win32 adapters. Not part of the platform interface: only *Win32.cpp files
// include this header.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>
#include <utility>

#include "platform/FileSystem.h"

namespace qm::platform::win32 {

// UTF-8 to UTF-16. The three-byte forms of lone surrogates (which WideToUtf8 makes of names that
// hold them) become those surrogates again, so every name the system returns goes back to it
// unchanged. Any other ill-formed byte becomes U+FFFD.
std::wstring Utf8ToWide(std::string_view text);

// UTF-16 to UTF-8; a lone surrogate (legal in a Windows file name) is kept in its three-byte form.
std::string WideToUtf8(std::wstring_view text);

// The form of a UTF-8 path that the wide file functions take: an absolute drive or share path is
// given the "\\?\" prefix so that no length limit applies and names keep trailing dots and
// blanks; "/" becomes "\" and "." and ".." parts are resolved first. Anything else (a relative
// path) is passed as it stands.
std::wstring SystemPath(const std::string& path);

// The system's code for an operation that a folder does not take (writing a folder as a file);
// missing from the headers of older toolchains.
inline constexpr DWORD kErrorIsAFolder = 336;  // ERROR_DIRECTORY_NOT_SUPPORTED

// The system's text for an error code, without the final line end ("Access is denied.").
std::string ErrorText(DWORD error);

// The C library's error number closest to a system error code, for callers that report errno.
int ErrnoOf(DWORD error);

// FILETIME (100 ns since 1601) to and from nanoseconds since 1970; saturating at the ends.
FileTime FromFileTime(const FILETIME& time);
FileTime FromFileTime(const LARGE_INTEGER& time);
FILETIME ToSystemFileTime(FileTime time);

// Whether a reparse point with this tag leads elsewhere (a symbolic link, a junction, a mount
// point): such an entry is never followed.
bool IsLinkTag(DWORD reparseTag);

// The kind of an entry by its attributes and (for a reparse point) its tag.
EntryKind KindOf(DWORD attributes, DWORD reparseTag);

// An owned handle; INVALID_HANDLE_VALUE when none.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE handle) : m_handle(handle == nullptr ? INVALID_HANDLE_VALUE : handle) {}
    ~Handle() { Reset(); }
    Handle(Handle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            m_handle = std::exchange(other.m_handle, INVALID_HANDLE_VALUE);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    void Reset();

private:
    HANDLE m_handle = INVALID_HANDLE_VALUE;
};

// Every sharing mode: other programs may read, write, rename and delete the file meanwhile.
inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens path itself, never what a link at path leads to, with access (0 for facts only).
Handle OpenNoFollow(const std::string& path, DWORD access, DWORD extraFlags = 0);

// Facts of an open handle: kind, size, last write, identity (volume serial and file index) and
// change time. exists is false when the system refuses them.
FileFacts FactsOfHandle(HANDLE handle);

}  // namespace qm::platform::win32
