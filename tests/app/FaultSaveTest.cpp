// Saving criteria where the save cannot succeed: a folder that cannot be written, a disk
// that is full. The previous file stays exactly as it was, no temporary is left behind,
// and the caller gets the failure to show.
//
// Needs root to mount a tiny tmpfs of its own (CI runs as root); skipped otherwise. The
// plain unwritable-folder case for other users is in CriteriaFileTest.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/core/CriteriaFile.h"
#include "engine/SearchCriteria.h"

namespace scoutwell {
namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class FaultSaveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a small file system needs root";
        char pattern[] = "/tmp/scoutwell-fault-save-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
        if (::mount("tmpfs", dir_.c_str(), "tmpfs", 0, "size=64k,mode=0700") != 0) {
            const int error = errno;
            std::filesystem::remove(dir_);
            dir_.clear();
            GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(error);
        }
        mounted_ = true;
        path_ = dir_ + "/saved.srf";
        SearchCriteria old;
        old.fileName = "old name";
        old.containingText = "old text";
        std::string error;
        ASSERT_TRUE(CriteriaFile::save(path_, old, error)) << error;
        oldBytes_ = readAll(path_);
    }
    void TearDown() override {
        if (mounted_)
            ::umount2(dir_.c_str(), MNT_DETACH);
        if (!dir_.empty())
            std::filesystem::remove(dir_);
    }

    // The failure was reported, the old file is unchanged, and nothing else is in the folder.
    void expectOldFileKept(bool saved, const std::string& error) {
        EXPECT_FALSE(saved);
        EXPECT_EQ(error.rfind(kFailedToSaveDocument, 0), 0u) << error;
        EXPECT_EQ(readAll(path_), oldBytes_);
        SearchCriteria loaded;
        std::string loadError;
        ASSERT_TRUE(CriteriaFile::load(path_, loaded, loadError)) << loadError;
        EXPECT_EQ(loaded.fileName, "old name");
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_))
            names.push_back(entry.path().filename().string());
        std::erase(names, "filler");
        EXPECT_EQ(names, std::vector<std::string>{"saved.srf"});
    }

    std::string dir_;
    std::string path_;
    std::string oldBytes_;
    bool mounted_ = false;
};

TEST_F(FaultSaveTest, FullDiskKeepsThePreviousFile) {
    // Fill every block that is left.
    {
        std::ofstream filler(dir_ + "/filler", std::ios::binary);
        const std::string block(4096, 'f');
        for (int i = 0; i < 64 && filler; ++i)
            filler.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
    for (const std::size_t size : {std::size_t{10}, std::size_t{100000}}) {
        SCOPED_TRACE(size);
        SearchCriteria replacement;
        replacement.fileName = "new name";
        replacement.containingText = std::string(size, 'n');
        std::string error;
        expectOldFileKept(CriteriaFile::save(path_, replacement, error), error);
    }
}

TEST_F(FaultSaveTest, ReadOnlyFolderKeepsThePreviousFile) {
    ASSERT_EQ(::mount("tmpfs", dir_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k"), 0)
        << std::strerror(errno);
    SearchCriteria replacement;
    replacement.fileName = "new name";
    std::string error;
    expectOldFileKept(CriteriaFile::save(path_, replacement, error), error);
    // A new file in the same folder fails the same way.
    EXPECT_FALSE(CriteriaFile::save(dir_ + "/other.srf", replacement, error));
    EXPECT_EQ(error.rfind(kFailedToSaveDocument, 0), 0u) << error;
}

}  // namespace
}  // namespace scoutwell
