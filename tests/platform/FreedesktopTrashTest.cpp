// Files go to the freedesktop Trash byte for byte, and one that cannot goes nowhere.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "platform/posix/FileUrl.h"
#include "platform/posix/FreedesktopTrash.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::TempTree;

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(FileUrlTest, EveryByteOutsideTheUnreservedSetIsEncoded) {
    struct Case {
        const char* path;
        const char* url;
    };
    const Case cases[] = {
        {"/tmp/a b.txt", "file:///tmp/a%20b.txt"},
        {"/h/\xC3\xA9t\xC3\xA9", "file:///h/%C3%A9t%C3%A9"},
        {"/x/\xFF\x01name", "file:///x/%FF%01name"},
        {"/x/100%#?[]\"<>\\^`{|} .c",
         "file:///x/100%25%23%3F%5B%5D%22%3C%3E%5C%5E%60%7B%7C%7D%20.c"},
        {"/x/a&b+c;d=e:f@g!h$i'j(k)l*m,n~_-.", "file:///x/a&b+c;d=e:f@g!h$i'j(k)l*m,n~_-."},
        {"/", "file:///"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fileUrlFromPath(c.path), c.url) << c.path;
    EXPECT_EQ(folderOfPath("/a/b/c.txt"), "/a/b/");
    EXPECT_EQ(folderOfPath("/c.txt"), "/");
    EXPECT_EQ(folderOfPath("c.txt"), "/");
}

class FreedesktopTrashTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* old = std::getenv("XDG_DATA_HOME");
        hadDataHome_ = old != nullptr;
        if (old)
            oldDataHome_ = old;
        ::setenv("XDG_DATA_HOME", home.folder("data").c_str(), 1);
    }
    void TearDown() override {
        if (hadDataHome_)
            ::setenv("XDG_DATA_HOME", oldDataHome_.c_str(), 1);
        else
            ::unsetenv("XDG_DATA_HOME");
    }

    TempTree home;

  private:
    bool hadDataHome_ = false;
    std::string oldDataHome_;
};

TEST_F(FreedesktopTrashTest, FilesGoToTheHomeTrashWithUniqueNamesAndTheirOrigin) {
    const std::string odd = home.file("docs/r\xE9sum\xE9 1.txt", "one");
    const std::string again = home.file("other/r\xE9sum\xE9 1.txt", "two");
    const std::string trash = home.path("data/Trash");
    EXPECT_EQ(homeTrashPath(), trash);

    ASSERT_TRUE(moveToTrash(odd));
    ASSERT_TRUE(moveToTrash(again));
    EXPECT_FALSE(exists(odd));
    EXPECT_FALSE(exists(again));
    EXPECT_EQ(readAll(trash + "/files/r\xE9sum\xE9 1.txt"), "one");
    EXPECT_EQ(readAll(trash + "/files/r\xE9sum\xE9 1.txt.2"), "two");

    const std::string info = readAll(trash + "/info/r\xE9sum\xE9 1.txt.trashinfo");
    EXPECT_EQ(
        info.rfind("[Trash Info]\nPath=" + fileUrlFromPath(odd).substr(7) + "\nDeletionDate=", 0),
        0u)
        << info;
    EXPECT_EQ(info.size(),
              std::string("[Trash Info]\nPath=\nDeletionDate=2026-12-08T10:00:00\n").size() +
                  fileUrlFromPath(odd).size() - 7);
    EXPECT_TRUE(exists(trash + "/info/r\xE9sum\xE9 1.txt.2.trashinfo"));
}

TEST_F(FreedesktopTrashTest, AVolumesTrashNamesFilesFromItsTopFolder) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a file system of its own needs root";
    const std::string top = home.folder("volume");
    if (::mount("tmpfs", top.c_str(), "tmpfs", 0, "size=1m,mode=0755") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    const struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{top};
    const std::string uid = std::to_string(::getuid());
    // Without an administrator's .Trash, then with a sticky one.
    for (const bool shared : {false, true}) {
        SCOPED_TRACE(shared);
        if (shared) {
            ASSERT_EQ(::mkdir((top + ".Trash").c_str(), 01777), 0);
        }
        const std::string file = top + "sub dir/r\xE9sum\xE9.txt";
        std::filesystem::create_directories(top + "sub dir");
        std::ofstream(file) << "x";
        ASSERT_TRUE(moveToTrash(file)) << std::strerror(errno);
        const std::string trash = shared ? top + ".Trash/" + uid : top + ".Trash-" + uid;
        EXPECT_EQ(readAll(trash + "/files/r\xE9sum\xE9.txt"), "x");
        const std::string info = readAll(trash + "/info/r\xE9sum\xE9.txt.trashinfo");
        EXPECT_EQ(info.rfind("[Trash Info]\nPath=sub%20dir/r%E9sum%E9.txt\nDeletionDate=", 0), 0u)
            << info;
    }
}

TEST_F(FreedesktopTrashTest, AFileThatCannotBeTrashedStaysAndLeavesNoInfo) {
    // /proc is another file system on which no trash can be made.
    EXPECT_FALSE(moveToTrash("/proc/self/status"));
    EXPECT_TRUE(exists("/proc/self/status"));
    EXPECT_FALSE(moveToTrash(home.path("missing.txt")));
    EXPECT_FALSE(moveToTrash("relative.txt"));
    EXPECT_FALSE(exists(home.path("data/Trash/info/missing.txt.trashinfo")));
    EXPECT_FALSE(exists(home.path("data/Trash/info/status.trashinfo")));
}

}  // namespace
}  // namespace scoutwell
