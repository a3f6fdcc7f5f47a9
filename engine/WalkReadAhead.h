// Reading ahead of a walk on a cold disk: helper threads list the folders the walk will
// enter next, so that several folders are read from the disk at once instead of one after
// the other while the walk goes on with what has been read. (The walk starts them when its
// own listings turn out slow: on a warm cache one thread lists faster than several that
// hand their listings over.)
//
//   WalkReadAhead ahead(fs, helpers, files);
//   ahead.add(parentPath, device, parentKey, firstIndex, names);  // subfolders to come
//   dir = ahead.adopt(path, key, std::move(dir));  // as the walk enters a folder
//
// A folder's key is its place in the walk: the indexes among their siblings' subfolders
// of the folders from the look-in folder down to it, compared as sequences, so that the
// helpers always take the waiting folder the walk will come to first.
//
// A helper's listing is kept for the walk, which takes it when it enters that folder: the
// walk still opens every folder itself, by its own rules, and takes the listing only when
// the folder it opened is the very one the helper listed (same device and inode); else, or
// when no helper got to the folder first, it lists the folder itself. A folder a helper is
// listing when the walk comes to it is waited for rather than listed twice. So the walk
// sees the entries a listing of its own would give, in the same order. In a search by
// names the helpers also describe the files whose names pass (Directory::stat()), and the
// walk takes those descriptions with the listing.
//
// The helpers feed themselves: the subfolders of a folder a helper has listed wait in line
// by their keys, so the helpers run ahead of the walk down the tree in its own order; the
// walk hands over the subfolders of the folders it lists itself.
//
// Bounded: at most kMostPending folders wait (the farthest from the walk are dropped
// first), each helper holds at most kDescriptorsPerHelper descriptors at a time, and the
// helpers pause while the listings kept for the walk number kMostListed or hold
// kMostListedBytes (a folder with more entries than kMostListingBytes is listed only to
// bring it into the cache).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/NameMatcher.h"

namespace scoutwell {

class Directory;
class FileSystem;

class WalkReadAhead {
  public:
    static constexpr std::size_t kMostPending = 4096;
    // Fewer waiting folders than this and the walk hands over more.
    static constexpr std::size_t kLowWater = 8;
    // The folder listed, a file of it whose first bytes are asked for, and for a moment
    // one more to read the mount table.
    static constexpr std::size_t kDescriptorsPerHelper = 3;
    // Threads that mostly wait for the disk: a few more than the processors are worth it,
    // as a disk serves several requests at once.
    static constexpr int kMostHelpers = 8;

    // A folder whose first entries took this long to read came from the disk, and so will
    // its files. From the cache they take a few microseconds.
    static constexpr auto kColdListing = std::chrono::microseconds(40);
    // The most files of one folder whose first bytes are read ahead.
    static constexpr std::size_t kMostFilesAhead = 256;
    // Listings kept for the walk: of one folder, and of all the folders not taken yet.
    static constexpr std::size_t kMostListingBytes = std::size_t{1} << 20;
    static constexpr std::size_t kMostListedBytes = std::size_t{8} << 20;
    static constexpr std::size_t kMostListed = 256;
    // A listing the walk has not taken after this many folders will not be taken.
    static constexpr std::uint64_t kStaleAfter = 4096;

    // The files whose first bytes are read ahead (`on`), or which are described as
    // Directory::stat() would for the walk to take with the listing (`describe`, for a
    // search by names): none, or those whose names pass a test.
    struct FileFilter {
        bool on = false;
        bool describe = false;
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

    // Hands over subfolders of the folder at `parent` (a path ending with '/', its key
    // `parentKey`), the first of them its subfolder number `firstIndex`, the others the
    // ones after it. Those on another device than `device`, the parent's, are left to the
    // walk.
    void add(const std::string& parent, std::uint64_t device,
             std::span<const std::uint32_t> parentKey, std::uint32_t firstIndex,
             const std::vector<std::string_view>& names);

    // A new look-in folder: the folders still waiting belong to the walk before, and their
    // keys to another tree.
    void forgetWaiting();

    // The folder the walk has just opened at `path` (ending with '/'), to be listed: with
    // a helper's listing of it when there is one (waited for while a helper is listing
    // it), else `dir` itself. What is returned enumerates the entries and does everything
    // else through `dir`.
    std::unique_ptr<Directory> adopt(const std::string& path, std::span<const std::uint32_t> key,
                                     std::unique_ptr<Directory> dir);

    // The folders listed ahead by every read-ahead of the process so far, and those whose
    // listing a walk took, for tests.
    static std::size_t listedInProcess();
    static std::size_t adoptedInProcess();

  private:
    using Key = std::vector<std::uint32_t>;
    struct Pending {
        std::string path;      // ends with '/'
        std::uint64_t device;  // the parent's
    };
    enum class Described : char { kNotAsked, kYes, kFailed };
    // Entries as Directory::next() gave them: per entry its name's length (4 bytes), its
    // type (1 byte), whether it was described (1 byte, Described), the name, and when it
    // was, the EntryInfo that Directory::stat() gave.
    struct Listing {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::string entries;
        std::uint64_t stamp = 0;  // the walk's adopt() calls when it was made
    };
    class ListedFolder;

    void helperMain();
    void list(const Key& key, const Pending& folder, FileFilter& files);
    // Under the lock: the helper is done with the folder at `path`; its listing is kept
    // when there is one.
    void finishLocked(const std::string& path, Listing* listing);
    // Under the lock: subfolders of `parent` wait for a helper.
    template <typename Names>
    void pushLocked(const std::string& parent, std::uint64_t device,
                    std::span<const std::uint32_t> parentKey, std::uint32_t firstIndex,
                    const Names& names);
    bool keptFullLocked() const;
    void dropStaleLocked();

    FileSystem& fs_;
    const FileFilter files_;  // each helper tests names with a copy
    std::mutex lock_;
    std::condition_variable changed_;  // for the helpers
    std::condition_variable listed_;   // for the walk, waiting for a folder being listed
    std::map<Key, Pending> pending_;   // nearest to the walk first
    std::atomic<std::size_t> pendingCount_{0};
    std::unordered_set<std::string> listing_;  // paths the helpers are listing now
    std::unordered_map<std::string, Listing> kept_;
    std::size_t keptBytes_ = 0;
    std::uint64_t adopts_ = 0;
    int idleHelpers_ = 0;
    const std::string* waitingFor_ = nullptr;  // the path the walk waits for a helper to list
    bool ending_ = false;
    std::vector<std::thread> helpers_;
};

// Whether walks read ahead: when the disk turns out to be cold (kWhenCold), unless
// SCOUTWELL_READAHEAD says 0 (never) or 1 (from the start of every walk; read once, at the
// first call). The plain algorithms never do.
enum class ReadAheadMode { kOff, kWhenCold, kAlways };
ReadAheadMode readAheadMode();
// Overrides the environment's choice for the whole process. Set it before a search starts.
void setReadAheadMode(ReadAheadMode mode);
inline constexpr const char* kReadAheadVariable = "SCOUTWELL_READAHEAD";

}  // namespace scoutwell
