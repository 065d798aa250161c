#include "engine/FolderWalk.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "engine/FileCollection.h"
#include "engine/YieldingWork.h"
#include "platform/PathRules.h"

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

// The accepted folders by their exact path: an open-addressing table of nodes, with no
// allocation per folder.
struct FolderWalk::AcceptedSet {
    std::vector<Node*> slots = std::vector<Node*>(64, nullptr);
    std::size_t count = 0;

    static std::size_t Hash(const Node& node) {
        return std::hash<std::string_view>{}(*node.folder.path);
    }

    // Adds node unless a node of the same path is in already; true when added.
    bool Insert(Node* node) {
        if (2 * (count + 1) > slots.size()) {
            Grow();
        }
        const std::size_t mask = slots.size() - 1;
        for (std::size_t at = Hash(*node) & mask;; at = (at + 1) & mask) {
            if (slots[at] == nullptr) {
                slots[at] = node;
                ++count;
                return true;
            }
            if (slots[at] == node || *slots[at]->folder.path == *node->folder.path) {
                return false;
            }
        }
    }

    void Grow() {
        std::vector<Node*> old(slots.size() * 2, nullptr);
        old.swap(slots);
        const std::size_t mask = slots.size() - 1;
        for (Node* node : old) {
            if (node != nullptr) {
                std::size_t at = Hash(*node) & mask;
                while (slots[at] != nullptr) {
                    at = (at + 1) & mask;
                }
                slots[at] = node;
            }
        }
    }
};

FolderWalk::FolderWalk(const SearchCriteria& criteria, SearchHost& host,
                       platform::FileSystem& fileSystem, const platform::Locale& locale,
                       const ListingOptions& options)
    : m_criteria(criteria),
      m_host(host),
      m_fileSystem(fileSystem),
      m_locale(locale),
      m_options(options) {}

FolderWalk::~FolderWalk() = default;

void FolderWalk::WalkSearchFolders(FolderList& out) {
    Walk(false);
    out.clear();
    for (const Node* node : SortedAccepted()) {
        out.push_back(*node->folder.path);
    }
    m_pool.reset();
}

void FolderWalk::WalkSearchFolders(FolderListings& out) {
    Walk(true);
    out.folders.clear();
    const std::vector<Node*> sorted = SortedAccepted();
    out.folders.reserve(sorted.size());
    for (Node* node : sorted) {
        out.folders.push_back(std::move(node->folder));
    }
    m_pool.reset();
}

void FolderWalk::Walk(bool keepFiles) {
    m_host.ShowProgress(false);
    m_ignoredFolders = 0;
    m_accepted.clear();
    m_acceptedSet = std::make_unique<AcceptedSet>();
    m_host.SetCounter(Counter::FoldersScanned, 0);
    m_host.SetCounter(Counter::FoldersIgnored, 0);

    ListingPool::Plan plan;
    plan.refusePseudo = true;
    plan.descend = m_criteria.includeSubFolders;
    plan.includeHidden = m_criteria.includeHidden;
    plan.sortKeys = true;
    plan.filesNeeded = [this](const std::string& folder, int base) {
        return !SurelyRejected(folder, base);
    };
    if (keepFiles) {
        m_masks = SplitMaskText(m_criteria.fileMaskText, m_locale);
        plan.wantedFiles = FilesTheMasksMayTake(m_masks, m_criteria.includeHidden);
        plan.windowTime = DateWindowTimeToKeep(m_criteria.dateRange);
    }
    m_pool = std::make_unique<ListingPool>(m_fileSystem, std::move(plan), m_locale, m_options);

    // Every search folder is queued at once: the next may be listed while one is walked.
    std::vector<Node*> roots;
    for (const std::string& searchFolder : m_criteria.searchFolders) {
        roots.push_back(&m_pool->Add(searchFolder, SearchFolderBase(searchFolder)));
    }
    for (Node* root : roots) {
        bool aborted = false;
        Node* listed = TakeForWalk(*root, true, aborted);
        if (aborted || (listed != nullptr && !WalkListed(*listed))) {
            break;
        }
    }
    // Nothing is listed any more.
    m_pool->Stop();
}

std::vector<FolderWalk::Node*> FolderWalk::SortedAccepted() {
    std::vector<Node*> sorted = std::move(m_accepted);
    m_accepted.clear();
    m_acceptedSet.reset();
    // The order of the list: the locale's sort keys, made while listing, then the exact bytes.
    RunWhileYielding(m_host, sorted.size(), [&] {
        std::sort(sorted.begin(), sorted.end(), [](const Node* a, const Node* b) {
            if (const int byKey = a->sortKey.compare(b->sortKey)) {
                return byKey < 0;
            }
            return *a->folder.path < *b->folder.path;
        });
    });
    return sorted;
}

