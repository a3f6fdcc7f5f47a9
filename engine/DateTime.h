// File times, local calendar times and OLE dates.
//
// A file time counts 100-ns units since 1 January 1601, UTC. An OLE date counts days since
// 30 December 1899 as a double, local time; below zero the whole-day part and the
// fraction count in opposite directions (-1.25 is 29 December 1899, 06:00).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace scoutwell {

using FileTime = std::int64_t;
using OleDate = double;

// The date that stands for "no date": before every real one.
inline constexpr OleDate kNoDate = -657435.0;

struct CalendarTime {
    int year = 1899, month = 12, day = 30;  // month 1..12, day 1..31
    int hour = 0, minute = 0, second = 0;
};

FileTime fileTimeFromUnix(std::int64_t seconds, std::int64_t nanoseconds);
std::int64_t unixSecondsFromFileTime(FileTime ft);

// File time (UTC) to local calendar fields, milliseconds dropped. False when the time
// cannot be represented.
bool localCalendarFromFileTime(FileTime ft, CalendarTime& out);

// Calendar fields to an OLE date and back, whole seconds. False outside the OLE range
// (years 100 to 9999) or for impossible fields.
bool oleDateFromCalendar(const CalendarTime& t, OleDate& out);
bool calendarFromOleDate(OleDate date, CalendarTime& out);

// A file's modified time as an OLE date in local time, or kNoDate when a conversion fails.
OleDate oleDateFromFileTime(FileTime ft);

// OLE dates as points on a linear day scale, so that negative dates compare correctly.
double linearDays(OleDate date);
int compareOleDates(OleDate a, OleDate b);

// Date and time of an OLE date in the user's locale (strftime "%x %X" under LC_TIME;
// the ISO form "2026-12-08 14:03:09" in the C or POSIX locale).
std::string formatOleDateTime(OleDate date);

// The modified text of a found item: empty when a conversion fails or the date lies
// outside -657434 to 2958465 days.
std::string modifiedText(FileTime ft);

}  // namespace scoutwell
