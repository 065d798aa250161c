#include "results/ResultStatistics.h"

#include "results/ResultTree.h"
#include "results/ResultsHost.h"

namespace qm::results {

std::string FormatCount(std::int64_t value, const platform::Locale& locale) {
    // Digits of the magnitude, built without negating (the most negative value has no positive).
    std::string digits;
    std::int64_t rest = value;
    do {
        const auto digit = static_cast<int>(rest % 10);
        digits.push_back(static_cast<char>('0' + (digit < 0 ? -digit : digit)));
        rest /= 10;
    } while (rest != 0);

    const std::string separator = locale.ThousandsSeparator();
    std::string text;
    if (value < 0) {
        text.push_back('-');
    }
    for (std::size_t i = digits.size(); i-- > 0;) {
        text.push_back(digits[i]);
        if (i > 0 && i % 3 == 0) {
            text += separator;
        }
    }
    return text;
}

std::string ResultStatisticsText(const ResultStatistics& stats, bool loadedFromFile,
                                 const std::string& elapsedText, const platform::Locale& locale) {
    std::string text = FormatCount(stats.listedBytes, locale) + " bytes in " +
                       FormatCount(stats.listedFiles, locale) + " file(s) listed.";
    text += " [" + FormatCount(stats.duplicatedBytes, locale) + " bytes duplicated in " +
            FormatCount(stats.duplicatedFiles, locale) + " file(s).] ";
    text += loadedFromFile ? std::string(kLoadedFromFileText) : elapsedText;
    return text;
}

ResultStatistics CountResultStatistics(const ResultTree& tree) {
    ResultStatistics stats;
    for (const ResultTree::Node& node : tree.Nodes()) {
        if (node.level >= 1) {
            ++stats.listedFiles;
            stats.listedBytes += node.entry.Size;
        }
        if (node.level == 2) {
            ++stats.duplicatedFiles;
            stats.duplicatedBytes += node.entry.Size;
        }
    }
    return stats;
}

std::optional<std::string> ShowResultStatistics(const ResultTree& tree, bool listEmpty,
                                                bool loadedFromFile, const std::string& elapsedText,
                                                ResultsHost& host, const platform::Locale& locale) {
    host.ShowProgress(false);
    if (listEmpty) {
        host.SetStatusText(kNothingFoundStatusText);
        return std::nullopt;
    }
    host.SetStatusText(kCalculatingDuplicateInfoText);
    host.Yield();
    std::string text =
        ResultStatisticsText(CountResultStatistics(tree), loadedFromFile, elapsedText, locale);
    host.SetStatusText("Duplicate file search complete.");
    host.Yield();
    return text;
}

}  // namespace qm::results
