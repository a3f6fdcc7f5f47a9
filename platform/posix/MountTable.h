// The kernel's table of mounted file systems (/proc/self/mountinfo), and which of them a
// user would search.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scoutwell {

struct MountEntry {
    unsigned major = 0;
    unsigned minor = 0;
    std::string mountPoint;  // ends with '/'
    std::string fsType;
    std::string source;
};

// Parses mountinfo text; malformed lines are skipped. Octal escapes (\040) are decoded.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// Whether a file system's file sizes can be trusted to say where reading ends.
bool hasExactFileSizes(std::string_view fsType);

// Kernel and system file systems nobody searches: proc, sysfs, devtmpfs, cgroup, debugfs
// and the like.
bool isPseudoFileSystem(std::string_view fsType);

// A tmpfs the system keeps for itself (below /run, /dev, /sys or /proc).
bool isSystemTmpfs(const MountEntry& entry);

}  // namespace scoutwell
