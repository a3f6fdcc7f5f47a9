#include "engine/WalkReadAhead.h"

#include <pthread.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "engine/FileSystem.h"

namespace scoutwell {
namespace {

std::atomic<std::size_t> listedTotal{0};
// -1 until the environment has been read or a caller has decided.
std::atomic<int> readAheadState{-1};

}  // namespace

bool readAheadOn() {
    int state = readAheadState.load(std::memory_order_relaxed);
    if (state < 0) {
        const char* value = std::getenv(kReadAheadVariable);
        int expected = -1;
        readAheadState.compare_exchange_strong(
            expected, value != nullptr && std::strcmp(value, "0") == 0 ? 0 : 1,
            std::memory_order_relaxed);
        state = readAheadState.load(std::memory_order_relaxed);
    }
    return state == 1;
}

void setReadAhead(bool on) {
    readAheadState.store(on ? 1 : 0, std::memory_order_relaxed);
}

std::size_t WalkReadAhead::listedInProcess() {
    return listedTotal.load(std::memory_order_relaxed);
}

WalkReadAhead::WalkReadAhead(FileSystem& fs, int helpers, FileFilter files)
    : fs_(fs), files_(std::move(files)) {
    const int count = std::clamp(helpers, 0, kMostHelpers);
    for (int i = 0; i < count; ++i)
        helpers_.emplace_back([this] { helperMain(); });
}

WalkReadAhead::~WalkReadAhead() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        ending_ = true;
        pending_.clear();
    }
    changed_.notify_all();
    for (std::thread& helper : helpers_)
        helper.join();
}

void WalkReadAhead::add(const std::string& parent, const std::vector<std::string_view>& names) {
    if (names.empty() || helpers_.empty())
        return;
    {
        std::lock_guard<std::mutex> guard(lock_);
        for (auto name = names.rbegin(); name != names.rend(); ++name)
            pending_.push_front(Pending{parent, std::string(*name)});
        while (pending_.size() > kMostPending)
            pending_.pop_back();
        pendingCount_.store(pending_.size(), std::memory_order_relaxed);
    }
    changed_.notify_all();
}

void WalkReadAhead::helperMain() {
    pthread_setname_np(pthread_self(), "scoutwell-ahead");
    FileFilter files = files_;
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
        changed_.wait(lock, [this] { return ending_ || !pending_.empty(); });
        if (ending_)
            return;
        const Pending folder = std::move(pending_.front());
        pending_.pop_front();
        pendingCount_.store(pending_.size(), std::memory_order_relaxed);
        lock.unlock();
        list(folder, files);
        lock.lock();
    }
}

// Opened from its parent, so that the parent's rules apply: a folder on another file
// system or a pseudo one is not opened (the walk keeps to its look-in folder's file
// system then, or skips it), and a link is not followed.
void WalkReadAhead::list(const Pending& folder, FileFilter& files) {
    std::unique_ptr<Directory> parent = fs_.openFolder(folder.parent, /*stayOnFileSystem=*/true);
    if (!parent)
        return;
    std::unique_ptr<Directory> dir = parent->openSubfolder(folder.name);
    parent.reset();
    std::string firstSubfolder;
    std::vector<std::string> aheadFiles;
    for (int depth = 0; dir && depth < kChainDepth; ++depth) {
        firstSubfolder.clear();
        aheadFiles.clear();
        std::string_view name;
        EntryType type = EntryType::Unknown;
        const auto start = std::chrono::steady_clock::now();
        while (dir->next(name, type)) {
            if (type == EntryType::Directory && firstSubfolder.empty())
                firstSubfolder.assign(name);
            else if (type == EntryType::File && files.on && aheadFiles.size() < kMostFilesAhead &&
                     (files.everyName || files.matcher.contains(name) != files.exclude))
                aheadFiles.emplace_back(name);
        }
        dir->close();
        listedTotal.fetch_add(1, std::memory_order_relaxed);
        if (!aheadFiles.empty() && std::chrono::steady_clock::now() - start >= kColdListing) {
            for (const std::string& file : aheadFiles)
                dir->readFileAhead(file);
        }
        if (firstSubfolder.empty())
            break;
        {
            std::lock_guard<std::mutex> guard(lock_);
            if (ending_)
                break;
        }
        dir = dir->openSubfolder(firstSubfolder);
    }
}

}  // namespace scoutwell
