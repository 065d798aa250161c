#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "foundation/TextMeasurer.h"
#include "platform/PathRules.h"

namespace qm::foundation {

// The folder separator of the platform Quillmere runs on. Every helper below takes the separator
// as its last argument, defaulting to this one, so that the Windows forms can be tested here too.
inline constexpr char kPathDelim = platform::kPathDelim;

// path with the separator appended unless it already ends with one. An empty path stays empty.
std::string AddTrailingBackslash(std::string_view path, char delim = kPathDelim);

// path without its final separator, unless that would break a root: "C:\" and "\\" (three
// characters or fewer) and a share root "\\server\share\" with "\", and "/" with "/" stay as
// they are.
std::string RemoveTrailingBackslash(std::string_view path, char delim = kPathDelim);

// The fieldNo-th field (counted from 1) of text split at separator; empty when there are fewer
// fields or fieldNo is 0. Exact, case-sensitive search.
std::string ExtractField(std::string_view text, std::string_view separator, std::uint8_t fieldNo);

// Number of separators in text plus one; 0 for an empty text. Saturates at 255.
std::uint8_t CountFields(std::string_view text, std::string_view separator);

// Case-insensitive (simple Unicode upper-casing per code point) wildcard match: "?" is one
// character (a UTF-8 code point; a byte that is not valid UTF-8 counts as one character), "*" any
// run of characters, including none; "**" and "*?" are ordinary masks. A mask ending in "."
// matches only texts without any "." ("*." is every name without an extension, "abc." only
// "abc"). Never throws: every mask is a valid mask. Allocates nothing; cost at most
// text length times mask length.
bool MatchWildcard(std::string_view text, std::string_view mask);

// Program version, four numbers joined by ".", compiled in from the project version.
std::string GetFileVersionText();

// Drops the first folder of a folder part ("a\b\" -> "...\b\", "\a\b\" -> "\...\b\", a
// leading "...\" of an earlier call goes first); "\" and a part without a separator become
// empty. See ShortenPathToWidth.
void DropLeadingFolder(std::string& folder, char delim = kPathDelim);

// The path, with leading folders replaced by "..." one at a time until it fits maxWidth pixels as
// measured by measurer: C:\Data\Photos\2006\a.jpg becomes C:\...\Photos\2006\a.jpg,
// C:\...\2006\a.jpg, C:\...\a.jpg, ...\a.jpg and at last a.jpg. A drive part ("X:") exists only
// with the separator "\". The file name is never shortened, so the result may still be too wide;
// a path without a folder part comes back unchanged.
std::string ShortenPathToWidth(std::string_view path, const TextMeasurer& measurer, int maxWidth,
                               char delim = kPathDelim);

}  // namespace qm::foundation
