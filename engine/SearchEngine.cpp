#include "engine/SearchEngine.h"

#include <chrono>

#include <pthread.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <thread>

#include "engine/Archives.h"
#include "engine/Clock.h"
#include "engine/FileSystem.h"
#include "engine/Messages.h"
#include "engine/ScanBuffers.h"
#include "engine/ScanPool.h"
#include "engine/SearchCriteria.h"
#include "engine/Text.h"
#include "engine/Tuning.h"
#include "engine/WalkReadAhead.h"
#include "engine/WindowMessages.h"

namespace scoutwell {
namespace {

constexpr std::uint32_t kFolderNoteInterval = 100;
constexpr std::uint32_t kNewResultsInterval = 500;
constexpr std::int32_t kProgressInterval = 500;
constexpr std::int64_t kBigFile = 2000000;
constexpr std::int64_t kProgressMegabyte = 1024000;
constexpr int kProgressSteps = 50;
// How many subfolders the walk hands the read-ahead at a time when it runs short, and
// (all) of a folder the walk has just listed itself.
constexpr std::size_t kReadAheadBatch = 16;
constexpr std::size_t kReadAheadAll = std::numeric_limits<std::size_t>::max();
// Of the last 64 folders the walk listed itself, how many must have been slow to read
// for the read-ahead to start.
constexpr int kColdListings = 16;
// How many folders of the stack, from the top, it takes them from: a deep walk does not
// look at every folder above it each time.
constexpr std::size_t kReadAheadLevels = 4;
// How often the walk frees descriptors and tries an open again before it gives up.
constexpr int kOpenAttempts = 5;
constexpr auto kOpenRetryPause = std::chrono::milliseconds(20);

inline constexpr const char* kDriveListFailed = "fillDriveList failed to GetLogicalDriveStrings";

}  // namespace

int fillDriveList(DriveList& list, bool fixedOnly) {
    list.clear();
    FileSystem* fs = fileSystem();
    if (!fs) {
        showMessage(kDriveListFailed);
        return 0;
    }
    for (const MountPoint& m : fs->mounts()) {
        if (!fixedOnly || m.local)
            list.push_back(m.path);
    }
    if (list.empty())
        list.push_back("/");
    return static_cast<int>(list.size());
}

SearchEngine::SearchEngine(SearchCriteria* criteria, SearchNotifier* notifier)
    : criteria_(criteria), notifier_(notifier) {}

SearchEngine::~SearchEngine() {
    join();
}

void SearchEngine::start() {
    {
        std::lock_guard<std::mutex> guard(endLock_);
        ended_ = false;
    }
    thread_ = std::thread([this] {
        pthread_setname_np(pthread_self(), "scoutwell-search");
        run();
        {
            std::lock_guard<std::mutex> guard(endLock_);
            ended_ = true;
        }
        endSignal_.notify_all();
    });
}

bool SearchEngine::waitForEnd(int milliseconds) {
    if (!thread_.joinable())
        return true;
    std::unique_lock<std::mutex> guard(endLock_);
    return endSignal_.wait_for(guard, std::chrono::milliseconds(milliseconds),
                               [this] { return ended_; });
}

void SearchEngine::join() {
    if (thread_.joinable())
        thread_.join();
}

bool SearchEngine::stopRequested() const {
    return criteria_->stopRequested();
}

void SearchEngine::postNote(int message, int position, std::string text) {
    if (notifier_) {
        notifier_->post(message, std::make_unique<SearchProgressNote>(position, std::move(text)));
    }
}

void SearchEngine::postNewResults(bool throttled) {
    if (!notifier_ || !itemsAdded_.load(std::memory_order_relaxed))
        return;
    if (throttled) {
        const std::uint32_t now = tickCount();
        if (now - lastNewResultsTick_ <= kNewResultsInterval)
            return;
        lastNewResultsTick_ = now;
    }
    itemsAdded_.store(false, std::memory_order_relaxed);
    notifier_->post(WM_SEARCH_NEWRESULTS, nullptr);
}

void SearchEngine::deliver(const FoundItem& item, bool firstPiece) {
    if (criteria_->sink) {
        if (firstPiece)
            criteria_->sink->startHits(item);
        else
            criteria_->sink->add(item);
    }
    itemsAdded_.store(true, std::memory_order_relaxed);
}

int SearchEngine::run() {
    if (!criteria_)
        return 0;
    SearchCriteria& c = *criteria_;
    int result = 1;
    std::vector<std::pair<std::string, bool>> folders;  // path, keep to its file system
    try {
        pendingFiles_.clear();
        nameFilterOn_ = !c.fileName.empty();
        dateFilterOn_ = c.modifiedAfterOn || c.modifiedBeforeOn;
        sizeFilterOn_ = c.sizeMoreThanOn || c.sizeLessThanOn;

        budget_ = DescriptorBudget::forSearch(scanThreads());
        FileSystem* const fs = fileSystem();
        const bool readingAhead = c.subfolders && fs && fs->opensFoldersOnAnyThread() &&
                                  !plainAlgorithm() && readAheadMode() != ReadAheadMode::kOff;
        if (!readingAhead) {
            // The queue takes back the descriptors the read-ahead would have had.
            budget_.queuedFiles =
                std::min(DescriptorBudget::kMostQueuedFiles,
                         budget_.queuedFiles + static_cast<std::size_t>(budget_.readAheadHelpers) *
                                                   WalkReadAhead::kDescriptorsPerHelper);
            budget_.readAheadHelpers = 0;
        }
        bool contentsReady = true;
        if (c.searchContents) {
            contentsReady = contentsExpression_.set(c.containingText, c.matchContentsCase,
                                                    /*compileNow=*/true, nullptr);
            if (!buffers_)
                buffers_ = std::make_unique<ScanBuffers>(FoundFile::kBufferSize);
            if (!contentsReady) {
                result = 0;
            } else {
                scanPool_ = std::make_unique<ScanPool>(
                    c, contentsExpression_, *buffers_, budget_.threads,
                    [this](const FoundFile& file, bool firstPiece) { deliver(file, firstPiece); });
                scanPool_->setOpenFileLimit(budget_.queuedFiles);
                // Files found by other threads are announced while the walk waits.
                scanPool_->setWaitHook([this] { postNewResults(/*throttled=*/true); });
            }
        }

        readAheadWanted_ = contentsReady && budget_.readAheadHelpers > 0;
        recentListings_ = 0;
        if (readAheadWanted_ && readAheadMode() == ReadAheadMode::kAlways)
            startReadAhead();
        if (contentsReady) {
            const std::string& label = searchEnvironment().localDrivesLabel;
            for (const std::string& entry : c.lookIn) {
                if (!label.empty() && entry == label) {
                    DriveList drives;
                    fillDriveList(drives, /*fixedOnly=*/true);
                    for (std::string& d : drives)
                        folders.emplace_back(std::move(d), true);
                } else {
                    folders.emplace_back(entry, false);
                }
            }
            for (const auto& [folder, stay] : folders) {
                if (stopRequested())
                    break;
                searchLookInFolder(folder, stay);
            }
            // The read-ahead's helpers end with the walk.
            readAhead_.reset();
            if (c.searchContents && !c.onePhaseSearch)
                secondPhase();
            if (scanPool_) {
                // The one-phase search's last results are announced with the end.
                scanPool_->setWaitHook(nullptr);
                scanPool_->finish();
            }
            postNewResults(/*throttled=*/false);
        }
    } catch (const OutOfDescriptors&) {
        failed_ = true;
        readAhead_.reset();
        scanPool_.reset();
        pendingFiles_.clear();
        showMessage(text::format(kOutOfDescriptorsMessage, openFileLimit()));
    } catch (const std::bad_alloc&) {
        failed_ = true;
        readAhead_.reset();
        scanPool_.reset();
        buffers_.reset();
        pendingFiles_.clear();
        showMessage(kOutOfMemoryMessage);
    } catch (...) {
        failed_ = true;
        readAhead_.reset();
        scanPool_.reset();
        buffers_.reset();
        pendingFiles_.clear();
        showMessage(kUnexpectedExceptionMessage);
    }
    scanPool_.reset();
    readAhead_.reset();
    folders.clear();
    if (!stopRequested() && notifier_)
        notifier_->post(WM_SEARCH_DONE, nullptr);
    criteria_ = nullptr;
    return result;
}

void SearchEngine::startReadAhead() {
    if (FileSystem* const fs = fileSystem())
        readAhead_ = std::make_unique<WalkReadAhead>(*fs, budget_.readAheadHelpers, filesAhead());
}

// Most of the last folders listed slow: the disk is cold. On a warm one a listing now and
// then is slow too (a big folder, the thread made to wait), and the helpers would only
// add work there.
void SearchEngine::noteListingTime(std::chrono::steady_clock::duration took) {
    recentListings_ = (recentListings_ << 1) | (took >= WalkReadAhead::kColdListing ? 1 : 0);
    if (std::popcount(recentListings_) >= kColdListings)
        startReadAhead();
}

WalkReadAhead::FileFilter SearchEngine::filesAhead() const {
    const SearchCriteria& c = *criteria_;
    WalkReadAhead::FileFilter files;
    // Only a scan that reads each file as the walk finds it wants them soon, a search by
    // names wants them described, and only names the quick test can judge are judged
    // ahead. Members of archives are looked for by opening every file, which describes it.
    if (c.searchContents ? !c.onePhaseSearch : c.searchCompressed)
        return files;
    if (!c.fileName.empty()) {
        SearchExpression name;
        if (!name.set(c.fileName, c.matchFilenameCase, /*compileNow=*/true, nullptr) ||
            !files.matcher.set(name.pattern(), name.matchCase())) {
            return files;
        }
        files.everyName = false;
        files.exclude = c.excludeFilename;
    }
    files.on = c.searchContents;
    files.describe = !c.searchContents;
    return files;
}

void SearchEngine::searchLookInFolder(const std::string& folder, bool stayOnFileSystem) {
    const SearchCriteria& c = *criteria_;
    if (!nameExpression_.set(c.fileName, c.matchFilenameCase, /*compileNow=*/true, nullptr)) {
        return;
    }
    FileSystem* fs = fileSystem();
    if (!fs)
        return;
    nameMatcherOn_ = !plainAlgorithm() &&
                     nameMatcher_.set(nameExpression_.pattern(), nameExpression_.matchCase());
    std::unique_ptr<Directory> dir =
        openFolderWith([&] { return fs->openFolder(folder, stayOnFileSystem); }, nullptr);
    if (!dir)
        return;
    walkPath_ = folder;
    walkKey_.clear();
    if (readAhead_)
        readAhead_->forgetWaiting();
    subfolderNames_.clear();
    walkTree(std::move(dir));
}

// One folder on the walk's stack, from its listing until its last subfolder is done.
struct SearchEngine::WalkFrame {
    std::unique_ptr<Directory> dir;  // null while let go to save descriptors
    std::size_t pathLength;          // of walkPath_ for this folder
    std::size_t namesStart;          // its pending subfolder names in subfolderNames_
    std::size_t namesEnd;
    std::size_t nextName;         // the next pending name to walk into
    std::size_t aheadName;        // the next pending name not handed to the read-ahead yet
    std::uint32_t nextIndex = 0;  // their numbers among the folder's subfolders
    std::uint32_t aheadIndex = 0;
};

// Depth-first with an explicit stack, so no depth of tree exhausts the thread's stack, and
// with descriptors held for the look-in folder and the deepest budget_.heldLevels folders
// only. A folder let go is opened again when the walk comes back to it: from its child
// where the file system can do that safely, else down from the nearest folder still held.
void SearchEngine::walkTree(std::unique_ptr<Directory> root) {
    std::vector<WalkFrame> stack;
    auto enter = [&](std::unique_ptr<Directory> dir) {
        const std::size_t namesStart = subfolderNames_.size();
        const Directory* const opened = dir.get();
        if (readAhead_)
            dir = readAhead_->adopt(walkPath_, walkKey_, std::move(dir));
        listFolder(*dir);
        // The helper that listed the folder has lined up its subfolders already.
        const bool adopted = dir.get() != opened;
        stack.push_back({std::move(dir), walkPath_.size(), namesStart, subfolderNames_.size(),
                         namesStart, adopted ? subfolderNames_.size() : namesStart});
        // Else its subfolders are the helpers' next work.
        if (readAhead_ && !adopted)
            readAhead(stack, stack.size() - 1, kReadAheadAll);
        if (stack.size() > budget_.heldLevels + 1)
            stack[stack.size() - budget_.heldLevels - 1].dir.reset();
    };
    enter(std::move(root));
    while (!stack.empty()) {
        WalkFrame& frame = stack.back();
        if (frame.nextName >= frame.namesEnd || stopRequested()) {
            subfolderNames_.resize(frame.namesStart);
            std::unique_ptr<Directory> child = std::move(frame.dir);
            stack.pop_back();
            if (stack.empty())
                break;
            walkKey_.pop_back();
            walkPath_.resize(stack.back().pathLength);
            if (!stack.back().dir)
                reopenTop(stack, child.get());
            continue;
        }
        std::uint32_t length = 0;
        std::memcpy(&length, subfolderNames_.data() + frame.nextName, sizeof length);
        // A view only until the child is listed, which may move the names' storage.
        const std::string_view sub(subfolderNames_.data() + frame.nextName + sizeof length, length);
        frame.nextName += sizeof length + length;
        const std::uint32_t index = frame.nextIndex++;
        if (readAhead_ && readAhead_->hungry())
            readAhead(stack, stack.size() - std::min(stack.size(), kReadAheadLevels),
                      kReadAheadBatch);
        Directory& parent = *frame.dir;
        std::unique_ptr<Directory> child =
            openFolderWith([&] { return parent.openSubfolder(sub); }, &stack);
        if (child) {
            walkPath_.append(sub);
            walkPath_ += '/';
            walkKey_.push_back(index);
            enter(std::move(child));
        }
    }
}

void SearchEngine::readAhead(std::vector<WalkFrame>& stack, std::size_t lowestLevel,
                             std::size_t most) {
    // The top folder's next subfolders first, then those of the folders below it in the
    // stack.
    struct Span {
        std::size_t level, from, to;
        std::uint32_t firstIndex;
    };
    Span spans[kReadAheadLevels];
    std::size_t spanCount = 0;
    std::size_t handed = 0;
    for (std::size_t level = stack.size(); level > lowestLevel && handed < most;) {
        WalkFrame& frame = stack[--level];
        const bool fromAhead = frame.aheadName > frame.nextName;
        const std::size_t from = fromAhead ? frame.aheadName : frame.nextName;
        const std::uint32_t fromIndex = fromAhead ? frame.aheadIndex : frame.nextIndex;
        std::size_t at = from;
        std::uint32_t count = 0;
        while (at < frame.namesEnd && handed < most) {
            std::uint32_t length = 0;
            std::memcpy(&length, subfolderNames_.data() + at, sizeof length);
            at += sizeof length + length;
            ++handed;
            ++count;
        }
        if (at > from)
            spans[spanCount++] = {level, from, at, fromIndex};
        frame.aheadName = at;
        frame.aheadIndex = fromIndex + count;
    }
    while (spanCount > 0) {
        const Span& span = spans[--spanCount];
        // A folder let go has no device to tell; its subfolders are listed by the walk.
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        const Directory* parent = stack[span.level].dir.get();
        if (!parent || !parent->identity(device, inode))
            continue;
        aheadNames_.clear();
        for (std::size_t at = span.from; at < span.to;) {
            std::uint32_t length = 0;
            std::memcpy(&length, subfolderNames_.data() + at, sizeof length);
            aheadNames_.emplace_back(subfolderNames_.data() + at + sizeof length, length);
            at += sizeof length + length;
        }
        readAhead_->add(walkPath_.substr(0, stack[span.level].pathLength), device,
                        std::span<const std::uint32_t>(walkKey_.data(), span.level),
                        span.firstIndex, aheadNames_);
    }
}

std::unique_ptr<Directory> SearchEngine::openFolderWith(
    const std::function<std::unique_ptr<Directory>()>& open, std::vector<WalkFrame>* stack) {
    for (int attempt = 1;; ++attempt) {
        errno = 0;
        std::unique_ptr<Directory> dir = open();
        if (dir || !outOfDescriptors(errno) || stopRequested())
            return dir;
        if (attempt == kOpenAttempts)
            throw OutOfDescriptors();
        if (scanPool_)
            scanPool_->releaseOpenFiles();
        // The folders between the look-in folder and the one being listed are opened
        // again when the walk comes back to them.
        if (stack && stack->size() > 2) {
            for (std::size_t level = 1; level + 1 < stack->size(); ++level)
                (*stack)[level].dir.reset();
        }
        if (attempt > 1)
            std::this_thread::sleep_for(kOpenRetryPause);
    }
}

void SearchEngine::reopenTop(std::vector<WalkFrame>& stack, Directory* child) {
    WalkFrame& top = stack.back();
    if (child)
        top.dir = openFolderWith([&] { return child->openParent(); }, nullptr);
    if (top.dir)
        return;
    std::size_t held = stack.size() - 1;
    while (held > 0 && !stack[held].dir)
        --held;
    Directory* from = stack[held].dir.get();
    std::unique_ptr<Directory> opened;
    for (std::size_t level = held + 1; from && level < stack.size(); ++level) {
        const std::size_t nameStart = stack[level - 1].pathLength;
        const std::string_view name(walkPath_.data() + nameStart,
                                    stack[level].pathLength - nameStart - 1);
        opened = openFolderWith([&] { return from->openSubfolder(name); }, nullptr);
        from = opened.get();
    }
    top.dir = std::move(opened);
    // A folder that cannot be reached again is skipped with what is left of its subtree,
    // as a folder that cannot be entered is.
    if (!top.dir)
        top.nextName = top.namesEnd;
}

void SearchEngine::listFolder(Directory& dir) {
    const SearchCriteria& c = *criteria_;
    // Children only append to walkPath_ after this folder's own entries are done.
    const std::string& folder = walkPath_;
    if (notifier_) {
        const std::uint32_t now = tickCount();
        if (now - lastFolderNoteTick_ > kFolderNoteInterval) {
            postNote(WM_SEARCH_FOLDER, 0, text::format(kFolderNoteFormat, 1, folder.c_str()));
            lastFolderNoteTick_ = now;
        }
    }

    // Folders are offered as results only when nothing about them could fail a test they
    // cannot take (a size) or a scan they cannot have (contents).
    const bool foldersAreCandidates = !sizeFilterOn_ && !c.searchContents;
    SharedText location;  // made at the first item of this folder
    auto locationText = [&] {
        if (!location)
            location = makeSharedText(folder);
        return location;
    };
    auto nameMatches = [&](std::string_view name) {
        if (!nameFilterOn_)
            return true;
        if (nameMatcherOn_)
            return nameMatcher_.contains(name) != c.excludeFilename;
        int start = 0, length = 0;
        return nameExpression_.find(name, start, length) != c.excludeFilename;
    };

    std::string_view name;
    EntryType type = EntryType::Unknown;
    // The first entries of a folder the walk lists itself tell whether they came from
    // the disk; on a cold disk the read-ahead starts.
    const bool timed = readAheadWanted_ && !readAhead_;
    const auto listingStart =
        timed ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point();
    bool firstEntry = timed;
    while (dir.next(name, type)) {
        if (firstEntry) {
            firstEntry = false;
            noteListingTime(std::chrono::steady_clock::now() - listingStart);
        }
        if (type == EntryType::Directory) {
            if (c.subfolders) {
                const auto length = static_cast<std::uint32_t>(name.size());
                subfolderNames_.append(reinterpret_cast<const char*>(&length), sizeof length);
                subfolderNames_.append(name);
            }
            if (foldersAreCandidates && nameMatches(name)) {
                EntryInfo info;
                if (dir.stat(name, info) && (!dateFilterOn_ || passesDate(c, info.modified))) {
                    deliver(FoundFolder(locationText(), std::string(name), info.modified));
                }
            }
        } else if (c.searchCompressed) {
            entryWithMembers(dir, name, type, nameMatches(name), locationText);
        } else if (nameMatches(name)) {
            EntryInfo info;
            // A scan at once opens a regular file in its folder first, which describes
            // it as well: one call fewer than a stat and an open by path.
            std::unique_ptr<ReadableFile> opened;
            // Without a descriptor to spare, the file is opened by its path when scanned.
            if (c.searchContents && c.onePhaseSearch && type == EntryType::File &&
                scanPool_->mayTakeOpenFile()) {
                opened = dir.openFile(name, info);
            }
            if ((opened || dir.stat(name, info)) && (!sizeFilterOn_ || passesSize(c, info.size)) &&
                (!dateFilterOn_ || passesDate(c, info.modified))) {
                if (!c.searchContents) {
                    deliver(FoundFile(locationText(), std::string(name),
                                      static_cast<std::int64_t>(info.size), info.modified));
                } else {
                    auto file = std::make_unique<FoundFile>(locationText(), std::string(name),
                                                            static_cast<std::int64_t>(info.size),
                                                            info.modified);
                    if (c.onePhaseSearch)
                        scanPool_->submit(std::move(file), std::move(opened));
                    else
                        pendingFiles_.push_back(std::move(file));
                }
            }
        }
        if (stopRequested())
            break;
    }
    if (!dir.close())
        showMessage(kCloseFindHandleMessage);

    postNewResults(/*throttled=*/true);
}

// The members of archives, for a search by name and dates only: listed on the walking
// thread and delivered at once, in archive order.
class SearchEngine::MemberLister : public ArchiveVisitor {
  public:
    explicit MemberLister(SearchEngine& engine) : engine_(engine), test_(*engine.criteria_) {}

