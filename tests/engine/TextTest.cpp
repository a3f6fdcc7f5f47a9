#include "engine/Text.h"

#include <gtest/gtest.h>

namespace scoutwell::text {
namespace {

TEST(Text, CaseChangesKeepEveryByteOffset) {
    struct Case {
        const char* in;
        const char* lower;
        const char* upper;
    };
    const Case cases[] = {
        {"ABC xyz 09", "abc xyz 09", "ABC XYZ 09"},
        {"\xC3\x84rger", "\xC3\xA4rger", "\xC3\x84RGER"},            // Ä/ä
        {"\xD0\x9F\xD1\x80\xD0\xB8", "\xD0\xBF\xD1\x80\xD0\xB8",     // Привет-style Cyrillic
         "\xD0\x9F\xD0\xA0\xD0\x98"},
        {"\xFF\xFE\x80 A", "\xFF\xFE\x80 a", "\xFF\xFE\x80 A"},      // invalid UTF-8 stays
        {"\xC3", "\xC3", "\xC3"},                                    // truncated sequence
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toLower(c.in), c.lower) << c.in;
        EXPECT_EQ(toUpper(c.in), c.upper) << c.in;
    }
}

TEST(Text, CharactersWhoseOtherCaseIsLongerAreLeftAlone) {
    // U+0130 (capital I with dot) lower-cases to a one-byte 'i' plus a combining mark in
    // full Unicode; here it must keep its two bytes.
    EXPECT_EQ(toLower("\xC4\xB0").size(), 2u);
    // U+023A lower-cases to U+2C65, which needs three bytes instead of two: unchanged.
    EXPECT_EQ(toLower("\xC8\xBA"), "\xC8\xBA");
}

TEST(Text, CompareNoCaseOrdersAsLowerCasedBytes) {
    EXPECT_EQ(compareNoCase("abc", "ABC"), 0);
    EXPECT_LT(compareNoCase("abc", "abd"), 0);
    EXPECT_GT(compareNoCase("b", "A"), 0);
    EXPECT_LT(compareNoCase("ab", "abc"), 0);
    EXPECT_EQ(compareNoCase("\xC3\x84rger", "\xC3\xA4RGER"), 0);
    EXPECT_LT(compareNoCase("z", "\xC3\xA4"), 0);  // beyond ASCII sorts after
    EXPECT_TRUE(equalsNoCase("/Home/Data/", "/home/data/"));
    EXPECT_FALSE(equalsNoCase("/home/data", "/home/data/"));
}

TEST(Text, TrimAndFormat) {
    EXPECT_EQ(trimWhite("  \t a b \r\n"), "a b");
    EXPECT_EQ(trimWhite("   "), "");
    EXPECT_EQ(format("%d %s", 3, "file(s) found"), "3 file(s) found");
    EXPECT_EQ(format("%s", ""), "");
}

}  // namespace
}  // namespace scoutwell::text
