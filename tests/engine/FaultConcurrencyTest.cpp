// Many searches over one tree at once, each stopped at a random moment and started again,
// then left to finish: none crashes, hangs or loses an item, and (under `make tsan`) none
// races with another. Also trees far larger than any test folder, from a generated file
// system: the walk finishes and its memory does not grow with the entries it passes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/FileSystem.h"
#include "engine/Messages.h"
#include "engine/ResultsStore.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchEngine.h"
#include "support/Sanitized.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::kSanitized;
using testing::TempTree;

class SilentMessages : public MessageSink {
  public:
    void showMessage(const std::string&) override { ++count; }
    std::atomic<int> count{0};
};

// A notifier that only counts, as a document's views would receive the posts.
class CountingNotifier : public SearchNotifier {
  public:
    void post(int, std::unique_ptr<SearchProgressNote>) override { ++posts; }
    std::atomic<int> posts{0};
};

SearchCriteria criteriaFor(const std::string& folder, bool contents, bool onePhase) {
    SearchCriteria c;
    c.lookIn = {folder};
    c.fileName = "*.txt";
    if (contents) {
        c.containingText = "needle";
        c.searchContents = true;
    }
    c.onePhaseSearch = onePhase;
    std::string error;
    EXPECT_TRUE(c.prepare(error)) << error;
    return c;
}

TEST(FaultConcurrencyTest, SearchesStoppedAndRestartedAtRandomStayCorrect) {
    TempTree tree;
    constexpr int kFolders = 20;
    constexpr int kFilesPerFolder = 25;
    for (int f = 0; f < kFolders; ++f) {
        for (int i = 0; i < kFilesPerFolder; ++i) {
            tree.file("d" + std::to_string(f) + "/s/f" + std::to_string(i) + ".txt",
                      i % 2 ? "a needle here\n" : "nothing\n");
        }
    }
    SilentMessages messages;
    setMessageSink(&messages);

    constexpr int kDocuments = 8;
    constexpr int kRounds = 6;
    std::vector<std::thread> documents;
    // The size of each document's last, unstopped search, and what it should be.
    std::vector<std::size_t> finalCount(kDocuments, 0);
    std::vector<std::size_t> expectedCount(kDocuments, 0);
    for (int d = 0; d < kDocuments; ++d) {
        documents.emplace_back([&, d] {
            std::mt19937 random(1000 + static_cast<unsigned>(d));
            for (int round = 0; round < kRounds; ++round) {
                ResultsStore results;
                const bool contents = (d + round) % 3 != 0;
                SearchCriteria c = criteriaFor(tree.path(), contents, (d + round) % 2 == 0);
                c.sink = &results;
                CountingNotifier notifier;
                SearchEngine engine(&c, &notifier);
                engine.start();
                const bool stop = round + 1 < kRounds;  // the last round runs to the end
                if (stop) {
                    std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
                    c.requestStop();
                }
                engine.join();
                // A copy taken while another thread stops its own search.
                auto snapshot = results.snapshot();
                const std::size_t expected =
                    contents ? kFolders * (kFilesPerFolder / 2) : kFolders * kFilesPerFolder;
                if (stop) {
                    EXPECT_LE(snapshot.size(), expected);
                } else {
                    finalCount[static_cast<std::size_t>(d)] = snapshot.size();
                    expectedCount[static_cast<std::size_t>(d)] = expected;
                }
            }
        });
    }
    for (std::thread& t : documents)
        t.join();
    setMessageSink(nullptr);
    for (int d = 0; d < kDocuments; ++d)
        EXPECT_EQ(finalCount[static_cast<std::size_t>(d)],
                  expectedCount[static_cast<std::size_t>(d)])
            << "document " << d;
    EXPECT_EQ(messages.count, 0);
}

// Folders and files made up on the spot: `folders` subfolders under the root, each with
// `files` files, none of them stored anywhere.
class GeneratedFileSystem : public FileSystem {
  public:
    GeneratedFileSystem(int folders, int files) : folders_(folders), files_(files) {}

    std::unique_ptr<Directory> openFolder(const std::string&, bool) override {
        return std::make_unique<GeneratedDirectory>(*this, folders_, files_);
    }
    std::unique_ptr<ReadableFile> openForScan(const std::string&, const std::string&) override {
        return nullptr;
    }
    bool isDirectory(const std::string&) override { return true; }
    bool exists(const std::string&) override { return true; }
    std::vector<MountPoint> mounts() override { return {}; }

  private:
    class GeneratedDirectory : public Directory {
      public:
        GeneratedDirectory(GeneratedFileSystem& fs, int folders, int files)
            : fs_(fs), folders_(folders), files_(files) {}
        bool next(std::string_view& name, EntryType& type) override {
            if (at_ >= folders_ + files_)
                return false;
            char buffer[32];
            if (at_ < folders_) {
                std::snprintf(buffer, sizeof buffer, "folder%06d", at_);
                type = EntryType::Directory;
            } else {
                std::snprintf(buffer, sizeof buffer, "file%07d.dat", at_ - folders_);
                type = EntryType::File;
            }
            name_ = buffer;
            name = name_;
            ++at_;
            return true;
        }
        bool stat(std::string_view, EntryInfo& info) override {
            info.size = 1000;
            info.modified = 0;
            info.isDirectory = false;
            return true;
        }
        std::unique_ptr<Directory> openSubfolder(std::string_view) override {
            return std::make_unique<GeneratedDirectory>(fs_, 0, fs_.files_);
        }
        bool close() override { return true; }

      private:
        GeneratedFileSystem& fs_;
        int folders_;
        int files_;
        int at_ = 0;
        std::string name_;
    };

    int folders_;
    int files_;
};

// The process's resident memory in kB, now and at its peak since the last reset.
long statusKb(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    }
    return -1;
}
bool resetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

TEST(FaultConcurrencyTest, HugeTreesFinishInBoundedMemory) {
    struct Tree {
        const char* what;
        int folders;
        int files;
        const char* fileName;
        std::size_t found;
    };
    const std::vector<Tree> trees = {
        {"100,000 files in one folder, none found", 0, 100000, "*.txt", 0},
        {"1,000,000 entries in 1,000 folders, none found", 1000, 999, "*.txt", 0},
        {"100,000 files in one folder, all found", 0, 100000, "*.dat", 100000},
    };
    for (const Tree& t : trees) {
        SCOPED_TRACE(t.what);
        GeneratedFileSystem fs(t.folders, t.files);
        FileSystem* const previous = fileSystem();
        setFileSystem(&fs);
        ResultsStore results;
        SearchCriteria c;
        c.lookIn = {"/generated/"};
        c.fileName = t.fileName;
        std::string error;
        ASSERT_TRUE(c.prepare(error)) << error;
        c.sink = &results;

        const bool measured = !kSanitized && resetPeakMemory();
        const long before = statusKb("VmRSS:");
        SearchEngine engine(&c, nullptr);
        EXPECT_EQ(engine.run(), 1);
        const long peak = statusKb("VmHWM:");
        setFileSystem(previous);

        EXPECT_EQ(results.count(), t.found);
        if (measured && before > 0 && peak > 0) {
            // The walk itself keeps nothing per entry; found items cost what they hold.
            const long allowedKb = 16 * 1024 + static_cast<long>(t.found) / 2;
            EXPECT_LT(peak - before, allowedKb) << "grew by " << (peak - before) << " kB";
        }
    }
}

}  // namespace
}  // namespace scoutwell
