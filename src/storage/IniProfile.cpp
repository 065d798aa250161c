#include "storage/IniProfile.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "storage/ResultsFile.h"

namespace qm::storage {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kEscapedBlank = "<20>";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<int> ParseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    constexpr std::int64_t kLimit = std::int64_t{INT_MAX} + 1;  // the magnitude of INT_MIN
    std::int64_t magnitude = 0;
    for (const char c : text) {
        const int digit = base == 16 ? HexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0) {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > kLimit) {
            return std::nullopt;
        }
    }
    if (!negative && magnitude == kLimit) {
        return std::nullopt;
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace

std::string EscapeIniValue(std::string_view text) {
    std::string escaped = EscapeField(text);
    // Tabs and other control characters are escaped already; only a space can stand at an end.
    if (!escaped.empty() && escaped.front() == ' ') {
        escaped.replace(0, 1, kEscapedBlank);
    }
    if (!escaped.empty() && escaped.back() == ' ') {
        escaped.replace(escaped.size() - 1, 1, kEscapedBlank);
    }
    return escaped;
}

std::string UnescapeIniValue(std::string_view text) {
    return UnescapeField(text);
}

IniProfile IniProfile::Parse(std::string_view text) {
    // Every mark, so that the text written back never starts with one.
    while (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    IniProfile profile;
    const auto finishSection = [&profile] {
        if (profile.m_sections.empty()) {
            return;
        }
        Section& last = profile.m_sections.back();
        while (!last.lines.empty() && Trim(last.lines.back().text).empty()) {
            last.lines.pop_back();
            ++last.trailingBlankLines;
        }
    };
    for (std::string& line : SplitResultsLines(text)) {
        const std::string_view trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            finishSection();
            std::string_view name = trimmed.substr(1);
            name = name.substr(0, name.find(']'));
            Section section;
            section.folded = Folded(Trim(name));
            section.header = std::move(line);
            profile.m_sections.push_back(std::move(section));
            continue;
        }
        if (profile.m_sections.empty()) {
            profile.m_leadingLines.push_back(std::move(line));
            continue;
        }
        profile.AddLine(profile.m_sections.back(), std::move(line));
    }
    finishSection();
    return profile;
}

void IniProfile::AddLine(Section& target, std::string text) {
    Line line;
    const std::string_view trimmed = Trim(text);
    // A comment line may hold "=" too; it never names a key.
    if (!trimmed.empty() && trimmed.front() != ';') {
        line.equals = text.find('=');
    }
    if (line.equals != std::string::npos) {
        target.keys.emplace(Folded(Trim(std::string_view(text).substr(0, line.equals))),
                            target.lines.size());
    }
    line.text = std::move(text);
    target.lines.push_back(std::move(line));
}

std::string IniProfile::Text() const {
    std::string text;
    const auto addLine = [&text](std::string_view line) {
        text += line;
        text += "\r\n";
    };
    for (const std::string& line : m_leadingLines) {
        addLine(line);
    }
    for (const Section& section : m_sections) {
        addLine(section.header);
        for (const Line& line : section.lines) {
            addLine(line.text);
        }
        for (std::size_t i = 0; i < section.trailingBlankLines; ++i) {
            addLine({});
        }
    }
    return text;
}

std::size_t IniProfile::SectionIndex(std::string_view section) const {
    const std::string folded = Folded(Trim(section));
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        if (m_sections[i].folded == folded) {
            return i;
        }
    }
    return kNoSection;
}

IniProfile::Section* IniProfile::FindSection(std::string_view section) {
    const std::size_t index = SectionIndex(section);
    return index == kNoSection ? nullptr : &m_sections[index];
}

const IniProfile::Section* IniProfile::FindSection(std::string_view section) const {
    const std::size_t index = SectionIndex(section);
    return index == kNoSection ? nullptr : &m_sections[index];
}

const IniProfile::Line* IniProfile::FindLine(std::string_view section, std::string_view key) const {
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return nullptr;
    }
    const auto entry = found->keys.find(Folded(Trim(key)));
    return entry == found->keys.end() ? nullptr : &found->lines[entry->second];
}

