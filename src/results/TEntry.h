#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileOperations.h"

namespace qm::results {

// The five states of a file row. Stored as a 32-bit integer; the values are part of the record.
enum class EntryStatus : std::int32_t {
    None = 0,
    Removed = 1,  // trashed or moved
    Failed = 2,   // the last delete or move of this file failed
    Blocked = 3,  // lies in a blocked folder; can never be marked
    Marked = 4,   // marked for deletion or moving
};

// A 24-bit colour as 0xRRGGBB.
using RgbColor = std::uint32_t;

constexpr RgbColor MakeRgb(int r, int g, int b) {
    return (static_cast<RgbColor>(r & 0xFF) << 16) | (static_cast<RgbColor>(g & 0xFF) << 8) |
           static_cast<RgbColor>(b & 0xFF);
}
constexpr int RedOf(RgbColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
constexpr int GreenOf(RgbColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int BlueOf(RgbColor c) {
    return static_cast<int>(c & 0xFF);
}

inline constexpr RgbColor kBandNavy = MakeRgb(0, 0, 128);
inline constexpr RgbColor kBandDarkGreen = MakeRgb(0, 70, 0);
inline constexpr RgbColor kBlack = MakeRgb(0, 0, 0);
inline constexpr RgbColor kWhite = MakeRgb(255, 255, 255);
inline constexpr RgbColor kRemovedRed = MakeRgb(255, 0, 0);
inline constexpr RgbColor kFirstOfSetBackground = MakeRgb(225, 225, 255);
inline constexpr RgbColor kKeyColumnBackground = MakeRgb(247, 247, 247);
inline constexpr RgbColor kStatisticsLabelBackground = MakeRgb(119, 119, 255);

// The record of every results-tree node, root rows and file rows alike. Root rows only ever get
// Key, GroupText and Status; every other field stays zeroed.
struct TEntry {
    std::string Caption;    // reserved: nothing reads it
    std::string GroupText;  // file rows: the group field as listed; root rows: "ROOT-EXTENSION"
    std::string FileName;   // name part of the full path, exact bytes
    std::string Key;        // root key of the line ("*.JPG", "(None)"); a root row's caption
    std::string Folder;     // folder part of the full path, ending in the separator
    std::int64_t Size = 0;  // bytes
    std::string Modified;   // the date field as listed
    bool FirstOfSet = false;
    RgbColor BandColor = 0;
    EntryStatus Status = EntryStatus::None;
    // What the search saw of the file, checked again right before it is trashed or moved. None
    // for rows read from a results file: their bytes are compared with a surviving copy instead.
    std::optional<platform::FileIdentity> Identity;
    // The set was found by comparing bytes: a copy is trashed only while another copy stays.
    bool FoundByContent = false;

    std::string FullPath() const { return Folder + FileName; }
};

inline constexpr const char* kRootGroupText = "ROOT-EXTENSION";

// "Status: None." and its siblings: the last line of a file row's hint.
const char* StatusHintLine(EntryStatus status);

}  // namespace qm::results
