#include "engine/WalkReadAhead.h"

#include <pthread.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "engine/FileSystem.h"

namespace scoutwell {
namespace {

std::atomic<std::size_t> listedTotal{0};
std::atomic<std::size_t> adoptedTotal{0};
// -1 until the environment has been read or a caller has decided.
std::atomic<int> readAheadState{-1};

}  // namespace

ReadAheadMode readAheadMode() {
    int state = readAheadState.load(std::memory_order_relaxed);
    if (state < 0) {
        const char* value = std::getenv(kReadAheadVariable);
        const ReadAheadMode mode = value == nullptr               ? ReadAheadMode::kWhenCold
                                   : std::strcmp(value, "0") == 0 ? ReadAheadMode::kOff
                                   : std::strcmp(value, "1") == 0 ? ReadAheadMode::kAlways
                                                                  : ReadAheadMode::kWhenCold;
        int expected = -1;
        readAheadState.compare_exchange_strong(expected, static_cast<int>(mode),
                                               std::memory_order_relaxed);
        state = readAheadState.load(std::memory_order_relaxed);
    }
    return static_cast<ReadAheadMode>(state);
}

void setReadAheadMode(ReadAheadMode mode) {
    readAheadState.store(static_cast<int>(mode), std::memory_order_relaxed);
}

std::size_t WalkReadAhead::listedInProcess() {
    return listedTotal.load(std::memory_order_relaxed);
}

std::size_t WalkReadAhead::adoptedInProcess() {
    return adoptedTotal.load(std::memory_order_relaxed);
}

// A folder the walk opened, enumerated from a helper's listing of it.
class WalkReadAhead::ListedFolder : public Directory {
  public:
    ListedFolder(std::unique_ptr<Directory> dir, std::string entries)
        : dir_(std::move(dir)), entries_(std::move(entries)) {}

    bool next(std::string_view& name, EntryType& type) override {
        if (at_ >= entries_.size())
            return false;
        std::uint32_t length = 0;
        std::memcpy(&length, entries_.data() + at_, sizeof length);
        at_ += sizeof length;
        type = static_cast<EntryType>(entries_[at_++]);
        described_ = static_cast<Described>(entries_[at_++]);
        name = std::string_view(entries_.data() + at_, length);
        at_ += length;
        if (described_ == Described::kYes) {
            std::memcpy(&info_, entries_.data() + at_, sizeof info_);
            at_ += sizeof info_;
        }
        current_ = name.data();
        return true;
    }
    // The entry next() gave last was described by the helper as stat() would have.
    bool stat(std::string_view name, EntryInfo& info) override {
        if (name.data() != current_ || described_ == Described::kNotAsked)
            return dir_->stat(name, info);
        if (described_ == Described::kFailed)
            return false;
        info = info_;
        return true;
    }
    std::unique_ptr<Directory> openSubfolder(std::string_view name) override {
        return dir_->openSubfolder(name);
    }
    std::unique_ptr<Directory> openParent() override { return dir_->openParent(); }
    bool close() override {
        at_ = entries_.size();
        return dir_->close();
    }
    bool identity(std::uint64_t& device, std::uint64_t& inode) const override {
        return dir_->identity(device, inode);
    }
    std::unique_ptr<ReadableFile> openFile(std::string_view name, EntryInfo& info) override {
        return dir_->openFile(name, info);
    }
    void readFileAhead(std::string_view name) override { dir_->readFileAhead(name); }

  private:
    std::unique_ptr<Directory> dir_;
    std::string entries_;
    std::size_t at_ = 0;
    const char* current_ = nullptr;  // the name of the entry given last
    Described described_ = Described::kNotAsked;
    EntryInfo info_;
};

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

void WalkReadAhead::add(const std::string& parent, std::uint64_t device,
                        std::span<const std::uint32_t> parentKey, std::uint32_t firstIndex,
                        const std::vector<std::string_view>& names) {
    if (names.empty() || helpers_.empty())
        return;
    bool wake = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        pushLocked(parent, device, parentKey, firstIndex, names);
        wake = idleHelpers_ > 0;
    }
    if (wake)
        changed_.notify_all();
}

template <typename Names>
void WalkReadAhead::pushLocked(const std::string& parent, std::uint64_t device,
                               std::span<const std::uint32_t> parentKey, std::uint32_t firstIndex,
                               const Names& names) {
    Key key(parentKey.begin(), parentKey.end());
    key.push_back(firstIndex);
    for (const auto& name : names) {
        std::string path;
        path.reserve(parent.size() + name.size() + 1);
        path += parent;
        path += name;
        path += '/';
        pending_.try_emplace(key, Pending{std::move(path), device});
        ++key.back();
    }
    while (pending_.size() > kMostPending)
        pending_.erase(std::prev(pending_.end()));
    pendingCount_.store(pending_.size(), std::memory_order_relaxed);
}

bool WalkReadAhead::keptFullLocked() const {
    return kept_.size() >= kMostListed || keptBytes_ >= kMostListedBytes;
}

void WalkReadAhead::helperMain() {
    pthread_setname_np(pthread_self(), "scoutwell-ahead");
    FileFilter files = files_;
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
        // Listings the walk has not come for yet hold the helpers back.
        ++idleHelpers_;
        changed_.wait(lock, [this] { return ending_ || (!pending_.empty() && !keptFullLocked()); });
        --idleHelpers_;
        if (ending_)
            return;
        auto nearest = pending_.extract(pending_.begin());
        pendingCount_.store(pending_.size(), std::memory_order_relaxed);
        listing_.insert(nearest.mapped().path);
        lock.unlock();
        list(nearest.key(), nearest.mapped(), files);
        lock.lock();
    }
}

