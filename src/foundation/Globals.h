#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/TextMeasurer.h"

namespace qm::foundation {

// The folder separator of the platform Quillmere runs on. Every helper below takes the separator
// as its last argument, defaulting to this one, so that the Windows forms can be tested here too.
#ifdef _WIN32
inline constexpr char kPathDelim = '\\';
#else
inline constexpr char kPathDelim = '/';
#endif

// path with the separator appended unless it already ends with one. An empty path stays empty.
std::string AddTrailingBackslash(std::string_view path, char delim = kPathDelim);

// path without its final separator, unless that would break a root: "C:\" and "\\" (three
// characters or fewer) with "\", and "/" with "/" stay as they are.
std::string RemoveTrailingBackslash(std::string_view path, char delim = kPathDelim);

// The fieldNo-th field (counted from 1) of text split at separator; empty when there are fewer
// fields or fieldNo is 0. Exact, case-sensitive search.
std::string ExtractField(std::string_view text, std::string_view separator, std::uint8_t fieldNo);

// Number of separators in text plus one; 0 for an empty text. Saturates at 255.
std::uint8_t CountFields(std::string_view text, std::string_view separator);

// Case-insensitive (Unicode upper-casing) wildcard match: "?" is one character, "*" any run,
// including none. A mask ending in "." (such as "*.") matches only names without an extension.
// Never throws: every mask is a valid mask.
bool MatchWildcard(std::string_view text, std::string_view mask);

// Program version, four numbers joined by ".", compiled in from the project version.
std::string GetFileVersionText();

// Drops the first folder of a folder part ("a\b\" -> "...\b\"); see ShortenPathToWidth.
void DropLeadingFolder(std::string& folder, char delim = kPathDelim);

// The path, with leading folders replaced by "..." until it fits maxWidth pixels; the file name is
// never shortened, so the result may still be too wide.
std::string ShortenPathToWidth(std::string_view path, const TextMeasurer& measurer, int maxWidth,
                               char delim = kPathDelim);

}  // namespace qm::foundation
