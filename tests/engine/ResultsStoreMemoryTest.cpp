// What a results store costs per found item: a large search must fit in memory.
#include <malloc.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/ResultsStore.h"

namespace scoutwell {
namespace {

std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

TEST(ResultsStoreMemory, NameOnlyFilesCostAtMost150BytesBeyondTheirNames) {
    constexpr int kItems = 200000;
    constexpr int kItemsPerFolder = 200;
    const std::size_t before = heapInUse();
    std::size_t nameBytes = 0;
    ResultsStore store;
    SharedText location;
    for (int i = 0; i < kItems; ++i) {
        if (i % kItemsPerFolder == 0)
            location = makeSharedText("/usr/share/folder" + std::to_string(i) + "/");
        FoundFile file(location, "entry_" + std::to_string(i) + (i % 2 ? ".h" : ".txt"), i, 0);
        nameBytes += file.name.size();
        store.add(file);
    }
    location.reset();
    const double perItem =
        (static_cast<double>(heapInUse() - before) - static_cast<double>(nameBytes)) / kItems;
    EXPECT_LE(perItem, 150.0);
    EXPECT_EQ(store.count(), static_cast<std::size_t>(kItems));
}

}  // namespace
}  // namespace scoutwell
