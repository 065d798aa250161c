#pragma once

#include <string>
#include <vector>

#include "engine/SearchCriteria.h"
#include "scope/FilterTable.h"

namespace qm::scope {

// Everything the user sets for a search, as one plain value: the window maps it to and from its
// controls, settings files read and write it, and a search's criteria are derived from it.
// Initial values are those of a fresh window. The file date window is not part of it: it lives
// only while the program runs and is never stored.
struct SearchSettings {
    std::vector<std::string> searchFolders;  // each ending in the separator, in list order
    std::vector<FilterRow> filters;          // table order, with their ticks
    // Select All shows its selection sorted (see FilterLabelText); any later change of the table
    // or its ticks shows it in table order again. Reading a settings file leaves it false.
    bool filterLabelSorted = false;

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

// The selection label: the selected masks joined by ", " in table order, or "[None Selected]";
// sorted, the caption Select All writes (FilterTable::SortedLabelText), empty when nothing is
// selected. A search reads exactly this text as its file masks.
std::string FilterLabelText(const std::vector<FilterRow>& filters, bool sorted);
std::string FilterLabelText(const SearchSettings& settings);

// The criteria of a search with these settings. The file date window lives only while the program
// runs and is handed in separately. A method index outside 0..4 searches by contents.
engine::SearchCriteria SearchCriteriaOf(const SearchSettings& settings,
                                        const engine::FileDateRange& dateRange = {});

}  // namespace qm::scope
