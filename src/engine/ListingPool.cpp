#include "engine/ListingPool.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "engine/YieldingWork.h"
#include "foundation/Globals.h"

namespace qm::engine {

namespace {

unsigned WorkerCount(const ListingOptions& options) {
    if (options.workerThreads != 0) {
        return options.workerThreads;
    }
    // Listing waits for the disk as often as it keeps a core busy: a few more threads than cores.
    return std::clamp(2 * std::thread::hardware_concurrency(), 2u, 4u);
}

bool WantNothing(std::string_view, bool) {
    return false;
}

}  // namespace

// What one thread needs to list: its buffers, its locale and the nodes it made.
struct ListingPool::Lister {
    std::deque<Node> nodes;  // stable addresses: other threads hold pointers to them
    std::vector<platform::DirEntry> entries;
    std::string factsFailure;
    std::unique_ptr<platform::Locale> ownLocale;
    const platform::Locale* locale = nullptr;
};

ListingPool::ListingPool(platform::FileSystem& fileSystem, Plan plan,
                         const platform::Locale& locale, const ListingOptions& options)
    : m_fileSystem(fileSystem),
      m_plan(std::move(plan)),
      m_locale(locale),
      m_options(options),
      m_callerLister(std::make_unique<Lister>()) {
    m_callerLister->locale = &m_locale;
}

ListingPool::~ListingPool() {
    Stop();
}

void ListingPool::Stop() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_workReady.notify_all();
    for (std::thread& worker : m_workers) {
        worker.join();
    }
    m_workers.clear();
}

ListingPool::Node& ListingPool::Add(std::string folder, int base) {
    Node& node = m_callerLister->nodes.emplace_back();
    node.folder.path = std::make_unique<std::string>(std::move(folder));
    node.base = base;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(&node);
    }
    m_workReady.notify_one();
    return node;
}

void ListingPool::ReleaseWalkData(Node& node) {
    std::vector<Item>().swap(node.items);
    std::vector<Node*>().swap(node.children);
}

void ListingPool::StartWorkers() {
    // Made on this thread: a Locale must not be shared, and its name is read here.
    const std::string localeName = m_plan.sortKeys ? m_locale.Name() : std::string();
    const unsigned count = WorkerCount(m_options);
    m_workersStarted = true;
    for (unsigned i = 0; i < count; ++i) {
        auto lister = std::make_unique<Lister>();
        if (m_plan.sortKeys) {
            lister->ownLocale = platform::CreateLocale(localeName);
            lister->locale = lister->ownLocale.get();
        }
        Lister& own = *lister;
        m_workerListers.push_back(std::move(lister));
        try {
            m_workers.emplace_back([this, &own] { WorkerLoop(own); });
        } catch (const std::system_error&) {
            break;  // as many as the system gives; none: the calling thread lists on
        }
    }
}

void ListingPool::WorkerLoop(Lister& lister) {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_workReady.wait(lock, [&] { return m_stopping || !m_stack.empty() || !m_queue.empty(); });
        if (m_stopping) {
            return;
        }
        Node* node = nullptr;
        if (!m_stack.empty()) {
            node = m_stack.back();
            m_stack.pop_back();
        } else {
            node = m_queue.front();
            m_queue.pop_front();
        }
        if (node->m_state != Node::State::Pending) {
            continue;  // promoted, and taken from its other place already
        }
        node->m_state = Node::State::Listing;
        lock.unlock();
        List(*node, lister);
        lock.lock();
        Finish(*node);
    }
}

void ListingPool::Finish(Node& node) {
    // Sub folders go on top, the first one last, so that the walk's next folders come first.
    for (auto it = node.children.rbegin(); it != node.children.rend(); ++it) {
        m_stack.push_back(*it);
    }
    node.m_state = Node::State::Done;
    if (!node.children.empty()) {
        m_workReady.notify_all();
    }
    if (&node == m_awaited) {
        m_nodeDone.notify_one();
    }
}

