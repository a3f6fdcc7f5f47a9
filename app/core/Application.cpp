#include "app/core/Application.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "app/core/Settings.h"
#include "engine/SearchCriteria.h"
#include "engine/Text.h"

namespace scoutwell {

Application::Application(SettingsStore& settings)
    : folderHistory(settings, kRecentFoldersSection),
      contentsHistory(settings, kRecentContainsSection),
      fileNameHistory(settings, kRecentFileNameSection),
      settings_(settings) {}

void Application::init() {
    DriveList drives;
    fillDriveList(drives, /*fixedOnly=*/true);
    init(drives, userHomeFolder());
}

void Application::init(const DriveList& drives, const std::string& homeFolder) {
    localDrives = drives;
    localDrivesLabel = localDrivesLabelFor(localDrives);
    defaultFolder = defaultFolderFor(homeFolder);
    setSearchEnvironment(SearchEnvironment{defaultFolder, localDrivesLabel});

    std::vector<std::string> fixed;
    fixed.push_back(localDrivesLabel);
    fixed.insert(fixed.end(), localDrives.begin(), localDrives.end());
    folderHistory.setFixedEntries(std::move(fixed));
}

std::string localDrivesLabelFor(const DriveList& roots) {
    std::string joined;
    for (const auto& root : roots) {
        if (!joined.empty())
            joined += ',';
        joined += root;
    }
    return text::format(kLocalDrivesLabelFormat, joined.c_str());
}

std::string defaultFolderFor(const std::string& homeFolder) {
    std::string folder = homeFolder;
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    folder += '/';
    return folder;
}

std::string userHomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return "/";
}

}  // namespace scoutwell
