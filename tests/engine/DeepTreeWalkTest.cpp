// The walk on trees deeper than a path can name, under a small stack and a small
// descriptor limit: no crash, every file found by name and by contents, and the same
// items in the same order as a plain recursive walk.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/FileSystem.h"
#include "engine/FoundItem.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchEngine.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TempTree.h"
#include "tests/engine/FaultInjectingFileSystem.h"

namespace scoutwell {
namespace {

using testing::TempTree;

// A chain of `depth` folders named "d" below `root`, made and removed level by level
// through descriptors, since its deeper paths are longer than the kernel takes at once.
// `atLevel` may put files into each level's folder.
void makeChain(const std::string& root, int depth,
               const std::function<void(int level, int fd)>& atLevel) {
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (int level = 1; level <= depth; ++level) {
        ASSERT_EQ(::mkdirat(fd, "d", 0755), 0) << level;
        const int child = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        ASSERT_GE(child, 0) << level;
        fd = child;
        atLevel(level, fd);
    }
    ::close(fd);
}

void writeFileAt(int fd, const char* name, const std::string& contents) {
    const int file = ::openat(fd, name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(file, 0);
    ASSERT_EQ(::write(file, contents.data(), contents.size()),
              static_cast<ssize_t>(contents.size()));
    ::close(file);
}

// Removes every entry of the folder at `fd` that is a file or an empty folder.
void clearFolder(int fd) {
    DIR* dir = ::fdopendir(::dup(fd));
    ASSERT_NE(dir, nullptr);
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : names)
        ::unlinkat(fd, name.c_str(), name == "d" ? AT_REMOVEDIR : 0);
}

void removeChain(const std::string& root, int depth) {
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (int level = 1; level <= depth; ++level) {
        const int child = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        ASSERT_GE(child, 0);
        fd = child;
    }
    for (int level = depth; level >= 0; --level) {
        clearFolder(fd);
        const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = parent;
    }
    ::close(fd);
}

// The folder at `level` of the chain below `root` (which ends with a slash).
std::string chainPath(const std::string& root, int level) {
    std::string path = root;
    for (int i = 0; i < level; ++i)
        path += "d/";
    return path;
}

// Removes the chain when the test ends, whatever failed.
class ChainRemover {
  public:
    ChainRemover(std::string root, int depth) : root_(std::move(root)), depth_(depth) {}
    ~ChainRemover() { removeChain(root_, depth_); }
    ChainRemover(const ChainRemover&) = delete;
    ChainRemover& operator=(const ChainRemover&) = delete;

