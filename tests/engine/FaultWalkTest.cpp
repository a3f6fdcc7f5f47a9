// Entries that vanish, lose their permissions or are replaced while a search walks and
// scans them, read errors in the middle of a file, and a second thread changing the tree
// throughout: the search skips what it cannot use, says nothing, and finishes.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/FoundItem.h"
#include "engine/Messages.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchEngine.h"
#include "engine/SearchExpression.h"
#include "support/TempTree.h"
#include "tests/engine/FaultInjectingFileSystem.h"

namespace scoutwell {
namespace {

using testing::FaultInjectingFileSystem;
using testing::TempTree;
using Call = FaultInjectingFileSystem::Call;

class Collector : public FoundItemSink {
  public:
    void add(const FoundItem& item) override {
        std::lock_guard<std::mutex> g(lock_);
        items.push_back(item.clone());
    }
    std::set<std::string> names() {
        std::lock_guard<std::mutex> g(lock_);
        std::set<std::string> out;
        for (const auto& item : items)
            out.insert(item->name);
        return out;
    }
    std::mutex lock_;
    std::vector<std::unique_ptr<FoundItem>> items;
};

class CountingMessages : public MessageSink {
  public:
    void showMessage(const std::string& text) override {
        std::lock_guard<std::mutex> g(lock_);
        texts.push_back(text);
    }
    std::mutex lock_;
    std::vector<std::string> texts;
};

enum class Mode { NamesOnly, OnePhase, TwoPhase };

SearchCriteria criteriaFor(const std::string& folder, Mode mode, FoundItemSink* sink) {
    SearchCriteria c;
    c.lookIn = {folder};
    c.fileName = "*.txt";
    if (mode != Mode::NamesOnly) {
        c.containingText = "needle";
        c.searchContents = true;
    }
    c.onePhaseSearch = mode == Mode::OnePhase;
    std::string error;
    EXPECT_TRUE(c.prepare(error)) << error;
    c.sink = sink;
    return c;
}

class FaultWalkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setMessageSink(&messages_);
        tree_.file("a.txt", "needle a\n");
        tree_.file("b.txt", "needle b\n");
        tree_.file("sub/c.txt", "needle c\n");
        tree_.file("sub/deep/d.txt", "needle d\n");
        tree_.file("z/e.txt", "needle e\n");
        outside_.file("x.txt", "needle x\n");
    }
    void TearDown() override { setMessageSink(nullptr); }

    static bool root() { return ::geteuid() == 0; }

    TempTree tree_;
    TempTree outside_;
    CountingMessages messages_;
};

struct Fault {
    const char* what;
    Call call;
    const char* entry;  // the entry whose call triggers the change; empty: the n-th call
    int n;
    std::function<void(TempTree& tree, TempTree& outside)> change;
    std::set<std::string> gone;  // names the search must not report once the change ran
    bool permission = false;     // root ignores permissions: nothing goes then
};

void replaceByFifo(const std::string& path) {
    std::filesystem::remove_all(path);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
}

