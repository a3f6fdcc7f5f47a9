#include "platform/qt/ByteText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace scoutwell {
namespace {

TEST(ByteTextTest, EveryByteStringSurvivesTheRoundTrip) {
    const std::string cases[] = {
        "",
        "plain ascii",
        "caf\xc3\xa9",             // valid two-byte sequence
        "caf\xe9",                 // Latin-1 byte
        "\xf0\x9f\x98\x80 emoji",  // four-byte sequence
        "\xed\xa0\x80",            // encoded surrogate: not valid UTF-8
        "\xc0\xaf",                // overlong slash
        "\xe2\x82",                // cut sequence at the end
        "\xf4\x90\x80\x80",        // past U+10FFFF
        "\xff\xfe\x80\x7f",
        "\xee\xb2\x80",  // U+EC80, a valid character near the escapes
    };
    for (const std::string& bytes : cases) {
        EXPECT_EQ(bytesFromQString(qStringFromBytes(bytes)), bytes) << bytes;
    }
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 64, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(1 + random() % 255);
        }
        ASSERT_EQ(bytesFromQString(qStringFromBytes(bytes)), bytes);
    }
}

TEST(ByteTextTest, ValidUtf8ReadsAsItsCharactersAndTypedTextEncodesAsUtf8) {
    EXPECT_EQ(qStringFromBytes("caf\xc3\xa9"), QString::fromUtf8("caf\xc3\xa9"));
    EXPECT_EQ(qStringFromBytes("caf\xe9").size(), 4);
    EXPECT_EQ(bytesFromQString(QStringLiteral(u"\u00e9t\u00e9")), "\xc3\xa9t\xc3\xa9");
    // A lone high surrogate typed or pasted in cannot be UTF-8: it becomes U+FFFD.
    EXPECT_EQ(bytesFromQString(QString(QChar(0xD800))), "\xef\xbf\xbd");
}

}  // namespace
}  // namespace scoutwell
