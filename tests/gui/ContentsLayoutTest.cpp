// The contents layout on a device whose every byte is 10 units wide and every row 20 high
// (gap 5 at 100 pixels per inch): positions, wrapping, page breaks and footers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/FoundItem.h"
#include "engine/SearchExpression.h"
#include "views/ContentsLayout.h"

namespace scoutwell {
namespace {

constexpr int kCharWidth = 10;
constexpr int kRowHeight = 20;
constexpr int kGap = 5;  // 100 / 20
constexpr int kRow = kRowHeight + kGap;
constexpr int kNumberColumn = 70;  // "888888."

struct Drawn {
    int x;
    int y;
    ContentsFontRole font;
    std::uint32_t colour;
    std::string text;
};

class FixedDevice : public ContentsDevice {
  public:
    explicit FixedDevice(bool printer = false) : printer_(printer) {}

    bool printing() const override { return printer_; }
    int pixelsPerInchX() const override { return 100; }
    int fontKey() const override { return key; }
    int textWidth(ContentsFontRole, std::string_view text) const override {
        return static_cast<int>(text.size()) * kCharWidth;
    }
    int fitCount(ContentsFontRole, std::string_view text, int maxWidth) const override {
        // Line numbers are laid out afresh every time; only hit-line texts are cached.
        if (text.size() > 20)
            ++fitCalls;
        return std::min(static_cast<int>(text.size()), std::max(0, maxWidth / kCharWidth));
    }
    int fontHeight(ContentsFontRole) const override { return kRowHeight; }
    void drawText(int x, int y, ContentsFontRole font, std::uint32_t colour,
                  std::string_view text) override {
        drawn.push_back({x, y, font, colour, std::string(text)});
    }

    const Drawn* find(const std::string& text) const {
        for (const Drawn& d : drawn)
            if (d.text == text)
                return &d;
        return nullptr;
    }

    int key = 1;
    mutable int fitCalls = 0;
    std::vector<Drawn> drawn;

  private:
    bool printer_;
};

// A file whose summary text is its path and a fixed tail; the test keeps the items.
class Items {
  public:
    FoundFile& add(const std::string& name, const std::vector<std::string>& lines,
                   const std::string& match = "") {
        auto file = std::make_unique<FoundFile>(makeSharedText("/d/"), name, 10, 0);
        int number = 1;
        for (const std::string& line : lines) {
            const auto at = match.empty() ? std::string::npos : line.find(match);
            file->hits.emplace_back(line, at == std::string::npos ? 0 : static_cast<int>(at),
                                    at == std::string::npos ? 0 : static_cast<int>(match.size()),
                                    number++);
        }
        pointers.push_back(file.get());
        owned.push_back(std::move(file));
        return *static_cast<FoundFile*>(owned.back().get());
    }

    std::vector<FoundItem*> pointers;

