#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Globals.h"
#include "platform/PathRules.h"

namespace qm::platform {
class Locale;
}

namespace qm::scope {

// Whether two folder paths of a list name the same folder (case folded on Windows only).
using platform::SamePath;

// The search folder list: folder paths that each end in the separator, kept in the locale's
// case-insensitive order, no two naming the same folder, each an existing folder when added.
class SearchPathList {
public:
    // folderExists decides whether a path (ending in the separator) names an existing folder.
    SearchPathList(const platform::Locale& locale,
                   std::function<bool(const std::string&)> folderExists,
                   char delim = foundation::kPathDelim);

    const std::vector<std::string>& Paths() const { return m_paths; }
    std::size_t Count() const { return m_paths.size(); }
    bool Empty() const { return m_paths.empty(); }

    // Index of the entry naming path (the separator appended when missing).
    std::optional<std::size_t> IndexOf(std::string_view path) const;

    // Adds path with the separator appended. Nothing happens for an empty path, a path that names
    // no existing folder, or one already listed. Returns whether the list changed.
    bool Add(std::string_view path);

    // Removes the entry naming path; returns whether there was one.
    bool Remove(std::string_view path);

    void Clear() { m_paths.clear(); }

private:
    std::string Normalised(std::string_view path) const;

    const platform::Locale& m_locale;
    std::function<bool(const std::string&)> m_folderExists;
    char m_delim;
    std::vector<std::string> m_paths;
};

// The tree pruning rule for shell folders such as "My Documents", "Desktop" or "Shared Documents"
// (a text whose second blank-separated word is "Documents"). Only nodes that stand for no real
// folder are pruned: a real folder is never hidden, whatever its name.
bool IsShellSpecialFolderText(std::string_view text);
bool ShouldPruneFolderNode(std::string_view text, bool isFileSystemFolder);

}  // namespace qm::scope
