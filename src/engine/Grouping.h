#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/FileRecords.h"
#include "engine/SearchHost.h"
#include "platform/Locale.h"

namespace qm::engine {

// The shared steps of the five comparison methods and the three methods that need no file
// content ("Size Only", "Name Only", "Name And Size").
//
// A method puts every file into a set of files that agree exactly on the method's key (size, name
// key, bytes, or a combination). The duplicate list is then what pairing neighbours of a list
// ordered by that key gives: within a set, each file in path order is paired with the next one,
// and the later file of each pair gives both their Extension key. The lines are ordered as the
// duplicate list orders its lines (Extension key first, then the method's fields) and numbered;
// a group runs as long as consecutive lines belong to one set, also across a change of Extension
// key. A file stands once in a group (its first line) and never twice in one list under one key.

// Drops repeated entries of one file: a second entry with the same path (one file listed through
// two masks) or with the same file id (a hard link, a bind mount, overlapping search folders).
// The first entry, in list order, stays. An id of 0/0 means "unknown" and only the path counts.
// The kept entries keep their order.
void RemoveRepeatedFiles(ScanList& list);

// The same for a list that is ordered by size only (CollectFiles with ScanOrder::BySize): of
// the entries of one file, the one that stays is the one that would stay had the list been
// sorted by SortScanList. Sort keys are made only for the entries that repeat a path or an id.
void RemoveRepeatedFiles(ScanList& list, const platform::Locale& locale);

// Sorts by size, ascending; entries of one size keep their relative order. Moves entries in
// place instead of through a second list.
void StableSortBySize(ScanList& list);

// Keeps the entries whose size another file shares, after RemoveRepeatedFiles. The result is
// ordered by size; entries of one size keep their relative order.
void KeepSizeNeighbours(ScanList& list);

// The same after RemoveRepeatedFiles(list, locale), for a list ordered by size only.
void KeepSizeNeighbours(ScanList& list, const platform::Locale& locale);

// A file with its Name key (its name upper-cased for a..z only).
struct NameKeyedEntry {
    std::string nameKey;
    ScanEntry entry;
};

// Every entry of list with its Name key, in list order (callers drop repeated files first).
std::vector<NameKeyedEntry> KeyByName(const ScanList& list);

// One file of a set, as a method found it.
struct SetMember {
    ScanEntry entry;
    std::size_t set = 0;         // files with equal set agree exactly on the method's key
    std::string nameKey;         // name methods and "Contents And Name"
    std::uint32_t checksum = 0;  // content methods: the CRC-32 of the whole file
};

// A duplicate-list line before numbering.
struct PairedEntry {
    DuplicateEntry entry;
    std::size_t set = 0;
    std::size_t member = 0;  // index into the members handed to PairNeighbours: the file
};

// Pairs the members of every set with at least two of them (each file in path order with the
// next one; the Extension key of the later file goes in front of both) and returns the lines in
// the order of method's duplicate list: Extension key, then the method's fields (Size; Name key;
// Size and Checksum) by the locale's case-insensitive order, numbers numerically, then path,
// size and date, exact bytes last. Lines of one set that this order would interleave with
// another set's (only possible when both agree on every ordered field) are gathered in the order
// the sets first appear. The same file under the same Extension key gives one line.
std::vector<PairedEntry> PairNeighbours(const std::vector<SetMember>& members, Method method,
                                        const platform::Locale& locale);

// Numbers the lines: the first group is 1 and the number moves on at the first change of set
// after a run of at least two lines. Within a group only the first line of each file stays.
// Shows "Sorting the file list." and yields before, and yields after.
// lines is taken over (its entries are moved into duplicates).
void NumberGroups(std::vector<PairedEntry> lines, DuplicateList& duplicates, SearchHost& host);

// "Size Only": files of equal size. duplicates is replaced; scanList is left holding the files
// whose size another file shares. Touches neither the progress area nor the abort flag.
void FindSizeDuplicates(ScanList& scanList, DuplicateList& duplicates, SearchHost& host,
                        const platform::Locale& locale);

// "Name Only" (withSize false: files of equal Name key, whatever the folder) and "Name And Size"
// (withSize true: equal Name key and equal size). Shows the progress area with "Building list of
// duplicate files." while it runs. duplicates is replaced; scanList is left holding the distinct
// files (of a shared size, withSize) that took part.
void FindNameDuplicates(ScanList& scanList, DuplicateList& duplicates, bool withSize,
                        SearchHost& host, const platform::Locale& locale);

}  // namespace qm::engine
