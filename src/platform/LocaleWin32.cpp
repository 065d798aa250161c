#include <string_view>
#include <vector>

#include "platform/Locale.h"
#include "platform/Utf8Decode.h"
#include "platform/Win32Tools.h"

namespace qm::platform {

namespace {

using utf8::DecodeUtf8;
using utf8::kInvalidByteBase;

void AppendUtf16(std::wstring& out, char32_t cp) {
    if (cp <= 0xFFFF) {
        out += static_cast<wchar_t>(cp);
    } else {
        out += static_cast<wchar_t>(0xD800 + ((cp - 0x10000) >> 10));
        out += static_cast<wchar_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
}

// UTF-8 to UTF-16 with every ill-formed byte mapped to kInvalidByteBase + byte.
void ToUtf16(std::string_view text, std::wstring& out) {
    out.clear();
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        std::size_t length = DecodeUtf8(text, i, cp);
        if (length == 0) {
            cp = kInvalidByteBase + static_cast<unsigned char>(text[i]);
            length = 1;
        }
        AppendUtf16(out, cp);
        i += length;
    }
}

// "de_DE.UTF-8" -> "de-DE", "de_DE@euro" -> "de-DE"; "", "C" and "POSIX" (with any encoding)
// -> "en-US", the conventions the POSIX build gives them.
std::wstring SystemName(std::string_view name) {
    const std::size_t cut = name.find_first_of(".@");
    std::string base(name.substr(0, cut));
    if (base.empty() || base == "C" || base == "POSIX") {
        base = "en-US";
    }
    for (char& c : base) {
        if (c == '_') {
            c = '-';
        }
    }
    std::wstring wide = win32::Utf8ToWide(base);
    if (::IsValidLocaleName(wide.c_str()) == 0) {
        wide = L"en-US";
    }
    return wide;
}

std::wstring UserLocaleName() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (::GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) == 0) {
        return L"en-US";
    }
    return name;
}

