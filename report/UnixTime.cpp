#include "report/UnixTime.h"

namespace {

// 100-nanosecond intervals from 1601-01-01 to 1970-01-01.
constexpr unsigned long long kUnixEpochAsFileTime = 116444736000000000ULL;
constexpr unsigned long long kIntervalsPerSecond = 10000000ULL;

} // namespace

unsigned long long UnixTimeFromFileTime(const FILETIME& time) {
    const unsigned long long intervals =
        (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    if (intervals < kUnixEpochAsFileTime)
        return 0;
    return (intervals - kUnixEpochAsFileTime) / kIntervalsPerSecond;
}

unsigned long long GetUnixTimeUtc() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    FILETIME fileTime;
    if (!SystemTimeToFileTime(&now, &fileTime))
        return 0;
    return UnixTimeFromFileTime(fileTime);
}
