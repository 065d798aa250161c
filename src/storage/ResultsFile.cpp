#include "storage/ResultsFile.h"

#include "storage/FileIo.h"
#include "storage/Utf8Text.h"

#include <unordered_set>

#include "foundation/Error.h"
#include "foundation/Globals.h"
#include "platform/PathChecks.h"
#include "results/ResultTree.h"

namespace qm::storage {

namespace {

constexpr char kFieldSep = '|';
constexpr char kEscapeOpen = '<';
constexpr char kEscapeClose = '>';
constexpr const char* kHexDigits = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char byte) {
    out += kEscapeOpen;
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
    out += kEscapeClose;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Calls onLine with every line of text, in order: CR LF, a lone CR and a lone LF each end a line;
// the last line needs no line end.
template <class OnLine>
void ForEachLine(std::string_view text, OnLine&& onLine) {
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            onLine(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) {
        onLine(text.substr(start));
    }
}

constexpr const char* kTooLargeReason =
    "The file is larger than 1 GiB, too large for a results file";

[[noreturn]] void ThrowCannotRead(const std::string& path, const std::string& reason) {
    throw FileError("Cannot read \"" + path + "\": " + reason);
}

// Refuses, before the file is opened, what must not be read as a results file: opening a FIFO
// would block until some writer came, and a device may never end.
void CheckReadableResultsFile(const std::string& path) {
    const platform::PathTarget target = platform::ExamineTarget(path);
    if (!target.exists) {
        ThrowCannotRead(path, target.reason);
    }
    if (target.kind == platform::EntryKind::Folder) {
        ThrowCannotRead(path, platform::IsAFolderReason());
    }
    if (target.kind != platform::EntryKind::RegularFile) {
        ThrowCannotRead(path, "Not a regular file (a pipe, socket or device)");
    }
    if (target.size > kMaxResultsFileBytes) {
        ThrowCannotRead(path, kTooLargeReason);
    }
}

}  // namespace

std::string EscapeField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == static_cast<unsigned char>(kFieldSep) ||
            byte == static_cast<unsigned char>(kEscapeOpen)) {
            AppendEscaped(out, byte);
            ++i;
            continue;
        }
        const Utf8Char c = DecodeUtf8(text, i);
        if (!c.valid) {
            AppendEscaped(out, byte);
            ++i;
            continue;
        }
        out.append(text.substr(i, c.length));
        i += c.length;
    }
    return out;
}

std::string UnescapeField(std::string_view text) {
    if (text.find(kEscapeOpen) == std::string_view::npos) {
        return std::string(text);  // the common case: nothing escaped
    }
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kEscapeOpen && i + 3 < text.size() && text[i + 3] == kEscapeClose) {
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::string ResultsLineText(const ResultsFileRow& row) {
    std::string line;
    line.reserve(row.groupText.size() + row.path.size() + row.key.size() + row.modified.size() +
                 16);
    line += EscapeField(row.groupText);
    line += kFieldSep;
    line += EscapeField(row.path);
    line += kFieldSep;
    line += EscapeField(row.key);
    line += kFieldSep;
    line += engine::SizeText(row.size);
    line += kFieldSep;
    line += EscapeField(row.modified);
    return line;
}

ResultsFileRow ParseResultsLine(std::string_view line) {
    std::string_view fields[5];
    std::size_t start = 0;
    for (int field = 0; field < 5; ++field) {
        if (start > line.size()) {
            break;
        }
        const std::size_t end = line.find(kFieldSep, start);
        fields[field] =
            line.substr(start, end == std::string_view::npos ? line.size() - start : end - start);
        if (end == std::string_view::npos) {
            start = line.size() + 1;
        } else {
            start = end + 1;
        }
    }
    ResultsFileRow row;
    row.groupText = UnescapeField(fields[0]);
    row.path = UnescapeField(fields[1]);
    row.key = UnescapeField(fields[2]);
    row.size = engine::ParseWholeNumber(fields[3]);
    row.modified = UnescapeField(fields[4]);
    return row;
}

std::string ResultsFileText(const std::vector<ResultsFileRow>& rows) {
    std::string text;
    for (const ResultsFileRow& row : rows) {
        text += ResultsLineText(row);
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> SplitResultsLines(std::string_view text) {
    std::vector<std::string> lines;
    ForEachLine(text, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::vector<ResultsFileRow> ResultsRowsOf(const engine::DuplicateList& list,
                                          const platform::Locale& locale) {
    // The tree keeps the lines of a search's list in list order (roots only group runs of equal
    // keys, and the search makes no empty key or non-numeric group), except that a file stands
    // once in a set: content grouping can list a file under two keys in one group.
    std::vector<ResultsFileRow> rows;
    rows.reserve(list.size());
    std::unordered_set<std::string_view> pathsInSet;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const engine::DuplicateEntry& entry = list[i];
        if (i == 0 || entry.group != list[i - 1].group) {
            pathsInSet.clear();
        }
        if (!pathsInSet.insert(entry.path).second) {
            continue;
        }
        ResultsFileRow row;
        row.groupText = engine::GroupText(entry.group);
        row.path = entry.path;
        row.key = entry.extensionKey;
        row.size = entry.size;
        row.modified = engine::DateText(entry.lastWrite, locale);
        rows.push_back(std::move(row));
    }
    return rows;
}

void WriteResultsFile(const std::string& path, const std::vector<ResultsFileRow>& rows) {
    WriteFileAtomically(path, ResultsFileText(rows));
}

std::vector<ResultsFileRow> ResultsRowsOf(const results::ResultTree& tree) {
    std::vector<ResultsFileRow> rows;
    rows.reserve(tree.FileRowCount());
    for (const results::ResultTree::Node& node : tree.Nodes()) {
        if (node.level == 0) {
            continue;
        }
        const results::TEntry& entry = node.entry;
        rows.push_back({entry.GroupText, entry.FullPath(), entry.Key, entry.Size, entry.Modified});
    }
    return rows;
}

std::vector<ResultsFileRow> ParseResultsFileText(std::string_view text) {
    std::vector<ResultsFileRow> rows;
    ForEachLine(text, [&](std::string_view line) { rows.push_back(ParseResultsLine(line)); });
    return rows;
}

std::vector<ResultsFileRow> ReadResultsFile(const std::string& path) {
    CheckReadableResultsFile(path);
    const std::string text = ReadWholeFile(path);
    if (static_cast<std::int64_t>(text.size()) > kMaxResultsFileBytes) {
        ThrowCannotRead(path, kTooLargeReason);
    }
    return ParseResultsFileText(text);
}

}  // namespace qm::storage
