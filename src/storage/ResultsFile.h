#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FileRecords.h"
#include "results/ResultLine.h"

namespace qm::platform {
class Locale;
}

namespace qm::results {
class ResultTree;
}

namespace qm::storage {

// One file row of a results file: group|path|key|size|date, in this field order. The rows of a
// file as read are what results::PopulateResultsTree fills the tree from when a file is loaded.
using ResultsFileRow = results::ResultLine;

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

// The file rows of tree (levels 1 and 2) in depth-first order, whatever their status and whether
// or not their set is expanded: what saving the tree writes. Root rows are not written; loading
// rebuilds them from the keys.
std::vector<ResultsFileRow> ResultsRowsOf(const results::ResultTree& tree);

// Every line of a results file's text as a row, in order (see SplitResultsLines and
// ParseResultsLine). Never throws.
std::vector<ResultsFileRow> ParseResultsFileText(std::string_view text);

// Writes the rows to path through a temporary file in the same folder that replaces path only
// when complete. Throws FileError naming the path and the reason; path is then unchanged.
void WriteResultsFile(const std::string& path, const std::vector<ResultsFileRow>& rows);

// Reads every line of the file at path as a row, in file order (lines that are no rows, such as
// blank lines, come back with an empty or non-numeric group text for the filler to skip). The
// whole file is read before anything is returned, so a caller that fills its tree only from the
// result changes nothing when this throws.
// Throws FileError naming the path and the reason when the file cannot be read, is a folder, is
// no regular file (a pipe, socket or device, which could block or never end), or is larger than
// kMaxResultsFileBytes (no results file is; reading it would only exhaust memory).
std::vector<ResultsFileRow> ReadResultsFile(const std::string& path);

// About ten million file rows: far beyond any search, far below what would exhaust memory.
inline constexpr std::int64_t kMaxResultsFileBytes = std::int64_t{1} << 30;

}  // namespace qm::storage
