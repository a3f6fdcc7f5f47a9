// A search window with names that are not UTF-8: it searches a folder named in Latin-1 and
// remembers it with its bytes, and saves, opens and titles a criteria file named so.
#include <QStatusBar>
#include <string>
#include <vector>

#include "SearchFormSupport.h"
#include "app/core/Settings.h"
#include "platform/qt/ByteText.h"
#include "support/TempTree.h"
#include "views/CDediDurarerView.h"
#include "views/ResultsModel.h"

namespace scoutwell {
namespace {

int rowCount(CChildFrame* child) {
    return child->resultList()->resultsModel()->rowCount();
}

using ByteTextWindowTest = testing::SearchFormTest;

TEST_F(ByteTextWindowTest, AFolderNamedInLatin1IsSearchedAndRemembered) {
    testing::TempTree tree;
    const std::string folder = tree.folder("caf\xe9");
    tree.file("caf\xe9/r\xe9sum\xe9.log", "x");
    tree.file("caf\xe9/other.txt", "y");
    // As "scoutwell -d <folder> -f *.log" puts them into the new search.
    setCriteria([&](SearchCriteria& c) {
        c.setLookInText(folder);
        c.fileName = "*.log";
    });
    QTest::mouseClick(form->startButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return statusBarText() == "1 file(s) found"; }, 20000))
        << statusBarText().toStdString();
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_EQ(rowCount(child), 1);
    std::vector<std::string> paths;
    doc->results.read([&](const auto& items) {
        for (const auto& item : items)
            paths.push_back(item->fullPath());
    });
    EXPECT_EQ(paths, std::vector<std::string>{folder + "r\xe9sum\xe9.log"});
    const QAbstractItemModel* model = child->resultList()->resultsModel();
    EXPECT_EQ(bytesFromQString(model->data(model->index(0, 0)).toString()), "r\xe9sum\xe9.log");
    ASSERT_FALSE(app.folderHistory.entries().empty());
    EXPECT_EQ(app.folderHistory.entries().front(), folder);
    EXPECT_EQ(store.readText(kRecentFoldersSection, "1"), folder);
    EXPECT_EQ(doc->editedCriteria.lookIn, std::vector<std::string>{folder});
}

// A criteria file in a Latin-1 folder: saved and opened by its bytes, titled by its name,
// listed among the recent files with the same bytes.
TEST_F(ByteTextWindowTest, ACriteriaFileNamedInLatin1SavesOpensAndTitlesItsWindow) {
    testing::TempTree tree;
    const std::string path = tree.folder("caf\xe9") + "r\xe9sum\xe9.srf";
    setCriteria([&](SearchCriteria& c) {
        c.fileName = "*.\xe9";
        c.containingText = "na\xefve";
        c.setLookInText(tree.path("caf\xe9"));
    });
    ASSERT_TRUE(manager->saveTo(doc, qStringFromBytes(path)));
    EXPECT_EQ(bytesFromQString(doc->title()), "r\xe9sum\xe9.srf");
    EXPECT_EQ(bytesFromQString(child->windowTitle()), "r\xe9sum\xe9.srf");

    CDediDurarerDoc* opened = manager->openDocument(qStringFromBytes(path));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->editedCriteria.fileName, "*.\xe9");
    EXPECT_EQ(opened->editedCriteria.containingText, "na\xefve");
    EXPECT_EQ(opened->editedCriteria.lookIn, std::vector<std::string>{tree.path("caf\xe9/")});
    EXPECT_EQ(bytesFromQString(opened->filePath()), path);
    EXPECT_EQ(bytesFromQString(opened->title()), "r\xe9sum\xe9.srf");
    EXPECT_EQ(store.readText("Recent File List", "File1"), path);
    DocumentManager reloaded(app);
    ASSERT_FALSE(reloaded.recentFiles().isEmpty());
    EXPECT_EQ(bytesFromQString(reloaded.recentFiles().front()), path);
}

}  // namespace
}  // namespace scoutwell
