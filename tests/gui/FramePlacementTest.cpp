// Where the main frame opens, against remembered values and fake screen sizes.
#include <gtest/gtest.h>

#include <optional>

#include "app/core/Settings.h"
#include "app/core/SettingsStore.h"
#include "views/FramePlacement.h"

namespace scoutwell {
namespace {

constexpr std::int32_t D = kLetSystemChoose;
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

struct Stored {
    std::optional<std::int32_t> x, y, width, height;
};

struct PlacementCase {
    const char* what;
    Stored stored;
    FramePlacement expected;
};

TEST(FramePlacementTest, StoredValuesAreCheckedAgainstTheScreen) {
    const PlacementCase cases[] = {
        {"nothing stored", {}, {D, D, D, D}},
        {"all in range", {10, 20, 800, 600}, {10, 20, 800, 600}},
        {"x of -20 rejected", {-20, 5, 800, 600}, {D, 5, 800, 600}},
        {"x of -19 used", {-19, 5, 800, 600}, {-19, 5, 800, 600}},
        {"x + 100 reaching the right edge rejected", {1180, 5, 800, 600}, {D, 5, 800, 600}},
        {"x + 100 just inside used", {1179, 5, 800, 600}, {1179, 5, 800, 600}},
        {"bad y discards a good x", {10, -20, 800, 600}, {D, D, 800, 600}},
        {"y + 100 reaching the bottom discards x", {10, 924, 800, 600}, {D, D, 800, 600}},
        {"y of -19 used", {10, -19, 800, 600}, {10, -19, 800, 600}},
        {"only x stored: no position", {10, std::nullopt, 800, 600}, {D, D, 800, 600}},
        {"width of 30 falls back", {10, 20, 30, 600}, {10, 20, D, 600}},
        {"width of 31 used", {10, 20, 31, 600}, {10, 20, 31, 600}},
        {"height of 30 resets both sizes", {10, 20, 800, 30}, {10, 20, D, D}},
        {"height of 31 used", {10, 20, 800, 31}, {10, 20, 800, 31}},
        {"width beyond the screen cut", {0, 0, 5000, 600}, {0, 0, kScreenWidth, 600}},
        {"height beyond the screen cut", {0, 0, 800, 5000}, {0, 0, 800, kScreenHeight}},
        {"height missing: both sizes default", {0, 0, 800, std::nullopt}, {0, 0, D, D}},
        {"width missing: both sizes default", {0, 0, std::nullopt, 600}, {0, 0, D, D}},
        {"x near the integer limit does not wrap", {INT32_MAX - 50, 5, 800, 600}, {D, 5, 800, 600}},
        {"y near the integer limit does not wrap",
         {10, INT32_MAX - 50, 800, 600},
         {D, D, 800, 600}},
    };
    for (const PlacementCase& c : cases) {
        MemorySettingsStore store;
        if (c.stored.x)
            writeSetting(store, kFrameX, *c.stored.x);
        if (c.stored.y)
            writeSetting(store, kFrameY, *c.stored.y);
        if (c.stored.width)
            writeSetting(store, kFrameWidth, *c.stored.width);
        if (c.stored.height)
            writeSetting(store, kFrameHeight, *c.stored.height);
        const FramePlacement p = framePlacementFromSettings(store, kScreenWidth, kScreenHeight);
        EXPECT_EQ(p.x, c.expected.x) << c.what;
        EXPECT_EQ(p.y, c.expected.y) << c.what;
        EXPECT_EQ(p.width, c.expected.width) << c.what;
        EXPECT_EQ(p.height, c.expected.height) << c.what;
    }
}

TEST(FramePlacementTest, NothingIsReadOrWrittenWhenWindowSizesAreNotRemembered) {
    MemorySettingsStore store;
    writeSetting(store, kRememberWindowSize, 0);
    writeSetting(store, kFrameX, 10);
    writeSetting(store, kFrameY, 10);
    writeSetting(store, kFrameWidth, 800);
    writeSetting(store, kFrameHeight, 600);
    const FramePlacement p = framePlacementFromSettings(store, kScreenWidth, kScreenHeight);
    EXPECT_EQ(p.x, D);
    EXPECT_EQ(p.width, D);

    const int changes = store.changeCount();
    saveFramePlacement(store, true, /*positionKnown=*/true, 1, 2, 3, 4);
    EXPECT_EQ(store.changeCount(), changes);
}

TEST(FramePlacementTest, SavingStoresTheRestoredRectangleAndTheMaximizedState) {
    MemorySettingsStore store;
    saveFramePlacement(store, /*maximized=*/true, /*positionKnown=*/true, -5, 7, 900, 700);
    EXPECT_EQ(readSetting(store, kFrameMaximized), 1);
    EXPECT_EQ(readSetting(store, kFrameX), -5);
    EXPECT_EQ(readSetting(store, kFrameY), 7);
    EXPECT_EQ(readSetting(store, kFrameWidth), 900);
    EXPECT_EQ(readSetting(store, kFrameHeight), 700);
    EXPECT_EQ(store.valueNames(kWindowSettingsSection),
              (std::vector<std::string>{"Frame_Maximized", "FrameWidth", "FrameHeight", "Frame_X",
                                        "Frame_Y"}));
    saveFramePlacement(store, /*maximized=*/false, /*positionKnown=*/true, 0, 0, 900, 700);
    EXPECT_EQ(readSetting(store, kFrameMaximized), 0);
}

TEST(FramePlacementTest, AHiddenPositionLeavesTheStoredOneAsItWas) {
    MemorySettingsStore store;
    writeSetting(store, kFrameX, 300);
    writeSetting(store, kFrameY, 200);
    saveFramePlacement(store, /*maximized=*/true, /*positionKnown=*/false, 0, 0, 900, 700);
    EXPECT_EQ(readSetting(store, kFrameX), 300);
    EXPECT_EQ(readSetting(store, kFrameY), 200);
    EXPECT_EQ(readSetting(store, kFrameMaximized), 1);
    EXPECT_EQ(readSetting(store, kFrameWidth), 900);
    EXPECT_EQ(readSetting(store, kFrameHeight), 700);

    // Nothing stored before: none is made up.
    MemorySettingsStore fresh;
    saveFramePlacement(fresh, /*maximized=*/false, /*positionKnown=*/false, 0, 0, 900, 700);
    EXPECT_EQ(fresh.valueNames(kWindowSettingsSection),
              (std::vector<std::string>{"Frame_Maximized", "FrameWidth", "FrameHeight"}));
}

TEST(FramePlacementTest, FileListWidthFallsBackToHalfTheWindow) {
    const std::int32_t cases[][3] = {
        // stored, creation width, expected
        {kNoStoredWidth, 801, 400},
        {0, 1000, 500},
        {1, 1000, 1},
        {350, 1000, 350},
    };
    for (const auto& c : cases)
        EXPECT_EQ(initialFileListWidth(c[0], c[1]), c[2]) << c[0];
}

TEST(FramePlacementTest, TiledAndCascadedWindowsKeepTheirUsableSize) {
    // Exact placements: two wide windows are stacked; two that fit side by side are not.
    EXPECT_EQ(tileWindows(2, 1270, 700, 760, 300),
              (std::vector<WindowRect>{{0, 0, 1270, 350}, {0, 350, 1270, 350}}));
    EXPECT_EQ(tileWindows(3, 1270, 700, 600, 300),
              (std::vector<WindowRect>{{0, 0, 635, 350}, {635, 0, 635, 350}, {0, 350, 1270, 350}}));
    EXPECT_EQ(cascadeWindows(3, 1000, 700, 760, 300, 25),
              (std::vector<WindowRect>{{0, 0, 950, 650}, {25, 25, 950, 650}, {50, 50, 950, 650}}));

    // Every window at least its usable size, and inside the area wherever the area holds
    // one window of that size; tiles that fit at full height never overlap.
    for (int count = 1; count <= 9; ++count) {
        for (const auto& [width, height] : {std::pair{1270, 700}, {790, 480}, {600, 300}}) {
            for (const bool tile : {true, false}) {
                const std::int32_t minimumWidth = 700;
                const std::int32_t minimumHeight = 280;
                const std::vector<WindowRect> rects =
                    tile ? tileWindows(count, width, height, minimumWidth, minimumHeight)
                         : cascadeWindows(count, width, height, minimumWidth, minimumHeight, 25);
                ASSERT_EQ(rects.size(), static_cast<std::size_t>(count));
                std::int32_t covered = 0;
                for (const WindowRect& r : rects) {
                    SCOPED_TRACE(::testing::Message() << count << " windows in " << width << 'x'
                                                      << height << (tile ? " tiled" : " cascaded"));
                    EXPECT_GE(r.width, minimumWidth);
                    EXPECT_GE(r.height, minimumHeight);
                    EXPECT_GE(r.x, 0);
                    EXPECT_GE(r.y, 0);
                    if (width >= minimumWidth) {
                        EXPECT_LE(r.x + r.width, width);
                    }
                    if (height >= minimumHeight) {
                        EXPECT_LE(r.y + r.height, height);
                    }
                    covered += r.width * r.height;
                }
                if (tile && count * minimumHeight <= height * (width / minimumWidth)) {
                    EXPECT_LE(covered, width * height) << count << " tiles overlap";
                }
            }
        }
    }
}

}  // namespace
}  // namespace scoutwell
