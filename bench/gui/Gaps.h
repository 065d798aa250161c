#pragma once

// The gaps between the ticks of a 1 ms timer that stands for the user's input: each gap is time
// in which the window could not react.
#include <algorithm>
#include <cstddef>
#include <vector>

namespace qm::bench {

struct Gaps {
    double maxMs = 0;
    double p99Ms = 0;
    std::size_t ticks = 0;
};

inline Gaps Summarise(std::vector<double> gaps) {
    Gaps result;
    result.ticks = gaps.size();
    if (gaps.empty()) {
        return result;
    }
    std::sort(gaps.begin(), gaps.end());
    result.maxMs = gaps.back();
    result.p99Ms = gaps[std::min(gaps.size() - 1, gaps.size() * 99 / 100)];
    return result;
}

}  // namespace qm::bench
