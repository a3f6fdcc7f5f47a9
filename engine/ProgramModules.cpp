#include "engine/ProgramModules.h"

#include <unistd.h>

#include <climits>

#ifndef SCOUTWELL_INSTALL_LIBDIR
#define SCOUTWELL_INSTALL_LIBDIR "lib"
#endif

namespace scoutwell {
namespace {

// The folder of the running program, ending with '/'.
std::string programFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "./";
    std::string folder(path, static_cast<std::size_t>(length));
    folder.erase(folder.rfind('/') + 1);
    return folder;
}

}  // namespace

std::vector<std::string> programModuleCandidates(const std::string& name) {
    const std::string folder = programFolder();
    return {folder + "../lib/scoutwell/" + name,
            folder + "../" SCOUTWELL_INSTALL_LIBDIR "/scoutwell/" + name};
}

}  // namespace scoutwell
