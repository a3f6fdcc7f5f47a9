// The files this process is writing: an output file, a file being saved, and the file each
// is about to replace. The POSIX file system never describes nor opens one of them for a
// search, so a search never reads its own output, whatever folder it walks and under
// whatever name it meets the file (a link, a second hard link).
//
//   WrittenFile mark(st.st_dev, st.st_ino);   // while the file is written
//   if (isWrittenFile(st.st_dev, st.st_ino)) return nullptr;
//
// Exercised by tests/platform/FileReplacementTest.cpp, tests/platform/PosixFileSystemTest.cpp.
#pragma once

#include <sys/types.h>

namespace scoutwell {

// Marks one file, by device and inode, for as long as it lives.
class WrittenFile {
  public:
    WrittenFile() = default;
    WrittenFile(dev_t device, ino_t inode);
    ~WrittenFile();
    WrittenFile(WrittenFile&& other) noexcept;
    WrittenFile& operator=(WrittenFile&& other) noexcept;
    WrittenFile(const WrittenFile&) = delete;
    WrittenFile& operator=(const WrittenFile&) = delete;

  private:
    void release();

    bool marked_ = false;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

// Whether a file of that device and inode is being written; costs one atomic load while
// none is.
bool isWrittenFile(dev_t device, ino_t inode);

}  // namespace scoutwell
