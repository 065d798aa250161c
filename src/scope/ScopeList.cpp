#include "scope/ScopeList.h"

#include <algorithm>

#include "platform/Locale.h"
#include "scope/SearchPathList.h"

namespace qm::scope {

bool ScopeList::Same(std::string_view a, std::string_view b) const {
    return m_equality == Equality::SamePath ? SamePath(a, b, *m_locale)
                                            : m_locale->Compare(a, b) == 0;
}

bool ScopeList::Add(std::string_view text) {
    if (Contains(text)) {
        return false;
    }
    // Texts the collator calls equal (folders differing in case) keep their byte order, so the
    // list is the same whatever order its entries came in.
    const auto pos = std::lower_bound(m_items.begin(), m_items.end(), text,
                                      [&](const std::string& a, std::string_view b) {
                                          const int order = m_locale->Compare(a, b);
                                          return order != 0 ? order < 0 : a < b;
                                      });
    m_items.insert(pos, std::string(text));
    return true;
}

bool ScopeList::Remove(std::string_view text) {
    const auto pos = std::find_if(m_items.begin(), m_items.end(),
                                  [&](const std::string& item) { return Same(item, text); });
    if (pos == m_items.end()) {
        return false;
    }
    m_items.erase(pos);
    return true;
}

bool ScopeList::Contains(std::string_view text) const {
    return std::any_of(m_items.begin(), m_items.end(),
                       [&](const std::string& item) { return Same(item, text); });
}

}  // namespace qm::scope
