#include "engine/ContentComparison.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>
#include <utility>

#include "engine/YieldingWork.h"
#include "foundation/CRC32.h"

namespace qm::engine {

namespace {

constexpr const char* kChecksumStatus = "Generating 32 bit CRC of possible duplicate files. ";

// Memory one worker may spend on chunk buffers of one candidate set (at least two chunks).
// Large chunks matter on a spinning disk, where every switch between the files of a set is a seek.
constexpr std::size_t kChunkBudget = 16u << 20;
constexpr std::size_t kMinChunk = 64u << 10;

// How often the calling thread looks at the host while a worker reads a large file.
constexpr auto kHostPollInterval = std::chrono::milliseconds(20);

// Reads up to length bytes, fewer only at the end of the file. -1 on a read error.
std::int64_t ReadFully(platform::ReadableFile& file, char* buffer, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        const std::int64_t got = file.Read(buffer + done, length - done);
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return static_cast<std::int64_t>(done);
}

std::uint32_t Crc(const char* data, std::size_t length, std::uint32_t reg = 0) {
    foundation::UpdateChecksumFast(data, length, reg);
    return reg;
}

unsigned WorkerCount(const ReadOptions& options, std::size_t tasks) {
    unsigned workers = options.workerThreads;
    // Reading overlaps waiting for the disk with comparing: a few more threads than cores pay.
    if (workers == 0) {
        workers = std::clamp(2 * std::thread::hardware_concurrency(), 2u, 4u);
    }
    return static_cast<unsigned>(std::min<std::size_t>(workers, std::max<std::size_t>(tasks, 1)));
}

// A reusable buffer that is never zeroed: every byte used is read into it first.
class RawBuffer {
public:
    char* Reserve(std::size_t length) {
        if (m_size < length) {
            m_data.reset();
            m_data.reset(new char[length]);
            m_size = length;
        }
        return m_data.get();
    }
    char* Data() const { return m_data.get(); }

private:
    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
};

// Why a file of a group was not compared to its end.
struct Failure {
    enum class Kind : std::uint8_t {
        None,
        CannotOpen,    // error says why
        Link,          // the path names a symbolic link now
        NotRegular,    // the path names a folder, FIFO, device... now
        NotListed,     // opened, it is another file than the one listed, or changed since
        ReadError,     // error says why
        Changed,       // written while it was read
        SizeMismatch,  // its content ends before or runs past its size (pseudo files)
    };
    Kind kind = Kind::None;
    int error = 0;
};

// The text the host is given for a failure.
std::string FailureText(const Failure& failure) {
    switch (failure.kind) {
        case Failure::Kind::None:
            break;
        case Failure::Kind::CannotOpen:
            return failure.error != 0 ? std::strerror(failure.error) : "cannot be opened";
        case Failure::Kind::Link:
            return "replaced by a symbolic link";
        case Failure::Kind::NotRegular:
            return "no longer a regular file";
        case Failure::Kind::NotListed:
            return "changed since it was listed";
        case Failure::Kind::ReadError:
            return failure.error != 0 ? std::strerror(failure.error) : "read error";
        case Failure::Kind::Changed:
            return "changed while it was read";
        case Failure::Kind::SizeMismatch:
            return "content does not match its listed size";
    }
    return {};
}

// The outcome of comparing one candidate group.
struct GroupOutcome {
    struct Class {
        std::vector<std::size_t> members;  // indices into the group's files, ascending
        std::uint32_t checksum = 0;
    };
    std::vector<Class> classes;
    std::vector<Failure> failures;  // one per file; helper threads write their own files'
    bool aborted = false;
    std::exception_ptr error;
};

// Whether an opened file is the file the listing saw: same device and file id (unless the
// record has none), size and last write.
bool IsListedFile(const platform::FileFacts& facts, const ScanEntry& entry) {
    const bool knownId = entry.id.device != 0 || entry.id.inode != 0;
    return facts.exists && facts.kind == platform::EntryKind::RegularFile &&
           facts.size == entry.size && facts.lastWrite == entry.lastWrite &&
           (!knownId || facts.id == entry.id);
}

// Whether a file opened again, or looked at after its last read, is still as it was opened.
// The change time moves with every write and cannot be set back, unlike the last write.
bool Unchanged(const platform::FileFacts& now, const platform::FileFacts& opened) {
    return now.exists && now.id == opened.id && now.size == opened.size &&
           now.lastWrite == opened.lastWrite && now.change == opened.change;
}

// Splits one group of same-size files into classes of byte-identical files. One per worker
// thread; it keeps its buffers between groups.
class GroupComparer {
public:
    GroupComparer(platform::FileSystem& fileSystem, platform::FileSystem::FolderCache* folders,
                  const ReadOptions& options, const std::atomic<bool>& stop)
        : m_fileSystem(fileSystem), m_folders(folders), m_options(options), m_stop(stop) {}

