#include "foundation/Globals.h"

#include <array>
#include <charconv>
#include <cstddef>

#include "foundation/Version.h"
#include "platform/Locale.h"

namespace qm::foundation {

std::string AddTrailingBackslash(std::string_view path, char delim) {
    std::string result(path);
    if (!result.empty() && result.back() != delim) {
        result.push_back(delim);
    }
    return result;
}

std::string RemoveTrailingBackslash(std::string_view path, char delim) {
    // A root keeps its separator: "C:\" and "\\" (three characters or fewer) in the Windows form,
    // "/" in the POSIX form, where "/a/" is an ordinary folder path.
    // A share root "\\server\share\" is a root as much as "C:\" is.
    const std::size_t keepUpTo = delim == '\\' ? 3 : 1;
    const bool shareRoot =
        delim == '\\' && platform::IsRootPath(path, platform::PathStyle::Windows);
    if (path.size() > keepUpTo && path.back() == delim && !shareRoot) {
        path.remove_suffix(1);
    }
    return std::string(path);
}

std::string ExtractField(std::string_view text, std::string_view separator, std::uint8_t fieldNo) {
    // The remaining text; each step drops the field and the first character of its separator.
    std::string_view rest = text;
    std::string_view current;
    int counter = 1;
    bool found = !rest.empty();
    while (counter <= fieldNo && found) {
        const std::size_t p = separator.empty() ? std::string_view::npos : rest.find(separator);
        if (p != std::string_view::npos) {
            current = rest.substr(0, p);
            rest.remove_prefix(p + 1);
            ++counter;
        } else {
            current = rest;
            found = false;
        }
    }
    return counter >= fieldNo ? std::string(current) : std::string();
}

std::uint8_t CountFields(std::string_view text, std::string_view separator) {
    if (text.empty()) {
        return 0;
    }
    if (separator.empty()) {
        return 1;
    }
    // Each occurrence found is spoiled by overwriting its first character, so the next search
    // finds the next one (overlapping occurrences count too). The replacement must differ from
    // the separator's first character, or the same occurrence would be found for ever.
    const char spoiler = separator.front() == '#' ? '*' : '#';
    std::string copy(text);
    unsigned count = 0;
    std::size_t from = 0;
    while (true) {
        ++count;
        if (count >= 255) {
            return 255;
        }
        const std::size_t p = copy.find(separator, from);
        if (p == std::string::npos) {
            break;
        }
        copy[p] = spoiler;
        // No occurrence started before p, and the one changed character can only create or
        // destroy occurrences that overlap it.
        from = p + 1 >= separator.size() ? p + 1 - separator.size() : 0;
    }
    return static_cast<std::uint8_t>(count);
}

namespace {

// One character of a text: a code point, or an invalid byte standing for itself. Invalid bytes
// are mapped above the Unicode range so that they never equal a real code point.
constexpr char32_t kInvalidByteBase = 0x110000;

// Decodes the character at pos (pos < text.size()) and advances pos past it. Only well-formed
// UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) makes a multi-byte character;
// any other byte is one character by itself.
char32_t NextChar(std::string_view text, std::size_t& pos) {
    const auto b0 = static_cast<unsigned char>(text[pos]);
    if (b0 < 0x80) {
        ++pos;
        return b0;
    }
    const std::size_t left = text.size() - pos;
    auto cont = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    auto isCont = [&](std::size_t i) { return (cont(i) & 0xC0) == 0x80; };
    if (b0 >= 0xC2 && b0 <= 0xDF && left >= 2 && isCont(1)) {
        const char32_t cp = ((b0 & 0x1Fu) << 6) | (cont(1) & 0x3Fu);
        pos += 2;
        return cp;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF && left >= 3 && isCont(1) && isCont(2)) {
        const char32_t cp = ((b0 & 0x0Fu) << 12) | ((cont(1) & 0x3Fu) << 6) | (cont(2) & 0x3Fu);
        if (cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF)) {
            pos += 3;
            return cp;
        }
    }
    if (b0 >= 0xF0 && b0 <= 0xF4 && left >= 4 && isCont(1) && isCont(2) && isCont(3)) {
        const char32_t cp = ((b0 & 0x07u) << 18) | ((cont(1) & 0x3Fu) << 12) |
                            ((cont(2) & 0x3Fu) << 6) | (cont(3) & 0x3Fu);
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            pos += 4;
            return cp;
        }
    }
    ++pos;
    return kInvalidByteBase + b0;
}

char32_t UpperChar(char32_t c) {
    if (c < 0x80) {
        return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
    }
    if (c >= kInvalidByteBase) {
        return c;
    }
    return platform::UpperCaseChar(c);
}

bool IsAscii(std::string_view text) {
    unsigned char any = 0;
    for (const char c : text) {
        any |= static_cast<unsigned char>(c);
    }
    return any < 0x80;
}

constexpr std::array<unsigned char, 256> MakeAsciiUpper() {
    std::array<unsigned char, 256> table{};
    for (int i = 0; i < 256; ++i) {
        table[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - ('a' - 'A') : i);
    }
    return table;
}
constexpr std::array<unsigned char, 256> kAsciiUpper = MakeAsciiUpper();

