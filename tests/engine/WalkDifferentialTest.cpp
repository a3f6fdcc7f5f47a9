// The walk with its fast name test against the plain one, over generated trees on disk:
// the same items, with the same fields, in the same order, also when a search stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/FileSystem.h"
#include "engine/FoundItem.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchEngine.h"
#include "engine/Tuning.h"
#include "engine/WalkReadAhead.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::TempTree;

// Records each item as one line of text, and asks for a stop after a given count.
class RecordingSink : public FoundItemSink {
  public:
    explicit RecordingSink(SearchCriteria& criteria, std::size_t stopAfter)
        : criteria_(criteria), stopAfter_(stopAfter) {}
    void add(const FoundItem& item) override {
        lines.push_back(std::to_string(item.kind()) + " " + item.fullPath() + " " +
                        std::to_string(item.size) + " " + std::to_string(item.modified) + " " +
                        std::to_string(item.hits.size()));
        if (lines.size() == stopAfter_)
            criteria_.requestStop();
    }
    std::vector<std::string> lines;

  private:
    SearchCriteria& criteria_;
    std::size_t stopAfter_;
};

class PlainSwitch {
  public:
    explicit PlainSwitch(bool plain) : was_(plainAlgorithm()) { setPlainAlgorithm(plain); }
    ~PlainSwitch() { setPlainAlgorithm(was_); }

  private:
    bool was_;
};

// Folders several levels deep with names of mixed case, two-byte letters, DOS special
// bytes and extensions; file and folder links, a FIFO, and one folder too big for a
// single read of its entries.
void makeTree(TempTree& tree, std::mt19937& random) {
    const std::vector<std::string> parts = {"a", "B", "é", "É", "x", "+", "(", "note", "Main"};
    const std::vector<std::string> extensions = {".h", ".H", ".txt", ".c", ".html", "", ".tar.gz"};
    auto name = [&] {
        std::string n;
        const int count = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < count; ++i)
            n += parts[random() % parts.size()];
        return n + extensions[random() % extensions.size()];
    };
    std::vector<std::string> folders = {""};
    for (int i = 0; i < 25; ++i) {
        const std::string parent = folders[random() % folders.size()];
        if (std::count(parent.begin(), parent.end(), '/') >= 4)
            continue;
        folders.push_back(parent + name() + std::to_string(i) + "/");
        tree.folder(folders.back());
    }
    for (int i = 0; i < 150; ++i) {
        const std::string where = folders[random() % folders.size()];
        tree.file(where + std::to_string(i) + name(),
                  random() % 3 == 0 ? "a needle here\n" : "hay\n");
    }
    tree.symlink("link-to-file.h", tree.path("0" + std::string("x")));
    tree.symlink("link-to-folder", tree.path(folders.back()));
    tree.fifo("pipe.h");
    for (int i = 0; i < 700; ++i)
        tree.file("big/" + std::string(40, 'n') + std::to_string(i) + (i % 2 ? ".h" : ".txt"));
}

// Reading ahead from the start of every walk, as on a cold disk, or not at all.
class ReadAheadSwitch {
  public:
    explicit ReadAheadSwitch(bool on) : was_(readAheadMode()) {
        setReadAheadMode(on ? ReadAheadMode::kAlways : ReadAheadMode::kOff);
    }
    ~ReadAheadSwitch() { setReadAheadMode(was_); }

  private:
    ReadAheadMode was_;
};

// `lookIn`: folders of the tree to look in, the whole tree when there are none.
std::vector<std::string> runSearch(const TempTree& tree, const SearchCriteria& prototype,
                                   bool plain, std::size_t stopAfter, bool readAhead = true,
                                   const std::vector<std::string>& lookIn = {}) {
    PlainSwitch plainSwitch(plain);
    ReadAheadSwitch readAheadSwitch(readAhead);
    SearchCriteria criteria(prototype);
    RecordingSink sink(criteria, stopAfter);
    criteria.sink = &sink;
    criteria.lookIn.clear();
    for (const std::string& folder : lookIn)
        criteria.lookIn.push_back(tree.path(folder));
    if (lookIn.empty())
        criteria.lookIn = {tree.path()};
    std::string error;
    EXPECT_TRUE(criteria.prepare(error)) << error;
    SearchEngine engine(&criteria, nullptr);
    engine.run();
    return sink.lines;
}

