// The processor count that scanning threads are counted from: a cgroup's CPU quota and the
// process's affinity mask.
#include <gtest/gtest.h>

#include <sched.h>

#include <string_view>
#include <thread>

#include "engine/Processors.h"

namespace scoutwell {
namespace {

TEST(Processors, AQuotaAllowsItsShareOfEachPeriodRoundedUp) {
    struct Case {
        std::string_view cpuMax;
        int processors;
    };
    const Case cases[] = {
        {"max 100000\n", 0},          // no limit
        {"max", 0},                   // nothing to divide by
        {"100000 100000\n", 1},       // one processor's time
        {"50000 100000\n", 1},        // half of one still needs one thread
        {"150000 100000\n", 2},       // one and a half
        {"400000 100000", 4},         // no newline at the end
        {"200000 50000\n", 4},        // another period
        {"", 0},                      // no cpu.max: the root cgroup
        {"-1 100000\n", 0},           // not a quota a kernel writes
        {"100000 0\n", 0},            // nor a period
        {"100000x 100000\n", 0},      // trailing rubbish
        {"100000 100000 7\n", 0},     // a third field
        {"9999999999999 1\n", 65536}  // absurd quotas are bounded
    };
    for (const Case& c : cases)
        EXPECT_EQ(processorsOfQuota(c.cpuMax), c.processors) << c.cpuMax;
}

// Run on a thread of its own, so that the test's own mask is left alone: the mask that
// sched_getaffinity(0) reads is the calling thread's, as taskset sets it for a process.
TEST(Processors, AThreadPinnedToOneProcessorCountsOne) {
    cpu_set_t all;
    CPU_ZERO(&all);
    ASSERT_EQ(::sched_getaffinity(0, sizeof all, &all), 0);
    const int allowed = CPU_COUNT(&all);
    EXPECT_GE(usableProcessors(), 1);
    EXPECT_LE(usableProcessors(), allowed);

    int pinned = -1;
    std::thread([&] {
        cpu_set_t one;
        CPU_ZERO(&one);
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &all)) {
                CPU_SET(cpu, &one);
                break;
            }
        }
        if (::sched_setaffinity(0, sizeof one, &one) == 0)
            pinned = usableProcessors();
    }).join();
    EXPECT_EQ(pinned, 1);
}

}  // namespace
}  // namespace scoutwell
