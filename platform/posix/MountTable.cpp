#include "platform/posix/MountTable.h"

#include <array>
#include <charconv>

namespace scoutwell {
namespace {

std::string unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::vector<std::string_view> splitSpaces(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > start)
            fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    while (!text.empty()) {
        const std::size_t eol = text.find('\n');
        const std::string_view line = text.substr(0, eol);
        text = eol == std::string_view::npos ? std::string_view() : text.substr(eol + 1);

        // id parent major:minor root mount-point options [optional...] - type source super
        const std::vector<std::string_view> f = splitSpaces(line);
        std::size_t dash = 6;
        while (dash < f.size() && f[dash] != "-")
            ++dash;
        if (f.size() < 6 || dash + 2 >= f.size())
            continue;
        const std::string_view dev = f[2];
        const std::size_t colon = dev.find(':');
        if (colon == std::string_view::npos)
            continue;
        MountEntry e;
        if (std::from_chars(dev.data(), dev.data() + colon, e.major).ec != std::errc() ||
            std::from_chars(dev.data() + colon + 1, dev.data() + dev.size(), e.minor).ec !=
                std::errc()) {
            continue;
        }
        e.mountPoint = unescape(f[4]);
        if (e.mountPoint.empty() || e.mountPoint.back() != '/')
            e.mountPoint += '/';
        e.fsType = unescape(f[dash + 1]);
        e.source = unescape(f[dash + 2]);
        entries.push_back(std::move(e));
    }
    return entries;
}

bool hasExactFileSizes(std::string_view fsType) {
    // Local file systems whose sizes are those the reads deliver; network and FUSE file
    // systems may be behind or ahead of their files.
    static constexpr std::array<std::string_view, 11> kExact = {
        "ext2", "ext3", "ext4", "xfs", "btrfs", "tmpfs", "f2fs", "vfat", "exfat", "overlay", "zfs"};
    for (std::string_view e : kExact) {
        if (fsType == e)
            return true;
    }
    return false;
}

bool isPseudoFileSystem(std::string_view fsType) {
    static constexpr std::array<std::string_view, 24> kPseudo = {
        "proc",       "sysfs",      "devtmpfs",    "devpts",    "debugfs",  "tracefs",
        "securityfs", "cgroup",     "cgroup2",     "pstore",    "bpf",      "configfs",
        "fusectl",    "mqueue",     "binfmt_misc", "hugetlbfs", "efivarfs", "selinuxfs",
        "autofs",     "rpc_pipefs", "nsfs",        "ramfs",     "nfsd",     "rootfs"};
    for (std::string_view p : kPseudo) {
        if (fsType == p)
            return true;
    }
    return false;
}

bool isSystemTmpfs(const MountEntry& entry) {
    if (entry.fsType != "tmpfs")
        return false;
    const std::string_view mp = entry.mountPoint;
    return startsWith(mp, "/run/") || startsWith(mp, "/dev/") || startsWith(mp, "/sys/") ||
           startsWith(mp, "/proc/");
}

}  // namespace scoutwell
