#include "views/ContentsLayout.h"

#include <algorithm>

#include "engine/Text.h"

namespace scoutwell {

namespace {

bool isContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Moves a piece end off the middle of a UTF-8 sequence, so that no row shows half a
// character; a piece that would become empty takes the whole character instead.
int pieceEndOnCharacter(const std::string& text, int start, int length) {
    const int size = static_cast<int>(text.size());
    if (length <= 0 || start + length >= size)
        return length;
    int end = start + length;
    while (end > start && isContinuationByte(text[end]))
        --end;
    if (end == start) {
        end = start + length;
        while (end < size && isContinuationByte(text[end]))
            ++end;
    }
    return end - start;
}

// Whether the pattern holds the anchor outside a set, where it stands for a line's start
// or end rather than for itself.
bool holdsAnchor(std::string_view pattern, char anchor) {
    bool inSet = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '\\') {
            ++i;
        } else if (inSet) {
            inSet = c != ']';
        } else if (c == '[') {
            inSet = true;
            if (i + 1 < pattern.size() && pattern[i + 1] == '^')
                ++i;
        } else if (c == anchor) {
            return true;
        }
    }
    return false;
}

// The matches after `from` that `highlight` finds in the text. Each search starts where
// the last match ended, so a later search sees a suffix of the line: an expression that
// holds ^ would match at every suffix's start, and one that holds $ at the end of a window
// cut from a longer line, so those add none.
std::vector<std::pair<std::size_t, std::size_t>> laterMatches(const std::string& text,
                                                              std::size_t from,
                                                              SearchExpression& highlight) {
    std::vector<std::pair<std::size_t, std::size_t>> matches;
    if (holdsAnchor(highlight.pattern(), '^') ||
        (text.size() >= static_cast<std::size_t>(HitLine::kWindow) &&
         holdsAnchor(highlight.pattern(), '$')))
        return matches;
    while (from < text.size()) {
        int start = 0;
        int length = 0;
        if (!highlight.find(std::string_view(text).substr(from), start, length))
            break;
        std::size_t at = from + static_cast<std::size_t>(start);
        if (length <= 0) {
            // An empty match shows nothing: the search goes on from the next character.
            ++at;
            while (at < text.size() && isContinuationByte(text[at]))
                ++at;
            from = at;
            continue;
        }
        matches.emplace_back(at, static_cast<std::size_t>(length));
        from = at + static_cast<std::size_t>(length);
    }
    return matches;
}

void layOutLine(ContentsPen& pen, ContentsDevice& device, const HitLine& line,
                std::optional<ContentsFontRole> matchFont, bool draw) {
    const ContentsStyle& style = *pen.style;
    pen.x = pen.originX + style.indent;
    for (HitSegmentCache& cache : lineSegments(line, style.highlight)) {
        if (cache.match)
            drawSegment(pen, device, cache, matchFont.value_or(style.font), style.highlightColour,
                        draw);
        else
            drawSegment(pen, device, cache, style.font, kContentsTextColour, draw);
    }
    pen.y += pen.lineHeight + style.gap;
    pen.maxY = std::max(pen.maxY, pen.y);
    pen.x = pen.originX + style.indent;
}

}  // namespace

std::vector<HitSegmentCache>& lineSegments(const HitLine& line, SearchExpression* highlight) {
    std::vector<HitSegmentCache>& segments = line.segmentCaches();
    if (!segments.empty())
        return segments;
    const std::string& text = line.text;
    const std::size_t size = text.size();
    const std::size_t start = std::min<std::size_t>(std::max(line.matchStart, 0), size);
    const std::size_t length = std::min<std::size_t>(std::max(line.matchLength, 0), size - start);
    std::vector<std::pair<std::size_t, std::size_t>> matches;
    if (length > 0) {
        matches.emplace_back(start, length);
        if (highlight) {
            const auto later = laterMatches(text, start + length, *highlight);
            matches.insert(matches.end(), later.begin(), later.end());
        }
    }
    const auto add = [&](std::size_t from, std::size_t count, bool match) {
        if (count == 0)
            return;
        HitSegmentCache& segment = segments.emplace_back();
        segment.text = text.substr(from, count);
        segment.match = match;
    };
    std::size_t done = 0;
    for (const auto& [at, count] : matches) {
        add(done, at - done, false);
        add(at, count, true);
        done = at + count;
    }
    add(done, size - done, false);
    return segments;
}

