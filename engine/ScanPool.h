// Contents scans of found files on several threads, delivered strictly in the order the
// files were handed over, so that whoever receives them sees the sequence a single thread
// would have produced.
//
//   ScanPool pool(criteria, expression, buffers, threads, deliver);
//   pool.submit(std::move(file), std::move(openedFile));  // in walk order
//   pool.finish();                                        // all delivered, threads ended
//
// The submitting thread is one of the `threads` scanners: it scans a file itself when the
// queue is full. With one thread every file is scanned and delivered within submit().
//
// A sink that takes all hits (FoundItemSink::takesAllHits) gets every file scanned to its
// end. A file's hits are held until the file is next in line; past a bound, its scanner
// waits for its turn and then hands the hits over as they come (add, addHits, endHits), so
// a file with millions of hit lines never holds them all. The members of an archive
// (Archives.h) are delivered in its place, in archive order, by its scanner once the
// archive is next in line.
//
// Exercised by tests/engine/ArchiveTest.cpp, tests/engine/DescriptorLimitTest.cpp,
//  tests/engine/FastScanDifferentialTest.cpp, tests/engine/SearchEngineTest.cpp.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/FoundItem.h"

namespace scoutwell {

class ReadableFile;
class SearchCriteria;
class SearchExpression;
struct ScanBuffers;

class ScanPool {
  public:
    // Called, in submission order, for each file that has hits, with `firstPiece` when the
    // file comes in pieces (FoundItemSink::startHits, not add); on the thread that commits
    // it, never two at a time.
    using Deliver = std::function<void(const FoundFile&, bool firstPiece)>;

    // `expression`, the buffers and `criteria` serve the submitting thread and must
    // outlive the pool; helper threads compile their own copy of the expression.
    ScanPool(const SearchCriteria& criteria, SearchExpression& expression, ScanBuffers& buffers,
             int threads, Deliver deliver);
    ~ScanPool();
    ScanPool(const ScanPool&) = delete;
    ScanPool& operator=(const ScanPool&) = delete;

    // Called on the submitting thread between the steps of submit() and finish() that
    // wait for other threads, so that it can report progress meanwhile.
    void setWaitHook(std::function<void()> hook) { waitHook_ = std::move(hook); }

    // How many files handed over open the queue may hold (DescriptorBudget::queuedFiles).
    void setOpenFileLimit(std::size_t files);
    // Whether the next file may be handed over open: with one thread it is scanned at
    // once, so it always may.
    bool mayTakeOpenFile();
    // Scans the files the queue holds open until it holds none, so that their
    // descriptors are free; on the submitting thread. Rethrows a failure of a helper.
    void releaseOpenFiles();

    // Queues a file for scanning; `opened` is the file already open, or null to open it by
    // its path. Blocks while the queue is full. Rethrows a failure of a helper thread.
    void submit(std::unique_ptr<FoundFile> file, std::unique_ptr<ReadableFile> opened);
    // Waits until every queued file has been scanned and delivered, or dropped after a
    // stop request, and ends the helper threads. Rethrows a failure of a helper thread.
    void finish();
    // The sizes of the files delivered or passed over so far, from any thread.
    std::uint64_t bytesDone() const { return bytesDone_.load(std::memory_order_relaxed); }

  private:
    struct Job;
    struct Scanner;
    class MemberScan;

    // The queue's bounds. Past kMaxHeldBytes of held hit lines the walk stops handing
    // over files and only scans those queued; each file holds at most about
    // kHeldBytesPerFile before it is handed over in pieces, so memory stays below
    // kMaxJobs times that.
    static constexpr std::size_t kMaxJobs = 64;  // each may hold an open descriptor
    static constexpr std::size_t kMaxHeldBytes = 32u << 20;
    static constexpr std::size_t kHeldBytesPerFile = 1u << 20;

    void startHelpers();
    void helperMain(Scanner& scanner);
    // Frees the delivered files that `scanner`'s thread scanned; called on that thread.
    void freeGarbage(Scanner& scanner, std::unique_lock<std::mutex>& lock);
    // One step of work for a thread with nothing else to do: commits what is ready, or
    // scans the first file nobody has taken. False when there was nothing to do.
    bool workOnce(Scanner& scanner, std::unique_lock<std::mutex>& lock);
    void scan(Scanner& scanner, Job& job, std::unique_lock<std::mutex>& lock);
    // Opens a file handed over unopened; waits for the queue's descriptors and tries again
    // while there are none, and throws OutOfDescriptors when that does not help. Called
    // without the lock.
    std::unique_ptr<ReadableFile> openForScan(const FoundFile& file);
    // Delivers finished files from the front of the queue while nobody else is.
    void commitReady(Scanner& self, std::unique_lock<std::mutex>& lock);
    // Called by a scan whose held hits passed the bound: waits until its file is next in
    // line and takes the right to deliver. False when the search was stopped meanwhile.
    bool waitForTurn(Scanner& scanner, Job& job, std::unique_lock<std::mutex>& lock);
    void callWaitHook(std::unique_lock<std::mutex>& lock);
    void rethrowFailure();
    bool stopped() const;

    const SearchCriteria& criteria_;
    FoundItemSink* sink_;
    const bool takesAllHits_;
    std::unique_ptr<Scanner> own_;  // the submitting thread's
    const int threads_;
    Deliver deliver_;
    std::function<void()> waitHook_;
    std::atomic<std::uint64_t> bytesDone_{0};

    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Job>> jobs_;  // in submission order, front next to commit
    std::size_t firstWaiting_ = 0;           // index in jobs_ of the first file not taken
    std::size_t heldBytes_ = 0;
    // Jobs holding the file open that the walk handed over; changed under the lock, read
    // without it by the walk, the only thread that adds to it.
    std::atomic<std::size_t> openFiles_{0};
    std::size_t openFileLimit_ = 64;
    bool committing_ = false;  // one thread delivers at a time
    bool finishing_ = false;
    std::exception_ptr failure_;
    std::vector<std::thread> helpers_;
    std::vector<std::unique_ptr<Scanner>> helperScanners_;
};

// The number of threads a contents search scans with: SCOUTWELL_THREADS when set to a
// positive number, else the processors the process may use (usableProcessors()).
int scanThreads();
// Overrides the environment's choice for the whole process (0 restores it).
void setScanThreads(int threads);
inline constexpr const char* kScanThreadsVariable = "SCOUTWELL_THREADS";

}  // namespace scoutwell
