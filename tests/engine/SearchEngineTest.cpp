#include "engine/SearchEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "engine/Clock.h"
#include "engine/Messages.h"
#include "engine/ResultsStore.h"
#include "engine/ScanPool.h"
#include "engine/SearchCriteria.h"
#include "engine/WindowMessages.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::TempTree;

struct Event {
    enum Kind { Add, Post } kind;
    int message = 0;
    int position = 0;
    std::string text;  // a note's text, or the full path of an added item
    bool hasNote = false;
};

// Both ends of a search at once: the sink that receives items and the notifier that
// receives posts, recorded in one sequence.
class Recorder : public FoundItemSink, public SearchNotifier {
  public:
    void add(const FoundItem& item) override { record({Event::Add, 0, 0, item.fullPath(), false}); }
    void post(int message, std::unique_ptr<SearchProgressNote> note) override {
        Event e{Event::Post, message, 0, {}, note != nullptr};
        if (note) {
            e.position = note->position;
            e.text = note->text;
        }
        record(e);
    }

    std::vector<Event> events() {
        std::lock_guard<std::mutex> g(lock_);
        return events_;
    }
    std::vector<std::string> added() {
        std::vector<std::string> out;
        for (const Event& e : events()) {
            if (e.kind == Event::Add)
                out.push_back(e.text);
        }
        return out;
    }
    std::vector<Event> posts(int message) {
        std::vector<Event> out;
        for (const Event& e : events()) {
            if (e.kind == Event::Post && e.message == message)
                out.push_back(e);
        }
        return out;
    }

    std::function<void(const Event&)> hook;

  private:
    void record(const Event& e) {
        {
            std::lock_guard<std::mutex> g(lock_);
            events_.push_back(e);
        }
        if (hook)
            hook(e);
    }

    std::mutex lock_;
    std::vector<Event> events_;
};

class CapturedMessages : public MessageSink {
  public:
    void showMessage(const std::string& text) override {
        std::lock_guard<std::mutex> g(lock_);
        texts.push_back(text);
    }
    std::vector<std::string> texts;

  private:
    std::mutex lock_;
};

std::atomic<std::uint32_t> fakeNow{0};
// Every tick is a second later than the one before, so no throttle ever holds a note back.
std::uint32_t advancingClock() {
    return fakeNow += 1000;
}
// Time stands still, so every throttled note after the first is held back.
std::uint32_t frozenClock() {
    return 5000;
}

class SearchEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setTickFunction(advancingClock);
        setMessageSink(&messages_);
    }
    void TearDown() override {
        setTickFunction(nullptr);
        setMessageSink(nullptr);
    }

    SearchCriteria criteriaFor(const std::string& folder, std::string fileName,
                               std::string containing = {}) {
        SearchCriteria c;
        c.lookIn = {folder};
        c.fileName = std::move(fileName);
        c.containingText = std::move(containing);
        c.searchContents = !c.containingText.empty();
        std::string error;
        EXPECT_TRUE(c.prepare(error)) << error;
        c.sink = &recorder_;
        return c;
    }

    int run(SearchCriteria& c, bool withNotifier = true) {
        SearchEngine engine(&c, withNotifier ? &recorder_ : nullptr);
        return engine.run();
    }

    std::vector<std::string> addedRelative(const TempTree& tree) {
        std::vector<std::string> out;
        for (const std::string& p : recorder_.added())
            out.push_back(p.substr(tree.path().size()));
        return out;
    }

    Recorder recorder_;
    CapturedMessages messages_;
};

