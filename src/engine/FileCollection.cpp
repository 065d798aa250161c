#include "engine/FileCollection.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include "engine/Grouping.h"
#include "engine/YieldingWork.h"
#include "foundation/Globals.h"

namespace qm::engine {

namespace {

constexpr std::string_view kScanningFile = "<B>Scanning File:</B> ";

bool MatchesEveryName(std::string_view mask) {
    return mask == "*" || mask == "*.*";
}

bool InDateWindow(const platform::DirEntry& entry, const FileDateRange& range) {
    platform::FileTime time = entry.lastWrite;
    if (range.kind == DateKind::Created) {
        time = entry.creation;
    } else if (range.kind == DateKind::Accessed) {
        time = entry.lastAccess;
    }
    const platform::LocalDateTime local = platform::LocalFileDate(time);
    return range.from <= local && local <= range.to;
}

}  // namespace

bool MatchesListingPattern(std::string_view name, std::string_view mask) {
    if (MatchesEveryName(mask)) {
        return true;
    }
    if (foundation::MatchWildcard(name, mask)) {
        return true;
    }
    // A trailing ".*" may also match the end of a name that has no extension.
    if (mask.size() >= 2 && mask.substr(mask.size() - 2) == ".*" &&
        name.find('.') == std::string_view::npos) {
        return foundation::MatchWildcard(name, mask.substr(0, mask.size() - 2));
    }
    return false;
}

void SortScanList(ScanList& list, const platform::Locale& locale) {
    // Sizes first; the path collation is only needed inside runs of equal size, so sort keys
    // are made just for those entries (most sizes are unique in a real tree).
    StableSortBySize(list);
    std::vector<std::string> keys;
    std::vector<std::size_t> order;
    std::vector<ScanEntry> run;
    std::size_t begin = 0;
    while (begin < list.size()) {
        std::size_t end = begin + 1;
        while (end < list.size() && list[end].size == list[begin].size) {
            ++end;
        }
        const std::size_t count = end - begin;
        if (count > 1) {
            keys.resize(count);
            order.resize(count);
            for (std::size_t i = 0; i < count; ++i) {
                if (i % 1024 == 0) {
                    ThrowIfWorkStopped();  // nothing of this run has moved yet
                }
                keys[i] = locale.SortKey(list[begin + i].Path());
            }
            std::iota(order.begin(), order.end(), std::size_t{0});
            std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
                return CompareInPathOrder(list[begin + x], keys[x], list[begin + y], keys[y]) < 0;
            });
            run.clear();
            run.reserve(count);
            for (std::size_t i : order) {
                run.push_back(std::move(list[begin + i]));
            }
            std::move(run.begin(), run.end(), list.begin() + static_cast<std::ptrdiff_t>(begin));
        }
        begin = end;
    }
}

void CollectFiles(const FolderList& folders, const SearchCriteria& criteria, SearchHost& host,
                  platform::FileSystem& fileSystem, const platform::Locale& locale, ScanList& out,
                  std::int64_t* ignoredFiles, ScanOrder order) {
    out.clear();
    host.ShowProgress(true);
    std::int64_t ignored = 0;
    host.SetCounter(Counter::FilesIgnored, 0);

    const std::vector<std::string> masks = SplitMaskText(criteria.fileMaskText, locale);
    const std::optional<std::int64_t> minBytes = criteria.MinSizeBytes();
    const std::optional<std::int64_t> maxBytes = criteria.MaxSizeBytes();

    host.SetProgressDecorations(true);
    host.SetProgress(0);

    std::vector<platform::DirEntry> entries;
    std::string path;
    const std::size_t folderCount = folders.size();
    for (std::size_t i = 0; i < folderCount; ++i) {
        const std::string folder = foundation::AddTrailingBackslash(folders[i]);
        // One listing serves every mask; each mask still takes its own pass over it, as one
        // listing per mask would.
        bool listed = false;
        bool listingOk = false;
        const std::string* folderRef = nullptr;  // in out's table, once a file is added
        for (const std::string& mask : masks) {
            if (host.AbortRequested()) {
                break;
            }
            if (!listed) {
                listed = true;
                const platform::ListOutcome outcome = fileSystem.ListFolderChecked(
                    folder, platform::ListDetail::Full, entries, false);
                listingOk = outcome.result == platform::ListResult::Listed;
                if (!listingOk) {
                    // Listed by the walk moments ago; gone or locked since.
                    host.ReportSkipped(Skipped::Folder, folder, outcome.reason);
                }
            }
            if (!listingOk) {
                break;  // every mask would fail alike
            }
            const bool everyName = MatchesEveryName(mask);
            for (const platform::DirEntry& entry : entries) {
                if (entry.kind != platform::EntryKind::RegularFile) {
                    continue;
                }
                if (entry.hidden && !criteria.includeHidden) {
                    continue;
                }
                if (!everyName && !MatchesListingPattern(entry.name, mask)) {
                    continue;
                }

                path.assign(folder);
                path += entry.name;
                host.SetStatusPath(kScanningFile, path);

                bool passes = true;
                if (minBytes && entry.size < *minBytes) {
                    passes = false;
                }
                if (maxBytes && entry.size > *maxBytes) {
                    passes = false;
                }
                if (passes && criteria.dateRange.enabled &&
                    !InDateWindow(entry, criteria.dateRange)) {
                    passes = false;
                }
                if (!passes) {
                    ++ignored;
                    host.SetCounter(Counter::FilesIgnored, ignored);
                    continue;
                }
                bool excluded = false;
                for (const std::string& excludedMask : criteria.excludedFileMasks) {
                    if (foundation::MatchWildcard(entry.name, excludedMask)) {
                        excluded = true;
                        break;
                    }
                }
                if (excluded) {
                    ++ignored;
                    host.SetCounter(Counter::FilesIgnored, ignored);
                    continue;
                }
                if (folderRef == nullptr) {
                    folderRef = out.AddFolder(folder);
                }
                out.push_back(
                    ScanEntry{entry.size, folderRef, entry.name, entry.lastWrite, entry.id});
                host.SetCounter(Counter::FilesScanned, static_cast<std::int64_t>(out.size()));
            }
        }
        if (host.AbortRequested()) {
            break;
        }
        host.SetProgress(static_cast<int>(i * 100 / folderCount));
        host.Yield();
    }

    // Sorting 100,000s of entries takes long enough to freeze a window: done on a worker.
    if (order == ScanOrder::Collated) {
        RunWhileYielding(host, out.size(), locale,
                         [&](const platform::Locale& own) { SortScanList(out, own); });
    } else {
        RunWhileYielding(host, out.size(), [&] { StableSortBySize(out); });
    }
    host.SetProgressDecorations(false);
    host.SetProgress(0);
    host.SetCounter(Counter::FilesIgnored, ignored);
    host.Yield();
    if (ignoredFiles != nullptr) {
        *ignoredFiles = ignored;
    }
}

}  // namespace qm::engine
