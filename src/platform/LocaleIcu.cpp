#include <unicode/ucasemap.h>
#include <unicode/uchar.h>
#include <unicode/ucol.h>
#include <unicode/udat.h>
#include <unicode/unum.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/Locale.h"
#include "platform/Utf8Decode.h"

namespace qm::platform {

namespace {

constexpr UChar32 kInvalidByteBase = static_cast<UChar32>(utf8::kInvalidByteBase);

// The shared decoder, with ICU's code-point type.
std::size_t DecodeUtf8(std::string_view text, std::size_t i, UChar32& cp) {
    char32_t c = 0;
    const std::size_t length = utf8::DecodeUtf8(text, i, c);
    cp = static_cast<UChar32>(c);
    return length;
}

bool IsWellFormedUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        UChar32 cp;
        const std::size_t length = DecodeUtf8(text, i, cp);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

// UTF-8 to UTF-16 with every ill-formed byte mapped to kInvalidByteBase + byte.
void ToUtf16(std::string_view text, std::vector<UChar>& out) {
    out.clear();
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        UChar32 cp;
        std::size_t length = DecodeUtf8(text, i, cp);
        if (length == 0) {
            cp = kInvalidByteBase + static_cast<unsigned char>(text[i]);
            length = 1;
        }
        if (cp <= 0xFFFF) {
            out.push_back(static_cast<UChar>(cp));
        } else {
            out.push_back(static_cast<UChar>(U16_LEAD(cp)));
            out.push_back(static_cast<UChar>(U16_TRAIL(cp)));
        }
        i += length;
    }
}

std::string ToUtf8(const UChar* text, int32_t length) {
    std::string result;
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strToUTF8(nullptr, 0, &needed, text, length, &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) {
        return result;
    }
    result.resize(static_cast<std::size_t>(needed));
    status = U_ZERO_ERROR;
    u_strToUTF8(result.data(), needed, &needed, text, length, &status);
    if (U_FAILURE(status)) {
        result.clear();
    }
    return result;
}

// "de_DE.UTF-8" -> "de_DE", "de_DE@euro" -> "de_DE"; "", "C" and "POSIX" (with any encoding)
// -> "" (meaning: the United States conventions).
std::string IcuName(std::string_view posixName) {
    const std::size_t cut = posixName.find_first_of(".@");
    std::string name(posixName.substr(0, cut));
    if (name == "C" || name == "POSIX") {
        name.clear();
    }
    return name;
}

std::string Environment(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr ? std::string(value) : std::string();
}

// The locale the system names for one category: LC_ALL, then the category, then LANG.
std::string SystemLocaleName(const char* category) {
    for (const char* variable : {"LC_ALL", category, "LANG"}) {
        std::string value = Environment(variable);
        if (!value.empty()) {
            return value;
        }
    }
    return {};
}

// The separator between the first two fields of pattern that use one of fieldLetters; literal
// text in quotes counts as separator text. Spaces are taken only when nothing else separates.
std::string SeparatorInPattern(const std::string& pattern, std::string_view firstLetters,
                               std::string_view nextLetters, const std::string& fallback) {
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    std::size_t i = 0;
    bool inQuote = false;
    // Find the first field.
    for (; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\'') {
            inQuote = !inQuote;
        } else if (!inQuote && firstLetters.find(c) != std::string_view::npos) {
            break;
        }
    }
    if (i == pattern.size()) {
        return fallback;
    }
    const char field = pattern[i];
    while (i < pattern.size() && pattern[i] == field) {
        ++i;
    }
    // Collect what stands between it and the next field.
    std::string between;
    inQuote = false;
    for (; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\'') {
            inQuote = !inQuote;
            continue;
        }
        if (!inQuote && isLetter(c)) {
            if (nextLetters.find(c) != std::string_view::npos) {
                break;
            }
            return fallback;  // another kind of field (an era, a day name) in between
        }
        between += c;
    }
    if (i == pattern.size()) {
        return fallback;
    }
    std::string trimmed;
    for (std::size_t k = 0; k < between.size(); ++k) {
        const unsigned char c = static_cast<unsigned char>(between[k]);
        if (c == ' ') {
            continue;
        }
        // A multi-byte character is kept whole.
        std::size_t length = 1;
        UChar32 cp;
        if (c >= 0x80) {
            length = DecodeUtf8(between, k, cp);
            if (length == 0) {
                length = 1;
            }
        }
        trimmed = between.substr(k, length);
        break;
    }
    if (!trimmed.empty()) {
        return trimmed;
    }
    return between.empty() ? fallback : std::string(1, between.front());
}

