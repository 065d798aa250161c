#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/Globals.h"

namespace qm::platform {
class Locale;
}

namespace qm::storage {

// How many settings files the recent-files list remembers.
inline constexpr std::size_t kMaxRecentFiles = 4;

// The single, disabled item of an empty recent-files menu.
inline constexpr std::string_view kNoRecentFiles = "(None)";

// Longest path the recent-files menu shows unshortened, in characters.
inline constexpr std::size_t kRecentPathWidth = 60;

// "The recently used file "<path>" could not be located."
std::string RecentFileMissingMessage(std::string_view path);

// path as the recent-files menu shows it: unchanged up to 60 characters (UTF-8 code points);
// a longer one becomes its leading folders that fit, "...", the separator and the file name,
// e.g. "/home/ann/.../Photos.ini". The file name is never cut, so a very long one
// stays longer than 60.
std::string ShortenRecentPath(std::string_view path, char delim = foundation::kPathDelim);

// The menu caption of an entry: "&" + position (1 for the newest) + " " + the shortened path, with
// each "&" of the path doubled so that it shows as typed and is no mnemonic.
std::string RecentFileCaption(std::size_t position, std::string_view path,
                              char delim = foundation::kPathDelim);

// The recent-files list: up to four full paths of settings files, newest first, each once (paths
// compared as exact bytes here, ignoring case on Windows). The window keeps it in its per-user
// store as the values "H0" (the newest) to "H3".
class RecentFiles {
public:
    explicit RecentFiles(const platform::Locale& locale) : m_locale(&locale) {}

    // Replaces the entries by the stored values "H0", "H1", ... taken in turn up to the first
    // empty one (a repeated path is taken once; at most four).
    void Load(const std::vector<std::string>& stored);

    // Newest first: what the store's "H0", "H1", ... receive.
    const std::vector<std::string>& Paths() const { return m_paths; }

    // Puts path at the top; when it is listed already, that entry moves there. A blank path
    // changes nothing; beyond four entries the oldest is dropped. Returns whether the list changed.
    bool Add(std::string_view path);

    // The menu captions, newest first; none for an empty list (the menu then shows "(None)").
    std::vector<std::string> Captions() const;

private:
    const platform::Locale* m_locale;
    std::vector<std::string> m_paths;
};

}  // namespace qm::storage
