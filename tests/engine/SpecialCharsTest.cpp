#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/SpecialChars.h"

namespace scoutwell {
namespace {

TEST(SpecialChars, ReplaceAllCountsNonOverlappingHitsLeftToRight) {
    struct Case {
        std::string text;
        std::string from;
        std::string to;
        std::string result;
        std::size_t count;
    };
    const Case cases[] = {
        {"aaa", "aa", "b", "ba", 1},  {"a.b.c", ".", "", "abc", 2},
        {"abc", "", "x", "abc", 0},   {"abc", "d", "x", "abc", 0},
        {"", "a", "x", "", 0},        {"*.txt", "*", ".*", ".*.txt", 1},
        {"xx", "x", "xx", "xxxx", 2},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        EXPECT_EQ(replaceAll(text, c.from, c.to), c.count) << c.text << " " << c.from;
        EXPECT_EQ(text, c.result) << c.text << " " << c.from;
    }
}

TEST(SpecialChars, EscapingGivesEverySpecialByteOneBackslash) {
    const std::pair<const char*, const char*> cases[] = {
        {"$400.00", "\\$400\\.00"},
        {"What was that?", "What was that\\?"},
        {"(12\\4)*5=15", "\\(12\\\\4\\)\\*5=15"},
        {"", ""},
        {"\xC3\xA4.txt", "\xC3\xA4\\.txt"},
    };
    for (const auto& [text, expected] : cases) {
        std::string escaped = text;
        escapeSpecialChars(escaped, kFullEscapeSet);
        EXPECT_EQ(escaped, expected) << text;
    }
    std::string wildcards = "a?b*c+";
    escapeSpecialChars(wildcards, kWildcardEscapeSet);
    EXPECT_EQ(wildcards, "a?b*c\\+");
}

// One pass over the text, putting a backslash before each byte of the set: what the set
// applied byte by byte must amount to.
std::string escapeInOnePass(const std::string& text, std::string_view set) {
    std::string out;
    for (const char c : text) {
        if (set.find(c) != std::string_view::npos)
            out += '\\';
        out += c;
    }
    return out;
}

TEST(SpecialChars, EscapingByteByByteEqualsOnePassOnRandomTexts) {
    std::mt19937 random(17);
    const std::string alphabet = "ab\\^$.[()]|?+*;\xC3\xA4";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i)
            text += alphabet[random() % alphabet.size()];
        for (std::string_view set : {kFullEscapeSet, kWildcardEscapeSet}) {
            std::string escaped = text;
            escapeSpecialChars(escaped, set);
            ASSERT_EQ(escaped, escapeInOnePass(text, set)) << text;
        }
    }
}

}  // namespace
}  // namespace scoutwell