  private:
    std::string root_;
    int depth_;
};

class PathSink : public FoundItemSink {
  public:
    void add(const FoundItem& item) override { paths.push_back(item.fullPath()); }
    std::vector<std::string> paths;
};

std::vector<std::string> search(const std::string& root, const std::string& fileName,
                                const std::string& contents, bool onePhase) {
    SearchCriteria criteria;
    PathSink sink;
    criteria.sink = &sink;
    criteria.lookIn = {root};
    criteria.fileName = fileName;
    criteria.searchContents = !contents.empty();
    criteria.containingText = contents;
    criteria.onePhaseSearch = onePhase;
    std::string error;
    EXPECT_TRUE(criteria.prepare(error)) << error;
    SearchEngine engine(&criteria, nullptr);
    engine.run();
    return sink.paths;
}

// Runs `body` in a child process whose `resource` limit is `limit`; its exit status, or
// -1 when it died (a crash).
int inChildWithLimit(int resource, rlim_t limit, const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit rl{limit, limit};
        if (::setrlimit(resource, &rl) != 0)
            ::_exit(100);
        // The child must never return into the test program.
        try {
            ::_exit(body());
        } catch (...) {
            ::_exit(101);
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A folder for a deep chain, in memory (/dev/shm) where there is one: thousands of
// folders made and removed on a busy disk take many seconds.
class ChainRoot {
  public:
    ChainRoot() {
        std::string templ = "/dev/shm/scoutwell-XXXXXX";
        if (::access("/dev/shm", W_OK) != 0 || !::mkdtemp(templ.data())) {
            templ = std::filesystem::temp_directory_path().string() + "/scoutwell-XXXXXX";
            if (!::mkdtemp(templ.data()))
                throw std::runtime_error("mkdtemp failed");
        }
        path_ = templ + "/";
    }
    ~ChainRoot() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ChainRoot(const ChainRoot&) = delete;
    ChainRoot& operator=(const ChainRoot&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

class DeepTreeWalk : public ::testing::Test {
  protected:
    DeepTreeWalk() : previous_(fileSystem()) { setFileSystem(&posix_); }
    ~DeepTreeWalk() override { setFileSystem(previous_); }

    PosixFileSystem posix_;
    FileSystem* previous_;
    ChainRoot chainRoot_;
    TempTree tree_;
};

TEST_F(DeepTreeWalk, FiveThousandLevelsOnATwoMegabyteStack) {
    constexpr int kDepth = 5000;
    const ChainRemover remover(chainRoot_.path(), kDepth);
    makeChain(chainRoot_.path(), kDepth, [](int level, int fd) {
        if (level == kDepth)
            writeFileAt(fd, "bottom.txt", "x\n");
    });
    const std::string root = chainRoot_.path();
    const int status = inChildWithLimit(RLIMIT_STACK, 2 << 20, [&] {
        const std::vector<std::string> found = search(root, "bottom.txt", "", true);
        return found == std::vector<std::string>{chainPath(root, kDepth) + "bottom.txt"} ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << "-1: the walk crashed; 1: the file was not found";
}

TEST_F(DeepTreeWalk, FilesPastPathMaxAreScannedUnderASmallDescriptorLimit) {
    constexpr int kDepth = 2500;
    const ChainRemover remover(chainRoot_.path(), kDepth);
    makeChain(chainRoot_.path(), kDepth, [](int level, int fd) {
        if (level == 2 || level == kDepth - 1)
            writeFileAt(fd, "note.txt", "one\nthe needle\n");
    });
    const std::string root = chainRoot_.path();
    const std::vector<std::string> expected = {chainPath(root, 2) + "note.txt",
                                               chainPath(root, kDepth - 1) + "note.txt"};
    ASSERT_GT(expected[1].size(), static_cast<std::size_t>(PATH_MAX));

    EXPECT_EQ(search(root, "note.txt", "", true), expected);
    EXPECT_EQ(search(root, "", "needle", true), expected) << "one phase";
    EXPECT_EQ(search(root, "", "needle", false), expected) << "two phases";

    const int status = inChildWithLimit(RLIMIT_NOFILE, 48, [&] {
        if (search(root, "note.txt", "", true) != expected)
            return 1;
        if (search(root, "", "needle", true) != expected)
            return 2;
        return search(root, "", "needle", false) == expected ? 0 : 3;
    });
    EXPECT_EQ(status, 0) << "1: by name, 2: one phase, 3: two phases";
}

// The walk as plainly recursive code would do it, one descriptor per level.
void recursiveWalk(Directory& dir, const std::string& path, std::vector<std::string>& out) {
    std::vector<std::string> subfolders;
    std::string_view name;
    EntryType type = EntryType::Unknown;
    while (dir.next(name, type)) {
        out.push_back(path + std::string(name));
        if (type == EntryType::Directory)
            subfolders.emplace_back(name);
    }
    dir.close();
    for (const std::string& sub : subfolders) {
        if (std::unique_ptr<Directory> child = dir.openSubfolder(sub))
            recursiveWalk(*child, path + sub + "/", out);
    }
}

TEST_F(DeepTreeWalk, FoldersLetGoAndOpenedAgainKeepTheOrderOfARecursiveWalk) {
    // Two branches at every level of a 60-level spine, each with files, so that the walk
    // comes back to folders whose descriptors it let go, many times.
    std::string spine;
    for (int level = 0; level < 60; ++level) {
        for (const char* branch : {"b/", "c/"}) {
            tree_.file(spine + branch + "f" + std::to_string(level));
            tree_.file(spine + branch + "g/h");
        }
        tree_.file(spine + "file" + std::to_string(level));
        spine += "s/";
    }
    std::vector<std::string> expected;
    {
        std::unique_ptr<Directory> root = posix_.openFolder(tree_.path(), false);
        ASSERT_TRUE(root);
        recursiveWalk(*root, tree_.path(), expected);
    }
    ASSERT_GT(expected.size(), 500u);
    EXPECT_EQ(search(tree_.path(), "", "", true), expected) << "through \"..\"";

    // A file system that cannot open a parent again: down from the nearest folder held.
    testing::FaultInjectingFileSystem faulty(&posix_);
    testing::FaultInjectingFileSystem::Installed installed(faulty);
    EXPECT_EQ(search(tree_.path(), "", "", true), expected) << "by names";
}

}  // namespace
}  // namespace scoutwell
