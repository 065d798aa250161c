#include "engine/Grouping.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

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

// Order of the files within one set: path (collation), size, date, exact path bytes.
int CompareWithinSet(const SetMember& a, const MemberKeys& ka, const SetMember& b,
                     const MemberKeys& kb) {
    if (int c = ka.pathKey.compare(kb.pathKey)) {
        return c;
    }
    if (int c = Compare3(a.entry.size, b.entry.size)) {
        return c;
    }
    if (int c = Compare3(a.entry.lastWrite, b.entry.lastWrite)) {
        return c;
    }
    return a.entry.path.compare(b.entry.path);
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

void RemoveRepeatedFiles(ScanList& list) {
    std::unordered_set<std::string_view> paths;
    std::unordered_set<platform::FileId, FileIdHash> ids;
    paths.reserve(list.size());
    ids.reserve(list.size());
    std::vector<bool> keep(list.size(), false);
    bool anyDropped = false;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const ScanEntry& entry = list[i];
        const bool newPath = paths.insert(entry.path).second;
        const bool newId = !KnownId(entry.id) || ids.insert(entry.id).second;
        keep[i] = newPath && newId;
        anyDropped = anyDropped || !keep[i];
    }
    if (!anyDropped) {
        return;
    }
    paths.clear();  // its views point into the entries about to move
    ScanList kept;
    kept.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (keep[i]) {
            kept.push_back(std::move(list[i]));
        }
    }
    list = std::move(kept);
}

void KeepSizeNeighbours(ScanList& list) {
    RemoveRepeatedFiles(list);
    std::stable_sort(list.begin(), list.end(),
                     [](const ScanEntry& a, const ScanEntry& b) { return a.size < b.size; });
    ScanList kept;
    std::size_t begin = 0;
    while (begin < list.size()) {
        std::size_t end = begin + 1;
        while (end < list.size() && list[end].size == list[begin].size) {
            ++end;
        }
        if (end - begin >= 2) {
            for (std::size_t i = begin; i < end; ++i) {
                kept.push_back(std::move(list[i]));
            }
        }
        begin = end;
    }
    list = std::move(kept);
}

std::vector<NameKeyedEntry> KeyByName(const ScanList& list) {
    std::vector<NameKeyedEntry> keyed;
    keyed.reserve(list.size());
    for (const ScanEntry& entry : list) {
        keyed.push_back({NameKey(entry.path), entry});
    }
    return keyed;
}

std::vector<PairedEntry> PairNeighbours(const std::vector<SetMember>& members, Method method,
                                        const platform::Locale& locale) {
    const std::size_t n = members.size();
    std::vector<MemberKeys> keys(n);
    for (std::size_t i = 0; i < n; ++i) {
        keys[i].pathKey = locale.SortKey(members[i].entry.path);
        if (IsNameMethod(method)) {
            keys[i].nameKey = locale.SortKey(members[i].nameKey);
        }
    }

    // The members of each set in path order, so that pairing neighbours finds every pair of
    // the set whatever other files sort between them.
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
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
        const std::size_t ext = internExt(members[later].entry.path);
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
        entry.path = member.entry.path;
        entry.lastWrite = member.entry.lastWrite;
        entry.id = member.entry.id;
        result.push_back(std::move(paired));
    }
    return result;
}

void NumberGroups(const std::vector<PairedEntry>& lines, DuplicateList& duplicates,
                  SearchHost& host) {
    host.SetStatusText("Sorting the file list.");
    host.Yield();
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
        DuplicateEntry entry = lines[i].entry;
        entry.group = counter;
        duplicates.push_back(std::move(entry));
    }
    host.Yield();
}

void FindSizeDuplicates(ScanList& scanList, DuplicateList& duplicates, SearchHost& host,
                        const platform::Locale& locale) {
    KeepSizeNeighbours(scanList);
    std::vector<SetMember> members;
    members.reserve(scanList.size());
    std::size_t set = 0;
    for (std::size_t i = 0; i < scanList.size(); ++i) {
        if (i > 0 && scanList[i].size != scanList[i - 1].size) {
            ++set;
        }
        members.push_back({scanList[i], set, {}, 0});
    }
    NumberGroups(PairNeighbours(members, Method::SizeOnly, locale), duplicates, host);
}

void FindNameDuplicates(ScanList& scanList, DuplicateList& duplicates, bool withSize,
                        SearchHost& host, const platform::Locale& locale) {
    host.ShowProgress(true);
    host.SetStatusText("Building list of duplicate files.");
    host.Yield();
    if (withSize) {
        KeepSizeNeighbours(scanList);
    } else {
        RemoveRepeatedFiles(scanList);
    }
    std::vector<NameKeyedEntry> keyed = KeyByName(scanList);
    std::vector<std::size_t> order(keyed.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    auto sameKey = [&](std::size_t a, std::size_t b) {
        return keyed[a].nameKey == keyed[b].nameKey &&
               (!withSize || keyed[a].entry.size == keyed[b].entry.size);
    };
    std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (int c = keyed[a].nameKey.compare(keyed[b].nameKey)) {
            return c < 0;
        }
        if (withSize && keyed[a].entry.size != keyed[b].entry.size) {
            return keyed[a].entry.size < keyed[b].entry.size;
        }
        return a < b;
    });
    std::vector<SetMember> members;
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
    const Method method = withSize ? Method::NameAndSize : Method::NameOnly;
    NumberGroups(PairNeighbours(members, method, locale), duplicates, host);
    host.ShowProgress(false);
    host.Yield();
}

}  // namespace qm::engine
