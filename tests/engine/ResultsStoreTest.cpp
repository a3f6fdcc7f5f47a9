#include "engine/ResultsStore.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace scoutwell {
namespace {

std::unique_ptr<FoundItem> file(const char* folder, const char* name, std::int64_t size,
                                FileTime modified = 0) {
    return std::make_unique<FoundFile>(makeSharedText(folder), name, size, modified);
}
std::unique_ptr<FoundItem> folder(const char* parent, const char* name, FileTime modified = 0) {
    return std::make_unique<FoundFolder>(makeSharedText(parent), name, modified);
}

std::vector<std::string> paths(const ResultsStore& store) {
    return store.read([](const std::vector<std::unique_ptr<FoundItem>>& items) {
        std::vector<std::string> out;
        for (const auto& item : items)
            out.push_back(item->fullPath());
        return out;
    });
}

// The same items in several starting orders: an unstable sort must still give one answer,
// because the comparators break every tie that matters.
void expectSortedOrder(const std::vector<std::unique_ptr<FoundItem>>& items,
                       void (ResultsStore::*sort)(bool), const std::vector<std::string>& expected) {
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::mt19937 random(7);
    for (int round = 0; round < 6; ++round) {
        ResultsStore store;
        for (std::size_t i : order)
            store.add(*items[i]);
        (store.*sort)(/*descending=*/false);
        EXPECT_EQ(paths(store), expected) << "round " << round;
        std::shuffle(order.begin(), order.end(), random);
    }
}

class ResultsStoreSort : public ::testing::Test {
  protected:
    void SetUp() override {
        setTypeNameProvider(nullptr);
        items.push_back(file("/b/", "Zeta.txt", 5000, 30));
        items.push_back(file("/a/", "zeta.txt", 100, 10));
        items.push_back(folder("/a/", "Docs", 20));
        items.push_back(file("/a/", "alpha.PNG", 100, 20));
        items.push_back(folder("/", "docs", 40));
        items.push_back(file("/c/", "beta", 0, 10));
        items.push_back(folder("/a/", "bin", 5));
    }
    void TearDown() override { setTypeNameProvider(nullptr); }
    std::vector<std::unique_ptr<FoundItem>> items;
};

TEST_F(ResultsStoreSort, ByNamePutsFoldersFirstAndSameNamesByLocation) {
    expectSortedOrder(
        items, &ResultsStore::sortByName,
        {"/a/bin", "/docs", "/a/Docs", "/a/alpha.PNG", "/c/beta", "/a/zeta.txt", "/b/Zeta.txt"});
}

TEST_F(ResultsStoreSort, ByLocationThenName) {
    expectSortedOrder(
        items, &ResultsStore::sortByLocation,
        {"/docs", "/a/bin", "/a/Docs", "/a/alpha.PNG", "/a/zeta.txt", "/b/Zeta.txt", "/c/beta"});
}

TEST_F(ResultsStoreSort, BySizePutsAllFoldersFirstInNameOrder) {
    expectSortedOrder(
        items, &ResultsStore::sortBySize,
        {"/a/bin", "/docs", "/a/Docs", "/c/beta", "/a/alpha.PNG", "/a/zeta.txt", "/b/Zeta.txt"});
}

TEST_F(ResultsStoreSort, ByTypeThenName) {
    // "File" < "File Folder" < "PNG File" < "TXT File".
    expectSortedOrder(
        items, &ResultsStore::sortByType,
        {"/c/beta", "/a/bin", "/docs", "/a/Docs", "/a/alpha.PNG", "/a/zeta.txt", "/b/Zeta.txt"});
}

TEST_F(ResultsStoreSort, ByTypeUsesTheShownTypeNames) {
    setTypeNameProvider([](const std::string& path) {
        return path.ends_with(".txt") ? std::string("Another text") : std::string();
    });
    expectSortedOrder(
        items, &ResultsStore::sortByType,
        {"/a/zeta.txt", "/b/Zeta.txt", "/c/beta", "/a/bin", "/docs", "/a/Docs", "/a/alpha.PNG"});
}

TEST_F(ResultsStoreSort, ByModifiedThenName) {
    expectSortedOrder(
        items, &ResultsStore::sortByModified,
        {"/a/bin", "/c/beta", "/a/zeta.txt", "/a/Docs", "/a/alpha.PNG", "/b/Zeta.txt", "/docs"});
}

TEST(ResultsStoreCompare, ExtremeTimesAndSizesStillOrder) {
    const FoundFile early(makeSharedText("/"), "a", 0, std::numeric_limits<FileTime>::min());
    const FoundFile late(makeSharedText("/"), "b", std::numeric_limits<std::int64_t>::max(),
                         std::numeric_limits<FileTime>::max());
    EXPECT_TRUE(lessByModified(early, late));
    EXPECT_FALSE(lessByModified(late, early));
    EXPECT_TRUE(lessBySize(early, late));
    EXPECT_FALSE(lessBySize(late, early));
}

TEST(ResultsStore, AddCopiesAndClearEmpties) {
    ResultsStore store;
    {
        FoundFile local(makeSharedText("/d/"), "x", 1, 0);
        store.add(local);
        local.name = "changed";
    }
    EXPECT_EQ(paths(store), std::vector<std::string>{"/d/x"});
    store.clear();
    EXPECT_EQ(store.count(), 0u);
    EXPECT_EQ(store.read([](const auto& items) { return items.capacity(); }), 0u);
    store.add(FoundFolder(makeSharedText("/"), "again", 0));
    EXPECT_EQ(store.count(), 1u);
}

TEST(ResultsStore, FindsRemovesAndSnapshotsByFullPath) {
    ResultsStore store;
    store.add(*file("/a/", "one", 1));
    store.add(*file("/a/b/", "two", 2));
    store.add(*folder("/a/", "b", 0));
    EXPECT_EQ(store.indexOfPath("/a/b/two"), 1);
    EXPECT_EQ(store.indexOfPath("/a/b"), 2);
    EXPECT_EQ(store.indexOfPath("/a/B"), -1);  // paths are case-sensitive
    EXPECT_EQ(store.indexOfPath("/a/on"), -1);
    EXPECT_EQ(store.indexOfPath("/a/one/"), -1);

    std::vector<std::unique_ptr<FoundItem>> copies = store.snapshot();
    ASSERT_EQ(copies.size(), 3u);
    EXPECT_TRUE(store.removePath("/a/b/two"));
    EXPECT_FALSE(store.removePath("/a/b/two"));
    EXPECT_EQ(paths(store), (std::vector<std::string>{"/a/one", "/a/b"}));
    EXPECT_EQ(copies[1]->fullPath(), "/a/b/two");  // the snapshot is its own

    store.modify([](auto& items) { items[0]->hitsComplete = true; });
    EXPECT_TRUE(store.read([](const auto& items) { return items[0]->hitsComplete; }));
}

TEST(ResultsStore, ManyPathsAreFoundAsOneByOne) {
    // Both ways of answering (a few paths one by one, many through an index) must give what
    // findPath gives for each: the first item of a repeated path, nullptr for a missing one.
    ResultsStore store;
    for (int i = 0; i < 50; ++i)
        store.add(*file(("/d" + std::to_string(i % 7) + "/").c_str(),
                        ("f" + std::to_string(i % 20)).c_str(), i));
    store.add(*folder("/d1/", "f3", 0));  // a second item with the path /d1/f3
    for (const std::size_t count : {std::size_t{3}, std::size_t{40}}) {
        std::vector<std::string> wanted;
        for (std::size_t i = 0; i < count; ++i)
            wanted.push_back("/d" + std::to_string(i % 9) + "/f" + std::to_string(i % 23));
        wanted.push_back("/d7/f0");  // no such folder
        wanted.push_back("/d1/f3");
        wanted.push_back("/d1/f3");
        const std::vector<FoundItem*> found = store.findPaths(wanted);
        ASSERT_EQ(found.size(), wanted.size());
        int missing = 0;
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            EXPECT_EQ(found[i], store.findPath(wanted[i])) << wanted[i];
            missing += found[i] == nullptr;
        }
        EXPECT_GT(missing, 0);
        EXPECT_EQ(found.back(), found[found.size() - 2]);
        EXPECT_EQ(found.back()->kind(), store.read([](const auto& items) {
            return items[43]->kind();  // the file /d1/f3, added before the folder
        }));
    }
}

