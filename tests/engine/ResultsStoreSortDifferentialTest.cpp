// The store's sorts, which compare texts made once per sort, against the plain comparators
// over random items: names and folders that differ only in case (ASCII and beyond), equal
// names in other folders, folders among files, equal sizes and times. Ties the comparators
// leave keep the items' previous order, so the plain side is a stable sort. A descending
// sort is the ascending one read backwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "engine/FoundItem.h"
#include "engine/ResultsStore.h"

namespace scoutwell {
namespace {

using Row = std::tuple<int, std::string, std::string, std::int64_t, FileTime>;

Row rowOf(const FoundItem& item) {
    return {item.kind(), std::string(item.locationText()), item.name, item.size, item.modified};
}

std::vector<std::unique_ptr<FoundItem>> randomItems(std::mt19937& random) {
    static const std::vector<std::string> kParts = {"a",
                                                    "A",
                                                    "b",
                                                    "readme",
                                                    "README",
                                                    "Zeta",
                                                    "zeta",
                                                    "\xc3\xa9t\xc3\xa9",
                                                    "\xc3\x89T\xc3\x89",
                                                    "x.txt",
                                                    "X.TXT",
                                                    "long_name_beyond_eight",
                                                    "LONG_NAME_BEYOND_EIGHT",
                                                    "1",
                                                    "_",
                                                    "\xc3\x9f"};
    std::vector<SharedText> folders;
    for (int f = 0; f < 6; ++f)
        folders.push_back(makeSharedText("/" + kParts[random() % kParts.size()] + "/"));
    // Same text, another shared object.
    folders.push_back(makeSharedText(std::string(*folders[0])));
    std::vector<std::unique_ptr<FoundItem>> items;
    const int count = std::uniform_int_distribution<int>(0, 120)(random);
    for (int i = 0; i < count; ++i) {
        const SharedText& folder = folders[random() % folders.size()];
        std::string name = kParts[random() % kParts.size()];
        if (random() % 2)
            name += kParts[random() % kParts.size()];
        const FileTime time = static_cast<FileTime>(random() % 4) * 1000;
        if (random() % 5 == 0)
            items.push_back(std::make_unique<FoundFolder>(folder, name, time));
        else
            items.push_back(std::make_unique<FoundFile>(folder, name, random() % 3, time));
    }
    return items;
}

TEST(ResultsStoreSortDifferential, EveryOrderEqualsAStableSortWithItsComparator) {
    using Sort = void (ResultsStore::*)(bool);
    using Less = bool (*)(const FoundItem&, const FoundItem&);
    const std::vector<std::pair<Sort, Less>> orders = {
        {&ResultsStore::sortByName, lessByName},
        {&ResultsStore::sortByLocation, lessByLocation},
        {&ResultsStore::sortBySize, lessBySize},
        {&ResultsStore::sortByType, lessByType},
        {&ResultsStore::sortByModified, lessByModified},
    };
    std::mt19937 random(2026);
    for (int round = 0; round < 300; ++round) {
        const auto items = randomItems(random);
        for (std::size_t o = 0; o < orders.size(); ++o) {
            for (const bool descending : {false, true}) {
                ResultsStore store;
                std::vector<const FoundItem*> plain;
                for (const auto& item : items) {
                    store.add(*item);
                    plain.push_back(item.get());
                }
                (store.*orders[o].first)(descending);
                std::stable_sort(plain.begin(), plain.end(),
                                 [&](const FoundItem* a, const FoundItem* b) {
                                     return orders[o].second(*a, *b);
                                 });
                if (descending)
                    std::reverse(plain.begin(), plain.end());
                std::vector<Row> expected;
                for (const FoundItem* item : plain)
                    expected.push_back(rowOf(*item));
                const std::vector<Row> sorted = store.read([](const auto& all) {
                    std::vector<Row> rows;
                    for (const auto& item : all)
                        rows.push_back(rowOf(*item));
                    return rows;
                });
                ASSERT_EQ(sorted, expected)
                    << "round " << round << " order " << o << " descending " << descending;
            }
        }
    }
}

}  // namespace
}  // namespace scoutwell
