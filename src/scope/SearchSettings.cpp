#include "scope/SearchSettings.h"

namespace qm::scope {

std::string FilterLabelText(const std::vector<FilterRow>& filters, bool sorted) {
    FilterTable table;
    table.SetRows(filters);
    return sorted ? table.SortedLabelText() : table.LabelText();
}

std::string FilterLabelText(const SearchSettings& settings) {
    return FilterLabelText(settings.filters, settings.filterLabelSorted);
}

engine::SearchCriteria SearchCriteriaOf(const SearchSettings& settings,
                                        const engine::FileDateRange& dateRange) {
    engine::SearchCriteria criteria;
    criteria.searchFolders = settings.searchFolders;
    criteria.fileMaskText = FilterLabelText(settings);
    criteria.includeHidden = settings.includeHidden;
    criteria.includeSubFolders = settings.includeSubFolders;
    criteria.depthLimit = settings.depthLimit;
    criteria.minSizeText = settings.minSizeText;
    criteria.maxSizeText = settings.maxSizeText;
    criteria.sizeUnitIndex = settings.sizeUnitIndex;
    const int method = settings.methodIndex;
    criteria.method = static_cast<engine::Method>(method >= 0 && method <= 4 ? method : 0);
    criteria.ignoredFolders = settings.ignoredFolders;
    criteria.ignoreSubFolders = settings.ignoreSubFolders;
    criteria.excludedFolderMasks = settings.excludedFolderMasks;
    criteria.excludedFileMasks = settings.excludedFileMasks;
    criteria.dateRange = dateRange;
    return criteria;
}

}  // namespace qm::scope
