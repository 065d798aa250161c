#include "storage/HtmlExport.h"

namespace qm::storage {

namespace {

constexpr const char* kHtmlHead =
    "<!DOCTYPE html>\r\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\r\n"
    "<head>\r\n"
    "<meta charset=\"utf-8\" />\r\n"
    // Nothing in the page may run or load; inline style is all it needs.
    "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src "
    "'unsafe-inline'\" />\r\n"
    "<title>Quillmere Search Results</title>\r\n"
    "<style>\r\n"
    "table { border-collapse: collapse; font-family: sans-serif; font-size: 10pt; }\r\n"
    "th, td { border: 1px solid #c0c0c0; padding: 2px 6px; text-align: left; "
    "vertical-align: top; }\r\n"
    "th { background: #e8e8e8; }\r\n"
    ".root { background: #f7f7f7; font-weight: bold; }\r\n"
    ".head { background: #e1e1ff; }\r\n"
    "</style>\r\n"
    "</head>\r\n"
    "<body>\r\n"
    "<table>\r\n"
    "<caption></caption>\r\n";

constexpr const char* kHtmlTail =
    "</tbody>\r\n"
    "</table>\r\n"
    "</body>\r\n"
    "</html>";

// Single class names and inline styles: word processors that import HTML apply those, and
// browsers do anyway.
std::string CellAttributes(int level, results::DupeColumn column) {
    std::string attributes;
    if (level <= 0) {
        attributes = " class=\"root\"";
    } else if (level == 1) {
        attributes = " class=\"head\"";
    }
    if (column == results::DupeColumn::Extension && level > 0) {
        attributes +=
            level == 1 ? " style=\"padding-left: 18px\"" : " style=\"padding-left: 30px\"";
    } else if (column == results::DupeColumn::FileSize) {
        attributes += " style=\"text-align: right; white-space: nowrap\"";
    }
    return attributes;
}

}  // namespace

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachVisibleChar(text, [&](char32_t c) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                AppendUtf8(out, c);
                break;
        }
    });
    return out;
}

std::string HtmlText(const ExportDocument& document) {
    std::string html = kHtmlHead;
    html += "<thead>\r\n<tr>";
    for (const ExportColumn& column : document.columns) {
        html += "<th>";
        html += HtmlEscaped(column.caption);
        html += "</th>";
    }
    html += "</tr>\r\n</thead>\r\n<tbody>\r\n";
    for (const ExportRow& row : document.rows) {
        html += "<tr>";
        for (std::size_t c = 0; c < document.columns.size(); ++c) {
            html += "<td";
            html += CellAttributes(row.level, document.columns[c].id);
            html += '>';
            html += HtmlEscaped(ExportCellText(document, row, c));
            html += "</td>";
        }
        html += "</tr>\r\n";
    }
    html += kHtmlTail;
    return html;
}

}  // namespace qm::storage
