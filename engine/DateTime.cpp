#include "engine/DateTime.h"

#include <clocale>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

#include "engine/Text.h"

namespace scoutwell {
namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Seconds from 1 January 1601 to 1 January 1970.
constexpr std::int64_t kUnixEpochInFileTimeSeconds = 11'644'473'600;
constexpr int kSecondsPerDay = 86'400;

// The OLE range: 1 January 100 to 31 December 9999.
constexpr int kFirstOleYear = 100;
constexpr int kLastOleYear = 9999;
constexpr double kFirstOleDay = -657434.0;
constexpr double kLastOleDay = 2958465.0;

constexpr const char* kIsoDateTimeFormat = "%04d-%02d-%02d %02d:%02d:%02d";
constexpr const char* kLocaleDateTimeFormat = "%x %X";

// Days from 1 January 1970 to the given proleptic Gregorian date (after H. Hinnant).
constexpr std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

// Day number of 30 December 1899, the OLE day zero, on the 1970-based scale.
constexpr std::int64_t kOleDayZero = daysFromCivil(1899, 12, 30);

bool isLeapYear(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : kDays[m - 1];
}

bool validCalendar(const CalendarTime& t) {
    return t.year >= kFirstOleYear && t.year <= kLastOleYear && t.month >= 1 && t.month <= 12 &&
           t.day >= 1 && t.day <= daysInMonth(t.year, t.month) && t.hour >= 0 && t.hour < 24 &&
           t.minute >= 0 && t.minute < 60 && t.second >= 0 && t.second < 60;
}

// Floor division, so times before 1970 fall into the right second.
std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0)))
        --q;
    return q;
}

// The C locale in any of its spellings, "C.UTF-8" (Debian's default) included.
bool isPlainCLocale() {
    const char* name = std::setlocale(LC_TIME, nullptr);
    if (name == nullptr)
        return true;
    const std::string_view n(name);
    return n == "C" || n == "POSIX" || n.rfind("C.", 0) == 0;
}

}  // namespace

FileTime fileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds) {
    // Clamped instead of wrapping: a wrapped time would sort and filter as a random date.
    constexpr std::int64_t kMaxSeconds =
        std::numeric_limits<std::int64_t>::max() / kTicksPerSecond - kUnixEpochInFileTimeSeconds -
        1;
    constexpr std::int64_t kMinSeconds =
        std::numeric_limits<std::int64_t>::min() / kTicksPerSecond - kUnixEpochInFileTimeSeconds +
        1;
    if (seconds > kMaxSeconds)
        return std::numeric_limits<FileTime>::max();
    if (seconds < kMinSeconds)
        return std::numeric_limits<FileTime>::min();
    return (seconds + kUnixEpochInFileTimeSeconds) * kTicksPerSecond + nanoseconds / 100;
}

std::int64_t unixSecondsFromFileTime(FileTime ft) {
    return floorDiv(ft, kTicksPerSecond) - kUnixEpochInFileTimeSeconds;
}

bool localCalendarFromFileTime(FileTime ft, CalendarTime& out) {
    const std::int64_t seconds = unixSecondsFromFileTime(ft);
    if (seconds < std::numeric_limits<std::time_t>::min() ||
        seconds > std::numeric_limits<std::time_t>::max()) {
        return false;
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr)
        return false;
    out.year = tm.tm_year + 1900;
    out.month = tm.tm_mon + 1;
    out.day = tm.tm_mday;
    out.hour = tm.tm_hour;
    out.minute = tm.tm_min;
    // A leap second shows as the last second of its minute.
    out.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
    return true;
}

bool oleDateFromCalendar(const CalendarTime& t, OleDate& out) {
    if (!validCalendar(t))
        return false;
    const double days = static_cast<double>(daysFromCivil(t.year, t.month, t.day) - kOleDayZero);
    const double fraction = (t.hour * 3600 + t.minute * 60 + t.second) / double(kSecondsPerDay);
    // Below day zero the time of day counts away from zero, like the whole days.
    out = days < 0 ? days - fraction : days + fraction;
    return true;
}

bool calendarFromOleDate(OleDate date, CalendarTime& out) {
    if (!std::isfinite(date))
        return false;
    const double whole = std::trunc(date);
    if (whole < kFirstOleDay || whole > kLastOleDay)
        return false;
    const double fraction = std::fabs(date - whole);
    std::int64_t day = static_cast<std::int64_t>(whole);
    auto secondOfDay = static_cast<std::int64_t>(std::llround(fraction * kSecondsPerDay));
    if (secondOfDay >= kSecondsPerDay) {
        // Rounded up to the next midnight.
        secondOfDay = 0;
        ++day;
    }
    CalendarTime t;
    civilFromDays(day + kOleDayZero, t.year, t.month, t.day);
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    if (t.year < kFirstOleYear || t.year > kLastOleYear)
        return false;
    out = t;
    return true;
}

OleDate oleDateFromFileTime(FileTime ft) {
    CalendarTime t;
    OleDate date = kNoDate;
    if (!localCalendarFromFileTime(ft, t) || !oleDateFromCalendar(t, date))
        return kNoDate;
    return date;
}

double linearDays(OleDate date) {
    if (date >= 0)
        return date;
    const double whole = std::ceil(date);
    return whole + (whole - date);
}

int compareOleDates(OleDate a, OleDate b) {
    const double la = linearDays(a);
    const double lb = linearDays(b);
    return la < lb ? -1 : (la > lb ? 1 : 0);
}

std::string formatOleDateTime(OleDate date) {
    CalendarTime t;
    if (!calendarFromOleDate(date, t))
        return {};
    if (isPlainCLocale()) {
        return text::format(kIsoDateTimeFormat, t.year, t.month, t.day, t.hour, t.minute, t.second);
    }
    const std::int64_t days = daysFromCivil(t.year, t.month, t.day);
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    // 1 January 1970 was a Thursday; some locales spell out the weekday in %x.
    tm.tm_wday = static_cast<int>(((days % 7) + 7 + 4) % 7);
    tm.tm_yday = static_cast<int>(days - daysFromCivil(t.year, 1, 1));
    tm.tm_isdst = -1;
    char buffer[256];
    const std::size_t n = std::strftime(buffer, sizeof buffer, kLocaleDateTimeFormat, &tm);
    if (n == 0)
        return {};
    return std::string(buffer, n);
}

std::string modifiedText(FileTime ft) {
    const OleDate date = oleDateFromFileTime(ft);
    if (date == kNoDate)
        return {};
    const double day = std::trunc(date);
    if (day < kFirstOleDay || day > kLastOleDay)
        return {};
    return formatOleDateTime(date);
}

}  // namespace scoutwell
