#include "engine/ScanList.h"

#include <algorithm>
#include <cstring>

#include "foundation/Globals.h"

namespace qm::engine {

namespace {

std::string_view FolderOf(const ScanEntry& entry) {
    return entry.folder == nullptr ? std::string_view{} : std::string_view{*entry.folder};
}

}  // namespace

std::string ScanEntry::Path() const {
    std::string path;
    const std::string_view folderText = FolderOf(*this);
    path.reserve(folderText.size() + name.size());
    path.append(folderText);
    path.append(name);
    return path;
}

int ComparePaths(const ScanEntry& a, const ScanEntry& b) {
    if (a.folder == b.folder) {
        return a.name.compare(b.name);
    }
    // Walk both concatenations piece by piece.
    const std::string_view pa[2] = {FolderOf(a), a.name};
    const std::string_view pb[2] = {FolderOf(b), b.name};
    std::size_t ia = 0;
    std::size_t ib = 0;
    std::size_t oa = 0;
    std::size_t ob = 0;
    for (;;) {
        while (ia < 2 && oa == pa[ia].size()) {
            ++ia;
            oa = 0;
        }
        while (ib < 2 && ob == pb[ib].size()) {
            ++ib;
            ob = 0;
        }
        if (ia == 2 || ib == 2) {
            return (ia == 2 ? 0 : 1) - (ib == 2 ? 0 : 1);
        }
        const std::size_t n = std::min(pa[ia].size() - oa, pb[ib].size() - ob);
        if (int c = std::memcmp(pa[ia].data() + oa, pb[ib].data() + ob, n)) {
            return c < 0 ? -1 : 1;
        }
        oa += n;
        ob += n;
    }
}

bool SamePath(const ScanEntry& a, const ScanEntry& b) {
    if (a.folder == b.folder) {
        return a.name == b.name;
    }
    return FolderOf(a).size() + a.name.size() == FolderOf(b).size() + b.name.size() &&
           ComparePaths(a, b) == 0;
}

std::uint64_t PathHash(const ScanEntry& entry) {
    // FNV-1a over the bytes of folder and name in turn.
    std::uint64_t h = 0xcbf29ce484222325ull;
    for (std::string_view piece : {FolderOf(entry), std::string_view{entry.name}}) {
        for (const char c : piece) {
            h ^= static_cast<unsigned char>(c);
            h *= 0x100000001b3ull;
        }
    }
    return h;
}

ScanList::ScanList(const ScanList& other) {
    *this = other;
}

ScanList& ScanList::operator=(const ScanList& other) {
    if (this == &other) {
        return *this;
    }
    clear();
    m_entries = other.m_entries;
    for (ScanEntry& entry : m_entries) {
        if (entry.folder != nullptr) {
            entry.folder = AddFolder(*entry.folder);
        }
    }
    return *this;
}

const std::string* ScanList::AddFolder(std::string_view folder) {
    if (auto it = m_folderIndex.find(folder); it != m_folderIndex.end()) {
        return it->second;
    }
    m_folders.push_back(std::make_unique<const std::string>(folder));
    const std::string* stored = m_folders.back().get();
    m_folderIndex.emplace(std::string_view{*stored}, stored);
    return stored;
}

const std::string* ScanList::AdoptFolder(std::unique_ptr<std::string> folder) {
    m_folders.push_back(std::move(folder));
    return m_folders.back().get();
}

ScanEntry& ScanList::Add(std::int64_t size, std::string_view path, platform::FileTime lastWrite,
                         platform::FileId id) {
    const std::size_t split = path.rfind(foundation::kPathDelim);
    const std::size_t nameStart = split == std::string_view::npos ? 0 : split + 1;
    ScanEntry entry;
    entry.size = size;
    entry.folder = nameStart == 0 ? nullptr : AddFolder(path.substr(0, nameStart));
    entry.name = std::string(path.substr(nameStart));
    entry.lastWrite = lastWrite;
    entry.id = id;
    m_entries.push_back(std::move(entry));
    return m_entries.back();
}

void ScanList::clear() {
    m_entries.clear();
    m_folderIndex.clear();
    m_folders.clear();
}

}  // namespace qm::engine
