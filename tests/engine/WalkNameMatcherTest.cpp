#include "engine/NameMatcher.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"

namespace scoutwell {
namespace {

// What the walk would conclude with the backtracking matcher.
bool expressionFinds(const std::string& pattern, bool matchCase, const std::string& name) {
    SearchExpression e;
    e.set(pattern, matchCase, /*compileNow=*/true, nullptr);
    int start = 0, length = 0;
    return e.find(name, start, length);
}

bool matcherFinds(const std::string& pattern, bool matchCase, const std::string& name) {
    SearchExpression e;
    e.set(pattern, matchCase, /*compileNow=*/false, nullptr);
    NameMatcher m;
    EXPECT_TRUE(m.set(e.pattern(), e.matchCase())) << pattern;
    return m.contains(name);
}

TEST(WalkNameMatcher, TakesOnlyTheExpressionsItAnswersExactly) {
    struct Case {
        const char* pattern;
        bool usable;
    } cases[] = {
        {".*\\.h", true},    {".*\\.txt|.*\\.doc", true},
        {"file.\\.c", true}, {"a\\+b\\(1\\)\\.txt", true},
        {".*", true},        {"{x}", true},
        {"", false},         {"a|", false},
        {"|a", false},       {"a*", false},
        {"a+", false},       {"a?", false},
        {".+", false},       {".?", false},
        {".**", false},      {"\\a*", false},
        {"^a", false},       {"a$", false},
        {"[ab]", false},     {"(a)", false},
        {"a\\", false},      {"x]", false},
    };
    for (const Case& c : cases) {
        NameMatcher m;
        EXPECT_EQ(m.set(c.pattern, /*matchCase=*/true), c.usable) << c.pattern;
        EXPECT_EQ(m.usable(), c.usable) << c.pattern;
    }
}

TEST(WalkNameMatcher, AnswersLikeTheExpressionOnTypicalNames) {
    struct Case {
        const char* dos;
        const char* name;
        bool matchCase;
        bool found;
    } cases[] = {
        {"*.h", "stdio.h", false, true},
        {"*.h", "STDIO.H", false, true},
        {"*.h", "STDIO.H", true, false},
        {"*.h", "page.html", false, true},  // unanchored: contains ".h"
        {"*.h", "stdioh", false, false},
        {"*.txt;*.doc", "a.DOC", false, true},
        {"file?.c", "myfile1.cpp", false, true},
        {"file?.c", "file.c", false, false},
        {"a*b*c", "xxaYYbZZc", false, true},
        {"a*b*c", "cba", false, false},
        {"ÉTÉ*", "été.txt", false, true},
        {"été", "ÉTÉ", true, false},
        {"*", "anything", false, true},
    };
    for (const Case& c : cases) {
        const std::string pattern = dosToRegExp(c.dos);
        EXPECT_EQ(matcherFinds(pattern, c.matchCase, c.name), c.found) << c.dos << " " << c.name;
        EXPECT_EQ(expressionFinds(pattern, c.matchCase, c.name), c.found) << c.dos << " " << c.name;
    }
}

// Random DOS expressions and names over a small alphabet (ASCII of both cases, two-byte
// letters of both cases, a byte that is not UTF-8, and the bytes DOS escapes), so that
// matches, near misses and case folds are all common.
TEST(WalkNameMatcher, AgreesWithTheExpressionOnGeneratedPatternsAndNames) {
    const std::vector<std::string> nameAlphabet = {"a", "B",    "b", ".", "é", "É",
                                                   "ß", "\xff", "+", "(", "x", "A"};
    const std::vector<std::string> dosAlphabet = {"a", "b", "B", ".", "é", "É",
                                                  "*", "?", ";", "+", "(", "x"};
    std::mt19937 random(12345);
    auto pick = [&](const std::vector<std::string>& from, int length) {
        std::string out;
        for (int i = 0; i < length; ++i)
            out += from[random() % from.size()];
        return out;
    };
    int compared = 0;
    for (int round = 0; round < 3000; ++round) {
        const std::string pattern =
            dosToRegExp(pick(dosAlphabet, 1 + static_cast<int>(random() % 5)));
        const bool matchCase = random() % 2 == 0;
        SearchExpression e;
        e.set(pattern, matchCase, /*compileNow=*/false, nullptr);
        NameMatcher m;
        if (!m.set(e.pattern(), e.matchCase()))
            continue;
        for (int n = 0; n < 20; ++n) {
            const std::string name = pick(nameAlphabet, static_cast<int>(random() % 9));
            ASSERT_EQ(m.contains(name), expressionFinds(pattern, matchCase, name))
                << "pattern " << pattern << " case " << matchCase << " name " << name;
            ++compared;
        }
    }
    EXPECT_GT(compared, 20000);
}

}  // namespace
}  // namespace scoutwell
