#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/FileSystem.h"
#include "engine/FoundItem.h"
#include "engine/Messages.h"
#include "engine/ScanBuffers.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "support/TempTree.h"
#include "tests/engine/FakeScanFileSystem.h"
#include "tests/engine/ScanHits.h"

namespace scoutwell {
namespace {

using testing::FakeScanFileSystem;
using testing::Hit;
using testing::hitsOf;

constexpr std::size_t kChunk = FoundFile::kBufferSize - FoundFile::kCarry;
const std::string kFolder = "/scan/";
const std::string kName = "file.txt";

// Lines of 'f' with LF ends filling exactly `size` bytes, the last line being `lastLine`
// without a line end.
std::string filledFile(std::size_t size, const std::string& lastLine) {
    std::string out;
    while (out.size() + lastLine.size() < size) {
        const std::size_t room = size - lastLine.size() - out.size();
        const std::size_t line = std::min<std::size_t>(room, 40);
        out.append(line - 1, 'f');
        out += '\n';
    }
    return out + lastLine;
}

class CapturedMessages : public MessageSink {
  public:
    void showMessage(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class ContentsScanTest : public ::testing::Test {
  protected:
    FoundFile fileWith(std::string contents,
                       std::size_t failAfter = FakeScanFileSystem::kNeverFail) {
        const auto size = static_cast<std::int64_t>(contents.size());
        fs.add(kFolder + kName, std::move(contents), failAfter);
        return FoundFile(makeSharedText(kFolder), kName, size, 0);
    }

    SearchExpression expression(const std::string& pattern) {
        SearchExpression e;
        std::string error;
        EXPECT_TRUE(e.set(pattern, /*matchCase=*/true, /*compileNow=*/true, &error)) << error;
        return e;
    }

    int scan(FoundFile& file, const std::string& pattern, bool stopAtFirstChunkWithHit) {
        SearchExpression e = expression(pattern);
        ScanBuffers buffers(FoundFile::kBufferSize);
        return file.scanContents(e, buffers, criteria, stopAtFirstChunkWithHit);
    }

    FakeScanFileSystem fs;
    FakeScanFileSystem::Installed installed{fs};
    SearchCriteria criteria;
};

struct LineCase {
    const char* what;
    std::string contents;
    bool eolUnix;
    bool eolMac;
    std::string pattern;
    std::vector<Hit> expected;
};

TEST_F(ContentsScanTest, LineEndsAndControlBytesFollowTheOptions) {
    const std::vector<LineCase> cases = {
        {"CR LF lines with an empty one", "a\r\n\r\nb\r\n", false, false, "b", {{3, "b"}}},
        {"LF runs are one space without eolUnix",
         "one\ntwo\n\nthree\n",
         false,
         false,
         "o",
         {{1, "one two three "}}},
        {"LF ends lines with eolUnix",
         "one\ntwo\n\nthree\n",
         true,
         false,
         "t",
         {{2, "two"}, {4, "three"}}},
        {"lone CR is a space without eolMac", "x\ry", false, false, "y", {{1, "x y"}}},
        {"lone CR ends a line with eolMac", "x\ry", false, true, "y", {{2, "y"}}},
        {"CR CR LF without eolMac", "a\r\r\nb", false, false, ".", {{1, "a "}, {2, "b"}}},
        {"CR CR LF with eolMac", "a\r\r\nb", false, true, ".", {{1, "a"}, {3, "b"}}},
        {"CR LF stays one line end under both options",
         "a\r\nb",
         true,
         true,
         ".",
         {{1, "a"}, {2, "b"}}},
        {"NUL vanishes", std::string("a\0b", 3), true, false, "a", {{1, "ab"}}},
        {"a run of control bytes is one space", "a\a\ab", true, false, "a", {{1, "a b"}}},
        {"NUL then BEL gives nothing", std::string("a\0\ab", 4), true, false, "a", {{1, "ab"}}},
        {"BEL then NUL gives one space", std::string("a\a\0b", 4), true, false, "a", {{1, "a b"}}},
        {"a control byte opening the file vanishes",
         "\x01\x02"
         "b",
         true,
         false,
         "b",
         {{1, "b"}}},
        {"a NUL opening the file lets the next control byte vanish",
         std::string("\0\x01"
                     "b",
                     3),
         true,
         false,
         "b",
         {{1, "b"}}},
        {"a control byte after the LF of CR LF vanishes", "a\r\n\ab", true, false, "b", {{2, "b"}}},
        {"a control byte after an LF line end is a space", "a\n\ab", true, false, "b", {{2, " b"}}},
        {"lone CR opening the file vanishes without eolMac", "\rb", false, false, "b", {{1, "b"}}},
        {"TAB and high bytes pass", "a\t\xe9\xff", true, false, "a", {{1, "a\t\xe9\xff"}}},
        {"form feed and vertical tab are control bytes", "a\f\vb", true, false, "a", {{1, "a b"}}},
        {"leading empty lines are counted", "\n\n\nz", true, false, "z", {{4, "z"}}},
        {"empty lines are never searched", "\n\n", true, false, ".*", {}},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.what);
        criteria.eolUnix = c.eolUnix;
        criteria.eolMac = c.eolMac;
        FoundFile file = fileWith(c.contents);
        EXPECT_EQ(scan(file, c.pattern, /*stopAtFirstChunkWithHit=*/false),
                  static_cast<int>(c.expected.size()));
        EXPECT_EQ(hitsOf(file), c.expected);
        EXPECT_TRUE(file.hitsComplete);
    }
}

TEST_F(ContentsScanTest, LastLineIsSearchedWhateverTheFileSize) {
    for (const std::size_t size :
         {std::size_t{2}, kChunk - 1, kChunk, kChunk + 1, 2 * kChunk, 2 * kChunk + 1}) {
        SCOPED_TRACE(size);
        FoundFile file = fileWith(filledFile(size, "zz"));
        ASSERT_EQ(scan(file, "z", /*stopAtFirstChunkWithHit=*/false), 1);
        EXPECT_EQ(file.hits[0].text, "zz");
        EXPECT_TRUE(file.hitsComplete);
        // A file of a whole number of chunks ends with an empty read.
        EXPECT_EQ(fs.readSizes().size(), size / kChunk + 1);
        for (const std::size_t asked : fs.readSizes())
            EXPECT_EQ(asked, kChunk);
        fs.clearLog();
    }
}

TEST_F(ContentsScanTest, CrLfAcrossAChunkBoundaryIsOneLineEnd) {
    for (const bool eolUnix : {false, true}) {
        for (const bool eolMac : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "eolUnix " << eolUnix << " eolMac " << eolMac);
            criteria.eolUnix = eolUnix;
            criteria.eolMac = eolMac;
            FoundFile file = fileWith(std::string(kChunk - 1, 'a') + "\r\n\x01" + "b\r\nc");
            scan(file, "[bc]", /*stopAtFirstChunkWithHit=*/false);
            EXPECT_EQ(hitsOf(file), (std::vector<Hit>{{2, "b"}, {3, "c"}}));
        }
    }
}

TEST_F(ContentsScanTest, LineEndingInTheChunksLastByteIsNeverCutIntoPieces) {
    // A line of kChunk - 1 bytes whose CR is the chunk's last byte: its end is known only
    // from the byte after it, yet the line is searched whole, not as a piece ending 1500
    // bytes before its end (which would cut "gamma" in two).
    std::string line(kChunk - 1, 'x');
    line.replace(48497, 5, "gamma");
    const std::vector<std::string> afterCR = {"\n", "\nnext\r\n", "next\r\n", "\r\n", ""};
    for (const bool eolMac : {false, true}) {
        for (const std::string& after : afterCR) {
            // A lone CR ends a line only when eolMac is set; else it is a space, and the
            // line goes on past the chunk unless the file ends there.
            if (!eolMac && !after.empty() && after[0] != '\n')
                continue;
            SCOPED_TRACE(::testing::Message() << "eolMac " << eolMac << " after " << after.size());
            criteria.eolMac = eolMac;
            FoundFile file = fileWith(line + "\r" + after);
            ASSERT_EQ(scan(file, "gamma", /*stopAtFirstChunkWithHit=*/false), 1);
            EXPECT_EQ(file.hits[0].lineNumber, 1);
            EXPECT_EQ(file.hits[0].matchLength, 5);
            EXPECT_TRUE(file.hitsComplete);
        }
    }
}

TEST_F(ContentsScanTest, OverlongLineIsSearchedInPiecesUnderItsOwnNumber) {
    // Chunk one holds "x", "y" and the first 49,996 bytes of the long line; everything but
    // the last 1500 of those is searched at once as a piece ending in CR.
    const std::size_t pieceLength = kChunk - 4 - FoundFile::kCarry;
    struct Case {
        std::size_t matchAt;
        std::string expectedText;
        int expectedStart;
    };
    const int side = (HitLine::kWindow - 2) / 2;
    const std::vector<Case> cases = {
        {10, std::string(10, 'a') + "zz" + std::string(HitLine::kWindow - 12, 'a'), 10},
        {pieceLength - 6, std::string(side, 'a') + "zz" + std::string(4, 'a') + "\r", side},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.matchAt);
        std::string longLine(120000, 'a');
        longLine.replace(c.matchAt, 2, "zz");
        FoundFile file = fileWith("x\ny\n" + longLine + "\nend\n");
        ASSERT_EQ(scan(file, "zz", /*stopAtFirstChunkWithHit=*/false), 1);
        EXPECT_EQ(file.hits[0].lineNumber, 3);
        EXPECT_EQ(file.hits[0].text, c.expectedText);
        EXPECT_EQ(file.hits[0].matchStart, c.expectedStart);
        EXPECT_EQ(file.hits[0].matchLength, 2);
    }
}

TEST_F(ContentsScanTest, PiecesOfOneLineShareItsNumberAndTheNextLineCountsOn) {
    FoundFile file = fileWith(std::string(120000, 'a') + "\nb\n");
    scan(file, "[ab]", /*stopAtFirstChunkWithHit=*/false);
    ASSERT_GE(file.hits.size(), 3u);
    for (std::size_t i = 0; i + 1 < file.hits.size(); ++i)
        EXPECT_EQ(file.hits[i].lineNumber, 1);
    EXPECT_EQ(file.hits.back().lineNumber, 2);
    EXPECT_EQ(file.hits.back().text, "b");
}

TEST_F(ContentsScanTest, EmptyFileIsCompleteWithoutHits) {
    FoundFile file = fileWith("");
    EXPECT_EQ(scan(file, "a", /*stopAtFirstChunkWithHit=*/true), 0);
    EXPECT_TRUE(file.hitsComplete);
    EXPECT_EQ(fs.readSizes().size(), 1u);
    EXPECT_EQ(fs.closed(), 1);
}

TEST_F(ContentsScanTest, StopAtFirstChunkWithHitKeepsThatChunksHitsOnly) {
    std::string contents = filledFile(200000, "hit last");
    contents.replace(100, 7, "\nhit 1\n");
    contents.replace(30000, 7, "\nhit 2\n");
    FoundFile file = fileWith(contents);

    EXPECT_EQ(scan(file, "hit", /*stopAtFirstChunkWithHit=*/true), 2);
    EXPECT_EQ(file.hits[0].text, "hit 1");
    EXPECT_EQ(file.hits[1].text, "hit 2");
    EXPECT_FALSE(file.hitsComplete);
    EXPECT_EQ(fs.readSizes().size(), 1u);
    EXPECT_EQ(fs.closed(), 1);

    SearchExpression e = expression("hit");
    EXPECT_EQ(file.scanContentsFully(e, criteria), 3);
    EXPECT_EQ(file.hits[2].text, "hit last");
    EXPECT_TRUE(file.hitsComplete);
}

TEST_F(ContentsScanTest, ReadErrorKeepsEarlierHitsAndLeavesTheScanIncomplete) {
    std::string contents = filledFile(200000, "");
    contents.replace(100, 7, "\nhit 1\n");
    contents.replace(60000, 7, "\nhit 2\n");
    contents.replace(160000, 7, "\nhit 3\n");
    FoundFile file = fileWith(contents, /*failAfter=*/2 * kChunk + 10);
    EXPECT_EQ(scan(file, "hit", /*stopAtFirstChunkWithHit=*/false), 2);
    EXPECT_EQ(file.hits[1].text, "hit 2");
    EXPECT_FALSE(file.hitsComplete);
    EXPECT_EQ(fs.readSizes().size(), 3u);
    EXPECT_EQ(fs.closed(), 1);
}

TEST_F(ContentsScanTest, StopRequestEndsTheScanAfterTheChunk) {
    std::string contents = filledFile(200000, "hit last");
    contents.replace(100, 7, "\nhit 1\n");
    FoundFile file = fileWith(contents);
    criteria.requestStop();
    EXPECT_EQ(scan(file, "hit", /*stopAtFirstChunkWithHit=*/false), 1);
    EXPECT_FALSE(file.hitsComplete);
    EXPECT_EQ(fs.readSizes().size(), 1u);
}

TEST_F(ContentsScanTest, BufferOfCarrySizeOrLessIsRefusedBeforeOpening) {
    CapturedMessages messages;
    setMessageSink(&messages);
    FoundFile file = fileWith("a\n");
    file.hits.emplace_back("old", 0, 1, 1);
    file.hitsComplete = true;
    SearchExpression e = expression("a");
    ScanBuffers carrySized(FoundFile::kCarry);
    ScanBuffers empty(0);
    EXPECT_EQ(file.scanContents(e, carrySized, criteria, false), 0);
    EXPECT_EQ(file.scanContents(e, empty, criteria, false), 0);
    setMessageSink(nullptr);
    EXPECT_EQ(messages.texts,
              (std::vector<std::string>{"Read buffer size zero", "Read buffer size zero"}));
    EXPECT_TRUE(file.hits.empty());
    EXPECT_FALSE(file.hitsComplete);
    EXPECT_EQ(fs.opened(), 0);
}

TEST_F(ContentsScanTest, UnopenableFileGivesNoHitsSilently) {
    CapturedMessages messages;
    setMessageSink(&messages);
    FoundFile missing(makeSharedText(kFolder), "missing", 10, 0);
    missing.hits.emplace_back("old", 0, 1, 1);
    EXPECT_EQ(scan(missing, "a", false), 0);
    EXPECT_TRUE(missing.hits.empty());
    EXPECT_FALSE(missing.hitsComplete);

    FoundFile noFolder;
    noFolder.name = kName;
    EXPECT_EQ(scan(noFolder, "a", false), 0);

    setFileSystem(nullptr);
    FoundFile file = fileWith("a\n");
    EXPECT_EQ(scan(file, "a", false), 0);
    setMessageSink(nullptr);
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(ContentsScanTest, RescanReplacesEarlierHits) {
    FoundFile file = fileWith("a\nb\na\n");
    EXPECT_EQ(scan(file, "a", false), 2);
    EXPECT_EQ(scan(file, "b", false), 1);
    EXPECT_EQ(hitsOf(file), (std::vector<Hit>{{2, "b"}}));
}

TEST(ContentsScanRealFileTest, ReadsRegularFilesAndSkipsOthers) {
    scoutwell::testing::TempTree tree;
    std::string big = "first\r\n" + std::string(2 * kChunk, 'q') + "\r\nlast match\r\n";
    tree.file("big.txt", big);
    tree.file("empty.txt", "");
    tree.folder("sub");
    ASSERT_EQ(::mkfifo(tree.path("fifo").c_str(), 0600), 0);

    SearchCriteria criteria;
    criteria.eolUnix = false;
    SearchExpression e;
    ASSERT_TRUE(e.set("match|first", true, true, nullptr));
    const SharedText folder = makeSharedText(tree.path());

    FoundFile file(folder, "big.txt", static_cast<std::int64_t>(big.size()), 0);
    EXPECT_EQ(file.scanContentsFully(e, criteria), 2);
    EXPECT_EQ(hitsOf(file), (std::vector<Hit>{{1, "first"}, {3, "last match"}}));
    EXPECT_TRUE(file.hitsComplete);

    for (const char* name : {"empty.txt", "sub", "fifo", "absent"}) {
        SCOPED_TRACE(name);
        FoundFile other(folder, name, 0, 0);
        EXPECT_EQ(other.scanContentsFully(e, criteria), 0);
    }
}

}  // namespace
}  // namespace scoutwell
