#include "platform/qt/QtSettingsStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/core/HistoryList.h"
#include "app/core/Settings.h"
#include "support/RandomBytes.h"

namespace scoutwell {
namespace {

// Every store of this program points at a private folder before any QSettings exists, so
// no test can reach the real user's settings, even when run outside ctest.
const std::string kConfigHome = [] {
    char pattern[] = "/tmp/scoutwell-config-XXXXXX";
    std::string dir = ::mkdtemp(pattern) != nullptr ? pattern : "/tmp/scoutwell-config";
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    return dir;
}();

class QtSettingsStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = kConfigHome + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(dir_);
        path_ = dir_ + "/Scoutwell.conf";
    }
    void TearDown() override {
        ::chmod(dir_.c_str(), 0700);
        std::filesystem::remove_all(dir_);
    }
    std::string dir_;
    std::string path_;
};

TEST_F(QtSettingsStoreTest, DefaultStoreLivesUnderTheConfigurationFolder) {
    std::filesystem::remove_all(kConfigHome + "/Kestrel_EXE");
    QtSettingsStore store;
    EXPECT_EQ(store.fileName(), kConfigHome + "/Kestrel_EXE/Scoutwell.conf");
    // The first value written makes the folder and the file.
    EXPECT_TRUE(writeSetting(store, kFrameX, 12));
    EXPECT_EQ(readSetting(QtSettingsStore(), kFrameX), 12);
    std::filesystem::remove_all(kConfigHome + "/Kestrel_EXE");
}

TEST_F(QtSettingsStoreTest, AnythingButARegularFileReadsAsEmptyWithoutWaiting) {
    const std::string fifo = dir_ + "/fifo.conf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, dir_, std::string("/dev/zero")}) {
        QtSettingsStore store(path);
        EXPECT_EQ(readSetting(store, kFrameX), kFrameX.defaultValue) << path;
        EXPECT_FALSE(writeSetting(store, kFrameX, 5)) << path;
        EXPECT_FALSE(store.writeText(kRecentContainsSection, "1", "x")) << path;
    }
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(QtSettingsStoreTest, AStoreOfSomeSectionsReadsNothingElse) {
    const std::string user = kConfigHome + "/Kestrel_EXE/Scoutwell.conf";
    std::filesystem::create_directories(kConfigHome + "/Kestrel_EXE");
    {
        std::ofstream out(user);
        out << "[RecentContains]\n1=" << std::string(3u << 20, 'h') << "\n2=older\n"
            << "[Options]\nMatchFilenameCase = 1\nEOLMac=\"1\"\n"
            << "[Window%20Settings]\nFrameWidth=700\n";
    }
    QtSettingsStore store(QtSettingsStore::OnlySections{{kOptionsSection}});
    EXPECT_EQ(store.fileName(), user);
    EXPECT_EQ(readSetting(store, kMatchFilenameCase), 1);
    EXPECT_EQ(readSetting(store, kEolMac), 1);
    EXPECT_EQ(store.valueNames(kOptionsSection),
              (std::vector<std::string>{"EOLMac", "MatchFilenameCase"}));
    EXPECT_FALSE(store.contains(kRecentContainsSection, "2"));
    EXPECT_TRUE(store.valueNames(kRecentContainsSection).empty());
    EXPECT_EQ(readSetting(store, kFrameWidth), kFrameWidth.defaultValue);
    // It takes no writes, and the file stays as it was.
    EXPECT_FALSE(writeSetting(store, kMatchFilenameCase, 0));
    QtSettingsStore whole;
    EXPECT_EQ(readSetting(whole, kMatchFilenameCase), 1);
    EXPECT_EQ(whole.findText(kRecentContainsSection, "2"), "older");
    std::filesystem::remove(user);
}

TEST_F(QtSettingsStoreTest, ValuesSurviveAReopen) {
    {
        QtSettingsStore store(path_);
        EXPECT_TRUE(writeSetting(store, kFrameX, kLetSystemChoose));
        EXPECT_TRUE(writeSetting(store, kNameColWidth, 120));
        EXPECT_TRUE(store.writeText(kRecentContainsSection, "1", "a, b; \"c\" \\ é"));
        EXPECT_TRUE(store.writeBinary(kWindowSettingsSection, kContentsFont, {0, 1, 255, 10}));
    }
    QtSettingsStore store(path_);
    EXPECT_EQ(readSetting(store, kFrameX), kLetSystemChoose);
    EXPECT_EQ(readSetting(store, kNameColWidth), 120);
    EXPECT_EQ(readSetting(store, kFrameY), kLetSystemChoose);
    EXPECT_EQ(store.readText(kRecentContainsSection, "1"), "a, b; \"c\" \\ é");
    EXPECT_EQ(store.readBinary(kWindowSettingsSection, kContentsFont),
              (SettingsBytes{0, 1, 255, 10}));
    EXPECT_TRUE(store.contains(kWindowSettingsSection, "Frame_X"));
    EXPECT_FALSE(store.contains(kWindowSettingsSection, "Frame_Y"));
    EXPECT_EQ(store.readInt(kRecentContainsSection, "1", 7), 7);  // text is not an integer
}

