// The contents view's lazy layout against the full one: for random shown items, fonts and
// widths, everything it paints lies where drawContents of the whole list puts it, whether
// the pane is scrolled through, paged or jumped about in.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/FoundItem.h"
#include "views/ContentsLayout.h"
#include "views/LazyContentsLayout.h"

namespace scoutwell {
namespace {

using Mark = std::tuple<int, int, int, std::uint32_t, std::string>;  // x, y, font, colour, text

// Bytes of varying widths per font, rows of the font's own height; records what it draws.
class RandomFontDevice : public ContentsDevice {
  public:
    explicit RandomFontDevice(std::mt19937& random) {
        std::uniform_int_distribution<int> width(3, 9);
        std::uniform_int_distribution<int> height(8, 30);
        for (int f = 0; f < 3; ++f) {
            widths_[f] = width(random);
            heights_[f] = height(random);
        }
        dpi_ = std::uniform_int_distribution<int>(72, 200)(random);
    }

    bool printing() const override { return false; }
    int pixelsPerInchX() const override { return dpi_; }
    int fontKey() const override { return 1; }
    int textWidth(ContentsFontRole font, std::string_view text) const override {
        int width = 0;
        for (const char c : text)
            width += widths_[static_cast<int>(font)] + static_cast<unsigned char>(c) % 4;
        return width;
    }
    int fitCount(ContentsFontRole font, std::string_view text, int maxWidth) const override {
        int width = 0;
        int fit = 0;
        for (const char c : text) {
            width += widths_[static_cast<int>(font)] + static_cast<unsigned char>(c) % 4;
            if (width > maxWidth)
                break;
            ++fit;
        }
        return fit;
    }
    int fontHeight(ContentsFontRole font) const override {
        return heights_[static_cast<int>(font)];
    }
    void drawText(int x, int y, ContentsFontRole font, std::uint32_t colour,
                  std::string_view text) override {
        drawn.emplace_back(x, y, static_cast<int>(font), colour, std::string(text));
    }

    std::vector<Mark> drawn;

  private:
    int widths_[3] = {};
    int heights_[3] = {};
    int dpi_ = 96;
};

std::string randomText(std::mt19937& random, int maxLength) {
    static const std::string kChars = "abcdefghij KLMNOP\t.,;0123456789  ";
    std::uniform_int_distribution<int> length(0, maxLength);
    std::uniform_int_distribution<std::size_t> pick(0, kChars.size() - 1);
    std::string text(static_cast<std::size_t>(length(random)), ' ');
    for (char& c : text)
        c = kChars[pick(random)];
    return text;
}

struct RandomItems {
    // Now and then a few thousand items, so that the heights span several blocks.
    explicit RandomItems(std::mt19937& random) {
        const int count = random() % 16 == 0
                              ? std::uniform_int_distribution<int>(1000, 3000)(random)
                              : std::uniform_int_distribution<int>(1, 60)(random);
        for (int i = 0; i < count; ++i) {
            auto folder = makeSharedText("/data/" + randomText(random, 40) + "/");
            auto file = std::make_unique<FoundFile>(folder, "f" + std::to_string(i), i * 977, 0);
            const int lines = std::uniform_int_distribution<int>(0, 6)(random);
            for (int n = 0; n < lines; ++n) {
                const std::string line = randomText(random, n % 3 == 0 ? 400 : 60);
                const int size = static_cast<int>(line.size());
                const int start = std::uniform_int_distribution<int>(0, size)(random);
                const int length = std::uniform_int_distribution<int>(0, size - start)(random);
                file->hits.emplace_back(line, start, length, n * 3 + 1);
            }
            pointers.push_back(file.get());
            owned.push_back(std::move(file));
        }
    }

    std::vector<FoundItem*> pointers;
    std::vector<std::unique_ptr<FoundItem>> owned;
};

struct Case {
    std::mt19937 random;
    RandomItems items;
    ContentsOptions options;
    bool boldSummary;
    int width;
    int paneHeight;

    explicit Case(unsigned seed)
        : random(seed),
          items(random),
          options{random() % 2 == 0, 0x123456},
          boldSummary(random() % 2 == 0),
          width(options.wordWrap ? std::uniform_int_distribution<int>(20, 900)(random) : 0),
          paneHeight(std::uniform_int_distribution<int>(30, 500)(random)) {}

