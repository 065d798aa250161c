#include "scope/ScopeList.h"

#include <algorithm>

#include "platform/Locale.h"

namespace qm::scope {

namespace {

auto LowerBound(std::vector<std::string>& items, std::string_view text,
                const platform::Locale& locale) {
    return std::lower_bound(
        items.begin(), items.end(), text,
        [&](const std::string& a, std::string_view b) { return locale.Compare(a, b) < 0; });
}

}  // namespace

bool ScopeList::Add(std::string_view text) {
    const auto pos = LowerBound(m_items, text, *m_locale);
    if (pos != m_items.end() && m_locale->Compare(*pos, text) == 0) {
        return false;
    }
    m_items.insert(pos, std::string(text));
    return true;
}

bool ScopeList::Remove(std::string_view text) {
    const auto pos = LowerBound(m_items, text, *m_locale);
    if (pos == m_items.end() || m_locale->Compare(*pos, text) != 0) {
        return false;
    }
    m_items.erase(pos);
    return true;
}

bool ScopeList::Contains(std::string_view text) const {
    return std::any_of(m_items.begin(), m_items.end(),
                       [&](const std::string& item) { return m_locale->Compare(item, text) == 0; });
}

}  // namespace qm::scope
