#include "platform/posix/PosixFileSystem.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/posix/UniqueFd.h"
#include "platform/posix/WrittenFiles.h"

namespace scoutwell {
namespace {

FileTime modifiedOf(const struct stat& st) {
    return fileTimeFromUnix(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
}

std::string readWholeFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A block device is removable when the kernel says so of the device or, for a partition,
// of the disk that holds it.
bool isRemovableBlockDevice(unsigned major, unsigned minor) {
    char path[96];
    std::snprintf(path, sizeof path, "/sys/dev/block/%u:%u/removable", major, minor);
    std::string flag = readWholeFile(path);
    if (flag.empty()) {
        std::snprintf(path, sizeof path, "/sys/dev/block/%u:%u/../removable", major, minor);
        flag = readWholeFile(path);
    }
    return !flag.empty() && flag[0] == '1';
}

// Opens `path` one component at a time, each relative to the folder before it, so that a
// path longer than the kernel takes in one piece still opens. Only the last component
// gets `flags`; links along the way are followed as open() would.
UniqueFd openByComponents(const std::string& path, int flags) {
    UniqueFd dir(path.starts_with('/') ? ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                       : ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::size_t at = 0;
    std::string component;
    while (dir) {
        while (at < path.size() && path[at] == '/')
            ++at;
        std::size_t end = path.find('/', at);
        if (end == std::string::npos)
            end = path.size();
        std::size_t rest = end;
        while (rest < path.size() && path[rest] == '/')
            ++rest;
        const bool last = rest == path.size();
        component.assign(path, at, end - at);
        const char* name = component.empty() ? "." : component.c_str();
        UniqueFd fd(::openat(dir.get(), name, last ? flags : O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (last)
            return fd;
        dir = std::move(fd);
        at = rest;
    }
    return UniqueFd();
}

// open(), and for a path too long for it, openByComponents().
UniqueFd openPath(const std::string& path, int flags) {
    UniqueFd fd(::open(path.c_str(), flags));
    if (fd || errno != ENAMETOOLONG)
        return fd;
    return openByComponents(path, flags);
}

// Files of pseudo file systems often claim no size, and some hold gigabytes of virtual
// bytes or never end (/proc/PID/pagemap, /proc/kcore, trace pipes): a scan reads at most
// this much of each. The text files there (status, maps, sysfs attributes) are far
// smaller.
constexpr std::size_t kPseudoFileReadLimit = std::size_t{1} << 20;

// The unit of st_blocks.
constexpr std::uint64_t kStatBlockSize = 512;

// What readFileAhead() asks for: a scan's first chunk.
constexpr off_t kReadAheadBytes = 64 * 1024;

// Reads over a file at or below this size need no read-ahead advice.
constexpr std::int64_t kAdviceThreshold = 64 * 1024;

class PosixReadableFile : public ReadableFile {
  public:
    // At most `limit` bytes are read. `sparse`: the file has fewer blocks than its size
    // needs, so it may have holes worth asking the file system for.
    PosixReadableFile(UniqueFd fd, std::size_t limit, bool sparse)
        : fd_(std::move(fd)), remaining_(limit), sparse_(sparse) {}

    long read(char* buffer, std::size_t size) override {
        if (failed_)
            return -1;
        size = std::min(size, remaining_);
        std::size_t got = 0;
        // A short read from a regular file only means the end; keep reading until the
        // chunk is full so chunk boundaries do not depend on the kernel.
        while (got < size) {
            const ssize_t n = ::read(fd_.get(), buffer + got, size - got);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                // A short count would read as the end of the file: an error is an error,
                // even after part of the chunk arrived.
                return -1;
            }
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        remaining_ -= got;
        offset_ += got;
        return static_cast<long>(got);
    }

    std::uint64_t skipHole(std::uint64_t unit) override {
        if (!sparse_ || failed_ || unit == 0 || remaining_ < unit)
            return 0;
        std::uint64_t hole = 0;
        const off_t data = ::lseek(fd_.get(), offset_, SEEK_DATA);
        if (data >= offset_) {
            hole = static_cast<std::uint64_t>(data - offset_);
        } else if (data < 0 && errno == ENXIO) {
            // No data from here on: a hole up to the end, or the end itself.
            const off_t end = ::lseek(fd_.get(), 0, SEEK_END);
            if (end > offset_)
                hole = static_cast<std::uint64_t>(end - offset_);
        } else {
            sparse_ = false;  // the file system cannot tell; read it all
        }
        hole = std::min<std::uint64_t>(hole, remaining_);
        const std::uint64_t skipped = hole / unit * unit;
        // SEEK_DATA and SEEK_END moved the offset: put it where reading goes on.
        const off_t next = offset_ + static_cast<off_t>(skipped);
        if (::lseek(fd_.get(), next, SEEK_SET) != next) {
            failed_ = true;
            return 0;
        }
        offset_ = next;
        remaining_ -= static_cast<std::size_t>(skipped);
        return skipped;
    }

  private:
    UniqueFd fd_;
    std::size_t remaining_;  // bytes the scan may still read
    off_t offset_ = 0;       // of the next byte read
    bool sparse_;
    bool failed_ = false;  // the offset is lost: every later read fails
};

// The scan's file on an open descriptor: regular files only, described in `st`, and never
// one this process is writing. Where the file system's sizes can be trusted, a file is
// read up to the size it had when opened: a file that grows meanwhile (a log being
// appended to, an output being written) cannot keep the scan going. Elsewhere its reads
// tell where it ends, bounded in pseudo file systems.
std::unique_ptr<ReadableFile> scanFileOf(UniqueFd fd, const struct stat& st, FileSystemKind kind) {
    if (!S_ISREG(st.st_mode) || isWrittenFile(st.st_dev, st.st_ino)) {
        errno = 0;  // left out, not failed
        return nullptr;
    }
    if (st.st_size > kAdviceThreshold)
        ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    std::size_t limit = std::numeric_limits<std::size_t>::max();
    if (kind == FileSystemKind::kPseudo)
        limit = kPseudoFileReadLimit;
    else if (kind == FileSystemKind::kExactSizes)
        limit = static_cast<std::size_t>(st.st_size);
    // A file with fewer 512-byte blocks than its size needs has holes (or is compressed
    // by its file system): only then is it worth asking where its data is.
    const bool sparse = kind != FileSystemKind::kPseudo &&
                        static_cast<std::uint64_t>(st.st_blocks) * kStatBlockSize <
                            static_cast<std::uint64_t>(st.st_size);
    // Reading up to the size saves the read that would only report the end: most of the
    // reads on a tree of small files.
    return std::make_unique<PosixReadableFile>(std::move(fd), limit, sparse);
}

// getdents64 buffers shared by the folders of one walk. A walk closes a folder's
// enumeration before it opens the subfolders, so one or two buffers serve a whole tree.
struct EntryBuffers {
    static constexpr std::size_t kSize = 32768;
    std::vector<std::unique_ptr<char[]>> free;

    std::unique_ptr<char[]> take() {
        if (free.empty())
            return std::make_unique_for_overwrite<char[]>(kSize);
        std::unique_ptr<char[]> buffer = std::move(free.back());
        free.pop_back();
        return buffer;
    }
    void give(std::unique_ptr<char[]> buffer) {
        if (buffer)
            free.push_back(std::move(buffer));
    }
};

// Who a folder is, and who its parent is, so that a walk coming back up can check that
// ".." still leads to the folder it came down from.
struct FolderIdentity {
    dev_t device;
    ino_t inode;
    std::shared_ptr<const FolderIdentity> parent;
};

// Reads the entries straight from the descriptor (getdents64): no DIR, so no duplicate
// descriptor and no buffer allocation per folder, and the descriptor stays open for
// openat after the enumeration has ended.
class PosixDirectory : public Directory {
  public:
    PosixDirectory(PosixFileSystem& fs, std::shared_ptr<EntryBuffers> buffers, UniqueFd fd,
                   std::string path, std::shared_ptr<const FolderIdentity> identity,
                   dev_t rootDevice, bool stayOnFileSystem, bool rootIsPseudo)
        : fs_(fs),
          buffers_(std::move(buffers)),
          fd_(std::move(fd)),
          path_(std::move(path)),
          identity_(std::move(identity)),
          device_(identity_->device),
          rootDevice_(rootDevice),
          stay_(stayOnFileSystem),
          rootIsPseudo_(rootIsPseudo) {}

    ~PosixDirectory() override { buffers_->give(std::move(buffer_)); }

    bool next(std::string_view& name, EntryType& type) override {
        if (ended_)
            return false;
        if (!buffer_)
            buffer_ = buffers_->take();
        for (;;) {
            if (at_ >= filled_) {
                errno = 0;
                const ssize_t n = ::getdents64(fd_.get(), buffer_.get(), EntryBuffers::kSize);
                if (n <= 0) {
                    endEnumeration();
                    return false;
                }
                filled_ = static_cast<std::size_t>(n);
                at_ = 0;
            }
            const auto* e = reinterpret_cast<const dirent64*>(buffer_.get() + at_);
            at_ += e->d_reclen;
            const char* n = e->d_name;
            if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
                continue;
            name = n;
            type = typeOf(n, e->d_type);
            return true;
        }
    }

    bool stat(std::string_view name, EntryInfo& info) override {
        struct stat st;
        // A file this process is writing is not there for a search.
        if (!statName(name, st) || isWrittenFile(st.st_dev, st.st_ino))
            return false;
        info.size = static_cast<std::uint64_t>(st.st_size);
        info.modified = modifiedOf(st);
        info.isDirectory = S_ISDIR(st.st_mode);
        return true;
    }

    std::unique_ptr<Directory> openSubfolder(std::string_view name) override {
        struct stat st;
        UniqueFd fd = openEntry(name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC, st);
        if (!fd)
            return nullptr;
        if (st.st_dev != device_ &&
            ((stay_ && st.st_dev != rootDevice_) ||
             (!rootIsPseudo_ && isPseudoFileSystem(fs_.fsTypeOfDevice(st.st_dev))))) {
            errno = 0;  // left out, not failed
            return nullptr;
        }
        std::string path;
        path.reserve(path_.size() + nameBuffer_.size() + 1);
        path += path_;
        path += nameBuffer_;
        path += '/';
        auto identity =
            std::make_shared<const FolderIdentity>(FolderIdentity{st.st_dev, st.st_ino, identity_});
        return std::make_unique<PosixDirectory>(fs_, buffers_, std::move(fd), std::move(path),
                                                std::move(identity), rootDevice_, stay_,
                                                rootIsPseudo_);
    }

    std::unique_ptr<Directory> openParent() override {
        const std::shared_ptr<const FolderIdentity>& parent = identity_->parent;
        if (!parent || path_.size() < 2)
            return nullptr;
        UniqueFd fd(::openat(fd_.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!fd)
            return nullptr;
        struct stat st;
        const std::size_t slash = path_.rfind('/', path_.size() - 2);
        if (::fstat(fd.get(), &st) != 0 || st.st_dev != parent->device ||
            st.st_ino != parent->inode || slash == std::string::npos) {
            errno = 0;  // the caller opens it by its names instead
            return nullptr;
        }
        return std::make_unique<PosixDirectory>(fs_, buffers_, std::move(fd),
                                                path_.substr(0, slash + 1), parent, rootDevice_,
                                                stay_, rootIsPseudo_);
    }

    bool close() override {
        endEnumeration();
        return true;
    }

    bool identity(std::uint64_t& device, std::uint64_t& inode) const override {
        device = identity_->device;
        inode = identity_->inode;
        return true;
    }

    std::unique_ptr<ReadableFile> openFile(std::string_view name, EntryInfo& info) override {
        struct stat st;
        UniqueFd fd = openEntry(name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, st);
        if (!fd)
            return nullptr;
        info.size = static_cast<std::uint64_t>(st.st_size);
        info.modified = modifiedOf(st);
        info.isDirectory = false;
        return scanFileOf(std::move(fd), st, kindOf(st.st_dev));
    }

    void readFileAhead(std::string_view name) override {
        if (kindOf(device_) == FileSystemKind::kPseudo)
            return;
        struct stat st;
        const UniqueFd fd = openEntry(name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, st);
        if (fd && S_ISREG(st.st_mode) && !isWrittenFile(st.st_dev, st.st_ino))
            ::posix_fadvise(fd.get(), 0, kReadAheadBytes, POSIX_FADV_WILLNEED);
    }

  private:
    // Opens an entry of this folder and describes what was opened; none on a failure.
    UniqueFd openEntry(std::string_view name, int flags, struct stat& st) {
        nameBuffer_.assign(name);
        UniqueFd fd(::openat(fd_.get(), nameBuffer_.c_str(), flags));
        if (fd && ::fstat(fd.get(), &st) != 0)
            fd.reset();
        return fd;
    }

    void endEnumeration() {
        ended_ = true;
        buffers_->give(std::move(buffer_));
    }

    FileSystemKind kindOf(dev_t device) {
        if (device != device_)
            return fs_.kindOfDevice(device);
        if (!folderKind_)
            folderKind_ = fs_.kindOfDevice(device);
        return *folderKind_;
    }

    bool statName(std::string_view name, struct stat& st) {
        nameBuffer_.assign(name);
        return ::fstatat(fd_.get(), nameBuffer_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    }

    EntryType typeOf(const char* name, unsigned char dType) {
        switch (dType) {
            case DT_DIR:
                return EntryType::Directory;
            case DT_REG:
                return EntryType::File;
            case DT_LNK:
                return EntryType::Link;
            case DT_UNKNOWN: {
                struct stat st;
                if (!statName(name, st))
                    return EntryType::Unknown;
                if (S_ISDIR(st.st_mode))
                    return EntryType::Directory;
                if (S_ISREG(st.st_mode))
                    return EntryType::File;
                if (S_ISLNK(st.st_mode))
                    return EntryType::Link;
                return EntryType::Other;
            }
            default:
                return EntryType::Other;
        }
    }

    PosixFileSystem& fs_;
    std::shared_ptr<EntryBuffers> buffers_;
    std::unique_ptr<char[]> buffer_;  // while enumerating
    std::size_t filled_ = 0;
    std::size_t at_ = 0;
    bool ended_ = false;
    UniqueFd fd_;
    std::string path_;
    std::shared_ptr<const FolderIdentity> identity_;
    dev_t device_;
    dev_t rootDevice_;
    bool stay_;
    bool rootIsPseudo_;
    std::string nameBuffer_;
    std::optional<FileSystemKind> folderKind_;  // of device_, once asked
};

}  // namespace

std::unique_ptr<Directory> PosixFileSystem::openFolder(const std::string& path,
                                                       bool stayOnFileSystem) {
    UniqueFd fd = openPath(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    if (!fd || ::fstat(fd.get(), &st) != 0)
        return nullptr;
    std::string folder = path;
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    const bool rootIsPseudo = isPseudoFileSystem(fsTypeOfDevice(st.st_dev));
    auto identity =
        std::make_shared<const FolderIdentity>(FolderIdentity{st.st_dev, st.st_ino, nullptr});
    return std::make_unique<PosixDirectory>(*this, std::make_shared<EntryBuffers>(), std::move(fd),
                                            std::move(folder), std::move(identity), st.st_dev,
                                            stayOnFileSystem, rootIsPseudo);
}

std::unique_ptr<ReadableFile> PosixFileSystem::openForScan(const std::string& folder,
                                                           const std::string& name) {
    const std::string path = folder + name;
    // O_NONBLOCK: opening a FIFO must never wait for a writer.
    UniqueFd fd = openPath(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st;
    if (!fd || ::fstat(fd.get(), &st) != 0)
        return nullptr;
    return scanFileOf(std::move(fd), st, kindOfDevice(st.st_dev));
}

FileSystemKind PosixFileSystem::kindOfDevice(unsigned long device) {
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (lastKindDevice_ == device && lastKind_)
            return *lastKind_;
    }
    const std::string type = fsTypeOfDevice(device);
    const FileSystemKind kind = isPseudoFileSystem(type)  ? FileSystemKind::kPseudo
                                : hasExactFileSizes(type) ? FileSystemKind::kExactSizes
                                                          : FileSystemKind::kOther;
    std::lock_guard<std::mutex> guard(lock_);
    lastKindDevice_ = device;
    lastKind_ = kind;
    return kind;
}

bool PosixFileSystem::isDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::string PosixFileSystem::fsTypeOfDevice(unsigned long device) {
    std::lock_guard<std::mutex> guard(lock_);
    const unsigned maj = major(device), min = minor(device);
    for (int pass = 0; pass < 2; ++pass) {
        if (!tableRead_ || pass == 1) {
            table_ = parseMountInfo(readWholeFile("/proc/self/mountinfo"));
            tableRead_ = true;
        }
        for (const MountEntry& e : table_) {
            if (e.major == maj && e.minor == min)
                return e.fsType;
        }
    }
    return {};
}

std::vector<MountPoint> PosixFileSystem::mounts() {
    const std::vector<MountEntry> entries = parseMountInfo(readWholeFile("/proc/self/mountinfo"));
    std::vector<MountPoint> out;
    std::set<std::pair<unsigned, unsigned>> seenDevices;
    std::set<unsigned long> seenSources;
    for (const MountEntry& e : entries) {
        if (isPseudoFileSystem(e.fsType) || isSystemTmpfs(e))
            continue;
        // Bind mounts repeat a device; subvolume mounts repeat a source device.
        if (!seenDevices.insert({e.major, e.minor}).second)
            continue;
        MountPoint m;
        m.path = e.mountPoint;
        m.fsType = e.fsType;
        m.source = e.source;
        struct stat st;
        if (!e.source.empty() && e.source[0] == '/' && ::stat(e.source.c_str(), &st) == 0 &&
            S_ISBLK(st.st_mode)) {
            if (!seenSources.insert(st.st_rdev).second)
                continue;
            m.local = !isRemovableBlockDevice(major(st.st_rdev), minor(st.st_rdev));
        }
        out.push_back(std::move(m));
    }
    return out;
}

}  // namespace scoutwell
