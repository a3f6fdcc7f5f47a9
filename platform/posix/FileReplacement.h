// Replacing a user's file as a whole, so that a failed or interrupted write leaves the old
// file as it was: every writer that replaces a file goes through here (criteria files,
// Save Results, the unattended output).
//
//   FileReplacement out;
//   if (!out.open(path)) ...                  // errno says why; nothing was touched
//   ... write(out.fd(), ...) ...
//   if (!out.commit()) ...                    // errno says why; the old file is back
//   // Destroyed without a commit, the replacement is abandoned: the old file stays.
//
//   if (!replaceFile(path, bytes)) ...        // the same for bytes at hand
//
// The new bytes go to a temporary file beside the old one, which is synced and renamed
// over it with the old file's permissions and owner. Where a rename would lose something
// the file is rewritten in place instead, its old bytes kept in memory and written back
// when the new ones cannot be written whole: the file has a second name (a hard link),
// its folder lets only the file itself be written, or the replacement cannot be given the
// old file's owner. A file that may not be written is not replaced (EACCES). A symbolic
// link is followed, so the link stays and its target is replaced. A target that is not a regular file (a device, a FIFO) is written directly:
// there is nothing to keep, and renaming over it would replace the device itself.
//
// While a replacement is open, the file written and the file it replaces are marked as
// written by this process (WrittenFiles.h): no search reads them.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "platform/posix/UniqueFd.h"
#include "platform/posix/WrittenFiles.h"

namespace scoutwell {

class FileReplacement {
  public:
    // An old file rewritten in place is held in memory meanwhile; a larger one cannot be
    // replaced in place (open fails with EFBIG) rather than be replaced without a way back.
    static constexpr off_t kMaxInPlaceBytes = off_t{64} << 20;

    FileReplacement() = default;
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Starts replacing `path`. A FIFO without a reader fails with ENXIO unless
    // `waitForReader`, when the open waits for one. False with errno set on a failure.
    bool open(const std::string& path, bool waitForReader = false);
    // Where the new bytes are written, from its start; -1 when not open.
    int fd() const { return fd_.get(); }
    // Makes the new bytes the file's: synced and renamed over the old file, or cut to
    // their length in place. False with errno set when that failed; the old file is then
    // as it was.
    bool commit();
    // Gives up: the temporary file is removed, or the old bytes are written back.
    void abandon();

  private:
    enum class Mode { kNone, kRename, kInPlace, kDirect };

    bool openInPlace();
    bool putOldBytesBack();

    Mode mode_ = Mode::kNone;
    UniqueFd fd_;
    std::string target_;     // the file replaced
    std::string temporary_;  // kRename: the new file beside it
    std::string oldBytes_;   // kInPlace
    WrittenFile writtenMark_;
    WrittenFile replacedMark_;
};

// Replaces the file at `path` with `bytes` as a whole. False with errno set on a failure,
// the old file then unchanged.
bool replaceFile(const std::string& path, std::string_view bytes);

}  // namespace scoutwell
