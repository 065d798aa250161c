#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/FileDate.h"
#include "platform/FileSystem.h"

namespace qm::engine {

// One collected file (a line of the ScanList: Size|Path|Date). The folder part of the path is
// shared with the other files of that folder, so that a record stays small: most names fit the
// string's own buffer, while full paths rarely do.
struct ScanEntry {
    std::int64_t size = 0;
    const std::string* folder = nullptr;  // in the owning ScanList's folder table; null: none
    std::string name;                     // the rest of the path, exact bytes
    platform::FileTime lastWrite = 0;
    platform::FileId id;

    // folder + name.
    std::string Path() const;
};

// Exact-byte order of the two full paths, without building them.
int ComparePaths(const ScanEntry& a, const ScanEntry& b);

// The path order every sort of the engine shares: the path in the locale's case-insensitive
// order (keyA and keyB: the locale's sort keys of the two paths), then the size, the last write
// and the exact bytes of the path. 0 only for entries of one path, size and time. Inline: it is
// the comparison of sorts over 100,000s of files.
inline int CompareInPathOrder(const ScanEntry& a, std::string_view keyA, const ScanEntry& b,
                              std::string_view keyB) {
    if (const int byKey = keyA.compare(keyB)) {
        return byKey < 0 ? -1 : 1;
    }
    if (a.size != b.size) {
        return a.size < b.size ? -1 : 1;
    }
    if (a.lastWrite != b.lastWrite) {
        return a.lastWrite < b.lastWrite ? -1 : 1;
    }
    return ComparePaths(a, b);
}
bool SamePath(const ScanEntry& a, const ScanEntry& b);
// A hash of the full path's bytes (equal paths hash equal however they are split).
std::uint64_t PathHash(const ScanEntry& entry);

// The collected files, with the table of folders their entries point into. Entries may be
// moved, copied out and reordered freely while the list lives; a copy of the list gets its own
// table.
class ScanList {
public:
    using value_type = ScanEntry;
    using iterator = std::vector<ScanEntry>::iterator;
    using const_iterator = std::vector<ScanEntry>::const_iterator;

    ScanList() = default;
    ScanList(const ScanList& other);
    ScanList& operator=(const ScanList& other);
    ScanList(ScanList&&) noexcept = default;
    ScanList& operator=(ScanList&&) noexcept = default;
    ~ScanList() = default;

    // The table's copy of folder (its full text, normally ending in the separator), made once
    // per distinct text.
    const std::string* AddFolder(std::string_view folder);

    // Takes over folder as a table entry, for entries that point to it already, and returns it.
    // It is not looked up by AddFolder (which would make a second copy of equal text; paths
    // compare alike either way): a listing hands over each folder once.
    const std::string* AdoptFolder(std::unique_ptr<std::string> folder);

    // Appends the entry of path; the folder part (up to the last separator) goes to the table.
    ScanEntry& Add(std::int64_t size, std::string_view path, platform::FileTime lastWrite = 0,
                   platform::FileId id = {});

    // The entries alone. Entries put in must point into this list's table.
    std::vector<ScanEntry>& Entries() { return m_entries; }
    const std::vector<ScanEntry>& Entries() const { return m_entries; }

    // The container calls the engine's algorithms expect, named as the standard containers are.
    // NOLINTBEGIN(readability-identifier-naming)
    std::size_t size() const { return m_entries.size(); }
    bool empty() const { return m_entries.empty(); }
    ScanEntry& operator[](std::size_t i) { return m_entries[i]; }
    const ScanEntry& operator[](std::size_t i) const { return m_entries[i]; }
    ScanEntry& front() { return m_entries.front(); }
    const ScanEntry& front() const { return m_entries.front(); }
    ScanEntry& back() { return m_entries.back(); }
    const ScanEntry& back() const { return m_entries.back(); }
    ScanEntry* data() { return m_entries.data(); }
    const ScanEntry* data() const { return m_entries.data(); }
    iterator begin() { return m_entries.begin(); }
    iterator end() { return m_entries.end(); }
    const_iterator begin() const { return m_entries.begin(); }
    const_iterator end() const { return m_entries.end(); }
    void push_back(ScanEntry entry) { m_entries.push_back(std::move(entry)); }
    void reserve(std::size_t count) { m_entries.reserve(count); }
    void resize(std::size_t count) { m_entries.resize(count); }
    void shrink_to_fit() { m_entries.shrink_to_fit(); }
    // Drops the entries and the folder table.
    void clear();
    // NOLINTEND(readability-identifier-naming)

private:
    std::vector<ScanEntry> m_entries;
    std::vector<std::unique_ptr<const std::string>> m_folders;
    std::unordered_map<std::string_view, const std::string*> m_folderIndex;
};

}  // namespace qm::engine
