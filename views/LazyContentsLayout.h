// The screen layout of the contents view for any number of shown items: each item keeps
// its height, exact once laid out and estimated before, and a running sum of the heights
// maps a scroll position to an item. A paint lays out only the items it shows, so a
// million shown items cost a million heights, not a million layouts.
//
//   LazyContentsLayout layout;
//   layout.paint(items, device, options, boldSummary, width, top, height);  // y from `top`
//   scrollBar->setRange(0, layout.totalHeight() - height);
//
// Positions agree with drawContents of the whole list once the items above have been laid
// out; until then the estimates stand in for them.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine/FoundItem.h"
#include "views/ContentsLayout.h"

namespace scoutwell {

class LazyContentsLayout {
  public:
    // Paints the items that meet rows [top, top + height) of the whole layout at y − top.
    // Items not yet laid out above `top` that a scroll upwards passes over are laid out
    // first, and the return value is `top` moved by what that changed above it, so that the
    // rows on show stay where they were; otherwise it is `top`.
    std::int64_t paint(const std::vector<FoundItem*>& items, ContentsDevice& device,
                       const ContentsOptions& options, bool boldSummary, int width,
                       std::int64_t top, int height);
    // Forgets every height, as for a new list of shown items.
    void reset();

    int itemCount() const { return count_; }
    std::int64_t totalHeight() const { return prefix(itemCount()); }
    // The widest x reached by the items laid out so far.
    int widest() const { return widest_; }
    std::int64_t itemTop(int item) const { return prefix(item); }
    int itemHeight(int item) const;
    bool laidOut(int item) const;
    // The item whose rows hold y; the last item for y at or below the end.
    int itemAt(std::int64_t y) const;

  private:
    // What every height depends on; when it changes, everything is estimated again.
    struct Key {
        int fontKey = -1;
        int width = 0;
        bool wordWrap = false;
        bool boldSummary = false;
        bool operator==(const Key&) const = default;
    };
    // Tells one list of shown items from another without reading it all.
    struct ListMark {
        const void* data = nullptr;
        std::size_t size = 0;
        const FoundItem* front = nullptr;
        const FoundItem* back = nullptr;
        bool operator==(const ListMark&) const = default;
    };

    void estimateAll(const std::vector<FoundItem*>& items, const ContentsDevice& device,
                     const ContentsStyles& styles);
    int estimate(const FoundItem& item, const ContentsStyles& styles) const;
    // Lays item i out at y (and draws it when the device draws); returns its height.
    int layOut(const std::vector<FoundItem*>& items, int i, int y, ContentsDevice& device,
               const ContentsStyles& styles, const ContentsLayoutRequest& request);
    void setHeight(int item, int height);
    std::int64_t prefix(int count) const;
    const HitLine& summaryLine(const std::vector<FoundItem*>& items, int i);

    Key key_;
    ListMark mark_;
    bool valid_ = false;
    int averageCharWidth_ = 1;
    int widest_ = 0;
    std::int64_t lastTop_ = -1;
    int lastFirst_ = -1;
    // Items come in blocks; a block keeps heights of its own only once one of its items
    // has been laid out, so a million shown items cost a thousand blocks until scrolled.
    static constexpr int kBlockSize = 1024;
    struct Block {
        std::vector<int> heights;  // empty: every item has the typical height
        std::vector<bool> laidOut;
    };
    int blockSize(std::size_t block) const;
    int count_ = 0;
    int typical_ = 0;
    std::vector<Block> blocks_;
    std::vector<std::int64_t> blockTree_;  // Fenwick tree over the blocks' heights
    // Summary lines of recently painted items with their wraps, by item index.
    std::unordered_map<int, HitLine> summaries_;
};

}  // namespace scoutwell
