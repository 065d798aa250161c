#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "results/EntryText.h"
#include "storage/Utf8Text.h"

namespace qm::platform {
class Locale;
}

namespace qm::results {
class ResultTree;
}

namespace qm::storage {

// One column of an export: which column of the results tree it is (the "Extension" column shows
// the nesting of rows, the size column is right-aligned where a format can align) and its caption.
struct ExportColumn {
    results::DupeColumn id = results::DupeColumn::Extension;
    std::string caption;
};

// One row of an export: its level in the tree and the text the tree shows in each of the
// document's columns, in the columns' order (a missing cell reads as empty). Texts are UTF-8 as
// the tree holds them; bytes that are not valid UTF-8 (a file name as the file system gave it)
// are allowed and every format shows each invalid sequence as U+FFFD.
struct ExportRow {
    int level = 0;  // 0 root row, 1 set head, 2 other file of a set
    std::vector<std::string> cells;
};

// What an export holds: the tree's visible columns in their display order, and every row of the
// tree in depth-first order, rows of collapsed sets included. A header row of the captions comes
// first in every format.
struct ExportDocument {
    std::vector<ExportColumn> columns;
    std::vector<ExportRow> rows;
};

enum class ExportFormat : std::uint8_t {
    Csv,   // RFC 4180, UTF-8
    Html,  // one UTF-8 HTML document with one table
    Rtf,   // an RTF table, 7-bit text with every other character as \uN
    Text,  // the CSV table with one blank as the separator
};

// Every column of the tree, in its initial order, with its caption.
std::vector<ExportColumn> DefaultExportColumns();

// The document of tree's rows for columns: every node in depth-first order, with the cell texts
// of results::DupeTVGetText (sizes with the thousands separator of locale).
ExportDocument ExportDocumentOf(const results::ResultTree& tree,
                                const std::vector<ExportColumn>& columns,
                                const platform::Locale& locale);

// The whole document in format, ending with CR LF.
std::string RenderExport(const ExportDocument& document, ExportFormat format);

// Renders document and writes it to path through a temporary file that replaces path only when
// complete. Throws FileError naming the path and the reason; path is then unchanged.
void WriteExport(const std::string& path, const ExportDocument& document, ExportFormat format);

// ---- Shared by the renderers --------------------------------------------------------------------

// What the nesting column shows for a row of level whose cell holds cell: a root row its key, a
// set head ">" and the other files of its set ">>" (the tree shows nothing there for a file row),
// followed by the cell's own text if it has any. Plain ASCII that needs no quoting in any format
// and that no spreadsheet reads as a formula.
std::string NestingText(int level, std::string_view cell);

// The text a renderer writes for column of row: the fed cell, or NestingText in the "Extension"
// column. Not yet made valid UTF-8.
std::string ExportCellText(const ExportDocument& document, const ExportRow& row,
                           std::size_t column);

// The character a word processor or browser shows for a code point of a cell: controls, which
// neither HTML nor RTF can carry as text, become their visible pictures (U+2400 and on: a line
// feed in a name shows as U+240A); C1 controls and noncharacters become U+FFFD. Any other code
// point stands for itself.
char32_t VisibleCodePoint(char32_t value);

// Calls onChar with every visible code point of text (VisibleCodePoint of each decoded
// character; invalid UTF-8 as U+FFFD).
template <class OnChar>
void ForEachVisibleChar(std::string_view text, OnChar&& onChar) {
    std::size_t i = 0;
    while (i < text.size()) {
        const Utf8Char c = DecodeUtf8(text, i);
        onChar(VisibleCodePoint(c.value));
        i += c.length;
    }
}

}  // namespace qm::storage
