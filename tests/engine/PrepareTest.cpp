#include <gtest/gtest.h>

#include "engine/Messages.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

TEST(Prepare, DosExpressionsBecomeUnanchoredRegularExpressions) {
    const std::pair<const char*, const char*> cases[] = {
        {"*.txt;*.doc", ".*\\.txt|.*\\.doc"},
        {"file?.c", "file.\\.c"},
        {"a+b(1).txt", "a\\+b\\(1\\)\\.txt"},
        {"^$[]|\\", "\\^\\$\\[\\]\\|\\\\"},
        {"a,b", "a,b"},
        {"", ""},
        {"\xC3\xA4*", "\xC3\xA4.*"},
    };
    for (const auto& [dos, re] : cases)
        EXPECT_EQ(dosToRegExp(dos), re) << dos;
    EXPECT_EQ(escapeLiteral("a.b*c?d+(e)[f]|^$\\"), "a\\.b\\*c\\?d\\+\\(e\\)\\[f\\]\\|\\^\\$\\\\");
}

TEST(Prepare, ConvertsThenValidatesInOrder) {
    testing::TempTree tree;
    SearchCriteria c;
    c.lookIn = {tree.path()};
    c.fileName = "*.TXT";
    c.treatContentsAsRegExp = false;
    c.containingText = "1+1=2?";
    c.searchContents = true;
    std::string error;
    ASSERT_TRUE(c.prepare(error)) << error;
    EXPECT_EQ(c.fileName, ".*\\.TXT");
    EXPECT_EQ(c.containingText, "1\\+1=2\\?");
    EXPECT_TRUE(c.searchContents);

    SearchCriteria empty;
    empty.lookIn = {tree.path()};
    empty.searchContents = true;  // but nothing to look for
    ASSERT_TRUE(empty.prepare(error));
    EXPECT_FALSE(empty.searchContents);
}

TEST(Prepare, ReportsTheFirstProblemWithItsText) {
    testing::TempTree tree;
    struct Case {
        std::vector<std::string> lookIn;
        const char* fileName;
        bool dos;
        const char* contents;
        std::string expected;
    };
    const std::string ok = tree.path();
    const Case cases[] = {
        // A file name is a regular expression only by the user's choice; containing text
        // is one by default, so its message says how to search for the text as typed.
        {{ok}, "AB(", false, "", "The expression: ab( is not valid\nUnbalanced parenthesis"},
        {{ok},
         "",
         true,
         "x**",
         std::string("The expression: x** is not valid\nRepetition of a repetition at byte offset "
                     "2: * cannot follow *, + or ?.\n") +
             kPlainTextHint},
        {{"relative/"},
         "",
         true,
         "",
         "relative/ is not a valid search directory. The directory name must be the full path, "
         "starting with / (e.g. /usr/share) OR a mounted network share (e.g. "
         "/mnt/WORKSTATION/Shared_Folder)."},
        {{ok, ok + "missing/"}, "", true, "", ok + "missing/ is not a valid search directory."},
    };
    for (const Case& k : cases) {
        SearchCriteria c;
        c.lookIn = k.lookIn;
        c.fileName = k.fileName;
        c.autoConvertToDos = k.dos;
        c.containingText = k.contents;
        c.searchContents = true;
        std::string error;
        EXPECT_FALSE(c.prepare(error));
        EXPECT_EQ(error.substr(0, k.expected.size()), k.expected);
    }
}

TEST(Prepare, TheLocalDrivesLabelIsNotAFolderToCheck) {
    SearchEnvironment saved = searchEnvironment();
    SearchEnvironment env = saved;
    env.localDrivesLabel = "Local hard drives (/)";
    setSearchEnvironment(env);
    SearchCriteria c;
    c.lookIn = {env.localDrivesLabel};
    std::string error;
    EXPECT_TRUE(c.prepare(error)) << error;
    setSearchEnvironment(saved);
}

TEST(Prepare, SizeBoundsIncludeTheirOwnValue) {
    SearchCriteria c;
    c.sizeMoreThanOn = true;
    c.sizeMoreThan = 1024;
    EXPECT_FALSE(passesSize(c, 1023));
    EXPECT_TRUE(passesSize(c, 1024));
    c.sizeMoreThanOn = false;
    c.sizeLessThanOn = true;
    c.sizeLessThan = 1024;
    EXPECT_TRUE(passesSize(c, 1024));
    EXPECT_FALSE(passesSize(c, 1025));
    // Sizes compare unsigned: the largest size is above every bound.
    EXPECT_FALSE(passesSize(c, ~0ull));
}

TEST(Prepare, DateBoundsAreInclusiveAndMidnightBased) {
    SearchCriteria c;
    CalendarTime day;
    day.year = 2024;
    day.month = 3;
    day.day = 10;
    ASSERT_TRUE(oleDateFromCalendar(day, c.modifiedBefore));
    c.modifiedBeforeOn = true;
    c.modifiedAfter = c.modifiedBefore;
    auto fileTimeAt = [](int hour, int minute, int second) {
        CalendarTime t;
        t.year = 2024;
        t.month = 3;
        t.day = 10;
        t.hour = hour;
        t.minute = minute;
        t.second = second;
        OleDate d;
        EXPECT_TRUE(oleDateFromCalendar(t, d));
        // Back from local time to a file time through the C library, as a file would carry.
        std::tm tm{};
        tm.tm_year = 2024 - 1900;
        tm.tm_mon = 2;
        tm.tm_mday = 10;
        tm.tm_hour = hour;
        tm.tm_min = minute;
        tm.tm_sec = second;
        tm.tm_isdst = -1;
        return fileTimeFromUnix(std::mktime(&tm), 0);
    };
    // The upper bound D keeps entries up to the start of day D only.
    EXPECT_TRUE(passesDate(c, fileTimeAt(0, 0, 0)));
    EXPECT_FALSE(passesDate(c, fileTimeAt(0, 0, 1)));
    c.modifiedBeforeOn = false;
    c.modifiedAfterOn = true;
    EXPECT_TRUE(passesDate(c, fileTimeAt(0, 0, 0)));
    EXPECT_TRUE(passesDate(c, fileTimeAt(23, 59, 59)));
    EXPECT_FALSE(passesDate(c, fileTimeAt(0, 0, 0) - 10000000));  // a second before
}

}  // namespace
}  // namespace scoutwell
