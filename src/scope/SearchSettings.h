#pragma once

#include <string>
#include <vector>

#include "scope/FilterTable.h"

namespace qm::scope {

// Everything the user sets for a search, as one plain value: the window maps it to and from its
// controls, settings files read and write it, and a search's criteria are derived from it.
// Initial values are those of a fresh window. The file date window is not part of it: it lives
// only while the program runs and is never stored.
struct SearchSettings {
    std::vector<std::string> searchFolders;  // each ending in the separator, in list order
    std::vector<FilterRow> filters;          // table order, with their ticks

    std::string minSizeText = "0";  // as typed; not a number or <= 0 means no limit
    std::string maxSizeText = "0";
    int sizeUnitIndex = 1;  // 0 bytes, 1 kilobytes, 2 megabytes; another index selects no unit
    int methodIndex = 0;    // 0 "Contents Only" ... 4 "Contents And Name"; negative: none selected

    bool includeHidden = true;
    bool includeSubFolders = true;
    int depthLimit = 0;  // 0 to 50, 0 meaning no limit

    std::vector<std::string> ignoredFolders;  // each ending in the separator
    bool ignoreSubFolders = false;
    std::vector<std::string> blockedFolders;  // each ending in the separator
    bool blockedSubFolders = false;
    std::vector<std::string> excludedFileMasks;
    std::vector<std::string> excludedFolderMasks;

    bool disableScreenSaver = true;
    bool previewImages = true;

    bool operator==(const SearchSettings&) const = default;
};

}  // namespace qm::scope
