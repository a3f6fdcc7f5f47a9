// A folder tree in a fresh temporary folder, removed again when the test ends.
//
//   TempTree tree;
//   tree.file("a/b.txt", "hello\n");
//   tree.folder("empty");
//   tree.path()  // "/tmp/scoutwell-XXXXXX/", with a trailing '/'
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace scoutwell::testing {

class TempTree {
  public:
    TempTree() {
        std::string templ = (std::filesystem::temp_directory_path() / "scoutwell-XXXXXX").string();
        if (!mkdtemp(templ.data()))
            throw std::runtime_error("mkdtemp failed");
        root_ = templ + "/";
    }
    ~TempTree() {
        // Unreadable folders made by a test must not keep the tree alive.
        ::chmod(root_.c_str(), 0700);
        fixPermissions(root_);
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& path() const { return root_; }
    std::string path(std::string_view relative) const { return root_ + std::string(relative); }

    std::string file(std::string_view relative, std::string_view contents = {}) {
        const std::string p = path(relative);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        std::ofstream out(p, std::ios::binary | std::ios::trunc);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        if (!out)
            throw std::runtime_error("cannot write " + p);
        return p;
    }

    std::string folder(std::string_view relative) {
        const std::string p = path(relative);
        std::filesystem::create_directories(p);
        return p + "/";
    }

    std::string symlink(std::string_view relative, const std::string& target) {
        const std::string p = path(relative);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        if (::symlink(target.c_str(), p.c_str()) != 0)
            throw std::runtime_error("symlink");
        return p;
    }

    std::string fifo(std::string_view relative) {
        const std::string p = path(relative);
        std::filesystem::create_directories(std::filesystem::path(p).parent_path());
        if (::mkfifo(p.c_str(), 0600) != 0)
            throw std::runtime_error("mkfifo");
        return p;
    }

    // Sets the modified time of an entry (seconds since 1970, UTC).
    void touch(std::string_view relative, long long unixSeconds) {
        const std::string p = path(relative);
        const auto t = std::filesystem::file_time_type::clock::from_sys(
            std::chrono::sys_seconds(std::chrono::seconds(unixSeconds)));
        std::filesystem::last_write_time(p, t);
    }

  private:
    static void fixPermissions(const std::string& dir) {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
            if (e.is_directory(ec) && !e.is_symlink(ec)) {
                ::chmod(e.path().c_str(), 0700);
                fixPermissions(e.path().string());
            }
        }
    }

    std::string root_;
};

}  // namespace scoutwell::testing
