// An in-memory file system for contents-scan tests: files are byte strings, reads can be
// made to fail after a given number of bytes, and every read is recorded. Install it with
// FakeScanFileSystem::Installed, which puts the previous file system back afterwards.
#pragma once

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/FileSystem.h"

namespace scoutwell::testing {

class FakeScanFileSystem : public FileSystem {
  public:
    static constexpr std::size_t kNeverFail = static_cast<std::size_t>(-1);

    struct File {
        std::string contents;
        // Reads succeed while they stay within this many bytes; the read that would go past
        // it fails, and so does every later one.
        std::size_t failAfter = kNeverFail;
    };

    // Keeps the fake installed for the lifetime of the object.
    class Installed {
      public:
        explicit Installed(FakeScanFileSystem& fs) : previous_(fileSystem()) { setFileSystem(&fs); }
        ~Installed() { setFileSystem(previous_); }
        Installed(const Installed&) = delete;
        Installed& operator=(const Installed&) = delete;

      private:
        FileSystem* previous_;
    };

    void add(const std::string& path, std::string contents, std::size_t failAfter = kNeverFail) {
        files_[path] = File{std::move(contents), failAfter};
    }

    // The sizes asked for by every read, in order, over all files.
    const std::vector<std::size_t>& readSizes() const { return readSizes_; }
    int opened() const { return opened_; }
    int closed() const { return closed_; }
    void clearLog() {
        readSizes_.clear();
        opened_ = 0;
        closed_ = 0;
    }

    std::unique_ptr<ReadableFile> openForScan(const std::string& folder,
                                              const std::string& name) override {
        const auto it = files_.find(folder + name);
        if (it == files_.end())
            return nullptr;
        ++opened_;
        return std::make_unique<FakeFile>(*this, it->second);
    }
    std::unique_ptr<Directory> openFolder(const std::string&, bool) override { return nullptr; }
    bool isDirectory(const std::string&) override { return false; }
    bool exists(const std::string& path) override { return files_.count(path) != 0; }
    std::vector<MountPoint> mounts() override { return {}; }

  private:
    class FakeFile : public ReadableFile {
      public:
        FakeFile(FakeScanFileSystem& fs, const File& file) : fs_(fs), file_(file) {}
        ~FakeFile() override { ++fs_.closed_; }

        long read(char* buffer, std::size_t size) override {
            fs_.readSizes_.push_back(size);
            const std::size_t n = std::min(size, file_.contents.size() - offset_);
            if (failed_ || offset_ + n > file_.failAfter) {
                failed_ = true;
                return -1;
            }
            std::memcpy(buffer, file_.contents.data() + offset_, n);
            offset_ += n;
            return static_cast<long>(n);
        }

      private:
        FakeScanFileSystem& fs_;
        const File& file_;
        std::size_t offset_ = 0;
        bool failed_ = false;
    };

    std::map<std::string, File> files_;
    std::vector<std::size_t> readSizes_;
    int opened_ = 0;
    int closed_ = 0;
};

}  // namespace scoutwell::testing
