#include "engine/RegExp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "engine/Messages.h"

namespace scoutwell {
namespace {

class CapturingSink : public MessageSink {
  public:
    CapturingSink() { setMessageSink(this); }
    ~CapturingSink() override { setMessageSink(nullptr); }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

std::vector<std::uint8_t> bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

TEST(RegExp, CompilesToTheDocumentedProgram) {
    struct Case {
        const char* pattern;
        std::vector<std::uint8_t> program;
    };
    const Case cases[] = {
        {"ab*c", bytes({0x06, 0x00, 0x15,             // Alternative, to End
                        0x08, 0x00, 0x05, 'a', 0x00,  // Literal "a"
                        0x0A, 0x00, 0x08,             // ZeroOrMore, to 16
                        0x08, 0x00, 0x00, 'b', 0x00,  //   its operand
                        0x08, 0x00, 0x05, 'c', 0x00,  // Literal "c"
                        0x00, 0x00, 0x00})},          // End
        {"(a)*", bytes({0x06, 0x00, 0x1D,             // Alternative, to End
                        0x06, 0x00, 0x14,             // loop: try the group...
                        0x15, 0x00, 0x03,             //   GroupOpen 1
                        0x06, 0x00, 0x08,             //   Alternative, to GroupClose
                        0x08, 0x00, 0x05, 'a', 0x00,  //   Literal "a"
                        0x1F, 0x00, 0x03,             //   GroupClose 1
                        0x07, 0x00, 0x11,             //   LoopBack to offset 3
                        0x06, 0x00, 0x03,             // ...or else leave
                        0x09, 0x00, 0x03,             //   Empty
                        0x00, 0x00, 0x00})},          // End
        {"", bytes({0x06, 0x00, 0x06, 0x09, 0x00, 0x03, 0x00, 0x00, 0x00})},
        {"[a-c]",
         bytes({0x06, 0x00, 0x0A, 0x04, 0x00, 0x07, 'a', 'b', 'c', 0x00, 0x00, 0x00, 0x00})},
        // A range through 0 lists the NUL too; matching stops reading the set there.
        {"[\xFF-\x02]", bytes({0x06, 0x00, 0x0B, 0x04, 0x00, 0x08, 0xFF, 0x00, 0x01, 0x02, 0x00,
                               0x00, 0x00, 0x00})},
    };
    for (const Case& c : cases) {
        RegExp re;
        ASSERT_TRUE(re.compile(c.pattern)) << c.pattern;
        EXPECT_EQ(re.program(), c.program) << c.pattern;
    }
}

TEST(RegExp, RefusesInvalidExpressions) {
    struct Case {
        const char* pattern;
        bool valid;
    };
    const Case cases[] = {
        {"", true},
        {"a|", true},
        {"()", true},
        {"|", true},
        {"(", false},
        {"a(b", false},
        {")", false},
        {"a)b", false},
        {"(a))", false},
        {"*a", false},
        {"+", false},
        {"?", false},
        {"(*a)", false},
        {"a|*", false},
        {"(|*)", false},
        {"a**", false},
        {"a*?", false},
        {"a+*", false},
        {"a?*", false},
        {"a??", false},
        {"^*", false},
        {"$+", false},
        {"^?", true},
        {"(a*)*", false},
        {"(a*)+", false},
        {"()+", false},
        {"(a|)*", false},
        {"(a*)?", true},
        {"(a*b)*", true},
        {"(a|b+)+", true},
        {"(^a)*", true},
        {"[abc", false},
        {"[]", false},
        {"[^]", false},
        {"[]a]", true},
        {"[z-a]", false},
        {"[a-a]", true},
        {"[\x41-\xC1]", false},  // signed ends: 65 to -63
        {"[\xC1-\xFF]", true},
        {"\\", false},
        {"a\\", false},
        {"\\\\", true},
        {"{}]", true},
    };
    for (const Case& c : cases) {
        RegExp re;
        EXPECT_EQ(re.compile(c.pattern), c.valid) << c.pattern;
        EXPECT_EQ(re.hasProgram(), c.valid) << c.pattern;
        EXPECT_EQ(re.error() == RegExp::Error::None, c.valid) << c.pattern;
    }
}

TEST(RegExp, SaysWhatIsWrongAndAtWhichByte) {
    using Error = RegExp::Error;
    struct Case {
        std::string pattern;
        Error error;
        std::size_t offset;
    };
    const Case cases[] = {
        {"printf(", Error::UnclosedGroup, 6},
        {"(a(b)", Error::UnclosedGroup, 0},
        {"a(b)c)d", Error::UnopenedGroup, 5},
        {"*a", Error::NothingToRepeat, 0},
        {"ab|+c", Error::NothingToRepeat, 3},
        {"x(?)", Error::NothingToRepeat, 2},
        {"ab*?", Error::RepeatedRepeat, 3},
        {"ab^*", Error::RepeatOfEmpty, 3},
        {"x(a*)+", Error::RepeatOfEmpty, 5},
        {"ab[cd", Error::UnclosedSet, 2},
        {"[ab]c[^", Error::UnclosedSet, 5},
        {"a[0-9z-a]", Error::ReversedRange, 5},
        {"ab\\", Error::TrailingBackslash, 2},
        {"(1)(2)(3)(4)(5)(6)(7)(8)(9)x(10)", Error::TooManyGroups, 28},
        // The first fault in the pattern is the one reported.
        {"a**(b", Error::RepeatedRepeat, 2},
        // 6 bytes of nodes come before the literal's bytes.
        {std::string(RegExp::kMaxProgramSize, 'a'), Error::TooLong, RegExp::kMaxProgramSize - 5},
    };
    for (const Case& c : cases) {
        RegExp re;
        EXPECT_FALSE(re.compile(c.pattern)) << c.pattern;
        EXPECT_EQ(re.error(), c.error) << c.pattern;
        EXPECT_EQ(re.errorOffset(), c.offset) << c.pattern;
    }
    // A later success forgets the fault.
    RegExp re;
    ASSERT_FALSE(re.compile("("));
    ASSERT_TRUE(re.compile("()"));
    EXPECT_EQ(re.error(), Error::None);
}

TEST(RegExp, FailedCompileDropsTheEarlierProgram) {
    RegExp re;
    ASSERT_TRUE(re.compile("abc"));
    EXPECT_FALSE(re.compile("a**"));
    int length = 7;
    EXPECT_EQ(re.search("abc", length), -1);
    EXPECT_EQ(length, 0);
}

TEST(RegExp, TenthGroupIsReportedOnceAndRefused) {
    struct Case {
        const char* pattern;
        bool valid;
        std::size_t messages;
    };
    const Case cases[] = {
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)", true, 0},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", false, 1},
        {"((((((((((a))))))))))", false, 1},
        {"(a)(b)(c)(d)(e)(f)(g)(h)(i)(", false, 1},     // the limit is met before the `)`
        {"*(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", false, 0},  // an earlier error stops the parse
    };
    for (const Case& c : cases) {
        CapturingSink sink;
        RegExp re;
        EXPECT_EQ(re.compile(c.pattern), c.valid) << c.pattern;
        ASSERT_EQ(sink.messages.size(), c.messages) << c.pattern;
        if (c.messages) {
            EXPECT_EQ(sink.messages[0],
                      "Too many parens (). Max number allowed in expression is 10\n");
        }
    }
}

TEST(RegExp, RefusesProgramsThatOffsetsCannotSpan) {
    // Alternative, Literal and End take 9 bytes around the literal's bytes and terminator.
    RegExp re;
    EXPECT_TRUE(re.compile(std::string(RegExp::kMaxProgramSize - 10, 'a')));
    EXPECT_EQ(re.program().size(), RegExp::kMaxProgramSize);
    EXPECT_FALSE(re.compile(std::string(RegExp::kMaxProgramSize - 9, 'a')));
    EXPECT_FALSE(re.compile(std::string(20000, 'a') + "|" + std::string(20000, 'b')));
}

TEST(RegExp, KnowsItsHints) {
    struct Case {
        const char* pattern;
        char firstByte;
        bool anchored;
        const char* mustContain;
    };
    const Case cases[] = {
        {"ab*c", 'a', false, ""},
        {"^abc", 0, true, ""},
        {"abc|d", 0, false, ""},
        {"^a|b", 0, false, ""},
        {"a*xyz", 0, false, "xyz"},
        {"a+xyz", 0, false, "xyz"},
        {"a?xyz", 0, false, ""},
        {"a*bcd*ef", 0, false, "ef"},  // "bc" and "ef" tie: the later one
        {".+abc.*ab", 0, false, "abc"},
        {"(a*b|c)de", 0, false, "de"},
        {"(c|a*b)de", 0, false, "de"},  // any branch of the leading group counts
        {"((a*)b)cc", 0, false, "cc"},  // literals inside groups are not certain
        {"x(a*)yy", 'x', false, ""},
        {"(a)*", 0, false, ""},
        {"[ab]*c", 0, false, "c"},
        {"", 0, false, ""},
    };
    for (const Case& c : cases) {
        RegExp re;
        ASSERT_TRUE(re.compile(c.pattern)) << c.pattern;
        EXPECT_EQ(re.firstByte(), static_cast<std::uint8_t>(c.firstByte)) << c.pattern;
        EXPECT_EQ(re.anchored(), c.anchored) << c.pattern;
        EXPECT_EQ(re.mustContain(), c.mustContain) << c.pattern;
    }
}

struct MatchCase {
    std::string pattern;
    std::string subject;
    int start;  // -1: no match
    int length;
};

void expectMatches(const std::vector<MatchCase>& cases) {
    for (const MatchCase& c : cases) {
        RegExp re;
        ASSERT_TRUE(re.compile(c.pattern)) << c.pattern;
        int length = -1;
        EXPECT_EQ(re.search(c.subject, length), c.start) << c.pattern << " / " << c.subject;
        EXPECT_EQ(length, c.length) << c.pattern << " / " << c.subject;
        EXPECT_EQ(re.matchedText(), c.start < 0 ? "" : c.subject.substr(c.start, c.length));
    }
}

TEST(RegExp, FindsTheLeftmostMatchInOrderOfPreference) {
    expectMatches({
        {"", "abc", 0, 0},
        {"", "", 0, 0},
        {"b*", "aaa", 0, 0},
        {"a|ab", "ab", 0, 1},
        {"ab|a", "ab", 0, 2},
        {"x$", "abx", 2, 1},
        {"x$", "axb", -1, 0},
        {"$", "abc", 3, 0},
        {"^b", "ab", -1, 0},
        {"^a", "ab", 0, 1},
        {"[]a]", "x]", 1, 1},
        {"[]a]", "xa", 1, 1},
        {"[a-]", "x-", 1, 1},
        {"[^]]", "]]x", 2, 1},
        {"[^]]", "]]", -1, 0},
        {"\\.", "a.b", 1, 1},
        {"\\.", "ab", -1, 0},
        {"\\n", "n", 0, 1},  // no escape names a control character
        {"a.c", "abc", 0, 3},
        {".", "", -1, 0},
        {"[a]", "", -1, 0},
        {"[^a]", "", -1, 0},
        {"a*a", "aaaa", 0, 4},
        {"a+b", "xaaab", 1, 4},
        {"(ab)+", "ababab", 0, 6},
        {"(a|ab)(c|bcd)", "abcd", 0, 4},
        {"x*y", "xxxz", -1, 0},
        {"ab*c", "xacabbbc", 1, 2},
        {"[\xC1-\xFF]+", "a\xC3\xD0\xA4z", 1, 2},  // 0xA4 is below 0xC1 as a signed byte
        {"[\xFF-\x02]", "\x01\xFF", 1, 1},         // the set ends at its NUL: only 0xFF
    });
}

TEST(RegExp, PatternEndsAtItsFirstNul) {
    RegExp whole;
    RegExp cut;
    ASSERT_TRUE(whole.compile("ab"));
    ASSERT_TRUE(cut.compile(std::string_view("ab\0**(", 6)));
    EXPECT_EQ(cut.program(), whole.program());
}

TEST(RegExp, SubjectEndsAtItsFirstNul) {
    expectMatches({
        {"b", std::string("a\0b", 3), -1, 0},
        {"a$", std::string("xa\0b", 4), 1, 1},
        {"[^x]*", std::string("ab\0cd", 5), 0, 2},
    });
}

TEST(RegExp, LastPassageThroughAGroupOnTheSuccessfulPathWins) {
    struct Case {
        const char* pattern;
        const char* subject;
        std::vector<std::pair<int, int>> groups;  // 1..n
    };
    const Case cases[] = {
        {"(a)*", "aa", {{1, 2}}},
        {"((a)|b)+", "ab", {{1, 2}, {0, 1}}},  // group 2 keeps its only passage
        {"(a|ab)(c|bcd)(d*)", "abcd", {{0, 1}, {1, 4}, {4, 4}}},
        {"(a)|b", "b", {{-1, -1}}},
        {"x(a?)(b?)", "xb", {{1, 1}, {1, 2}}},
    };
    for (const Case& c : cases) {
        RegExp re;
        ASSERT_TRUE(re.compile(c.pattern)) << c.pattern;
        int length = 0;
        ASSERT_GE(re.search(c.subject, length), 0) << c.pattern;
        for (std::size_t n = 0; n < c.groups.size(); ++n) {
            int g = static_cast<int>(n) + 1;
            EXPECT_EQ(re.groupStart(g), c.groups[n].first) << c.pattern << " group " << g;
            EXPECT_EQ(re.groupEnd(g), c.groups[n].second) << c.pattern << " group " << g;
        }
    }
}

TEST(RegExp, FailedSearchLeavesNoLengthNorGroups) {
    RegExp re;
    ASSERT_TRUE(re.compile("(a)b"));
    int length = 0;
    ASSERT_EQ(re.search("ab", length), 0);
    EXPECT_EQ(re.search("ac", length), -1);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(re.matchedText(), "");
    EXPECT_EQ(re.groupStart(1), -1);
    EXPECT_EQ(re.groupStart(0), -1);
}

TEST(RegExp, BacktrackingNeverTakesExponentialTime) {
    const std::string a60(60, 'a');
    const std::string x40(40, 'x');
    struct Case {
        std::string pattern;
        std::string subject;
        int start;
        int length;
    };
    const Case cases[] = {
        {"(a|aa)*c", a60, -1, 0},   {"(a|aa)*b", a60 + "b", 0, 61},
        {"(x+x+)+y", x40, -1, 0},   {"((a|a)|(a|a))*(b|c)", a60, -1, 0},
        {"(a+b?)+c", a60, -1, 0},   {"(.+)*x", std::string(2000, 'y'), -1, 0},
        {"((a+)?a)+z", a60, -1, 0}, {"(a|b|ab)*c", std::string(3000, 'a') + "b", -1, 0},
    };
    auto begin = std::chrono::steady_clock::now();
    for (const Case& c : cases) {
        RegExp re;
        ASSERT_TRUE(re.compile(c.pattern)) << c.pattern;
        int length = 0;
        EXPECT_EQ(re.search(c.subject, length), c.start) << c.pattern;
        EXPECT_EQ(length, c.length) << c.pattern;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
}

// Four times the subject costs about four times the steps, never sixteen: repetitions
// tried again from later or earlier start positions cost only the ground not yet covered.
TEST(RegExp, StepsGrowLinearlyWithTheSubject) {
    auto words = [](std::size_t size) {
        std::string out;
        while (out.size() < size)
            out += "var qux = function(a, b) { return a + b; } ";
        out.resize(size);
        return out;
    };
    struct Case {
        const char* pattern;
        std::string (*subject)(std::size_t size);
        bool found;
    };
    const std::string nested = "(a*)?(a*)?(a*)?(a*)?(a*)?(a*)?(a*)?(a*)?(a*)?b";
    const Case cases[] = {
        {nested.c_str(), [](std::size_t n) { return std::string(n, 'a') + "!b"; }, true},
        {"[a-z].*timeout", +words, false},
        {"[a-z].*timeout", [](std::size_t n) { return std::string(n, 't') + "timeou"; }, false},
        {"[a-z]+x", [](std::size_t n) { return std::string(n, 'q') + " x"; }, false},
        {"a*a*a*a*c", [](std::size_t n) { return std::string(n, 'a') + "!c"; }, true},
        {"(a|b)*(a|b)*$c", [](std::size_t n) { return std::string(n, 'a') + "c"; }, false},
        {"x[^y]*[^y]*z", [](std::size_t n) { return "x" + std::string(n, 'q'); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pattern);
        RegExp re;
        ASSERT_TRUE(re.compile(c.pattern));
        std::uint64_t steps[2] = {};
        for (int i = 0; i < 2; ++i) {
            const std::string subject = c.subject(i == 0 ? 5000 : 20000);
            int length = 0;
            EXPECT_EQ(re.search(subject, length) >= 0, c.found);
            steps[i] = re.lastSearchSteps();
        }
        EXPECT_GT(steps[0], 5000u);
        EXPECT_LT(steps[1], 6 * steps[0]) << steps[0] << " then " << steps[1];
    }
}

TEST(RegExp, LongLinesDoNotExhaustTheStack) {
    const std::string line(200000, 'a');
    RegExp re;
    ASSERT_TRUE(re.compile("(a|b)*$"));
    int length = 0;
    EXPECT_EQ(re.search(line, length), 0);
    EXPECT_EQ(length, 200000);
    EXPECT_EQ(re.groupStart(1), 199999);
    EXPECT_EQ(re.groupEnd(1), 200000);

    ASSERT_TRUE(re.compile("(a)*b"));
    EXPECT_EQ(re.search(line, length), -1);
}

TEST(RegExp, CopiesSearchOnTheirOwn) {
    RegExp original;
    ASSERT_TRUE(original.compile("b+"));
    RegExp copy = original;
    ASSERT_TRUE(original.compile("c"));
    int length = 0;
    EXPECT_EQ(copy.search("abbc", length), 1);
    EXPECT_EQ(length, 2);
    EXPECT_EQ(original.search("abbc", length), 3);
}

}  // namespace
}  // namespace scoutwell