  private:
    std::vector<std::unique_ptr<FoundItem>> owned;
};

ContentsLayoutRequest screenRequest(const Items& items, int width = 0) {
    ContentsLayoutRequest request;
    request.items = &items.pointers;
    request.width = width;
    request.render = true;
    request.boldSummary = true;
    return request;
}

TEST(ContentsLayout, SummaryThenNumberedHitLinesWithTheMatchHighlighted) {
    Items items;
    FoundFile& file = items.add("a.txt", {"one needle", "needle first"}, "needle");
    FixedDevice device;
    ContentsLayoutRequest request = screenRequest(items);
    drawContents(request, device, {false, 0x00FF00});

    const Drawn* summary = device.find(file.summaryText());
    ASSERT_NE(summary, nullptr);
    EXPECT_EQ(summary->y, 0);
    EXPECT_EQ(summary->font, ContentsFontRole::kBold);

    const Drawn* number1 = device.find("1.");
    const Drawn* before = device.find("one ");
    ASSERT_TRUE(number1 && before);
    EXPECT_EQ(number1->x, 0);
    EXPECT_EQ(number1->y, kRow);
    EXPECT_EQ(before->x, kNumberColumn);
    EXPECT_EQ(before->colour, kContentsTextColour);
    EXPECT_EQ(before->font, ContentsFontRole::kRegular);

    // The second line's match starts at 0: nothing is drawn before it.
    std::vector<Drawn> secondRow;
    for (const Drawn& d : device.drawn)
        if (d.y == 2 * kRow && d.x >= kNumberColumn)
            secondRow.push_back(d);
    ASSERT_EQ(secondRow.size(), 2u);
    EXPECT_EQ(secondRow[0].text, "needle");
    EXPECT_EQ(secondRow[0].x, kNumberColumn);
    EXPECT_EQ(secondRow[0].font, ContentsFontRole::kBold);
    EXPECT_EQ(secondRow[0].colour, 0x00FF00u);
    EXPECT_EQ(secondRow[1].text, " first");
    EXPECT_EQ(secondRow[1].x, kNumberColumn + 6 * kCharWidth);

    EXPECT_EQ(request.extent.bottom, 3 * kRow);
    EXPECT_EQ(request.pages, 1);
    EXPECT_EQ(request.lastItem, 0);
    EXPECT_EQ(request.lastLine, 1);
}

TEST(ContentsLayout, WithoutWrapEveryLineIsOneRowAndSetsTheWidestExtent) {
    Items items;
    const std::string longLine(300, 'x');
    items.add("a.txt", {longLine, "", "short"});
    FixedDevice device;
    ContentsLayoutRequest request = screenRequest(items, 0);
    drawContents(request, device, {false, 0});
    ASSERT_NE(device.find(longLine), nullptr);
    EXPECT_EQ(request.extent.right, kNumberColumn + 300 * kCharWidth);
    // The empty line still takes a row and its gap.
    EXPECT_EQ(device.find("short")->y, 3 * kRow);
}

TEST(ContentsLayout, TabsAreShownAsSingleSpaces) {
    Items items;
    items.add("a.txt", {"a\tneedle\tb"}, "needle\tb");
    FixedDevice device;
    ContentsLayoutRequest request = screenRequest(items);
    drawContents(request, device, {false, 0});
    EXPECT_NE(device.find("a "), nullptr);
    EXPECT_NE(device.find("needle b"), nullptr);
}

struct WrapCase {
    const char* name;
    std::string text;
    int firstWidth;
    int nextWidth;
    bool wrap;
    std::vector<std::string> pieces;
};

TEST(ContentsLayout, WrapSegmentRows) {
    const std::vector<WrapCase> cases = {
        {"no wrap keeps one row", std::string(40, 'a'), 50, 30, false, {std::string(40, 'a')}},
        {"continuation rows hold ten even when three fit",
         "abcdefghijklmnopqrstuvwxyz",
         50,
         30,
         true,
         {"abcde", "fghijklmno", "pqrstuvwxy", "z"}},
        {"breaks after the last space that fits",
         "aaaa bbbb cccc",
         70,
         200,
         true,
         {"aaaa ", "bbbb cccc"}},
        {"nothing fits in the first row: starts on the next",
         "abcdefghijkl",
         0,
         200,
         true,
         {"", "abcdefghijkl"}},
        {"one character fitting stays one character",
         "abcdefghijkl",
         10,
         200,
         true,
         {"a", "bcdefghijkl"}},
        {"a word longer than the row is cut",
         "abcdefghijklmnopqrstuvwxyz0123",
         120,
         120,
         true,
         {"abcdefghijkl", "mnopqrstuvwx", "yz0123"}},
        {"a multibyte character is never split",
         "abcd\xc3\xa9"
         "fghijkl",
         50,
         200,
         true,
         {"abcd",
          "\xc3\xa9"
          "fghijkl"}},
    };
    const FixedDevice device;
    for (const WrapCase& c : cases) {
        HitSegmentCache segment;
        segment.text = c.text;
        wrapSegment(segment, device, ContentsFontRole::kRegular, c.firstWidth, c.nextWidth, c.wrap);
        std::vector<std::string> pieces;
        for (const auto& [start, length] : segment.pieces)
            pieces.push_back(segment.text.substr(static_cast<std::size_t>(start),
                                                 static_cast<std::size_t>(length)));
        EXPECT_EQ(pieces, c.pieces) << c.name;
        EXPECT_EQ(segment.lastPieceWidth, static_cast<int>(c.pieces.back().size()) * kCharWidth)
            << c.name;
    }
}

TEST(ContentsLayout, WrappedPiecesAreReusedUntilTheWidthsOrFontsChange) {
    Items items;
    items.add("a.txt", {std::string(200, 'a'), std::string(150, 'b')}, "");
    FixedDevice device;
    ContentsLayoutRequest request = screenRequest(items, 400);
    drawContents(request, device, {true, 0});
    const int firstCalls = device.fitCalls;
    EXPECT_GT(firstCalls, 0);

    drawContents(request, device, {true, 0});
    EXPECT_EQ(device.fitCalls, firstCalls);

    // Another font set (a font change, or the printer) measures again.
    device.key = 2;
    drawContents(request, device, {true, 0});
    EXPECT_GT(device.fitCalls, firstCalls);

    const int beforeResize = device.fitCalls;
    request.width = 300;
    drawContents(request, device, {true, 0});
    EXPECT_GT(device.fitCalls, beforeResize);
}

TEST(ContentsLayout, WordWrapWrapsHitLinesUnderTheirNumberColumn) {
    Items items;
    items.add("a.txt", {std::string(25, 'q')});
    FixedDevice device;
    // 70 for the numbers, 10 characters of text per row.
    ContentsLayoutRequest request = screenRequest(items, kNumberColumn + 100);
    drawContents(request, device, {true, 0});
    std::vector<const Drawn*> rows;
    for (const Drawn& d : device.drawn)
        if (d.text.find('q') != std::string::npos)
            rows.push_back(&d);
    ASSERT_EQ(rows.size(), 3u);
    for (std::size_t k = 0; k < rows.size(); ++k) {
        EXPECT_EQ(rows[k]->x, kNumberColumn);
        EXPECT_EQ(rows[k]->y, kRow + static_cast<int>(k) * kRowHeight);
    }
    EXPECT_EQ(request.extent.bottom, kRow + 3 * kRowHeight + kGap);
}

// Printer pages of 60 units with margins of 10: two rows each.
ContentsLayoutRequest printRequest(const Items& items, int startPage, int pageLimit,
                                   int totalPages) {
    ContentsLayoutRequest request;
    request.items = &items.pointers;
    request.leftMargin = request.rightMargin = request.topMargin = request.bottomMargin = 10;
    request.width = 400;
    request.height = 60;
    request.render = true;
    request.boldSummary = true;
    request.startPage = startPage;
    request.pageLimit = pageLimit;
    request.totalPages = totalPages;
    return request;
}

TEST(ContentsLayout, PagesMoveWholeHitLinesWithTheirNumbersAndCarryFooters) {
    Items items;
    items.add("a.txt", {"first", "second", "third", "fourth", "fifth"});
    FixedDevice counter(true);
    ContentsLayoutRequest count = printRequest(items, 0, 0, 0);
    count.render = false;
    drawContents(count, counter, {false, 0});
    EXPECT_TRUE(counter.drawn.empty());
    // Summary + first, second + third, fourth + fifth.
    ASSERT_EQ(count.pages, 3);

    FixedDevice page2(true);
    ContentsLayoutRequest second = printRequest(items, 1, 2, count.pages);
    drawContents(second, page2, {false, 0});
    EXPECT_EQ(page2.find("first"), nullptr);
    EXPECT_EQ(page2.find("fourth"), nullptr);
    const Drawn* text = page2.find("second");
    const Drawn* number = page2.find("2.");
    ASSERT_TRUE(text && number);
    EXPECT_EQ(text->y, 10);
    EXPECT_EQ(number->y, 10);
    EXPECT_EQ(number->x, 10);
    EXPECT_EQ(text->x, 10 + kNumberColumn);
    EXPECT_EQ(page2.find("third")->y, 10 + kRow);
    const Drawn* footer = page2.find("Page 2 of 3");
    ASSERT_NE(footer, nullptr);
    EXPECT_EQ(footer->x, 400 / 2);
    EXPECT_EQ(footer->y, 60 + 10 / 2 + 10);
    EXPECT_EQ(second.pages, 1);

    FixedDevice page3(true);
    ContentsLayoutRequest third = printRequest(items, 2, 3, count.pages);
    drawContents(third, page3, {false, 0});
    EXPECT_NE(page3.find("Page 3 of 3"), nullptr);
    EXPECT_EQ(page3.find("fourth")->y, 10);
}

TEST(ContentsLayout, TheFirstLineOfAPageIsNeverMovedEvenWhenTallerThanThePage) {
    Items items;
    // 10 characters per row at this width: 8 rows, far taller than the page.
    items.add("a.txt", {std::string(80, 'x')});
    items.add("b.txt", {"after"});
    FixedDevice counter(true);
    ContentsLayoutRequest count = printRequest(items, 0, 0, 0);
    count.width = kNumberColumn + 100;
    count.render = false;
    drawContents(count, counter, {false, 0});
    // Page 1: a's summary; page 2: its long line; page 3: b.
    EXPECT_EQ(count.pages, 3);

    FixedDevice page2(true);
    ContentsLayoutRequest second = printRequest(items, 1, 2, 3);
    second.width = count.width;
    drawContents(second, page2, {false, 0});
    ASSERT_NE(page2.find("1."), nullptr);
    EXPECT_EQ(page2.find("1.")->y, 10);
    int rows = 0;
    for (const Drawn& d : page2.drawn)
        rows += d.text == std::string(10, 'x');
    EXPECT_EQ(rows, 8);
    EXPECT_EQ(page2.find("after"), nullptr);
}

TEST(ContentsLayout, SummariesWrapOnlyWithoutAContentsSearch) {
    Items items;
    FoundFile& file = items.add(std::string(60, 'n'), {});
    const std::string summary = file.summaryText();
    for (const bool bold : {true, false}) {
        FixedDevice device;
        ContentsLayoutRequest request = screenRequest(items, 200);
        request.boldSummary = bold;
        drawContents(request, device, {true, 0});
        EXPECT_EQ(device.find(summary) != nullptr, bold) << bold;
        EXPECT_EQ(device.drawn.front().font,
                  bold ? ContentsFontRole::kBold : ContentsFontRole::kRegular);
    }
}

TEST(ContentsLayout, StartItemAndLineSkipEarlierOutput) {
    Items items;
    items.add("a.txt", {"a1"});
    items.add("b.txt", {"b1", "b2", "b3"});
    FixedDevice device;
    ContentsLayoutRequest request = screenRequest(items);
    request.startItem = 1;
    request.startLine = 1;
    drawContents(request, device, {false, 0});
    EXPECT_EQ(device.find("a1"), nullptr);
    EXPECT_EQ(device.find("b1"), nullptr);
    EXPECT_EQ(device.find("b2")->y, kRow);
    EXPECT_EQ(request.lastItem, 1);
    EXPECT_EQ(request.lastLine, 2);
}

// Every match on a hit line is drawn in the highlight colour, on screen and in print; the
// search recorded the first, the contents expression finds the others.
TEST(ContentsLayout, EveryMatchOfALineIsHighlighted) {
    struct Case {
        const char* pattern;
        bool matchCase;
        std::string line;
        std::string first;  // the search's own match
        std::vector<std::string> highlighted;
    };
    const std::vector<Case> cases = {
        {"needle",
         false,
         "a needle, a NEEDLE and a Needle",
         "needle",
         {"needle", "NEEDLE", "Needle"}},
        {"needle", true, "a needle, a NEEDLE and a needle", "needle", {"needle", "needle"}},
        {"ab*", false, "abbb a ab", "abbb", {"abbb", "a", "ab"}},
        {"x*y", false, "y xy xxy", "y", {"y", "xy", "xxy"}},
        // Empty matches show nothing and do not stop the ones after them.
        {"b*", false, "bb a bb", "bb", {"bb", "bb"}},
        // Each later search sees the rest of the line: ^ would match at its start.
        {"^a|z", false, "a za za", "a", {"a"}},
        {"[^a]b", false, "xb ab cb", "xb", {"xb", "cb"}},
    };
    for (const bool printer : {false, true}) {
        for (const Case& c : cases) {
            SearchExpression expression;
            ASSERT_TRUE(expression.set(c.pattern, c.matchCase, /*compileNow=*/true, nullptr));
            Items items;
            items.add("a.txt", {c.line}, c.first);
            FixedDevice device(printer);
            // Wide enough that the printer, which always wraps, keeps the line on one row.
            ContentsLayoutRequest request = screenRequest(items, 1000);
            drawContents(request, device, {false, 0x00FF00, &expression});
            std::vector<std::string> highlighted;
            std::string row;
            for (const Drawn& d : device.drawn) {
                if (d.y != kRow || d.x < kNumberColumn)
                    continue;
                row += d.text;
                if (d.colour == 0x00FF00u)
                    highlighted.push_back(d.text);
            }
            EXPECT_EQ(highlighted, c.highlighted) << c.pattern << " printer " << printer;
            EXPECT_EQ(row, c.line) << c.pattern;  // nothing lost or doubled between them
        }
    }
}

}  // namespace
}  // namespace scoutwell
