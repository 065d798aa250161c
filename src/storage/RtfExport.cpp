#include "storage/RtfExport.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qm::storage {

namespace {

// A4 landscape with half-inch margins, in twips.
constexpr int kPageWidth = 16838;
constexpr int kPageHeight = 11906;
constexpr int kMargin = 720;
constexpr int kTableWidth = kPageWidth - 2 * kMargin;
constexpr int kTwipsPerChar = 130;  // a wide character of 9-point bold Arial, so headers fit
constexpr int kCellGap = 70;        // each side of a cell's text
constexpr std::size_t kMinWidthChars = 6;
constexpr std::size_t kMaxWidthChars = 60;  // longer texts wrap rather than squeeze the rest
constexpr int kIndentPerLevel = 180;

// Colour table indexes.
constexpr int kHeaderShade = 1;
constexpr int kRootShade = 2;
constexpr int kSetHeadShade = 3;

void AppendUtf16Unit(std::string& out, std::uint32_t unit) {
    out += "\\u";
    out += std::to_string(static_cast<std::int16_t>(static_cast<std::uint16_t>(unit)));
    out += '?';
}

std::size_t VisibleLength(std::string_view text) {
    std::size_t length = 0;
    ForEachVisibleChar(text, [&](char32_t) { ++length; });
    return length;
}

// The right edge of every column, shared out by the longest text of each.
std::vector<int> ColumnEdges(const ExportDocument& document) {
    const std::size_t count = document.columns.size();
    std::vector<std::size_t> chars(count, kMinWidthChars);
    for (std::size_t c = 0; c < count; ++c) {
        chars[c] = std::max(chars[c], VisibleLength(document.columns[c].caption));
    }
    for (const ExportRow& row : document.rows) {
        for (std::size_t c = 0; c < count; ++c) {
            chars[c] = std::max(chars[c], VisibleLength(ExportCellText(document, row, c)));
        }
    }
    std::vector<int> widths(count);
    long total = 0;
    for (std::size_t c = 0; c < count; ++c) {
        const auto length = static_cast<int>(std::min(chars[c], kMaxWidthChars));
        widths[c] = length * kTwipsPerChar + 2 * kCellGap;
        total += widths[c];
    }
    std::vector<int> edges(count);
    int edge = 0;
    for (std::size_t c = 0; c < count; ++c) {
        if (total > kTableWidth) {
            widths[c] = static_cast<int>(static_cast<long>(widths[c]) * kTableWidth / total);
        }
        edge += widths[c];
        edges[c] = edge;
    }
    return edges;
}

// Each cell draws its right and bottom border, the first cell its left one too and the header
// row its top: a full grid at half the size of four borders a cell (an export may have a million
// rows).
std::string RowDefinition(const std::vector<int>& edges, int shade, bool header) {
    std::string text = "\\trowd\\trgaph" + std::to_string(kCellGap) + "\\trleft0";
    if (header) {
        text += "\\trhdr";
    }
    text += "\r\n";
    constexpr const char* kBorder = "\\brdrs\\brdrw5";
    for (std::size_t c = 0; c < edges.size(); ++c) {
        if (header) {
            text += "\\clbrdrt";
            text += kBorder;
        }
        if (c == 0) {
            text += "\\clbrdrl";
            text += kBorder;
        }
        text += "\\clbrdrb";
        text += kBorder;
        text += "\\clbrdrr";
        text += kBorder;
        if (shade != 0) {
            text += "\\clcbpat" + std::to_string(shade);
        }
        text += "\\cellx" + std::to_string(edges[c]) + "\r\n";
    }
    return text;
}

// The document's font and size are set once; a cell only sets what differs from a plain one.
void AppendCell(std::string& out, std::string_view text, bool bold, bool alignRight, int indent) {
    out += "\\pard\\intbl";
    if (alignRight) {
        out += "\\qr";
    }
    if (indent > 0) {
        out += "\\li" + std::to_string(indent);
    }
    out += ' ';  // ends the last control word; what follows is text, even a leading blank
    if (bold) {
        out += "{\\b ";
    }
    out += RtfEscaped(text);
    if (bold) {
        out += '}';
    }
    out += "\\cell\r\n";
}

}  // namespace

std::string RtfEscaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachVisibleChar(text, [&](char32_t c) {
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (c < 0x10000) {
            AppendUtf16Unit(out, c);
        } else {
            const std::uint32_t offset = c - 0x10000;
            AppendUtf16Unit(out, 0xD800 + (offset >> 10));
            AppendUtf16Unit(out, 0xDC00 + (offset & 0x3FF));
        }
    });
    return out;
}

std::string RtfText(const ExportDocument& document) {
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\r\n"
        "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
        "{\\colortbl;\\red232\\green232\\blue232;\\red247\\green247\\blue247;"
        "\\red225\\green225\\blue255;}\r\n"
        "{\\info{\\title Quillmere Search Results}}\r\n";
    rtf += "\\paperw" + std::to_string(kPageWidth) + "\\paperh" + std::to_string(kPageHeight) +
           "\\landscape\\margl" + std::to_string(kMargin) + "\\margr" + std::to_string(kMargin) +
           "\\margt" + std::to_string(kMargin) + "\\margb" + std::to_string(kMargin) +
           "\\f0\\fs18\r\n";

    // A table row needs at least one cell; without columns there is no table.
    const std::size_t count = document.columns.size();
    if (count > 0) {
        const std::vector<int> edges = ColumnEdges(document);
        rtf += RowDefinition(edges, kHeaderShade, true);
        for (std::size_t c = 0; c < count; ++c) {
            AppendCell(rtf, document.columns[c].caption, true, false, 0);
        }
        rtf += "\\row\r\n";

        const std::string rootRow = RowDefinition(edges, kRootShade, false);
        const std::string setHeadRow = RowDefinition(edges, kSetHeadShade, false);
        const std::string memberRow = RowDefinition(edges, 0, false);
        for (const ExportRow& row : document.rows) {
            const bool root = row.level <= 0;
            rtf += root ? rootRow : (row.level == 1 ? setHeadRow : memberRow);
            for (std::size_t c = 0; c < count; ++c) {
                const results::DupeColumn id = document.columns[c].id;
                const int indent =
                    id == results::DupeColumn::Extension && !root ? row.level * kIndentPerLevel : 0;
                AppendCell(rtf, ExportCellText(document, row, c), root,
                           id == results::DupeColumn::FileSize, indent);
            }
            rtf += "\\row\r\n";
        }
    }
    // A document should not end inside a table row.
    rtf += "\\pard\\par\r\n}";
    return rtf;
}

}  // namespace qm::storage
