#include "engine/SortedTextList.h"

#include <algorithm>
#include <utility>

#include "platform/Locale.h"

namespace qm::engine {

SortedTextList::SortedTextList(const platform::Locale& locale, Duplicates duplicates,
                               DuplicateTest test)
    : m_locale(locale), m_duplicates(duplicates), m_test(test) {}

std::string SortedTextList::Key(std::string_view text) const {
    return m_locale.SortKey(text);
}

bool SortedTextList::Less(const Item& a, const Item& b) {
    const int byKey = a.key.compare(b.key);
    if (byKey != 0) {
        return byKey < 0;
    }
    return a.text < b.text;
}

bool SortedTextList::IsDuplicate(const Item& item) const {
    return m_duplicates == Duplicates::Ignore && m_tokens.count(DupToken(item)) != 0;
}

void SortedTextList::Remember(const Item& item) {
    if (m_duplicates == Duplicates::Ignore) {
        m_tokens.insert(DupToken(item));
    }
}

void SortedTextList::Forget(const Item& item) {
    if (m_duplicates == Duplicates::Ignore) {
        m_tokens.erase(DupToken(item));
    }
}

std::optional<std::size_t> SortedTextList::Add(std::string line) {
    Item item{std::move(line), {}};
    item.key = Key(item.text);
    if (IsDuplicate(item)) {
        return std::nullopt;
    }
    Remember(item);
    if (!m_sorted) {
        m_items.push_back(std::move(item));
        return m_items.size() - 1;
    }
    const auto pos = std::upper_bound(m_items.begin(), m_items.end(), item, Less);
    const auto index = static_cast<std::size_t>(pos - m_items.begin());
    m_items.insert(pos, std::move(item));
    return index;
}

bool SortedTextList::Replace(std::size_t index, std::string line) {
    Item item{std::move(line), {}};
    item.key = Key(item.text);
    Item& old = m_items.at(index);
    if (m_duplicates == Duplicates::Ignore && DupToken(item) != DupToken(old) &&
        IsDuplicate(item)) {
        return false;
    }
    Forget(old);
    Remember(item);
    if (m_sorted) {
        // Keep the order: take the line out and put the new one where it belongs.
        m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
        const auto pos = std::upper_bound(m_items.begin(), m_items.end(), item, Less);
        m_items.insert(pos, std::move(item));
    } else {
        old = std::move(item);
    }
    return true;
}

void SortedTextList::Delete(std::size_t index) {
    Forget(m_items.at(index));
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
}

void SortedTextList::Clear() {
    m_items.clear();
    m_tokens.clear();
}

void SortedTextList::ResumeSorting() {
    if (!m_sorted) {
        std::sort(m_items.begin(), m_items.end(), Less);
    }
    m_sorted = true;
}

void SortedTextList::ReplaceContent(const std::vector<std::string>& lines) {
    Clear();
    const bool wasSorted = m_sorted;
    // Adding one by one under the rules; sorting once at the end gives the same list faster.
    m_sorted = false;
    for (const std::string& line : lines) {
        Add(line);
    }
    if (wasSorted) {
        ResumeSorting();
    }
}

void SortedTextList::ReplaceContent(const SortedTextList& other) {
    if (&other == this) {
        return;
    }
    ReplaceContent(other.Lines());
}

bool SortedTextList::Find(std::string_view text, std::size_t& index) const {
    const std::string key = Key(text);
    const auto pos =
        std::lower_bound(m_items.begin(), m_items.end(), key,
                         [](const Item& item, const std::string& k) { return item.key < k; });
    index = static_cast<std::size_t>(pos - m_items.begin());
    return pos != m_items.end() && pos->key == key;
}

std::optional<std::size_t> SortedTextList::IndexOf(std::string_view text) const {
    if (m_sorted) {
        std::size_t index = 0;
        if (!Find(text, index)) {
            return std::nullopt;
        }
        if (m_test == DuplicateTest::Collation) {
            return index;
        }
        // Exact: the equal line lies among the collation-equal run, ordered by bytes.
        for (std::size_t i = index; i < m_items.size(); ++i) {
            if (m_items[i].text == text) {
                return i;
            }
            if (m_items[i].key != m_items[index].key) {
                break;
            }
        }
        return std::nullopt;
    }
    if (m_test == DuplicateTest::Exact) {
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            if (m_items[i].text == text) {
                return i;
            }
        }
        return std::nullopt;
    }
    const std::string key = Key(text);
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].key == key) {
            return i;
        }
    }
    return std::nullopt;
}

std::vector<std::string> SortedTextList::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(m_items.size());
    for (const Item& item : m_items) {
        lines.push_back(item.text);
    }
    return lines;
}

std::vector<std::string> SortedTextList::TakeLines() {
    std::vector<std::string> lines;
    lines.reserve(m_items.size());
    for (Item& item : m_items) {
        lines.push_back(std::move(item.text));
    }
    Clear();
    return lines;
}

}  // namespace qm::engine