ListingPool::Node* ListingPool::Take(Node& node, SearchHost& host) {
    std::unique_lock<std::mutex> lock(m_mutex);
    bool promoted = false;
    for (;;) {
        if (node.m_state == Node::State::Done) {
            m_awaited = nullptr;
            return &node;
        }
        // Without workers (not yet started, none to be had, or stopped) the calling thread lists.
        if (node.m_state == Node::State::Pending && (m_workers.empty() || m_stopping)) {
            node.m_state = Node::State::Listing;
            lock.unlock();
            List(node, *m_callerLister);
            const bool startNow =
                !m_workersStarted && !m_stopping && ++m_listedInline >= m_options.inlineFolders;
            if (startNow) {
                StartWorkers();
            }
            lock.lock();
            Finish(node);
            continue;
        }
        if (node.m_state == Node::State::Pending && !promoted) {
            // Needed now: ahead of every folder found since.
            m_stack.push_back(&node);
            promoted = true;
            m_workReady.notify_one();
        }
        // Listed by a worker, or soon to be.
        m_awaited = &node;
        if (!m_nodeDone.wait_for(lock, kYieldingWorkInterval,
                                 [&] { return node.m_state == Node::State::Done; })) {
            lock.unlock();
            host.Yield();
            const bool abort = host.AbortRequested();
            lock.lock();
            if (abort && node.m_state != Node::State::Done) {
                m_awaited = nullptr;
                // Nothing more is wanted: the workers stop after the folder in hand.
                m_stopping = true;
                m_workReady.notify_all();
                return nullptr;
            }
        }
    }
}

void ListingPool::List(Node& node, Lister& lister) {
    try {
        const std::string& path = *node.folder.path;
        const bool needed = !m_plan.filesNeeded || m_plan.filesNeeded(path, node.base);
        const bool keepFiles = m_plan.wantedFiles && needed;
        platform::ListOutcome outcome;
        lister.factsFailure.clear();
        if (m_plan.wantedFiles) {
            static const platform::FileSystem::WantedFiles kNothing = WantNothing;
            outcome = m_fileSystem.ListFolderWithFacts(
                path, keepFiles ? m_plan.wantedFiles : kNothing, lister.entries,
                m_plan.refusePseudo, lister.factsFailure);
        } else {
            outcome = m_fileSystem.ListFolderChecked(path, platform::ListDetail::KindOnly,
                                                     lister.entries, m_plan.refusePseudo);
        }
        node.result = outcome.result;
        if (outcome.result != platform::ListResult::Listed) {
            node.reason = outcome.reason;
            node.folder.failed = true;
            node.folder.failure = outcome.reason;
            return;
        }
        if (keepFiles && !lister.factsFailure.empty()) {
            node.folder.failed = true;
            node.folder.failure = lister.factsFailure;
        }
        if (m_plan.sortKeys && needed) {
            node.sortKey = lister.locale->SortKey(path);
        }
        const bool takeFiles = keepFiles && !node.folder.failed;
        if (m_plan.descend) {
            node.items.reserve(lister.entries.size());
        }
        for (const platform::DirEntry& entry : lister.entries) {
            if (m_plan.descend) {
                Item item = Item::Entry;
                if (entry.hidden && !m_plan.includeHidden) {
                    item = Item::Hidden;
                } else if (entry.kind == platform::EntryKind::Folder && entry.name != "." &&
                           entry.name != "..") {
                    item = Item::Folder;
                    Node& child = lister.nodes.emplace_back();
                    std::string childPath;
                    childPath.reserve(path.size() + entry.name.size() + 1);
                    childPath.append(path).append(entry.name).push_back(foundation::kPathDelim);
                    child.folder.path = std::make_unique<std::string>(std::move(childPath));
                    child.base = node.base;
                    node.children.push_back(&child);
                }
                node.items.push_back(item);
            }
            if (takeFiles && entry.kind == platform::EntryKind::RegularFile &&
                m_plan.wantedFiles(entry.name, entry.hidden)) {
                node.folder.files.push_back(ScanEntry{entry.size, node.folder.path.get(),
                                                      entry.name, entry.lastWrite, entry.id});
                if (m_plan.windowTime) {
                    node.folder.windowTimes.push_back(*m_plan.windowTime == DateKind::Created
                                                          ? entry.creation
                                                          : entry.lastAccess);
                }
            }
        }
        // Every listed folder's files stay until the walk ends: growth's spare room would add
        // up to a quarter of the records over a whole tree.
        node.folder.files.shrink_to_fit();
        node.children.shrink_to_fit();
    } catch (...) {
        node.error = std::current_exception();
    }
}

}  // namespace qm::engine
