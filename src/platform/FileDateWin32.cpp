#include <limits>

#include "platform/FileDate.h"
#include "platform/Win32Tools.h"

namespace qm::platform {

namespace {

LocalDateTime FromSystemTime(const SYSTEMTIME& time) {
    LocalDateTime local;
    local.year = time.wYear;
    local.month = time.wMonth;
    local.day = time.wDay;
    local.hour = time.wHour;
    local.minute = time.wMinute;
    local.second = time.wSecond;
    return local;
}

}  // namespace

// The offset in force at that time, as the POSIX build gives it: the time zone's rules for that
// date (SystemTimeToTzSpecificLocalTime), not the offset of today, which would move a winter
// file's date by an hour in summer. The two-second form is made here rather than through the
// DOS date form, which holds only the years 1980 to 2107.
LocalDateTime LocalFileDate(FileTime time) {
    const FILETIME fileTime = win32::ToSystemFileTime(time);
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (::FileTimeToSystemTime(&fileTime, &utc) == 0 ||
        ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) == 0) {
        return {};
    }
    LocalDateTime result = FromSystemTime(local);
    result.second -= result.second % 2;
    return result;
}

LocalDateTime LocalNow() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return FromSystemTime(now);
}

FileTime ToFileTime(const LocalDateTime& local) {
    // SYSTEMTIME holds the years 1601 to 30827; beyond them the nearest end stands in.
    if (local.year < 1601) {
        return std::numeric_limits<FileTime>::min();
    }
    if (local.year > 30827) {
        return std::numeric_limits<FileTime>::max();
    }
    SYSTEMTIME localTime{};
    localTime.wYear = static_cast<WORD>(local.year);
    localTime.wMonth = static_cast<WORD>(local.month);
    localTime.wDay = static_cast<WORD>(local.day);
    localTime.wHour = static_cast<WORD>(local.hour);
    localTime.wMinute = static_cast<WORD>(local.minute);
    localTime.wSecond = static_cast<WORD>(local.second);
    SYSTEMTIME utc{};
    FILETIME fileTime{};
    if (::TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utc) == 0 ||
        ::SystemTimeToFileTime(&utc, &fileTime) == 0) {
        return 0;
    }
    return win32::FromFileTime(fileTime);
}

}  // namespace qm::platform
