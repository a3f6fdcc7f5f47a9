#include "engine/ScanPool.h"

#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <utility>

#include "engine/Archives.h"
#include "engine/DescriptorBudget.h"
#include "engine/FileSystem.h"
#include "engine/Processors.h"
#include "engine/ScanBuffers.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"

namespace scoutwell {
namespace {

// How often a waiting thread looks at the stop request, which comes without a signal.
constexpr auto kStopPoll = std::chrono::milliseconds(20);
// How often a scanner that found no descriptor free waits for one and tries again.
constexpr int kOpenAttempts = 5;

std::atomic<int> threadsOverride{0};

int threadsFromEnvironment() {
    if (const char* value = std::getenv(kScanThreadsVariable)) {
        char* end = nullptr;
        const long n = std::strtol(value, &end, 10);
        if (end != value && *end == 0 && n > 0)
            return static_cast<int>(std::min(n, 256L));
    }
    return usableProcessors();
}

std::uint64_t sizeOf(const FoundFile& file) {
    return file.size > 0 ? static_cast<std::uint64_t>(file.size) : 0;
}

std::size_t heldBytesOf(const std::vector<HitLine>& hits) {
    std::size_t bytes = 0;
    for (const HitLine& hit : hits)
        bytes += sizeof(HitLine) + hit.text.capacity();
    return bytes;
}

}  // namespace

int scanThreads() {
    const int chosen = threadsOverride.load(std::memory_order_relaxed);
    if (chosen > 0)
        return chosen;
    static const int fromEnvironment = threadsFromEnvironment();
    return fromEnvironment;
}

void setScanThreads(int threads) {
    threadsOverride.store(threads > 0 ? threads : 0, std::memory_order_relaxed);
}

struct ScanPool::Job {
    enum class State { kWaiting, kScanning, kDone };

    std::unique_ptr<FoundFile> file;
    std::unique_ptr<ReadableFile> opened;
    State state = State::kWaiting;
    bool found = false;
    bool streaming = false;  // its scanner delivers its hits as they come
    bool holdsTurn = false;  // its scanner delivers its archive's members as they come
    std::size_t heldBytes = 0;
    Scanner* scannedBy = nullptr;
};

// What a scanning thread needs of its own.
struct ScanPool::Scanner {
    SearchExpression* expression = nullptr;
    ScanBuffers* buffers = nullptr;
    // A helper thread's own copies.
    SearchExpression ownExpression;
    std::unique_ptr<ScanBuffers> ownBuffers;
    // Delivered files whose hit lines this thread allocated, for it to free: memory freed
    // by the thread that allocated it goes back to that thread's caches, without locks.
    std::vector<std::unique_ptr<Job>> garbage;
};

// The members of the archive a job's file turned out to be: each tested and scanned as a
// file of a folder would be, and delivered by the job's scanner, which takes the right to
// deliver at the first member to deliver.
class ScanPool::MemberScan : public ArchiveVisitor {
  public:
    MemberScan(ScanPool& pool, Scanner& scanner, Job& job)
        : pool_(pool), scanner_(scanner), job_(job), test_(pool.criteria_) {}

    bool member(FoundFile& item, Decoder& data, int depth) override {
        item.onlyMembers = !test_.passes(item);
        if (item.onlyMembers && depth >= kMaxArchiveDepth)
            return !pool_.stopped();
        bool streaming = false;
        FoundFile::HitsReady onHits = [&](FoundFile& f) {
            if (streaming) {
                pool_.sink_->addHits(f);
                f.hits.clear();
                return !pool_.stopped();
            }
            if (heldBytesOf(f.hits) < kHeldBytesPerFile)
                return true;
            if (!takeTurn())
                return false;
            streaming = true;
            pool_.deliver_(f, /*firstPiece=*/true);
            f.hits.clear();
            return !pool_.stopped();
        };
        const bool all = pool_.takesAllHits_;
        const int found =
            item.scanFile(&data, *scanner_.expression, *scanner_.buffers, pool_.criteria_,
                          /*stopAtFirstChunkWithHit=*/!all, all ? &onHits : nullptr, this);
        if (streaming) {
            pool_.sink_->endHits(item);
        } else if (found > 0) {
            if (!takeTurn())
                return false;
            pool_.deliver_(item, /*firstPiece=*/false);
        } else if (!item.onlyMembers && item.textEnd != TextEnd::kWhole) {
            note(item);
        }
        return !pool_.stopped();
    }

