// What the engine needs of the file system, behind an interface so that tests can put
// faults in its way. The program uses the POSIX implementation of platform/.
//
// Folders are opened relative to their parent where the implementation can (directory
// descriptors), so the process's current directory is never involved and several
// searches can run at once. A file the program itself is writing (an output file, a file
// being saved) is never described nor opened: to a search it is not there.
//
// Where an open returns nullptr, errno says why: EMFILE or ENFILE when the process ran
// out of descriptors (the search frees some and tries again, DescriptorBudget.h), 0 when
// the entry was left out by rule (another file system, not a regular file).
//
// Exercised by tests/app/ResultWriterTest.cpp, tests/engine/ContentsScanTest.cpp,
//  tests/engine/DeepTreeWalkTest.cpp, tests/engine/FaultConcurrencyTest.cpp,
//  tests/engine/WalkDifferentialTest.cpp, tests/gui/ResultListViewTest.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/DateTime.h"

namespace scoutwell {

enum class EntryType : std::uint8_t { Unknown, Directory, File, Link, Other };

struct EntryInfo {
    std::uint64_t size = 0;
    FileTime modified = 0;
    bool isDirectory = false;
};

class ReadableFile;

// One open folder being enumerated.
class Directory {
  public:
    virtual ~Directory() = default;
    // The next entry other than "." and ".."; false at the end or on an error. `name` stays
    // valid until the next call.
    virtual bool next(std::string_view& name, EntryType& type) = 0;
    // Size and time of an entry of this folder; a link describes itself.
    virtual bool stat(std::string_view name, EntryInfo& info) = 0;
    // Opens a subfolder of this folder for the walk; nullptr when it cannot be entered or
    // must not be walked into (another file system where the walk is kept on one).
    virtual std::unique_ptr<Directory> openSubfolder(std::string_view name) = 0;
    // Opens this folder's parent again, for a walk that let the parent go; nullptr when
    // that cannot be done with certainty of reaching the same folder (the walk then
    // opens it down from an ancestor by its names).
    virtual std::unique_ptr<Directory> openParent() { return nullptr; }
    // False when closing failed.
    virtual bool close() = 0;
    // The device and inode of this folder, where the file system has them.
    virtual bool identity(std::uint64_t& /*device*/, std::uint64_t& /*inode*/) const {
        return false;
    }
    // Opens an entry that listed as a regular file for a contents scan, relative to this
    // folder and without following a link, and describes it as stat() would; nullptr when
    // it is not a regular file any more or cannot be opened that way (the caller then takes
    // the path: stat() and FileSystem::openForScan()). Usable after close().
    virtual std::unique_ptr<ReadableFile> openFile(std::string_view /*name*/, EntryInfo& /*info*/) {
        return nullptr;
    }
    // Starts reading the first bytes of an entry that listed as a regular file into the
    // file system's cache, for a scan that comes soon; returns without waiting for them.
    // Only a hint: nothing is reported, and files left out of scans are left alone.
    virtual void readFileAhead(std::string_view /*name*/) {}
};

// One regular file open for reading.
class ReadableFile {
  public:
    virtual ~ReadableFile() = default;
    // Bytes read, 0 at the end, -1 on a read error.
    virtual long read(char* buffer, std::size_t size) = 0;
    // When the next bytes are a hole of a sparse file (never written: they read as NULs),
    // moves past as many whole units of `unit` bytes of it as it holds, as reading them
    // would, and returns the bytes passed; 0 when there is no hole here or the file cannot
    // tell. Never passes the end of what read() would return.
    virtual std::uint64_t skipHole(std::uint64_t /*unit*/) { return 0; }
};

struct MountPoint {
    std::string path;  // ends with '/'
    std::string fsType;
    std::string source;
    bool local = false;  // a local, non-removable block device
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Opens a look-in folder by its full path. With stayOnFileSystem, the walk below it
    // never enters another file system.
    virtual std::unique_ptr<Directory> openFolder(const std::string& path,
                                                  bool stayOnFileSystem) = 0;
    // Opens a regular file for a contents scan (links are followed); nullptr for anything
    // else (folders, FIFOs, devices, sockets) and for files that cannot be opened.
    virtual std::unique_ptr<ReadableFile> openForScan(const std::string& folder,
                                                      const std::string& name) = 0;
    virtual bool isDirectory(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
    // The mounted file systems in mount-table order, pseudo file systems left out.
    virtual std::vector<MountPoint> mounts() = 0;
    // Whether openFolder(), and what the folders it opens do, may run on other threads
    // while a walk goes on; the walk then lists ahead of itself (WalkReadAhead.h).
    virtual bool opensFoldersOnAnyThread() const { return false; }
};

// The file system every search uses. The program and the tests install one; without it
// the engine has none and every folder is skipped.
FileSystem* fileSystem();
void setFileSystem(FileSystem* fs);

}  // namespace scoutwell
