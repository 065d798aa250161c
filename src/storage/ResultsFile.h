#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FileRecords.h"

namespace qm::platform {
class Locale;
}

namespace qm::storage {

// One file row of a results file: group|path|key|size|date, in this field order.
struct ResultsFileRow {
    std::string groupText;  // as the results tree keeps it, e.g. "000001"
    std::string path;       // full path, exact bytes
    std::string key;        // root row key, "*.JPG" or "(None)"
    std::int64_t size = 0;
    std::string modified;  // the date text, unchanged
    bool operator==(const ResultsFileRow&) const = default;
};

// Field texts may hold any byte (a Linux file name may contain "|", CR, LF and invalid UTF-8).
// Such bytes are written as "<" + two upper-case hex digits + ">", and so is "<" itself. A path
// that is valid on Windows contains none of these ("<" is forbidden there), so it is written
// unchanged and old files read back as they were. Unescape turns every "<XX>" back into its byte
// and leaves any other "<" as it stands.
std::string EscapeField(std::string_view text);
std::string UnescapeField(std::string_view text);

// The line of a row, without its line end.
std::string ResultsLineText(const ResultsFileRow& row);

// The row of a line: fields beyond the end of the line read as empty; the size is the whole-text
// integer parse of field 4 (0 when it is no integer). Never throws.
ResultsFileRow ParseResultsLine(std::string_view line);

// Whole file text: every row's line followed by CR LF.
std::string ResultsFileText(const std::vector<ResultsFileRow>& rows);

// The lines of a file text, in order, duplicates and blank lines kept: CR LF, a lone CR and a
// lone LF each end a line; the last line needs no line end.
std::vector<std::string> SplitResultsLines(std::string_view text);

// The rows that the results tree holds after being filled from a finished DuplicateList, in the
// tree's depth-first order (the list order; a later line of a path already in the same set makes
// no row): what saving that tree writes.
std::vector<ResultsFileRow> ResultsRowsOf(const engine::DuplicateList& list,
                                          const platform::Locale& locale);

// Writes the rows to path through a temporary file in the same folder that replaces path only
// when complete. Throws FileError naming the path and the reason; path is then unchanged.
void WriteResultsFile(const std::string& path, const std::vector<ResultsFileRow>& rows);

// Reads every line of the file at path as a row, in file order (lines that are no rows, such as
// blank lines, come back with an empty or non-numeric group text for the reader to skip).
// Throws FileError when the file cannot be read.
std::vector<ResultsFileRow> ReadResultsFile(const std::string& path);

}  // namespace qm::storage