std::string DatePattern(const std::string& locale, UDateFormatStyle timeStyle,
                        UDateFormatStyle dateStyle) {
    UErrorCode status = U_ZERO_ERROR;
    UDateFormat* format =
        udat_open(timeStyle, dateStyle, locale.c_str(), nullptr, 0, nullptr, 0, &status);
    if (U_FAILURE(status) || format == nullptr) {
        return {};
    }
    UChar buffer[256];
    status = U_ZERO_ERROR;
    const int32_t length = udat_toPattern(format, false, buffer, 256, &status);
    udat_close(format);
    if (U_FAILURE(status)) {
        return {};
    }
    return ToUtf8(buffer, length);
}

std::string GroupingSeparator(const std::string& locale) {
    UErrorCode status = U_ZERO_ERROR;
    UNumberFormat* format = unum_open(UNUM_DECIMAL, nullptr, 0, locale.c_str(), nullptr, &status);
    if (U_FAILURE(status) || format == nullptr) {
        return ",";
    }
    UChar buffer[16];
    status = U_ZERO_ERROR;
    const int32_t length =
        unum_getSymbol(format, UNUM_GROUPING_SEPARATOR_SYMBOL, buffer, 16, &status);
    unum_close(format);
    if (U_FAILURE(status) || length <= 0) {
        return ",";
    }
    return ToUtf8(buffer, length);
}

constexpr const char* kUnitedStates = "en_US";

class IcuLocale final : public Locale {
public:
    // Each name is an ICU locale name, or empty for the United States conventions.
    IcuLocale(const std::string& collateName, const std::string& numericName,
              const std::string& timeName)
        : m_name(collateName.empty() ? kUnitedStates : collateName),
          m_numericName(numericName),
          m_timeName(timeName) {}

    ~IcuLocale() override {
        if (m_collator != nullptr) {
            ucol_close(m_collator);
        }
        if (m_caseMap != nullptr) {
            ucasemap_close(m_caseMap);
        }
    }

    IcuLocale(const IcuLocale&) = delete;
    IcuLocale& operator=(const IcuLocale&) = delete;

    int Compare(std::string_view a, std::string_view b) const override {
        if (Collator() == nullptr) {
            return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
        }
        UCollationResult result;
        UErrorCode status = U_ZERO_ERROR;
        if (IsWellFormedUtf8(a) && IsWellFormedUtf8(b)) {
            result = ucol_strcollUTF8(m_collator, a.data(), static_cast<int32_t>(a.size()),
                                      b.data(), static_cast<int32_t>(b.size()), &status);
        } else {
            ToUtf16(a, m_bufferA);
            ToUtf16(b, m_bufferB);
            result =
                ucol_strcoll(m_collator, m_bufferA.data(), static_cast<int32_t>(m_bufferA.size()),
                             m_bufferB.data(), static_cast<int32_t>(m_bufferB.size()));
        }
        if (U_FAILURE(status)) {
            return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
        }
        return result == UCOL_LESS ? -1 : (result == UCOL_EQUAL ? 0 : 1);
    }

    std::string SortKey(std::string_view text) const override {
        std::string key;
        if (Collator() == nullptr) {
            key.assign(text);
            return key;
        }
        ToUtf16(text, m_bufferA);
        const auto length = static_cast<int32_t>(m_bufferA.size());
        // Made in a reused buffer and copied out at its exact length: keys are kept by the
        // hundred thousand (one per folder and file sorted), and a key sized by a guess would
        // carry up to twice its length in unused capacity.
        if (m_keyBuffer.size() < text.size() * 2 + 16) {
            m_keyBuffer.resize(text.size() * 2 + 16);
        }
        for (;;) {
            const int32_t needed =
                ucol_getSortKey(m_collator, m_bufferA.data(), length, m_keyBuffer.data(),
                                static_cast<int32_t>(m_keyBuffer.size()));
            if (needed <= 0) {
                return key;
            }
            if (static_cast<std::size_t>(needed) <= m_keyBuffer.size()) {
                // The key ends in one 0 byte and holds no other: dropping it keeps memcmp order
                // (a key that is a prefix of another still sorts first).
                key.assign(reinterpret_cast<const char*>(m_keyBuffer.data()),
                           static_cast<std::size_t>(needed) - 1);
                return key;
            }
            m_keyBuffer.resize(static_cast<std::size_t>(needed));
        }
    }

    std::string ToUpper(std::string_view text) const override {
        // Well-formed runs are upper-cased; ill-formed bytes are copied unchanged so that no
        // byte of a file name is lost.
        std::string result;
        result.reserve(text.size());
        std::size_t i = 0;
        while (i < text.size()) {
            std::size_t end = i;
            UChar32 cp;
            while (end < text.size()) {
                const std::size_t length = DecodeUtf8(text, end, cp);
                if (length == 0) {
                    break;
                }
                end += length;
            }
            if (end > i) {
                UpperRun(text.substr(i, end - i), result);
                i = end;
            }
            if (i < text.size()) {
                result += text[i];  // an ill-formed byte
                ++i;
            }
        }
        return result;
    }

