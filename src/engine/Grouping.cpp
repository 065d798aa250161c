#include "engine/Grouping.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "engine/YieldingWork.h"

namespace qm::engine {

namespace {

struct FileIdHash {
    std::size_t operator()(const platform::FileId& id) const {
        return std::hash<std::uint64_t>{}(id.inode * 0x9E3779B97F4A7C15ull ^ id.device);
    }
};

bool KnownId(const platform::FileId& id) {
    return id.device != 0 || id.inode != 0;
}

template <typename T>
int Compare3(const T& a, const T& b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

// Keys of one member that the orders below need, computed once.
struct MemberKeys {
    std::string pathKey;  // the locale's sort key of the path
    std::string nameKey;  // sort key of the Name key (name methods only)
};

// Order of the files within one set.
int CompareWithinSet(const SetMember& a, const MemberKeys& ka, const SetMember& b,
                     const MemberKeys& kb) {
    return CompareInPathOrder(a.entry, ka.pathKey, b.entry, kb.pathKey);
}

struct ExtKey {
    std::string text;
    std::string sortKey;
};

struct Line {
    std::size_t member;
    std::size_t ext;  // index into the Extension keys
};

bool IsNameMethod(Method method) {
    return method == Method::NameOnly || method == Method::NameAndSize;
}
bool IsContentMethod(Method method) {
    return method == Method::ContentsOnly || method == Method::ContentsAndName;
}

}  // namespace

namespace {

// Marks every entry that shares its key with another entry. hash gives a 64-bit hash of entry
// i's key, equal(i, j) compares keys exactly, use(i) says whether entry i has a key at all. An
// open-addressing table of indices: no allocation per entry, unlike a node-based set.
template <typename Hash, typename Equal, typename Use>
void MarkShared(std::size_t count, Hash hash, Equal equal, Use use, std::vector<char>& shared) {
    std::size_t capacity = 16;
    while (capacity < 2 * count) {
        capacity <<= 1;
    }
    struct Slot {
        std::uint32_t index = UINT32_MAX;
        std::uint32_t tag = 0;
    };
    std::vector<Slot> slots(capacity);
    const std::size_t mask = capacity - 1;
    for (std::size_t i = 0; i < count; ++i) {
        if (!use(i)) {
            continue;
        }
        const std::uint64_t h = hash(i);
        const auto tag = static_cast<std::uint32_t>(h >> 32);
        for (std::size_t at = static_cast<std::size_t>(h) & mask;; at = (at + 1) & mask) {
            Slot& slot = slots[at];
            if (slot.index == UINT32_MAX) {
                slot.index = static_cast<std::uint32_t>(i);
                slot.tag = tag;
                break;
            }
            if (slot.tag == tag && equal(slot.index, i)) {
                shared[slot.index] = 1;
                shared[i] = 1;
                break;
            }
        }
    }
}

std::uint64_t MixId(const platform::FileId& id) {
    std::uint64_t h = id.inode * 0x9E3779B97F4A7C15ull ^ (id.device + 0x632BE59BD9B4E019ull);
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    return h;
}

// The entries that share a path or a known file id with another entry, ascending. Only these can
// be dropped as repeats, and only by each other.
std::vector<std::size_t> EntriesSharingAFile(const ScanList& list) {
    std::vector<std::size_t> result;
    const std::size_t count = list.size();
    if (count < 2) {
        return result;
    }
    std::vector<char> shared(count, 0);
    MarkShared(
        count, [&](std::size_t i) { return MixId(list[i].id); },
        [&](std::size_t a, std::size_t b) { return list[a].id == list[b].id; },
        [&](std::size_t i) { return KnownId(list[i].id); }, shared);
    MarkShared(
        count,
        [&](std::size_t i) {
            const std::uint64_t h = PathHash(list[i]);
            return h ^ (h >> 29) * 0x94D049BB133111EBull;
        },
        [&](std::size_t a, std::size_t b) { return SamePath(list[a], list[b]); },
        [](std::size_t) { return true; }, shared);
    for (std::size_t i = 0; i < count; ++i) {
        if (shared[i] != 0) {
            result.push_back(i);
        }
    }
    return result;
}

// Drops the entries of list that repeat an earlier one of candidates (indices, in the order in
// which they count as earlier): the first entry of a path or id stays.
void DropRepeats(ScanList& list, const std::vector<std::size_t>& candidates) {
    std::unordered_set<std::string> paths;  // of the few candidates only
    std::unordered_set<platform::FileId, FileIdHash> ids;
    std::vector<char> drop(list.size(), 0);
    bool anyDropped = false;
    for (std::size_t i : candidates) {
        const ScanEntry& entry = list[i];
        const bool newPath = paths.insert(entry.Path()).second;
        const bool newId = !KnownId(entry.id) || ids.insert(entry.id).second;
        if (!newPath || !newId) {
            drop[i] = 1;
            anyDropped = true;
        }
    }
    if (!anyDropped) {
        return;
    }
    paths.clear();
    std::size_t out = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (drop[i] == 0) {
            if (out != i) {
                list[out] = std::move(list[i]);
            }
            ++out;
        }
    }
    list.resize(out);
}

// Moves list's entries so that entry order[k] ends at position k.
void ApplyOrder(ScanList& list, const std::vector<std::uint32_t>& order) {
    std::vector<char> placed(list.size(), 0);
    for (std::size_t start = 0; start < list.size(); ++start) {
        if (placed[start] != 0 || order[start] == start) {
            placed[start] = 1;
            continue;
        }
        ScanEntry held = std::move(list[start]);
        std::size_t at = start;
        for (;;) {
            placed[at] = 1;
            const std::size_t from = order[at];
            if (from == start) {
                list[at] = std::move(held);
                break;
            }
            list[at] = std::move(list[from]);
            at = from;
        }
    }
}

void KeepSharedSizes(ScanList& list) {
    if (!std::is_sorted(list.begin(), list.end(),
                        [](const ScanEntry& a, const ScanEntry& b) { return a.size < b.size; })) {
        StableSortBySize(list);
    }
    std::size_t out = 0;
    std::size_t begin = 0;
    while (begin < list.size()) {
        std::size_t end = begin + 1;
        while (end < list.size() && list[end].size == list[begin].size) {
            ++end;
        }
        if (end - begin >= 2) {
            for (std::size_t i = begin; i < end; ++i, ++out) {
                if (out != i) {
                    list[out] = std::move(list[i]);
                }
            }
        }
        begin = end;
    }
    list.resize(out);
}

}  // namespace

void RemoveRepeatedFiles(ScanList& list) {
    DropRepeats(list, EntriesSharingAFile(list));
}

void RemoveRepeatedFiles(ScanList& list, const platform::Locale& locale) {
    std::vector<std::size_t> candidates = EntriesSharingAFile(list);
    if (candidates.empty()) {
        return;
    }
    // SortScanList's order among the few entries that compete.
    std::vector<std::string> keys(candidates.size());
    std::vector<std::size_t> positions(candidates.size());
    for (std::size_t p = 0; p < candidates.size(); ++p) {
        keys[p] = locale.SortKey(list[candidates[p]].Path());
        positions[p] = p;
    }
    std::sort(positions.begin(), positions.end(), [&](std::size_t x, std::size_t y) {
        const ScanEntry& a = list[candidates[x]];
        const ScanEntry& b = list[candidates[y]];
        if (a.size != b.size) {
            return a.size < b.size;
        }
        if (int c = CompareInPathOrder(a, keys[x], b, keys[y])) {
            return c < 0;
        }
        return x < y;
    });
    std::vector<std::size_t> ordered(candidates.size());
    for (std::size_t p = 0; p < positions.size(); ++p) {
        ordered[p] = candidates[positions[p]];
    }
    candidates = std::move(ordered);
    DropRepeats(list, candidates);
}

void StableSortBySize(ScanList& list) {
    std::vector<std::pair<std::int64_t, std::uint32_t>> bySize(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        bySize[i] = {list[i].size, static_cast<std::uint32_t>(i)};
    }
    std::sort(bySize.begin(), bySize.end());
    std::vector<std::uint32_t> order(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        order[i] = bySize[i].second;
    }
    bySize.clear();
    bySize.shrink_to_fit();
    ApplyOrder(list, order);
}

void KeepSizeNeighbours(ScanList& list) {
    RemoveRepeatedFiles(list);
    KeepSharedSizes(list);
}

void KeepSizeNeighbours(ScanList& list, const platform::Locale& locale) {
    RemoveRepeatedFiles(list, locale);
    KeepSharedSizes(list);
}

std::vector<NameKeyedEntry> KeyByName(const ScanList& list) {
    std::vector<NameKeyedEntry> keyed;
    keyed.reserve(list.size());
    for (const ScanEntry& entry : list) {
        keyed.push_back({NameKey(entry.name), entry});
    }
    return keyed;
}

std::vector<PairedEntry> PairNeighbours(const std::vector<SetMember>& members, Method method,
                                        const platform::Locale& locale) {
    const std::size_t n = members.size();
    std::vector<MemberKeys> keys(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (i % 1024 == 0) {
            ThrowIfWorkStopped();  // members are untouched: giving up here is safe
        }
        keys[i].pathKey = locale.SortKey(members[i].entry.Path());
        if (IsNameMethod(method)) {
            keys[i].nameKey = locale.SortKey(members[i].nameKey);
        }
    }

    // The members of each set in path order, so that pairing neighbours finds every pair of
    // the set whatever other files sort between them.
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        PollWorkStopped();
        if (members[a].set != members[b].set) {
            return members[a].set < members[b].set;
        }
        if (int c = CompareWithinSet(members[a], keys[a], members[b], keys[b])) {
            return c < 0;
        }
        return a < b;
    });

    std::vector<ExtKey> exts;
    std::unordered_map<std::string, std::size_t> extIndex;
    auto internExt = [&](const std::string& path) {
        std::string text = ExtensionKey(path);
        auto [it, added] = extIndex.try_emplace(text, exts.size());
        if (added) {
            exts.push_back({text, locale.SortKey(text)});
        }
        return it->second;
    };

    std::vector<Line> lines;
    for (std::size_t k = 1; k < n; ++k) {
        const std::size_t earlier = order[k - 1];
        const std::size_t later = order[k];
        if (members[earlier].set != members[later].set) {
            continue;
        }
        const std::size_t ext = internExt(members[later].entry.name);
        lines.push_back({earlier, ext});
        lines.push_back({later, ext});
    }

    // The fields that come before the path in the method's line, Extension key included.
    auto comparePrefix = [&](const Line& a, const Line& b) {
        if (a.ext != b.ext) {
            if (int c = exts[a.ext].sortKey.compare(exts[b.ext].sortKey)) {
                return c;
            }
            // Keys that only collate equal still get a root each, side by side.
            if (int c = exts[a.ext].text.compare(exts[b.ext].text)) {
                return c;
            }
        }
        const SetMember& ma = members[a.member];
        const SetMember& mb = members[b.member];
        if (IsNameMethod(method)) {
            return keys[a.member].nameKey.compare(keys[b.member].nameKey);
        }
        if (int c = Compare3(ma.entry.size, mb.entry.size)) {
            return c;
        }
        if (IsContentMethod(method)) {
            return Compare3(ma.checksum, mb.checksum);
        }
        return 0;
    };
    std::sort(lines.begin(), lines.end(), [&](const Line& a, const Line& b) {
        PollWorkStopped();
        if (int c = comparePrefix(a, b)) {
            return c < 0;
        }
        if (int c = CompareWithinSet(members[a.member], keys[a.member], members[b.member],
                                     keys[b.member])) {
            return c < 0;
        }
        return a.member < b.member;
    });
    lines.erase(std::unique(lines.begin(), lines.end(),
                            [](const Line& a, const Line& b) {
                                return a.member == b.member && a.ext == b.ext;
                            }),
                lines.end());

    // Within a run of lines that agree on every field before the path, gather each set's lines
    // in the order the sets first appear; where the sets do not interleave nothing moves.
    std::size_t begin = 0;
    while (begin < lines.size()) {
        std::size_t end = begin + 1;
        bool mixed = false;
        while (end < lines.size() && comparePrefix(lines[begin], lines[end]) == 0) {
            mixed = mixed || members[lines[end].member].set != members[lines[begin].member].set;
            ++end;
        }
        if (mixed) {
            std::unordered_map<std::size_t, std::size_t> rank;
            for (std::size_t i = begin; i < end; ++i) {
                rank.try_emplace(members[lines[i].member].set, rank.size());
            }
            std::stable_sort(lines.begin() + static_cast<std::ptrdiff_t>(begin),
                             lines.begin() + static_cast<std::ptrdiff_t>(end),
                             [&](const Line& a, const Line& b) {
                                 return rank[members[a.member].set] < rank[members[b.member].set];
                             });
        }
        begin = end;
    }

    // The sort keys are done with; the result's copies take their room.
    std::vector<MemberKeys>().swap(keys);
    std::vector<PairedEntry> result;
    result.reserve(lines.size());
    for (const Line& line : lines) {
        const SetMember& member = members[line.member];
        PairedEntry paired;
        paired.set = member.set;
        paired.member = line.member;
        DuplicateEntry& entry = paired.entry;
        entry.extensionKey = exts[line.ext].text;
        if (IsNameMethod(method)) {
            entry.nameKey = member.nameKey;
        }
        entry.size = member.entry.size;
        if (IsContentMethod(method)) {
            entry.checksum = member.checksum;
        }
        entry.path = member.entry.Path();
        entry.lastWrite = member.entry.lastWrite;
        entry.id = member.entry.id;
        result.push_back(std::move(paired));
    }
    return result;
}

