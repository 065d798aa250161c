#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qm::storage {

// The text of an INI ("profile") file, read and changed by the profile rules:
// - a line "[name]" starts a section; the lines after it belong to it up to the next one;
// - an entry is "key=value": the value is the rest of the line after the first "=", with blanks
//   (spaces, tabs) around it dropped, and so is the key; a line of any length is read whole;
// - section names and keys are matched without regard to ASCII case; the first section of a
//   name and the first key of a name in it count, later ones are kept but never seen;
// - writing a key that exists replaces its value in place, a new key goes at the end of its
//   section, a new section at the end of the text.
// Lines that are neither (comments, blank lines, text before the first section) are kept as they
// are. Lines end at CR LF, a lone LF or a lone CR; a leading UTF-8 byte order mark is dropped.
//
// Text values are escaped on writing and unescaped on reading (ReadString, WriteString), so that
// any bytes survive: control characters (CR, LF among them), "|", "<", bytes that are not UTF-8,
// and a blank at either end of the value, which the trimming would otherwise drop. A value that
// a Windows path or a plain mask is made of is written as it stands. Value() gives the raw text.
class IniProfile {
public:
    IniProfile() = default;

    // Never throws: every text is some profile.
    static IniProfile Parse(std::string_view text);

    // The whole text, every line ended by CR LF.
    std::string Text() const;

    bool SectionExists(std::string_view section) const;
    bool KeyExists(std::string_view section, std::string_view key) const;

    // The value as it stands in the file (blanks around it dropped, nothing unescaped).
    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;

    // The unescaped value, or fallback when the key is missing.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    // Decimal, optionally signed; "0x" or "$" and hexadecimal digits are accepted too. A missing
    // key, any other text, or a number outside the range of int gives fallback.
    int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
    // Read as an integer: any value but 0 is true; what ReadInteger cannot read gives fallback.
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);
    void WriteBool(std::string_view section, std::string_view key, bool value);  // "1" or "0"

    // Removes the section with all its lines (every section of that name).
    void EraseSection(std::string_view section);

    // The indexes of a numbered family (keys prefix + "0", prefix + "1", ...) that exist in
    // section, ascending: every index from 0 to 99 that is present, gaps allowed, and from 100 on
    // each further index for as long as the numbering continues without a gap.
    std::vector<std::size_t> FamilyIndexes(std::string_view section, std::string_view prefix) const;

private:
    struct Line {
        std::string text;                        // as it stands in the file, or as written
        std::size_t equals = std::string::npos;  // where the key ends; npos: not an entry
    };
    struct Section {
        std::string header;       // the "[name]" line
        std::string folded;       // the name, trimmed and folded, for matching
        std::vector<Line> lines;  // up to its last non-blank line
        std::size_t trailingBlankLines = 0;
        // Folded key -> index in lines of its first occurrence.
        std::unordered_map<std::string, std::size_t> keys;
    };

    static constexpr std::size_t kNoSection = static_cast<std::size_t>(-1);
    std::size_t SectionIndex(std::string_view section) const;
    Section* FindSection(std::string_view section);
    const Section* FindSection(std::string_view section) const;
    const Line* FindLine(std::string_view section, std::string_view key) const;
    void WriteRaw(std::string_view section, std::string_view key, const std::string& value);
    void AddLine(Section& target, std::string text);

    std::vector<std::string> m_leadingLines;  // before the first section
    std::vector<Section> m_sections;
};

// The escape of a profile value: see IniProfile. UnescapeIniValue(EscapeIniValue(t)) == t for
// every text t, and the escaped text holds no line end and no blank at either end.
std::string EscapeIniValue(std::string_view text);
std::string UnescapeIniValue(std::string_view text);

}  // namespace qm::storage