std::string LocaleText(const std::wstring& locale, LCTYPE type, const char* fallback) {
    wchar_t buffer[32] = {};
    const int length = ::GetLocaleInfoEx(locale.c_str(), type, buffer, 32);
    if (length <= 1) {
        return fallback;
    }
    return win32::WideToUtf8(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

class Win32Locale final : public Locale {
public:
    explicit Win32Locale(std::wstring name)
        : m_locale(std::move(name)),
          m_thousands(LocaleText(m_locale, LOCALE_STHOUSAND, ",")),
          m_dateSeparator(LocaleText(m_locale, LOCALE_SDATE, "/")),
          m_timeSeparator(LocaleText(m_locale, LOCALE_STIME, ":")) {
        m_name = win32::WideToUtf8(m_locale);
        for (char& c : m_name) {
            if (c == '-') {
                c = '_';
            }
        }
    }

    int Compare(std::string_view a, std::string_view b) const override {
        ToUtf16(a, m_bufferA);
        ToUtf16(b, m_bufferB);
        const int result = ::CompareStringEx(
            m_locale.c_str(), NORM_IGNORECASE, m_bufferA.data(), static_cast<int>(m_bufferA.size()),
            m_bufferB.data(), static_cast<int>(m_bufferB.size()), nullptr, nullptr, 0);
        if (result == 0) {
            return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
        }
        if (result == CSTR_EQUAL) {
            // The system's collation gives some characters no weight (U+FFFD, the code points
            // that stand for ill-formed bytes): texts that differ in more than case still differ.
            const int tie = ToUpper(a).compare(ToUpper(b));
            return (tie > 0) - (tie < 0);
        }
        return result - CSTR_EQUAL;
    }

    std::string SortKey(std::string_view text) const override {
        ToUtf16(text, m_bufferA);
        const DWORD flags = LCMAP_SORTKEY | NORM_IGNORECASE;
        const int length = static_cast<int>(m_bufferA.size());
        const int needed = ::LCMapStringEx(m_locale.c_str(), flags, m_bufferA.data(), length,
                                           nullptr, 0, nullptr, nullptr, 0);
        std::string key;
        if (needed <= 0) {
            return key;
        }
        key.resize(static_cast<std::size_t>(needed));
        const int written =
            ::LCMapStringEx(m_locale.c_str(), flags, m_bufferA.data(), length,
                            reinterpret_cast<wchar_t*>(key.data()), needed, nullptr, nullptr, 0);
        // The key is a run of bytes that ends in one 0, which memcmp order does not need.
        key.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
        while (!key.empty() && key.back() == '\0') {
            key.pop_back();
        }
        // The tie-break of Compare, after a byte below every weight the key holds but 0.
        key += '\x01';
        key += ToUpper(text);
        return key;
    }

    std::string ToUpper(std::string_view text) const override {
        // Well-formed runs are upper-cased; ill-formed bytes are copied unchanged so that no
        // byte of a file name is lost.
        std::string result;
        result.reserve(text.size());
        std::size_t i = 0;
        while (i < text.size()) {
            std::size_t end = i;
            char32_t cp = 0;
            while (end < text.size()) {
                const std::size_t length = DecodeUtf8(text, end, cp);
                if (length == 0) {
                    break;
                }
                end += length;
            }
            if (end > i) {
                result += UpperRun(text.substr(i, end - i));
                i = end;
            }
            if (i < text.size()) {
                result += text[i];
                ++i;
            }
        }
        return result;
    }

    std::string ThousandsSeparator() const override { return m_thousands; }
    std::string DateSeparator() const override { return m_dateSeparator; }
    std::string TimeSeparator() const override { return m_timeSeparator; }
    std::string Name() const override { return m_name; }

private:
    // The system's upper case maps one character to one (as file names compare): "ß" stays.
    std::string UpperRun(std::string_view run) const {
        ToUtf16(run, m_bufferA);
        const DWORD flags = LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING;
        const int length = static_cast<int>(m_bufferA.size());
        const int needed = ::LCMapStringEx(m_locale.c_str(), flags, m_bufferA.data(), length,
                                           nullptr, 0, nullptr, nullptr, 0);
        if (needed <= 0) {
            return std::string(run);
        }
        m_bufferB.resize(static_cast<std::size_t>(needed));
        const int written = ::LCMapStringEx(m_locale.c_str(), flags, m_bufferA.data(), length,
                                            m_bufferB.data(), needed, nullptr, nullptr, 0);
        if (written <= 0) {
            return std::string(run);
        }
        return win32::WideToUtf8(
            std::wstring_view(m_bufferB.data(), static_cast<std::size_t>(written)));
    }

    std::wstring m_locale;
    std::string m_name;
    std::string m_thousands;
    std::string m_dateSeparator;
    std::string m_timeSeparator;
    // Conversion buffers reused between calls (the class is not thread-safe anyway).
    mutable std::wstring m_bufferA;
    mutable std::wstring m_bufferB;
};

}  // namespace

std::unique_ptr<Locale> CreateLocale(const std::string& name) {
    // Windows keeps one locale for the user, not one per category.
    return std::make_unique<Win32Locale>(name.empty() ? UserLocaleName() : SystemName(name));
}

const Locale& UserLocale() {
    static const std::unique_ptr<Locale> locale = CreateLocale();
    return *locale;
}

char32_t UpperCaseChar(char32_t c) {
    if (c < 0x80) {
        return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
    }
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return c;
    }
    std::wstring in;
    AppendUtf16(in, c);
    wchar_t out[4] = {};
    const int written = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, in.data(),
                                        static_cast<int>(in.size()), out, 4, nullptr, nullptr, 0);
    if (written == 1 && (out[0] < 0xD800 || out[0] > 0xDFFF)) {
        return out[0];
    }
    if (written == 2 && out[0] >= 0xD800 && out[0] <= 0xDBFF && out[1] >= 0xDC00 &&
        out[1] <= 0xDFFF) {
        return 0x10000 + ((static_cast<char32_t>(out[0]) - 0xD800) << 10) +
               (static_cast<char32_t>(out[1]) - 0xDC00);
    }
    return c;
}

}  // namespace qm::platform
