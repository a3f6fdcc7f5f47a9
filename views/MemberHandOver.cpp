#include "views/MemberHandOver.h"

#include "engine/FoundItem.h"
#include "engine/Messages.h"
#include "engine/ResultsStore.h"
#include "platform/posix/MemberExtraction.h"

namespace scoutwell {

HandOver handOver(ResultsStore& store, const std::vector<std::string>& paths, bool extract) {
    HandOver out;
    const std::vector<FoundItem*> items = store.findPaths(paths);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const FoundItem* item = items[i];
        const bool member = item != nullptr && item->isMember();
        std::string given = paths[i];
        if (member && extract) {
            std::string error;
            given = memberExtraction().extract(*item, error);
            if (given.empty()) {
                showMessage(error);
                continue;
            }
        }
        out.paths.push_back(std::move(given));
        out.shown.push_back(paths[i]);
        out.onDisk.push_back(member ? paths[i].substr(0, item->archivePathLength) : paths[i]);
        out.members.push_back(member);
        out.hasMembers = out.hasMembers || member;
    }
    return out;
}

}  // namespace scoutwell
