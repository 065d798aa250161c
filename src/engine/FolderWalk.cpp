#include "engine/FolderWalk.h"

#include <utility>

namespace qm::engine {

namespace {

constexpr std::string_view kScanningFolder = "<B>Scanning Folder:</B> ";
constexpr std::string_view kSkippingFolder = "<B>Skipping Folder:</B> ";

int PathParts(std::string_view path, char delim) {
    const std::string trimmed = foundation::RemoveTrailingBackslash(path, delim);
    return foundation::CountFields(trimmed, std::string_view(&delim, 1));
}

}  // namespace

int SearchFolderBase(std::string_view searchFolder, char delim) {
    return PathParts(searchFolder, delim) - 2;
}

int FolderDepth(std::string_view folder, int base, char delim) {
    return PathParts(folder, delim) - base - 2;
}

FolderWalk::FolderWalk(const SearchCriteria& criteria, SearchHost& host,
                       platform::FileSystem& fileSystem, const platform::Locale& locale)
    : m_criteria(criteria),
      m_host(host),
      m_fileSystem(fileSystem),
      m_locale(locale),
      m_folders(locale, SortedTextList::Duplicates::Ignore, SortedTextList::DuplicateTest::Exact) {}

void FolderWalk::WalkSearchFolders(FolderList& out) {
    m_host.ShowProgress(false);
    m_ignoredFolders = 0;
    m_folders.Clear();
    m_host.SetCounter(Counter::FoldersScanned, 0);
    m_host.SetCounter(Counter::FoldersIgnored, 0);
    // Sorting once at the end gives the same list as keeping it sorted, without moving every
    // later line on each insert; the duplicates rule works the same while suspended.
    m_folders.SuspendSorting();

    std::string path;
    for (const std::string& searchFolder : m_criteria.searchFolders) {
        const int base = SearchFolderBase(searchFolder);
        path = searchFolder;
        WalkFolder(path, base);
    }
    m_folders.ResumeSorting();
    out = m_folders.TakeLines();
}

bool FolderWalk::IsIgnored(const std::string& folder) const {
    for (const std::string& ignored : m_criteria.ignoredFolders) {
        if (m_criteria.ignoreSubFolders) {
            if (!ignored.empty() && folder.find(ignored) != std::string::npos) {
                return true;
            }
        } else if (m_locale.Compare(folder, ignored) == 0) {
            return true;
        }
    }
    return false;
}

bool FolderWalk::IsExcludedByMask(const std::string& folder) const {
    for (const std::string& mask : m_criteria.excludedFolderMasks) {
        if (foundation::MatchWildcard(folder, mask)) {
            return true;
        }
    }
    return false;
}

bool FolderWalk::CheckFolder(const std::string& folder, int base) {
    if (IsIgnored(folder)) {
        return false;
    }
    if (IsExcludedByMask(folder)) {
        return false;
    }
    if (m_criteria.depthLimit > 0 && m_criteria.depthLimit < FolderDepth(folder, base)) {
        return false;
    }
    if (m_folders.Add(folder)) {
        m_host.SetCounter(Counter::FoldersScanned, static_cast<std::int64_t>(m_folders.Count()));
    }
    return true;
}

void FolderWalk::CountIgnored() {
    ++m_ignoredFolders;
    m_host.SetCounter(Counter::FoldersIgnored, m_ignoredFolders);
}

bool FolderWalk::ListForWalk(const std::string& path, std::size_t level, bool searchFolder) {
    if (m_listings.size() <= level) {
        m_listings.resize(level + 1);
    }
    const platform::ListOutcome outcome = m_fileSystem.ListFolderChecked(
        path, platform::ListDetail::KindOnly, m_listings[level], true);
    if (outcome.result == platform::ListResult::Listed) {
        return true;
    }
    CountIgnored();
    Skipped what = Skipped::Folder;
    if (outcome.result == platform::ListResult::PseudoFileSystem) {
        what = Skipped::PseudoFolder;
    } else if (searchFolder) {
        what = Skipped::SearchFolder;
    }
    m_host.ReportSkipped(what, path, outcome.reason);
    m_host.SetStatusPath(kSkippingFolder, path);
    return false;
}

void FolderWalk::WalkFolder(std::string& path, int base) {
    if (ListForWalk(path, 0, true)) {
        WalkListed(path, base, 0);
    }
}

void FolderWalk::WalkListed(std::string& path, int base, std::size_t level) {
    m_host.Yield();
    const std::size_t entryLength = path.size();

    // Checked again here although the parent's listing checked it already: a search folder is
    // checked only here, and this check neither counts nor shows anything.
    CheckFolder(path, base);

    for (const platform::DirEntry& entry : m_listings[level]) {
        if (!m_criteria.includeSubFolders || m_host.AbortRequested()) {
            break;
        }
        if (entry.hidden && !m_criteria.includeHidden) {
            continue;  // not listed at all
        }
        if (entry.kind == platform::EntryKind::Folder && entry.name != "." && entry.name != "..") {
            path += entry.name;
            path += foundation::kPathDelim;
            // Listed before it is judged: a folder that cannot be walked is skipped, not
            // accepted.
            if (ListForWalk(path, level + 1, false)) {
                const bool accepted = CheckFolder(path, base);
                if (!accepted) {
                    CountIgnored();
                }
                m_host.SetStatusPath(accepted ? kScanningFolder : kSkippingFolder, path);
                m_host.Yield();
                WalkListed(path, base, level + 1);
            } else {
                m_host.Yield();
            }
            path.resize(entryLength);
        }
        m_host.Yield();
    }
}

void WalkSearchFolders(const SearchCriteria& criteria, SearchHost& host,
                       platform::FileSystem& fileSystem, FolderList& out,
                       std::int64_t* ignoredFolders, const platform::Locale& locale) {
    FolderWalk walk(criteria, host, fileSystem, locale);
    walk.WalkSearchFolders(out);
    if (ignoredFolders != nullptr) {
        *ignoredFolders = walk.IgnoredFolders();
    }
}

}  // namespace qm::engine