    void note(const FoundItem& item) override {
        if (pool_.sink_ != nullptr && takeTurn())
            pool_.sink_->textCutShort(item);
    }

    bool stopped() const override { return pool_.stopped(); }

  private:
    bool takeTurn() {
        if (job_.holdsTurn)
            return true;
        std::unique_lock<std::mutex> lock(pool_.lock_);
        if (!pool_.waitForTurn(scanner_, job_, lock))
            return false;
        job_.holdsTurn = true;
        return true;
    }

    ScanPool& pool_;
    Scanner& scanner_;
    Job& job_;
    MemberTest test_;
};

ScanPool::ScanPool(const SearchCriteria& criteria, SearchExpression& expression,
                   ScanBuffers& buffers, int threads, Deliver deliver)
    : criteria_(criteria),
      sink_(criteria.sink),
      takesAllHits_(criteria.sink != nullptr && criteria.sink->takesAllHits()),
      own_(std::make_unique<Scanner>()),
      threads_(threads < 1 ? 1 : threads),
      deliver_(std::move(deliver)) {
    own_->expression = &expression;
    own_->buffers = &buffers;
}

ScanPool::~ScanPool() {
    // Nothing more is delivered once the owner has given up on the pool; a helper ends
    // with the file it is scanning.
    {
        std::lock_guard<std::mutex> guard(lock_);
        finishing_ = true;
    }
    changed_.notify_all();
    for (std::thread& helper : helpers_)
        helper.join();
}

void ScanPool::freeGarbage(Scanner& scanner, std::unique_lock<std::mutex>& lock) {
    std::vector<std::unique_ptr<Job>> jobs = std::move(scanner.garbage);
    scanner.garbage.clear();
    lock.unlock();
    jobs.clear();
    lock.lock();
}

bool ScanPool::stopped() const {
    return criteria_.stopRequested();
}

void ScanPool::rethrowFailure() {
    if (failure_) {
        std::exception_ptr failure = std::exchange(failure_, nullptr);
        std::rethrow_exception(failure);
    }
}

void ScanPool::startHelpers() {
    for (int i = 1; i < threads_; ++i) {
        helperScanners_.push_back(std::make_unique<Scanner>());
        Scanner* scanner = helperScanners_.back().get();
        helpers_.emplace_back([this, scanner] { helperMain(*scanner); });
    }
}

void ScanPool::setOpenFileLimit(std::size_t files) {
    std::lock_guard<std::mutex> guard(lock_);
    openFileLimit_ = files;
}

bool ScanPool::mayTakeOpenFile() {
    // Once per file the walk finds: no lock. Other threads only lower the count.
    return threads_ == 1 || openFiles_.load(std::memory_order_relaxed) < openFileLimit_;
}

void ScanPool::releaseOpenFiles() {
    std::unique_lock<std::mutex> lock(lock_);
    while (openFiles_ > 0 && !stopped()) {
        if (!workOnce(*own_, lock))
            changed_.wait_for(lock, kStopPoll);
        rethrowFailure();
    }
}

std::unique_ptr<ReadableFile> ScanPool::openForScan(const FoundFile& file) {
    FileSystem* const fs = fileSystem();
    if (fs == nullptr || !file.location)
        return nullptr;
    for (int attempt = 1;; ++attempt) {
        errno = 0;
        std::unique_ptr<ReadableFile> opened = fs->openForScan(*file.location, file.name);
        if (opened || !outOfDescriptors(errno))
            return opened;
        if (attempt == kOpenAttempts)
            throw OutOfDescriptors();
        // Other scanners end their files, and the walk's open files are scanned, meanwhile.
        std::unique_lock<std::mutex> lock(lock_);
        changed_.wait_for(lock, kStopPoll);
        if (stopped())
            return nullptr;
    }
}

void ScanPool::submit(std::unique_ptr<FoundFile> file, std::unique_ptr<ReadableFile> opened) {
    auto job = std::make_unique<Job>();
    job->file = std::move(file);
    job->opened = std::move(opened);
    std::unique_lock<std::mutex> lock(lock_);
    if (job->opened)
        ++openFiles_;
    rethrowFailure();
    if (!own_->garbage.empty())
        freeGarbage(*own_, lock);
    if (helpers_.empty() && threads_ > 1)
        startHelpers();
    jobs_.push_back(std::move(job));
    changed_.notify_one();
    // With one thread the file is scanned now; with more, only when the queue is full,
    // rather than waiting for room doing nothing.
    const auto full = [this] {
        return threads_ == 1 ? !jobs_.empty()
                             : jobs_.size() >= kMaxJobs || heldBytes_ >= kMaxHeldBytes;
    };
    while (full() && !stopped()) {
        if (!workOnce(*own_, lock)) {
            changed_.wait_for(lock, kStopPoll);
            callWaitHook(lock);
        }
        rethrowFailure();
    }
}

void ScanPool::callWaitHook(std::unique_lock<std::mutex>& lock) {
    if (!waitHook_)
        return;
    lock.unlock();
    waitHook_();
    lock.lock();
}

void ScanPool::finish() {
    std::unique_lock<std::mutex> lock(lock_);
    while (!jobs_.empty() && !stopped()) {
        if (!workOnce(*own_, lock)) {
            changed_.wait_for(lock, kStopPoll);
            callWaitHook(lock);
        }
        if (failure_)
            break;
    }
    finishing_ = true;
    lock.unlock();
    changed_.notify_all();
    for (std::thread& helper : helpers_)
        helper.join();
    helpers_.clear();
    lock.lock();
    for (auto& scanner : helperScanners_)
        freeGarbage(*scanner, lock);
    freeGarbage(*own_, lock);
    // After a stop, what was not delivered is dropped: the files delivered stay the
    // first ones of a full search.
    jobs_.clear();
    firstWaiting_ = 0;
    heldBytes_ = 0;
    openFiles_ = 0;
    rethrowFailure();
}

void ScanPool::helperMain(Scanner& scanner) {
    pthread_setname_np(pthread_self(), "scoutwell-scan");
    std::unique_lock<std::mutex> lock(lock_, std::defer_lock);
    try {
        scanner.ownExpression.set(criteria_.containingText, criteria_.matchContentsCase,
                                  /*compileNow=*/true, nullptr);
        scanner.ownBuffers = std::make_unique<ScanBuffers>(own_->buffers->size);
        scanner.expression = &scanner.ownExpression;
        scanner.buffers = scanner.ownBuffers.get();
        lock.lock();
        while (!finishing_ && !failure_) {
            if (!workOnce(scanner, lock))
                changed_.wait_for(lock, kStopPoll);
        }
        freeGarbage(scanner, lock);
    } catch (...) {
        if (!lock.owns_lock())
            lock.lock();
        failure_ = std::current_exception();
        changed_.notify_all();
    }
}

bool ScanPool::workOnce(Scanner& scanner, std::unique_lock<std::mutex>& lock) {
    if (!scanner.garbage.empty()) {
        freeGarbage(scanner, lock);
        return true;
    }
    if (stopped())
        return false;
    if (!committing_ && !jobs_.empty() && jobs_.front()->state == Job::State::kDone) {
        commitReady(scanner, lock);
        return true;
    }
    if (firstWaiting_ < jobs_.size()) {
        Job& job = *jobs_[firstWaiting_];
        ++firstWaiting_;
        job.state = Job::State::kScanning;
        job.scannedBy = &scanner;
        scan(scanner, job, lock);
        return true;
    }
    return false;
}

void ScanPool::scan(Scanner& scanner, Job& job, std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    FoundFile& file = *job.file;
    bool found = false;
    FoundFile::HitsReady onHits;
    if (takesAllHits_) {
        onHits = [&](FoundFile& f) {
            if (job.streaming) {
                sink_->addHits(f);
                f.hits.clear();
                return !stopped();
            }
            job.heldBytes = heldBytesOf(f.hits);
            if (job.heldBytes < kHeldBytesPerFile)
                return true;
            std::unique_lock<std::mutex> relock(lock_);
            if (!waitForTurn(scanner, job, relock))
                return false;
            relock.unlock();
            job.streaming = true;
            deliver_(f, /*firstPiece=*/true);
            f.hits.clear();
            job.heldBytes = 0;
            return !stopped();
        };
    }
    const bool handedOverOpen = job.opened != nullptr;
    MemberScan members(*this, scanner, job);
    try {
        std::unique_ptr<ReadableFile> opened = handedOverOpen ? nullptr : openForScan(file);
        // A file that cannot be opened (gone, not readable) has no hits, as before.
        if (handedOverOpen || opened) {
            found = file.scanFile(handedOverOpen ? job.opened.get() : opened.get(),
                                  *scanner.expression, *scanner.buffers, criteria_,
                                  /*stopAtFirstChunkWithHit=*/!takesAllHits_,
                                  takesAllHits_ ? &onHits : nullptr, &members) > 0;
        }
    } catch (...) {
        lock.lock();
        if (job.streaming || job.holdsTurn)
            committing_ = false;
        throw;
    }
    job.opened.reset();
    if (job.streaming || job.holdsTurn) {
        if (job.streaming)
            sink_->endHits(file);
        lock.lock();
        if (handedOverOpen)
            --openFiles_;
        // The file is at the front and this thread holds the right to deliver.
        bytesDone_.fetch_add(sizeOf(file), std::memory_order_relaxed);
        jobs_.pop_front();
        --firstWaiting_;
        committing_ = false;
        changed_.notify_all();
        return;
    }
    job.heldBytes = found ? heldBytesOf(file.hits) : 0;
    if (!found)
        file.hits = {};
    lock.lock();
    if (handedOverOpen)
        --openFiles_;
    job.found = found;
    job.state = Job::State::kDone;
    heldBytes_ += job.heldBytes;
    changed_.notify_all();
}

bool ScanPool::waitForTurn(Scanner& scanner, Job& job, std::unique_lock<std::mutex>& lock) {
    for (;;) {
        if (stopped() || failure_ || finishing_)
            return false;
        if (!committing_ && !jobs_.empty()) {
            if (jobs_.front().get() == &job) {
                committing_ = true;
                return true;
            }
            if (jobs_.front()->state == Job::State::kDone) {
                commitReady(scanner, lock);
                continue;
            }
        }
        changed_.wait_for(lock, kStopPoll);
    }
}

void ScanPool::commitReady(Scanner& self, std::unique_lock<std::mutex>& lock) {
    while (!committing_ && !jobs_.empty() && jobs_.front()->state == Job::State::kDone &&
           !stopped()) {
        committing_ = true;
        std::unique_ptr<Job> job = std::move(jobs_.front());
        jobs_.pop_front();
        bytesDone_.fetch_add(sizeOf(*job->file), std::memory_order_relaxed);
        --firstWaiting_;
        heldBytes_ -= job->heldBytes;
        lock.unlock();
        try {
            if (job->found)
                deliver_(*job->file, /*firstPiece=*/false);
            else if (job->file->textEnd != TextEnd::kWhole && sink_ != nullptr)
                sink_->textCutShort(*job->file);
        } catch (...) {
            lock.lock();
            committing_ = false;
            throw;
        }
        lock.lock();
        committing_ = false;
        Scanner* const scannedBy = job->scannedBy;
        if (scannedBy != nullptr && scannedBy != &self) {
            scannedBy->garbage.push_back(std::move(job));
            continue;
        }
        // Freeing a file's hit lines needs no turn: another thread may deliver meanwhile.
        lock.unlock();
        changed_.notify_all();
        job.reset();
        lock.lock();
    }
    changed_.notify_all();
}

}  // namespace scoutwell
