// The engine's file system on Linux: folders enumerated on directory descriptors
// (openat, getdents64, d_type; fstatat only when asked), links never followed by the walk,
// only regular files opened for scanning, pseudo file systems never walked into, and the
// files this process writes (WrittenFiles.h) never described nor opened. A file is read up
// to the size it had when opened where the file system's sizes can be trusted.
//
//   PosixFileSystem fs;
//   setFileSystem(&fs);
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/FileSystem.h"
#include "platform/posix/MountTable.h"

namespace scoutwell {

enum class FileSystemKind {
    kPseudo,      // proc, sysfs and the like: reads are bounded
    kExactSizes,  // local file systems whose sizes say where reading ends
    kOther,
};

class PosixFileSystem : public FileSystem {
  public:
    std::unique_ptr<Directory> openFolder(const std::string& path, bool stayOnFileSystem) override;
    std::unique_ptr<ReadableFile> openForScan(const std::string& folder,
                                              const std::string& name) override;
    bool isDirectory(const std::string& path) override;
    bool exists(const std::string& path) override;
    std::vector<MountPoint> mounts() override;
    // Each walk's folders share only what is locked (the mount table).
    bool opensFoldersOnAnyThread() const override { return true; }

    // The file-system type of a device, from the mount table (read once, and again when a
    // device is not in it).
    std::string fsTypeOfDevice(unsigned long device);
    // What reading the files of a device's file system must allow for.
    FileSystemKind kindOfDevice(unsigned long device);

  private:
    std::mutex lock_;
    std::vector<MountEntry> table_;
    bool tableRead_ = false;
    unsigned long lastKindDevice_ = 0;
    std::optional<FileSystemKind> lastKind_;
};

}  // namespace scoutwell
