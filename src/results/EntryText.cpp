#include "results/EntryText.h"

#include "results/ResultStatistics.h"

namespace qm::results {

const char* DupeColumnCaption(DupeColumn column) {
    switch (column) {
        case DupeColumn::Extension:
            return "Extension";
        case DupeColumn::FileName:
            return "File Name";
        case DupeColumn::FilePath:
            return "File Path";
        case DupeColumn::FileSize:
            return "File Size (Bytes)";
        case DupeColumn::Modified:
            return "Last Modified";
    }
    return "";
}

std::string DupeTVGetText(const ResultTree::Node& node, int column,
                          const platform::Locale& locale) {
    const TEntry& entry = node.entry;
    if (node.level == 0) {
        return column == static_cast<int>(DupeColumn::Extension) ? entry.Key : std::string();
    }
    switch (static_cast<DupeColumn>(column)) {
        case DupeColumn::FileName:
            return entry.FileName;
        case DupeColumn::FilePath:
            return entry.Folder;
        case DupeColumn::FileSize:
            return FormatCount(entry.Size, locale);
        case DupeColumn::Modified:
            return entry.Modified;
        case DupeColumn::Extension:
            break;
    }
    return {};
}

std::string DupeTVGetHint(const ResultTree::Node& node, const platform::Locale& locale) {
    if (node.level == 0) {
        return {};
    }
    const TEntry& entry = node.entry;
    std::string hint = "File Name: " + entry.FileName + "   \r\n";
    hint += "File Path: " + entry.Folder + "   \r\n";
    hint += "File Size: " + FormatCount(entry.Size, locale) + " bytes\r\n";
    hint += "Modified: " + entry.Modified + "\r\n";
    hint += StatusHintLine(entry.Status);
    return hint;
}

}  // namespace qm::results
