#include "platform/posix/PosixFileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "platform/posix/WrittenFiles.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

TEST(MountTable, ParsesMountInfoLines) {
    const char* text =
        "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
        "27 1 254:0 / / rw,relatime shared:1 master:2 - ext4 /dev/vda rw,discard\n"
        "40 27 8:17 / /media/My\\040Disk rw - vfat /dev/sdb1 rw\n"
        "garbage line\n"
        "41 27 0:44 /sub /home rw - btrfs /dev/sda2 rw\n";
    const std::vector<MountEntry> e = parseMountInfo(text);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].mountPoint, "/proc/");
    EXPECT_EQ(e[0].fsType, "proc");
    EXPECT_EQ(e[1].mountPoint, "/");
    EXPECT_EQ(e[1].major, 254u);
    EXPECT_EQ(e[1].fsType, "ext4");
    EXPECT_EQ(e[1].source, "/dev/vda");
    EXPECT_EQ(e[2].mountPoint, "/media/My Disk/");
    EXPECT_EQ(e[3].minor, 44u);

    EXPECT_TRUE(isPseudoFileSystem("sysfs"));
    EXPECT_TRUE(isPseudoFileSystem("devtmpfs"));
    EXPECT_FALSE(isPseudoFileSystem("ext4"));
    EXPECT_FALSE(isPseudoFileSystem("tmpfs"));
    MountEntry shm;
    shm.fsType = "tmpfs";
    shm.mountPoint = "/dev/shm/";
    EXPECT_TRUE(isSystemTmpfs(shm));
    shm.mountPoint = "/tmp/";
    EXPECT_FALSE(isSystemTmpfs(shm));
}

TEST(PosixFileSystem, EnumeratesEntriesWithTheirTypes) {
    testing::TempTree tree;
    tree.file("file.txt", "12345");
    tree.folder("sub");
    tree.symlink("link", tree.path("sub"));
    tree.fifo("pipe");
    PosixFileSystem fs;
    auto dir = fs.openFolder(tree.path(), false);
    ASSERT_TRUE(dir);
    std::set<std::pair<std::string, EntryType>> seen;
    std::string_view name;
    EntryType type;
    while (dir->next(name, type))
        seen.insert({std::string(name), type});
    EXPECT_EQ(seen, (std::set<std::pair<std::string, EntryType>>{{"file.txt", EntryType::File},
                                                                 {"sub", EntryType::Directory},
                                                                 {"link", EntryType::Link},
                                                                 {"pipe", EntryType::Other}}));
    EntryInfo info;
    ASSERT_TRUE(dir->stat("file.txt", info));
    EXPECT_EQ(info.size, 5u);
    EXPECT_GT(info.modified, 0);
    EXPECT_TRUE(dir->close());
    // Subfolders open from the folder's descriptor after its enumeration has closed; a
    // link is never walked into.
    EXPECT_TRUE(dir->openSubfolder("sub"));
    EXPECT_FALSE(dir->openSubfolder("link"));
    EXPECT_FALSE(dir->openSubfolder("missing"));
}

TEST(PosixFileSystem, OnlyRegularFilesAreOpenedForScanning) {
    testing::TempTree tree;
    tree.file("file.txt", "abc");
    tree.folder("sub");
    tree.fifo("pipe");
    tree.symlink("link", tree.path("file.txt"));
    PosixFileSystem fs;
    auto f = fs.openForScan(tree.path(), "file.txt");
    ASSERT_TRUE(f);
    char buf[8];
    EXPECT_EQ(f->read(buf, sizeof buf), 3);
    EXPECT_EQ(f->read(buf, sizeof buf), 0);
    EXPECT_TRUE(fs.openForScan(tree.path(), "link"));  // followed for reading
    EXPECT_FALSE(fs.openForScan(tree.path(), "sub"));
    EXPECT_FALSE(fs.openForScan(tree.path(), "pipe"));  // and no wait for a writer
    EXPECT_FALSE(fs.openForScan(tree.path(), "missing"));
    EXPECT_FALSE(fs.openForScan("/dev/", "zero"));

    // Opened in its folder, a regular file is described as well; anything else, a link
    // included, is left to the caller's stat and open by path.
    std::unique_ptr<Directory> dir = fs.openFolder(tree.path(), /*stayOnFileSystem=*/false);
    ASSERT_TRUE(dir);
    EntryInfo info;
    f = dir->openFile("file.txt", info);
    ASSERT_TRUE(f);
    EXPECT_EQ(info.size, 3u);
    EXPECT_FALSE(info.isDirectory);
    EXPECT_EQ(f->read(buf, 2), 2);
    EXPECT_EQ(f->read(buf, sizeof buf), 1);
    EXPECT_EQ(f->read(buf, sizeof buf), 0);
    for (const char* name : {"link", "sub", "pipe", "missing"})
        EXPECT_FALSE(dir->openFile(name, info)) << name;
}

// Reads a file for scanning in 50,000-byte chunks; the bytes read in all.
std::size_t bytesReadForScan(PosixFileSystem& fs, const std::string& folder,
                             const std::string& name) {
    std::unique_ptr<ReadableFile> file = fs.openForScan(folder, name);
    EXPECT_TRUE(file) << folder << name;
    if (!file)
        return 0;
    std::string buffer(50000, '\0');
    std::size_t total = 0;
    for (long got; (got = file->read(buffer.data(), buffer.size())) > 0;)
        total += static_cast<std::size_t>(got);
    return total;
}

