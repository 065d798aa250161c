#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qm::platform {
class Locale;
}

namespace qm::scope {

// A sorted list of texts (folder paths or masks) that refuses duplicates: the ignored and blocked
// folder lists and the two exclusion mask lists. Order and equality are the locale's
// case-insensitive comparison.
class ScopeList {
public:
    explicit ScopeList(const platform::Locale& locale) : m_locale(&locale) {}

    const std::vector<std::string>& Items() const { return m_items; }
    std::size_t Count() const { return m_items.size(); }
    bool Empty() const { return m_items.empty(); }

    // Returns whether the text was added (false for a duplicate).
    bool Add(std::string_view text);
    bool Remove(std::string_view text);
    bool Contains(std::string_view text) const;
    void Clear() { m_items.clear(); }

private:
    const platform::Locale* m_locale;
    std::vector<std::string> m_items;
};

}  // namespace qm::scope
