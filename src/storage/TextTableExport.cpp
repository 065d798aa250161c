#include "storage/TextTableExport.h"

#include "storage/Utf8Text.h"

namespace qm::storage {

std::string TextTableCell(std::string_view text, char separator) {
    std::string valid = ValidUtf8(text);
    // With a blank between cells, a tab would read as a gap between cells too.
    const char mustQuote[] = {separator, '"', '\r', '\n', separator == ' ' ? '\t' : '"', '\0'};
    if (valid.find_first_of(mustQuote) == std::string::npos) {
        return valid;
    }
    std::string cell = "\"";
    cell.reserve(valid.size() + 2);
    for (const char c : valid) {
        if (c == '"') {
            cell += '"';
        }
        cell += c;
    }
    cell += '"';
    return cell;
}

std::string TextTableText(const ExportDocument& document, char separator) {
    std::string text;
    for (std::size_t c = 0; c < document.columns.size(); ++c) {
        if (c > 0) {
            text += separator;
        }
        text += TextTableCell(document.columns[c].caption, separator);
    }
    for (const ExportRow& row : document.rows) {
        text += "\r\n";
        for (std::size_t c = 0; c < document.columns.size(); ++c) {
            if (c > 0) {
                text += separator;
            }
            text += TextTableCell(ExportCellText(document, row, c), separator);
        }
    }
    return text;
}

}  // namespace qm::storage
