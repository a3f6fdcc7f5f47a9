// Files go to the freedesktop Trash byte for byte, and one that cannot goes nowhere.
#include <sys/stat.h>

#include <cstdlib>
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
