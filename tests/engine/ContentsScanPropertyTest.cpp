// The chunked scan against the one-piece reference on generated files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/FoundItem.h"
#include "engine/ScanBuffers.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "tests/engine/FakeScanFileSystem.h"
#include "tests/engine/NormaliseReference.h"

namespace scoutwell {
namespace {

using testing::FakeScanFileSystem;

const std::string kFolder = "/gen/";
const std::string kName = "f";

// Text, every kind of line end and control byte, high bytes, and now and then a run long
// enough to be cut into pieces. Line ends are also planted on and around the chunk
// boundaries, where the normalisation has to carry its state.
std::string generateFile(std::mt19937& rng, std::size_t size, std::size_t chunkSize,
                         std::size_t longestRun) {
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
    static const char* const kEnds[] = {"\r", "\n", "\r\n", "\n\r", "\r\r\n", "\n\n"};
    std::string out;
    while (out.size() < size) {
        switch (pick(12)) {
            case 0:
            case 1:
            case 2:
            case 3: {
                const std::size_t n = pick(60);
                for (std::size_t i = 0; i < n; ++i)
                    out += "abcde xyz"[pick(9)];
                break;
            }
            case 4:
            case 5:
            case 6:
                out += kEnds[pick(6)];
                break;
            case 7:
                out += static_cast<char>(pick(32));
                break;
            case 8:
                out += static_cast<char>(0);
                break;
            case 9:
                out += static_cast<char>(128 + pick(128));
                break;
            case 10:
                if (pick(4) == 0)
                    out.append(1 + pick(longestRun), "ab"[pick(2)]);
                break;
            default:
                out.append(pick(3000), 'x');
                break;
        }
    }
    out.resize(size);
    for (std::size_t boundary = chunkSize; boundary <= size; boundary += chunkSize) {
        if (pick(2) == 0)
            continue;
        const char* end = kEnds[pick(6)];
        const std::size_t at = boundary - std::min(boundary, pick(3));
        for (std::size_t i = 0; end[i] != '\0' && at + i < size; ++i)
            out[at + i] = end[i];
    }
    return out;
}

class ContentsScanPropertyTest : public ::testing::Test {
  protected:
    // Scans `contents` both ways and compares hit lines, completeness and reads.
    void compare(const std::string& contents, std::size_t bufferSize, const std::string& pattern) {
        const std::size_t chunkSize = bufferSize - FoundFile::kCarry;
        fs.add(kFolder + kName, contents);
        SearchExpression scanned;
        SearchExpression referenced;
        ASSERT_TRUE(scanned.set(pattern, true, true, nullptr));
        ASSERT_TRUE(referenced.set(pattern, true, true, nullptr));
        const reference::Matcher find = [&](std::string_view line, int& start, int& length) {
            return referenced.find(line, start, length);
        };

        for (const bool eolUnix : {false, true}) {
            for (const bool eolMac : {false, true}) {
                SCOPED_TRACE(::testing::Message() << "eolUnix " << eolUnix << " eolMac " << eolMac);
                criteria.eolUnix = eolUnix;
                criteria.eolMac = eolMac;
                const reference::ReferenceScan expected =
                    reference::scanWhole(contents, eolUnix, eolMac, chunkSize, find);
                const int firstHitChunk =
                    expected.hits.empty() ? expected.lastChunk : expected.hits.front().chunk;

                for (const bool stopAtFirst : {false, true}) {
                    SCOPED_TRACE(::testing::Message() << "stopAtFirstChunkWithHit " << stopAtFirst);
                    // Exactly sized buffers, so that an overrun shows under a sanitizer.
                    ScanBuffers buffers(bufferSize);
                    FoundFile file(makeSharedText(kFolder), kName,
                                   static_cast<std::int64_t>(contents.size()), 0);
                    fs.clearLog();
                    const int count = file.scanContents(scanned, buffers, criteria, stopAtFirst);

                    std::vector<HitLine> want;
                    for (const reference::ReferenceHit& h : expected.hits) {
                        if (stopAtFirst && h.chunk > firstHitChunk)
                            break;
                        want.emplace_back(h.line, h.matchStart, h.matchLength, h.lineNumber);
                    }
                    const int lastRead = stopAtFirst ? firstHitChunk : expected.lastChunk;
                    EXPECT_EQ(count, static_cast<int>(want.size()));
                    EXPECT_EQ(file.hitsComplete, lastRead == expected.lastChunk);
                    EXPECT_EQ(fs.readSizes().size(),
                              reference::readsUpTo(contents, chunkSize, lastRead));
                    ASSERT_EQ(file.hits.size(), want.size());
                    for (std::size_t i = 0; i < want.size(); ++i) {
                        SCOPED_TRACE(::testing::Message() << "hit " << i);
                        EXPECT_EQ(file.hits[i].lineNumber, want[i].lineNumber);
                        EXPECT_EQ(file.hits[i].matchStart, want[i].matchStart);
                        EXPECT_EQ(file.hits[i].matchLength, want[i].matchLength);
                        ASSERT_EQ(file.hits[i].text, want[i].text);
                        // No line end inside a hit line but the CR that ends a piece.
                        const std::string& text = file.hits[i].text;
                        EXPECT_EQ(text.find('\n'), std::string::npos);
                        const std::size_t cr = text.find('\r');
                        EXPECT_TRUE(cr == std::string::npos || cr + 1 == text.size());
                    }
                }
            }
        }
    }

