#include <ctime>
#include <limits>

#include "platform/FileDate.h"

namespace qm::platform {

namespace {

constexpr std::int64_t kNanosPerSecond = 1'000'000'000;

LocalDateTime FromTm(const std::tm& tm) {
    LocalDateTime local;
    local.year = tm.tm_year + 1900;
    local.month = tm.tm_mon + 1;
    local.day = tm.tm_mday;
    local.hour = tm.tm_hour;
    local.minute = tm.tm_min;
    local.second = tm.tm_sec;
    return local;
}

LocalDateTime LocalOfSeconds(std::time_t seconds) {
    std::tm tm{};
    if (::localtime_r(&seconds, &tm) == nullptr) {
        return {};  // beyond what the C library can represent (years past 2^31)
    }
    return FromTm(tm);
}

}  // namespace

LocalDateTime LocalFileDate(FileTime time) {
    // Floor, not truncation, so that a time just before 1970 stays in 1969.
    std::int64_t seconds = time / kNanosPerSecond;
    if (time % kNanosPerSecond < 0) {
        --seconds;
    }
    LocalDateTime local = LocalOfSeconds(static_cast<std::time_t>(seconds));
    // The two-second file-date form.
    local.second -= local.second % 2;
    return local;
}

LocalDateTime LocalNow() {
    return LocalOfSeconds(std::time(nullptr));
}

FileTime ToFileTime(const LocalDateTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;  // let the C library decide whether summer time was in force
    const std::int64_t seconds = std::mktime(&tm);
    // Saturate instead of overflowing for dates outside the range of FileTime (1677..2262).
    if (seconds > std::numeric_limits<FileTime>::max() / kNanosPerSecond) {
        return std::numeric_limits<FileTime>::max();
    }
    if (seconds < std::numeric_limits<FileTime>::min() / kNanosPerSecond) {
        return std::numeric_limits<FileTime>::min();
    }
    return seconds * kNanosPerSecond;
}

}  // namespace qm::platform