TEST_F(SearchEngineTest, WalkVisitsOwnEntriesBeforeSubfolders) {
    TempTree tree;
    tree.file("a.txt");
    tree.file("e.txt");
    tree.file("sub1/b.txt");
    tree.file("sub1/deep/c.txt");
    tree.file("sub2/d.txt");
    SearchCriteria c = criteriaFor(tree.path(), "");
    ASSERT_EQ(run(c), 1);

    const std::vector<std::string> got = addedRelative(tree);
    ASSERT_EQ(got.size(), 8u);
    // Every item's folder is finished before any of its subfolders starts, and the
    // subfolders are walked in the order their entries were met.
    auto folderOf = [](const std::string& rel) {
        const auto slash = rel.rfind('/');
        return slash == std::string::npos ? std::string() : rel.substr(0, slash + 1);
    };
    std::vector<std::string> folderOrder;
    for (const std::string& rel : got) {
        const std::string f = folderOf(rel);
        if (folderOrder.empty() || folderOrder.back() != f) {
            EXPECT_EQ(std::count(folderOrder.begin(), folderOrder.end(), f), 0)
                << "folder " << f << " resumed after another one";
            folderOrder.push_back(f);
        }
    }
    std::vector<std::string> metSubfolders;
    for (const std::string& rel : got) {
        if (rel == "sub1" || rel == "sub2" || rel == "sub1/deep")
            metSubfolders.push_back(rel + "/");
    }
    std::vector<std::string> walked(folderOrder.begin() + 1, folderOrder.end());
    EXPECT_EQ(walked.size(), 3u);
    // Depth first: sub1/deep/ right after sub1/ when sub1 came first.
    const bool sub1First = metSubfolders[0] == "sub1/";
    EXPECT_EQ(walked[0], sub1First ? "sub1/" : "sub2/");
    EXPECT_EQ(walked[1], sub1First ? "sub1/deep/" : "sub1/");
    EXPECT_EQ(walked[2], sub1First ? "sub2/" : "sub1/deep/");
}

TEST_F(SearchEngineTest, NameAndFolderRules) {
    TempTree tree;
    tree.file("notes.txt");
    tree.file("notes.txt.bak");
    tree.file("photo.jpg");
    tree.file("hidden/inner.txt");
    tree.file("x.bak/inside.txt");

    struct Case {
        const char* fileName;
        bool exclude;
        bool subfolders;
        std::set<std::string> expected;
    };
    const Case cases[] = {
        // "*.txt" selects every name that contains ".txt"; a folder that fails the name
        // test is still walked into.
        {"*.txt",
         false,
         true,
         {"notes.txt", "notes.txt.bak", "hidden/inner.txt", "x.bak/inside.txt"}},
        {"*.txt", false, false, {"notes.txt", "notes.txt.bak"}},
        // Exclusion leaves out folders too.
        {"*.bak",
         true,
         true,
         {"notes.txt", "photo.jpg", "hidden", "hidden/inner.txt", "x.bak/inside.txt"}},
        // No name filter: everything, whatever the exclusion says.
        {"", true, false, {"notes.txt", "notes.txt.bak", "photo.jpg", "hidden", "x.bak"}},
    };
    for (const Case& k : cases) {
        Recorder fresh;
        SearchCriteria c = criteriaFor(tree.path(), k.fileName);
        c.excludeFilename = k.exclude;
        c.subfolders = k.subfolders;
        c.sink = &fresh;
        SearchEngine engine(&c, nullptr);
        engine.run();
        std::set<std::string> got;
        for (const std::string& p : fresh.added())
            got.insert(p.substr(tree.path().size()));
        EXPECT_EQ(got, k.expected) << k.fileName << " exclude=" << k.exclude;
    }
}

TEST_F(SearchEngineTest, SizeAndDateFilters) {
    TempTree tree;
    tree.file("small", std::string(1023, 'x'));
    tree.file("exact", std::string(1024, 'x'));
    tree.file("large", std::string(1025, 'x'));
    tree.folder("folder");
    tree.touch("small", 1000000000);  // 2001
    tree.touch("exact", 1600000000);  // 2020
    tree.touch("large", 1700000000);  // 2023

    auto names = [&](SearchCriteria& c) {
        Recorder fresh;
        c.sink = &fresh;
        SearchEngine engine(&c, nullptr);
        engine.run();
        std::set<std::string> got;
        for (const std::string& p : fresh.added())
            got.insert(p.substr(tree.path().size()));
        return got;
    };
    {
        SearchCriteria c = criteriaFor(tree.path(), "");
        c.sizeMoreThanOn = true;
        c.sizeMoreThan = 1024;
        EXPECT_EQ(names(c), (std::set<std::string>{"exact", "large"}));  // no folder
    }
    {
        SearchCriteria c = criteriaFor(tree.path(), "");
        c.sizeLessThanOn = true;
        c.sizeLessThan = 1024;
        EXPECT_EQ(names(c), (std::set<std::string>{"small", "exact"}));
    }
    {
        // Dates: the whole of 2020 and later, midnight bounds.
        SearchCriteria c = criteriaFor(tree.path(), "*");
        c.modifiedAfterOn = true;
        CalendarTime t;
        t.year = 2020;
        t.month = 1;
        t.day = 1;
        ASSERT_TRUE(oleDateFromCalendar(t, c.modifiedAfter));
        c.modifiedBeforeOn = true;
        t.year = 2023;
        t.month = 1;
        ASSERT_TRUE(oleDateFromCalendar(t, c.modifiedBefore));
        EXPECT_EQ(names(c), (std::set<std::string>{"exact"}));
    }
}

