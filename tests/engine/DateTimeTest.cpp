#include "engine/DateTime.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <random>

namespace scoutwell {
namespace {

// Local time is UTC and dates print in ISO form, so the expected texts hold on any machine.
class DateTimeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        savedTz_ = tz ? tz : "";
        hadTz_ = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
        std::setlocale(LC_TIME, "C");
    }
    void TearDown() override {
        if (hadTz_) {
            setenv("TZ", savedTz_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }

  private:
    std::string savedTz_;
    bool hadTz_ = false;
};

CalendarTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    CalendarTime t;
    t.year = y;
    t.month = mo;
    t.day = d;
    t.hour = h;
    t.minute = mi;
    t.second = s;
    return t;
}

std::string show(const CalendarTime& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
}

TEST_F(DateTimeTest, FileTimesCountFrom1601) {
    EXPECT_EQ(fileTimeFromUnix(0, 0), 116444736000000000LL);
    EXPECT_EQ(fileTimeFromUnix(1, 999), 116444736010000009LL);
    EXPECT_EQ(fileTimeFromUnix(-11644473600LL, 0), 0);
    for (std::int64_t s : {0LL, 1LL, -1LL, 1'700'000'000LL, -5'000'000'000LL, 250'000'000'000LL}) {
        EXPECT_EQ(unixSecondsFromFileTime(fileTimeFromUnix(s, 123'456'789)), s) << s;
    }
    // Before 1970 a part second still belongs to the earlier second.
    EXPECT_EQ(unixSecondsFromFileTime(fileTimeFromUnix(0, 0) - 1), -1);
}

TEST_F(DateTimeTest, HugeUnixTimesSaturateInsteadOfWrapping) {
    EXPECT_EQ(fileTimeFromUnix(std::numeric_limits<std::int64_t>::max(), 0),
              std::numeric_limits<FileTime>::max());
    EXPECT_EQ(fileTimeFromUnix(std::numeric_limits<std::int64_t>::min(), 0),
              std::numeric_limits<FileTime>::min());
}

TEST_F(DateTimeTest, CalendarToOleDate) {
    struct Case {
        CalendarTime time;
        double ole;
    };
    const Case cases[] = {
        {at(1899, 12, 30), 0.0},         {at(1899, 12, 30, 12), 0.5}, {at(1899, 12, 29, 6), -1.25},
        {at(1899, 12, 29, 18), -1.75},   {at(1899, 12, 28), -2.0},    {at(1900, 1, 1), 2.0},
        {at(1900, 3, 1), 61.0},  // 1900 was no leap year
        {at(2000, 2, 29, 18), 36585.75}, {at(100, 1, 1), -657434.0},  {at(9999, 12, 31), 2958465.0},
    };
    for (const Case& c : cases) {
        OleDate ole = 0;
        ASSERT_TRUE(oleDateFromCalendar(c.time, ole)) << show(c.time);
        EXPECT_DOUBLE_EQ(ole, c.ole) << show(c.time);
        CalendarTime back;
        ASSERT_TRUE(calendarFromOleDate(c.ole, back)) << c.ole;
        EXPECT_EQ(show(back), show(c.time)) << c.ole;
    }
}

TEST_F(DateTimeTest, NegativeHalfDayIsNoonOfDayZero) {
    CalendarTime t;
    ASSERT_TRUE(calendarFromOleDate(-0.5, t));
    EXPECT_EQ(show(t), "1899-12-30 12:00:00");
}

TEST_F(DateTimeTest, ImpossibleFieldsAndDatesOutsideTheRangeAreRejected) {
    const CalendarTime bad[] = {
        at(99, 12, 31),        at(10000, 1, 1),          at(1900, 2, 29),    at(2023, 4, 31),
        at(2023, 0, 1),        at(2023, 13, 1),          at(2023, 1, 0),     at(2023, 1, 1, 24),
        at(2023, 1, 1, 0, 60), at(2023, 1, 1, 0, 0, 60), at(2023, 1, 1, -1),
    };
    for (const CalendarTime& t : bad) {
        OleDate ole = 7;
        EXPECT_FALSE(oleDateFromCalendar(t, ole)) << show(t);
    }
    OleDate leap = 0;
    EXPECT_TRUE(oleDateFromCalendar(at(2000, 2, 29), leap));

    CalendarTime out;
    for (double d : {kNoDate, -657435.5, 2958466.0, std::nan(""), HUGE_VAL, -HUGE_VAL}) {
        EXPECT_FALSE(calendarFromOleDate(d, out)) << d;
    }
    // The last second of the range still converts; what rounds up past it does not.
    EXPECT_TRUE(calendarFromOleDate(2958465.0 + 86399.0 / 86400.0, out));
    EXPECT_EQ(show(out), "9999-12-31 23:59:59");
    EXPECT_FALSE(calendarFromOleDate(2958465.0 + (1.0 - 1e-9), out));
}

TEST_F(DateTimeTest, FractionsRoundToWholeSecondsAcrossMidnight) {
    CalendarTime t;
    ASSERT_TRUE(calendarFromOleDate(1.0 - 1e-9, t));
    EXPECT_EQ(show(t), "1899-12-31 00:00:00");
    // Below zero the fraction runs backwards: day -1 (29 December) almost at its end is
    // the next midnight, and day -2 a moment after its start is that day's midnight.
    ASSERT_TRUE(calendarFromOleDate(-2.0 + 1e-9, t));
    EXPECT_EQ(show(t), "1899-12-30 00:00:00");
    ASSERT_TRUE(calendarFromOleDate(-2.0 - 1e-9, t));
    EXPECT_EQ(show(t), "1899-12-28 00:00:00");
}

TEST_F(DateTimeTest, RandomCalendarTimesRoundTripAndKeepTheirOrderOnTheLinearScale) {
    std::mt19937 random(20261208);
    std::uniform_int_distribution<int> year(100, 9999), month(1, 12), day(1, 28), hour(0, 23),
        minute(0, 59), second(0, 58);
    for (int i = 0; i < 20000; ++i) {
        const CalendarTime a = at(year(random), month(random), day(random), hour(random),
                                  minute(random), second(random));
        CalendarTime b = a;
        b.second += 1;
        OleDate oa = 0, ob = 0;
        ASSERT_TRUE(oleDateFromCalendar(a, oa));
        ASSERT_TRUE(oleDateFromCalendar(b, ob));
        CalendarTime back;
        ASSERT_TRUE(calendarFromOleDate(oa, back));
        ASSERT_EQ(show(back), show(a));
        ASSERT_EQ(compareOleDates(oa, ob), -1) << show(a);
        ASSERT_EQ(compareOleDates(ob, oa), 1) << show(a);
        ASSERT_NEAR(linearDays(ob) - linearDays(oa), 1.0 / 86400.0, 1e-6) << show(a);
    }
}

TEST_F(DateTimeTest, NegativeDatesCompareAsPointsInTime) {
    // 29 December 06:00 comes before 29 December 12:00, although -1.25 > -1.5.
    EXPECT_EQ(compareOleDates(-1.25, -1.5), -1);
    EXPECT_EQ(compareOleDates(-1.75, 0.0), -1);
    EXPECT_EQ(compareOleDates(-0.5, 0.5), 0);
    EXPECT_EQ(compareOleDates(kNoDate, -657434.0), -1);
    EXPECT_DOUBLE_EQ(linearDays(-1.25), -0.75);
    EXPECT_DOUBLE_EQ(linearDays(2.5), 2.5);
}

TEST_F(DateTimeTest, FileTimeToLocalOleDate) {
    const FileTime ft = fileTimeFromUnix(1796738589, 987'000'000);  // 2026-12-08 14:03:09.987
    CalendarTime t;
    ASSERT_TRUE(localCalendarFromFileTime(ft, t));
    EXPECT_EQ(show(t), "2026-12-08 14:03:09");
    OleDate expected = 0;
    ASSERT_TRUE(oleDateFromCalendar(t, expected));
    EXPECT_DOUBLE_EQ(oleDateFromFileTime(ft), expected);
    // Year 30828 is beyond the OLE calendar.
    EXPECT_EQ(oleDateFromFileTime(std::numeric_limits<FileTime>::max()), kNoDate);
}

TEST_F(DateTimeTest, ModifiedTextInTheCLocale) {
    struct Case {
        FileTime ft;
        const char* text;
    };
    const Case cases[] = {
        {fileTimeFromUnix(1796738589, 0), "2026-12-08 14:03:09"},
        {fileTimeFromUnix(0, 0), "1970-01-01 00:00:00"},
        {0, "1601-01-01 00:00:00"},
        {fileTimeFromUnix(253402300799LL, 0), "9999-12-31 23:59:59"},
        {fileTimeFromUnix(253402300800LL, 0), ""},  // 10000-01-01
        {std::numeric_limits<FileTime>::max(), ""},
        {std::numeric_limits<FileTime>::min(), ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(modifiedText(c.ft), c.text) << c.ft;
    EXPECT_EQ(formatOleDateTime(-1.25), "1899-12-29 06:00:00");
    EXPECT_EQ(formatOleDateTime(kNoDate), "");
}

TEST_F(DateTimeTest, TheUtf8CLocaleUsesTheIsoFormToo) {
    if (std::setlocale(LC_TIME, "C.UTF-8") == nullptr) GTEST_SKIP() << "no C.UTF-8 locale";
    const std::string shown = formatOleDateTime(-1.25);
    std::setlocale(LC_TIME, "C");
    EXPECT_EQ(shown, "1899-12-29 06:00:00");
}

TEST_F(DateTimeTest, ModifiedTextFollowsANamedLocale) {
    if (std::setlocale(LC_TIME, "en_US.UTF-8") == nullptr &&
        std::setlocale(LC_TIME, "C.UTF-8") == nullptr) {
        GTEST_SKIP() << "no named locale installed";
    }
    const std::string shown = modifiedText(fileTimeFromUnix(1796738589, 0));
    std::setlocale(LC_TIME, "C");
    EXPECT_FALSE(shown.empty());
    EXPECT_NE(shown.find("03:09"), std::string::npos) << shown;
}

}  // namespace
}  // namespace scoutwell
