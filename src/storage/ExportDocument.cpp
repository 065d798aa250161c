#include "storage/ExportDocument.h"

#include "results/ResultTree.h"
#include "storage/FileIo.h"
#include "storage/HtmlExport.h"
#include "storage/RtfExport.h"
#include "storage/TextTableExport.h"

namespace qm::storage {

std::vector<ExportColumn> DefaultExportColumns() {
    std::vector<ExportColumn> columns;
    for (int i = 0; i < results::kDupeColumnCount; ++i) {
        const auto id = static_cast<results::DupeColumn>(i);
        columns.push_back({id, results::DupeColumnCaption(id)});
    }
    return columns;
}

ExportDocument ExportDocumentOf(const results::ResultTree& tree,
                                const std::vector<ExportColumn>& columns,
                                const platform::Locale& locale) {
    ExportDocument document;
    document.columns = columns;
    document.rows.reserve(tree.NodeCount());
    for (const results::ResultTree::Node& node : tree.Nodes()) {
        ExportRow row;
        row.level = node.level;
        row.cells.reserve(columns.size());
        for (const ExportColumn& column : columns) {
            row.cells.push_back(results::DupeTVGetText(node, static_cast<int>(column.id), locale));
        }
        document.rows.push_back(std::move(row));
    }
    return document;
}

std::string RenderExport(const ExportDocument& document, ExportFormat format) {
    std::string text;
    switch (format) {
        case ExportFormat::Csv:
            text = TextTableText(document, ',');
            break;
        case ExportFormat::Text:
            text = TextTableText(document, ' ');
            break;
        case ExportFormat::Html:
            text = HtmlText(document);
            break;
        case ExportFormat::Rtf:
            text = RtfText(document);
            break;
    }
    text += "\r\n";
    return text;
}

void WriteExport(const std::string& path, const ExportDocument& document, ExportFormat format) {
    WriteFileAtomically(path, RenderExport(document, format));
}

std::string NestingText(int level, std::string_view cell) {
    if (level <= 0) {
        return std::string(cell);
    }
    std::string text(level >= 2 ? ">>" : ">");
    if (!cell.empty()) {
        text += ' ';
        text += cell;
    }
    return text;
}

std::string ExportCellText(const ExportDocument& document, const ExportRow& row,
                           std::size_t column) {
    const std::string_view cell =
        column < row.cells.size() ? std::string_view(row.cells[column]) : std::string_view();
    if (document.columns[column].id == results::DupeColumn::Extension) {
        return NestingText(row.level, cell);
    }
    return std::string(cell);
}

char32_t VisibleCodePoint(char32_t value) {
    if (value < 0x20) {
        return 0x2400 + value;  // the control pictures, in code order
    }
    if (value == 0x7F) {
        return 0x2421;
    }
    const bool c1Control = value >= 0x80 && value <= 0x9F;
    const bool nonCharacter =
        (value >= 0xFDD0 && value <= 0xFDEF) || (value & 0xFFFE) == 0xFFFE || value > 0x10FFFF;
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (c1Control || nonCharacter || surrogate) {
        return kReplacementCharacter;
    }
    return value;
}

}  // namespace qm::storage