// Greedy star matching with one backtrack point: on a mismatch the last "*" takes one more
// character and matching resumes behind it. Earlier stars never need to be revisited, so the
// cost is at most text length times mask length, without recursion or allocation.
bool MatchAscii(std::string_view text, std::string_view mask) {
    std::size_t t = 0;
    std::size_t m = 0;
    std::size_t starMask = std::string_view::npos;  // mask position just behind the last "*"
    std::size_t starText = 0;                       // text position that "*" resumes from
    while (t < text.size()) {
        if (m < mask.size()) {
            const char mc = mask[m];
            if (mc == '*') {
                starMask = ++m;
                starText = t;
                continue;
            }
            if (mc == '?' || kAsciiUpper[static_cast<unsigned char>(mc)] ==
                                 kAsciiUpper[static_cast<unsigned char>(text[t])]) {
                ++m;
                ++t;
                continue;
            }
        }
        if (starMask == std::string_view::npos) {
            return false;
        }
        m = starMask;
        t = ++starText;
    }
    while (m < mask.size() && mask[m] == '*') {
        ++m;
    }
    return m == mask.size();
}

// The same algorithm over characters (code points or single invalid bytes).
bool MatchUnicode(std::string_view text, std::string_view mask) {
    std::size_t t = 0;
    std::size_t m = 0;
    std::size_t starMask = std::string_view::npos;
    std::size_t starText = 0;
    while (t < text.size()) {
        if (m < mask.size()) {
            std::size_t nextM = m;
            const char32_t mc = NextChar(mask, nextM);
            if (mc == '*') {
                m = nextM;
                starMask = m;
                starText = t;
                continue;
            }
            std::size_t nextT = t;
            const char32_t tc = NextChar(text, nextT);
            if (mc == '?' || UpperChar(mc) == UpperChar(tc)) {
                m = nextM;
                t = nextT;
                continue;
            }
        }
        if (starMask == std::string_view::npos) {
            return false;
        }
        m = starMask;
        NextChar(text, starText);
        t = starText;
    }
    while (m < mask.size() && mask[m] == '*') {
        ++m;
    }
    return m == mask.size();
}

}  // namespace

bool MatchWildcard(std::string_view text, std::string_view mask) {
    // "name." asks for names without an extension: the dot is not a character to match but a
    // demand that the text holds no "." at all ("*." is every name without an extension).
    if (!mask.empty() && mask.back() == '.') {
        if (text.find('.') != std::string_view::npos) {
            return false;
        }
        mask.remove_suffix(1);
    }
    if (IsAscii(text) && IsAscii(mask)) {
        return MatchAscii(text, mask);
    }
    return MatchUnicode(text, mask);
}

std::string GetFileVersionText() {
    // Always four numbers, also when the project version names fewer parts.
    constexpr std::string_view kCompiled = QM_VERSION_TEXT;
    std::string result;
    std::size_t pos = 0;
    for (int part = 0; part < 4; ++part) {
        unsigned long number = 0;
        if (pos <= kCompiled.size()) {
            const char* first = kCompiled.data() + pos;
            const char* last = kCompiled.data() + kCompiled.size();
            const auto parsed = std::from_chars(first, last, number);
            pos = static_cast<std::size_t>(parsed.ptr - kCompiled.data()) + 1;
        }
        if (part > 0) {
            result.push_back('.');
        }
        result += std::to_string(number);
    }
    return result;
}

void DropLeadingFolder(std::string& folder, char delim) {
    if (folder.size() == 1 && folder[0] == delim) {
        folder.clear();
        return;
    }
    const bool rooted = !folder.empty() && folder[0] == delim;
    if (rooted) {
        folder.erase(0, 1);
    }
    // The "...\" that an earlier call put in front.
    if (!folder.empty() && folder[0] == '.') {
        folder.erase(0, 4);
    }
    const std::size_t p = folder.find(delim);
    if (p != std::string::npos) {
        folder.erase(0, p + 1);
        folder.insert(0, 1, delim);
        folder.insert(0, "...");
    } else {
        folder.clear();
    }
    if (rooted) {
        folder.insert(0, 1, delim);
    }
}

std::string ShortenPathToWidth(std::string_view path, const TextMeasurer& measurer, int maxWidth,
                               char delim) {
    std::string result(path);
    const std::size_t split = path.rfind(delim);
    const std::size_t nameStart = split == std::string_view::npos ? 0 : split + 1;
    std::string folder(path.substr(0, nameStart));
    const std::string_view name = path.substr(nameStart);
    std::string drive;
    if (delim == '\\' && folder.size() >= 2 && folder[1] == ':') {
        drive = folder.substr(0, 2);
        folder.erase(0, 2);
    }
    const std::string elided = std::string(1, delim) + "..." + delim;
    while ((!drive.empty() || !folder.empty()) && measurer.TextWidth(result) > maxWidth) {
        if (folder == elided) {
            drive.clear();
            folder = elided.substr(1);
        } else if (folder.empty()) {
            drive.clear();
        } else {
            DropLeadingFolder(folder, delim);
        }
        result = drive;
        result += folder;
        result += name;
    }
    return result;
}

}  // namespace qm::foundation