void wrapSegment(HitSegmentCache& segment, const ContentsDevice& device, ContentsFontRole font,
                 int firstWidth, int nextWidth, bool wrap) {
    const int key = device.fontKey();
    if (!segment.pieces.empty() && segment.firstLineWidth == firstWidth &&
        segment.nextLinesWidth == nextWidth && segment.wrap == wrap && segment.fontKey == key)
        return;
    std::replace(segment.text.begin(), segment.text.end(), '\t', ' ');
    segment.pieces.clear();
    segment.firstLineWidth = firstWidth;
    segment.nextLinesWidth = nextWidth;
    segment.wrap = wrap;
    segment.fontKey = key;
    segment.lastPieceWidth = 0;
    segment.lastPieceHeight = device.fontHeight(font);

    const std::string& text = segment.text;
    const int length = static_cast<int>(text.size());
    int p = 0;
    int w = firstWidth;
    while (p < length) {
        const int r = length - p;
        const std::string_view remainder(text.data() + p, static_cast<std::size_t>(r));
        int fit = r;
        if (wrap) {
            fit = w > 0 ? device.fitCount(font, remainder, w) : 0;
            if (fit <= kMinContinuationChars && w == nextWidth)
                fit = kMinContinuationChars;
        }
        w = nextWidth;
        int piece = fit;
        if (fit < r && fit > 1) {
            for (int k = p + fit - 1; k >= p + 1; --k)
                if (text[k] == ' ') {
                    piece = k + 1 - p;
                    break;
                }
        }
        piece = std::min(piece, r);
        // An empty first piece pushes the segment to the next row; later rows always take
        // at least kMinContinuationChars, so the loop ends.
        piece = pieceEndOnCharacter(text, p, piece);
        segment.pieces.emplace_back(p, piece);
        p += piece;
    }
    if (!segment.pieces.empty()) {
        const auto [start, size] = segment.pieces.back();
        segment.lastPieceWidth = device.textWidth(
            font, std::string_view(text.data() + start, static_cast<std::size_t>(size)));
    }
}

void drawSegment(ContentsPen& pen, ContentsDevice& device, HitSegmentCache& segment,
                 ContentsFontRole font, std::uint32_t colour, bool draw) {
    const ContentsStyle& style = *pen.style;
    const ContentsLayoutRequest& request = *pen.request;
    int firstWidth = 0;
    int nextWidth = 0;
    if (request.width > 0) {
        firstWidth = request.width - (pen.x - pen.originX);
        nextWidth = request.width - style.indent;
    }
    wrapSegment(segment, device, font, firstWidth, nextWidth, style.wrap);
    pen.lineHeight = style.fontHeight;
    const std::size_t count = segment.pieces.size();
    for (std::size_t k = 0; k < count; ++k) {
        const auto [start, size] = segment.pieces[k];
        if (draw && size > 0)
            device.drawText(
                pen.x, pen.y, font, colour,
                std::string_view(segment.text.data() + start, static_cast<std::size_t>(size)));
        if (k + 1 < count) {
            pen.y += pen.lineHeight;
            pen.x = pen.originX + style.indent;
        }
    }
    pen.x += segment.lastPieceWidth;
    pen.maxX = std::max(pen.maxX, pen.x);
}

void drawHitLine(ContentsPen& pen, ContentsDevice& device, const HitLine& line,
                 std::optional<ContentsFontRole> matchFont) {
    const ContentsLayoutRequest& request = *pen.request;
    ContentsPen measured;
    bool measuredValid = false;
    if (request.height > 0 && pen.y > pen.originY) {
        measured = pen;
        layOutLine(measured, device, line, matchFont, false);
        if (measured.y - pen.originY > request.height) {
            ++pen.page;
            pen.y = pen.originY;
        } else {
            measuredValid = true;
        }
    }
    if (request.pageLimit != 0 && pen.page >= request.pageLimit)
        return;
    const bool draw = request.render && pen.page >= request.startPage;
    if (measuredValid && !draw)
        pen = measured;
    else
        layOutLine(pen, device, line, matchFont, draw);
}

