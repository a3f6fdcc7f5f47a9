// Extracted copies of archive members: in a private folder, read-only, never outside it
// whatever the member's name, and gone with the folder.
#include "platform/posix/MemberExtraction.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "engine/FoundItem.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/ArchiveWriter.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::TempTree;

class MemberExtractionTest : public ::testing::Test {
  protected:
    void SetUp() override { setFileSystem(&fs_); }
    void TearDown() override { setFileSystem(nullptr); }

    // The item of a member at `inside` in the archive at `archive` (a path in `tree`).
    static FoundFile member(const TempTree& tree, const std::string& archive,
                            const std::string& inside) {
        const std::string full = tree.path(archive) + "/" + inside;
        const std::size_t slash = full.rfind('/');
        FoundFile item(makeSharedText(full.substr(0, slash + 1)), full.substr(slash + 1), 0, 0);
        item.archivePathLength = static_cast<std::uint32_t>(tree.path(archive).size());
        return item;
    }

    static std::string contentsOf(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    PosixFileSystem fs_;
};

TEST_F(MemberExtractionTest, CopiesAreReadOnlyInAPrivateFolderAndGoWithIt) {
    TempTree tree;
    TempTree base;
    testing::RawZipMember up{"../../up.txt", "up\n"};
    testing::RawZipMember absolute{"/tmp/abs.txt", "abs\n"};
    tree.file("a.zip", testing::rawZip({up, absolute}));
    tree.file("b.tgz",
              testing::writeArchive(
                  "pax", "gzip",
                  {{"link", "../../../../etc/passwd", 0, testing::ArchiveMember::kSymlink},
                   {"dir/in.zip", testing::writeArchive("zip", "", {{"deep.txt", "deep\n"}})}}));
    std::string folder;
    {
        MemberExtraction extraction(base.path());
        std::string error;
        struct Case {
            FoundFile item;
            std::string contents;
        };
        // The engine names them so; an item made up with a hostile name is kept inside too.
        Case cases[] = {{member(tree, "a.zip", "up.txt"), "up\n"},
                        {member(tree, "a.zip", "tmp/abs.txt"), "abs\n"},
                        {member(tree, "b.tgz", "dir/in.zip/deep.txt"), "deep\n"},
                        {member(tree, "a.zip", "up.txt"), "up\n"}};
        cases[3].item.name = "..";
        cases[3].item.location = makeSharedText(tree.path("a.zip/"));
        cases[3].contents = "";
        for (const Case& c : cases) {
            const std::string copy = extraction.extract(c.item, error);
            folder = extraction.folder();
            if (c.item.name == "..") {
                // No such member: nothing is left behind.
                EXPECT_EQ(copy, "");
                EXPECT_NE(error.find("not in the archive"), std::string::npos) << error;
                continue;
            }
            ASSERT_NE(copy, "") << error;
            EXPECT_TRUE(copy.starts_with(folder)) << copy;
            EXPECT_EQ(std::filesystem::path(copy).filename(), c.item.name);
            EXPECT_EQ(contentsOf(copy), c.contents);
            struct stat st {};
            ASSERT_EQ(::lstat(copy.c_str(), &st), 0);
            EXPECT_TRUE(S_ISREG(st.st_mode));
            EXPECT_EQ(st.st_mode & 0777, 0400u);
            // The same member again is the same copy.
            EXPECT_EQ(extraction.extract(c.item, error), copy);
        }
        struct stat st {};
        ASSERT_EQ(::stat(folder.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        // The link in the archive is not a member, so never written anywhere.
        EXPECT_EQ(extraction.extract(member(tree, "b.tgz", "link"), error), "");
        // Nothing but the private folder was made in the base folder.
        std::size_t entries = 0;
        for (const auto& entry : std::filesystem::directory_iterator(base.path())) {
            EXPECT_EQ(entry.path().string() + "/", folder);
            ++entries;
        }
        EXPECT_EQ(entries, 1u);
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace
}  // namespace scoutwell
