// Replacing a file as a whole while it is written piece by piece: the old file stays until
// the commit, whatever the way the file is replaced; what is not a regular file is written
// directly and never replaced; and the files involved are marked as written meanwhile.
// (Saving over files that must keep their inode, a full disk and a read-only folder are
// tested through criteria files in tests/app.)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/posix/FileBytes.h"
#include "platform/posix/FileReplacement.h"
#include "platform/posix/WrittenFiles.h"
#include "support/RunProgram.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::readFile;
using testing::TempTree;

struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileReplacementTest, TheOldFileStaysUntilTheCommitWhicheverWayItIsReplaced) {
    enum class Way { kRename, kInPlaceForASecondName, kThroughALink };
    for (const Way way : {Way::kRename, Way::kInPlaceForASecondName, Way::kThroughALink}) {
        SCOPED_TRACE(static_cast<int>(way));
        TempTree tree;
        const std::string old = "the old contents, longer than the new ones\n";
        std::string path = tree.file("out.txt", old);
        std::vector<std::string> expectedNames = {"out.txt"};
        if (way == Way::kInPlaceForASecondName) {
            ASSERT_EQ(::link(path.c_str(), tree.path("second.txt").c_str()), 0);
            expectedNames.push_back("second.txt");
        } else if (way == Way::kThroughALink) {
            path = tree.symlink("link.txt", "out.txt");
            expectedNames.insert(expectedNames.begin(), "link.txt");
        }
        const ino_t inode = statOf(tree.path("out.txt")).st_ino;

        for (const bool commit : {false, true}) {
            {
                FileReplacement out;
                ASSERT_TRUE(out.open(path)) << std::strerror(errno);
                ASSERT_TRUE(writeAll(out.fd(), "new\n"));
                ASSERT_TRUE(writeAll(out.fd(), "bytes\n"));
                // Half written, the file still reads as it was, unless it is rewritten in
                // place, where the old bytes come back only at an abandon.
                if (way != Way::kInPlaceForASecondName) {
                    EXPECT_EQ(readFile(tree.path("out.txt")), old);
                }
                EXPECT_TRUE(isWrittenFile(statOf(path).st_dev, inode));
                if (commit) {
                    ASSERT_TRUE(out.commit()) << std::strerror(errno);
                }
            }
            EXPECT_EQ(readFile(tree.path("out.txt")), commit ? "new\nbytes\n" : old);
            EXPECT_EQ(namesIn(tree.path()), expectedNames) << "no temporary file is left";
            EXPECT_FALSE(isWrittenFile(statOf(path).st_dev, statOf(path).st_ino));
        }
        if (way == Way::kInPlaceForASecondName) {
            EXPECT_EQ(statOf(path).st_ino, inode);
            EXPECT_EQ(readFile(tree.path("second.txt")), "new\nbytes\n");
        } else {
            EXPECT_NE(statOf(tree.path("out.txt")).st_ino, inode);
        }
        if (way == Way::kThroughALink) {
            EXPECT_TRUE(std::filesystem::is_symlink(path));
        }
    }
}

TEST(FileReplacementTest, ANewFileAppearsOnlyAtTheCommit) {
    TempTree tree;
    const std::string path = tree.path("new.txt");
    {
        FileReplacement out;
        ASSERT_TRUE(out.open(path));
        ASSERT_TRUE(writeAll(out.fd(), "abandoned"));
    }
    EXPECT_TRUE(namesIn(tree.path()).empty());
    ASSERT_TRUE(replaceFile(path, "kept"));
    EXPECT_EQ(readFile(path), "kept");
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(statOf(path).st_mode & 0777, 0666u & ~mask);
}

TEST(FileReplacementTest, WhatIsNotARegularFileIsWrittenDirectlyAndNeverReplaced) {
    TempTree tree;
    // A device takes the bytes and stays a device.
    ASSERT_TRUE(replaceFile("/dev/null", "nothing")) << std::strerror(errno);
    EXPECT_TRUE(S_ISCHR(statOf("/dev/null").st_mode));

    // A folder cannot be replaced.
    FileReplacement out;
    EXPECT_FALSE(out.open(tree.folder("folder")));
    EXPECT_EQ(errno, EISDIR);

    // A FIFO without a reader fails at once instead of waiting for one.
    const std::string fifo = tree.fifo("pipe");
    EXPECT_FALSE(out.open(fifo));
    EXPECT_EQ(errno, ENXIO);

    // Told to wait, it writes to the reader that comes.
    std::string received;
    std::thread reader([&] { received = readFile(fifo); });
    ASSERT_TRUE(out.open(fifo, /*waitForReader=*/true)) << std::strerror(errno);
    ASSERT_TRUE(writeAll(out.fd(), "through the pipe"));
    ASSERT_TRUE(out.commit());
    reader.join();
    EXPECT_EQ(received, "through the pipe");
    EXPECT_TRUE(S_ISFIFO(statOf(fifo).st_mode));
}

}  // namespace
}  // namespace scoutwell
