#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm::platform {
class Locale;
}

namespace qm::results {

// Which folders' files can never be marked: the blocked folder list and its "Include Sub Folders"
// flag, as the window holds them. A default rule blocks nothing.
class BlockedFolderRule {
public:
    BlockedFolderRule() = default;
    // blockedList: folder paths, each ending in the separator. locale decides letter-case
    // equality; it must outlive the rule.
    BlockedFolderRule(std::vector<std::string> blockedList, bool blockedSubFolders,
                      const platform::Locale& locale);

    // With sub folders: some entry occurs anywhere in folder (plain substring, case significant),
    // so a folder below a blocked one is blocked too. Without: folder equals an entry, case
    // ignored. folder is a row's Folder, ending in the separator.
    bool IsBlockedFolder(std::string_view folder) const;

    bool Empty() const { return m_blockedList.empty(); }

private:
    std::vector<std::string> m_blockedList;
    bool m_blockedSubFolders = false;
    const platform::Locale* m_locale = nullptr;
};

inline bool IsBlockedFolder(std::string_view folder, const BlockedFolderRule& rule) {
    return rule.IsBlockedFolder(folder);
}

}  // namespace qm::results