void NumberGroups(std::vector<PairedEntry> lines, DuplicateList& duplicates, SearchHost& host) {
    host.SetStatusText("Sorting the file list.");
    host.Yield();
    RunWhileYielding(host, lines.size(), [&] {
        duplicates.clear();
        duplicates.reserve(lines.size());
        std::int64_t counter = 1;
        bool inRun = false;
        std::unordered_set<std::size_t> filesInGroup;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i > 0 && lines[i].set == lines[i - 1].set) {
                inRun = true;
            } else if (inRun) {
                ++counter;
                inRun = false;
            }
            if (!duplicates.empty() && duplicates.back().group != counter) {
                filesInGroup.clear();
            }
            // A file reached under two Extension keys stands once in its group: its first line.
            if (!filesInGroup.insert(lines[i].member).second) {
                continue;
            }
            DuplicateEntry entry = std::move(lines[i].entry);
            entry.group = counter;
            duplicates.push_back(std::move(entry));
        }
    });
    host.Yield();
}

void FindSizeDuplicates(ScanList& scanList, DuplicateList& duplicates, SearchHost& host,
                        const platform::Locale& locale) {
    // The long passes over the whole list run on a worker: the window stays responsive.
    RunWhileYielding(host, scanList.size(), [&] { KeepSizeNeighbours(scanList); });
    std::vector<SetMember> members;
    members.reserve(scanList.size());
    std::size_t set = 0;
    for (std::size_t i = 0; i < scanList.size(); ++i) {
        if (i > 0 && scanList[i].size != scanList[i - 1].size) {
            ++set;
        }
        members.push_back({scanList[i], set, {}, 0});
    }
    std::vector<PairedEntry> lines;
    RunWhileYielding(host, members.size(), locale, [&](const platform::Locale& own) {
        lines = PairNeighbours(members, Method::SizeOnly, own);
        std::vector<SetMember>().swap(members);  // freeing 100,000s of copies takes a while too
    });
    NumberGroups(std::move(lines), duplicates, host);
}

