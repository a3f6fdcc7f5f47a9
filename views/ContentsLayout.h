// The one layout routine of the contents view, shared by the screen and the printer: each
// shown item's summary line, then its hit lines with their numbers, every match on a line
// in the highlight colour. It measures and draws through a ContentsDevice, so one run can count
// pages without drawing and the next draw a single page of them.
//
//   ContentsLayoutRequest request;           // widths, margins, which page, render or not
//   request.items = &doc->shownItems;
//   drawContents(request, device, options);  // request.pages, extent, lastItem, lastLine
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FoundItem.h"
#include "engine/SearchExpression.h"

namespace scoutwell {

// The width of the line-number column is the width of this text in the regular font.
inline constexpr const char* kLineNumberColumnText = "888888.";
inline constexpr const char* kLineNumberFormat = "%d.";
inline constexpr const char* kPageFooterFormat = "Page %d of %d";
// A continuation row holds at least this many characters, even when fewer fit.
inline constexpr int kMinContinuationChars = 10;
// Line texts are black, whatever the highlight colour.
inline constexpr std::uint32_t kContentsTextColour = 0;

enum class ContentsFontRole { kRegular, kFound, kBold };

// What the layout measures and draws with: the current font set of a screen or printer.
// Colours have red in the low byte; y is the top of the text row.
class ContentsDevice {
  public:
    virtual ~ContentsDevice() = default;
    virtual bool printing() const = 0;
    virtual int pixelsPerInchX() const = 0;
    // Changes whenever the font set changes, so that cached wraps are measured again.
    virtual int fontKey() const = 0;
    virtual int textWidth(ContentsFontRole font, std::string_view text) const = 0;
    // How many bytes of `text` fit in `maxWidth`.
    virtual int fitCount(ContentsFontRole font, std::string_view text, int maxWidth) const = 0;
    virtual int fontHeight(ContentsFontRole font) const = 0;
    virtual void drawText(int x, int y, ContentsFontRole font, std::uint32_t colour,
                          std::string_view text) = 0;
};

struct ContentsRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct ContentsLayoutRequest {
    int width = 0;   // 0: no wrapping width
    int height = 0;  // per page; 0: one endless page
    const std::vector<FoundItem*>* items = nullptr;
    int startItem = 0;
    int startLine = 0;
    int startPage = 0;  // earlier pages are laid out but not drawn
    int pageLimit = 0;  // 0: no limit
    bool render = false;
    bool boldSummary = false;
    int leftMargin = 0;
    int rightMargin = 0;
    int topMargin = 0;
    int bottomMargin = 0;
    int totalPages = 0;  // for the footer
    // Results.
    ContentsRect extent;
    int lastItem = 0;
    int lastLine = 0;
    int pages = 0;  // counted from startPage
};

struct ContentsStyle {
    ContentsFontRole font = ContentsFontRole::kRegular;
    bool wrap = false;
    int indent = 0;  // from originX
    int gap = 0;     // after every line
    std::uint32_t highlightColour = 0;
    int fontHeight = 0;
    // Finds the matches after the search's own on hit lines; null elsewhere.
    SearchExpression* highlight = nullptr;
};

struct ContentsPen {
    int page = 0;
    int y = 0;
    int maxX = 0;
    int maxY = 0;
    int lineHeight = 0;
    int x = 0;
    int originX = 0;
    int originY = 0;
    const ContentsLayoutRequest* request = nullptr;
    const ContentsStyle* style = nullptr;
};

// The document's display settings that the layout reads.
struct ContentsOptions {
    bool wordWrap = false;
    std::uint32_t highlightColour = 0xFF0000;
    // The search's contents expression: it finds the matches of a hit line after the one
    // the search recorded. Without it only that one is highlighted.
    SearchExpression* highlight = nullptr;
};

// The styles of one layout pass: summary lines (bold after a contents search, else plain),
// hit lines under their number column, and the numbers.
struct ContentsStyles {
    ContentsStyles(const ContentsDevice& device, const ContentsOptions& options);

    int numberColumn = 0;  // width of kLineNumberColumnText
    ContentsStyle boldSummary;
    ContentsStyle plainSummary;
    ContentsStyle hit;
    ContentsStyle number;
};

void drawContents(ContentsLayoutRequest& request, ContentsDevice& device,
                  const ContentsOptions& options);
// One item at the pen: its summary line, then its hit lines from `startLine`, each with its
// number; stops at the request's page limit. `summary` is the item's summary text made
// into a line by the caller, who keeps its wrap between layouts; null makes it afresh.
// `lastLine` becomes the index of each hit line laid out.
void drawItem(ContentsPen& pen, ContentsDevice& device, const ContentsStyles& styles,
              const FoundItem& item, const HitLine* summary, int startLine, int& lastLine);
// A plain text line at the pen, in the pen's style.
void drawText(ContentsPen& pen, ContentsDevice& device, std::string_view text);
// A hit line at the pen; on paged output a line that does not fit starts the next page.
void drawHitLine(ContentsPen& pen, ContentsDevice& device, const HitLine& line,
                 std::optional<ContentsFontRole> matchFont);
// One segment of a line from the pen's x, wrapped as the style says.
void drawSegment(ContentsPen& pen, ContentsDevice& device, HitSegmentCache& segment,
                 ContentsFontRole font, std::uint32_t colour, bool draw);
// Splits a hit line into its segments once (text, each match, text between and after them)
// and keeps them in the line's caches: the search's match, then every later one that
// `highlight` finds. A line without a match is one plain segment.
std::vector<HitSegmentCache>& lineSegments(const HitLine& line, SearchExpression* highlight);
// Splits the segment into rows; reuses the previous pieces when nothing they depend on
// changed. Tabs in the text become spaces.
void wrapSegment(HitSegmentCache& segment, const ContentsDevice& device, ContentsFontRole font,
                 int firstWidth, int nextWidth, bool wrap);

}  // namespace scoutwell
