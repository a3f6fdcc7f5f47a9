// Saving criteria over a file that must keep its inode: a folder where only the file is
// writable, a file with a second name, a file of another owner; and the bytes of every
// text surviving a save and an open.
//
// The folder rules only bind ordinary users, so each case runs in a forked child that
// gives up root first (as user and group "nobody") when the tests run as root.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/core/CriteriaFile.h"
#include "engine/SearchCriteria.h"
#include "support/RandomBytes.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
constexpr int kSkipped = 77;

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

ino_t inodeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

SearchCriteria criteriaNamed(const std::string& name, std::size_t textLength = 8) {
    SearchCriteria criteria;
    criteria.fileName = name;
    criteria.containingText = std::string(textLength, 't');
    criteria.setLookInText("/srv/");
    return criteria;
}

// Runs `body` in a child process as an ordinary user; its text is empty on success and
// says what went wrong otherwise. Returns that text, or kSkipped's reason.
struct ChildOutcome {
    bool skipped = false;
    std::string failure;
};

ChildOutcome runAsOrdinaryUser(const std::function<std::string()>& body) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {false, "pipe failed"};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        int status = 0;
        std::string failure;
        if (::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNoGroup) != 0 || ::setuid(kNobody) != 0)) {
            failure = std::string("cannot give up root: ") + std::strerror(errno);
            status = kSkipped;
        } else {
            failure = body();
            status = failure.empty() ? 0 : 1;
        }
        [[maybe_unused]] const ssize_t written =
            ::write(pipeFds[1], failure.data(), failure.size());
        ::_exit(status);
    }
    ::close(pipeFds[1]);
    std::string text;
    char buffer[512];
    ssize_t got = 0;
    while ((got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return {false, "child did not end normally " + text};
    if (WEXITSTATUS(status) == kSkipped)
        return {true, text};
    return {false, WEXITSTATUS(status) == 0 ? std::string() : text};
}

#define EXPECT_CHILD_PASSES(outcome)                           \
    do {                                                       \
        const ChildOutcome result = (outcome);                 \
        if (result.skipped)                                    \
            GTEST_SKIP() << result.failure;                    \
        EXPECT_TRUE(result.failure.empty()) << result.failure; \
    } while (false)

class CriteriaFileInPlaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setSearchEnvironment({"/home/tester/", "Local hard drives (/,/home/)"});
        ::chmod(tree.path().c_str(), 0755);
        path = tree.path("shared.srf");
        std::string error;
        ASSERT_TRUE(CriteriaFile::save(path, criteriaNamed("old"), error)) << error;
        oldBytes = readAll(path);
    }
    // The file belongs to the user the child runs as, and only it may be written there.
    void giveFileToChildUser() {
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(path.c_str(), kNobody, kNoGroup), 0);
        }
        ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    }

    testing::TempTree tree;
    std::string path;
    std::string oldBytes;
};

TEST_F(CriteriaFileInPlaceTest, AFolderWhereOnlyTheFileIsWritableTakesTheSaveInPlace) {
    giveFileToChildUser();
    ASSERT_EQ(::chmod(tree.path().c_str(), 0555), 0);
    const ino_t inode = inodeOf(path);
    EXPECT_CHILD_PASSES(runAsOrdinaryUser([&]() -> std::string {
        std::string error;
        if (!CriteriaFile::save(path, criteriaNamed("new"), error))
            return "save failed: " + error;
        SearchCriteria loaded;
        if (!CriteriaFile::load(path, loaded, error) || loaded.fileName != "new")
            return "load after save: " + error + " " + loaded.fileName;
        // A new file in the same folder still cannot be made.
        if (CriteriaFile::save(tree.path("other.srf"), loaded, error))
            return "a new file was created in a read-only folder";
        return {};
    }));
    EXPECT_EQ(inodeOf(path), inode);
    EXPECT_EQ(readAll(path), CriteriaFile::serialize(criteriaNamed("new")));
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(tree.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"shared.srf"});
}

