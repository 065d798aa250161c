#pragma once

// Strict readers of the export formats, written for the tests from the formats' own rules (not
// from the writers): RFC 4180 tables and the table text of RTF documents. Each throws
// std::runtime_error where a lenient reader would guess.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qm::storage::testing {

using Table = std::vector<std::vector<std::string>>;

// RFC 4180 with a chosen separator: records end with CR LF (also the last one, when the text
// ends with it); a field is either plain (no separator, quote, CR or LF) or quoted, with "" for a
// quote inside. A quote inside a plain field, text after a closing quote, a lone CR or LF outside
// quotes and an unclosed quote are errors.
inline Table ReadCsv(std::string_view text, char separator = ',') {
    Table records;
    std::vector<std::string> record;
    std::string field;
    std::size_t i = 0;
    const auto fail = [&](const std::string& what) {
        throw std::runtime_error("CSV: " + what + " at byte " + std::to_string(i));
    };
    if (text.empty()) {
        return records;
    }
    while (true) {
        // One field.
        field.clear();
        if (i < text.size() && text[i] == '"') {
            ++i;
            while (true) {
                if (i >= text.size()) {
                    fail("unclosed quote");
                }
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != separator && text[i] != '\r' && text[i] != '\n') {
                if (text[i] == '"') {
                    fail("quote inside a plain field");
                }
                field += text[i++];
            }
        }
        record.push_back(field);
        // What ends it.
        if (i >= text.size()) {
            records.push_back(record);
            return records;
        }
        if (text[i] == separator) {
            ++i;
            continue;
        }
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            i += 2;
            records.push_back(record);
            record.clear();
            if (i == text.size()) {
                return records;
            }
            continue;
        }
        fail(text[i] == '\r' || text[i] == '\n' ? "line break without CR LF"
                                                : "text after a closing quote");
    }
}

inline void AppendUtf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// One token of RTF: "{", "}", a control word with its optional numeric parameter (the blank that
// delimits it is consumed), a control symbol ("\\", "\{", "\'e9", ...) or a run of plain text.
struct RtfToken {
    enum class Kind { GroupOpen, GroupClose, Word, Symbol, Text } kind;
    std::string text;              // the word without "\", the symbol character, or the text
    std::optional<int> parameter;  // a word's number; a \'hh symbol's byte
};

inline std::vector<RtfToken> TokenizeRtf(std::string_view rtf) {
    std::vector<RtfToken> tokens;
    std::size_t i = 0;
    const auto fail = [&](const std::string& what) {
        throw std::runtime_error("RTF: " + what + " at byte " + std::to_string(i));
    };
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto hex = [&](char c) -> int {
        if (isDigit(c))
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        fail("bad hex digit");
        return 0;
    };
    while (i < rtf.size()) {
        const char c = rtf[i];
        if (static_cast<unsigned char>(c) >= 0x80) {
            fail("a byte outside 7-bit ASCII");
        }
        if (c == '{' || c == '}') {
            tokens.push_back({c == '{' ? RtfToken::Kind::GroupOpen : RtfToken::Kind::GroupClose,
                              std::string(1, c), std::nullopt});
            ++i;
        } else if (c == '\\') {
            if (++i >= rtf.size()) {
                fail("a lone backslash at the end");
            }
            if (isLetter(rtf[i])) {
                RtfToken word{RtfToken::Kind::Word, "", std::nullopt};
                while (i < rtf.size() && isLetter(rtf[i])) {
                    word.text += rtf[i++];
                }
                if (i < rtf.size() && (rtf[i] == '-' || isDigit(rtf[i]))) {
                    const std::size_t start = i++;
                    while (i < rtf.size() && isDigit(rtf[i])) {
                        ++i;
                    }
                    word.parameter = std::stoi(std::string(rtf.substr(start, i - start)));
                }
                if (i < rtf.size() && rtf[i] == ' ') {
                    ++i;  // the delimiter belongs to the word
                }
                tokens.push_back(word);
            } else if (rtf[i] == '\'') {
                if (i + 2 >= rtf.size()) {
                    fail("a cut \\' escape");
                }
                const int byte = hex(rtf[i + 1]) * 16 + hex(rtf[i + 2]);
                tokens.push_back({RtfToken::Kind::Symbol, "'", byte});
                i += 3;
            } else {
                tokens.push_back({RtfToken::Kind::Symbol, std::string(1, rtf[i]), std::nullopt});
                ++i;
            }
        } else if (c == '\r' || c == '\n') {
            ++i;  // line ends in RTF source are not text
        } else {
            if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
                fail("a raw control character");
            }
            if (!tokens.empty() && tokens.back().kind == RtfToken::Kind::Text) {
                tokens.back().text += c;
            } else {
                tokens.push_back({RtfToken::Kind::Text, std::string(1, c), std::nullopt});
            }
            ++i;
        }
    }
    return tokens;
}

