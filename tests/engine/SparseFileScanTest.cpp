// Holes of sparse files are passed over without reading them, and the hits stay those of
// reading every NUL: over files with holes at the start, on and across chunk boundaries,
// inside lines and at the end, and over real sparse files on disk.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/FoundItem.h"
#include "engine/ScanBuffers.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/UniqueFd.h"
#include "support/TempTree.h"
#include "tests/engine/ScanHits.h"

namespace scoutwell {
namespace {

using testing::Hit;
using testing::hitsOf;
using testing::TempTree;

using Range = std::pair<std::size_t, std::size_t>;  // [first, end)

// A file in memory whose `holes` (all NULs in `contents`) it tells of as a sparse file does.
class HoleyFile : public ReadableFile {
  public:
    HoleyFile(const std::string& contents, std::vector<Range> holes)
        : contents_(contents), holes_(std::move(holes)) {}

    long read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, contents_.size() - offset_);
        std::memcpy(buffer, contents_.data() + offset_, n);
        offset_ += n;
        return static_cast<long>(n);
    }

    std::uint64_t skipHole(std::uint64_t unit) override {
        for (const auto& [first, end] : holes_) {
            if (offset_ >= first && offset_ < end) {
                const std::size_t skip = (end - offset_) / unit * unit;
                offset_ += skip;
                skipped += skip;
                return skip;
            }
        }
        return 0;
    }

    std::size_t skipped = 0;

  private:
    const std::string& contents_;
    std::vector<Range> holes_;
    std::size_t offset_ = 0;
};

// Text with every kind of line end and control byte, and NUL runs of its own.
std::string generateText(std::mt19937& rng, std::size_t size) {
    static const char* const kPieces[] = {"needle", "abc ", "x",  "\r", "\n",
                                          "\r\n",   "\x01", "\0", "\t", "hay hay "};
    std::string out;
    while (out.size() < size) {
        const std::size_t pick = rng() % 10;
        out.append(kPieces[pick], pick == 7 ? 1 : std::strlen(kPieces[pick]));
    }
    out.resize(size);
    return out;
}

struct Scan {
    std::vector<Hit> hits;
    bool complete = false;
};

class SparseScan : public ::testing::Test {
  protected:
    Scan scan(ReadableFile& file, std::size_t bufferSize, bool stopAtFirst) {
        ScanBuffers buffers(bufferSize);
        FoundFile found(makeSharedText("/sparse/"), "f", 0, 0);
        found.scanFile(&file, expression, buffers, criteria, stopAtFirst, nullptr);
        return {hitsOf(found), found.hitsComplete};
    }

    SearchCriteria criteria;
    SearchExpression expression;
};

TEST_F(SparseScan, HolesGiveTheHitsOfReadingTheirNuls) {
    ASSERT_TRUE(expression.set("needle|^x|c $", true, true, nullptr));
    std::mt19937 rng(30);
    for (const std::size_t chunk : {std::size_t{1000}, std::size_t{4096}}) {
        const std::size_t bufferSize = chunk + FoundFile::kCarry;
        // Holes where the chunks meet them in every way: from the start, starting and
        // ending on a boundary, either side of one, over many chunks, to the end.
        const std::vector<std::vector<Range>> layouts = {
            {{0, 5 * chunk}},
            {{chunk, 3 * chunk}},
            {{chunk - 1, 3 * chunk + 1}},
            {{chunk + 1, 4 * chunk - 1}},
            {{2 * chunk - 3, 2 * chunk + 2}, {3 * chunk, 6 * chunk}},
            {{chunk / 2, 7 * chunk + 17}},
            {{3 * chunk, 8 * chunk}},  // the file ends in the hole, on a boundary
            {{3 * chunk, 8 * chunk}},  // ... and (made shorter below) within a chunk
        };
        for (std::size_t layout = 0; layout < layouts.size(); ++layout) {
            std::size_t size = layouts[layout].back().second;
            if (layout + 1 == layouts.size())
                size -= 5;
            else if (layout + 2 != layouts.size())
                size += chunk + 123;
            std::vector<Range> holes = layouts[layout];
            holes.back().second = std::min(holes.back().second, size);
            for (int round = 0; round < 6; ++round) {
                std::string contents = generateText(rng, size);
                for (const auto& [first, end] : holes)
                    std::fill(contents.begin() + static_cast<long>(first),
                              contents.begin() + static_cast<long>(end), '\0');
                // Half the rounds: a line that spans the first hole, a CR just before it.
                const std::size_t first = holes.front().first;
                if (round % 2 == 1 && first >= 8)
                    contents.replace(first - 8, 8, "\rneedle\r");
                if (round % 2 == 1 && holes.front().second + 7 <= size)
                    contents.replace(holes.front().second, 7, "needle\n");
                for (const bool eolUnix : {false, true}) {
                    criteria.eolUnix = eolUnix;
                    criteria.eolMac = round % 3 == 0;
                    for (const bool stopAtFirst : {false, true}) {
                        SCOPED_TRACE(::testing::Message()
                                     << "chunk " << chunk << " layout " << layout << " round "
                                     << round << " eolUnix " << eolUnix << " stopAtFirst "
                                     << stopAtFirst);
                        HoleyFile dense(contents, {});
                        HoleyFile holey(contents, holes);
                        const Scan want = scan(dense, bufferSize, stopAtFirst);
                        const Scan got = scan(holey, bufferSize, stopAtFirst);
                        EXPECT_EQ(got.hits, want.hits);
                        EXPECT_EQ(got.complete, want.complete);
                        if (!stopAtFirst) {
                            EXPECT_GT(holey.skipped, 0u);
                        }
                    }
                }
            }
        }
    }
}

