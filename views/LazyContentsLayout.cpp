#include "views/LazyContentsLayout.h"

#include <algorithm>
#include <bit>
#include <string_view>

namespace scoutwell {

namespace {

// Summary lines kept with their wraps: a few screens' worth.
constexpr std::size_t kKeptSummaries = 4096;
// Items read to estimate the heights of those not yet laid out.
constexpr std::size_t kEstimateSamples = 1024;
// What a summary adds to the path: size and modified texts with their punctuation.
constexpr int kSummaryTailEstimate = 32;
constexpr std::string_view kWidthSample =
    "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789 ./_-";

// Draws only the rows that meet [0, height); measures everything.
class ClippedDevice : public ContentsDevice {
  public:
    ClippedDevice(ContentsDevice& device, int height) : device_(device), height_(height) {}

    bool printing() const override { return device_.printing(); }
    int pixelsPerInchX() const override { return device_.pixelsPerInchX(); }
    int fontKey() const override { return device_.fontKey(); }
    int textWidth(ContentsFontRole font, std::string_view text) const override {
        return device_.textWidth(font, text);
    }
    int fitCount(ContentsFontRole font, std::string_view text, int maxWidth) const override {
        return device_.fitCount(font, text, maxWidth);
    }
    int fontHeight(ContentsFontRole font) const override { return device_.fontHeight(font); }
    void drawText(int x, int y, ContentsFontRole font, std::uint32_t colour,
                  std::string_view text) override {
        if (y < height_ && y + device_.fontHeight(font) > 0)
            device_.drawText(x, y, font, colour, text);
    }

