#pragma once

#include <string>

#include "results/ResultTree.h"

namespace qm::platform {
class Locale;
}

namespace qm::results {

// The results tree's columns, in their initial order.
enum class DupeColumn : int {
    Extension = 0,
    FileName = 1,
    FilePath = 2,
    FileSize = 3,
    Modified = 4
};
inline constexpr int kDupeColumnCount = 5;

// The header caption of a column ("Extension", "File Name", ...).
const char* DupeColumnCaption(DupeColumn column);

// The text of one cell: a root row shows its Key in the Extension column only; a file row shows
// FileName, Folder, Size (with the locale's thousands separators) and Modified, and nothing in the
// Extension column. Any other column is empty.
std::string DupeTVGetText(const ResultTree::Node& node, int column, const platform::Locale& locale);

// A file row's hint: name, folder, size, date and the status line, lines ended by CR LF. Root
// rows have none (empty text).
std::string DupeTVGetHint(const ResultTree::Node& node, const platform::Locale& locale);

}  // namespace qm::results
