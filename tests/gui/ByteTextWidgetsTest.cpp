// Texts that are not UTF-8 through the widgets: the criteria pages' boxes, the Multiple
// Folders lines, the history drop-downs and the Save Results file name give back the bytes
// they were given; a search window searches a folder whose name is not UTF-8.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "SearchFormSupport.h"
#include "app/gui/COptionsTab.h"
#include "app/gui/CSaveResultsDialog.h"
#include "app/gui/CSearchOptions.h"
#include "app/gui/CriteriaPages.h"
#include "criteria/gui/CAdvancedSearch.h"
#include "criteria/gui/CBasicSearch.h"
#include "criteria/gui/CMultipleFolders.h"
#include "criteria/gui/HistoryComboBox.h"
#include "engine/Text.h"
#include "platform/qt/ByteText.h"
#include "support/RandomBytes.h"
#include "support/TempTree.h"
#include "views/CDediDurarerView.h"
#include "views/ResultsModel.h"

namespace scoutwell {
namespace {

using testing::GuiTest;
using testing::RandomBytes;

class ByteTextPagesTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        doc = std::make_unique<CDediDurarerDoc>(app);
        sheet = std::make_unique<CSearchOptions>(doc.get(), nullptr);
        sheet->resize(900, 320);
        sheet->create();
        sheet->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
    }
    void TearDown() override {
        sheet.reset();
        doc.reset();
        GuiTest::TearDown();
    }
    CSearchPropertyPage* showPage(const char* name) {
        if (sheet->mainPage())
            sheet->saveData();
        sheet->removeAllPages();
        CSearchPropertyPage* page = createMainPage(name, sheet.get(), nullptr);
        sheet->setPages(page, new COptionsTab(sheet.get()));
        QCoreApplication::processEvents();
        return page;
    }

    std::unique_ptr<CDediDurarerDoc> doc;
    std::unique_ptr<CSearchOptions> sheet;
};

// Look-in text is split at ';' and trimmed by the record; what is left keeps its bytes.
std::string lookInEntry(RandomBytes& random) {
    std::string entry = "/d" + random.textWithout(200, ";/ \t\r\n\v\f");
    return entry + "/";
}

TEST_F(ByteTextPagesTest, BothPagesGiveBackTheBytesTheyWereGiven) {
    RandomBytes random(17);
    for (const char* name : {kBasicPageName, kAdvancedPageName}) {
        SCOPED_TRACE(name);
        CSearchPropertyPage* page = showPage(name);
        auto* fileName = static_cast<HistoryComboBox*>(findControl(page, kFileNameId));
        auto* lookIn = static_cast<HistoryComboBox*>(findControl(page, kLookInId));
        for (int round = 0; round < 60; ++round) {
            SearchCriteria& c = doc->editedCriteria;
            const std::string file = random.text(4000);
            const std::string contents = random.text(4000);
            const std::vector<std::string> folders = {lookInEntry(random), lookInEntry(random)};
            c.fileName = file;
            c.containingText = contents;
            c.lookIn = folders;
            page->loadData();
            // What the user sees is the text Qt decodes from valid UTF-8.
            if (text::isValidUtf8(file)) {
                ASSERT_EQ(fileName->currentText(),
                          QString::fromUtf8(file.data(), qsizetype(file.size())));
            }
            c.fileName.clear();
            c.containingText.clear();
            c.lookIn.clear();
            ASSERT_TRUE(page->saveData());
            ASSERT_EQ(c.fileName, file);
            ASSERT_EQ(c.containingText, contents);
            ASSERT_EQ(c.lookIn, folders);
            ASSERT_EQ(bytesFromQString(lookIn->currentText()), folders[0] + ";" + folders[1]);
        }
    }
}

TEST_F(ByteTextPagesTest, HistoryDropDownsListAndPickTheExactBytes) {
    CSearchPropertyPage* page = showPage(kAdvancedPageName);
    auto* lookIn = static_cast<HistoryComboBox*>(findControl(page, kLookInId));
    auto* fileName = static_cast<HistoryComboBox*>(findControl(page, kFileNameId));
    app.folderHistory.add("/srv/caf\xe9/");
    app.fileNameHistory.add("r\xe9sum\xe9*.txt");
    for (HistoryComboBox* box : {lookIn, fileName}) {
        box->showPopup();
        box->hidePopup();
    }
    const int entry = lookIn->count() - 1;
    EXPECT_EQ(bytesFromQString(lookIn->itemText(entry)), "/srv/caf\xe9/");
    lookIn->setCurrentIndex(entry);
    fileName->setCurrentIndex(0);
    ASSERT_TRUE(page->saveData());
    EXPECT_EQ(doc->editedCriteria.lookIn, std::vector<std::string>{"/srv/caf\xe9/"});
    EXPECT_EQ(doc->editedCriteria.fileName, "r\xe9sum\xe9*.txt");
    // Loading an equal text selects the entry, whose own bytes show.
    doc->editedCriteria.fileName = "R\xe9SUM\xe9*.TXT";
    page->loadData();
    EXPECT_EQ(bytesFromQString(fileName->currentText()), "r\xe9sum\xe9*.txt");
}

TEST_F(ByteTextPagesTest, MultipleFoldersAndSaveResultsKeepTheirBytes) {
    RandomBytes random(23);
    for (int round = 0; round < 30; ++round) {
        const std::vector<std::string> folders = {lookInEntry(random), lookInEntry(random)};
        CMultipleFolders dialog(folders, &app.folderHistory);
        dialog.accept();
        ASSERT_EQ(dialog.folders(), folders);

        SaveResultsSettings settings;
        settings.fileName = "/" + random.text(2000);
        CSaveResultsDialog save(settings);
        ASSERT_EQ(save.settings().fileName, settings.fileName);
    }
}

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