void WalkReadAhead::forgetWaiting() {
    std::lock_guard<std::mutex> guard(lock_);
    pending_.clear();
    pendingCount_.store(0, std::memory_order_relaxed);
}

std::unique_ptr<Directory> WalkReadAhead::adopt(const std::string& path,
                                                std::span<const std::uint32_t> key,
                                                std::unique_ptr<Directory> dir) {
    if (helpers_.empty() || !dir)
        return dir;
    Listing listing;
    bool wake = false;
    {
        std::unique_lock<std::mutex> lock(lock_);
        ++adopts_;
        for (;;) {
            if (keptFullLocked() && adopts_ % kStaleAfter == 0)
                dropStaleLocked();
            if (const auto kept = kept_.find(path); kept != kept_.end()) {
                // A helper held back by the kept listings may go on.
                wake = keptFullLocked() && idleHelpers_ > 0;
                listing = std::move(kept->second);
                kept_.erase(kept);
                keptBytes_ -= listing.entries.size();
                break;
            }
            if (!listing_.contains(path)) {
                // Not started: the walk lists it now, and no helper need.
                const auto waiting = pending_.find(Key(key.begin(), key.end()));
                if (waiting != pending_.end() && waiting->second.path == path) {
                    pending_.erase(waiting);
                    pendingCount_.store(pending_.size(), std::memory_order_relaxed);
                }
                return dir;
            }
            waitingFor_ = &path;
            listed_.wait(lock);
            waitingFor_ = nullptr;
        }
    }
    if (wake)
        changed_.notify_one();
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    if (!dir->identity(device, inode) || device != listing.device || inode != listing.inode)
        return dir;
    adoptedTotal.fetch_add(1, std::memory_order_relaxed);
    return std::make_unique<ListedFolder>(std::move(dir), std::move(listing.entries));
}

// By its whole path, one call instead of one for the parent and one for the folder: the
// walk takes the listing only for the folder it opened itself by its own rules, and a
// folder on another file system than its parent's is left to the walk. When the folder is
// listed its subfolders wait for the helpers by their keys.
void WalkReadAhead::list(const Key& key, const Pending& folder, FileFilter& files) {
    std::unique_ptr<Directory> dir = fs_.openFolder(folder.path, /*stayOnFileSystem=*/true);
    Listing listing;
    if (dir && (!dir->identity(listing.device, listing.inode) || listing.device != folder.device))
        dir.reset();
    if (!dir) {
        std::lock_guard<std::mutex> guard(lock_);
        finishLocked(folder.path, nullptr);
        return;
    }
    std::vector<std::string> subfolders;
    std::vector<std::string> aheadFiles;
    bool keep = true;
    std::string_view name;
    EntryType type = EntryType::Unknown;
    const auto start = std::chrono::steady_clock::now();
    bool cold = false;
    bool first = true;
    errno = 0;
    while (dir->next(name, type)) {
        if (first) {
            first = false;
            cold = std::chrono::steady_clock::now() - start >= kColdListing;
        }
        const bool passes = type != EntryType::Directory && (files.on || files.describe) &&
                            (files.everyName || files.matcher.contains(name) != files.exclude);
        if (type == EntryType::Directory)
            subfolders.emplace_back(name);
        else if (type == EntryType::File && files.on && passes &&
                 aheadFiles.size() < kMostFilesAhead)
            aheadFiles.emplace_back(name);
        if (keep) {
            const auto length = static_cast<std::uint32_t>(name.size());
            listing.entries.append(reinterpret_cast<const char*>(&length), sizeof length);
            listing.entries += static_cast<char>(type);
            EntryInfo info;
            const Described described = !(files.describe && passes) ? Described::kNotAsked
                                        : dir->stat(name, info)     ? Described::kYes
                                                                    : Described::kFailed;
            listing.entries += static_cast<char>(described);
            listing.entries.append(name);
            if (described == Described::kYes)
                listing.entries.append(reinterpret_cast<const char*>(&info), sizeof info);
            if (listing.entries.size() > kMostListingBytes) {
                keep = false;
                listing.entries = std::string();
            }
        }
        errno = 0;
    }
    // A listing cut short by an error is not the walk's to take: it lists the folder
    // itself and meets the error there.
    if (errno != 0)
        keep = false;
    dir->close();
    listedTotal.fetch_add(1, std::memory_order_relaxed);
    bool wake = false;
    {
        std::lock_guard<std::mutex> guard(lock_);
        finishLocked(folder.path, keep ? &listing : nullptr);
        if (!ending_ && !subfolders.empty()) {
            pushLocked(folder.path, folder.device, key, 0, subfolders);
            wake = idleHelpers_ > 0;
        }
    }
    if (wake)
        changed_.notify_all();
    if (cold) {
        for (const std::string& file : aheadFiles)
            dir->readFileAhead(file);
    }
}

void WalkReadAhead::finishLocked(const std::string& path, Listing* listing) {
    listing_.erase(path);
    if (listing != nullptr && !ending_) {
        if (const auto old = kept_.find(path); old != kept_.end())
            keptBytes_ -= old->second.entries.size();
        keptBytes_ += listing->entries.size();
        listing->stamp = adopts_;
        kept_.insert_or_assign(path, std::move(*listing));
    }
    if (waitingFor_ != nullptr && *waitingFor_ == path)
        listed_.notify_one();
}

// A listing the walk did not come for long after it was made (it could not open the
// folder, or left it out) makes way for new ones.
void WalkReadAhead::dropStaleLocked() {
    std::erase_if(kept_, [this](const auto& kept) {
        const bool stale = adopts_ - kept.second.stamp > kStaleAfter;
        if (stale)
            keptBytes_ -= kept.second.entries.size();
        return stale;
    });
}

}  // namespace scoutwell
