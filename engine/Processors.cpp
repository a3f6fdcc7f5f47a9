#include "engine/Processors.h"

#include <sched.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace scoutwell {
namespace {

// Where the unified (v2) hierarchy is mounted: alone, or beside the v1 controllers.
constexpr const char* kUnifiedRoots[] = {"/sys/fs/cgroup", "/sys/fs/cgroup/unified"};
constexpr const char* kOwnCgroups = "/proc/self/cgroup";

std::string readSmallFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The process's cgroup in the unified hierarchy ("/user.slice/..."), from the "0::" line;
// empty when it has none.
std::string unifiedCgroup() {
    std::istringstream lines(readSmallFile(kOwnCgroups));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.starts_with("0::"))
            return line.substr(3);
    }
    return {};
}

// The smallest quota of the cgroup and of every cgroup above it; 0 when none is set.
int processorsOfCgroupQuota() {
    const std::string cgroup = unifiedCgroup();
    if (cgroup.empty() || cgroup[0] != '/')
        return 0;
    for (const char* root : kUnifiedRoots) {
        if (!std::ifstream(std::string(root) + "/cgroup.controllers"))
            continue;
        int least = 0;
        std::string path = cgroup;
        for (;;) {
            const int quota =
                processorsOfQuota(readSmallFile(std::string(root) + path + "/cpu.max"));
            if (quota > 0)
                least = least == 0 ? quota : std::min(least, quota);
            if (path.size() <= 1)
                break;
            const std::size_t slash = path.rfind('/');
            path.resize(slash == 0 ? 1 : slash);
        }
        return least;
    }
    return 0;
}

int processorsOfAffinity() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0)
            return count;
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? static_cast<int>(cores) : 1;
}

}  // namespace

int processorsOfQuota(std::string_view cpuMax) {
    while (!cpuMax.empty() && (cpuMax.back() == '\n' || cpuMax.back() == ' '))
        cpuMax.remove_suffix(1);
    const std::size_t space = cpuMax.find(' ');
    if (space == std::string_view::npos)
        return 0;
    const std::string_view quotaText = cpuMax.substr(0, space);
    const std::string_view periodText = cpuMax.substr(space + 1);
    long long quota = 0;
    long long period = 0;
    const auto parse = [](std::string_view text, long long& value) {
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return error == std::errc() && end == text.data() + text.size() && value > 0;
    };
    if (!parse(quotaText, quota) || !parse(periodText, period))
        return 0;  // "max", or nothing a kernel writes
    const long long processors = (quota + period - 1) / period;
    return static_cast<int>(std::min<long long>(processors, 1 << 16));
}

int usableProcessors() {
    const int allowed = processorsOfAffinity();
    const int quota = processorsOfCgroupQuota();
    return quota > 0 ? std::min(allowed, quota) : allowed;
}

}  // namespace scoutwell
