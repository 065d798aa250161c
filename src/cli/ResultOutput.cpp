#include "cli/ResultOutput.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "results/PopulateResultsTree.h"
#include "results/ResultTree.h"
#include "storage/ResultsFile.h"

namespace qm::cli {

std::string DuplicateSetsText(const engine::DuplicateList& list) {
    // The tree's sets are runs of one group number. Content grouping files a set under every
    // extension key it spans, so one set of equal files can come out as several tree sets that
    // share a file. Equal keys are transitive: sets joined through a shared path are one set.
    std::unordered_map<std::string_view, std::size_t> indexOfPath;
    std::vector<std::string_view> paths;
    std::vector<std::size_t> parent;
    const auto find = [&](std::size_t i) {
        while (parent[i] != i) {
            parent[i] = parent[parent[i]];
            i = parent[i];
        }
        return i;
    };
    std::size_t runHead = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto [it, added] = indexOfPath.try_emplace(list[i].path, paths.size());
        if (added) {
            paths.push_back(list[i].path);
            parent.push_back(it->second);
        }
        if (i == 0 || list[i].group != list[i - 1].group) {
            runHead = it->second;
            continue;
        }
        const std::size_t a = find(runHead);
        const std::size_t b = find(it->second);
        // The earlier root stays the root, so sets come out in the order they first appear.
        if (a != b) {
            parent[std::max(a, b)] = std::min(a, b);
        }
    }
    std::vector<std::vector<std::size_t>> members(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        members[find(i)].push_back(i);
    }
    std::string text;
    bool first = true;
    for (const std::vector<std::size_t>& set : members) {
        if (set.size() < 2) {
            continue;  // a file that a set lists twice under two keys
        }
        if (!first) {
            text += '\n';
        }
        first = false;
        for (const std::size_t i : set) {
            text += paths[i];
            text += '\n';
        }
    }
    return text;
}

std::string ExportText(const engine::DuplicateList& list, storage::ExportFormat format,
                       const platform::Locale& locale) {
    results::ResultTree tree;
    results::NullResultsHost host;
    results::PopulateResultsTree(tree, list, host, results::BlockedFolderRule(), locale);
    return storage::RenderExport(
        storage::ExportDocumentOf(tree, storage::DefaultExportColumns(), locale), format);
}

std::string ResultOutputText(const engine::DuplicateList& list, OutputFormat format,
                             const platform::Locale& locale) {
    switch (format) {
        case OutputFormat::Dat:
            return storage::ResultsFileText(storage::ResultsRowsOf(list, locale));
        case OutputFormat::Csv:
            return ExportText(list, storage::ExportFormat::Csv, locale);
        case OutputFormat::Html:
            return ExportText(list, storage::ExportFormat::Html, locale);
        case OutputFormat::Rtf:
            return ExportText(list, storage::ExportFormat::Rtf, locale);
        case OutputFormat::Table:
            return ExportText(list, storage::ExportFormat::Text, locale);
        case OutputFormat::Text:
            break;
    }
    return DuplicateSetsText(list);
}

}  // namespace qm::cli
