#include "platform/posix/FileBytes.h"

#include <unistd.h>

#include <cerrno>

namespace scoutwell {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool readAll(int fd, std::string& bytes, std::size_t limit) {
    char buffer[65536];
    std::size_t total = 0;
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (got == 0)
            return true;
        total += static_cast<std::size_t>(got);
        if (total > limit) {
            errno = EFBIG;
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace scoutwell