    GroupOutcome Compare(const CandidateGroup& group);

private:
    struct Member {
        std::unique_ptr<platform::ReadableFile> file;
        std::int64_t position = 0;  // bytes read so far from file
        // The facts of its first open: every later open must find the same, unchanged file.
        platform::FileFacts opened;
        bool wasOpened = false;
    };
    using Class = GroupOutcome::Class;
    enum class Verdict : std::uint8_t { Equal, Different, Failed };

    bool Stopped() const { return m_stop.load(std::memory_order_relaxed); }
    bool Failed(std::size_t index) const {
        return m_outcome.failures[index].kind != Failure::Kind::None;
    }
    void Fail(std::size_t index, Failure::Kind kind, int error = 0) {
        m_members[index].file.reset();
        m_outcome.failures[index] = {kind, error};
    }
    // After an open that gave no file; error is the errno it left.
    void FailOpen(std::size_t index, int error);
    // After a read of index's file that gave got bytes, fewer than asked for (-1: an error).
    void FailRead(std::size_t index, std::int64_t got, int error);
    // Opens index's file (again, unless it is open at offset) and reads up to offset, making sure
    // it is the listed file: the same as at its first open, its head the one compared before.
    bool OpenAt(std::size_t index, std::int64_t offset);
    bool SameHead(std::size_t index, platform::ReadableFile& file, std::int64_t offset);
    // After the last byte of index's file is read: the file ends there and, with checkFacts, was
    // not written since it was opened. Drops the file otherwise.
    bool FinishRead(std::size_t index, bool checkFacts = true);
    void CompareEmpty();
    void CompareHeads();
    // Reads the head block of the files begin..end-1 (into m_heads when keepHeads, else through
    // scratch), keeping at most keepOpen of them open. Touches only those files' state, so
    // several threads may read disjoint ranges of one group at once.
    void ReadHeads(std::size_t begin, std::size_t end, std::size_t head, bool keepHeads,
                   std::size_t keepOpen, std::vector<std::uint32_t>& headCrc,
                   std::vector<char>& headRead, RawBuffer& scratch);
    void CompareRest(const std::vector<std::size_t>& part, std::int64_t offset, std::uint32_t crc);
    // Reads members from offset to the end side by side and splits them where bytes diverge.
    // With keepSingletons a file that matches no other is still read to the end (its
    // checksum is needed to merge batches). Returns false when stopped.
    bool ChunkCompare(const std::vector<std::size_t>& members, std::int64_t offset,
                      std::uint32_t crc, bool keepSingletons, std::vector<Class>& out);
    // Compares files a and b from offset to their end. Failed: one of them was dropped.
    Verdict FilesEqual(std::size_t a, std::size_t b, std::int64_t offset);
    // Drops from a class the files that were dropped from the group.
    void RemoveFailed(Class& found) const;

    char* Buffer(std::size_t slot, std::size_t length) {
        if (m_buffers.size() <= slot) {
            m_buffers.resize(slot + 1);
        }
        return m_buffers[slot].Reserve(length);
    }

    // The largest read of this group's files: a quarter of their size, between the smallest
    // chunk and the configured largest.
    std::size_t MaxChunk() const {
        const std::size_t quarter = static_cast<std::size_t>(m_size / 4);
        return std::clamp(quarter, kMinChunk, std::max(m_options.maxChunkBytes, kMinChunk));
    }

    platform::FileSystem& m_fileSystem;
    platform::FileSystem::FolderCache* m_folders;
    const ReadOptions& m_options;
    const std::atomic<bool>& m_stop;