TEST_F(CriteriaFileInPlaceTest, AFailedWriteInPlacePutsTheOldBytesBack) {
    giveFileToChildUser();
    ASSERT_EQ(::chmod(tree.path().c_str(), 0555), 0);
    EXPECT_CHILD_PASSES(runAsOrdinaryUser([&]() -> std::string {
        // The new file would outgrow the size limit: its write fails part way.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(oldBytes.size() + 10),
                           static_cast<rlim_t>(oldBytes.size() + 10)};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return "setrlimit failed";
        std::string error;
        if (CriteriaFile::save(path, criteriaNamed("new", 4000), error))
            return "a save past the size limit succeeded";
        if (error.rfind(kFailedToSaveDocument, 0) != 0)
            return "unexpected message: " + error;
        return {};
    }));
    EXPECT_EQ(readAll(path), oldBytes);
}

TEST_F(CriteriaFileInPlaceTest, AFileThatMayNotBeWrittenIsNotReplaced) {
    giveFileToChildUser();
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(tree.path().c_str(), kNobody, kNoGroup), 0);
    }
    EXPECT_CHILD_PASSES(runAsOrdinaryUser([&]() -> std::string {
        std::string error;
        if (CriteriaFile::save(path, criteriaNamed("new"), error))
            return "a read-only file was replaced";
        if (error.find(std::strerror(EACCES)) == std::string::npos)
            return "unexpected message: " + error;
        return {};
    }));
    EXPECT_EQ(readAll(path), oldBytes);
}

TEST_F(CriteriaFileInPlaceTest, HardLinksAndOwnersSurviveASave) {
    const std::string second = tree.path("second name.srf");
    ASSERT_EQ(::link(path.c_str(), second.c_str()), 0);
    std::string error;
    ASSERT_TRUE(CriteriaFile::save(path, criteriaNamed("linked"), error)) << error;
    EXPECT_EQ(readAll(second), CriteriaFile::serialize(criteriaNamed("linked")));
    EXPECT_EQ(inodeOf(second), inodeOf(path));
    ASSERT_EQ(::unlink(second.c_str()), 0);

    if (::geteuid() != 0)
        GTEST_SKIP() << "a file of another owner needs root to set up";
    // A file of another user in a folder everyone may write: the save cannot give a
    // replacement the old owner, so it rewrites the file.
    ASSERT_EQ(::chmod(tree.path().c_str(), 01777), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    EXPECT_CHILD_PASSES(runAsOrdinaryUser([&]() -> std::string {
        std::string childError;
        if (!CriteriaFile::save(path, criteriaNamed("by another user"), childError))
            return "save failed: " + childError;
        return {};
    }));
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(readAll(path), CriteriaFile::serialize(criteriaNamed("by another user")));

    // Root may hand a replacement to the old owner: the usual atomic replace then.
    ASSERT_EQ(::chown(path.c_str(), kNobody, kNoGroup), 0);
    ASSERT_TRUE(CriteriaFile::save(path, criteriaNamed("by root"), error)) << error;
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, kNobody);
    EXPECT_EQ(after.st_gid, kNoGroup);
    EXPECT_EQ(after.st_mode & 07777, 0666u);
    EXPECT_NE(after.st_ino, before.st_ino);
}

TEST_F(CriteriaFileInPlaceTest, EveryTextKeepsItsBytesThroughASaveAndAnOpen) {
    testing::RandomBytes random(5);
    for (int round = 0; round < 100; ++round) {
        SearchCriteria saved;
        saved.fileName = random.text(3000);
        saved.containingText = random.text(3000);
        // Look-in entries are cut at ';' and trimmed; their bytes must survive otherwise.
        saved.setLookInText(random.textWithout(300, ";"));
        std::string error;
        ASSERT_TRUE(CriteriaFile::save(path, saved, error)) << error;
        SearchCriteria loaded;
        ASSERT_TRUE(CriteriaFile::load(path, loaded, error)) << error;
        ASSERT_EQ(loaded.fileName, saved.fileName);
        ASSERT_EQ(loaded.containingText, saved.containingText);
        ASSERT_EQ(loaded.lookIn, saved.lookIn);
    }
}

}  // namespace
}  // namespace scoutwell
