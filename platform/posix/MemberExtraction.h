// Members of archives handed to other programs (Open, Open with, Copy, drag): each is
// extracted to a file of its own in a private folder of the program (mode 0700, in the
// user's runtime folder, else the cache folder), made read-only, and removed with the
// folder when the program ends.
//
//   std::string error;
//   const std::string copy = memberExtraction().extract(item, error);  // empty on failure
//
// A member lands in a fresh subfolder under its own name, created there and nowhere else:
// no name (`../x`, an absolute path, a link) writes outside the folder, and no file there
// is ever replaced.
#pragma once

#include <map>
#include <mutex>
#include <string>

namespace scoutwell {

class FoundItem;

inline constexpr const char* kExtractionFailed =
    "Scoutwell could not extract \"%s\" from its archive: %s. Check that the archive is still "
    "there and readable, and that there is room in %s.";
inline constexpr const char* kMemberGone = "the member is not in the archive any more";
inline constexpr const char* kMemberCutShort = "the member is damaged or larger than the limit";
inline constexpr const char* kNoPrivateFolder = "no private folder could be made";

class MemberExtraction {
  public:
    // `base`: where the private folder is made; empty for the user's runtime folder
    // ($XDG_RUNTIME_DIR), else the cache folder ($XDG_CACHE_HOME, ~/.cache).
    explicit MemberExtraction(std::string base = {});
    ~MemberExtraction();  // removes the folder
    MemberExtraction(const MemberExtraction&) = delete;
    MemberExtraction& operator=(const MemberExtraction&) = delete;

    // The path of a read-only copy of the member `member` is the item of; the same copy
    // again while it is there. Empty with `errorOut` set when it could not be made.
    std::string extract(const FoundItem& member, std::string& errorOut);
    // The private folder, made at the first extraction; empty before.
    std::string folder() const;
    // Removes the folder and everything in it.
    void removeAll();

  private:
    bool makeFolder();

    mutable std::mutex lock_;
    std::string base_;
    std::string folder_;                         // ends with '/'
    std::map<std::string, std::string> copies_;  // member path -> copy
};

// The program's extraction, whose folder goes when the process exits.
MemberExtraction& memberExtraction();

}  // namespace scoutwell
