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
// folder lists and the two exclusion mask lists. Kept in the locale's case-insensitive order.
class ScopeList {
public:
    // When two texts are the same entry. Masks ignore case everywhere. Folder paths are the same
    // folder by SamePath: exact bytes here, where /data/Photos/ and /data/photos/ are two folders
    // that may both be listed, and case folded on Windows.
    enum class Equality : unsigned char { IgnoreCase, SamePath };

    explicit ScopeList(const platform::Locale& locale, Equality equality = Equality::IgnoreCase)
        : m_locale(&locale), m_equality(equality) {}

    const std::vector<std::string>& Items() const { return m_items; }
    std::size_t Count() const { return m_items.size(); }
    bool Empty() const { return m_items.empty(); }

    // Returns whether the text was added (false for a duplicate).
    bool Add(std::string_view text);
    bool Remove(std::string_view text);
    bool Contains(std::string_view text) const;
    void Clear() { m_items.clear(); }

private:
    bool Same(std::string_view a, std::string_view b) const;

    const platform::Locale* m_locale;
    Equality m_equality;
    std::vector<std::string> m_items;
};

}  // namespace qm::scope