    const CandidateGroup* m_group = nullptr;
    std::int64_t m_size = 0;
    std::vector<Member> m_members;
    GroupOutcome m_outcome;
    std::vector<RawBuffer> m_buffers;
    RawBuffer m_heads;
    std::size_t m_head = 0;  // bytes of each head kept in m_heads; 0: heads not kept
    RawBuffer m_scratch;
    RawBuffer m_reread;
};

void GroupComparer::FailOpen(std::size_t index, int error) {
    // Why, for the user: a look at what the path names now (rare, so the extra call is free).
    const platform::FileFacts now = m_fileSystem.Stat(m_group->files[index]->Path());
    if (now.exists && now.kind == platform::EntryKind::SymbolicLink) {
        Fail(index, Failure::Kind::Link);
    } else if (now.exists && now.kind != platform::EntryKind::RegularFile) {
        Fail(index, Failure::Kind::NotRegular);
    } else {
        Fail(index, Failure::Kind::CannotOpen, error);
    }
}

void GroupComparer::FailRead(std::size_t index, std::int64_t got, int error) {
    Member& member = m_members[index];
    if (got < 0) {
        Fail(index, Failure::Kind::ReadError, error);
    } else if (member.file && !Unchanged(member.file->CurrentFacts(), member.opened)) {
        Fail(index, Failure::Kind::Changed);
    } else {
        Fail(index, Failure::Kind::SizeMismatch);
    }
}

bool GroupComparer::OpenAt(std::size_t index, std::int64_t offset) {
    Member& member = m_members[index];
    if (member.file && member.position == offset) {
        return true;
    }
    member.file.reset();
    const ScanEntry& entry = *m_group->files[index];
    errno = 0;
    auto file = m_fileSystem.OpenForReadCached(entry.Path(), m_folders);
    if (!file) {
        FailOpen(index, errno);
        return false;
    }
    // The path may name another file than the one listed by now (renamed over, linked to its
    // partner, written): comparing that one would report files that never were equal.
    const platform::FileFacts facts = file->Facts();
    if (!member.wasOpened) {
        if (!IsListedFile(facts, entry)) {
            Fail(index, Failure::Kind::NotListed);
            return false;
        }
        member.opened = facts;
        member.wasOpened = true;
    } else if (!Unchanged(facts, member.opened)) {
        Fail(index, Failure::Kind::Changed);
        return false;
    }
    if (offset > 0 && !SameHead(index, *file, offset)) {
        return false;
    }
    member.file = std::move(file);
    member.position = offset;
    return true;
}

bool GroupComparer::SameHead(std::size_t index, platform::ReadableFile& file, std::int64_t offset) {
    // Only the kept head is ever skipped when a file is opened again.
    const auto length = static_cast<std::size_t>(offset);
    if (length != m_head) {
        Fail(index, Failure::Kind::Changed);
        return false;
    }
    char* bytes = m_reread.Reserve(length);
    errno = 0;
    const std::int64_t got = ReadFully(file, bytes, length);
    if (got != offset) {
        const int error = errno;
        Fail(index, got < 0 ? Failure::Kind::ReadError : Failure::Kind::Changed, error);
        return false;
    }
    if (std::memcmp(bytes, m_heads.Data() + index * length, length) != 0) {
        Fail(index, Failure::Kind::Changed);
        return false;
    }
    return true;
}

bool GroupComparer::FinishRead(std::size_t index, bool checkFacts) {
    Member& member = m_members[index];
    char extra = 0;
    errno = 0;
    const std::int64_t got = member.file->Read(&extra, 1);
    if (got < 0) {
        Fail(index, Failure::Kind::ReadError, errno);
        return false;
    }
    if (checkFacts && !Unchanged(member.file->CurrentFacts(), member.opened)) {
        Fail(index, Failure::Kind::Changed);
        return false;
    }
    if (got > 0) {
        Fail(index, Failure::Kind::SizeMismatch);
        return false;
    }
    return true;
}

GroupOutcome GroupComparer::Compare(const CandidateGroup& group) {
    m_group = &group;
    m_size = group.files.empty() ? 0 : group.files.front()->size;
    m_outcome = GroupOutcome{};
    m_outcome.failures.assign(group.files.size(), Failure{});
    m_head = 0;
    m_members.clear();
    m_members.resize(group.files.size());
    try {
        if (m_size == 0) {
            CompareEmpty();
        } else {
            CompareHeads();
        }
    } catch (...) {
        m_outcome.error = std::current_exception();
    }
    m_members.clear();
    if (Stopped()) {
        m_outcome.aborted = true;
    }
    std::sort(m_outcome.classes.begin(), m_outcome.classes.end(),
              [](const Class& a, const Class& b) { return a.members.front() < b.members.front(); });
    m_group = nullptr;
    return std::move(m_outcome);
}

void GroupComparer::CompareEmpty() {
    // Every empty file is opened and read: a file listed as empty may be an unreadable one, or a
    // pseudo file whose size says nothing (proc lists its files as empty). Facts taken after
    // that read add nothing: there is no content that could have changed behind it.
    Class empty;
    for (std::size_t i = 0; i < m_group->files.size(); ++i) {
        if (Stopped()) {
            return;
        }
        if (OpenAt(i, 0) && FinishRead(i, false)) {
            empty.members.push_back(i);
        }
        m_members[i].file.reset();
    }
    if (empty.members.size() >= 2) {
        m_outcome.classes.push_back(std::move(empty));
    }
}

void GroupComparer::ReadHeads(std::size_t begin, std::size_t end, std::size_t head, bool keepHeads,
                              std::size_t keepOpen, std::vector<std::uint32_t>& headCrc,
                              std::vector<char>& headRead, RawBuffer& scratch) {
    std::size_t keptOpen = 0;
    for (std::size_t i = begin; i < end; ++i) {
        if (Stopped()) {
            return;
        }
        if (!OpenAt(i, 0)) {
            continue;
        }
        char* bytes = keepHeads ? m_heads.Data() + i * head : scratch.Reserve(head);
        errno = 0;
        const std::int64_t got = ReadFully(*m_members[i].file, bytes, head);
        if (got != static_cast<std::int64_t>(head)) {
            FailRead(i, got, errno);
            continue;
        }
        m_members[i].position = static_cast<std::int64_t>(head);
        // Files stay open for the rest of their reading while the open-file budget allows. A
        // file read whole with its head stays open as well: it is checked for changes only if
        // its head matches another (most do not). Without kept heads every file is read again.
        if (keepHeads && keptOpen < keepOpen) {
            ++keptOpen;
        } else {
            if (keepHeads && m_size == static_cast<std::int64_t>(head) && !FinishRead(i)) {
                continue;
            }
            m_members[i].file.reset();
        }
        headCrc[i] = Crc(bytes, head);
        headRead[i] = 1;
    }
}

void GroupComparer::CompareHeads() {
    const std::size_t count = m_group->files.size();
    const std::size_t head = static_cast<std::size_t>(
        std::min<std::int64_t>(m_size, std::max<std::size_t>(m_options.headBytes, 1)));
    const bool keepHeads = count * head <= m_options.headMemoryBytes;
    if (keepHeads) {
        m_heads.Reserve(count * head);
        m_head = head;
    }
    std::vector<std::uint32_t> headCrc(count, 0);
    std::vector<char> headRead(count, 0);

    // Most files of a large group end with their head block: opening and reading those is the
    // bulk of the work, so it is shared out (each thread its own range, flags and buffers).
    const std::size_t threads = count >= std::max<std::size_t>(m_options.parallelHeadFiles, 2)
                                    ? WorkerCount(m_options, count)
                                    : 1;
    const std::size_t keepOpen = m_options.maxOpenFiles / threads;
    if (threads <= 1) {
        ReadHeads(0, count, head, keepHeads, keepOpen, headCrc, headRead, m_scratch);
    } else {
        std::vector<std::thread> helpers;
        std::vector<std::exception_ptr> errors(threads);
        std::vector<RawBuffer> scratch(threads);
        auto range = [&](std::size_t part) {
            try {
                ReadHeads(count * part / threads, count * (part + 1) / threads, head, keepHeads,
                          keepOpen, headCrc, headRead, scratch[part]);
            } catch (...) {
                errors[part] = std::current_exception();
            }
        };
        {
            struct Joiner {
                std::vector<std::thread>& threads;
                ~Joiner() {
                    for (std::thread& thread : threads) {
                        thread.join();
                    }
                }
            } joiner{helpers};
            for (std::size_t part = 1; part < threads; ++part) {
                helpers.emplace_back(range, part);
            }
            range(0);
        }
        for (const std::exception_ptr& error : errors) {
            if (error) {
                std::rethrow_exception(error);
            }
        }
    }
    if (Stopped()) {
        return;
    }
    std::vector<std::size_t> readable;
    for (std::size_t i = 0; i < count; ++i) {
        if (headRead[i] != 0) {
            readable.push_back(i);
        }
    }

    // Partitions of equal heads (equal head checksum, and equal bytes when the heads were kept).
    std::stable_sort(readable.begin(), readable.end(),
                     [&](std::size_t a, std::size_t b) { return headCrc[a] < headCrc[b]; });
    std::vector<std::vector<std::size_t>> parts;
    for (std::size_t begin = 0; begin < readable.size();) {
        std::size_t end = begin + 1;
        while (end < readable.size() && headCrc[readable[end]] == headCrc[readable[begin]]) {
            ++end;
        }
        const std::size_t firstPart = parts.size();
        for (std::size_t i = begin; i < end; ++i) {
            const std::size_t index = readable[i];
            bool placed = false;
            if (keepHeads) {
                for (std::size_t p = firstPart; p < parts.size() && !placed; ++p) {
                    if (std::memcmp(m_heads.Data() + parts[p].front() * head,
                                    m_heads.Data() + index * head, head) == 0) {
                        parts[p].push_back(index);
                        placed = true;
                    }
                }
            } else if (firstPart < parts.size()) {
                parts[firstPart].push_back(index);
                placed = true;
            }
            if (!placed) {
                parts.push_back({index});
            }
        }
        begin = end;
    }

    for (const std::vector<std::size_t>& part : parts) {
        if (Stopped()) {
            return;
        }
        if (part.size() < 2) {
            m_members[part.front()].file.reset();  // its head is unique: read no further
            continue;
        }
        if (keepHeads && m_size == static_cast<std::int64_t>(head)) {
            // Read whole: those still open are checked now, the others were when closed.
            Class whole{{}, headCrc[part.front()]};
            for (std::size_t index : part) {
                if (!m_members[index].file || FinishRead(index)) {
                    whole.members.push_back(index);
                }
            }
            if (whole.members.size() >= 2) {
                m_outcome.classes.push_back(std::move(whole));
            }
        } else if (keepHeads) {
            CompareRest(part, static_cast<std::int64_t>(head), headCrc[part.front()]);
        } else {
            CompareRest(part, 0, 0);
        }
        for (std::size_t index : part) {
            m_members[index].file.reset();
        }
    }
}

void GroupComparer::CompareRest(const std::vector<std::size_t>& part, std::int64_t offset,
                                std::uint32_t crc) {
    const std::size_t batch = std::max<std::size_t>(m_options.maxOpenFiles, 2);
    if (part.size() <= batch) {
        ChunkCompare(part, offset, crc, false, m_outcome.classes);
        return;
    }
    // Too many files to keep open at once: compare them in batches, then merge the classes of
    // different batches whose first files prove equal.
    std::vector<Class> classes;
    for (std::size_t begin = 0; begin < part.size(); begin += batch) {
        const std::size_t end = std::min(part.size(), begin + batch);
        const std::vector<std::size_t> members(part.begin() + static_cast<std::ptrdiff_t>(begin),
                                               part.begin() + static_cast<std::ptrdiff_t>(end));
        if (!ChunkCompare(members, offset, crc, true, classes)) {
            return;
        }
        for (std::size_t index : members) {
            m_members[index].file.reset();
        }
    }
    std::vector<Class> merged;
    for (Class& candidate : classes) {
        if (Stopped()) {
            return;
        }
        bool joined = false;
        for (Class& existing : merged) {
            // The first files stand for their classes; one that fails now is dropped and the
            // next one of its class stands in.
            while (!joined && existing.checksum == candidate.checksum &&
                   !existing.members.empty() && !candidate.members.empty()) {
                const Verdict verdict =
                    FilesEqual(existing.members.front(), candidate.members.front(), offset);
                if (verdict == Verdict::Different) {
                    break;
                }
                if (verdict == Verdict::Failed) {
                    RemoveFailed(existing);
                    RemoveFailed(candidate);
                    continue;
                }
                existing.members.insert(existing.members.end(), candidate.members.begin(),
                                        candidate.members.end());
                joined = true;
            }
            if (joined || candidate.members.empty()) {
                break;
            }
        }
        if (!joined && !candidate.members.empty()) {
            merged.push_back(std::move(candidate));
        }
    }
    for (Class& result : merged) {
        if (result.members.size() < 2) {
            continue;
        }
        std::sort(result.members.begin(), result.members.end());
        m_outcome.classes.push_back(std::move(result));
    }
}

bool GroupComparer::ChunkCompare(const std::vector<std::size_t>& members, std::int64_t offset,
                                 std::uint32_t crc, bool keepSingletons, std::vector<Class>& out) {
    struct Part {
        std::vector<std::size_t> members;
        std::uint32_t crc = 0;
    };
    Part all{{}, crc};
    for (std::size_t index : members) {
        if (Stopped()) {
            return false;
        }
        if (Failed(index)) {
            continue;
        }
        if (OpenAt(index, offset)) {
            all.members.push_back(index);
        }
    }
    std::vector<Part> parts;
    if (all.members.size() >= (keepSingletons ? 1u : 2u)) {
        parts.push_back(std::move(all));
    }

    const std::size_t chunk = std::clamp(kChunkBudget / std::max<std::size_t>(members.size(), 1),
                                         kMinChunk, MaxChunk());
    std::int64_t remaining = m_size - offset;
    while (remaining > 0 && !parts.empty()) {
        if (Stopped()) {
            return false;
        }
        const std::size_t length =
            static_cast<std::size_t>(std::min<std::int64_t>(remaining, std::int64_t(chunk)));
        std::vector<Part> next;
        for (Part& part : parts) {
            struct Split {
                std::vector<std::size_t> members;
                std::size_t slot;  // buffer holding this split's bytes
            };
            std::vector<Split> splits;
            for (std::size_t index : part.members) {
                const std::size_t slot = splits.size();
                char* bytes = Buffer(slot, length);
                errno = 0;
                const std::int64_t got = ReadFully(*m_members[index].file, bytes, length);
                if (got != static_cast<std::int64_t>(length)) {
                    FailRead(index, got, errno);
                    continue;
                }
                m_members[index].position += static_cast<std::int64_t>(length);
                bool placed = false;
                for (Split& split : splits) {
                    if (std::memcmp(m_buffers[split.slot].Data(), bytes, length) == 0) {
                        split.members.push_back(index);
                        placed = true;
                        break;
                    }
                }
                if (!placed) {
                    splits.push_back({{index}, slot});
                }
            }
            for (Split& split : splits) {
                if (split.members.size() < 2 && !keepSingletons) {
                    m_members[split.members.front()].file.reset();  // unique from here on
                    continue;
                }
                next.push_back({std::move(split.members),
                                Crc(m_buffers[split.slot].Data(), length, part.crc)});
            }
        }
        parts = std::move(next);
        remaining -= static_cast<std::int64_t>(length);
    }
    for (Part& part : parts) {
        std::vector<std::size_t> finished;
        for (std::size_t index : part.members) {
            if (FinishRead(index)) {
                finished.push_back(index);
            }
        }
        if (finished.size() >= (keepSingletons ? 1u : 2u)) {
            out.push_back({std::move(finished), part.crc});
        } else {
            for (std::size_t index : finished) {
                m_members[index].file.reset();
            }
        }
    }
    return true;
}

GroupComparer::Verdict GroupComparer::FilesEqual(std::size_t a, std::size_t b,
                                                 std::int64_t offset) {
    // Both were read to the end before; now they are opened again and must prove the same.
    if (!OpenAt(a, offset) || !OpenAt(b, offset)) {
        m_members[a].file.reset();
        m_members[b].file.reset();
        return Verdict::Failed;
    }
    const std::size_t chunk = MaxChunk();
    char* first = Buffer(0, chunk);
    char* second = Buffer(1, chunk);
    Verdict verdict = Verdict::Equal;
    for (std::int64_t remaining = m_size - offset; remaining > 0;) {
        if (Stopped()) {
            verdict = Verdict::Different;
            break;
        }
        const std::size_t length =
            static_cast<std::size_t>(std::min<std::int64_t>(remaining, std::int64_t(chunk)));
        errno = 0;
        const std::int64_t gotA = ReadFully(*m_members[a].file, first, length);
        if (gotA != static_cast<std::int64_t>(length)) {
            FailRead(a, gotA, errno);
            verdict = Verdict::Failed;
            break;
        }
        errno = 0;
        const std::int64_t gotB = ReadFully(*m_members[b].file, second, length);
        if (gotB != static_cast<std::int64_t>(length)) {
            FailRead(b, gotB, errno);
            verdict = Verdict::Failed;
            break;
        }
        if (std::memcmp(first, second, length) != 0) {
            verdict = Verdict::Different;
            break;
        }
        remaining -= static_cast<std::int64_t>(length);
    }
    if (verdict == Verdict::Equal) {
        const bool finishedA = FinishRead(a);
        const bool finishedB = FinishRead(b);
        if (!finishedA || !finishedB) {
            verdict = Verdict::Failed;
        }
    }
    m_members[a].file.reset();
    m_members[b].file.reset();
    return verdict;
}

void GroupComparer::RemoveFailed(Class& found) const {
    std::erase_if(found.members, [&](std::size_t index) { return Failed(index); });
}

// Candidate groups of equal size (and, with byName, equal Name key) with at least two files,
// pointing into list.
std::vector<CandidateGroup> MakeGroups(const ScanList& list, bool byName) {
    std::vector<CandidateGroup> groups;
    std::vector<std::string> names;
    if (byName) {
        names.resize(list.size());
        for (std::size_t i = 0; i < list.size(); ++i) {
            names[i] = NameKey(list[i].name);
        }
    }
    auto sameName = [&](std::size_t a, std::size_t b) { return !byName || names[a] == names[b]; };
    std::vector<std::size_t> order(list.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const bool sizeOrdered =
        std::is_sorted(list.begin(), list.end(),
                       [](const ScanEntry& a, const ScanEntry& b) { return a.size < b.size; });
    // After KeepSizeNeighbours the list is in size order already.
    if (byName || !sizeOrdered) {
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            if (list[a].size != list[b].size) {
                return list[a].size < list[b].size;
            }
            return byName && names[a] < names[b];
        });
    }
    for (std::size_t begin = 0; begin < order.size();) {
        std::size_t end = begin + 1;
        while (end < order.size() && list[order[end]].size == list[order[begin]].size &&
               sameName(order[end], order[begin])) {
            ++end;
        }
        if (end - begin >= 2) {
            CandidateGroup group;
            if (byName) {
                group.nameKey = names[order[begin]];
            }
            group.files.reserve(end - begin);
            for (std::size_t i = begin; i < end; ++i) {
                group.files.push_back(&list[order[i]]);
            }
            groups.push_back(std::move(group));
        }
        begin = end;
    }
    return groups;
}

// The files of result's sets, copied out of the list so that it can be compacted before the
// duplicate list is built.
std::vector<SetMember> SetMembers(const ChecksumResult& result) {
    std::size_t count = 0;
    for (const ContentSet& contentSet : result.sets) {
        count += contentSet.files.size();
    }
    std::vector<SetMember> members;
    members.reserve(count);
    for (std::size_t set = 0; set < result.sets.size(); ++set) {
        const ContentSet& contentSet = result.sets[set];
        for (const ScanEntry* file : contentSet.files) {
            members.push_back({*file, set, contentSet.nameKey, contentSet.checksum});
        }
    }
    return members;
}

void BuildDuplicateList(std::vector<SetMember> members, Method method, DuplicateList& duplicates,
                        ContentContext& context) {
    std::vector<PairedEntry> lines;
    RunWhileYielding(
        context.host, members.size(), context.locale,
        [&](const platform::Locale& own) { lines = PairNeighbours(members, method, own); });
    std::vector<SetMember>().swap(members);  // the lines hold their own copies
    NumberGroups(std::move(lines), duplicates, context.host);
}

// Leaves list holding the entries of readFiles (pointers into it), in that order, moving them
// in place when that order is the list's own.
void KeepReadFiles(ScanList& list, const std::vector<const ScanEntry*>& readFiles) {
    bool inListOrder = true;
    for (std::size_t k = 1; k < readFiles.size() && inListOrder; ++k) {
        inListOrder = readFiles[k - 1] < readFiles[k];
    }
    if (inListOrder) {
        std::size_t out = 0;
        for (const ScanEntry* file : readFiles) {
            const auto index = static_cast<std::size_t>(file - list.data());
            if (index != out) {
                list[out] = std::move(list[index]);
            }
            ++out;
        }
        list.resize(out);
        return;
    }
    std::vector<ScanEntry> kept;  // pointing into list's folder table, which stays
    kept.reserve(readFiles.size());
    for (const ScanEntry* file : readFiles) {
        kept.push_back(std::move(list[static_cast<std::size_t>(file - list.data())]));
    }
    list.Entries() = std::move(kept);
}

// A group's files may be in listing order, and which of its files fails first decides the
// error the user sees. Whether the group fails does not depend on the order (every file is
// opened and its head read), so the failing group is read once more, alone, in path order,
// as a list sorted by SortScanList would have it, to report that run's error. error is kept
// when the second reading does not fail.
std::exception_ptr ErrorInPathOrder(const CandidateGroup& group, ContentContext& context,
                                    platform::FileSystem::FolderCache* folders,
                                    const std::exception_ptr& error) {
    std::vector<std::string> keys(group.files.size());
    std::vector<std::size_t> order(group.files.size());
    for (std::size_t i = 0; i < group.files.size(); ++i) {
        keys[i] = context.locale.SortKey(group.files[i]->Path());
        order[i] = i;
    }
    std::sort(order.begin(), order.end(), [&](std::size_t x, std::size_t y) {
        if (int c = CompareInPathOrder(*group.files[x], keys[x], *group.files[y], keys[y])) {
            return c < 0;
        }
        return x < y;
    });
    CandidateGroup sorted;
    sorted.nameKey = group.nameKey;
    for (std::size_t i : order) {
        sorted.files.push_back(group.files[i]);
    }
    const std::atomic<bool> neverStop{false};
    GroupComparer comparer(context.fileSystem, folders, context.options, neverStop);
    GroupOutcome outcome = comparer.Compare(sorted);
    return outcome.error ? outcome.error : error;
}

}  // namespace

