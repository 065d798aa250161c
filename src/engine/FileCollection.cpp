#include "engine/FileCollection.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include "engine/Grouping.h"
#include "engine/ListingPool.h"
#include "engine/YieldingWork.h"
#include "foundation/Globals.h"

namespace qm::engine {

namespace {

constexpr std::string_view kScanningFile = "<B>Scanning File:</B> ";

bool MatchesEveryName(std::string_view mask) {
    return mask == "*" || mask == "*.*";
}

// time: the file time the window tests.
bool InDateWindow(platform::FileTime time, const FileDateRange& range) {
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

platform::FileSystem::WantedFiles FilesTheMasksMayTake(std::vector<std::string> masks,
                                                       bool includeHidden) {
    return [masks = std::move(masks), includeHidden](std::string_view name, bool hidden) {
        if (hidden && !includeHidden) {
            return false;
        }
        return std::any_of(masks.begin(), masks.end(), [&](const std::string& mask) {
            return MatchesListingPattern(name, mask);
        });
    };
}

namespace {

// What the two ways to collect share: the tests of every file, the counters, the order.
class Collector {
public:
    Collector(const SearchCriteria& criteria, SearchHost& host, const platform::Locale& locale,
              ScanList& out)
        : m_criteria(criteria),
          m_host(host),
          m_locale(locale),
          m_out(out),
          m_masks(SplitMaskText(criteria.fileMaskText, locale)),
          m_minBytes(criteria.MinSizeBytes()),
          m_maxBytes(criteria.MaxSizeBytes()) {
        m_out.clear();
        m_host.ShowProgress(true);
        m_host.SetCounter(Counter::FilesIgnored, 0);
        m_host.SetProgressDecorations(true);
        m_host.SetProgress(0);
    }

    const std::vector<std::string>& Masks() const { return m_masks; }

    // One folder, mask by mask. take() gives its listing when the first mask needs it (not at
    // all after an abort), or null when an abort was requested while it was awaited.
    template <typename Take>
    void Folder(Take&& take) {
        ListedFolder* folder = nullptr;
        const std::string* folderText = nullptr;
        bool adopted = false;
        for (const std::string& mask : m_masks) {
            if (m_host.AbortRequested()) {
                break;
            }
            if (folder == nullptr) {
                folder = take();
                if (folder == nullptr) {
                    break;
                }
                folderText = folder->path.get();
                if (folder->failed) {
                    // Listed by the walk moments ago; gone or locked since.
                    m_host.ReportSkipped(Skipped::Folder, *folderText, folder->failure);
                }
            }
            if (folder->failed) {
                break;  // every mask would fail alike
            }
            const bool everyName = MatchesEveryName(mask);
            for (std::size_t i = 0; i < folder->files.size(); ++i) {
                const ScanEntry& entry = folder->files[i];
                if (!everyName && !MatchesListingPattern(entry.name, mask)) {
                    continue;
                }
                m_path.assign(*folderText);
                m_path += entry.name;
                m_host.SetStatusPath(kScanningFile, m_path);

                bool passes = true;
                if (m_minBytes && entry.size < *m_minBytes) {
                    passes = false;
                }
                if (m_maxBytes && entry.size > *m_maxBytes) {
                    passes = false;
                }
                if (passes && m_criteria.dateRange.enabled &&
                    !InDateWindow(
                        folder->windowTimes.empty() ? entry.lastWrite : folder->windowTimes[i],
                        m_criteria.dateRange)) {
                    passes = false;
                }
                if (!passes || IsExcludedFile(entry.name)) {
                    ++m_ignored;
                    m_host.SetCounter(Counter::FilesIgnored, m_ignored);
                    continue;
                }
                if (!adopted) {
                    // The list keeps the folder's text; every file of it points there.
                    m_out.AdoptFolder(std::move(folder->path));
                    adopted = true;
                }
                m_out.push_back(entry);
                m_host.SetCounter(Counter::FilesScanned, static_cast<std::int64_t>(m_out.size()));
            }
        }
        if (folder != nullptr) {
            std::vector<ScanEntry>().swap(folder->files);
            std::vector<platform::FileTime>().swap(folder->windowTimes);
        }
    }

    void Finish(ScanOrder order, std::int64_t* ignoredFiles) {
        // Room reserved for files the tests then refused is given back (it would stay for the
        // whole comparison).
        if (m_out.Entries().capacity() - m_out.size() > m_out.size() / 4) {
            m_out.shrink_to_fit();
        }
        // Sorting 100,000s of entries takes long enough to freeze a window: done on a worker.
        if (order == ScanOrder::Collated) {
            RunWhileYielding(m_host, m_out.size(), m_locale,
                             [&](const platform::Locale& own) { SortScanList(m_out, own); });
        } else {
            RunWhileYielding(m_host, m_out.size(), [&] { StableSortBySize(m_out); });
        }
        m_host.SetProgressDecorations(false);
        m_host.SetProgress(0);
        m_host.SetCounter(Counter::FilesIgnored, m_ignored);
        m_host.Yield();
        if (ignoredFiles != nullptr) {
            *ignoredFiles = m_ignored;
        }
    }

private:
    bool IsExcludedFile(std::string_view name) const {
        for (const std::string& excludedMask : m_criteria.excludedFileMasks) {
            if (foundation::MatchWildcard(name, excludedMask)) {
                return true;
            }
        }
        return false;
    }

    const SearchCriteria& m_criteria;
    SearchHost& m_host;
    const platform::Locale& m_locale;
    ScanList& m_out;
    const std::vector<std::string> m_masks;
    const std::optional<std::int64_t> m_minBytes;
    const std::optional<std::int64_t> m_maxBytes;
    std::int64_t m_ignored = 0;
    std::string m_path;
};

}  // namespace

std::optional<DateKind> DateWindowTimeToKeep(const FileDateRange& range) {
    if (range.enabled && (range.kind == DateKind::Created || range.kind == DateKind::Accessed)) {
        return range.kind;
    }
    return std::nullopt;
}

void CollectFiles(const FolderList& folders, const SearchCriteria& criteria, SearchHost& host,
                  platform::FileSystem& fileSystem, const platform::Locale& locale, ScanList& out,
                  std::int64_t* ignoredFiles, ScanOrder order, const ListingOptions& options) {
    Collector collector(criteria, host, locale, out);
    ListingPool::Plan plan;
    plan.wantedFiles = FilesTheMasksMayTake(collector.Masks(), criteria.includeHidden);
    plan.windowTime = DateWindowTimeToKeep(criteria.dateRange);
    ListingPool pool(fileSystem, std::move(plan), locale, options);
    std::vector<ListingPool::Node*> nodes;
    if (!collector.Masks().empty()) {  // without a mask nothing is listed
        nodes.reserve(folders.size());
        for (const std::string& folder : folders) {
            nodes.push_back(&pool.Add(foundation::AddTrailingBackslash(folder), 0));
        }
    }
    const std::size_t folderCount = folders.size();
    for (std::size_t i = 0; i < folderCount; ++i) {
        collector.Folder([&]() -> ListedFolder* {
            ListingPool::Node* node = pool.Take(*nodes[i], host);
            if (node == nullptr) {
                return nullptr;
            }
            if (node->error) {
                std::rethrow_exception(node->error);
            }
            return &node->folder;
        });
        if (host.AbortRequested()) {
            break;
        }
        host.SetProgress(static_cast<int>(i * 100 / folderCount));
        host.Yield();
    }
    pool.Stop();
    collector.Finish(order, ignoredFiles);
}

void CollectFiles(FolderListings&& listings, const SearchCriteria& criteria, SearchHost& host,
                  const platform::Locale& locale, ScanList& out, std::int64_t* ignoredFiles,
                  ScanOrder order) {
    FolderListings taken = std::move(listings);
    Collector collector(criteria, host, locale, out);
    // Room for every listed file at once: growing by doubling would hold the old and the new
    // array together, half again the records' memory, at the largest moment of a search.
    std::size_t listedFiles = 0;
    for (const ListedFolder& folder : taken.folders) {
        listedFiles += folder.files.size();
    }
    out.reserve(listedFiles);
    const std::size_t folderCount = taken.folders.size();
    for (std::size_t i = 0; i < folderCount; ++i) {
        collector.Folder([&] { return &taken.folders[i]; });
        if (host.AbortRequested()) {
            break;
        }
        host.SetProgress(static_cast<int>(i * 100 / folderCount));
        host.Yield();
    }
    collector.Finish(order, ignoredFiles);
}

}  // namespace qm::engine
