#include "platform/posix/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/posix/FileBytes.h"

namespace scoutwell {
namespace {

// The file a save replaces: the target of a symbolic link, so that the link survives.
std::string resolvedTarget(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr)
        return resolved;
    return path;
}

// Writes all of `bytes` at `offset` and on.
bool writeAllAt(int fd, std::string_view bytes, off_t offset) {
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(fd, bytes.data(), bytes.size(), offset);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
        offset += written;
    }
    return true;
}

// Makes a rename into `folder` last: best effort, as some file systems cannot sync folders.
void syncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd)
        ::fsync(fd.get());
}

}  // namespace

FileReplacement::~FileReplacement() {
    abandon();
}

bool FileReplacement::open(const std::string& path, bool waitForReader) {
    abandon();
    target_ = resolvedTarget(path);
    struct stat old {};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) {
        errno = EISDIR;
        return false;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        // A FIFO opened for writing waits for a reader unless told not to.
        fd_.reset(::open(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
        if (!fd_ && errno == ENXIO && waitForReader)
            fd_.reset(::open(target_.c_str(), O_WRONLY | O_CLOEXEC));
        if (!fd_)
            return false;
        // Writes wait for a slow reader instead of failing.
        const int flags = ::fcntl(fd_.get(), F_GETFL);
        if (flags < 0 || ::fcntl(fd_.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
            fd_.reset();
            return false;
        }
        mode_ = Mode::kDirect;
        return true;
    }
    // A file its user may not write is not replaced behind their back by a rename.
    if (exists && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0)
        return false;
    if (exists)
        replacedMark_ = WrittenFile(old.st_dev, old.st_ino);
    // A second name of the file would keep the old bytes after a rename.
    if (exists && old.st_nlink > 1)
        return openInPlace();

    temporary_ = target_ + ".XXXXXX";
    fd_.reset(::mkostemp(temporary_.data(), O_CLOEXEC));
    if (!fd_) {
        // A shared folder may let us write the file but not create one beside it.
        if (exists && (errno == EACCES || errno == EPERM))
            return openInPlace();
        replacedMark_ = WrittenFile();
        return false;
    }
    mode_ = Mode::kRename;
    struct stat made {};
    if (::fstat(fd_.get(), &made) == 0)
        writtenMark_ = WrittenFile(made.st_dev, made.st_ino);
    // mkostemp makes the file private; the new file gets the usual permissions, or those
    // of the file it replaces.
    mode_t permissions = 0;
    if (exists) {
        permissions = old.st_mode & 07777;
        // The replacement must belong to whoever owned the old file; where that cannot be
        // arranged, the old file is rewritten instead.
        if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
            ::fchown(fd_.get(), old.st_uid, old.st_gid) != 0) {
            abandon();
            replacedMark_ = WrittenFile(old.st_dev, old.st_ino);
            return openInPlace();
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        permissions = 0666 & ~mask;
    }
    if (::fchmod(fd_.get(), permissions) != 0) {
        abandon();
        return false;
    }
    return true;
}

bool FileReplacement::openInPlace() {
    fd_.reset(::open(target_.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd_ || !readAll(fd_.get(), oldBytes_, static_cast<std::size_t>(kMaxInPlaceBytes))) {
        abandon();
        return false;
    }
    mode_ = Mode::kInPlace;
    // The new bytes are written from the start; the old ones stay until commit() cuts.
    if (::lseek(fd_.get(), 0, SEEK_SET) != 0) {
        abandon();
        return false;
    }
    return true;
}

bool FileReplacement::putOldBytesBack() {
    // The old bytes fit where they were, so putting them back does not need new space.
    return writeAllAt(fd_.get(), oldBytes_, 0) &&
           ::ftruncate(fd_.get(), static_cast<off_t>(oldBytes_.size())) == 0 &&
           ::fsync(fd_.get()) == 0;
}

bool FileReplacement::commit() {
    bool ok = false;
    switch (mode_) {
        case Mode::kNone:
            errno = EBADF;
            return false;
        case Mode::kDirect:
            ok = fd_.close();
            break;
        case Mode::kInPlace: {
            const off_t length = ::lseek(fd_.get(), 0, SEEK_CUR);
            ok = length >= 0 && ::ftruncate(fd_.get(), length) == 0 && ::fsync(fd_.get()) == 0;
            if (!ok)
                break;
            ok = fd_.close();
            break;
        }
        case Mode::kRename:
            ok = ::fsync(fd_.get()) == 0 && fd_.close() &&
                 ::rename(temporary_.c_str(), target_.c_str()) == 0;
            if (ok) {
                temporary_.clear();
                syncFolderOf(target_);
            }
            break;
    }
    if (!ok) {
        const int error = errno;
        abandon();
        errno = error;
        return false;
    }
    mode_ = Mode::kNone;
    abandon();
    return true;
}

void FileReplacement::abandon() {
    const int error = errno;
    if (mode_ == Mode::kInPlace && fd_)
        putOldBytesBack();
    fd_.reset();
    if (!temporary_.empty() && mode_ == Mode::kRename)
        ::unlink(temporary_.c_str());
    temporary_.clear();
    oldBytes_.clear();
    oldBytes_.shrink_to_fit();
    writtenMark_ = WrittenFile();
    replacedMark_ = WrittenFile();
    mode_ = Mode::kNone;
    errno = error;
}

bool replaceFile(const std::string& path, std::string_view bytes) {
    FileReplacement out;
    return out.open(path) && writeAll(out.fd(), bytes) && out.commit();
}

}  // namespace scoutwell