ChecksumResult AddChecksums(const std::vector<CandidateGroup>& groups, ContentContext& context) {
    SearchHost& host = context.host;
    host.ShowProgress(true);
    host.SetProgressDecorations(true);
    host.SetProgress(0);
    host.SetStatusText(kChecksumStatus);
    host.Yield();

    ChecksumResult result;
    std::int64_t total = 0;
    for (const CandidateGroup& group : groups) {
        total += std::int64_t(group.files.size());
    }
    result.readFiles.reserve(static_cast<std::size_t>(total));

    std::vector<std::optional<GroupOutcome>> outcomes(groups.size());
    // Outlives the workers (declared before the joiner).
    const std::unique_ptr<platform::FileSystem::FolderCache> folders =
        groups.empty() ? nullptr : context.fileSystem.NewFolderCache();
    std::mutex mutex;
    std::condition_variable ready;
    std::size_t awaited = SIZE_MAX;  // the group the calling thread waits for; under mutex
    std::atomic<std::size_t> nextGroup{0};
    std::atomic<bool> stop{false};
    std::vector<std::thread> workers;
    auto work = [&] {
        GroupComparer comparer(context.fileSystem, folders.get(), context.options, stop);
        for (;;) {
            const std::size_t index = nextGroup.fetch_add(1);
            if (index >= groups.size() || stop.load()) {
                return;
            }
            GroupOutcome outcome = comparer.Compare(groups[index]);
            bool wake = false;
            {
                std::lock_guard<std::mutex> lock(mutex);
                outcomes[index] = std::move(outcome);
                wake = index == awaited;
            }
            // Only the calling thread waits, and only for one group: a wake-up for any other
            // would be a wasted context switch.
            if (wake) {
                ready.notify_one();
            }
        }
    };
    struct Joiner {
        std::atomic<bool>& stop;
        std::vector<std::thread>& threads;
        ~Joiner() {
            stop = true;
            for (std::thread& thread : threads) {
                thread.join();
            }
        }
    } joiner{stop, workers};
    const unsigned workerCount = groups.empty() ? 0 : WorkerCount(context.options, groups.size());
    for (unsigned i = 0; i < workerCount; ++i) {
        workers.emplace_back(work);
    }

    // The calling thread takes the groups over in order, as a sequential run would finish them,
    // and alone talks to the host.
    std::int64_t done = 0;
    int shownPercent = 0;
    bool aborted = false;
    for (std::size_t index = 0; index < groups.size() && !aborted; ++index) {
        std::unique_lock<std::mutex> lock(mutex);
        awaited = index;
        while (!outcomes[index]) {
            if (!ready.wait_for(lock, kHostPollInterval,
                                [&] { return outcomes[index].has_value(); })) {
                lock.unlock();
                host.Yield();
                aborted = host.AbortRequested();
                lock.lock();
                if (aborted) {
                    break;
                }
            }
        }
        if (aborted) {
            break;
        }
        awaited = SIZE_MAX;
        GroupOutcome outcome = std::move(*outcomes[index]);
        outcomes[index].reset();
        lock.unlock();
        if (outcome.error) {
            stop = true;
            std::rethrow_exception(
                ErrorInPathOrder(groups[index], context, folders.get(), outcome.error));
        }
        if (outcome.aborted) {
            aborted = true;
            break;
        }

        const CandidateGroup& group = groups[index];
        std::int64_t unreadable = 0;
        for (std::size_t i = 0; i < group.files.size(); ++i) {
            if (outcome.failures[i].kind != Failure::Kind::None) {
                ++unreadable;
                host.ReportSkipped(Skipped::UnreadableFile, group.files[i]->Path(),
                                   FailureText(outcome.failures[i]));
            } else {
                result.readFiles.push_back(group.files[i]);
            }
        }
        if (unreadable > 0) {
            result.unreadable += unreadable;
            context.filesIgnored += unreadable;
            host.SetCounter(Counter::FilesIgnored, context.filesIgnored);
        }
        for (GroupOutcome::Class& found : outcome.classes) {
            ContentSet set;
            set.checksum = found.checksum;
            set.nameKey = group.nameKey;
            for (std::size_t member : found.members) {
                set.files.push_back(group.files[member]);
            }
            result.sets.push_back(std::move(set));
        }
        for (std::size_t i = 0; i < group.files.size(); ++i, ++done) {
            const int percent = static_cast<int>(done * 100 / total);
            if (percent != shownPercent) {
                host.SetProgress(percent);
                shownPercent = percent;
            }
            if (done % 100 == 0) {
                host.Yield();
            }
            if (host.AbortRequested()) {
                aborted = true;
            }
        }
    }
    stop = true;
    result.aborted = aborted;

    host.SetProgress(0);
    host.SetProgressDecorations(false);
    host.ShowProgress(false);
    host.Yield();
    return result;
}

