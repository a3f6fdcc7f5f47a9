// The decoding stage seen through the contents scan: each encoding and compressed format
// gives the hits of the text it holds; damaged and hostile input ends early and says so.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <random>
#include <string>
#include <vector>

#include "engine/DecodingStage.h"
#include "engine/FoundItem.h"
#include "engine/ScanBuffers.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "engine/TextEncodings.h"
#include "engine/Tuning.h"
#include "tests/engine/DecodeReference.h"
#include "tests/engine/FakeScanFileSystem.h"
#include "tests/engine/ScanHits.h"

namespace scoutwell {
namespace {

using namespace std::string_literals;
using testing::FakeScanFileSystem;
using testing::Hit;
using testing::hitsOf;

const std::string kFolder = "/decode/";

// `text` compressed with one of libarchive's filters (ARCHIVE_FILTER_GZIP, ...).
std::string compress(std::string_view text, int filter) {
    archive* a = archive_write_new();
    archive_write_add_filter(a, filter);
    archive_write_set_format_raw(a);
    archive_write_set_bytes_in_last_block(a, 1);
    std::string out(text.size() + 65536, '\0');
    std::size_t used = 0;
    EXPECT_EQ(archive_write_open_memory(a, out.data(), out.size(), &used), ARCHIVE_OK)
        << archive_error_string(a);
    archive_entry* entry = archive_entry_new();
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_write_header(a, entry);
    archive_entry_free(entry);
    if (!text.empty()) {
        EXPECT_EQ(archive_write_data(a, text.data(), text.size()),
                  static_cast<la_ssize_t>(text.size()));
    }
    archive_write_close(a);
    archive_write_free(a);
    out.resize(used);
    return out;
}

class DecodingTest : public ::testing::Test {
  protected:
    ~DecodingTest() override { setPlainAlgorithm(false); }

    struct Outcome {
        std::vector<Hit> hits;
        bool complete = false;
        TextEnd end = TextEnd::kWhole;
    };

    Outcome scan(const std::string& contents, const std::string& pattern, bool compressed,
                 std::size_t bufferSize = FoundFile::kBufferSize,
                 std::size_t failAfter = FakeScanFileSystem::kNeverFail) {
        fs.add(kFolder + "f", contents, failAfter);
        SearchCriteria criteria;
        criteria.searchCompressed = compressed;
        SearchExpression expression;
        EXPECT_TRUE(expression.set(pattern, /*matchCase=*/true, /*compileNow=*/true, nullptr));
        FoundFile file(makeSharedText(kFolder), "f", static_cast<std::int64_t>(contents.size()), 0);
        ScanBuffers buffers(bufferSize);
        file.scanContents(expression, buffers, criteria, /*stopAtFirstChunkWithHit=*/false);
        Outcome out;
        out.hits = hitsOf(file);
        out.complete = file.hitsComplete;
        out.end = file.textEnd;
        return out;
    }

