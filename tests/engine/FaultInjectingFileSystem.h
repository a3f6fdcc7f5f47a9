// A file system over the installed one that runs an action just before a chosen call (the
// n-th folder enumeration step, stat, subfolder open, open for scan or read), so that a
// test can make an entry vanish, change permission or be replaced at exactly that moment,
// and that can make a chosen read fail or chosen opens find no descriptor free. Install it
// with FaultInjectingFileSystem::Installed.
#pragma once

#include <cerrno>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/FileSystem.h"

namespace scoutwell::testing {

class FaultInjectingFileSystem : public FileSystem {
  public:
    enum class Call { OpenFolder, Next, Stat, OpenSubfolder, OpenForScan, Read };

    explicit FaultInjectingFileSystem(FileSystem* real) : real_(real) {}

    class Installed {
      public:
        explicit Installed(FaultInjectingFileSystem& fs) : previous_(fileSystem()) {
            setFileSystem(&fs);
        }
        ~Installed() { setFileSystem(previous_); }
        Installed(const Installed&) = delete;
        Installed& operator=(const Installed&) = delete;

      private:
        FileSystem* previous_;
    };

    // Runs `action` just before the n-th call (1-based) of `call`, counted over all
    // folders and files.
    void before(Call call, int n, std::function<void()> action) {
        std::lock_guard<std::mutex> g(lock_);
        actions_[{call, n}] = std::move(action);
    }
    // Runs `action` just before the first call of `call` that names the entry `name`
    // (Stat, OpenSubfolder, OpenForScan).
    void beforeEntry(Call call, std::string name, std::function<void()> action) {
        std::lock_guard<std::mutex> g(lock_);
        entryActions_[{call, std::move(name)}] = std::move(action);
    }
    // The n-th read (1-based, over all files) fails; so does every later read of that file.
    void failRead(int n) { failingRead_ = n; }
    // Calls n to n + times - 1 of `call` (OpenFolder, OpenSubfolder or OpenForScan) find no
    // descriptor free: they fail with EMFILE.
    void exhaustDescriptors(Call call, int n, int times) {
        std::lock_guard<std::mutex> g(lock_);
        exhausted_[call] = {n, n + times};
    }
    int count(Call call) {
        std::lock_guard<std::mutex> g(lock_);
        return counts_[call];
    }

    std::unique_ptr<Directory> openFolder(const std::string& path, bool stay) override {
        if (outOfDescriptors(Call::OpenFolder, arrive(Call::OpenFolder)))
            return nullptr;
        auto dir = real_->openFolder(path, stay);
        return dir ? std::make_unique<FaultyDirectory>(*this, std::move(dir)) : nullptr;
    }
    std::unique_ptr<ReadableFile> openForScan(const std::string& folder,
                                              const std::string& name) override {
        if (outOfDescriptors(Call::OpenForScan, arrive(Call::OpenForScan, name)))
            return nullptr;
        auto file = real_->openForScan(folder, name);
        return file ? std::make_unique<FaultyFile>(*this, std::move(file)) : nullptr;
    }
    bool isDirectory(const std::string& path) override { return real_->isDirectory(path); }
    bool exists(const std::string& path) override { return real_->exists(path); }
    std::vector<MountPoint> mounts() override { return real_->mounts(); }

  private:
    // Whether the n-th call of `call` is to fail for want of descriptors; sets errno then.
    bool outOfDescriptors(Call call, int n) {
        std::lock_guard<std::mutex> g(lock_);
        const auto it = exhausted_.find(call);
        if (it == exhausted_.end() || n < it->second.first || n >= it->second.second)
            return false;
        errno = EMFILE;
        return true;
    }

    // Counts the call and runs its action, outside the lock so that it may take its time.
    int arrive(Call call, std::string_view name = {}) {
        std::function<void()> action;
        int n = 0;
        {
            std::lock_guard<std::mutex> g(lock_);
            n = ++counts_[call];
            const auto it = actions_.find({call, n});
            if (it != actions_.end()) {
                action = std::move(it->second);
                actions_.erase(it);
            } else if (!name.empty()) {
                const auto named = entryActions_.find({call, std::string(name)});
                if (named != entryActions_.end()) {
                    action = std::move(named->second);
                    entryActions_.erase(named);
                }
            }
        }
        if (action)
            action();
        return n;
    }

    class FaultyDirectory : public Directory {
      public:
        FaultyDirectory(FaultInjectingFileSystem& fs, std::unique_ptr<Directory> real)
            : fs_(fs), real_(std::move(real)) {}
        bool next(std::string_view& name, EntryType& type) override {
            fs_.arrive(Call::Next);
            return real_->next(name, type);
        }
        bool stat(std::string_view name, EntryInfo& info) override {
            fs_.arrive(Call::Stat, name);
            return real_->stat(name, info);
        }
        std::unique_ptr<Directory> openSubfolder(std::string_view name) override {
            if (fs_.outOfDescriptors(Call::OpenSubfolder, fs_.arrive(Call::OpenSubfolder, name)))
                return nullptr;
            auto dir = real_->openSubfolder(name);
            return dir ? std::make_unique<FaultyDirectory>(fs_, std::move(dir)) : nullptr;
        }
        bool close() override { return real_->close(); }

      private:
        FaultInjectingFileSystem& fs_;
        std::unique_ptr<Directory> real_;
    };

    class FaultyFile : public ReadableFile {
      public:
        FaultyFile(FaultInjectingFileSystem& fs, std::unique_ptr<ReadableFile> real)
            : fs_(fs), real_(std::move(real)) {}
        long read(char* buffer, std::size_t size) override {
            const int n = fs_.arrive(Call::Read);
            if (failed_ || n == fs_.failingRead_.load()) {
                failed_ = true;
                return -1;
            }
            return real_->read(buffer, size);
        }

      private:
        FaultInjectingFileSystem& fs_;
        std::unique_ptr<ReadableFile> real_;
        bool failed_ = false;
    };

    FileSystem* real_;
    std::mutex lock_;
    std::map<Call, int> counts_;
    std::map<std::pair<Call, int>, std::function<void()>> actions_;
    std::map<std::pair<Call, std::string>, std::function<void()>> entryActions_;
    std::map<Call, std::pair<int, int>> exhausted_;  // calls [first, end) fail
    std::atomic<int> failingRead_{0};
};

}  // namespace scoutwell::testing
