// How many processors this process may run on: the ones its affinity mask allows
// (sched_getaffinity: taskset, a container's cpuset, systemd's AllowedCPUs), fewer when a
// cgroup v2 CPU quota (cpu.max) of its cgroup or of one above it allows less time than
// that. Scanning threads are counted from it (scanThreads()).
//
//   int n = usableProcessors();  // at least 1
#pragma once

#include <string_view>

namespace scoutwell {

// Counted afresh at each call.
int usableProcessors();

// The processors a quota of `cpuMax` (the text of a cgroup's cpu.max: "QUOTA PERIOD" in
// microseconds, or "max PERIOD") lets a process keep busy, rounded up; 0 when it sets no
// limit or cannot be read.
int processorsOfQuota(std::string_view cpuMax);

}  // namespace scoutwell
