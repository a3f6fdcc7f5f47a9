#include "engine/DescriptorBudget.h"

#include <dirent.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>

#include "engine/WalkReadAhead.h"

namespace scoutwell {
namespace {

constexpr long long kWalkBase = 3;    // the look-in folder, the folder listed, a child
constexpr long long kPerScanner = 2;  // its file, and a moment's look at the mount table
constexpr long long kMostReserve = 16;
constexpr long long kReserveShare = 16;  // a sixteenth of the limit
// Beyond this the limit changes nothing: every share is at its most.
constexpr long long kEnough = 1 << 20;
// The read-ahead takes at most one part in this many of the queue's share.
constexpr std::size_t kReadAheadShare = 2;

// The descriptors open in this process now; the standard streams when that cannot be told.
long long openDescriptors() {
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr)
        return 3;
    long long count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(dir);
    return count - 1;  // the folder's own descriptor
}

}  // namespace

long long openFileLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
        limit.rlim_cur > static_cast<rlim_t>(kEnough)) {
        return kEnough;
    }
    return static_cast<long long>(limit.rlim_cur);
}

bool outOfDescriptors(int error) {
    return error == EMFILE || error == ENFILE;
}

DescriptorBudget DescriptorBudget::fromFree(long long free, int wantedThreads) {
    DescriptorBudget budget;
    const long long scanners = (free - kWalkBase) / kPerScanner;
    budget.threads =
        static_cast<int>(std::clamp<long long>(scanners, 1, std::max(wantedThreads, 1)));
    const long long rest = std::max<long long>(0, free - kWalkBase - kPerScanner * budget.threads);
    budget.heldLevels = static_cast<std::size_t>(
        std::clamp<long long>(1 + rest / 2, 1, static_cast<long long>(kMostHeldLevels)));
    const long long forQueue = rest - static_cast<long long>(budget.heldLevels - 1);
    budget.queuedFiles = static_cast<std::size_t>(
        std::clamp<long long>(forQueue, 0, static_cast<long long>(kMostQueuedFiles)));
    // Beyond the queue's most first, then at most half of the queue's share.
    const std::size_t spare = static_cast<std::size_t>(
        std::max<long long>(0, forQueue - static_cast<long long>(budget.queuedFiles)));
    const std::size_t perHelper = WalkReadAhead::kDescriptorsPerHelper;
    budget.readAheadHelpers = static_cast<int>(std::min<std::size_t>(
        WalkReadAhead::kMostHelpers, (spare + budget.queuedFiles / kReadAheadShare) / perHelper));
    const std::size_t taken = static_cast<std::size_t>(budget.readAheadHelpers) * perHelper;
    budget.queuedFiles -= taken > spare ? taken - spare : 0;
    return budget;
}

DescriptorBudget DescriptorBudget::forSearch(int wantedThreads) {
    const long long limit = openFileLimit();
    const long long reserve = std::clamp<long long>(limit / kReserveShare, 1, kMostReserve);
    return fromFree(limit - openDescriptors() - reserve, wantedThreads);
}

}  // namespace scoutwell
