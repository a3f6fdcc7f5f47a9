#include "app/core/SaveResultsSettings.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/core/CcpException.h"
#include "app/core/ResultWriter.h"
#include "engine/FoundItem.h"
#include "engine/ResultsStore.h"
#include "engine/SearchCriteria.h"
#include "engine/SearchExpression.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::TempTree;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(SaveResultsAdjustmentTest, ContentsAndAllFilesFollowWhatTheResultsOffer) {
    struct Case {
        const char* what;
        bool contentsAvailable, withContents;  // before
        bool selectionAvailable, allFiles;     // before
        bool selectionNow, contentsNow;
        bool expectContents, expectAllFiles;
    };
    const Case cases[] = {
        {"first contents search ticks Contents", false, false, false, true, false, true, true,
         true},
        {"contents search again keeps the user's choice", true, false, true, false, true, true,
         false, false},
        {"name search after a contents search clears it", true, true, false, true, false, false,
         false, true},
        {"name search again keeps it cleared", false, true, false, true, false, false, false, true},
        {"a new selection chooses Selected files", false, false, false, true, true, false, false,
         false},
        {"a selection again keeps All files when chosen", false, false, true, true, true, false,
         false, true},
        {"the selection went: All files", false, false, true, false, false, false, false, true},
        {"no selection, still none: All files", false, false, false, false, false, false, false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SaveResultsSettings s;
        s.contentsAvailable = c.contentsAvailable;
        s.withContents = c.withContents;
        s.selectionAvailable = c.selectionAvailable;
        s.allFiles = c.allFiles;
        adjustBeforeDialog(s, c.selectionNow, c.contentsNow);
        EXPECT_EQ(s.withContents, c.expectContents);
        EXPECT_EQ(s.allFiles, c.expectAllFiles);
        EXPECT_EQ(s.selectionAvailable, c.selectionNow);
        EXPECT_EQ(s.contentsAvailable, c.contentsNow);
    }
}

TEST(SaveResultsFileNameTest, AnEmptyNameStartsAsContentsTxtInTheCurrentFolder) {
    EXPECT_EQ(defaultResultsFilePath("/home/ann"), "/home/ann/Contents.txt");
    EXPECT_EQ(defaultResultsFilePath("/"), "/Contents.txt");
    EXPECT_EQ(defaultResultsFilePath(""), "");

    TempTree tree;
    const std::string before = currentFolder();
    ASSERT_FALSE(before.empty());
    ASSERT_EQ(::chdir(tree.path().c_str()), 0);
    const std::string inTree = currentFolder();
    SaveResultsSettings s;
    const std::string initial = initialResultsFileName(s);
    s.fileName = "/elsewhere/out.csv";
    const std::string kept = initialResultsFileName(s);
    ASSERT_EQ(::chdir(before.c_str()), 0);

    EXPECT_EQ(inTree + "/", tree.path());
    EXPECT_EQ(initial, tree.path() + "Contents.txt");
    EXPECT_EQ(kept, "/elsewhere/out.csv");
}

class SaveResultsOutputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"b.txt", "a.txt", "c.txt"}) {
            FoundFile file(makeSharedText("/d/"), name, 1500, 133000000000000000);
            file.hits.emplace_back("hit", 0, 3, 7);
            file.hitsComplete = true;
            store.add(file);
        }
        store.sortByName();
        criteria.searchContents = true;
        criteria.containingText = "hit";
        ASSERT_TRUE(expression.set("hit", false, /*compileNow=*/true, nullptr));
    }

    // The first line of every item in `out`, in order.
    static std::vector<std::string> paths(const std::string& out) {
        std::vector<std::string> found;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            if (line.rfind("/d/", 0) == 0)
                found.push_back(line.substr(0, line.find(',')));
        return found;
    }

    ResultsStore store;
    SearchCriteria criteria;
    SearchExpression expression;
};

TEST_F(SaveResultsOutputTest, AllFilesTakesTheStoreInItsOrderSelectedFilesTheShownOnes) {
    std::vector<std::unique_ptr<FoundItem>> copies = store.snapshot();
    const std::vector<FoundItem*> shown{copies[2].get(), copies[0].get()};
    SaveResultsSettings s;
    s.format = static_cast<int>(ResultFormat::kCommaSeparated);
    s.withContents = true;

    s.allFiles = true;
    const std::string all = saveResultsText(s, store, shown, expression, criteria);
    EXPECT_EQ(paths(all), (std::vector<std::string>{"/d/a.txt", "/d/b.txt", "/d/c.txt"}));
    EXPECT_NE(all.find("7,hit\r\n\r\n"), std::string::npos) << all;

    s.allFiles = false;
    const std::string selected = saveResultsText(s, store, shown, expression, criteria);
    EXPECT_EQ(paths(selected), (std::vector<std::string>{"/d/c.txt", "/d/a.txt"}));

    s.withFileNames = false;
    s.withContents = false;
    EXPECT_EQ(saveResultsText(s, store, shown, expression, criteria), "");
}

TEST(SaveResultsFileTest, OverwriteTruncatesAppendKeepsTheBytesBefore) {
    TempTree tree;
    SaveResultsSettings s;
    s.fileName = tree.file("out.txt", "old\r\n");

    s.overwrite = false;
    std::string error;
    ASSERT_TRUE(saveResultsToFile(s, "new\r\n", error)) << error;
    EXPECT_EQ(readFile(s.fileName), "old\r\nnew\r\n");

    s.overwrite = true;
    ASSERT_TRUE(saveResultsToFile(s, "", error)) << error;
    EXPECT_EQ(readFile(s.fileName), "");

    s.fileName = tree.path("made.csv");
    s.overwrite = false;
    ASSERT_TRUE(saveResultsToFile(s, "x", error)) << error;
    EXPECT_EQ(readFile(s.fileName), "x");
}

TEST(SaveResultsFileTest, AFileThatCannotBeOpenedOrIsLockedIsReportedWithItsPath) {
    TempTree tree;
    const std::string locked = tree.file("locked.txt", "keep");
    const int holder = ::open(locked.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    for (const std::string& path :
         {tree.path("missing/out.txt"), tree.folder("folder"), locked, std::string()}) {
        SCOPED_TRACE(path);
        SaveResultsSettings s;
        s.fileName = path;
        std::string error;
        EXPECT_FALSE(saveResultsToFile(s, "data", error));
        EXPECT_EQ(error, "Unable to open file " + path + " for writing");
    }
    EXPECT_EQ(readFile(locked), "keep");
    ::close(holder);
}

}  // namespace
}  // namespace scoutwell