    FakeScanFileSystem fs;
    FakeScanFileSystem::Installed installed{fs};
    SearchCriteria criteria;
};

TEST_F(ContentsScanPropertyTest, ChunkedScanEqualsOnePieceNormalisation) {
    std::mt19937 rng(20240611);
    const std::size_t chunk = FoundFile::kBufferSize - FoundFile::kCarry;
    const std::vector<std::size_t> around = {0,
                                             1,
                                             2,
                                             3,
                                             chunk - 2,
                                             chunk - 1,
                                             chunk,
                                             chunk + 1,
                                             2 * chunk - 1,
                                             2 * chunk,
                                             2 * chunk + 1};
    for (int round = 0; round < 40; ++round) {
        const std::size_t size = round < static_cast<int>(around.size())
                                     ? around[static_cast<std::size_t>(round)]
                                     : rng() % (3 * chunk + 5000);
        const std::string contents = generateFile(rng, size, chunk, 130000);
        SCOPED_TRACE(::testing::Message() << "round " << round << " size " << size);
        compare(contents, FoundFile::kBufferSize, round % 2 ? "a" : ".");
        if (HasFatalFailure())
            return;
    }
}

// Small buffers put a chunk boundary every few bytes, so a CR held back while the carried
// tail is full turns up often.
TEST_F(ContentsScanPropertyTest, SmallBuffersGiveTheSameLinesAsOnePiece) {
    std::mt19937 rng(77);
    for (const std::size_t bufferSize :
         {std::size_t{1501}, std::size_t{1502}, std::size_t{1537}, std::size_t{2100}}) {
        const std::size_t chunk = bufferSize - FoundFile::kCarry;
        for (int round = 0; round < 12; ++round) {
            const std::size_t size = rng() % 7000;
            const std::string contents = generateFile(rng, size, chunk, 4000);
            SCOPED_TRACE(::testing::Message()
                         << "buffer " << bufferSize << " round " << round << " size " << size);
            compare(contents, bufferSize, round % 2 ? "b" : ".");
            if (HasFatalFailure())
                return;
        }
    }
}

TEST_F(ContentsScanPropertyTest, HeldBackCrAfterAFullCarriedTailStaysInBounds) {
    const std::size_t chunk = FoundFile::kBufferSize - FoundFile::kCarry;
    // Chunk one ends in a CR after a long line; chunk two is full and has no line end, so
    // the carried tail, the settled CR and the chunk together pass one buffer's size.
    const std::string contents =
        std::string(chunk - 1, 'a') + "\r" + std::string(chunk, 'b') + "\rend\n";
    compare(contents, FoundFile::kBufferSize, "[ab]");
    const std::string crLf = std::string(chunk - 1, 'a') + "\r\n" + std::string(chunk, 'b');
    compare(crLf, FoundFile::kBufferSize, "b");
}

}  // namespace
}  // namespace scoutwell
