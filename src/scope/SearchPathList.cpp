#include "scope/SearchPathList.h"

#include <algorithm>
#include <array>

#include "platform/Locale.h"

namespace qm::scope {

SearchPathList::SearchPathList(const platform::Locale& locale,
                               std::function<bool(const std::string&)> folderExists, char delim)
    : m_locale(locale), m_folderExists(std::move(folderExists)), m_delim(delim) {}

std::string SearchPathList::Normalised(std::string_view path) const {
    return foundation::AddTrailingBackslash(path, m_delim);
}

std::optional<std::size_t> SearchPathList::IndexOf(std::string_view path) const {
    if (path.empty()) {
        return std::nullopt;
    }
    const std::string wanted = Normalised(path);
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
        if (SamePath(m_paths[i], wanted, m_locale)) {
            return i;
        }
    }
    return std::nullopt;
}

bool SearchPathList::Add(std::string_view path) {
    if (path.empty()) {
        return false;
    }
    std::string entry = Normalised(path);
    if (!m_folderExists(entry) || IndexOf(entry)) {
        return false;
    }
    // Case-insensitive locale order; texts the collator calls equal keep their byte order so
    // the list is the same whatever order the folders came in.
    const auto pos =
        std::lower_bound(m_paths.begin(), m_paths.end(), entry, [&](const auto& a, const auto& b) {
            const int order = m_locale.Compare(a, b);
            return order != 0 ? order < 0 : a < b;
        });
    m_paths.insert(pos, std::move(entry));
    return true;
}

bool SearchPathList::Remove(std::string_view path) {
    const std::optional<std::size_t> index = IndexOf(path);
    if (!index) {
        return false;
    }
    m_paths.erase(m_paths.begin() + static_cast<std::ptrdiff_t>(*index));
    return true;
}

bool IsShellSpecialFolderText(std::string_view text) {
    static constexpr std::array<std::string_view, 5> kNames = {
        "My Documents", "My Network Places", "Shared Documents", "Desktop", "Control Panel"};
    if (std::find(kNames.begin(), kNames.end(), text) != kNames.end()) {
        return true;
    }
    return foundation::ExtractField(text, " ", 2) == "Documents";
}

bool ShouldPruneFolderNode(std::string_view text, bool isFileSystemFolder) {
    return !isFileSystemFolder && IsShellSpecialFolderText(text);
}

}  // namespace qm::scope
