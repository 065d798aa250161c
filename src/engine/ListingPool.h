#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/FolderListings.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchHost.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"

namespace qm::engine {

// Lists folders on worker threads ahead of the calling thread, which takes the listings one by
// one in its own order (a walk's depth-first order, or a list's) and alone talks to the host.
// Listing many small folders is mostly time in the kernel; spread over the cores it overlaps,
// while what the user sees is made in the same order as by listing each folder when it is due.
//
// The first folders are listed on the calling thread itself (ListingOptions::inlineFolders):
// a small tree is done before threads would pay. Workers never call the host; the file system
// must allow calls from several threads. The pool keeps every node until it is destroyed.
class ListingPool {
public:
    // What a listing keeps of a folder. Called on the thread that lists.
    struct Plan {
        bool refusePseudo = false;
        // Folder entries become child nodes, queued for listing in turn (a walk of sub folders).
        bool descend = false;
        bool includeHidden = true;
        // The regular files that the collection may take; null: no files are kept and no facts
        // fetched.
        platform::FileSystem::WantedFiles wantedFiles;
        // Whether a folder's files may be wanted at all (false for a folder the walk will
        // surely reject); null: always.
        std::function<bool(const std::string& folder, int base)> filesNeeded;
        // The time the date window tests, kept per file when it is not the last write.
        std::optional<DateKind> windowTime;
        // Whether nodes get the locale's sort key of their path (for folders whose files may be
        // wanted): the walk orders its folders by them.
        bool sortKeys = false;
    };

    // What a listed entry means to a walk that descends.
    enum class Item : std::uint8_t {
        Entry,   // a file or anything else: looked at, nothing to walk
        Hidden,  // a hidden entry while hidden ones are left out: skipped
        Folder,  // a sub folder: its node is the next of children
    };

    struct Node {
        ListedFolder folder;  // path, files and failure as the collection takes them
        int base = 0;         // the search folder's base value (depth rule)
        platform::ListResult result = platform::ListResult::Listed;
        std::string reason;  // why it gave nothing, unless Listed
        std::string sortKey;
        std::vector<Item> items;      // every listed entry, in order; descending plans only
        std::vector<Node*> children;  // the nodes of the Folder items, in order
        std::exception_ptr error;     // the listing threw this

    private:
        friend class ListingPool;
        enum class State : std::uint8_t { Pending, Listing, Done };
        State m_state = State::Pending;
    };

    // The plan's functions, the file system and locale must outlive the pool.
    ListingPool(platform::FileSystem& fileSystem, Plan plan, const platform::Locale& locale,
                const ListingOptions& options);
    ~ListingPool();
    ListingPool(const ListingPool&) = delete;
    ListingPool& operator=(const ListingPool&) = delete;

    // Queues folder (ending in the separator) behind the folders added before it.
    Node& Add(std::string folder, int base);

    // Node once it is listed; waits for it while a worker lists it, letting the host yield every
    // few milliseconds. Null when the host asked for an abort during such a wait; the workers
    // then stop after the folder in hand, and later Takes list on the calling thread.
    Node* Take(Node& node, SearchHost& host);

    // Drops what only a walk needs of node (items and children).
    static void ReleaseWalkData(Node& node);

    // Stops the workers (they finish the folder in hand); later Takes list on the calling thread.
    void Stop();

private:
    struct Lister;

    void StartWorkers();
    void WorkerLoop(Lister& lister);
    // Lists node and fills it in, on the calling thread of lister.
    void List(Node& node, Lister& lister);
    void Finish(Node& node);

    platform::FileSystem& m_fileSystem;
    const Plan m_plan;
    const platform::Locale& m_locale;
    const ListingOptions m_options;

    std::mutex m_mutex;
    std::condition_variable m_workReady;  // workers wait for nodes
    std::condition_variable m_nodeDone;   // the calling thread waits for m_awaited
    std::vector<Node*> m_stack;           // sub folders, the latest found first
    std::deque<Node*> m_queue;            // added folders, in order
    const Node* m_awaited = nullptr;
    bool m_stopping = false;
    std::size_t m_listedInline = 0;
    bool m_workersStarted = false;

    std::unique_ptr<Lister> m_callerLister;
    std::vector<std::unique_ptr<Lister>> m_workerListers;
    std::vector<std::thread> m_workers;
};

}  // namespace qm::engine