TEST(WalkDifferential, FastNameTestDeliversWhatThePlainOneDelivers) {
    PosixFileSystem posix;
    FileSystem* previous = fileSystem();
    setFileSystem(&posix);
    std::mt19937 random(7);
    TempTree tree;
    makeTree(tree, random);

    struct Names {
        const char* text;
        bool dos;
    } names[] = {{"*.h", true},      {"*.txt;*.C", true}, {"a?b", true}, {"*", true},
                 {"", true},         {"É*", true},        {"(+", true},  {"note*main", true},
                 {"[ab].*x", false}, {"^n+", false},      {"x|é", false}};
    int runs = 0;
    for (const Names& n : names) {
        for (int variant = 0; variant < 16; ++variant) {
            SearchCriteria c;
            c.fileName = n.text;
            c.autoConvertToDos = n.dos;
            c.matchFilenameCase = variant & 1;
            c.excludeFilename = variant & 2;
            c.subfolders = !(variant & 4);
            if (variant & 8) {
                c.searchContents = true;
                c.containingText = "needle";
                c.onePhaseSearch = variant & 1;
            }
            const std::vector<std::string> plain = runSearch(tree, c, true, 0);
            ASSERT_EQ(runSearch(tree, c, false, 0), plain) << n.text << " variant " << variant;
            if (plain.size() > 3) {
                const std::size_t stopAfter = 1 + random() % (plain.size() - 1);
                const std::vector<std::string> stoppedPlain = runSearch(tree, c, true, stopAfter);
                EXPECT_EQ(stoppedPlain.size(), stopAfter);
                ASSERT_EQ(runSearch(tree, c, false, stopAfter), stoppedPlain)
                    << n.text << " variant " << variant << " stop after " << stopAfter;
            }
            ++runs;
        }
    }
    EXPECT_EQ(runs, 16 * static_cast<int>(std::size(names)));
    setFileSystem(previous);
}

// Trees deep and wide enough that the helpers list folders ahead of the walk, many of
// them before the walk comes, and the walk takes their listings (with the files described
// in a search by names): what the walk delivers, and what a stopped walk has delivered, is
// what it delivers without them.
TEST(WalkDifferential, ReadingAheadChangesNothingDelivered) {
    PosixFileSystem posix;
    FileSystem* previous = fileSystem();
    setFileSystem(&posix);
    const std::size_t listedBefore = WalkReadAhead::listedInProcess();
    const std::size_t adoptedBefore = WalkReadAhead::adoptedInProcess();
    for (const unsigned seed : {1u, 2u, 3u}) {
        std::mt19937 random(seed);
        TempTree tree;
        std::vector<std::string> folders = {""};
        for (int i = 0; i < 300; ++i) {
            // Most folders go under recent ones, so that chains run deep.
            const std::size_t pick =
                random() % 4 == 0
                    ? random() % folders.size()
                    : folders.size() - 1 - random() % std::min<std::size_t>(folders.size(), 6);
            const std::string& parent = folders[pick];
            if (std::count(parent.begin(), parent.end(), '/') >= 9)
                continue;
            folders.push_back(
                tree.folder(parent + "d" + std::to_string(i)).substr(tree.path().size()));
            if (random() % 2 == 0)
                tree.file(folders.back() + "f" + std::to_string(i) + ".h",
                          random() % 3 == 0 ? "needle\n" : "hay\n");
        }
        for (int variant = 0; variant < 5; ++variant) {
            SearchCriteria c;
            c.fileName = variant == 0 || variant == 4 ? "*.h" : "";
            // Two look-in folders, one inside the other: the second walk's places in the
            // tree are the first's again.
            const std::vector<std::string> lookIn = variant == 4
                                                        ? std::vector<std::string>{folders[1], ""}
                                                        : std::vector<std::string>{};
            if (variant == 2 || variant == 3) {
                c.searchContents = true;
                c.containingText = "needle";
                c.onePhaseSearch = variant == 2;
            }
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " variant " << variant);
            const std::vector<std::string> without = runSearch(tree, c, false, 0, false, lookIn);
            ASSERT_EQ(runSearch(tree, c, false, 0, true, lookIn), without);
            for (int stop = 0; stop < 3 && without.size() > 2; ++stop) {
                const std::size_t stopAfter = 1 + random() % (without.size() - 1);
                const std::vector<std::string> stopped =
                    runSearch(tree, c, false, stopAfter, true, lookIn);
                ASSERT_EQ(stopped.size(), stopAfter);
                ASSERT_TRUE(std::equal(stopped.begin(), stopped.end(), without.begin()))
                    << "stop after " << stopAfter;
            }
        }
    }
    EXPECT_GT(WalkReadAhead::listedInProcess(), listedBefore);
    EXPECT_GT(WalkReadAhead::adoptedInProcess(), adoptedBefore);
    setFileSystem(previous);
}

