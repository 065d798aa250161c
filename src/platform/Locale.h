#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace qm::platform {

// The user's locale: case-insensitive ordering, upper-casing and the separators used in numbers,
// dates and times. Texts are UTF-8; invalid bytes are tolerated (ordered, never dropped).
// Not thread-safe: use one instance per thread.
class Locale {
public:
    virtual ~Locale() = default;

    // Locale-aware comparison that ignores letter case: <0, 0, >0.
    virtual int Compare(std::string_view a, std::string_view b) const = 0;

    // Bytes whose plain byte order (memcmp) is the order of Compare: equal keys for texts that
    // Compare calls equal. Lets large lists be sorted without calling the collator per comparison.
    virtual std::string SortKey(std::string_view text) const = 0;

    // Full Unicode upper-casing in this locale.
    virtual std::string ToUpper(std::string_view text) const = 0;

    virtual std::string ThousandsSeparator() const = 0;
    virtual std::string DateSeparator() const = 0;
    virtual std::string TimeSeparator() const = 0;

    // The ICU-style name of the locale in force, e.g. "en_US", "de_DE".
    virtual std::string Name() const = 0;
};

// The locale called name ("de_DE", "en_US.UTF-8", ...). An empty name means the user's locale as
// the system reports it (LC_ALL, LC_COLLATE / LC_NUMERIC / LC_TIME, LANG). "C" and "POSIX" get the
// United States conventions: "," "/" ":".
std::unique_ptr<Locale> CreateLocale(const std::string& name = {});

// The user's locale, created on first use; for code on the GUI thread.
const Locale& UserLocale();

// The simple (one code point to one) upper case of c, the same in every locale; c itself when it
// has none. Thread-safe.
char32_t UpperCaseChar(char32_t c);

}  // namespace qm::platform