void drawText(ContentsPen& pen, ContentsDevice& device, std::string_view text) {
    const HitLine line(text, 0, 0, 0);
    drawHitLine(pen, device, line, std::nullopt);
}

ContentsStyles::ContentsStyles(const ContentsDevice& device, const ContentsOptions& options) {
    const bool printing = device.printing();
    const int gap = device.pixelsPerInchX() / 20;
    numberColumn = device.textWidth(ContentsFontRole::kRegular, kLineNumberColumnText);
    const int regularHeight = device.fontHeight(ContentsFontRole::kRegular);
    boldSummary = {ContentsFontRole::kBold,
                   false,
                   0,
                   gap,
                   options.highlightColour,
                   device.fontHeight(ContentsFontRole::kBold)};
    plainSummary = {ContentsFontRole::kRegular, options.wordWrap, 0, gap,
                    options.highlightColour,    regularHeight};
    hit = {ContentsFontRole::kRegular,
           printing || options.wordWrap,
           numberColumn,
           gap,
           options.highlightColour,
           regularHeight,
           options.highlight};
    number = {ContentsFontRole::kRegular,
              printing || options.wordWrap,
              0,
              gap,
              options.highlightColour,
              regularHeight};
}

void drawItem(ContentsPen& pen, ContentsDevice& device, const ContentsStyles& styles,
              const FoundItem& item, const HitLine* summary, int startLine, int& lastLine) {
    const ContentsLayoutRequest& request = *pen.request;
    const auto stopped = [&] { return request.pageLimit != 0 && pen.page >= request.pageLimit; };
    pen.style = request.boldSummary ? &styles.boldSummary : &styles.plainSummary;
    if (summary)
        drawHitLine(pen, device, *summary, std::nullopt);
    else
        drawText(pen, device, item.summaryText());
    for (int j = std::max(startLine, 0); j < static_cast<int>(item.hits.size()); ++j) {
        if (stopped())
            break;
        ContentsPen numberPen = pen;
        pen.style = &styles.hit;
        drawHitLine(pen, device, item.hits[static_cast<std::size_t>(j)], ContentsFontRole::kBold);
        if (pen.page != numberPen.page) {
            numberPen.page = pen.page;
            numberPen.y = pen.originY;
        }
        numberPen.style = &styles.number;
        drawText(
            numberPen, device,
            text::format(kLineNumberFormat, item.hits[static_cast<std::size_t>(j)].lineNumber));
        lastLine = j;
    }
}

void drawContents(ContentsLayoutRequest& request, ContentsDevice& device,
                  const ContentsOptions& options) {
    const bool printing = device.printing();
    const ContentsStyles styles(device, options);

    ContentsPen pen;
    pen.request = &request;
    pen.originX = request.leftMargin;
    pen.originY = request.topMargin;
    pen.y = request.topMargin;

    int lastItem = 0;
    int lastLine = 0;
    static const std::vector<FoundItem*> noItems;
    const std::vector<FoundItem*>& items = request.items ? *request.items : noItems;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        if (request.pageLimit != 0 && pen.page >= request.pageLimit)
            break;
        if (i < request.startItem)
            continue;
        drawItem(pen, device, styles, *items[static_cast<std::size_t>(i)], nullptr,
                 i == request.startItem ? request.startLine : 0, lastLine);
        lastItem = i;
    }

    int count = pen.page;
    if (request.pageLimit == 0 || count < request.pageLimit)
        ++count;
    request.pages = count - request.startPage;
    if (printing && request.render)
        device.drawText(request.width / 2,
                        request.height + request.bottomMargin / 2 + request.topMargin,
                        ContentsFontRole::kRegular, kContentsTextColour,
                        text::format(kPageFooterFormat, count, request.totalPages));
    request.extent = ContentsRect{0, 0, pen.maxX, pen.maxY};
    request.lastItem = lastItem;
    request.lastLine = lastLine;
}

}  // namespace scoutwell