  private:
    ContentsDevice& device_;
    int height_;
};

// Rows a wrapped text of `bytes` bytes takes at `available` width, roughly.
int estimatedRows(std::size_t bytes, int averageCharWidth, int available) {
    if (available <= 0)
        return 1;
    const std::int64_t width = static_cast<std::int64_t>(bytes) * averageCharWidth;
    return static_cast<int>(std::max<std::int64_t>(1, (width + available - 1) / available));
}

}  // namespace

void LazyContentsLayout::reset() {
    valid_ = false;
    summaries_.clear();
}

int LazyContentsLayout::blockSize(std::size_t block) const {
    return std::min(kBlockSize, count_ - static_cast<int>(block) * kBlockSize);
}

int LazyContentsLayout::itemHeight(int item) const {
    const Block& block = blocks_[static_cast<std::size_t>(item / kBlockSize)];
    return block.heights.empty() ? typical_
                                 : block.heights[static_cast<std::size_t>(item % kBlockSize)];
}

bool LazyContentsLayout::laidOut(int item) const {
    const Block& block = blocks_[static_cast<std::size_t>(item / kBlockSize)];
    return !block.laidOut.empty() && block.laidOut[static_cast<std::size_t>(item % kBlockSize)];
}

std::int64_t LazyContentsLayout::prefix(int count) const {
    std::int64_t sum = 0;
    const int whole = count / kBlockSize;
    for (int b = whole; b > 0; b -= b & -b)
        sum += blockTree_[static_cast<std::size_t>(b)];
    const int rest = count % kBlockSize;
    if (rest == 0)
        return sum;
    const Block& block = blocks_[static_cast<std::size_t>(whole)];
    if (block.heights.empty())
        return sum + static_cast<std::int64_t>(typical_) * rest;
    for (int k = 0; k < rest; ++k)
        sum += block.heights[static_cast<std::size_t>(k)];
    return sum;
}

void LazyContentsLayout::setHeight(int item, int height) {
    Block& block = blocks_[static_cast<std::size_t>(item / kBlockSize)];
    if (block.heights.empty()) {
        const auto size =
            static_cast<std::size_t>(blockSize(static_cast<std::size_t>(item / kBlockSize)));
        block.heights.assign(size, typical_);
        block.laidOut.assign(size, false);
    }
    int& stored = block.heights[static_cast<std::size_t>(item % kBlockSize)];
    const int delta = height - stored;
    stored = height;
    block.laidOut[static_cast<std::size_t>(item % kBlockSize)] = true;
    const int blocks = static_cast<int>(blocks_.size());
    for (int b = item / kBlockSize + 1; b <= blocks; b += b & -b)
        blockTree_[static_cast<std::size_t>(b)] += delta;
}

int LazyContentsLayout::itemAt(std::int64_t y) const {
    if (count_ == 0)
        return 0;
    // The blocks that end at or above y, found by descending the tree, then the items.
    const int blocks = static_cast<int>(blocks_.size());
    int whole = 0;
    std::int64_t rest = y;
    for (int step = static_cast<int>(std::bit_floor(static_cast<unsigned>(blocks))); step > 0;
         step >>= 1) {
        const int next = whole + step;
        if (next <= blocks && blockTree_[static_cast<std::size_t>(next)] <= rest) {
            whole = next;
            rest -= blockTree_[static_cast<std::size_t>(next)];
        }
    }
    if (whole >= blocks)
        return count_ - 1;
    int item = whole * kBlockSize;
    const int end = item + blockSize(static_cast<std::size_t>(whole));
    for (; item < end - 1; ++item) {
        const int height = itemHeight(item);
        if (rest < height)
            break;
        rest -= height;
    }
    return item;
}

int LazyContentsLayout::estimate(const FoundItem& item, const ContentsStyles& styles) const {
    // Without wrapping this is the exact height: one row per line, and an empty hit line
    // takes the height of the row before it.
    const ContentsStyle& summary = key_.boldSummary ? styles.boldSummary : styles.plainSummary;
    int rows = 1;
    if (summary.wrap && key_.width > 0)
        rows = estimatedRows(item.locationText().size() + item.name.size() + kSummaryTailEstimate,
                             averageCharWidth_, key_.width);
    int height = rows * summary.fontHeight + summary.gap;
    int lastHeight = summary.fontHeight;
    const ContentsStyle& hit = styles.hit;
    for (const HitLine& line : item.hits) {
        if (line.text.empty()) {
            height += lastHeight + hit.gap;
            continue;
        }
        const int lineRows =
            hit.wrap && key_.width > 0
                ? estimatedRows(line.text.size(), averageCharWidth_, key_.width - hit.indent)
                : 1;
        height += lineRows * hit.fontHeight + hit.gap;
        lastHeight = hit.fontHeight;
    }
    return height;
}

void LazyContentsLayout::estimateAll(const std::vector<FoundItem*>& items,
                                     const ContentsDevice& device, const ContentsStyles& styles) {
    averageCharWidth_ = std::max(1, device.textWidth(ContentsFontRole::kRegular, kWidthSample) /
                                        static_cast<int>(kWidthSample.size()));
    const std::size_t n = items.size();
    // Reading every item would cost more than the paint: the estimate is the mean of a
    // sample spread over the list, the same for every item until it is laid out.
    std::int64_t sampled = 0;
    const std::size_t step = std::max<std::size_t>(1, n / kEstimateSamples);
    std::size_t samples = 0;
    for (std::size_t i = 0; i < n; i += step, ++samples)
        sampled += estimate(*items[i], styles);
    const int typical = samples > 0
                            ? static_cast<int>((sampled + static_cast<std::int64_t>(samples) / 2) /
                                               static_cast<std::int64_t>(samples))
                            : 0;
    count_ = static_cast<int>(n);
    typical_ = typical;
    blocks_.assign((n + kBlockSize - 1) / kBlockSize, Block());
    blocks_.shrink_to_fit();
    blockTree_.assign(blocks_.size() + 1, 0);
    for (std::size_t b = 1; b <= blocks_.size(); ++b) {
        blockTree_[b] += static_cast<std::int64_t>(typical) * blockSize(b - 1);
        const std::size_t parent = b + (b & (~b + 1));
        if (parent <= blocks_.size())
            blockTree_[parent] += blockTree_[b];
    }
    widest_ = 0;
    lastTop_ = -1;
    lastFirst_ = -1;
}

const HitLine& LazyContentsLayout::summaryLine(const std::vector<FoundItem*>& items, int i) {
    if (const auto it = summaries_.find(i); it != summaries_.end())
        return it->second;
    if (summaries_.size() >= kKeptSummaries)
        summaries_.clear();
    return summaries_.try_emplace(i, items[static_cast<std::size_t>(i)]->summaryText(), 0, 0, 0)
        .first->second;
}

int LazyContentsLayout::layOut(const std::vector<FoundItem*>& items, int i, int y,
                               ContentsDevice& device, const ContentsStyles& styles,
                               const ContentsLayoutRequest& request) {
    ContentsPen pen;
    pen.request = &request;
    pen.y = y;
    int lastLine = 0;
    drawItem(pen, device, styles, *items[static_cast<std::size_t>(i)], &summaryLine(items, i), 0,
             lastLine);
    widest_ = std::max(widest_, pen.maxX);
    const int height = pen.y - y;
    setHeight(i, height);
    return height;
}

std::int64_t LazyContentsLayout::paint(const std::vector<FoundItem*>& items, ContentsDevice& device,
                                       const ContentsOptions& options, bool boldSummary, int width,
                                       std::int64_t top, int height) {
    const ContentsStyles styles(device, options);
    const Key key{device.fontKey(), width, options.wordWrap, boldSummary};
    const ListMark mark{items.data(), items.size(), items.empty() ? nullptr : items.front(),
                        items.empty() ? nullptr : items.back()};
    if (!valid_ || !(mark == mark_))
        summaries_.clear();
    if (!valid_ || !(key == key_) || !(mark == mark_)) {
        key_ = key;
        mark_ = mark;
        estimateAll(items, device, styles);
        valid_ = true;
    }
    if (items.empty())
        return top;

    ContentsLayoutRequest request;
    request.items = &items;
    request.width = width;
    request.boldSummary = boldSummary;

    // Scrolling upwards onto items never laid out: lay them out before placing anything, and
    // move `top` by what they changed, so that the rows on show before stay in place.
    if (lastFirst_ >= 0 && lastFirst_ < itemCount() && top < lastTop_ && lastTop_ - top <= height) {
        const std::int64_t before = itemTop(lastFirst_);
        for (int i = itemAt(top); i < lastFirst_; ++i) {
            if (!laidOut(i))
                layOut(items, i, 0, device, styles, request);
        }
        top = std::max<std::int64_t>(0, top + itemTop(lastFirst_) - before);
    }

    // Near the end, estimates too high would leave the pane short of it: the items there
    // are laid out first, and the last one goes to the bottom, as a jump to the end expects.
    while (top > 0 && totalHeight() - top < 2 * static_cast<std::int64_t>(height)) {
        int y = static_cast<int>(itemTop(itemAt(top)) - top);
        for (int i = itemAt(top); i < itemCount() && y < height; ++i)
            y += layOut(items, i, y, device, styles, request);
        const std::int64_t lowest = std::max<std::int64_t>(0, totalHeight() - height);
        if (y >= height || top <= lowest)
            break;
        top = lowest;
    }

    request.render = true;
    ClippedDevice clipped(device, height);
    const int first = itemAt(top);
    int y = static_cast<int>(itemTop(first) - top);
    for (int i = first; i < itemCount() && y < height; ++i)
        y += layOut(items, i, y, clipped, styles, request);
    lastTop_ = top;
    lastFirst_ = first;
    return top;
}

}  // namespace scoutwell
