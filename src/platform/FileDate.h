#pragma once

#include <compare>
#include <string>

#include "platform/FileSystem.h"

namespace qm::platform {

// A local calendar date and time of day, to the second. Ordered chronologically.
struct LocalDateTime {
    int year = 1980;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0;
    int second = 0;
    auto operator<=>(const LocalDateTime&) const = default;  // NOLINT(modernize-use-nullptr)
};

// The local two-second file date of a file time: local time (with the offset in force at that
// time), seconds rounded down to an even number. Works for any year the system can represent.
LocalDateTime LocalFileDate(FileTime time);

// The local date and time now, to the second.
LocalDateTime LocalNow();

// Local date-time back to a file time (for tests and the date window); the inverse of the local
// conversion, ignoring the two-second rounding.
FileTime ToFileTime(const LocalDateTime& local);

}  // namespace qm::platform