// The table of an RTF document as a word processor shows it: the text of each \cell (UTF-8), a
// row at each \row; text outside cells is dropped. Header groups (font and colour tables, info,
// "\*" destinations) are skipped; \uN takes N as a UTF-16 unit (negative for units above 32767),
// pairs surrogates, and skips the \ucN fallback characters after it; \'hh is Windows-1252 for
// bytes that code page shares with Latin-1. The document must be one group that starts with
// \rtf1 and nothing may follow it; braces must balance and surrogates pair.
inline Table ReadRtfTable(std::string_view rtf) {
    const std::vector<RtfToken> tokens = TokenizeRtf(rtf);
    const auto fail = [](const std::string& what) { throw std::runtime_error("RTF: " + what); };
    if (tokens.size() < 2 || tokens[0].kind != RtfToken::Kind::GroupOpen ||
        tokens[1].kind != RtfToken::Kind::Word || tokens[1].text != "rtf" ||
        tokens[1].parameter != 1) {
        fail("does not start with {\\rtf1");
    }
    struct State {
        int fallback = 1;  // \ucN
        bool skipped = false;
    };
    std::vector<State> stack;
    Table table;
    std::vector<std::string> row;
    std::string cell;
    int skipFallback = 0;
    std::optional<std::uint32_t> highSurrogate;
    bool ended = false;

    const auto appendUnit = [&](std::uint32_t unit) {
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (highSurrogate)
                fail("two high surrogates");
            highSurrogate = unit;
            return;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            if (!highSurrogate)
                fail("a low surrogate alone");
            AppendUtf8(cell, 0x10000 + ((*highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
            highSurrogate.reset();
            return;
        }
        if (highSurrogate)
            fail("a high surrogate alone");
        AppendUtf8(cell, unit);
    };

    for (std::size_t t = 0; t < tokens.size(); ++t) {
        const RtfToken& token = tokens[t];
        if (ended) {
            fail("text after the document's closing brace");
        }
        if (token.kind == RtfToken::Kind::GroupOpen) {
            State inner = stack.empty() ? State{} : stack.back();
            // A destination that holds no body text.
            if (t + 1 < tokens.size()) {
                const RtfToken& next = tokens[t + 1];
                if ((next.kind == RtfToken::Kind::Symbol && next.text == "*") ||
                    (next.kind == RtfToken::Kind::Word &&
                     (next.text == "fonttbl" || next.text == "colortbl" || next.text == "info" ||
                      next.text == "stylesheet"))) {
                    inner.skipped = true;
                }
            }
            stack.push_back(inner);
            skipFallback = 0;
            continue;
        }
        if (token.kind == RtfToken::Kind::GroupClose) {
            if (stack.empty())
                fail("a closing brace too many");
            stack.pop_back();
            ended = stack.empty();
            skipFallback = 0;
            continue;
        }
        if (stack.empty()) {
            fail("text outside the document group");
        }
        State& state = stack.back();
        if (state.skipped) {
            continue;
        }
        switch (token.kind) {
            case RtfToken::Kind::Word:
                if (token.text == "uc") {
                    state.fallback = token.parameter.value_or(1);
                } else if (token.text == "u") {
                    if (!token.parameter)
                        fail("\\u without a number");
                    appendUnit(static_cast<std::uint16_t>(*token.parameter));
                    skipFallback = state.fallback;
                    continue;
                } else if (token.text == "cell") {
                    if (highSurrogate)
                        fail("a high surrogate alone");
                    row.push_back(cell);
                    cell.clear();
                } else if (token.text == "row") {
                    table.push_back(row);
                    row.clear();
                } else if (token.text == "tab") {
                    cell += '\t';
                } else if (token.text == "line") {
                    cell += '\n';
                }
                skipFallback = 0;
                break;
            case RtfToken::Kind::Symbol:
                if (skipFallback > 0) {
                    --skipFallback;  // a fallback character of the last \u
                    break;
                }
                if (token.text == "'") {
                    const int byte = *token.parameter;
                    if (byte >= 0x80 && byte < 0xA0)
                        fail("a Windows-1252 byte this reader lacks");
                    AppendUtf8(cell, static_cast<std::uint32_t>(byte));
                } else if (token.text == "\\" || token.text == "{" || token.text == "}") {
                    cell += token.text;
                } else if (token.text == "~") {
                    AppendUtf8(cell, 0xA0);
                }
                break;
            case RtfToken::Kind::Text: {
                std::size_t from = 0;
                while (skipFallback > 0 && from < token.text.size()) {
                    ++from;
                    --skipFallback;
                }
                if (from < token.text.size() && highSurrogate)
                    fail("a high surrogate alone");
                cell += token.text.substr(from);
                break;
            }
            default:
                break;
        }
    }
    if (!ended) {
        fail("unbalanced braces");
    }
    return table;
}

}  // namespace qm::storage::testing