TEST_F(QtSettingsStoreTest, HistoryKeepsNumericNamesPastTen) {
    QtSettingsStore store(path_);
    HistoryList history(store, kRecentFileNameSection);
    for (int i = 1; i <= 12; ++i)
        history.add("name" + std::to_string(i));
    HistoryList reloaded(store, kRecentFileNameSection);
    reloaded.load();
    ASSERT_EQ(reloaded.entries().size(), 12u);
    EXPECT_EQ(reloaded.entries().front(), "name12");
    EXPECT_EQ(reloaded.entries()[9], "name3");
    EXPECT_EQ(reloaded.entries().back(), "name1");

    EXPECT_TRUE(reloaded.clear());
    EXPECT_TRUE(store.valueNames(kRecentFileNameSection).empty());
    EXPECT_TRUE(store.deleteValue(kRecentFileNameSection, "1"));  // already gone
}

TEST_F(QtSettingsStoreTest, DamagedOrUnreadableFilesGiveDefaults) {
    std::ofstream(path_, std::ios::binary)
        << std::string("\x00\xFF[[[\n=\x01garbage", 16) << "\n[Options]\nRememberOptions=zz\n";
    {
        QtSettingsStore store(path_);
        EXPECT_EQ(readSetting(store, kRememberOptions), 1);
        EXPECT_EQ(readSetting(store, kFrameWidth), kLetSystemChoose);
        HistoryList history(store, kRecentFoldersSection);
        history.load();
        EXPECT_TRUE(history.entries().empty());
    }
    if (::geteuid() == 0)
        return;  // root reads any file
    {
        QtSettingsStore store(path_);
        store.writeInt(kOptionsSection, "ExpertUser", 0);
    }
    ::chmod(path_.c_str(), 0);
    QtSettingsStore store(path_);
    EXPECT_EQ(readSetting(store, kExpertUser), 1);
    EXPECT_FALSE(store.writeInt(kOptionsSection, "ExpertUser", 0));
}

TEST_F(QtSettingsStoreTest, TextsKeepEveryByteAcrossAReopen) {
    testing::RandomBytes random(3);
    std::vector<std::string> texts = {
        "caf\xe9", "/srv/data/caf\xe9/", "\xc3\xa9t\xc3\xa9", "@ByteArray(x)", "a,b",
        "\\x41",   "ends in \\"};
    for (int i = 0; i < 60; ++i)
        texts.push_back(random.text(4096));
    {
        QtSettingsStore store(path_);
        for (std::size_t i = 0; i < texts.size(); ++i)
            ASSERT_TRUE(store.writeText(kRecentFoldersSection, std::to_string(i + 1), texts[i]));
    }
    QtSettingsStore store(path_);
    for (std::size_t i = 0; i < texts.size(); ++i)
        ASSERT_EQ(store.readText(kRecentFoldersSection, std::to_string(i + 1)), texts[i]) << i;
}

TEST_F(QtSettingsStoreTest, PlainEntriesOfOlderFilesReadAsBefore) {
    std::ofstream(path_, std::ios::binary) << "[RecentFolders]\n1=/srv/caf\xc3\xa9/\n2=/tmp/\n"
                                           << "[Recent%20File%20List]\nFile1=/a/b.srf\n";
    QtSettingsStore store(path_);
    HistoryList folders(store, kRecentFoldersSection);
    folders.load();
    EXPECT_EQ(folders.items(/*withFixed=*/false),
              (std::vector<std::string>{"/srv/caf\xc3\xa9/", "/tmp/"}));
    EXPECT_EQ(store.readText("Recent File List", "File1"), "/a/b.srf");
    // Valid text is still written as readable text.
    ASSERT_TRUE(store.writeText(kRecentFoldersSection, "3", "/srv/\xc3\xa9/"));
    std::ifstream in(path_, std::ios::binary);
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(file.find("3=/srv/\xc3\xa9/"), std::string::npos) << file;
}

// Entries of any length come back whole; no more than the list's twenty are loaded however
// many the store holds, and a history that is not UTF-8 keeps its bytes.
TEST_F(QtSettingsStoreTest, HistoryReadsLongEntriesAndAtMostTwenty) {
    const std::string longEntry = "/data/" + std::string(5000, 'x') + "\xe9/";
    {
        QtSettingsStore store(path_);
        for (int i = 1; i <= 30; ++i)
            store.writeText(kRecentFoldersSection, std::to_string(i),
                            i == 2 ? longEntry : "/f" + std::to_string(i) + "\xff/");
    }
    QtSettingsStore store(path_);
    HistoryList folders(store, kRecentFoldersSection);
    folders.load();
    ASSERT_EQ(folders.entries().size(), 20u);
    EXPECT_EQ(folders.entries()[0], "/f1\xff/");
    EXPECT_EQ(folders.entries()[1], longEntry);
    EXPECT_EQ(folders.entries()[19], "/f20\xff/");
    folders.add("/srv/caf\xe9/");
    HistoryList reloaded(store, kRecentFoldersSection);
    reloaded.load();
    EXPECT_EQ(reloaded.entries().front(), "/srv/caf\xe9/");
    EXPECT_EQ(reloaded.entries()[2], longEntry);
}

}  // namespace
}  // namespace scoutwell
