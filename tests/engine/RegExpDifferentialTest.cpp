// Holds the engine to the plain recursive reference on many generated patterns and
// subjects: validity, match start and length, and every group position must agree.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "engine/SearchExpression.h"
#include "engine/Text.h"
#include "tests/engine/RegExpReference.h"

namespace scoutwell {
namespace {

class SilentSink : public MessageSink {
  public:
    void showMessage(const std::string&) override {}
};

class Generator {
  public:
    explicit Generator(unsigned seed) : random_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    // Any bytes at all, mostly metacharacters: exercises every validity rule.
    std::string noise() {
        static const std::string alphabet = "ab.()|*+?[]^$\\-A\xC1\xFF";
        std::string s;
        for (int n = below(9); n > 0; --n)
            s += alphabet[below(static_cast<int>(alphabet.size()))];
        return s;
    }

    // Mostly valid expressions with groups, loops and sets nested a few levels.
    std::string expression(int depth) {
        std::string s = branch(depth);
        while (below(4) == 0)
            s += "|" + branch(depth);
        return s;
    }

    std::string subject() {
        static const std::string alphabet = "aab-]A.\xC1";
        std::string s;
        for (int n = below(13); n > 0; --n)
            s += alphabet[below(static_cast<int>(alphabet.size()))];
        return s;
    }

  private:
    std::string branch(int depth) {
        std::string s;
        for (int n = below(4); n > 0; --n) {
            s += atom(depth);
            static const char* const ops[] = {"", "", "", "*", "+", "?"};
            s += ops[below(6)];
        }
        return s;
    }

    std::string atom(int depth) {
        static const char* const atoms[] = {
            "a",   "b", "ab", ".", "[ab]",  "[^a]",  "[a-]",  "[]a]", "\\.",
            "\\-", "^", "$",  "A", "[--b]", "[^]-]", "[A-b]", "\xC1", "[\xC1-\xFF]"};
        constexpr int kAtoms = sizeof(atoms) / sizeof(atoms[0]);
        if (depth > 0 && below(4) == 0)
            return "(" + expression(depth - 1) + ")";
        return atoms[below(kAtoms)];
    }

    std::mt19937 random_;
};

struct Tally {
    int invalid = 0;
    int noMatch = 0;
    int match = 0;
    int matchWithGroups = 0;
};

void expectSame(const std::string& pattern, const std::string& subject, bool matchCase,
                Tally& tally) {
    SearchExpression expression;
    bool valid = expression.set(pattern, matchCase, /*compileNow=*/true, nullptr);
    std::string refPattern = matchCase ? pattern : text::toLower(pattern);
    std::string refSubject = matchCase ? subject : text::toLower(subject);
    reference::Outcome expected = reference::search(refPattern, refSubject);

    SCOPED_TRACE("pattern '" + pattern + "' subject '" + subject + "' matchCase " +
                 std::to_string(matchCase));
    ASSERT_EQ(valid, expected.valid);
    if (!valid) {
        ++tally.invalid;
        return;
    }
    int start = -1;
    int length = -1;
    bool found = expression.find(subject, start, length);
    ASSERT_EQ(found, expected.start >= 0);
    if (!found) {
        ++tally.noMatch;
        EXPECT_EQ(expression.regExp().matchedText(), "");
        return;
    }
    ++tally.match;
    if (expected.groupEnd[1] >= 0)
        ++tally.matchWithGroups;
    EXPECT_EQ(start, expected.start);
    EXPECT_EQ(length, expected.length);
    const RegExp& re = expression.regExp();
    for (int n = 0; n < RegExp::kMaxGroups; ++n) {
        EXPECT_EQ(re.groupStart(n), expected.groupStart[n]) << "group " << n;
        EXPECT_EQ(re.groupEnd(n), expected.groupEnd[n]) << "group " << n;
    }
    EXPECT_EQ(re.matchedText(), refSubject.substr(start, length));  // the searched copy
}

void compareOnGeneratedExpressions(unsigned seed) {
    SilentSink sink;
    setMessageSink(&sink);
    Generator generate(seed);
    Tally tally;
    for (int round = 0; round < 10000; ++round) {
        std::string pattern = round % 3 == 0 ? generate.noise() : generate.expression(3);
        for (int s = 0; s < 4; ++s) {
            std::string subject = generate.subject();
            expectSame(pattern, subject, /*matchCase=*/true, tally);
            expectSame(pattern, subject, /*matchCase=*/false, tally);
            if (testing::Test::HasFatalFailure() || testing::Test::HasFailure()) {
                setMessageSink(nullptr);
                return;  // one counter-example is enough to read
            }
        }
    }
    setMessageSink(nullptr);
    // The generator must keep reaching every outcome, or agreement proves little.
    std::printf("invalid %d, no match %d, match %d (with groups %d)\n", tally.invalid,
                tally.noMatch, tally.match, tally.matchWithGroups);
    EXPECT_GT(tally.invalid, 5000);
    EXPECT_GT(tally.noMatch, 5000);
    EXPECT_GT(tally.match, 20000);
    EXPECT_GT(tally.matchWithGroups, 3000);
}

TEST(RegExpDifferential, AgreesWithReferenceOnGeneratedExpressions) {
    compareOnGeneratedExpressions(20240601);
}

// Short subjects rarely cost enough steps to start the failed-state table; here it is
// consulted from the first step.
TEST(RegExpDifferential, AgreesWithReferenceWhenFailedStatesAreRecordedFromTheStart) {
    RegExp::setFreeStepsForTesting(0);
    compareOnGeneratedExpressions(77);
    RegExp::setFreeStepsForTesting(-1);
}

}  // namespace
}  // namespace scoutwell