TEST(PosixFileSystem, PseudoFilesAreReadOnlyUpToABound) {
    PosixFileSystem fs;
    // Gigabytes of page-table entries, reported as size 0.
    const std::size_t pagemap = bytesReadForScan(fs, "/proc/self/", "pagemap");
    EXPECT_GT(pagemap, 0u);
    EXPECT_LE(pagemap, std::size_t{1} << 20);
    // A short text file there is read whole.
    EXPECT_GT(bytesReadForScan(fs, "/proc/self/", "status"), 100u);
    // The same bound when the walk opens the file in its folder.
    std::unique_ptr<Directory> proc = fs.openFolder("/proc/self/", /*stayOnFileSystem=*/false);
    ASSERT_TRUE(proc);
    EntryInfo info;
    std::unique_ptr<ReadableFile> file = proc->openFile("pagemap", info);
    ASSERT_TRUE(file);
    std::string buffer(50000, '\0');
    std::size_t total = 0;
    for (long got; (got = file->read(buffer.data(), buffer.size())) > 0;)
        total += static_cast<std::size_t>(got);
    EXPECT_EQ(total, std::size_t{1} << 20);

    testing::TempTree tree;
    tree.file("big", std::string(3u << 20, 'x'));
    EXPECT_EQ(bytesReadForScan(fs, tree.path(), "big"), 3u << 20) << "ordinary files whole";
}

TEST(PosixFileSystem, AFileGrowingWhileReadIsReadUpToItsSizeWhenOpened) {
    testing::TempTree tree;
    const std::string path = tree.file("log", std::string(70000, 'a'));
    PosixFileSystem fs;
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    if (fs.kindOfDevice(st.st_dev) != FileSystemKind::kExactSizes)
        GTEST_SKIP() << "the temporary folder's file system does not report exact sizes";

    std::unique_ptr<Directory> dir = fs.openFolder(tree.path(), /*stayOnFileSystem=*/false);
    ASSERT_TRUE(dir);
    EntryInfo info;
    std::unique_ptr<ReadableFile> inFolder = dir->openFile("log", info);
    std::unique_ptr<ReadableFile> byPath = fs.openForScan(tree.path(), "log");
    ASSERT_TRUE(inFolder && byPath);
    // Appended to after both opened: a writer that keeps up would keep a scan going.
    std::ofstream(path, std::ios::app) << std::string(100000, 'b');
    for (ReadableFile* file : {inFolder.get(), byPath.get()}) {
        std::string buffer(50000, '\0');
        std::string read;
        for (long got; (got = file->read(buffer.data(), buffer.size())) > 0;)
            read.append(buffer, 0, static_cast<std::size_t>(got));
        EXPECT_EQ(read, std::string(70000, 'a'));
    }
}

TEST(PosixFileSystem, FilesThisProcessWritesAreNeverDescribedNorOpened) {
    testing::TempTree tree;
    const std::string path = tree.file("out.txt", "needle");
    tree.symlink("link", path);
    ASSERT_EQ(::link(path.c_str(), tree.path("second").c_str()), 0);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    PosixFileSystem fs;
    std::unique_ptr<Directory> dir = fs.openFolder(tree.path(), /*stayOnFileSystem=*/false);
    ASSERT_TRUE(dir);
    EntryInfo info;
    for (const bool written : {true, false}) {
        SCOPED_TRACE(written);
        WrittenFile mark = written ? WrittenFile(st.st_dev, st.st_ino) : WrittenFile();
        EXPECT_EQ(isWrittenFile(st.st_dev, st.st_ino), written);
        for (const char* name : {"out.txt", "second"}) {
            EXPECT_EQ(dir->stat(name, info), !written) << name;
            EXPECT_EQ(dir->openFile(name, info) != nullptr, !written) << name;
            EXPECT_EQ(fs.openForScan(tree.path(), name) != nullptr, !written) << name;
        }
        // A link is a file of its own to the walk, but scanning it reaches the output.
        EXPECT_TRUE(dir->stat("link", info));
        EXPECT_EQ(fs.openForScan(tree.path(), "link") != nullptr, !written);
    }
}

TEST(PosixFileSystem, PseudoFileSystemsAreWalkedOnlyFromInside) {
    PosixFileSystem fs;
    auto root = fs.openFolder("/", false);
    ASSERT_TRUE(root);
    EXPECT_FALSE(root->openSubfolder("proc"));
    EXPECT_FALSE(root->openSubfolder("sys"));
    auto proc = fs.openFolder("/proc/", false);
    ASSERT_TRUE(proc);
    EXPECT_TRUE(proc->openSubfolder("sys"));  // "self" would be a link

    // A drive-list root keeps the walk on its own file system.
    auto kept = fs.openFolder("/", true);
    ASSERT_TRUE(kept);
    EXPECT_FALSE(kept->openSubfolder("dev"));
    EXPECT_TRUE(kept->openSubfolder("etc"));
}

TEST(PosixFileSystem, MountsListEachFileSystemOnceWithoutPseudoOnes) {
    PosixFileSystem fs;
    const std::vector<MountPoint> mounts = fs.mounts();
    std::set<std::string> paths;
    for (const MountPoint& m : mounts) {
        EXPECT_FALSE(isPseudoFileSystem(m.fsType)) << m.path;
        EXPECT_EQ(m.path.back(), '/');
        EXPECT_TRUE(paths.insert(m.path).second) << m.path;
    }
    EXPECT_EQ(paths.count("/proc/"), 0u);
}

}  // namespace
}  // namespace scoutwell