TEST(ResultsStore, OneThreadAddsWhileAnotherReadsAndSorts) {
    ResultsStore store;
    constexpr int kItems = 20000;
    std::atomic<bool> done{false};
    std::thread writer([&] {
        const SharedText location = makeSharedText("/w/");
        for (int i = 0; i < kItems; ++i) {
            store.add(FoundFile(location, "f" + std::to_string(i), i, 0));
        }
        done = true;
    });
    std::size_t lastCount = 0;
    // A bounded number of rounds: each sort holds the lock over every item so far, and an
    // unbounded loop would make the writer's progress, and the test, quadratic.
    for (int round = 0; round < 200 && !done; ++round) {
        const std::size_t n = store.count();
        EXPECT_GE(n, lastCount);
        lastCount = n;
        store.read([](const auto& items) {
            for (const auto& item : items)
                ASSERT_EQ(item->location->front(), '/');
        });
        store.sortByName();
    }
    writer.join();
    EXPECT_EQ(store.count(), static_cast<std::size_t>(kItems));
    store.sortBySize();
    EXPECT_EQ(store.read([](const auto& items) { return items.back()->size; }), kItems - 1);
}

TEST(ResultsStore, AMillionNameOnlyFilesFitWellUnder200MB) {
    // Measured on a tenth of a million, in the store's own allocations.
    constexpr int kItems = 100000;
    const SharedText location = makeSharedText("/some/folder/of/a/search/");
    const std::size_t before = mallinfo2().uordblks;
    {
        ResultsStore store;
        for (int i = 0; i < kItems; ++i) {
            store.add(FoundFile(location, "f" + std::to_string(i) + ".txt", i, 0));
        }
        const std::size_t perItem = (mallinfo2().uordblks - before) / kItems;
        EXPECT_LT(perItem, 150u);
    }
}

}  // namespace
}  // namespace scoutwell

namespace scoutwell {
namespace {

TEST(ResultsStoreFindPath, FindsTheFirstItemWithTheWholePath) {
    ResultsStore store;
    store.add(FoundFile(makeSharedText("/a/"), "x.txt", 1, 0));
    store.add(FoundFile(makeSharedText("/a/x"), ".txt", 2, 0));  // same bytes split elsewhere
    store.add(FoundFile(makeSharedText("/a/"), "x.txt", 3, 0));
    FoundItem* found = store.findPath("/a/x.txt");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->size, 1);
    EXPECT_EQ(store.findPath("/a/x.tx"), nullptr);
    EXPECT_EQ(store.findPath("/a/"), nullptr);
    // removePath frees that same first item.
    ASSERT_TRUE(store.removePath("/a/x.txt"));
    EXPECT_EQ(store.findPath("/a/x.txt")->size, 2);
}

}  // namespace
}  // namespace scoutwell
