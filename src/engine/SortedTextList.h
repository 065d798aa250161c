#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace qm::platform {
class Locale;
}

namespace qm::engine {

// A list of text lines kept in the case-insensitive order of a locale (Locale::Compare), ties
// broken by the exact bytes so that the order never depends on insertion order.
//
// Duplicates rule: Accept keeps every line; Ignore refuses a line equal to one already present,
// under the list's duplicate test. The test is either the collation (lines that differ only in
// letter case are equal: right for the user's lists of masks and folders) or the exact bytes
// (right for paths the program found on a case-sensitive file system, where /a/Foo/ and /a/foo/
// are two folders). The rule holds also while sorting is suspended.
//
// Sorting can be suspended: added lines then go to the end; resuming sorts the whole list once.
//
// The locale must outlive the list. Not thread-safe.
class SortedTextList {
public:
    enum class Duplicates : std::uint8_t { Ignore, Accept };
    enum class DuplicateTest : std::uint8_t { Collation, Exact };

    explicit SortedTextList(const platform::Locale& locale,
                            Duplicates duplicates = Duplicates::Ignore,
                            DuplicateTest test = DuplicateTest::Collation);

    std::size_t Count() const { return m_items.size(); }

    // Adds line under the order and duplicates rule. Returns the index it now has, or nothing
    // when the rule refused it.
    std::optional<std::size_t> Add(std::string line);

    void Clear();

    void SuspendSorting() { m_sorted = false; }
    // Sorts once and keeps the list sorted from then on.
    void ResumeSorting();

    // Moves the lines out, in list order, leaving the list empty.
    std::vector<std::string> TakeLines();

private:
    struct Item {
        std::string text;
        std::string key;  // the locale's sort key of text
    };

    std::string Key(std::string_view text) const;
    static bool Less(const Item& a, const Item& b);
    const std::string& DupToken(const Item& item) const {
        return m_test == DuplicateTest::Exact ? item.text : item.key;
    }
    bool IsDuplicate(const Item& item) const;
    void Remember(const Item& item);

    const platform::Locale& m_locale;
    Duplicates m_duplicates;
    DuplicateTest m_test;
    bool m_sorted = true;
    std::vector<Item> m_items;
    // Duplicate tokens (exact text or sort key) of every line, for an Ignore list; a multiset
    // count is not needed because an Ignore list never holds two equal tokens.
    std::unordered_set<std::string> m_tokens;
};

}  // namespace qm::engine
