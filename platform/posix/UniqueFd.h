// A file descriptor with one owner, closed in one place: when the owner goes, or by
// close() where the caller must hear that closing failed (a delayed write error).
//
//   UniqueFd fd(::open(path, O_RDONLY | O_CLOEXEC));
//   if (!fd) return false;              // errno says why
//   if (::fstat(fd.get(), &st) != 0) return false;   // closed on the way out
//
// It lives here, the lowest folder that opens files: the engine reaches files only
// through its FileSystem interface and never holds a descriptor itself, while this folder
// and app/core above it both do.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace scoutwell {

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }

    // Closes the descriptor held, if any, and takes `fd`. errno is kept, so a failure
    // being reported is not overwritten by the clean-up.
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            const int error = errno;
            ::close(fd_);
            errno = error;
        }
        fd_ = fd;
    }
    // Closes now; false, with errno set, when close() reported an error.
    bool close() {
        const int fd = release();
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_ = -1;
};

}  // namespace scoutwell
