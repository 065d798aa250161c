#pragma once

#include <string>

#include "cli/ScanOptions.h"
#include "engine/FileRecords.h"
#include "storage/ExportDocument.h"

namespace qm::platform {
class Locale;
}

namespace qm::cli {

// The duplicate sets of a finished list: one path per line, a blank line between sets. The tree's
// sets (runs of one group number) that share a file are one set here, so every path stands in
// exactly one set, in the order the list first names it.
std::string DuplicateSetsText(const engine::DuplicateList& list);

// The window's export of the tree that list fills (every column in the initial order, every
// row), in format: the same document the window writes.
std::string ExportText(const engine::DuplicateList& list, storage::ExportFormat format,
                       const platform::Locale& locale);

// The output of list in format.
std::string ResultOutputText(const engine::DuplicateList& list, OutputFormat format,
                             const platform::Locale& locale);

}  // namespace qm::cli