TEST_F(SearchEngineTest, LinksAreEntriesNotPathsAndSpecialFilesNeverHang) {
    TempTree tree;
    tree.file("real/data.txt", "needle\n");
    tree.symlink("real/loop", tree.path());  // a link back to the top
    tree.symlink("link.txt", tree.path("real/data.txt"));
    tree.fifo("pipe.txt");

    // Names: the links are found as entries, and the loop is never entered.
    SearchCriteria names = criteriaFor(tree.path(), "");
    ASSERT_EQ(run(names), 1);
    std::set<std::string> got;
    for (const std::string& p : addedRelative(tree))
        got.insert(p);
    EXPECT_EQ(
        got, (std::set<std::string>{"real", "link.txt", "pipe.txt", "real/data.txt", "real/loop"}));

    // Contents: a link to a file is read through; the FIFO is never opened for reading.
    for (const bool onePhase : {true, false}) {
        Recorder fresh;
        SearchCriteria c = criteriaFor(tree.path(), "", "needle");
        c.onePhaseSearch = onePhase;
        c.sink = &fresh;
        SearchEngine engine(&c, nullptr);
        engine.run();
        std::set<std::string> found;
        for (const std::string& p : fresh.added())
            found.insert(p.substr(tree.path().size()));
        EXPECT_EQ(found, (std::set<std::string>{"link.txt", "real/data.txt"}));
    }
}

TEST_F(SearchEngineTest, TwoPhaseDeliversOnlyAfterTheWalkOnePhaseWhileWalking) {
    TempTree tree;
    tree.file("a/one.txt", "hit\n");
    tree.file("b/two.txt", "hit\n");
    tree.file("c/three.txt", "miss\n");

    auto phaseOf = [](const Event& e) {
        return e.text.rfind("Phase 1 ", 0) == 0 ? 1 : (e.text.rfind("Phase 2 ", 0) == 0 ? 2 : 0);
    };
    {
        SearchCriteria c = criteriaFor(tree.path(), "", "hit");
        c.onePhaseSearch = false;
        run(c);
        bool walkOver = false;
        int adds = 0;
        for (const Event& e : recorder_.events()) {
            if (e.kind == Event::Post && e.message == WM_SEARCH_FOLDER && phaseOf(e) == 2) {
                walkOver = true;
            }
            if (e.kind == Event::Add) {
                EXPECT_TRUE(walkOver) << "delivered during the walk: " << e.text;
                ++adds;
            }
        }
        EXPECT_EQ(adds, 2);
    }
    {
        // With one scanning thread a file is delivered as soon as the walk has scanned it;
        // helper threads deliver when they are done, which only timing decides.
        setScanThreads(1);
        Recorder fresh;
        SearchCriteria c = criteriaFor(tree.path(), "", "hit");
        c.onePhaseSearch = true;
        c.sink = &fresh;
        SearchEngine engine(&c, &fresh);
        engine.run();
        setScanThreads(0);
        // The first hit arrives before the walk has entered the last folder, and no
        // second phase exists.
        int foldersAfterFirstAdd = 0;
        bool added = false;
        for (const Event& e : fresh.events()) {
            if (e.kind == Event::Add)
                added = true;
            if (e.kind == Event::Post && e.message == WM_SEARCH_FOLDER) {
                EXPECT_EQ(phaseOf(e), 1);
                if (added)
                    ++foldersAfterFirstAdd;
            }
            EXPECT_NE(e.message, WM_SEARCH_PROGRESS);
        }
        EXPECT_GT(foldersAfterFirstAdd, 0);
    }
}

