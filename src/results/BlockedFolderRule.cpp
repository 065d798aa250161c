#include "results/BlockedFolderRule.h"

#include <utility>

#include "platform/Locale.h"

namespace qm::results {

BlockedFolderRule::BlockedFolderRule(std::vector<std::string> blockedList, bool blockedSubFolders,
                                     const platform::Locale& locale)
    : m_blockedList(std::move(blockedList)),
      m_blockedSubFolders(blockedSubFolders),
      m_locale(&locale) {}

bool BlockedFolderRule::IsBlockedFolder(std::string_view folder) const {
    for (const std::string& entry : m_blockedList) {
        if (m_blockedSubFolders) {
            if (folder.find(entry) != std::string_view::npos) {
                return true;
            }
        } else if (entry == folder || m_locale->Compare(entry, folder) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace qm::results