bool FolderWalk::IsIgnored(const std::string& folder) const {
    for (const std::string& ignored : m_criteria.ignoredFolders) {
        if (m_criteria.ignoreSubFolders) {
            if (!ignored.empty() && folder.find(ignored) != std::string::npos) {
                return true;
            }
        } else if (platform::SamePath(folder, ignored, m_locale)) {
            return true;
        }
    }
    return false;
}

bool FolderWalk::SurelyRejected(const std::string& folder, int base) const {
    if (m_criteria.ignoreSubFolders) {
        for (const std::string& ignored : m_criteria.ignoredFolders) {
            if (!ignored.empty() && folder.find(ignored) != std::string::npos) {
                return true;
            }
        }
    }
    for (const std::string& mask : m_criteria.excludedFolderMasks) {
        if (foundation::MatchWildcard(folder, mask)) {
            return true;
        }
    }
    return m_criteria.depthLimit > 0 && m_criteria.depthLimit < FolderDepth(folder, base);
}

bool FolderWalk::CheckFolder(Node& node) {
    const std::string& folder = *node.folder.path;
    // The ignore list first: on Windows its case folding needs the locale, which only this
    // thread has.
    if (IsIgnored(folder) || SurelyRejected(folder, node.base)) {
        std::vector<ScanEntry>().swap(node.folder.files);  // never collected
        return false;
    }
    if (m_acceptedSet->Insert(&node)) {
        m_accepted.push_back(&node);
        m_host.SetCounter(Counter::FoldersScanned, static_cast<std::int64_t>(m_accepted.size()));
    }
    return true;
}

void FolderWalk::CountIgnored() {
    ++m_ignoredFolders;
    m_host.SetCounter(Counter::FoldersIgnored, m_ignoredFolders);
}

FolderWalk::Node* FolderWalk::TakeForWalk(Node& node, bool searchFolder, bool& aborted) {
    Node* listed = m_pool->Take(node, m_host);
    if (listed == nullptr) {
        aborted = true;
        return nullptr;
    }
    if (listed->error) {
        std::rethrow_exception(listed->error);
    }
    if (listed->result == platform::ListResult::Listed) {
        return listed;
    }
    CountIgnored();
    Skipped what = Skipped::Folder;
    if (listed->result == platform::ListResult::PseudoFileSystem) {
        what = Skipped::PseudoFolder;
    } else if (searchFolder) {
        what = Skipped::SearchFolder;
    }
    m_host.ReportSkipped(what, *listed->folder.path, listed->reason);
    m_host.SetStatusPath(kSkippingFolder, *listed->folder.path);
    return nullptr;
}

bool FolderWalk::WalkListed(Node& node) {
    m_host.Yield();
    // Checked again here although the parent's listing checked it already: a search folder is
    // checked only here, and this check neither counts nor shows anything.
    CheckFolder(node);

    bool walking = true;
    std::size_t nextChild = 0;
    // Only a walk of sub folders keeps the entries; without, it stops before the first.
    for (const ListingPool::Item item : node.items) {
        if (m_host.AbortRequested()) {
            break;
        }
        if (item == ListingPool::Item::Hidden) {
            continue;  // not listed at all
        }
        if (item == ListingPool::Item::Folder) {
            Node& sub = *node.children[nextChild++];
            bool aborted = false;
            // Listed before it is judged: a folder that cannot be walked is skipped, not
            // accepted.
            Node* listed = TakeForWalk(sub, false, aborted);
            if (aborted) {
                walking = false;
                break;
            }
            if (listed != nullptr) {
                const bool accepted = CheckFolder(sub);
                if (!accepted) {
                    CountIgnored();
                }
                m_host.SetStatusPath(accepted ? kScanningFolder : kSkippingFolder,
                                     *sub.folder.path);
                m_host.Yield();
                if (!WalkListed(sub)) {
                    walking = false;
                    break;
                }
            } else {
                m_host.Yield();
            }
        }
        m_host.Yield();
    }
    ListingPool::ReleaseWalkData(node);
    return walking;
}

void WalkSearchFolders(const SearchCriteria& criteria, SearchHost& host,
                       platform::FileSystem& fileSystem, FolderList& out,
                       std::int64_t* ignoredFolders, const platform::Locale& locale,
                       const ListingOptions& options) {
    FolderWalk walk(criteria, host, fileSystem, locale, options);
    walk.WalkSearchFolders(out);
    if (ignoredFolders != nullptr) {
        *ignoredFolders = walk.IgnoredFolders();
    }
}

void WalkSearchFolders(const SearchCriteria& criteria, SearchHost& host,
                       platform::FileSystem& fileSystem, FolderListings& out,
                       std::int64_t* ignoredFolders, const platform::Locale& locale,
                       const ListingOptions& options) {
    FolderWalk walk(criteria, host, fileSystem, locale, options);
    walk.WalkSearchFolders(out);
    if (ignoredFolders != nullptr) {
        *ignoredFolders = walk.IgnoredFolders();
    }
}

}  // namespace qm::engine