    ContentsLayoutRequest request(const std::vector<FoundItem*>& list) const {
        ContentsLayoutRequest r;
        r.items = &list;
        r.width = width;
        r.render = true;
        r.boldSummary = boldSummary;
        return r;
    }
};

// Paints at `top` and returns what was drawn, moved to the lazy layout's own positions.
std::vector<Mark> paintAt(LazyContentsLayout& layout, Case& c, std::int64_t& top) {
    std::mt19937 same(7);
    RandomFontDevice fonts(same);
    fonts.drawn.clear();
    top =
        layout.paint(c.items.pointers, fonts, c.options, c.boldSummary, c.width, top, c.paneHeight);
    std::vector<Mark> marks;
    for (Mark mark : fonts.drawn) {
        std::get<1>(mark) += static_cast<int>(top);
        marks.push_back(std::move(mark));
    }
    return marks;
}

TEST(LazyContentsLayout, PaintsWhatTheFullLayoutPutsThereForRandomItemsFontsAndWidths) {
    for (unsigned seed = 1; seed <= 120; ++seed) {
        Case c(seed);
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 same(7);
        RandomFontDevice full(same);
        ContentsLayoutRequest whole = c.request(c.items.pointers);
        drawContents(whole, full, c.options);
        const std::set<Mark> expected(full.drawn.begin(), full.drawn.end());

        // Each item alone is as tall as it is in the list: its top is the sum above it.
        std::vector<int> tops = {0};
        for (FoundItem* item : c.items.pointers) {
            const std::vector<FoundItem*> alone = {item};
            std::mt19937 again(7);
            RandomFontDevice single(again);
            ContentsLayoutRequest r = c.request(alone);
            drawContents(r, single, c.options);
            tops.push_back(tops.back() + r.extent.bottom);
        }
        ASSERT_EQ(tops.back(), whole.extent.bottom);

        // Jumps anywhere, upwards too: the painted items lie as the full layout lays them,
        // shifted by what the items above them not yet laid out were estimated at.
        LazyContentsLayout jumping;
        for (int jump = 0; jump < 8; ++jump) {
            std::int64_t top = std::uniform_int_distribution<std::int64_t>(
                0, std::max<std::int64_t>(0, jumping.totalHeight()))(c.random);
            const std::vector<Mark> marks = paintAt(jumping, c, top);
            const int first = jumping.itemAt(top);
            const int shift = static_cast<int>(jumping.itemTop(first)) - tops[first];
            for (Mark mark : marks) {
                std::get<1>(mark) -= shift;
                EXPECT_TRUE(expected.count(mark))
                    << std::get<4>(mark) << " at " << std::get<1>(mark);
            }
            for (int i = 0; i < jumping.itemCount(); ++i) {
                if (jumping.laidOut(i)) {
                    EXPECT_EQ(jumping.itemHeight(i), tops[i + 1] - tops[i]) << "item " << i;
                }
            }
        }

        // Scrolled through from the top in steps up to a page: every mark where the full
        // layout has it, all of them drawn, and the same extent at the end.
        LazyContentsLayout scrolling;
        std::set<Mark> painted;
        std::int64_t top = 0;
        do {
            for (const Mark& mark : paintAt(scrolling, c, top)) {
                EXPECT_TRUE(expected.count(mark))
                    << std::get<4>(mark) << " at " << std::get<1>(mark);
                painted.insert(mark);
            }
            top += std::uniform_int_distribution<int>(1, c.paneHeight)(c.random);
        } while (top < scrolling.totalHeight());
        EXPECT_EQ(painted, expected);
        EXPECT_EQ(scrolling.totalHeight(), whole.extent.bottom);
        EXPECT_EQ(scrolling.widest(), whole.extent.right);
    }
}

TEST(LazyContentsLayout, ScrollingUpOntoItemsNotYetLaidOutKeepsTheRowsOnShowInPlace) {
    std::mt19937 random(42);
    RandomItems items(random);
    // Long lines wrapped narrowly: the estimates are far off.
    for (FoundItem* item : items.pointers)
        item->hits.emplace_back(std::string(300, 'w') + " end", 0, 1, 99);
    const ContentsOptions options{true, 0};
    LazyContentsLayout layout;
    std::mt19937 same(7);
    RandomFontDevice device(same);
    const int height = 200;
    layout.paint(items.pointers, device, options, true, 120, 0, height);
    std::int64_t top = layout.totalHeight() - height;
    top = layout.paint(items.pointers, device, options, true, 120, top, height);
    const int anchor = layout.itemAt(top);
    const std::int64_t onScreen = layout.itemTop(anchor + 1) - top;

    const std::int64_t scrolled =
        layout.paint(items.pointers, device, options, true, 120, top - 30, height);
    EXPECT_EQ(layout.itemTop(anchor + 1) - scrolled, onScreen + 30);
}

}  // namespace
}  // namespace scoutwell
