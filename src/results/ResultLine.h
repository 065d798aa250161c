#pragma once

#include <cstdint>
#include <string>

namespace qm::results {

// One file row of a list with its fields already taken apart: what a results file holds per line
// (group|path|key|size|date). Keeping the fields apart lets a path hold any byte, "|" included.
struct ResultLine {
    std::string groupText;  // as the tree keeps it, e.g. "000001"; the fill skips a non-integer
    std::string path;       // full path, exact bytes
    std::string key;        // root row key, "*.JPG" or "(None)"
    std::int64_t size = 0;
    std::string modified;  // the date text, unchanged
    bool operator==(const ResultLine&) const = default;
};

}  // namespace qm::results
