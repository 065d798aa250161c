#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/FileRecords.h"
#include "engine/Grouping.h"
#include "engine/SearchHost.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"

namespace qm::engine {

// The two comparison methods that look at file content, "Contents Only" and "Contents And Name".
//
// Two files are reported as equal only when their bytes are: files of one size are read side by
// side, chunk by chunk, and a candidate set is split wherever bytes diverge. The CRC-32 of every
// reported file is computed on the way; it orders the list and is shown, but never decides.
// What is read: never a file whose size (and, for "Contents And Name", name) no other file
// shares; first the head block of every candidate, so that a file whose head differs from all
// others of its size is read no further; then every remaining candidate once. Empty files are
// opened too, and must read as empty.
// The compared file is the listed file: files are opened without following links, and one whose
// device, file id, size or last write differ from its record is dropped. A file opened again
// must be the same, unchanged file and give the same head. A file whose reading is complete must
// end at its size and be unchanged since it was opened (size, last write and change time).
// A file that cannot be opened or read, or that changed, is never reported: it is counted with
// the ignored files and named to the host (ReportSkipped).

// How the files are read. The defaults are what a search uses.
struct ReadOptions {
    unsigned workerThreads = 0;  // threads reading size groups in parallel; 0: 2..4 by the CPUs
    // A group of at least this many files has its head blocks read by several of those threads.
    std::size_t parallelHeadFiles = 256;
    std::size_t headBytes = 4096;
    // Memory for the head blocks of one size group. A larger group keeps only a checksum of each
    // head and reads the files whose head checksums agree again from byte 0, so that memory does
    // not grow with the group (thousands of files of one size are common: photos, disk images).
    std::size_t headMemoryBytes = 256u << 10;
    // The largest read; a file is read in chunks of at most a quarter of its size, so that small
    // files take small buffers while large ones are read with few switches between files.
    std::size_t maxChunkBytes = 1u << 20;
    // Files one worker keeps open at once; larger candidate sets are compared in batches.
    std::size_t maxOpenFiles = 32;
};

// Where the content methods read and report. The host is only ever called from the calling
// thread; the file system may be called from worker threads at the same time and must allow it.
struct ContentContext {
    SearchHost& host;
    platform::FileSystem& fileSystem;
    const platform::Locale& locale;
    // The FilesIgnored counter as the host shows it: files that cannot be read are added to it
    // (and shown) as they are found.
    std::int64_t filesIgnored = 0;
    ReadOptions options = {};
};

// A group of candidate files that must agree in content to be duplicates: one size, and for
// "Contents And Name" one Name key.
// The entries are not copied: files point into the ScanList the groups were made from, which
// must outlive them and stay unchanged meanwhile.
struct CandidateGroup {
    std::vector<const ScanEntry*> files;  // distinct files (RemoveRepeatedFiles), of one size
    std::string nameKey;                  // "Contents And Name" only
};

// The files of one group that proved byte-identical.
struct ContentSet {
    std::vector<const ScanEntry*> files;  // at least two, in the order of the group
    std::uint32_t checksum = 0;           // CRC-32 of the whole content
    std::string nameKey;
};

struct ChecksumResult {
    std::vector<ContentSet> sets;  // ordered by group, then by each set's first file
    // Every file of the groups handled, in group order, unreadable ones out.
    std::vector<const ScanEntry*> readFiles;
    std::int64_t unreadable = 0;
    bool aborted = false;  // the host asked to stop: only the groups done before are in
};

// The comparison step of the content methods (it takes the place of checksumming every
// candidate): shows the progress area with "Generating 32 bit CRC of possible duplicate files. ",
// reports the percentage of candidate files done, yields every 100 files (and while it waits for
// a large file), and stops promptly when the host asks for an abort. Results, order and progress
// are those of a sequential run whatever the number of workers.
ChecksumResult AddChecksums(const std::vector<CandidateGroup>& groups, ContentContext& context);

// "Contents Only": files of equal size and equal bytes. duplicates is replaced; scanList is left
// holding the candidate files that were read (after an abort: those done before the stop).
// scanList may be in SortScanList's order or in size order only (ScanOrder::BySize): the
// duplicate list is the same, as the path order is made here for the files in sets only.
void FindContentDuplicates(ScanList& scanList, DuplicateList& duplicates, ContentContext& context);

// "Contents And Name": files of equal size, equal Name key and equal bytes.
void FindContentAndNameDuplicates(ScanList& scanList, DuplicateList& duplicates,
                                  ContentContext& context);

}  // namespace qm::engine
