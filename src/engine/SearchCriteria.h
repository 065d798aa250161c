#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/FileRecords.h"
#include "platform/FileDate.h"

namespace qm::platform {
class Locale;
}

namespace qm::engine {

// Which file time the date window tests.
enum class DateKind : std::uint8_t { Modified = 0, Created = 1, Accessed = 2 };

struct FileDateRange {
    bool enabled = false;
    DateKind kind = DateKind::Modified;
    platform::LocalDateTime from;  // both bounds included, with their time of day
    platform::LocalDateTime to;
};

// Size unit of the limits, by the item index of the unit box.
enum class SizeUnit : std::uint8_t { Bytes = 0, KiloBytes = 1, MegaBytes = 2 };

// Everything one search reads, taken as one snapshot when it starts (the window fills it from its
// controls, the scanner from its command line). Initial values are those of a fresh window.
struct SearchCriteria {
    std::vector<std::string> searchFolders;        // each ending in the separator, no duplicates
    std::string fileMaskText = "[None Selected]";  // the selected masks joined by ", "
    bool includeHidden = true;
    bool includeSubFolders = true;
    int depthLimit = 0;  // 0 or less: no limit
    std::string minSizeText = "0";
    std::string maxSizeText = "0";
    int sizeUnitIndex = 1;  // see SizeUnit; any other index multiplies by 1
    Method method = Method::ContentsOnly;
    std::vector<std::string> ignoredFolders;  // each ending in the separator
    bool ignoreSubFolders = false;
    std::vector<std::string> excludedFolderMasks;
    std::vector<std::string> excludedFileMasks;
    FileDateRange dateRange;

    // 1, 1024 or 1,024,000 by sizeUnitIndex.
    std::int64_t SizeMultiplier() const;
    // The limits in bytes, when in force (the text's number is > 0). 64-bit; a product beyond
    // the 64-bit range saturates at its maximum.
    std::optional<std::int64_t> MinSizeBytes() const;
    std::optional<std::int64_t> MaxSizeBytes() const;
};

// The file masks of a mask text: split at "," and at runs of blanks or control characters, a
// double-quoted item runs to its closing quote ("" inside is one quote), empty items dropped,
// sorted case-insensitively without duplicates.
// The list is ordered and de-duplicated with the user's locale; the second form takes the locale.
std::vector<std::string> SplitMaskText(const std::string& maskText);
std::vector<std::string> SplitMaskText(const std::string& maskText, const platform::Locale& locale);

// The items of a mask text in written order, before sorting (empty items already dropped).
std::vector<std::string> SplitMaskItems(const std::string& maskText);

}  // namespace qm::engine