bool IniProfile::SectionExists(std::string_view section) const {
    return FindSection(section) != nullptr;
}

bool IniProfile::KeyExists(std::string_view section, std::string_view key) const {
    return FindLine(section, key) != nullptr;
}

std::optional<std::string_view> IniProfile::Value(std::string_view section,
                                                  std::string_view key) const {
    const Line* line = FindLine(section, key);
    if (line == nullptr) {
        return std::nullopt;
    }
    return Trim(std::string_view(line->text).substr(line->equals + 1));
}

std::string IniProfile::ReadString(std::string_view section, std::string_view key,
                                   std::string_view fallback) const {
    const std::optional<std::string_view> value = Value(section, key);
    return value ? UnescapeIniValue(*value) : std::string(fallback);
}

int IniProfile::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
    const std::optional<std::string_view> value = Value(section, key);
    if (!value) {
        return fallback;
    }
    return ParseInteger(*value).value_or(fallback);
}

bool IniProfile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
    const std::optional<std::string_view> value = Value(section, key);
    if (!value) {
        return fallback;
    }
    const std::optional<int> number = ParseInteger(*value);
    return number ? *number != 0 : fallback;
}

void IniProfile::WriteRaw(std::string_view section, std::string_view key,
                          const std::string& value) {
    Section* target = FindSection(section);
    if (target == nullptr) {
        // A blank line before a new section, for whoever reads the file.
        if (!m_sections.empty() && m_sections.back().trailingBlankLines == 0) {
            m_sections.back().trailingBlankLines = 1;
        } else if (m_sections.empty() && !m_leadingLines.empty() &&
                   !Trim(m_leadingLines.back()).empty()) {
            m_leadingLines.emplace_back();
        }
        Section added;
        added.header = "[" + std::string(Trim(section)) + "]";
        added.folded = Folded(Trim(section));
        m_sections.push_back(std::move(added));
        target = &m_sections.back();
    }
    const std::string_view trimmedKey = Trim(key);
    const auto entry = target->keys.find(Folded(trimmedKey));
    if (entry != target->keys.end()) {
        Line& line = target->lines[entry->second];
        std::string keyText(Trim(std::string_view(line.text).substr(0, line.equals)));
        line.equals = keyText.size();
        line.text = std::move(keyText) + "=" + value;
        return;
    }
    AddLine(*target, std::string(trimmedKey) + "=" + value);
}

void IniProfile::WriteString(std::string_view section, std::string_view key,
                             std::string_view value) {
    WriteRaw(section, key, EscapeIniValue(value));
}

void IniProfile::WriteInteger(std::string_view section, std::string_view key, int value) {
    WriteRaw(section, key, std::to_string(value));
}

void IniProfile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteRaw(section, key, value ? "1" : "0");
}

void IniProfile::EraseSection(std::string_view section) {
    const std::string folded = Folded(Trim(section));
    std::erase_if(m_sections, [&](const Section& s) { return s.folded == folded; });
}

std::vector<std::size_t> IniProfile::FamilyIndexes(std::string_view section,
                                                   std::string_view prefix) const {
    std::vector<std::size_t> indexes;
    const Section* found = FindSection(section);
    if (found == nullptr) {
        return indexes;
    }
    const std::string foldedPrefix = Folded(prefix);
    const auto present = [&](std::size_t index) {
        return found->keys.contains(foldedPrefix + std::to_string(index));
    };
    // Older readers probed exactly 0 to 99, gaps and all; the writer numbers without gaps, so
    // going on while the numbering continues brings back everything it wrote.
    constexpr std::size_t kProbed = 100;
    for (std::size_t i = 0; i < kProbed; ++i) {
        if (present(i)) {
            indexes.push_back(i);
        }
    }
    for (std::size_t i = kProbed; present(i); ++i) {
        indexes.push_back(i);
    }
    return indexes;
}

}  // namespace qm::storage
