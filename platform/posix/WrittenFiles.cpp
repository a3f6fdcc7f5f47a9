#include "platform/posix/WrittenFiles.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace scoutwell {
namespace {

struct Marks {
    std::mutex lock;
    std::vector<std::pair<dev_t, ino_t>> files;  // one entry per mark, repeats allowed
    std::atomic<std::size_t> count{0};
};

Marks& marks() {
    static Marks instance;
    return instance;
}

}  // namespace

WrittenFile::WrittenFile(dev_t device, ino_t inode)
    : marked_(true), device_(device), inode_(inode) {
    Marks& m = marks();
    std::lock_guard<std::mutex> guard(m.lock);
    m.files.emplace_back(device, inode);
    m.count.store(m.files.size(), std::memory_order_release);
}

WrittenFile::~WrittenFile() {
    release();
}

WrittenFile::WrittenFile(WrittenFile&& other) noexcept
    : marked_(std::exchange(other.marked_, false)), device_(other.device_), inode_(other.inode_) {}

WrittenFile& WrittenFile::operator=(WrittenFile&& other) noexcept {
    if (this != &other) {
        release();
        marked_ = std::exchange(other.marked_, false);
        device_ = other.device_;
        inode_ = other.inode_;
    }
    return *this;
}

void WrittenFile::release() {
    if (!std::exchange(marked_, false))
        return;
    Marks& m = marks();
    std::lock_guard<std::mutex> guard(m.lock);
    const auto it = std::find(m.files.begin(), m.files.end(), std::make_pair(device_, inode_));
    if (it != m.files.end())
        m.files.erase(it);
    m.count.store(m.files.size(), std::memory_order_release);
}

bool isWrittenFile(dev_t device, ino_t inode) {
    Marks& m = marks();
    if (m.count.load(std::memory_order_acquire) == 0)
        return false;
    std::lock_guard<std::mutex> guard(m.lock);
    return std::find(m.files.begin(), m.files.end(), std::make_pair(device, inode)) !=
           m.files.end();
}

}  // namespace scoutwell
