#include "platform/posix/FreedesktopTrash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "platform/posix/FileBytes.h"
#include "platform/posix/FileUrl.h"
#include "platform/posix/UniqueFd.h"

namespace scoutwell {

namespace {

// How many "NAME.n" variants are tried before giving up on a crowded trash.
constexpr int kMaxNameAttempts = 10000;

std::string parentOf(const std::string& path) {
    std::string folder = folderOfPath(path);
    if (folder.size() > 1)
        folder.pop_back();
    return folder;
}

// Creates each missing folder of an absolute path with mode 0700.
bool makeFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// A folder this user may trash into: a real folder (not a link) owned by them.
bool isOwnFolder(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

std::string dataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    std::string folder =
        xdg && xdg[0] == '/' ? std::string(xdg) : std::string(home ? home : "") + "/.local/share";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// The mount point of the file system holding `path` (whose device is `device`).
std::string topDirOf(const std::string& path, dev_t device) {
    std::string dir = parentOf(path);
    while (dir != "/") {
        const std::string up = parentOf(dir);
        struct stat st {};
        if (::stat(up.c_str(), &st) != 0 || st.st_dev != device)
            break;
        dir = up;
    }
    return dir;
}

// The trash on the file system of a file outside the home's, or empty when none can be
// used there; `top` becomes the file system's top folder, ending with '/'.
std::string volumeTrashFor(const std::string& path, dev_t device, std::string& top) {
    top = topDirOf(path, device);
    if (top != "/")
        top += '/';
    const std::string uid = std::to_string(::getuid());
    // An administrator's shared .Trash counts only when it is a sticky folder, not a link.
    const std::string shared = top + ".Trash";
    struct stat st {};
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const std::string own = shared + "/" + uid;
        if ((::mkdir(own.c_str(), 0700) == 0 || errno == EEXIST) && isOwnFolder(own))
            return own;
    }
    const std::string own = top + ".Trash-" + uid;
    if ((::mkdir(own.c_str(), 0700) == 0 || errno == EEXIST) && isOwnFolder(own))
        return own;
    return {};
}

std::string deletionDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// Moves the file into `trash`, which lies on the file's own file system; its info names
// it as `origin`.
bool moveInto(const std::string& trash, const std::string& path, const std::string& name,
              std::string_view origin) {
    const std::string files = trash + "/files/";
    const std::string info = trash + "/info/";
    if (!makeFolders(trash + "/files") || !makeFolders(trash + "/info"))
        return false;
    const std::string contents = "[Trash Info]\nPath=" + percentEncodePath(origin) +
                                 "\nDeletionDate=" + deletionDate() + "\n";
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const std::string unique = attempt == 1 ? name : name + "." + std::to_string(attempt);
        const std::string infoPath = info + unique + ".trashinfo";
        // The info file is made exclusively first: it reserves the name against another
        // program trashing at the same moment.
        UniqueFd fd(::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!fd) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool written = writeAll(fd.get(), contents);
        const bool closed = fd.close();
        const std::string target = files + unique;
        struct stat st {};
        if (written && closed && ::lstat(target.c_str(), &st) == 0) {
            ::unlink(infoPath.c_str());  // a file without an info file holds that name
            continue;
        }
        if (written && closed && ::rename(path.c_str(), target.c_str()) == 0)
            return true;
        const int error = errno;
        ::unlink(infoPath.c_str());
        errno = error;
        return false;
    }
    errno = EEXIST;
    return false;
}

}  // namespace

std::string homeTrashPath() {
    return dataHome() + "/Trash";
}

bool moveToTrash(const std::string& path) {
    std::string source = path;
    while (source.size() > 1 && source.back() == '/')
        source.pop_back();
    if (source.empty() || source[0] != '/' || source == "/") {
        errno = EINVAL;
        return false;
    }
    struct stat file {};
    if (::lstat(source.c_str(), &file) != 0)
        return false;
    const std::string name = source.substr(source.rfind('/') + 1);

    const std::string home = dataHome();
    struct stat homeStat {};
    if (makeFolders(home) && ::stat(home.c_str(), &homeStat) == 0 && homeStat.st_dev == file.st_dev)
        return moveInto(homeTrashPath(), source, name, source);

    std::string top;
    const std::string trash = volumeTrashFor(source, file.st_dev, top);
    if (trash.empty()) {
        errno = EXDEV;
        return false;
    }
    // A volume's trash names files from its top folder, so that they can be restored
    // wherever the volume is mounted next time.
    return moveInto(trash, source, name, std::string_view(source).substr(top.size()));
}

}  // namespace scoutwell