    FakeScanFileSystem fs;
    FakeScanFileSystem::Installed installed{fs};
};

const std::string kLog =
    "2026-12-08 start\n"
    "2026-12-08 connection timeout after 30 s\n"
    "\n"
    "2026-12-08 Grüße, 日本, 😀 timeout again\n"
    "last line without end";
const std::vector<Hit> kLogHits = {{2, "2026-12-08 connection timeout after 30 s"},
                                   {4, "2026-12-08 Grüße, 日本, 😀 timeout again"}};

TEST_F(DecodingTest, EveryFormatGivesTheHitsOfTheTextItHolds) {
    const std::string utf16le = reference::utf8ToUtf16(kLog, /*bigEndian=*/false);
    const std::string utf16be = reference::utf8ToUtf16(kLog, /*bigEndian=*/true);
    // Without a mark only text whose every unit has a non-NUL low byte is UTF-16: not the
    // emoji, whose low surrogate is DE00.
    std::string latin = kLog;
    latin.replace(latin.find("😀"), 4, "::");
    struct Case {
        const char* what;
        std::string contents;
        bool compressed;  // found only when compressed files are searched
    };
    const std::vector<Case> cases = {
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + kLog, false},
        {"UTF-16LE with a byte-order mark", "\xFF\xFE" + utf16le, false},
        {"UTF-16BE with a byte-order mark", "\xFE\xFF" + utf16be, false},
        {"UTF-16LE without a mark", reference::utf8ToUtf16(latin, false), false},
        {"UTF-16BE without a mark", reference::utf8ToUtf16(latin, true), false},
        {"gzip", compress(kLog, ARCHIVE_FILTER_GZIP), true},
        {"bzip2", compress(kLog, ARCHIVE_FILTER_BZIP2), true},
        {"xz", compress(kLog, ARCHIVE_FILTER_XZ), true},
        {"lzma", compress(kLog, ARCHIVE_FILTER_LZMA), true},
        {"zstd", compress(kLog, ARCHIVE_FILTER_ZSTD), true},
        {"lz4", compress(kLog, ARCHIVE_FILTER_LZ4), true},
        {"gzip holding UTF-16LE", compress("\xFF\xFE" + utf16le, ARCHIVE_FILTER_GZIP), true},
        {"xz holding gzip", compress(compress(kLog, ARCHIVE_FILTER_GZIP), ARCHIVE_FILTER_XZ), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome on = scan(c.contents, "timeout", /*compressed=*/true);
        std::vector<Hit> expected = kLogHits;
        if (std::string_view(c.what).ends_with("without a mark"))
            expected[1].text.replace(expected[1].text.find("😀"), 4, "::");
        EXPECT_EQ(on.hits, expected);
        EXPECT_TRUE(on.complete);
        EXPECT_EQ(on.end, TextEnd::kWhole);
        // Without the option a compressed file is searched as the bytes it is (which may
        // hold some of the text as it is).
        const Outcome off = scan(c.contents, "timeout", /*compressed=*/false);
        EXPECT_EQ(off.hits != expected, c.compressed);
    }
}

TEST_F(DecodingTest, ByteOrderMarkIsNeverPartOfTheFirstLine) {
    for (const std::string& contents : {std::string("\xEF\xBB\xBF"
                                                    "abc\n"),
                                        "\xFF\xFE" + reference::utf8ToUtf16("abc\n", false),
                                        "\xFE\xFF" + reference::utf8ToUtf16("abc\n", true)}) {
        EXPECT_EQ(scan(contents, "^abc$", false).hits, (std::vector<Hit>{{1, "abc"}}));
    }
}

TEST_F(DecodingTest, InvalidUtf16BecomesReplacementCharacters) {
    struct Case {
        const char* what;
        std::string contents;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"lone high and low surrogates",
         "\xFF\xFE"
         "a\0\x00\xD8"
         "b\0\x00\xDC"
         "c\0\n\0x"s,
         "a\uFFFDb\uFFFDc"},
        {"odd last byte",
         "\xFF\xFE"
         "a\0b"s,
         "a\uFFFD"},
        {"high surrogate at the end",
         "\xFF\xFE"
         "a\0\x3D\xD8"s,
         "a\uFFFD"},
        {"reversed pair",
         "\xFE\xFF\xDC\x00\xD8\x00\x00"
         "a"s,
         "\uFFFD\uFFFDa"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome out = scan(c.contents, "a", false);
        ASSERT_EQ(out.hits.size(), 1u);
        EXPECT_EQ(out.hits[0].text, c.line);
        EXPECT_TRUE(out.complete);
    }
}

TEST_F(DecodingTest, Utf16IsGuessedOnlyOnStrongEvidence) {
    const std::string latin = reference::utf8ToUtf16("plain words and more words", false);
    struct Case {
        const char* what;
        std::string head;
        Utf16Guess expected;
    };
    const std::vector<Case> cases = {
        {"Latin text, little-endian", latin, Utf16Guess::kLittleEndian},
        {"Latin text, big-endian", reference::utf8ToUtf16("plain words", true),
         Utf16Guess::kBigEndian},
        {"ASCII text", "plain words and more words", Utf16Guess::kNone},
        {"too short to tell", "ab\0c\0"s, Utf16Guess::kNone},
        {"a NUL in the other place", latin.substr(0, 10) + std::string(2, '\0') + latin,
         Utf16Guess::kNone},
        {"binary runs of NULs", std::string(64, '\0') + "ELF", Utf16Guess::kNone},
        {"mostly CJK, few NUL high bytes", reference::utf8ToUtf16("日本語の文章ですa", false),
         Utf16Guess::kNone},
        {"UTF-32", "a\0\0\0b\0\0\0c\0\0\0d\0\0\0"s, Utf16Guess::kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(guessUtf16(c.head), c.expected);
    }
}

TEST_F(DecodingTest, DamagedCompressedDataKeepsTheHitsBeforeIt) {
    std::string text;
    for (int i = 1; i <= 200000; ++i)
        text += "line " + std::to_string(i) + (i % 1000 == 0 ? " timeout\n" : " fine\n");
    const std::string whole = compress(text, ARCHIVE_FILTER_GZIP);
    // Cut in half: the hits of what could be decompressed stand, the rest is missing.
    const Outcome truncated = scan(whole.substr(0, whole.size() / 2), "timeout", true);
    EXPECT_GT(truncated.hits.size(), 10u);
    EXPECT_LT(truncated.hits.size(), 200u);
    EXPECT_EQ(truncated.hits.front(), (Hit{1000, "line 1000 timeout"}));
    EXPECT_FALSE(truncated.complete);
    EXPECT_EQ(truncated.end, TextEnd::kDamaged);

    std::string corrupt = whole;
    for (std::size_t i = corrupt.size() / 2; i < corrupt.size() / 2 + 64; ++i)
        corrupt[i] = static_cast<char>(~corrupt[i]);
    const Outcome damaged = scan(corrupt, "timeout", true);
    EXPECT_LT(damaged.hits.size(), 200u);
    EXPECT_FALSE(damaged.complete);
    EXPECT_EQ(damaged.end, TextEnd::kDamaged);

    // A read error of the file itself is no damage: a later scan may read it whole.
    const Outcome readError = scan(whole, "timeout", true, FoundFile::kBufferSize, 100000);
    EXPECT_FALSE(readError.complete);
    EXPECT_EQ(readError.end, TextEnd::kWhole);
}

TEST_F(DecodingTest, FileThatOnlyLooksCompressedIsSearchedAsItIs) {
    const std::vector<std::string> lookalikes = {
        "\x1F\x8B\x08\x00 a timeout in text\n"s,
        "BZh91AY&SY timeout but no bzip2\n"s,
        "\x28\xB5\x2F\xFD timeout, not zstd\n"s,
        "\xFD"
        "7zXZ\0 timeout, not xz\n"s,
    };
    for (const std::string& contents : lookalikes) {
        // Chunks of 5 bytes: the format is recognised but refuses bytes it read past them.
        for (const std::size_t bufferSize : {FoundFile::kBufferSize, FoundFile::kCarry + 5}) {
            SCOPED_TRACE(contents + " in chunks of " + std::to_string(bufferSize));
            const Outcome plain = scan(contents, "timeout", false, bufferSize);
            const Outcome decoded = scan(contents, "timeout", true, bufferSize);
            ASSERT_EQ(plain.hits.size(), 1u);
            EXPECT_EQ(decoded.hits, plain.hits);
            EXPECT_TRUE(decoded.complete);
        }
    }
}

// The decoded scan in any chunk size, fast or plain, equals a plain scan of the text the
// reference decoder makes; so does a compressed copy of it.
TEST_F(DecodingTest, DecodedScanEqualsScanOfReferenceText) {
    std::mt19937 random(28);
    const std::vector<std::string> pieces = {"timeout", " ",    "a",  "é",  "日", "😀",
                                             "\n",      "\r\n", "\r", "\t", "x"};
    for (int round = 0; round < 40; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 3000);
        for (int i = 0; i < length; ++i)
            text += pieces[random() % pieces.size()];
        const bool bigEndian = random() % 2 != 0;
        std::string encoded = reference::utf8ToUtf16(text, bigEndian);
        // Now and then a broken unit: a lone surrogate or an odd last byte.
        if (round % 3 == 0 && !encoded.empty())
            encoded.insert(encoded.size() / 2 & ~std::size_t{1},
                           bigEndian ? "\xDC\x01" : "\x01\xDC");
        if (round % 5 == 0)
            encoded += 'z';
        const std::string withMark = (bigEndian ? "\xFE\xFF" : "\xFF\xFE") + encoded;
        for (const std::size_t bufferSize :
             {FoundFile::kBufferSize, FoundFile::kCarry + 1 + random() % 700}) {
            const std::size_t chunk = bufferSize - FoundFile::kCarry;
            const reference::DecodedText expected = reference::decodeTextEncodings(withMark, chunk);
            ASSERT_TRUE(expected.decoded || chunk < 2);
            const Outcome want = scan(expected.text, "time|😀", false, bufferSize);
            for (const bool plain : {false, true}) {
                SCOPED_TRACE(::testing::Message() << "round " << round << " buffer " << bufferSize
                                                  << " plain " << plain);
                setPlainAlgorithm(plain);
                EXPECT_EQ(scan(withMark, "time|😀", false, bufferSize).hits, want.hits);
                const Outcome gz =
                    scan(compress(withMark, ARCHIVE_FILTER_GZIP), "time|😀", true, bufferSize);
                if (chunk >= 4) {
                    EXPECT_EQ(gz.hits, want.hits);
                    EXPECT_TRUE(gz.complete);
                }
            }
        }
    }
}

// A gzip file of 10 MB holding 10 GB of zeros (a thousand members of 10 MB each) is cut
// off soon after the stage's limit, in bounded memory. (make bench times it.)
TEST_F(DecodingTest, DecompressionBombIsCutOffInBoundedMemory) {
    const std::string member =
        compress(std::string(10 << 20, '\0') + "timeout\n", ARCHIVE_FILTER_GZIP);
    std::string bomb;
    bomb.reserve(member.size() * 1000);
    for (int i = 0; i < 1000; ++i)
        bomb += member;
    ASSERT_LT(bomb.size(), 12u << 20);

    struct rusage before {};
    getrusage(RUSAGE_SELF, &before);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const Outcome out = scan(bomb, "timeout", true);
        // One hit for each 10 MB member read: the limit of 256 MiB stops it after 25.
        const std::size_t members = DecodingStage::kCutOffFloor / (10 << 20);
        const bool ok = out.end == TextEnd::kCutOff && !out.complete &&
                        out.hits.size() >= members && out.hits.size() <= members + 1;
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    struct rusage usage {};
    ASSERT_EQ(wait4(child, &status, 0, &usage), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    // The child's peak includes what it shared with this process at the fork.
    EXPECT_LT(usage.ru_maxrss - before.ru_maxrss, 100 * 1024);
}

}  // namespace
}  // namespace scoutwell
