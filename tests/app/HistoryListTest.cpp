#include "app/core/HistoryList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/Settings.h"
#include "tests/app/MessageCapture.h"

namespace scoutwell {
namespace {

using testing::MessageCapture;
using Texts = std::vector<std::string>;

Texts stored(const SettingsStore& store, const char* section) {
    Texts values;
    for (int i = 1; i <= HistoryList::kLimit + 5; ++i) {
        if (auto text = store.findText(section, std::to_string(i)))
            values.push_back(*text);
    }
    return values;
}

Texts entries(const HistoryList& history) {
    return Texts(history.entries().begin(), history.entries().end());
}

TEST(HistoryList, AddMovesEqualEntryToFrontTakingNewCase) {
    MemorySettingsStore store;
    HistoryList folders(store, kRecentFoldersSection);
    folders.add("/data/");
    folders.add("/other/");
    folders.add("/data/");
    EXPECT_EQ(entries(folders), (Texts{"/data/", "/other/"}));
    folders.add("/DATA/");
    EXPECT_EQ(entries(folders), (Texts{"/DATA/", "/other/"}));
    EXPECT_EQ(stored(store, kRecentFoldersSection), (Texts{"/DATA/", "/other/"}));
}

TEST(HistoryList, AddRemovesOnlyTheFirstEqualEntry) {
    MemorySettingsStore store;
    for (const char* name : {"1", "2", "3"})
        store.writeText(kRecentContainsSection, name, "");
    store.writeText(kRecentContainsSection, "1", "a");
    store.writeText(kRecentContainsSection, "2", "b");
    store.writeText(kRecentContainsSection, "3", "A");
    HistoryList history(store, kRecentContainsSection);
    history.load();
    history.add("a");
    EXPECT_EQ(entries(history), (Texts{"a", "b", "A"}));
}

TEST(HistoryList, EmptyTextAndFixedEntriesWriteNothing) {
    MemorySettingsStore store;
    HistoryList folders(store, kRecentFoldersSection);
    folders.setFixedEntries({"Local hard drives (/,/home/)", "/", "/home/"});
    folders.add("");
    folders.add("Local hard drives (/,/home/)");
    folders.add("LOCAL HARD DRIVES (/,/HOME/)");
    folders.add("/home/");
    EXPECT_EQ(store.changeCount(), 0);
    EXPECT_TRUE(folders.entries().empty());
    folders.add("/srv/");
    EXPECT_EQ(folders.items(/*withFixed=*/true),
              (Texts{"Local hard drives (/,/home/)", "/", "/home/", "/srv/"}));
    EXPECT_EQ(folders.items(/*withFixed=*/false), (Texts{"/srv/"}));
}

TEST(HistoryList, TwentyFirstEntryPushesOutTheOldest) {
    MemorySettingsStore store;
    HistoryList names(store, kRecentFileNameSection);
    for (int i = 1; i <= 21; ++i)
        names.add("name" + std::to_string(i));
    ASSERT_EQ(names.entries().size(), 20u);
    EXPECT_EQ(names.entries().front(), "name21");
    EXPECT_EQ(names.entries().back(), "name2");
    EXPECT_EQ(store.readText(kRecentFileNameSection, "20"), "name2");
    EXPECT_FALSE(store.contains(kRecentFileNameSection, "21"));
}

TEST(HistoryList, RewriteStopsAtFirstFailingWriteAndLeavesOlderValues) {
    MemorySettingsStore store;
    HistoryList names(store, kRecentFileNameSection);
    for (const char* text : {"c", "b", "a"})
        names.add(text);  // stored as a, b, c
    store.failWritesOf(kRecentFileNameSection, "2");
    names.add("d");
    EXPECT_EQ(entries(names), (Texts{"d", "a", "b", "c"}));
    EXPECT_EQ(stored(store, kRecentFileNameSection), (Texts{"d", "b", "c"}));

    // Values beyond the current count are never removed by a rewrite: here the list read
    // ends at the missing value 3, and values 4 and 5 stay.
    MemorySettingsStore longer;
    for (int i : {1, 2, 4, 5})
        longer.writeText(kRecentFileNameSection, std::to_string(i), "x" + std::to_string(i));
    HistoryList shortList(longer, kRecentFileNameSection);
    shortList.add("new");
    EXPECT_EQ(stored(longer, kRecentFileNameSection), (Texts{"new", "x1", "x2", "x4", "x5"}));
}

TEST(HistoryList, IsReadWhenFirstNeededAndNeverWrittenOverUnread) {
    MemorySettingsStore store;
    store.writeText(kRecentFileNameSection, "1", "older");
    store.writeText(kRecentFileNameSection, "2", "oldest");
    HistoryList names(store, kRecentFileNameSection);
    names.add("newest");
    EXPECT_EQ(stored(store, kRecentFileNameSection), (Texts{"newest", "older", "oldest"}));
    HistoryList shown(store, kRecentFileNameSection);
    EXPECT_EQ(shown.items(/*withFixed=*/false), (Texts{"newest", "older", "oldest"}));
}

TEST(HistoryList, LoadStopsAtTheFirstMissingOrUnreadableValue) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> texts;
        bool intAtThree;
        Texts expected;
    };
    const std::vector<Case> cases = {
        {"gap", {{"1", "a"}, {"2", "b"}, {"4", "d"}}, false, {"a", "b"}},
        {"wrong type", {{"1", "a"}, {"2", "b"}, {"4", "d"}}, true, {"a", "b"}},
        {"none", {{"2", "b"}}, false, {}},
        {"beyond the limit", {}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemorySettingsStore store;
        for (const auto& [name, value] : c.texts)
            store.writeText(kRecentContainsSection, name, value);
        if (c.intAtThree)
            store.writeInt(kRecentContainsSection, "3", 7);
        HistoryList history(store, kRecentContainsSection);
        history.load();
        EXPECT_EQ(entries(history), c.expected);
    }

    MemorySettingsStore full;
    for (int i = 1; i <= 25; ++i)
        full.writeText(kRecentContainsSection, std::to_string(i), "v");
    HistoryList history(full, kRecentContainsSection);
    history.load();
    EXPECT_EQ(history.entries().size(), 20u);
}

TEST(HistoryList, ClearingDeletesEveryValueOfOneSection) {
    MemorySettingsStore store;
    HistoryList names(store, kRecentFileNameSection);
    HistoryList folders(store, kRecentFoldersSection);
    names.add("*.txt");
    names.add("*.log");
    folders.add("/srv/");
    store.writeText(kRecentFileNameSection, "odd", "kept by nobody");
    EXPECT_TRUE(names.clear());
    EXPECT_TRUE(store.valueNames(kRecentFileNameSection).empty());
    EXPECT_TRUE(names.entries().empty());
    EXPECT_EQ(stored(store, kRecentFoldersSection), (Texts{"/srv/"}));

    // A missing section is no error.
    MessageCapture capture;
    EXPECT_TRUE(clearHistorySection(store, kRecentContainsSection));
    EXPECT_TRUE(capture.messages.empty());
}

TEST(HistoryList, FailedDeletionIsReportedAndStopsClearing) {
    MemorySettingsStore store;
    HistoryList names(store, kRecentFileNameSection);
    for (const char* text : {"c", "b", "a"})
        names.add(text);
    store.failDeletionsOf(kRecentFileNameSection, "2");
    MessageCapture capture;
    EXPECT_FALSE(names.clear());
    EXPECT_EQ(capture.messages,
              (Texts{"Problem deleting value 2 in key " + std::string(kRecentFileNameSection)}));
    EXPECT_EQ(store.valueNames(kRecentFileNameSection), (Texts{"2", "3"}));
    EXPECT_TRUE(names.entries().empty());  // "1" is gone, so the reload stops at once
}

}  // namespace
}  // namespace scoutwell
