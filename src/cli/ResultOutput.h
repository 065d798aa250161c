#pragma once

#include <string>

#include "cli/ScanOptions.h"
#include "engine/FileRecords.h"

namespace qm::platform {
class Locale;
}

namespace qm::cli {

// The duplicate sets of a finished list: one path per line, a blank line between sets. The tree's
// sets (runs of one group number) that share a file are one set here, so every path stands in
// exactly one set, in the order the list first names it.
std::string DuplicateSetsText(const engine::DuplicateList& list);

// One row per file row of the results tree, under the header
// Group,Extension,File Name,File Path,File Size (Bytes),Last Modified (the path column holds the
// folder, as in the window's export); cells quoted where needed, CR LF line ends.
std::string CsvText(const engine::DuplicateList& list, const platform::Locale& locale);

// A cell quoted when it holds a comma, a double quote, CR or LF; quotes inside are doubled.
std::string CsvCell(const std::string& text);

// The output of list in format.
std::string ResultOutputText(const engine::DuplicateList& list, OutputFormat format,
                             const platform::Locale& locale);

}  // namespace qm::cli
