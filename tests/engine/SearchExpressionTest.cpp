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
        {"A**", true, false,
         "The expression: A** is not valid\n"
         "Repetition of a repetition at byte offset 2: * cannot follow *, + or ?."},
        {"A**", false, false,
         "The expression: a** is not valid\n"
         "Repetition of a repetition at byte offset 2: * cannot follow *, + or ?."},
        {"[Z-a]", true, true, ""},
        {"[Z-a]", false, false,
         "The expression: [z-a] is not valid\n"
         "Reversed range at byte offset 1: z-a ends before it starts."},
        {"\\W", false, true, ""},
        {"printf(\"%d\", n", true, false,
         "The expression: printf(\"%d\", n is not valid\n"
         "Unbalanced parenthesis at byte offset 6: this ( has no ) to close it."},
        {"ends\\", true, false,
         "The expression: ends\\ is not valid\n"
         "Lone backslash at byte offset 4: a \\ must be followed by the character it stands "
         "for (\\\\ for a backslash)."},
    };
    for (const Case& c : cases) {
        SearchExpression e;
        std::string error;
        EXPECT_EQ(e.set(c.pattern, c.matchCase, /*compileNow=*/true, &error), c.valid) << c.pattern;
        EXPECT_EQ(e.compiled(), c.valid) << c.pattern;
        EXPECT_EQ(error, c.error) << c.pattern;
    }
}

TEST(SearchExpression, ShowsTheFirst200BytesOfALongInvalidPattern) {
    // 199 ASCII bytes and a two-byte character across the cut: the character goes whole.
    const std::string pattern = std::string(199, 'x') + "\xC3\xA9(" + std::string(100000, 'y');
    SearchExpression e;
    std::string error;
    EXPECT_FALSE(e.set(pattern, /*matchCase=*/true, /*compileNow=*/true, &error));
    EXPECT_EQ(error, "The expression: " + std::string(199, 'x') +
                         "\u2026 is not valid\n"
                         "Unbalanced parenthesis at byte offset 201: this ( has no ) to close it.");
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