    std::string ThousandsSeparator() const override {
        std::call_once(m_thousandsOnce, [this] {
            m_thousands = m_numericName.empty() ? "," : GroupingSeparator(m_numericName);
        });
        return m_thousands;
    }
    std::string DateSeparator() const override {
        LoadTimeSeparators();
        return m_dateSeparator;
    }
    std::string TimeSeparator() const override {
        LoadTimeSeparators();
        return m_timeSeparator;
    }
    std::string Name() const override { return m_name; }

private:
    // The ICU services are opened when first needed: each maps in and touches a good part of
    // ICU's data (a collator alone about 2 MiB), which a run that never sorts or upper-cases
    // should not pay for. call_once: a locale may be shared by threads that only read it.
    UCollator* Collator() const {
        std::call_once(m_collatorOnce, [this] {
            UErrorCode status = U_ZERO_ERROR;
            m_collator = ucol_open(m_name.c_str(), &status);
            if (U_FAILURE(status) || m_collator == nullptr) {
                status = U_ZERO_ERROR;
                m_collator = ucol_open(kUnitedStates, &status);
            }
            if (m_collator != nullptr) {
                // Secondary: letter case is ignored, accents count.
                ucol_setStrength(m_collator, UCOL_SECONDARY);
            }
        });
        return m_collator;
    }

    UCaseMap* CaseMap() const {
        std::call_once(m_caseMapOnce, [this] {
            UErrorCode status = U_ZERO_ERROR;
            m_caseMap = ucasemap_open(m_name.c_str(), 0, &status);
            if (U_FAILURE(status)) {
                m_caseMap = nullptr;
            }
        });
        return m_caseMap;
    }

    void LoadTimeSeparators() const {
        std::call_once(m_timeOnce, [this] {
            std::string date = "/";
            std::string time = ":";
            if (!m_timeName.empty()) {
                date = SeparatorInPattern(DatePattern(m_timeName, UDAT_NONE, UDAT_SHORT), "yMdL",
                                          "yMdL", "/");
                time = SeparatorInPattern(DatePattern(m_timeName, UDAT_SHORT, UDAT_NONE), "HhkK",
                                          "m", ":");
            }
            m_dateSeparator = std::move(date);
            m_timeSeparator = std::move(time);
        });
    }

    void UpperRun(std::string_view run, std::string& out) const {
        UCaseMap* caseMap = CaseMap();
        if (caseMap == nullptr) {
            out.append(run);
            return;
        }
        const std::size_t start = out.size();
        std::size_t capacity = run.size() + run.size() / 2 + 8;
        for (;;) {
            out.resize(start + capacity);
            UErrorCode status = U_ZERO_ERROR;
            const int32_t length =
                ucasemap_utf8ToUpper(caseMap, out.data() + start, static_cast<int32_t>(capacity),
                                     run.data(), static_cast<int32_t>(run.size()), &status);
            if (status == U_BUFFER_OVERFLOW_ERROR) {
                capacity = static_cast<std::size_t>(length);
                continue;
            }
            if (U_FAILURE(status)) {
                out.resize(start);
                out.append(run);
                return;
            }
            out.resize(start + static_cast<std::size_t>(length));
            return;
        }
    }

    std::string m_name;
    std::string m_numericName;
    std::string m_timeName;
    mutable std::once_flag m_collatorOnce;
    mutable UCollator* m_collator = nullptr;
    mutable std::once_flag m_caseMapOnce;
    mutable UCaseMap* m_caseMap = nullptr;
    mutable std::once_flag m_thousandsOnce;
    mutable std::string m_thousands;
    mutable std::once_flag m_timeOnce;
    mutable std::string m_dateSeparator;
    mutable std::string m_timeSeparator;
    // Conversion buffers reused between calls (the class is not thread-safe anyway).
    mutable std::vector<UChar> m_bufferA;
    mutable std::vector<UChar> m_bufferB;
    mutable std::vector<uint8_t> m_keyBuffer;
};

}  // namespace

std::unique_ptr<Locale> CreateLocale(const std::string& name) {
    if (!name.empty()) {
        const std::string icu = IcuName(name);
        return std::make_unique<IcuLocale>(icu, icu, icu);
    }
    return std::make_unique<IcuLocale>(IcuName(SystemLocaleName("LC_COLLATE")),
                                       IcuName(SystemLocaleName("LC_NUMERIC")),
                                       IcuName(SystemLocaleName("LC_TIME")));
}

char32_t UpperCaseChar(char32_t c) {
    return static_cast<char32_t>(u_toupper(static_cast<UChar32>(c)));
}

const Locale& UserLocale() {
    static const std::unique_ptr<Locale> locale = CreateLocale();
    return *locale;
}

}  // namespace qm::platform
