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
