// Reading ahead of a walk: helper threads list the folders the walk will enter next, so
// that on a cold disk their entries are in memory by the time the walk comes to them, and
// several folders are read from the disk at once instead of one after the other.
//
//   WalkReadAhead ahead(fs, helpers);
//   ahead.add(parentPath, names);  // subfolders the walk will enter, nearest first
//   ...                             // the walk goes on as before
//
// Nothing the helpers read reaches the search: the walk lists every folder itself, in its
// own order, so its results are exactly those of a walk without read-ahead. What the
// helpers do is only a hint to the file system's caches, and a failure of theirs (a
// folder gone, no descriptor free) is ignored.
//
// Bounded: at most kMostPending folders wait (the farthest from the walk are dropped
// first), each helper holds at most kDescriptorsPerHelper descriptors at a time, and a
// helper that lists a folder also lists its first subfolder, kChainDepth levels down,
// which the walk will enter right after it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/NameMatcher.h"

namespace scoutwell {

class Directory;
class FileSystem;

class WalkReadAhead {
  public:
    static constexpr std::size_t kMostPending = 64;
    // Fewer waiting folders than this and the walk hands over more.
    static constexpr std::size_t kLowWater = 8;
    static constexpr int kChainDepth = 2;
    // The folder listed and its first subfolder (or its parent, while the folder is
    // opened from it), and for a moment one more to read the mount table.
    static constexpr std::size_t kDescriptorsPerHelper = 3;
    // Threads that mostly wait for the disk: a few more than the processors are worth it,
    // as a disk serves several requests at once.
    static constexpr int kMostHelpers = 4;

    // A folder whose listing took this long came from the disk, and so will its files.
    static constexpr auto kColdListing = std::chrono::microseconds(500);
    // The most files of one folder whose first bytes are read ahead.
    static constexpr std::size_t kMostFilesAhead = 256;

    // The files whose first bytes are read ahead: none, or those whose names pass a test.
    struct FileFilter {
        bool on = false;
        bool everyName = true;  // else those the matcher finds a match in (or none, with
        NameMatcher matcher;    // `exclude`)
        bool exclude = false;
    };

    // `fs` must allow opening folders on other threads (FileSystem::opensFoldersOnAnyThread).
    // With `files` on (a contents scan that reads the files as the walk finds them), a
    // helper that had to wait for the disk to list a folder also starts reading the first
    // bytes of the files that pass its name test (Directory::readFileAhead): the disk is
    // cold, and the scanning threads will want them next.
    WalkReadAhead(FileSystem& fs, int helpers, FileFilter files);
    // Ends the helpers after the folders they are listing.
    ~WalkReadAhead();
    WalkReadAhead(const WalkReadAhead&) = delete;
    WalkReadAhead& operator=(const WalkReadAhead&) = delete;

    // Whether the helpers would run out of folders soon: without a lock, for the walk to
    // ask at every folder.
    bool hungry() const { return pendingCount_.load(std::memory_order_relaxed) < kLowWater; }

    // Hands over subfolders of the folder at `parent` (a path ending with '/'), which the
    // walk will enter in this order, before those handed over earlier.
    void add(const std::string& parent, const std::vector<std::string_view>& names);

    // The folders listed ahead by every read-ahead of the process so far, for tests.
    static std::size_t listedInProcess();

  private:
    struct Pending {
        std::string parent;
        std::string name;
    };

    void helperMain();
    void list(const Pending& folder, FileFilter& files);

    FileSystem& fs_;
    const FileFilter files_;  // each helper tests names with a copy
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Pending> pending_;  // nearest to the walk first
    std::atomic<std::size_t> pendingCount_{0};
    bool ending_ = false;
    std::vector<std::thread> helpers_;
};

// Whether walks read ahead: on unless SCOUTWELL_READAHEAD=0 (read once, at the first
// call) or a caller turned it off. The plain algorithms never do.
bool readAheadOn();
// Overrides the environment's choice for the whole process. Set it before a search starts.
void setReadAhead(bool on);
inline constexpr const char* kReadAheadVariable = "SCOUTWELL_READAHEAD";

}  // namespace scoutwell
