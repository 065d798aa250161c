#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scope/SearchSettings.h"

namespace qm::platform {
class Locale;
}

namespace qm::storage {

// The main window's position and size in its normal state; the initial values are what a file
// without them gives.
struct WindowGeometry {
    int left = 0;
    int top = 0;
    int width = 900;
    int height = 660;
    bool operator==(const WindowGeometry&) const = default;
};

// Everything a settings file holds: the search settings and, besides them, a little of the
// window's state. It never holds the file date window or any result.
struct SettingsFile {
    scope::SearchSettings search;

    // Writing: the window's geometry when it is in its normal state; none while it is maximised
    // or minimised, and the file then holds no geometry. Reading: none when the file holds none
    // of the four values; a missing one of the others takes its default.
    std::optional<WindowGeometry> window;

    // The folder that is current in the folder tree. Written only when not empty; read as the
    // user's home folder when missing or blank.
    std::string activeDirectory;

    // The filter label's caption when the file was saved. Loading does not use it (the label is
    // rebuilt from the ticked rows); it is kept for people and older readers of the file.
    std::string activeFilter = "*.*";

    bool operator==(const SettingsFile&) const = default;
};

// What a settings file's text says, key by key, with each missing or unreadable value taking its
// default: the geometry 0, 0, 900, 660; "Hidden" and "Sub Folders" true, every other switch
// false; sizes "0"; unit and method index 0; depth 0; empty lists; no filters when the file has
// none. Values are taken as they stand, except that
// - a unit index outside 0 to 2 reads as -1 (no unit), a method index above 4 as 4 and a negative
//   one as -1 (no method), a depth outside 0 to 50 as the nearer end of that range;
// - search folders and filter masks written as "<<<<" (what older writers used for "none") and
//   blank entries of every list are left out.
// Lists come in the file's order; see SearchFoldersToRestore for the search folders. Never throws.
SettingsFile ParseSettingsText(std::string_view text);

// The text of a settings file: every key, in the order of the sections "Display" (only with a
// geometry), "Options", "Ignore List", "Blocked List", "Ignore File Mask" and "Ignore Folder Mask"
// (only when not empty), "Search Path" and "Filter Settings" (only with at least one filter).
// Lists are numbered from 0 without gaps, however long they are. UTF-8, lines ended by CR LF;
// values that could not stand in a line as they are come back exactly through their escape.
std::string SettingsText(const SettingsFile& settings);

// The content of the settings file at path. Throws FileError when it cannot be read.
SettingsFile ReadSettingsFile(const std::string& path);

// Writes the settings file at path, replacing what was there completely, through a temporary
// file in the same folder that takes its place only when complete. On failure throws FileError
// with the text "Unable to write to " + path, and the file at path is as it was.
void WriteSettingsFile(const std::string& path, const SettingsFile& settings);

// The search folders of a settings file in the order they are restored: each with the separator
// appended, blank ones and those folderExists refuses left out, each folder once (compared as
// exact bytes here, ignoring case on Windows), in the search folder list's order.
std::vector<std::string> SearchFoldersToRestore(
    const std::vector<std::string>& stored, const platform::Locale& locale,
    const std::function<bool(const std::string&)>& folderExists);

// The filter rows of a settings file in the order the table shows them after loading: sorted by
// mask in the locale's case-insensitive order (masks it calls equal by their bytes, rows of one
// mask as they were stored).
std::vector<scope::FilterRow> FilterRowsToRestore(std::vector<scope::FilterRow> stored,
                                                  const platform::Locale& locale);

}  // namespace qm::storage
