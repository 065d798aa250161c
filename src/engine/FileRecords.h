#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ScanList.h"
#include "foundation/Globals.h"
#include "platform/FileDate.h"
#include "platform/FileSystem.h"

namespace qm::platform {
class Locale;
}

namespace qm::engine {

// The five comparison methods, by their item index in the method radio group.
enum class Method : std::uint8_t {
    ContentsOnly = 0,
    SizeOnly = 1,
    NameOnly = 2,
    NameAndSize = 3,
    ContentsAndName = 4,
};

// "Contents Only", "Size Only", ...
const char* MethodName(Method method);

// One reported file of a finished DuplicateList. Every field is kept; a method's line layout
// decides which ones its text line shows.
struct DuplicateEntry {
    std::int64_t group = 0;    // counted from 1
    std::string extensionKey;  // "*.JPG" or "(None)"
    std::string nameKey;       // name methods only
    std::int64_t size = 0;
    std::uint32_t checksum = 0;  // content methods only
    std::string path;
    platform::FileTime lastWrite = 0;
    platform::FileId id;
};

using FolderList = std::vector<std::string>;  // accepted folders, each ending in the separator
using DuplicateList = std::vector<DuplicateEntry>;

// Field numbers (counted from 1) of a method's DuplicateList line, in the order the results tree
// takes them: group, date, size, root key, path.
struct FieldNumbers {
    int group = 1;
    int date = 6;
    int size = 3;
    int rootKey = 2;
    int path = 5;
};

FieldNumbers FieldNumbersOf(Method method);

// ---- Field texts ----------------------------------------------------------------------------

// Whole-text integer parse: leading blanks and a sign allowed, 0 when the text is no integer.
std::int64_t ParseWholeNumber(std::string_view text);

// "%.10d" of the 64-bit size: at least ten digits, more when needed; "-" and ten digits if
// negative.
std::string SizeText(std::int64_t size);

// "MM/DD/YYYY HH:MM:SS AM/PM" of the local two-second file date of time, with the locale's date
// and time separators. Any year, also outside 1980..2107.
std::string DateText(platform::FileTime time, const platform::Locale& locale);
std::string DateText(const platform::LocalDateTime& local, const platform::Locale& locale);

// "$" and eight upper-case hexadecimal digits.
std::string ChecksumText(std::uint32_t checksum);

// The file-name part of path (after the last separator), upper-cased for a..z only.
std::string NameKey(std::string_view path, char delim = foundation::kPathDelim);

// "*" + the name's extension from its last "." on, upper-cased for a..z; "(None)" without one.
std::string ExtensionKey(std::string_view path, char delim = foundation::kPathDelim);

// "%0.6d" of the group number.
std::string GroupText(std::int64_t group);

// The finished DuplicateList line of method for entry, e.g. for "Contents Only"
// Group|Extension key|Size|Checksum|Path|Date.
std::string DuplicateLineText(const DuplicateEntry& entry, Method method,
                              const platform::Locale& locale);

}  // namespace qm::engine
