#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qm::platform {

class Locale;

// The two ways of writing paths that Quillmere knows. Path helpers take the style as an argument
// that defaults to the native one, so that the Windows forms are tested on Linux too.
enum class PathStyle : std::uint8_t { Posix, Windows };

#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::Windows;
inline constexpr char kPathDelim = '\\';
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;
inline constexpr char kPathDelim = '/';
#endif

constexpr char PathDelimOf(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}

// The length of the root that path starts with, its separator included when it has one; 0 for a
// relative path. POSIX: "/". Windows: a drive root "C:\", a share root "\\server\share\" (or
// "\\server\share" at the very end), the same behind "\\?\" ("\\?\C:\", "\\?\UNC\server\share\"),
// and a lone "\" (the root of the current drive). "C:" without a separator is relative to that
// drive's current folder and counts as a root of 2 characters.
std::size_t RootLength(std::string_view path, PathStyle style = kNativePathStyle);

// Whether path names a place without reference to the working folder: it starts with "/", or on
// Windows with a drive root or a share root (a lone "\" and "C:x" depend on the current drive
// or its folder, so they are not absolute).
bool IsAbsolutePath(std::string_view path, PathStyle style = kNativePathStyle);

// Whether path is nothing but a root ("/", "C:\", "\\server\share\").
bool IsRootPath(std::string_view path, PathStyle style = kNativePathStyle);

// Whether two folder paths name the same folder. Windows folds case, as its file systems do
// (through the locale's upper-casing); on POSIX file names are case-sensitive, so /data/Photos/
// and /data/photos/ are two folders.
bool SamePath(std::string_view a, std::string_view b, const Locale& locale,
              PathStyle style = kNativePathStyle);

}  // namespace qm::platform