    bool member(FoundFile& item, Decoder& data, int /*depth*/) override {
        if (test_.passes(item))
            engine_.deliver(item);
        listIfArchive(item, data, *this, DecodeOptions{.insideCompressed = true});
        return !engine_.stopRequested();
    }
    void note(const FoundItem& item) override {
        if (engine_.criteria_->sink != nullptr)
            engine_.criteria_->sink->textCutShort(item);
    }
    bool stopped() const override { return engine_.stopRequested(); }

  private:
    SearchEngine& engine_;
    MemberTest test_;
};

void SearchEngine::entryWithMembers(Directory& dir, std::string_view name, EntryType type,
                                    bool nameMatched, const std::function<SharedText()>& location) {
    const SearchCriteria& c = *criteria_;
    EntryInfo info;
    std::unique_ptr<ReadableFile> opened;
    if (type == EntryType::File &&
        (!c.searchContents || (c.onePhaseSearch && scanPool_->mayTakeOpenFile()))) {
        opened = dir.openFile(name, info);
    }
    if (!opened && !dir.stat(name, info))
        return;
    const bool passes = nameMatched && (!sizeFilterOn_ || passesSize(c, info.size)) &&
                        (!dateFilterOn_ || passesDate(c, info.modified));
    auto file = std::make_unique<FoundFile>(location(), std::string(name),
                                            static_cast<std::int64_t>(info.size), info.modified);
    // Every file is looked into, as it may be an archive with members that pass.
    file->onlyMembers = !passes;
    if (c.searchContents) {
        if (c.onePhaseSearch)
            scanPool_->submit(std::move(file), std::move(opened));
        else
            pendingFiles_.push_back(std::move(file));
        return;
    }
    if (passes)
        deliver(*file);
    if (!opened) {
        if (FileSystem* fs = fileSystem())
            opened = fs->openForScan(*file->location, file->name);
    }
    if (opened) {
        MemberLister lister(*this);
        listIfArchive(*file, *opened, lister, DecodeOptions{.insideCompressed = true});
    }
}

void SearchEngine::secondPhase() {
    std::uint64_t total = 0;
    for (const auto& f : pendingFiles_)
        total += static_cast<std::uint64_t>(f->size);
    const long long totalMb = static_cast<long long>(total / kProgressMegabyte);
    std::uint64_t unit = total / kProgressSteps;
    if (unit == 0)
        unit = 1;
    // Bytes done are those of the files delivered or passed over, in order: files handed
    // to other threads are not done yet.
    std::uint32_t lastProgressTick = 0;
    const auto postProgress = [&](bool now) {
        const std::uint32_t tick = tickCount();
        const auto sinceProgress = static_cast<std::int32_t>(tick - lastProgressTick);
        if (!now && sinceProgress <= kProgressInterval && sinceProgress >= 0)
            return;
        const std::uint64_t done = scanPool_->bytesDone();
        postNote(WM_SEARCH_PROGRESS, static_cast<int>(done / unit),
                 text::format(kProgressNoteFormat, static_cast<int>(done / kProgressMegabyte),
                              static_cast<int>(totalMb)));
        lastProgressTick = tick;
    };
    if (notifier_)
        scanPool_->setWaitHook([&postProgress] { postProgress(false); });
    struct HookReset {
        ScanPool& pool;
        ~HookReset() { pool.setWaitHook(nullptr); }
    } hookReset{*scanPool_};

    for (auto& file : pendingFiles_) {
        if (stopRequested())
            break;
        if (notifier_) {
            const bool big = file->size > kBigFile;
            postProgress(big);
            postNewResults(/*throttled=*/true);
            const std::uint32_t now = tickCount();
            if (now - lastFolderNoteTick_ > kFolderNoteInterval || big) {
                postNote(WM_SEARCH_FOLDER, 0,
                         text::format(kFolderNoteFormat, 2, file->fullPath().c_str()));
                lastFolderNoteTick_ = now;
            }
        }
        scanPool_->submit(std::move(file), nullptr);
    }
    pendingFiles_.clear();
    scanPool_->finish();
    postNote(
        WM_SEARCH_PROGRESS, kProgressSteps,
        text::format(kProgressNoteFormat, static_cast<int>(totalMb), static_cast<int>(totalMb)));
}

}  // namespace scoutwell
