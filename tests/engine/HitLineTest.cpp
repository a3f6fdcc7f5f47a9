#include <gtest/gtest.h>

#include <string>

#include "engine/FoundItem.h"

namespace scoutwell {
namespace {

// A line whose every byte tells its own offset, so a window shows where it was cut.
std::string numberedLine(std::size_t size) {
    std::string line(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        line[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return line;
}

TEST(HitLine, KeepsAWindowAroundTheMatch) {
    struct Case {
        const char* what;
        std::size_t lineSize;
        int matchStart, matchLength;
        std::size_t windowStart, windowSize;
        int storedStart, storedLength;
    };
    const Case cases[] = {
        {"short line kept whole", 120, 30, 5, 0, 120, 30, 5},
        {"4999 bytes kept whole", 4999, 4000, 10, 0, 4999, 4000, 10},
        {"12,000 bytes, match at 8000", 12000, 8000, 10, 5505, 5000, 2495, 10},
        {"6000 bytes, match near the start", 6000, 100, 10, 0, 5000, 100, 10},
        {"5000 bytes, match just before side", 5000, 2494, 10, 0, 5000, 2494, 10},
        {"5000 bytes, match at side", 5000, 2495, 10, 0, 5000, 2495, 10},
        {"5001 bytes, match at side + 1", 5001, 2496, 10, 1, 5000, 2495, 10},
        {"window cut short by the line end", 6000, 5900, 10, 3405, 2595, 2495, 10},
        {"odd free space rounds toward zero", 9000, 6000, 11, 3506, 5000, 2494, 11},
        {"match of 4999 bytes", 9000, 3000, 4999, 3000, 5000, 0, 4999},
        {"match of 5000 bytes", 9000, 1234, 5000, 1234, 5000, 0, 5000},
        {"match of 5001 bytes", 9000, 10, 5001, 10, 5000, 0, 5000},
        {"match of the whole long line", 7000, 0, 7000, 0, 5000, 0, 5000},
    };
    for (const Case& c : cases) {
        const std::string line = numberedLine(c.lineSize);
        const HitLine hit(line, c.matchStart, c.matchLength, 42);
        EXPECT_EQ(hit.text, line.substr(c.windowStart, c.windowSize)) << c.what;
        EXPECT_EQ(hit.matchStart, c.storedStart) << c.what;
        EXPECT_EQ(hit.matchLength, c.storedLength) << c.what;
        EXPECT_EQ(hit.lineNumber, 42) << c.what;
        if (c.matchLength < HitLine::kWindow) {
            // Whatever the cut, the stored match is the same bytes as the original one.
            EXPECT_EQ(hit.text.substr(hit.matchStart, hit.matchLength),
                      line.substr(c.matchStart, c.matchLength))
                << c.what;
        }
    }
}

TEST(HitLine, MatchPositionsOutsideTheLineDoNotReadPastIt) {
    const std::string line = numberedLine(6000);
    const HitLine beyond(line, 7000, 10, 1);
    EXPECT_EQ(beyond.text, line.substr(6000 - 2495));
    const HitLine negative(line, -5, 5000, 1);
    EXPECT_EQ(negative.text, line.substr(0, 5000));
}

TEST(HitLine, SegmentCachesAreMadeOnFirstUseAndTravelWithCopies) {
    HitLine hit("some line", 0, 4, 1);
    auto& caches = hit.segmentCaches();
    EXPECT_TRUE(caches.empty());
    caches.resize(2);
    caches[1].text = "line";
    caches[1].pieces.emplace_back(0, 4);

    HitLine copy(hit);
    EXPECT_EQ(copy.segmentCaches()[1].text, "line");
    EXPECT_NE(&copy.segmentCaches(), &hit.segmentCaches());
    copy.segmentCaches()[1].text = "changed";
    EXPECT_EQ(hit.segmentCaches()[1].text, "line");

    HitLine assigned("other", 0, 1, 2);
    assigned = hit;
    EXPECT_EQ(assigned.text, "some line");
    EXPECT_EQ(assigned.segmentCaches()[1].pieces.size(), 1u);
}

}  // namespace
}  // namespace scoutwell
