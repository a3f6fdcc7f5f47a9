#include "platform/qt/ByteText.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <string>

#include "engine/Text.h"
#include "support/RandomBytes.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::RandomBytes;

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
        "\xed\xb2\x80",  // U+DC80 encoded: the escape itself is not valid UTF-8
    };
    for (const std::string& bytes : cases) {
        EXPECT_EQ(bytesFromQString(qStringFromBytes(bytes)), bytes) << bytes;
    }
    RandomBytes random(7);
    for (int round = 0; round < 3000; ++round) {
        const std::string a = random.text(4096);
        const std::string b = random.text(64);
        ASSERT_EQ(bytesFromQString(qStringFromBytes(a)), a);
        // Pieces convert to pieces: a line measured or drawn in parts is the whole line.
        ASSERT_EQ(bytesFromQString(qStringFromBytes(a) + qStringFromBytes(b)), a + b);
        // Valid UTF-8 reads exactly as Qt's own decoder reads it.
        if (text::isValidUtf8(a)) {
            ASSERT_EQ(qStringFromBytes(a), QString::fromUtf8(a.data(), qsizetype(a.size())));
        }
    }
}

TEST(ByteTextTest, ValidUtf8ReadsAsItsCharactersAndTypedTextEncodesAsUtf8) {
    EXPECT_EQ(qStringFromBytes("caf\xc3\xa9"), QString::fromUtf8("caf\xc3\xa9"));
    EXPECT_EQ(qStringFromBytes("caf\xe9").size(), 4);
    EXPECT_EQ(bytesFromQString(QStringLiteral(u"\u00e9t\u00e9")), "\xc3\xa9t\xc3\xa9");
    // A lone surrogate typed or pasted in cannot be UTF-8: it becomes U+FFFD.
    EXPECT_EQ(bytesFromQString(QString(QChar(0xD800))), "\xef\xbf\xbd");
    EXPECT_EQ(bytesFromQString(QString(QChar(0xDC7F))), "\xef\xbf\xbd");
}

// Qt's own decoder is the reference for what counts as UTF-8; the replaced form is always
// valid and leaves valid text alone.
TEST(ByteTextTest, Utf8CheckAndReplacementAgreeWithQt) {
    RandomBytes random(11);
    for (int round = 0; round < 3000; ++round) {
        const std::string s = random.text(300);
        const QByteArray bytes(s.data(), qsizetype(s.size()));
        const bool validForQt = QString::fromUtf8(bytes).toUtf8() == bytes;
        ASSERT_EQ(text::isValidUtf8(s), validForQt) << s;
        const std::string replaced = text::withInvalidUtf8Replaced(s);
        ASSERT_TRUE(text::isValidUtf8(replaced));
        if (validForQt) {
            ASSERT_EQ(replaced, s);
        }
    }
    EXPECT_EQ(text::withInvalidUtf8Replaced("caf\xe9!"), "caf\xef\xbf\xbd!");
    EXPECT_EQ(text::withInvalidUtf8Replaced("\xe2\x82"), "\xef\xbf\xbd\xef\xbf\xbd");
}

TEST(ByteTextTest, QtFileDialogAnswersFindTheRealBytes) {
    testing::TempTree tree;
    const std::string folder = tree.folder("caf\xe9");
    const std::string file = tree.file("caf\xe9/r\xe9sum\xe9.txt", "x");
    tree.folder("plain \xc3\xa9");
    // What Qt's dialogs report for these names.
    const QString shownFolder = qtFileNameFromBytes(tree.path("caf\xe9"));
    const QString shownFile = qtFileNameFromBytes(file);
    EXPECT_TRUE(shownFolder.contains(QChar::ReplacementCharacter));
    EXPECT_EQ(bytesFromQtFileName(shownFolder), tree.path("caf\xe9"));
    EXPECT_EQ(bytesFromQtFileName(shownFolder + QLatin1Char('/')), folder);
    EXPECT_EQ(bytesFromQtFileName(shownFile), file);
    EXPECT_EQ(bytesFromQtFileName(qtFileNameFromBytes(tree.path("plain \xc3\xa9"))),
              tree.path("plain \xc3\xa9"));
    // A file about to be saved in such a folder gets the folder's real bytes.
    EXPECT_EQ(bytesFromQtFileName(shownFolder + QStringLiteral("/new.srf")),
              tree.path("caf\xe9/new.srf"));
}

}  // namespace
}  // namespace scoutwell