TEST_F(SearchEngineTest, NotificationsOfACompleteRun) {
    TempTree tree;
    tree.file("f1.txt", std::string(10, 'a') + "\n");
    tree.file("f2.txt", std::string(20, 'a') + "\n");

    SearchCriteria c = criteriaFor(tree.path(), "", "a");
    // Bytes count as done once their file is delivered or passed over: with one scanning
    // thread that is before the next file's note, with more it depends on timing.
    setScanThreads(1);
    ASSERT_EQ(run(c), 1);
    setScanThreads(0);
    const std::vector<Event> events = recorder_.events();
    ASSERT_FALSE(events.empty());
    // The end of the run: the last new-results note, then the one done note.
    EXPECT_EQ(events.back().message, WM_SEARCH_DONE);
    EXPECT_FALSE(events.back().hasNote);
    EXPECT_EQ(recorder_.posts(WM_SEARCH_DONE).size(), 1u);
    const auto newResults = recorder_.posts(WM_SEARCH_NEWRESULTS);
    ASSERT_FALSE(newResults.empty());
    EXPECT_EQ(events[events.size() - 2].message, WM_SEARCH_NEWRESULTS);

    // Fewer than 50 bytes pending: the unit is one byte; the last note is position 50.
    const auto progress = recorder_.posts(WM_SEARCH_PROGRESS);
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ(progress.front().position, 0);
    EXPECT_EQ(progress.front().text, "0Mb of 0Mb");
    EXPECT_EQ(progress.back().position, 50);
    EXPECT_EQ(progress.back().text, "0Mb of 0Mb");
    std::vector<int> positions;
    for (const Event& e : progress)
        positions.push_back(e.position);
    // 11 and 21 bytes pending, in walk order: the second note is at the first file's size.
    EXPECT_TRUE(positions[1] == 11 || positions[1] == 21);

    const auto folders = recorder_.posts(WM_SEARCH_FOLDER);
    ASSERT_FALSE(folders.empty());
    EXPECT_EQ(folders.front().text, "Phase 1 searching " + tree.path());
}

TEST_F(SearchEngineTest, AnEmptySearchStillEndsWithDoneAndTheFinalProgress) {
    TempTree tree;
    tree.file("x.txt", "nothing here\n");
    SearchCriteria c = criteriaFor(tree.path(), "*.nomatch", "zzz");
    ASSERT_EQ(run(c), 1);
    EXPECT_TRUE(recorder_.added().empty());
    EXPECT_TRUE(recorder_.posts(WM_SEARCH_NEWRESULTS).empty());
    ASSERT_EQ(recorder_.posts(WM_SEARCH_PROGRESS).size(), 1u);
    EXPECT_EQ(recorder_.posts(WM_SEARCH_PROGRESS)[0].position, 50);
    EXPECT_EQ(recorder_.events().back().message, WM_SEARCH_DONE);
}

TEST_F(SearchEngineTest, ThrottlesHoldNotesBackWhileTimeStandsStill) {
    TempTree tree;
    for (int i = 0; i < 5; ++i)
        tree.file("d" + std::to_string(i) + "/f.txt", "x\n");
    setTickFunction(frozenClock);
    SearchCriteria c = criteriaFor(tree.path(), "");
    run(c);
    // Ticks start at 0, so the first folder note goes out; then time never moves.
    EXPECT_EQ(recorder_.posts(WM_SEARCH_FOLDER).size(), 1u);
    EXPECT_EQ(recorder_.posts(WM_SEARCH_NEWRESULTS).size(), 2u);  // first folder, and the end
}

TEST_F(SearchEngineTest, NoNotifierPostsNothingAndFindsTheSame) {
    TempTree tree;
    tree.file("a/b.txt", "hit\n");
    SearchCriteria c = criteriaFor(tree.path(), "", "hit");
    ASSERT_EQ(run(c, /*withNotifier=*/false), 1);
    for (const Event& e : recorder_.events())
        EXPECT_EQ(e.kind, Event::Add);
    EXPECT_EQ(recorder_.added().size(), 1u);
}

TEST_F(SearchEngineTest, AStopInEachPhaseEndsTheRunWithoutDone) {
    TempTree tree;
    for (int i = 0; i < 30; ++i)
        tree.file("d" + std::to_string(i) + "/f" + std::to_string(i) + ".txt", "hit\n");

    {
        // Phase one: the first delivered item asks to stop.
        SearchCriteria c = criteriaFor(tree.path(), "");
        recorder_.hook = [&](const Event& e) {
            if (e.kind == Event::Add)
                c.requestStop();
        };
        run(c);
        recorder_.hook = nullptr;
        EXPECT_EQ(recorder_.added().size(), 1u);
        EXPECT_TRUE(recorder_.posts(WM_SEARCH_DONE).empty());
    }
    {
        // Phase two: the first file with a hit asks to stop; the final progress note is
        // still sent.
        Recorder fresh;
        SearchCriteria c = criteriaFor(tree.path(), "", "hit");
        c.sink = &fresh;
        fresh.hook = [&](const Event& e) {
            if (e.kind == Event::Add)
                c.requestStop();
        };
        SearchEngine engine(&c, &fresh);
        engine.run();
        fresh.hook = nullptr;
        EXPECT_EQ(fresh.added().size(), 1u);
        EXPECT_TRUE(fresh.posts(WM_SEARCH_DONE).empty());
        ASSERT_FALSE(fresh.posts(WM_SEARCH_PROGRESS).empty());
        EXPECT_EQ(fresh.posts(WM_SEARCH_PROGRESS).back().position, 50);
    }
}

