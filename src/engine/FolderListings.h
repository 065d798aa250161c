#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "engine/ScanList.h"
#include "platform/FileDate.h"

namespace qm::engine {

// How a walk or a collection lists its folders. The defaults are what a search uses.
struct ListingOptions {
    // Threads that list folders ahead of the calling thread; 0: 2..4 by the CPUs.
    unsigned workerThreads = 0;
    // Folders listed on the calling thread before the workers start: a small tree is walked
    // before threads would pay for themselves. SIZE_MAX: never start them.
    std::size_t inlineFolders = 32;
};

// One folder as its listing left it for the collection.
struct ListedFolder {
    std::unique_ptr<std::string> path;  // ends in the separator; the files point to it
    // True when the files cannot be taken (the listing failed, or their facts could not be had);
    // failure then says why ("Permission denied").
    bool failed = false;
    std::string failure;
    // The regular files that a file mask may take (hidden ones only when hidden files are
    // searched), in listing order, with their facts.
    std::vector<ScanEntry> files;
    // Per file, the time the date window tests, when that is not the last write; else empty.
    std::vector<platform::FileTime> windowTimes;
};

// The folders a walk accepted, in the FolderList's order, each with the files its listing
// showed: the collection takes them over instead of listing every folder again.
struct FolderListings {
    std::vector<ListedFolder> folders;
};

}  // namespace qm::engine
