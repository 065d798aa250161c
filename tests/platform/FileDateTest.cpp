#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

#include "platform/FileDate.h"

namespace qm::platform {
namespace {

constexpr FileTime kSecond = 1'000'000'000;

#ifdef _WIN32
// Windows takes the time zone from the system, never from TZ: a case runs only when its zone is
// the one in force, which this check knows for UTC alone.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) : m_applies(std::string(zone) == "UTC0" && IsUtc()) {}
    bool Applies() const { return m_applies; }

private:
    static bool IsUtc() {
        TIME_ZONE_INFORMATION info{};
        const DWORD kind = ::GetTimeZoneInformation(&info);
        return kind != TIME_ZONE_ID_INVALID && info.Bias == 0 &&
               (info.StandardDate.wMonth == 0 || info.DaylightBias == 0);
    }
    bool m_applies;
};
#else
// Runs a test in a chosen time zone (POSIX rule strings need no time-zone database).
class ScopedTimeZone {
public:
    bool Applies() const { return true; }
    explicit ScopedTimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            m_old = old;
            m_hadOld = true;
        }
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (m_hadOld) {
            ::setenv("TZ", m_old.c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
        ::tzset();
    }

private:
    std::string m_old;
    bool m_hadOld = false;
};
#endif

struct DateCase {
    const char* zone;
    FileTime time;
    LocalDateTime expected;
};

TEST(FileDateTest, LocalFileDateRoundsSecondsDownToEvenInAnyYear) {
    const char* utc = "UTC0";
    const char* cet = "CET-1CEST,M3.5.0,M10.5.0/3";
    const DateCase cases[] = {
        {utc, 1'136'473'447 * kSecond, {2006, 1, 5, 15, 4, 6}},
        {utc, 1'136'473'446 * kSecond + 999'999'999, {2006, 1, 5, 15, 4, 6}},
        {utc, 1'136'473'448 * kSecond, {2006, 1, 5, 15, 4, 8}},
        {utc, 0, {1970, 1, 1, 0, 0, 0}},
        {utc, -1 * kSecond, {1969, 12, 31, 23, 59, 58}},
        {utc, -1, {1969, 12, 31, 23, 59, 58}},  // one nanosecond before 1970
        {utc, 315'532'799 * kSecond, {1979, 12, 31, 23, 59, 58}},
        {utc, 4'354'819'201 * kSecond, {2108, 1, 1, 0, 0, 0}},
        {utc, 5'694'587'131 * kSecond, {2150, 6, 15, 13, 45, 30}},
        {utc, -2'208'988'800 * kSecond, {1900, 1, 1, 0, 0, 0}},
        // The ends of the nanosecond range of FileTime.
        {utc, std::numeric_limits<FileTime>::max(), {2262, 4, 11, 23, 47, 16}},
        {utc, std::numeric_limits<FileTime>::min(), {1677, 9, 21, 0, 12, 42}},
        // The offset in force at that time: winter +1, summer +2.
        {cet, 1'136'473'447 * kSecond, {2006, 1, 5, 16, 4, 6}},
        {cet, 1'151'755'201 * kSecond, {2006, 7, 1, 14, 0, 0}},
        {cet, 0, {1970, 1, 1, 1, 0, 0}},
    };
    for (const auto& c : cases) {
        ScopedTimeZone zone(c.zone);
        if (!zone.Applies()) {
            continue;
        }
        SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.time));
        EXPECT_EQ(LocalFileDate(c.time), c.expected);
    }
}

TEST(FileDateTest, ToFileTimeIsTheInverseOfTheLocalConversion) {
    for (const char* zoneName : {"UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0"}) {
        ScopedTimeZone zone(zoneName);
        if (!zone.Applies()) {
            continue;
        }
        for (const std::int64_t seconds :
             {std::int64_t{0}, std::int64_t{-86'400}, std::int64_t{1'136'473'446},
              std::int64_t{1'151'755'200}, std::int64_t{5'694'587'130},
              std::int64_t{-2'208'988'800}}) {
            SCOPED_TRACE(std::string(zoneName) + " " + std::to_string(seconds));
            const FileTime time = seconds * kSecond;
            EXPECT_EQ(ToFileTime(LocalFileDate(time)), time);
        }
    }
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    if (zone.Applies()) {
        EXPECT_EQ(ToFileTime({2006, 1, 5, 16, 4, 6}), 1'136'473'446 * kSecond);
        EXPECT_EQ(ToFileTime({2006, 7, 1, 14, 0, 0}), 1'151'755'200 * kSecond);
        // Odd seconds are kept: only LocalFileDate rounds.
        EXPECT_EQ(ToFileTime({2006, 1, 5, 16, 4, 7}), 1'136'473'447 * kSecond);
    }
    // Dates beyond the range of FileTime saturate.
    EXPECT_EQ(ToFileTime({9999, 12, 31, 23, 59, 59}), std::numeric_limits<FileTime>::max());
    EXPECT_EQ(ToFileTime({1000, 1, 1, 0, 0, 0}), std::numeric_limits<FileTime>::min());
}

TEST(FileDateTest, LocalDateTimesOrderChronologically) {
    EXPECT_LT((LocalDateTime{2006, 1, 5, 15, 4, 6}), (LocalDateTime{2006, 1, 5, 15, 4, 8}));
    EXPECT_LT((LocalDateTime{2005, 12, 31, 23, 59, 58}), (LocalDateTime{2006, 1, 1, 0, 0, 0}));
    EXPECT_LT((LocalDateTime{1969, 12, 31, 23, 59, 58}), (LocalDateTime{2150, 1, 1, 0, 0, 0}));
}

TEST(FileDateTest, LocalNowIsTheCurrentLocalTime) {
    ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const std::time_t before = std::time(nullptr);
    const LocalDateTime now = LocalNow();
    const std::time_t after = std::time(nullptr);
    const FileTime back = ToFileTime(now);
    EXPECT_GE(back, static_cast<FileTime>(before) * kSecond);
    EXPECT_LE(back, static_cast<FileTime>(after) * kSecond);
}

}  // namespace
}  // namespace qm::platform
