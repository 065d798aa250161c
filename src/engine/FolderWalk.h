#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FileRecords.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchHost.h"
#include "engine/SortedTextList.h"
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
// The criteria, host, file system and locale must outlive the walk.
class FolderWalk {
public:
    FolderWalk(const SearchCriteria& criteria, SearchHost& host, platform::FileSystem& fileSystem,
               const platform::Locale& locale);

    // Walks every search folder in order. out is replaced by the accepted folders, each once
    // (exact bytes: /a/Foo/ and /a/foo/ are two folders) in the locale's case-insensitive order,
    // ties by bytes.
    void WalkSearchFolders(FolderList& out);

    // The walk from one search folder: path ends in the separator on entry and is back to its
    // entry length on return.
    void WalkFolder(std::string& path, int base);

    // The folder check; adds an accepted folder to the list. True when accepted.
    bool CheckFolder(const std::string& folder, int base);

    // Folders rejected or skipped so far.
    std::int64_t IgnoredFolders() const { return m_ignoredFolders; }

private:
    bool IsIgnored(const std::string& folder) const;
    bool IsExcludedByMask(const std::string& folder) const;
    // Lists path into the listing of level. A folder that gives nothing to walk is counted,
    // shown and named as skipped; false then.
    bool ListForWalk(const std::string& path, std::size_t level, bool searchFolder);
    // One level whose listing is made: checks path, then walks its sub folders.
    void WalkListed(std::string& path, int base, std::size_t level);
    void CountIgnored();

    const SearchCriteria& m_criteria;
    SearchHost& m_host;
    platform::FileSystem& m_fileSystem;
    const platform::Locale& m_locale;
    SortedTextList m_folders;
    std::int64_t m_ignoredFolders = 0;
    // One listing per level of the walk, reused from folder to folder (a deque: a deeper level
    // is added while the listings above it are being read).
    std::deque<std::vector<platform::DirEntry>> m_listings;
};

// Runs a FolderWalk. ignoredFolders, when given, receives the number of rejected and skipped
// folders.
void WalkSearchFolders(const SearchCriteria& criteria, SearchHost& host,
                       platform::FileSystem& fileSystem, FolderList& out,
                       std::int64_t* ignoredFolders = nullptr,
                       const platform::Locale& locale = platform::UserLocale());

}  // namespace qm::engine