TEST_F(SearchEngineTest, RunsOnAWorkerThreadAndStopsFromAnother) {
    TempTree tree;
    for (int i = 0; i < 200; ++i)
        tree.file("d" + std::to_string(i % 20) + "/f" + std::to_string(i), "x\n");

    ResultsStore store;
    SearchCriteria c = criteriaFor(tree.path(), "");
    c.sink = &store;
    {
        SearchEngine engine(&c, &recorder_);
        engine.start();
        EXPECT_TRUE(engine.running());
        engine.join();
        EXPECT_EQ(engine.criteria(), nullptr);
    }
    EXPECT_EQ(store.count(), 220u);
    EXPECT_EQ(recorder_.posts(WM_SEARCH_DONE).size(), 1u);

    // A stop requested before the thread starts work ends it at its first check.
    Recorder stopped;
    SearchCriteria c2 = criteriaFor(tree.path(), "");
    c2.sink = &stopped;
    c2.requestStop();
    SearchEngine engine(&c2, &stopped);
    engine.start();
    engine.join();
    EXPECT_TRUE(stopped.added().empty());
    EXPECT_TRUE(stopped.posts(WM_SEARCH_DONE).empty());
}

// A sink that fails on its first item, as an exhausted heap or a fault would.
template <class Failure>
class FailingSink : public FoundItemSink {
  public:
    void add(const FoundItem&) override { throw Failure(); }
};
struct SomeFault {};

TEST_F(SearchEngineTest, FailuresAtTheTopOfTheThreadAreReportedAndTheRunEnds) {
    TempTree tree;
    tree.file("a.txt", "hit\n");
    {
        FailingSink<std::bad_alloc> sink;
        SearchCriteria c = criteriaFor(tree.path(), "");
        c.sink = &sink;
        SearchEngine engine(&c, &recorder_);
        EXPECT_EQ(engine.run(), 1);
        EXPECT_TRUE(engine.failed()) << "the unattended mode's exit status depends on it";
    }
    {
        FailingSink<SomeFault> sink;
        SearchCriteria c = criteriaFor(tree.path(), "");
        c.sink = &sink;
        SearchEngine engine(&c, &recorder_);
        EXPECT_EQ(engine.run(), 1);
        EXPECT_TRUE(engine.failed());
    }
    {
        SearchCriteria c = criteriaFor(tree.path(), "");
        SearchEngine engine(&c, &recorder_);
        EXPECT_EQ(engine.run(), 1);
        EXPECT_FALSE(engine.failed());
    }
    ASSERT_EQ(messages_.texts.size(), 2u);
    EXPECT_EQ(messages_.texts[0], kOutOfMemoryMessage);
    EXPECT_EQ(messages_.texts[1], kUnexpectedExceptionMessage);
    EXPECT_EQ(recorder_.posts(WM_SEARCH_DONE).size(), 3u);
}

TEST_F(SearchEngineTest, MissingFoldersAndBadContentsPatternsAreHandled) {
    TempTree tree;
    tree.file("a.txt");
    SearchCriteria c = criteriaFor(tree.path(), "");
    c.lookIn = {tree.path("gone/"), tree.path()};  // the first vanished after preparing
    EXPECT_EQ(run(c), 1);
    EXPECT_EQ(recorder_.added().size(), 1u);

    Recorder fresh;
    SearchCriteria bad = criteriaFor(tree.path(), "");
    bad.containingText = "(";
    bad.searchContents = true;
    bad.sink = &fresh;
    SearchEngine engine(&bad, &fresh);
    EXPECT_EQ(engine.run(), 0);
    EXPECT_TRUE(fresh.added().empty());
    EXPECT_EQ(fresh.posts(WM_SEARCH_DONE).size(), 1u);
}

}  // namespace
}  // namespace scoutwell