// A real sparse file: the file system says where its holes are, and the scan through the
// platform's reader finds what a scan of the same bytes written out finds.
TEST_F(SparseScan, ASparseFileOnDiskIsSearchedAsItsBytes) {
    PosixFileSystem posix;
    TempTree tree;
    const std::size_t chunk = FoundFile::kBufferSize - FoundFile::kCarry;
    const std::size_t size = 64 * chunk + 300;
    const std::vector<std::pair<std::size_t, std::string>> writes = {
        {0, "first line\nneedle one"},
        {20 * chunk - 3, "needle \x01two\r\n"},
        {size - 40, "ends in a needle\rthen a hole"},
    };
    const std::string sparsePath = tree.file("sparse");
    std::string contents(size, '\0');
    {
        UniqueFd fd(::open(sparsePath.c_str(), O_WRONLY | O_CLOEXEC));
        ASSERT_TRUE(fd);
        ASSERT_EQ(::ftruncate(fd.get(), static_cast<off_t>(size)), 0);
        for (const auto& [at, text] : writes) {
            ASSERT_EQ(::pwrite(fd.get(), text.data(), text.size(), static_cast<off_t>(at)),
                      static_cast<ssize_t>(text.size()));
            contents.replace(at, text.size(), text);
        }
    }
    tree.file("dense", contents);
    struct stat st;
    ASSERT_EQ(::stat(sparsePath.c_str(), &st), 0);
    if (static_cast<std::uint64_t>(st.st_blocks) * 512 >= size)
        GTEST_SKIP() << "the temporary folder's file system keeps no holes";

    const auto scanOnDisk = [&](const std::string& name, std::uint64_t& skipped) {
        std::unique_ptr<ReadableFile> file = posix.openForScan(tree.path(), name);
        EXPECT_TRUE(file);
        if (!file)
            return Scan{};
        // The reader says where the first hole is before any scan reads it.
        std::unique_ptr<ReadableFile> probe = posix.openForScan(tree.path(), name);
        std::string head(chunk, '\0');
        probe->read(head.data(), head.size());
        skipped = probe->skipHole(chunk);
        return scan(*file, FoundFile::kBufferSize, /*stopAtFirst=*/false);
    };
    ASSERT_TRUE(expression.set("needle|hole", true, true, nullptr));
    std::uint64_t sparseSkipped = 0;
    std::uint64_t denseSkipped = 0;
    const Scan sparse = scanOnDisk("sparse", sparseSkipped);
    const Scan dense = scanOnDisk("dense", denseSkipped);
    EXPECT_EQ(sparse.hits, dense.hits);
    EXPECT_TRUE(sparse.complete);
    EXPECT_EQ(sparse.hits.size(), 2u);
    EXPECT_GT(sparseSkipped, 0u);
    EXPECT_EQ(sparseSkipped % chunk, 0u);
    EXPECT_EQ(denseSkipped, 0u);
}

}  // namespace
}  // namespace scoutwell