void FindNameDuplicates(ScanList& scanList, DuplicateList& duplicates, bool withSize,
                        SearchHost& host, const platform::Locale& locale) {
    host.ShowProgress(true);
    host.SetStatusText("Building list of duplicate files.");
    host.Yield();
    // The long passes over the whole list run on a worker: the window stays responsive.
    std::vector<NameKeyedEntry> keyed;
    std::vector<std::size_t> order;
    RunWhileYielding(host, scanList.size(), [&] {
        if (withSize) {
            KeepSizeNeighbours(scanList);
        } else {
            RemoveRepeatedFiles(scanList);
        }
        keyed = KeyByName(scanList);
        order.resize(keyed.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            PollWorkStopped();
            if (int c = keyed[a].nameKey.compare(keyed[b].nameKey)) {
                return c < 0;
            }
            if (withSize && keyed[a].entry.size != keyed[b].entry.size) {
                return keyed[a].entry.size < keyed[b].entry.size;
            }
            return a < b;
        });
    });
    auto sameKey = [&](std::size_t a, std::size_t b) {
        return keyed[a].nameKey == keyed[b].nameKey &&
               (!withSize || keyed[a].entry.size == keyed[b].entry.size);
    };
    std::vector<SetMember> members;
    RunWhileYielding(host, order.size(), [&] {
        std::size_t set = 0;
        std::size_t begin = 0;
        while (begin < order.size()) {
            std::size_t end = begin + 1;
            while (end < order.size() && sameKey(order[begin], order[end])) {
                ++end;
            }
            if (end - begin >= 2) {
                for (std::size_t i = begin; i < end; ++i) {
                    NameKeyedEntry& file = keyed[order[i]];
                    members.push_back({std::move(file.entry), set, std::move(file.nameKey), 0});
                }
                ++set;
            }
            begin = end;
        }
        std::vector<NameKeyedEntry>().swap(keyed);  // its 100,000s of strings are freed here too
    });
    const Method method = withSize ? Method::NameAndSize : Method::NameOnly;
    std::vector<PairedEntry> lines;
    RunWhileYielding(host, members.size(), locale, [&](const platform::Locale& own) {
        lines = PairNeighbours(members, method, own);
        std::vector<SetMember>().swap(members);
    });
    NumberGroups(std::move(lines), duplicates, host);
    host.ShowProgress(false);
    host.Yield();
}

}  // namespace qm::engine