std::vector<std::string> entriesOf(Directory& dir) {
    std::vector<std::string> names;
    std::string_view name;
    EntryType type = EntryType::Unknown;
    while (dir.next(name, type))
        names.emplace_back(name);
    std::sort(names.begin(), names.end());
    return names;
}

// A helper's listing is taken only for the very folder the walk opened: one put in the
// place of the folder listed is enumerated as it is.
TEST(WalkReadAhead, ListingIsTakenOnlyForTheFolderListed) {
    PosixFileSystem posix;
    TempTree tree;
    tree.file("x/old.h", "12345");
    tree.file("y/same.h", "1");
    WalkReadAhead::FileFilter describe;
    describe.describe = true;
    WalkReadAhead ahead(posix, 1, describe);
    std::unique_ptr<Directory> root = posix.openFolder(tree.path(), false);
    ASSERT_TRUE(root);
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    ASSERT_TRUE(root->identity(device, inode));
    const std::size_t listedBefore = WalkReadAhead::listedInProcess();
    ahead.add(tree.path(), device, {}, 0, {"x", "y"});
    for (int wait = 0; wait < 5000 && WalkReadAhead::listedInProcess() < listedBefore + 2; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GE(WalkReadAhead::listedInProcess(), listedBefore + 2);

    // Replaced after it was listed: the walk lists the new folder itself.
    std::filesystem::rename(tree.path("x"), tree.path("gone"));
    tree.file("x/new.h", "1");
    const std::size_t adoptedBefore = WalkReadAhead::adoptedInProcess();
    const std::uint32_t first[] = {0};
    const std::uint32_t second[] = {1};
    std::unique_ptr<Directory> x = ahead.adopt(tree.path("x/"), first, root->openSubfolder("x"));
    ASSERT_TRUE(x);
    EXPECT_EQ(entriesOf(*x), std::vector<std::string>{"new.h"});
    EXPECT_EQ(WalkReadAhead::adoptedInProcess(), adoptedBefore);

    // The same folder: its listing is taken, and the description of its file is the one
    // stat() gives.
    std::unique_ptr<Directory> y = ahead.adopt(tree.path("y/"), second, root->openSubfolder("y"));
    ASSERT_TRUE(y);
    EXPECT_EQ(WalkReadAhead::adoptedInProcess(), adoptedBefore + 1);
    std::string_view name;
    EntryType type = EntryType::Unknown;
    ASSERT_TRUE(y->next(name, type));
    EXPECT_EQ(name, "same.h");
    EXPECT_EQ(type, EntryType::File);
    EntryInfo info;
    ASSERT_TRUE(y->stat(name, info));
    EXPECT_EQ(info.size, 1u);
    EXPECT_FALSE(y->next(name, type));
}

}  // namespace
}  // namespace scoutwell
