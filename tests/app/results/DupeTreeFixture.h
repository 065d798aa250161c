#pragma once

#include <string>
#include <vector>

#include "engine/FileRecords.h"

namespace qm::app::testing {

// Results-file lines (group|path|key|size|date) of sets given as paths, all files of a set of
// the same size.
struct FixtureSet {
    std::vector<std::string> paths;
    long long size;
};

inline const engine::FieldNumbers kFileFields{1, 5, 4, 3, 2};

inline std::vector<std::string> FixtureLines(const std::vector<FixtureSet>& sets) {
    std::vector<std::string> lines;
    int group = 0;
    for (const FixtureSet& set : sets) {
        ++group;
        for (const std::string& path : set.paths) {
            lines.push_back(engine::GroupText(group) + "|" + path + "|" +
                            engine::ExtensionKey(path) + "|" + engine::SizeText(set.size) +
                            "|03/14/2024 09:26:52 AM");
        }
    }
    return lines;
}

// n rows in sets of two, all under one key.
inline std::vector<std::string> ManyLines(int n) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        lines.push_back(engine::GroupText(i / 2 + 1) + "|/data/" + (i % 2 ? "b/" : "a/") + "file" +
                        std::to_string(i / 2) + ".dat|*.DAT|0000004096|01/01/2020 12:00:00 PM");
    }
    return lines;
}

}  // namespace qm::app::testing
