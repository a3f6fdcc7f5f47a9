#include "app/core/Application.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/Settings.h"
#include "engine/SearchCriteria.h"

namespace scoutwell {
namespace {

TEST(Application, ValuesComeFromDrivesAndHome) {
    struct Case {
        DriveList drives;
        std::string home;
        std::string label;
        std::string folder;
    };
    const std::vector<Case> cases = {
        {{"/", "/home/"}, "/home/ann", "Local hard drives (/,/home/)", "/home/ann/"},
        {{"/"}, "/home/bob///", "Local hard drives (/)", "/home/bob/"},
        {{"/"}, "", "Local hard drives (/)", "/"},
    };
    for (const auto& c : cases) {
        MemorySettingsStore store;
        Application app(store);
        app.init(c.drives, c.home);
        EXPECT_EQ(app.localDrivesLabel, c.label);
        EXPECT_EQ(app.defaultFolder, c.folder);
        EXPECT_EQ(searchEnvironment().localDrivesLabel, c.label);
        EXPECT_EQ(searchEnvironment().defaultFolder, c.folder);
        EXPECT_FALSE(app.startingUp);
    }
}

TEST(Application, FolderHistoryListsLabelAndDrivesFirst) {
    MemorySettingsStore store;
    store.writeText(kRecentFoldersSection, "1", "/srv/");
    Application app(store);
    app.init({"/", "/home/"}, "/home/ann");
    EXPECT_EQ(app.folderHistory.items(/*withFixed=*/true),
              (std::vector<std::string>{"Local hard drives (/,/home/)", "/", "/home/", "/srv/"}));
    app.folderHistory.add("/HOME/");
    EXPECT_EQ(app.folderHistory.entries().size(), 1u);  // a drive root is never stored

    // A new search looks in the default folder; -d with the label gives the label alone.
    SearchCriteria criteria;
    EXPECT_EQ(criteria.lookIn, std::vector<std::string>{"/home/ann/"});
    criteria.setLookInText(app.localDrivesLabel);
    EXPECT_EQ(criteria.lookIn, std::vector<std::string>{app.localDrivesLabel});
}

TEST(Application, InitFindsTheLocalDrives) {
    MemorySettingsStore store;
    Application app(store);
    app.init();
    ASSERT_FALSE(app.localDrives.empty());
    EXPECT_EQ(app.defaultFolder.front(), '/');
    EXPECT_EQ(app.defaultFolder.back(), '/');
    EXPECT_EQ(app.localDrivesLabel.rfind("Local hard drives (", 0), 0u);
}

}  // namespace
}  // namespace scoutwell
