// The POSIX enumeration that the walk runs on: every entry once with its type, across
// many reads of a big folder, subfolders opened after the enumeration has ended, and no
// descriptor left open by a walk.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "platform/posix/PosixFileSystem.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::TempTree;

std::map<std::string, EntryType> enumerate(Directory& dir) {
    std::map<std::string, EntryType> entries;
    std::string_view name;
    EntryType type = EntryType::Unknown;
    while (dir.next(name, type))
        EXPECT_TRUE(entries.emplace(std::string(name), type).second) << "twice: " << name;
    return entries;
}

std::size_t openDescriptors() {
    std::size_t count = 0;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
        (void)e;
        ++count;
    }
    return count;
}

TEST(PosixWalk, ListsEveryEntryOnceWithItsTypeAcrossManyReads) {
    TempTree tree;
    std::map<std::string, EntryType> expected;
    // Long names: the folder's entries take several reads of the entry buffer.
    for (int i = 0; i < 1000; ++i) {
        const std::string name = std::string(150, 'f') + std::to_string(i);
        tree.file(name);
        expected[name] = EntryType::File;
    }
    tree.folder("sub");
    tree.symlink("link", tree.path("sub"));
    tree.fifo("fifo");
    expected["sub"] = EntryType::Directory;
    expected["link"] = EntryType::Link;
    expected["fifo"] = EntryType::Other;

    PosixFileSystem fs;
    std::unique_ptr<Directory> dir = fs.openFolder(tree.path(), false);
    ASSERT_TRUE(dir);
    EXPECT_EQ(enumerate(*dir), expected);
    std::string_view name;
    EntryType type;
    EXPECT_FALSE(dir->next(name, type)) << "the end stays the end";
}

TEST(PosixWalk, OpensSubfoldersAndStatsEntriesAfterTheEnumerationIsClosed) {
    TempTree tree;
    tree.file("sub/inner.txt", "12345");
    tree.file("top.txt", "abc");
    PosixFileSystem fs;
    std::unique_ptr<Directory> dir = fs.openFolder(tree.path(), false);
    ASSERT_TRUE(dir);
    std::string_view name;
    EntryType type;
    ASSERT_TRUE(dir->next(name, type));
    EXPECT_TRUE(dir->close());
    EXPECT_FALSE(dir->next(name, type));

    EntryInfo info;
    ASSERT_TRUE(dir->stat("top.txt", info));
    EXPECT_EQ(info.size, 3u);
    std::unique_ptr<Directory> sub = dir->openSubfolder("sub");
    ASSERT_TRUE(sub);
    EXPECT_EQ(enumerate(*sub), (std::map<std::string, EntryType>{{"inner.txt", EntryType::File}}));
    EXPECT_FALSE(dir->openSubfolder("top.txt")) << "a file is no folder";
}

TEST(PosixWalk, AWalkLeavesNoDescriptorOpen) {
    TempTree tree;
    for (int i = 0; i < 40; ++i)
        tree.file("a" + std::to_string(i % 5) + "/b" + std::to_string(i) + "/c.txt");
    PosixFileSystem fs;
    const std::size_t before = openDescriptors();
    std::size_t folders = 0;
    std::function<void(Directory&)> walk = [&](Directory& dir) {
        ++folders;
        std::vector<std::string> subs;
        for (const auto& [name, type] : enumerate(dir)) {
            if (type == EntryType::Directory)
                subs.push_back(name);
        }
        // Half of the folders are left without closing: the destructor must do it.
        if (folders % 2 == 0)
            dir.close();
        for (const std::string& s : subs) {
            std::unique_ptr<Directory> child = dir.openSubfolder(s);
            ASSERT_TRUE(child);
            walk(*child);
        }
    };
    {
        std::unique_ptr<Directory> root = fs.openFolder(tree.path(), false);
        ASSERT_TRUE(root);
        walk(*root);
    }
    EXPECT_EQ(folders, 1u + 5u + 40u);
    EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace scoutwell
