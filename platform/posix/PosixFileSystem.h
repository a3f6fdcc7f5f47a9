// The engine's file system on Linux: folders enumerated on directory descriptors
// (openat, getdents64, d_type; fstatat only when asked), links never followed by the walk,
// only regular files opened for scanning, pseudo file systems never walked into.
//
//   PosixFileSystem fs;
//   setFileSystem(&fs);
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "engine/FileSystem.h"
#include "platform/posix/MountTable.h"

namespace scoutwell {

class PosixFileSystem : public FileSystem {
  public:
    std::unique_ptr<Directory> openFolder(const std::string& path, bool stayOnFileSystem) override;
    std::unique_ptr<ReadableFile> openForScan(const std::string& folder,
                                              const std::string& name) override;
    bool isDirectory(const std::string& path) override;
    bool exists(const std::string& path) override;
    std::vector<MountPoint> mounts() override;

    // The file-system type of a device, from the mount table (read once, and again when a
    // device is not in it).
    std::string fsTypeOfDevice(unsigned long device);

  private:
    std::mutex lock_;
    std::vector<MountEntry> table_;
    bool tableRead_ = false;
};

}  // namespace scoutwell
