#include "storage/ResultsFile.h"

#include "storage/FileIo.h"

#include <unordered_set>

#include "foundation/Globals.h"

namespace qm::storage {

namespace {

constexpr char kFieldSep = '|';
constexpr char kEscapeOpen = '<';
constexpr char kEscapeClose = '>';
constexpr const char* kHexDigits = "0123456789ABCDEF";

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence starting at text[i], or 0 when the bytes there are not one
// (overlong forms, surrogates and code points above U+10FFFF are invalid).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = at(i);
    const std::size_t left = text.size() - i;
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return left >= 2 && IsContinuation(at(i + 1)) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3) {
            return 0;
        }
        const unsigned char second = at(i + 1);
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        if (second < low || second > high || !IsContinuation(at(i + 2))) {
            return 0;
        }
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4) {
            return 0;
        }
        const unsigned char second = at(i + 1);
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        if (second < low || second > high || !IsContinuation(at(i + 2)) ||
            !IsContinuation(at(i + 3))) {
            return 0;
        }
        return 4;
    }
    return 0;
}

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
        const std::size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            AppendEscaped(out, byte);
            ++i;
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
    }
    return out;
}

std::string UnescapeField(std::string_view text) {
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
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) {
        lines.emplace_back(text.substr(start));
    }
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

std::vector<ResultsFileRow> ReadResultsFile(const std::string& path) {
    std::vector<ResultsFileRow> rows;
    for (const std::string& line : SplitResultsLines(ReadWholeFile(path))) {
        rows.push_back(ParseResultsLine(line));
    }
    return rows;
}

}  // namespace qm::storage
