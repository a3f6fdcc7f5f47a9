// Members of archives among the found files a command acts on: other programs get
// extracted copies of them (platform/posix/MemberExtraction.h), the file manager is shown
// their archives, and they are never moved to the Trash.
//
//   const HandOver files = handOver(doc.results, paths, /*extract=*/true);
//   copyFilesToClipboard(files.paths, files.shown);
#pragma once

#include <string>
#include <vector>

namespace scoutwell {

class ResultsStore;

inline constexpr const char* kMembersNotTrashed =
    "Files inside archives cannot be moved to the Trash. Delete or change the archive "
    "itself instead.";

struct HandOver {
    std::vector<std::string> paths;   // what programs get: the copies of members
    std::vector<std::string> shown;   // the found paths, as every writer writes them
    std::vector<std::string> onDisk;  // the file on disk of each: a member's archive
    std::vector<bool> members;
    bool hasMembers = false;
};

// `paths` with their members described; with `extract`, each member extracted (those that
// cannot be are left out, and the user is told why).
HandOver handOver(ResultsStore& store, const std::vector<std::string>& paths, bool extract);

}  // namespace scoutwell
