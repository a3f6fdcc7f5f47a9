// How many file descriptors a search may hold, shared out from the process's limit
// (RLIMIT_NOFILE).
//
//   DescriptorBudget budget = DescriptorBudget::forSearch(scanThreads());
//
// One limit serves the whole process: the standard streams, an output file, the window
// system's connections and every window's search. When a search starts it counts the
// descriptors open already and keeps a reserve free for the rest of the program (a
// message box, a save, another window's search starting): a sixteenth of the limit, at
// least 1 and at most 16. The rest, `free`, is shared out so that the search never holds
// more than that:
//
//   the walk        the look-in folder, the folder being listed and the one it opens
//                   (3 with heldLevels 1), and heldLevels - 1 ancestors kept open to come
//                   back to without opening them again: heldLevels + 2 in all
//   each scanner    one file open at a time, and for a moment one more while it looks up
//                   the file system of a file: 2 per thread, `threads` threads
//   the scan queue  up to `queuedFiles` files the walk opened and handed over unread
//   read-ahead      `readAheadHelpers` threads listing folders ahead of the walk, 3 each
//                   (WalkReadAhead.h): from what is left beyond the queue's most, and
//                   when that is not enough from what the queue would have had, half of
//                   it at most; none when that is fewer than one helper's share
//
// Anything else added to the search that holds descriptors takes its share the same way,
// never from the reserve.
//
// An open can still fail with EMFILE or ENFILE when something outside the search takes
// descriptors meanwhile. The search then scans the files its queue holds open, lets go of
// the folders it holds to come back to, and tries again a few times; when it still cannot
// open, it stops with kOutOfDescriptorsMessage and counts as failed (the unattended mode
// exits 2). It never goes on without an entry it could not open for want of descriptors.
//
// Exercised by tests/engine/DescriptorLimitTest.cpp.
#pragma once

#include <cstddef>
#include <stdexcept>

namespace scoutwell {

inline constexpr const char* kOutOfDescriptorsMessage =
    "Scoutwell could not open more files at once (the limit is %lld open files) and stopped "
    "the search before its end: its results are incomplete. Raise the limit (ulimit -n) or "
    "close other search windows, and search again.";

struct DescriptorBudget {
    static constexpr std::size_t kMostHeldLevels = 16;
    static constexpr std::size_t kMostQueuedFiles = 64;

    int threads = 1;
    std::size_t heldLevels = kMostHeldLevels;  // at least 1: the folder being listed
    std::size_t queuedFiles = kMostQueuedFiles;
    int readAheadHelpers = 0;

    // The shares of `free` descriptors for a search that would use `wantedThreads`.
    static DescriptorBudget fromFree(long long free, int wantedThreads);
    // The shares for a search starting now in this process.
    static DescriptorBudget forSearch(int wantedThreads);
};

// The process's limit of open files (the soft RLIMIT_NOFILE).
long long openFileLimit();

// Whether a failed open's errno says the process or the system ran out of descriptors.
bool outOfDescriptors(int error);

// Thrown where a search cannot open an entry for want of descriptors, after freeing what
// it could; the search ends with kOutOfDescriptorsMessage.
class OutOfDescriptors : public std::runtime_error {
  public:
    OutOfDescriptors() : std::runtime_error("out of file descriptors") {}
};

}  // namespace scoutwell