namespace {

// What both content methods share after their own first steps: compares the groups, leaves
// scanList holding the files read and builds the duplicate list.
void CompareAndList(ScanList& scanList, bool byName, Method method, DuplicateList& duplicates,
                    ContentContext& context) {
    // The passes over the whole list run on a worker: the window stays responsive.
    std::vector<SetMember> members;
    {
        std::vector<CandidateGroup> groups;
        RunWhileYielding(context.host, scanList.size(),
                         [&] { groups = MakeGroups(scanList, byName); });
        ChecksumResult result = AddChecksums(groups, context);
        std::vector<CandidateGroup>().swap(groups);
        RunWhileYielding(context.host, scanList.size(), [&] {
            members = SetMembers(result);
            KeepReadFiles(scanList, result.readFiles);
        });
    }
    BuildDuplicateList(std::move(members), method, duplicates, context);
}

}  // namespace

void FindContentDuplicates(ScanList& scanList, DuplicateList& duplicates, ContentContext& context) {
    context.host.SetStatusText("Removing different file sizes.");
    context.host.Yield();
    RunWhileYielding(context.host, scanList.size(), context.locale,
                     [&](const platform::Locale& own) { KeepSizeNeighbours(scanList, own); });
    CompareAndList(scanList, false, Method::ContentsOnly, duplicates, context);
}

void FindContentAndNameDuplicates(ScanList& scanList, DuplicateList& duplicates,
                                  ContentContext& context) {
    context.host.ShowProgress(false);
    context.host.SetStatusText("Building list of duplicate files.");
    context.host.Yield();
    RunWhileYielding(context.host, scanList.size(), context.locale,
                     [&](const platform::Locale& own) { KeepSizeNeighbours(scanList, own); });
    CompareAndList(scanList, true, Method::ContentsAndName, duplicates, context);
    context.host.ShowProgress(false);
    context.host.Yield();
}

}  // namespace qm::engine
