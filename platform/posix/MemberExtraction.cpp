#include "platform/posix/MemberExtraction.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "engine/Archives.h"
#include "engine/FoundItem.h"
#include "engine/Text.h"
#include "platform/posix/UniqueFd.h"

namespace scoutwell {
namespace {

constexpr const char* kFolderTemplate = "scoutwell-members-XXXXXX";
constexpr const char* kCopyTemplate = "m-XXXXXX";
// The name a copy gets when its member's name cannot be a file name.
constexpr const char* kFallbackName = "member";

bool isFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && path.front() == '/' && ::stat(path.c_str(), &st) == 0 &&
           S_ISDIR(st.st_mode);
}

std::string defaultBase() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && isFolder(runtime))
        return runtime;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && isFolder(cache))
        return cache;
    if (const char* home = std::getenv("HOME"); home && *home == '/') {
        const std::string cache = std::string(home) + "/.cache";
        if (isFolder(cache) || ::mkdir(cache.c_str(), 0700) == 0)
            return cache;
    }
    return {};
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

int removeEntry(const char* path, const struct stat*, int type, struct FTW*) {
    if (type == FTW_DP)
        ::rmdir(path);
    else
        ::unlink(path);
    return 0;
}

}  // namespace

MemberExtraction::MemberExtraction(std::string base) : base_(std::move(base)) {}

MemberExtraction::~MemberExtraction() {
    removeAll();
}

std::string MemberExtraction::folder() const {
    std::lock_guard<std::mutex> guard(lock_);
    return folder_;
}

bool MemberExtraction::makeFolder() {
    if (!folder_.empty())
        return true;
    const std::string base = base_.empty() ? defaultBase() : base_;
    if (base.empty())
        return false;
    std::string path = base + (base.back() == '/' ? "" : "/") + kFolderTemplate;
    // mkdtemp makes it 0700, for the user alone.
    if (::mkdtemp(path.data()) == nullptr)
        return false;
    folder_ = path + '/';
    return true;
}

std::string MemberExtraction::extract(const FoundItem& member, std::string& errorOut) {
    std::lock_guard<std::mutex> guard(lock_);
    const std::string memberPath = member.fullPath();
    if (auto it = copies_.find(memberPath); it != copies_.end()) {
        struct stat st {};
        if (::lstat(it->second.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            return it->second;
        copies_.erase(it);
    }
    if (!makeFolder()) {
        errorOut = text::format(kExtractionFailed, member.name.c_str(), kNoPrivateFolder,
                                base_.empty() ? "your runtime or cache folder" : base_.c_str());
        return {};
    }
    std::string subfolder = folder_ + kCopyTemplate;
    if (::mkdtemp(subfolder.data()) == nullptr) {
        errorOut = text::format(kExtractionFailed, member.name.c_str(), std::strerror(errno),
                                folder_.c_str());
        return {};
    }
    const UniqueFd dir(::open(subfolder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    // The member's own name when it is one plain name, as the engine makes them.
    std::string name = member.name;
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        name = kFallbackName;
    const UniqueFd file(dir ? ::openat(dir.get(), name.c_str(),
                                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)
                            : -1);
    const char* failure = nullptr;
    if (!file) {
        failure = std::strerror(errno);
    } else {
        bool written = true;
        TextEnd end = TextEnd::kWhole;
        const bool found = openMember(member, [&](Decoder& data) {
            std::string buffer(1 << 16, '\0');
            for (long n; written && (n = data.read(buffer.data(), buffer.size())) > 0;)
                written = writeAll(file.get(), buffer.data(), static_cast<std::size_t>(n));
            end = data.textEnd();
        });
        if (!found)
            failure = kMemberGone;
        else if (!written)
            failure = std::strerror(errno);
        else if (end != TextEnd::kWhole)
            failure = kMemberCutShort;
        else if (::fchmod(file.get(), 0400) != 0)
            failure = std::strerror(errno);
    }
    const std::string copy = subfolder + '/' + name;
    if (failure != nullptr) {
        ::unlinkat(dir.get(), name.c_str(), 0);
        ::rmdir(subfolder.c_str());
        errorOut = text::format(kExtractionFailed, member.name.c_str(), failure, folder_.c_str());
        return {};
    }
    copies_[memberPath] = copy;
    return copy;
}

void MemberExtraction::removeAll() {
    std::lock_guard<std::mutex> guard(lock_);
    copies_.clear();
    if (folder_.empty())
        return;
    ::nftw(folder_.c_str(), removeEntry, 16, FTW_DEPTH | FTW_PHYS);
    folder_.clear();
}

MemberExtraction& memberExtraction() {
    // A static's destructor runs at exit: the folder goes with the program.
    static MemberExtraction extraction;
    return extraction;
}

}  // namespace scoutwell
