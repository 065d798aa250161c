#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FileRecords.h"
#include "engine/FolderListings.h"
#include "engine/ListingPool.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchHost.h"
#include "foundation/Globals.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"

namespace qm::engine {

// The base value B of a search folder: its number of separator-delimited parts (after the
// trailing separator is removed, a root keeping its own) minus 2.
int SearchFolderBase(std::string_view searchFolder, char delim = foundation::kPathDelim);

// The depth of folder below the search folder whose base is base: parts(folder) - base - 2. The
// search folder has depth 0, its sub folders depth 1. A root keeps its separator, so it counts as
// many parts as a folder directly below it: below "/" (or "C:\") the direct sub folders have
// depth 0 too, and the next level 1.
int FolderDepth(std::string_view folder, int base, char delim = foundation::kPathDelim);

// The first stage of a search: walks every search folder (and, when asked, every folder below
// it) and gathers the folders that pass the ignore, mask and depth rules.
//
// Rules for a folder path F (ending in the separator), first match rejects:
//  1. ignored: with ignoreSubFolders, some ignored folder occurs in F (exact bytes), which takes
//     in the folders below it; otherwise F collates equal to an ignored folder;
//  2. some excluded folder mask matches F;
//  3. depthLimit > 0 and FolderDepth(F) > depthLimit.
// Rejected folders are still descended into; every folder below them is judged on its own.
// Only real folders are entered: a symbolic link is never followed (a link to its own parent
// would loop for ever). Hidden entries are skipped unless includeHidden.
// A folder that cannot be listed, or that lies on a pseudo file system (proc, sysfs and the
// like, whose sizes do not describe their contents), is skipped before the rules: neither
// accepted nor descended into, counted with the ignored folders and named to the host
// (ReportSkipped). A search folder counts the same way.
//
// Reports FoldersScanned (accepted folders so far) and FoldersIgnored (sub folders rejected or
// skipped) to the host, and "<B>Scanning Folder:</B> " / "<B>Skipping Folder:</B> " with each
// sub folder (and with a skipped search folder). Yields at the start of every level, after each
// sub folder's status and after every listed entry. An abort request ends every open level at
// its next entry.
//
// Folders are listed ahead on worker threads (ListingPool), each once; the host hears of them
// in the order of a walk that lists each folder when it reaches it, and only on the calling
// thread. While a listing it needs is still being made, the walk yields every few
// milliseconds and stops when an abort is requested meanwhile.
//
// The criteria, host, file system and locale must outlive the walk.
class FolderWalk {
public:
    FolderWalk(const SearchCriteria& criteria, SearchHost& host, platform::FileSystem& fileSystem,
               const platform::Locale& locale, const ListingOptions& options = {});
    ~FolderWalk();
    FolderWalk(const FolderWalk&) = delete;
    FolderWalk& operator=(const FolderWalk&) = delete;

    // Walks every search folder in order. out is replaced by the accepted folders, each once
    // (exact bytes: /a/Foo/ and /a/foo/ are two folders) in the locale's case-insensitive order,
    // ties by bytes.
    void WalkSearchFolders(FolderList& out);

    // As above, and keeps what the collection needs of each accepted folder: the regular files
    // that the file masks of the criteria may take, with their facts, so that the collection
    // lists no folder again.
    void WalkSearchFolders(FolderListings& out);

    // Folders rejected or skipped so far.
    std::int64_t IgnoredFolders() const { return m_ignoredFolders; }

private:
    struct AcceptedSet;
    using Node = ListingPool::Node;

    void Walk(bool keepFiles);
    bool IsIgnored(const std::string& folder) const;
    // The folder check; keeps an accepted folder (once). True when accepted.
    bool CheckFolder(Node& node);
    // Whether folder is rejected by the rules that need no locale (so any thread may ask).
    bool SurelyRejected(const std::string& folder, int base) const;
    // Takes node's listing. A folder that gives nothing to walk is counted, shown and named as
    // skipped; null then, and also when an abort was requested while it was awaited.
    Node* TakeForWalk(Node& node, bool searchFolder, bool& aborted);
    // One level whose listing is made: checks it, then walks its sub folders. False when the
    // walk was given up for an abort.
    bool WalkListed(Node& node);
    void CountIgnored();
    // The accepted folders in the list's order.
    std::vector<Node*> SortedAccepted();

    const SearchCriteria& m_criteria;
    SearchHost& m_host;
    platform::FileSystem& m_fileSystem;
    const platform::Locale& m_locale;
    const ListingOptions m_options;
    std::vector<std::string> m_masks;
    std::unique_ptr<ListingPool> m_pool;
    std::vector<Node*> m_accepted;  // in the order they were accepted
    std::unique_ptr<AcceptedSet> m_acceptedSet;
    std::int64_t m_ignoredFolders = 0;
};

// Runs a FolderWalk. ignoredFolders, when given, receives the number of rejected and skipped
// folders.
void WalkSearchFolders(const SearchCriteria& criteria, SearchHost& host,
                       platform::FileSystem& fileSystem, FolderList& out,
                       std::int64_t* ignoredFolders = nullptr,
                       const platform::Locale& locale = platform::UserLocale(),
                       const ListingOptions& options = {});

// The same, keeping each accepted folder's files for the collection (see FolderWalk).
void WalkSearchFolders(const SearchCriteria& criteria, SearchHost& host,
                       platform::FileSystem& fileSystem, FolderListings& out,
                       std::int64_t* ignoredFolders = nullptr,
                       const platform::Locale& locale = platform::UserLocale(),
                       const ListingOptions& options = {});

}  // namespace qm::engine
