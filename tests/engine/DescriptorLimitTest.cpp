// Searches under a small limit of open files: they find everything, or stop with a message
// and count as failed, never ending quietly with part of the results. Opens that find no
// descriptor free for a moment are tried again; the shares of the limit never add up to
// more than the limit.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "engine/DescriptorBudget.h"
#include "engine/FoundItem.h"
#include "engine/Messages.h"
#include "engine/ScanPool.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchEngine.h"
#include "engine/Text.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempTree.h"
#include "tests/engine/FaultInjectingFileSystem.h"

namespace scoutwell {
namespace {

using testing::FaultInjectingFileSystem;
using Call = FaultInjectingFileSystem::Call;

TEST(DescriptorBudget, TheSharesNeverPassWhatIsFree) {
    struct Case {
        long long free;
        int wanted;
        int threads;
        std::size_t heldLevels, queuedFiles;
        int readAheadHelpers;
    };
    // The read-ahead takes 3 descriptors a helper from what the queue cannot use, else
    // from the queue's share, at most half of it.
    const Case cases[] = {
        {-5, 4, 1, 1, 0, 0},   {5, 2, 1, 1, 0, 0},      {11, 2, 2, 3, 2, 0},
        {19, 2, 2, 7, 3, 1},   {1000, 2, 2, 16, 64, 8}, {1000, 1, 1, 16, 64, 8},
        {60, 2, 2, 16, 20, 6}, {100, 2, 2, 16, 54, 8},
    };
    for (const Case& c : cases) {
        const DescriptorBudget b = DescriptorBudget::fromFree(c.free, c.wanted);
        EXPECT_EQ(b.threads, c.threads) << c.free;
        EXPECT_EQ(b.heldLevels, c.heldLevels) << c.free;
        EXPECT_EQ(b.queuedFiles, c.queuedFiles) << c.free;
        EXPECT_EQ(b.readAheadHelpers, c.readAheadHelpers) << c.free;
    }
    // Past the least a search needs (the walk's 3 and one scanner's 2), the walk, the
    // scanners and the queue together stay within what is free.
    for (long long free = 5; free < 300; ++free) {
        for (int wanted : {1, 2, 8}) {
            const DescriptorBudget b = DescriptorBudget::fromFree(free, wanted);
            const long long used = static_cast<long long>(b.heldLevels) + 2 + 2LL * b.threads +
                                   static_cast<long long>(b.queuedFiles) + 3LL * b.readAheadHelpers;
            EXPECT_LE(used, free) << free << " " << wanted;
            EXPECT_GE(b.threads, 1);
            EXPECT_GE(b.heldLevels, 1u);
        }
    }
}

class Collector : public FoundItemSink {
  public:
    void add(const FoundItem& item) override {
        std::lock_guard<std::mutex> g(lock_);
        paths.insert(item.fullPath());
    }
    std::mutex lock_;
    std::set<std::string> paths;
};

class Messages : public MessageSink {
  public:
    Messages() { setMessageSink(this); }
    ~Messages() override { setMessageSink(nullptr); }
    void showMessage(const std::string& text) override {
        std::lock_guard<std::mutex> g(lock_);
        texts.push_back(text);
    }
    std::mutex lock_;
    std::vector<std::string> texts;
};

enum class Mode { kNames, kOnePhase, kTwoPhases };

struct Outcome {
    std::set<std::string> found;
    bool failed = false;
};

Outcome search(const std::string& folder, Mode mode) {
    SearchCriteria criteria;
    Collector sink;
    criteria.lookIn = {folder};
    criteria.subfolders = true;
    criteria.fileName = "*.txt";
    criteria.searchContents = mode != Mode::kNames;
    criteria.containingText = "needle";
    criteria.onePhaseSearch = mode == Mode::kOnePhase;
    std::string error;
    EXPECT_TRUE(criteria.prepare(error)) << error;
    criteria.sink = &sink;
    SearchEngine engine(&criteria, nullptr);
    engine.run();
    return {sink.paths, engine.failed()};
}

// One folder of 300 matching files, and a 17-level chain with a matching file at every
// level: many files queued at once, and more folders deep than a small limit holds.
class DescriptorLimit : public ::testing::Test {
  protected:
    DescriptorLimit() : previous_(fileSystem()) {
        setFileSystem(&posix_);
        for (int i = 0; i < 300; ++i)
            expected_.insert(tree_.file("wide/f" + std::to_string(i) + ".txt", "a needle\n"));
        std::string chain = "deep/";
        for (int level = 0; level < 17; ++level) {
            expected_.insert(tree_.file(chain + "n" + std::to_string(level) + ".txt", "needle\n"));
            chain += "d/";
        }
    }
    ~DescriptorLimit() override {
        setScanThreads(0);
        setFileSystem(previous_);
    }

    PosixFileSystem posix_;
    FileSystem* previous_;
    testing::TempTree tree_;
    std::set<std::string> expected_;
};

TEST_F(DescriptorLimit, EveryLimitFromTenFindsEverything) {
    for (const rlim_t limit : {10, 16, 24, 48}) {
        for (const int threads : {1, 2}) {
            std::fflush(nullptr);
            const pid_t pid = ::fork();
            if (pid == 0) {
                // Only what the search itself opens counts against the limit.
                ::closefrom(3);
                const rlimit rl{limit, limit};
                if (::setrlimit(RLIMIT_NOFILE, &rl) != 0)
                    ::_exit(100);
                setScanThreads(threads);
                int status = 0;
                for (const Mode mode : {Mode::kNames, Mode::kOnePhase, Mode::kTwoPhases}) {
                    const Outcome outcome = search(tree_.path(), mode);
                    if (outcome.failed || outcome.found != expected_)
                        status = 1 + static_cast<int>(mode);
                }
                ::_exit(status);
            }
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
                << "limit " << limit << ", " << threads
                << " threads: " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1)
                << " (1 names, 2 one phase, 3 two phases failed; -1 crashed)";
        }
    }
}

// A few opens in a row that find no descriptor free are tried again and lose nothing;
// opens that never find one stop the search with the message, and it counts as failed.
TEST_F(DescriptorLimit, AnOpenWithoutADescriptorIsTriedAgainOrStopsTheSearch) {
    FaultInjectingFileSystem faulty(&posix_);
    const FaultInjectingFileSystem::Installed installed(faulty);
    const std::string message = text::format(kOutOfDescriptorsMessage, openFileLimit());
    for (const bool forGood : {false, true}) {
        for (const Call call : {Call::OpenFolder, Call::OpenSubfolder, Call::OpenForScan}) {
            for (const Mode mode : {Mode::kNames, Mode::kOnePhase, Mode::kTwoPhases}) {
                if (forGood && call == Call::OpenForScan && mode == Mode::kNames)
                    continue;  // names alone open no file
                SCOPED_TRACE(::testing::Message()
                             << "for good " << forGood << " call " << static_cast<int>(call)
                             << " mode " << static_cast<int>(mode));
                // The look-in folder is opened once; the others fail a few calls in.
                const int first = faulty.count(call) + (call == Call::OpenFolder ? 1 : 3);
                faulty.exhaustDescriptors(call, first, forGood ? 1000000 : 3);
                Messages messages;
                const Outcome outcome = search(tree_.path(), mode);
                EXPECT_EQ(outcome.failed, forGood);
                EXPECT_EQ(outcome.found == expected_, !forGood);
                EXPECT_EQ(messages.texts,
                          forGood ? std::vector<std::string>{message} : std::vector<std::string>{});
                faulty.exhaustDescriptors(call, 0, 0);
            }
        }
    }
}

}  // namespace
}  // namespace scoutwell