TEST_F(FaultWalkTest, ChangedEntriesAreSkippedSilentlyAndTheSearchFinishes) {
    const std::vector<Fault> faults = {
        {"folder vanishes before it is entered",
         Call::OpenSubfolder,
         "sub",
         0,
         [](TempTree& t, TempTree&) { std::filesystem::remove_all(t.path("sub")); },
         {"c.txt", "d.txt"}},
        {"nested folder vanishes before it is entered",
         Call::OpenSubfolder,
         "deep",
         0,
         [](TempTree& t, TempTree&) { std::filesystem::remove_all(t.path("sub/deep")); },
         {"d.txt"}},
        {"folder replaced by a link to another tree",
         Call::OpenSubfolder,
         "sub",
         0,
         [](TempTree& t, TempTree& o) {
             std::filesystem::remove_all(t.path("sub"));
             std::filesystem::create_directory_symlink(o.path(), t.path("sub"));
         },
         {"c.txt", "d.txt", "x.txt"}},
        {"folder replaced by a file",
         Call::OpenSubfolder,
         "sub",
         0,
         [](TempTree& t, TempTree&) {
             std::filesystem::remove_all(t.path("sub"));
             t.file("sub", "needle sub\n");
         },
         {"c.txt", "d.txt"}},
        {"folder loses its permissions",
         Call::OpenSubfolder,
         "sub",
         0,
         [](TempTree& t, TempTree&) { ::chmod(t.path("sub").c_str(), 0); },
         {"c.txt", "d.txt"},
         /*permission=*/true},
        {"file vanishes between listing and stat",
         Call::Stat,
         "b.txt",
         0,
         [](TempTree& t, TempTree&) { std::filesystem::remove(t.path("b.txt")); },
         {"b.txt"}},
        {"file vanishes before its scan",
         Call::OpenForScan,
         "b.txt",
         0,
         [](TempTree& t, TempTree&) { std::filesystem::remove(t.path("b.txt")); },
         {"b.txt"}},
        {"file replaced by a FIFO before its scan",
         Call::OpenForScan,
         "b.txt",
         0,
         [](TempTree& t, TempTree&) { replaceByFifo(t.path("b.txt")); },
         {"b.txt"}},
        {"file replaced by a folder before its scan",
         Call::OpenForScan,
         "b.txt",
         0,
         [](TempTree& t, TempTree&) {
             std::filesystem::remove(t.path("b.txt"));
             t.folder("b.txt");
         },
         {"b.txt"}},
        {"file loses its permissions before its scan",
         Call::OpenForScan,
         "b.txt",
         0,
         [](TempTree& t, TempTree&) { ::chmod(t.path("b.txt").c_str(), 0); },
         {"b.txt"},
         /*permission=*/true},
        {"look-in folder vanishes before it is opened",
         Call::OpenFolder,
         "",
         1,
         [](TempTree& t, TempTree&) { std::filesystem::remove_all(t.path()); },
         {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}},
        {"tree emptied in the middle of listing it",
         Call::Next,
         "",
         2,
         [](TempTree& t, TempTree&) {
             std::filesystem::remove_all(t.path("sub"));
             std::filesystem::remove_all(t.path("z"));
         },
         {"c.txt", "d.txt", "e.txt"}},
    };
    const std::set<std::string> all = {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"};

    for (const Mode mode : {Mode::NamesOnly, Mode::OnePhase, Mode::TwoPhase}) {
        for (const Fault& fault : faults) {
            SCOPED_TRACE(::testing::Message() << fault.what << ", mode " << static_cast<int>(mode));
            TempTree tree;
            tree.file("a.txt", "needle a\n");
            tree.file("b.txt", "needle b\n");
            tree.file("sub/c.txt", "needle c\n");
            tree.file("sub/deep/d.txt", "needle d\n");
            tree.file("z/e.txt", "needle e\n");

            FaultInjectingFileSystem fs(fileSystem());
            FaultInjectingFileSystem::Installed installed(fs);
            bool changed = false;
            auto change = [&] {
                changed = true;
                fault.change(tree, outside_);
            };
            if (fault.entry[0] != '\0')
                fs.beforeEntry(fault.call, fault.entry, change);
            else
                fs.before(fault.call, fault.n, change);

            Collector found;
            SearchCriteria c = criteriaFor(tree.path(), mode, &found);
            SearchEngine engine(&c, nullptr);
            EXPECT_EQ(engine.run(), 1);

            const bool scans = mode != Mode::NamesOnly;
            if (fault.call != Call::OpenForScan || scans) {
                EXPECT_TRUE(changed) << "the change never ran";
            }
            const std::set<std::string> names = found.names();
            for (const std::string& name : all) {
                const bool gone =
                    changed && fault.gone.count(name) && !(fault.permission && root());
                EXPECT_EQ(names.count(name), gone ? 0u : 1u) << name;
            }
            EXPECT_EQ(names.count("x.txt"), 0u) << "the walk followed a link";
            for (const std::string& name : names)
                EXPECT_TRUE(all.count(name)) << name;
            EXPECT_TRUE(messages_.texts.empty()) << messages_.texts.front();
            messages_.texts.clear();
        }
    }
}

TEST_F(FaultWalkTest, ReadErrorMidFileKeepsEarlierHitsAndLeavesThemIncomplete) {
    const std::string filler(2 * FoundFile::kBufferSize, 'x');
    struct Case {
        const char* what;
        std::string contents;
        int failingRead;            // of the search, then again of the full read for output
        std::vector<int> hitLines;  // empty: the file is no hit
    };
    const std::vector<Case> cases = {
        {"hit before the failed read", "needle early\n" + filler + "\nneedle late\n", 2, {1}},
        {"hit only after the failed read", "early\n" + filler + "\nneedle late\n", 2, {}},
        {"the first read fails", "needle early\n", 1, {}},
    };
    for (const Mode mode : {Mode::OnePhase, Mode::TwoPhase}) {
        for (const Case& test : cases) {
            SCOPED_TRACE(::testing::Message() << test.what << ", mode " << static_cast<int>(mode));
            TempTree tree;
            tree.file("f.txt", test.contents);
            FaultInjectingFileSystem fs(fileSystem());
            FaultInjectingFileSystem::Installed installed(fs);
            fs.failRead(test.failingRead);

            Collector found;
            SearchCriteria c = criteriaFor(tree.path(), mode, &found);
            SearchEngine engine(&c, nullptr);
            EXPECT_EQ(engine.run(), 1);
            std::lock_guard<std::mutex> g(found.lock_);
            ASSERT_EQ(found.items.size(), test.hitLines.empty() ? 0u : 1u);
            if (test.hitLines.empty())
                continue;

            // Reading the whole file for output meets the same error: the hits read so far
            // stay and are marked incomplete.
            FoundItem& item = *found.items.front();
            fs.failRead(fs.count(Call::Read) + test.failingRead);
            SearchExpression expression;
            ASSERT_TRUE(expression.set("needle", false, true, nullptr));
            item.scanContentsFully(expression, c);
            std::vector<int> lines;
            for (const HitLine& hit : item.hits)
                lines.push_back(hit.lineNumber);
            EXPECT_EQ(lines, test.hitLines);
            EXPECT_FALSE(item.hitsComplete);
        }
    }
    EXPECT_TRUE(messages_.texts.empty());
}

TEST_F(FaultWalkTest, SearchesFinishWhileAnotherThreadKeepsChangingTheTree) {
    for (int i = 0; i < 40; ++i)
        tree_.file("stable/s" + std::to_string(i) + ".txt", "needle\n");
    std::atomic<bool> done{false};
    std::thread churn([&] {
        namespace fs = std::filesystem;
        std::error_code ec;
        for (unsigned round = 0; !done; ++round) {
            const std::string base = tree_.path("churn" + std::to_string(round % 7));
            switch (round % 5) {
                case 0:
                    fs::create_directories(base + "/x/y", ec);
                    std::ofstream(base + "/x/y/f.txt") << "needle\n";
                    break;
                case 1:
                    fs::remove_all(base, ec);
                    break;
                case 2:
                    ::mkfifo((base + ".txt").c_str(), 0600);
                    break;
                case 3:
                    fs::remove(base + ".txt", ec);
                    std::ofstream(base + ".txt") << "needle\n";
                    break;
                default:
                    fs::rename(base, base + "-moved", ec);
                    fs::remove_all(base + "-moved", ec);
                    ::chmod(tree_.path("sub").c_str(), round % 2 ? 0 : 0700);
                    break;
            }
        }
    });

    for (int search = 0; search < 30; ++search) {
        const Mode mode = static_cast<Mode>(search % 3);
        Collector found;
        SearchCriteria c = criteriaFor(tree_.path(), mode, &found);
        SearchEngine engine(&c, nullptr);
        EXPECT_EQ(engine.run(), 1);
        const std::set<std::string> names = found.names();
        for (int i = 0; i < 40; ++i)
            EXPECT_EQ(names.count("s" + std::to_string(i) + ".txt"), 1u) << search;
    }
    done = true;
    churn.join();
    EXPECT_TRUE(messages_.texts.empty());
}

}  // namespace
}  // namespace scoutwell
