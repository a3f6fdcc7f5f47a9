// The values every search relies on, set once at start-up before the command line is
// parsed: the local drives and their label, the default folder, the start-up flag, the
// parsed command line and the three drop-down histories.
//
//   Application app(settings);
//   app.init();                         // drives, label, default folder, folder history
//   app.options.parse(argc, argv);
#pragma once

#include <string>

#include "app/core/CommandLineOptions.h"
#include "app/core/HistoryList.h"
#include "engine/SearchEngine.h"

namespace scoutwell {

class SettingsStore;

class Application {
  public:
    // The store must outlive the application object.
    explicit Application(SettingsStore& settings);

    // Builds the local drive list and label, forms the default folder from the user's home
    // folder, hands both to the engine (setSearchEnvironment) and gives the folder history
    // its fixed entries. The histories are read when first shown or changed.
    void init();

    // The parts of init() that need no system, for callers that know the values.
    void init(const DriveList& localDrives, const std::string& homeFolder);

    SettingsStore& settings() const { return settings_; }

    DriveList localDrives;
    std::string localDrivesLabel;
    std::string defaultFolder;
    bool startingUp = false;
    CommandLineOptions options;

    HistoryList folderHistory;
    HistoryList contentsHistory;
    HistoryList fileNameHistory;

  private:
    SettingsStore& settings_;
};

// "Local hard drives (/,/home/)" for the roots given.
std::string localDrivesLabelFor(const DriveList& roots);
// The home folder with exactly one trailing '/'; "/" when there is none.
std::string defaultFolderFor(const std::string& homeFolder);
// $HOME when it is an absolute path, else the password database's entry.
std::string userHomeFolder();

}  // namespace scoutwell
