#include "engine/SearchExpression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/Messages.h"

namespace scoutwell {
namespace {

class CountingSink : public MessageSink {
  public:
    CountingSink() { setMessageSink(this); }
    ~CountingSink() override { setMessageSink(nullptr); }
    void showMessage(const std::string&) override { ++count; }
    int count = 0;
};

TEST(SearchExpression, StoresThePatternInLowerCaseUnlessCaseMatters) {
    SearchExpression e;
    EXPECT_TRUE(e.set("Todo\xC3\x84|FIXME", /*matchCase=*/false, /*compileNow=*/true, nullptr));
    EXPECT_EQ(e.pattern(), "todo\xC3\xA4|fixme");
    EXPECT_TRUE(e.compiled());
    EXPECT_TRUE(e.set("Todo", /*matchCase=*/true, /*compileNow=*/false, nullptr));
    EXPECT_EQ(e.pattern(), "Todo");
    EXPECT_FALSE(e.compiled());
}

TEST(SearchExpression, ReportsAnInvalidPatternInItsStoredForm) {
    struct Case {
        const char* pattern;
        bool matchCase;
        bool valid;
        const char* error;
    };
    const Case cases[] = {
        {"A**", true, false, "The expression: A** is not valid"},
        {"A**", false, false, "The expression: a** is not valid"},
        {"[Z-a]", true, true, ""},
        {"[Z-a]", false, false, "The expression: [z-a] is not valid"},
        {"\\W", false, true, ""},
    };
    for (const Case& c : cases) {
        SearchExpression e;
        std::string error;
        EXPECT_EQ(e.set(c.pattern, c.matchCase, /*compileNow=*/true, &error), c.valid) << c.pattern;
        EXPECT_EQ(e.compiled(), c.valid) << c.pattern;
        EXPECT_EQ(error, c.error) << c.pattern;
    }
}

TEST(SearchExpression, FindsInTheSubjectAsPassed) {
    struct Case {
        const char* pattern;
        bool matchCase;
        const char* subject;
        bool found;
        int start;
        int length;
    };
    const Case cases[] = {
        {"abc", false, "xxABC", true, 2, 3},
        {"ABC", false, "xxabc", true, 2, 3},
        {"ABC", true, "xxabc", false, 0, 0},
        {"(\xC3\xA4)+", false, "a\xC3\x84\xC3\xA4!", true, 1, 4},  // Ä and ä
        {"\\W", false, "a w", true, 2, 1},  // lower-casing turns the escape into w
        {"[A-Z]", false, "123q", true, 3, 1},
    };
    for (const Case& c : cases) {
        SearchExpression e;
        ASSERT_TRUE(e.set(c.pattern, c.matchCase, /*compileNow=*/false, nullptr));
        int start = -7;
        int length = -7;
        EXPECT_EQ(e.find(c.subject, start, length), c.found) << c.pattern;
        EXPECT_TRUE(e.compiled());
        EXPECT_EQ(start, c.found ? c.start : -7) << c.pattern;  // untouched when not found
        EXPECT_EQ(length, c.found ? c.length : -7) << c.pattern;
    }
}

TEST(SearchExpression, InvalidPatternFindsNothingAndIsReportedOnce) {
    CountingSink sink;
    SearchExpression e;
    ASSERT_TRUE(e.set("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", true, /*compileNow=*/false, nullptr));
    int start = -7;
    int length = -7;
    for (int line = 0; line < 3; ++line)
        EXPECT_FALSE(e.find("abcdefghij", start, length));
    EXPECT_EQ(start, -7);
    EXPECT_EQ(length, -7);
    EXPECT_EQ(sink.count, 1);

    // A new pattern is compiled afresh.
    ASSERT_TRUE(e.set("(j)", true, /*compileNow=*/false, nullptr));
    EXPECT_TRUE(e.find("abcdefghij", start, length));
    EXPECT_EQ(start, 9);
}

}  // namespace
}  // namespace scoutwell
