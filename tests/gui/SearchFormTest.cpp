// The criteria form as the user meets it: its first show, Enter and Escape, Expert User,
// the search's messages, criteria saved while a page holds typing, and resizing.
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "SearchFormSupport.h"
#include "TestAccess.h"
#include "app/MessageCapture.h"
#include "app/core/Settings.h"
#include "app/gui/CriteriaPages.h"
#include "framework/BusyAnimation.h"
#include "framework/CommandIds.h"
#include "support/TempTree.h"
#include "views/CDediDurarerView.h"
#include "views/ResultsModel.h"

namespace scoutwell {
namespace {

using testing::MessageCapture;
using testing::SearchFormTest;
using testing::TempTree;

int rowCount(CChildFrame* child) {
    return child->resultList()->resultsModel()->rowCount();
}

TEST_F(SearchFormTest, FirstShowIsIdleWithTheExpertPageAndTheSheetInTheCorner) {
    EXPECT_EQ(form->sheet()->tabText(0), kAdvancedPageName);
    EXPECT_EQ(form->sheet()->tabText(1), kOptionsTabCaption);
    EXPECT_EQ(form->sheet()->currentIndex(), 0);
    EXPECT_TRUE(form->expertUserBox()->isChecked());
    EXPECT_TRUE(form->startButton()->isEnabled());
    EXPECT_FALSE(form->stopButton()->isEnabled());
    EXPECT_TRUE(form->progressBar()->isHidden());
    EXPECT_EQ(form->progressBar()->maximum(), kProgressRange);
    EXPECT_TRUE(form->animation()->isHidden());
    EXPECT_TRUE(form->statusLabel()->text().isEmpty());
    EXPECT_TRUE(testing::Access::sheetCreated(*form));
    EXPECT_EQ(form->sheet()->pos(), QPoint(0, 0));
    // The top pane is exactly the form's designed height.
    EXPECT_EQ(child->criteriaRowSplitter()->sizes().front(), form->sizeHint().height());
    EXPECT_EQ(form->height(), form->sizeHint().height());
}

TEST_F(SearchFormTest, BasicUserGetsTheBasicPage) {
    writeSetting(store, kExpertUser, 0);
    openWindow();
    EXPECT_EQ(form->sheet()->tabText(0), kBasicPageName);
    EXPECT_FALSE(form->expertUserBox()->isChecked());
}

TEST_F(SearchFormTest, ExpertUserSwitchesPagesKeepsTheCriteriaAndIsRemembered) {
    optionsPage()->matchFilenameCaseBox()->setChecked(true);  // typed, not yet saved
    QTest::mouseClick(form->expertUserBox(), Qt::LeftButton);
    EXPECT_EQ(form->sheet()->tabText(0), kBasicPageName);
    EXPECT_EQ(store.findInt(kOptionsSection, kExpertUser.name), 0);
    EXPECT_TRUE(doc->editedCriteria.matchFilenameCase);
    form->sheet()->setCurrentIndex(1);
    EXPECT_TRUE(optionsPage()->matchFilenameCaseBox()->isChecked());

    QTest::mouseClick(form->expertUserBox(), Qt::LeftButton);
    EXPECT_EQ(form->sheet()->tabText(0), kAdvancedPageName);
    EXPECT_EQ(store.findInt(kOptionsSection, kExpertUser.name), 1);
}

TEST_F(SearchFormTest, EnterInAPageRunsTheSearchAndTheStatusBarCountsTheRows) {
    TempTree tree;
    tree.file("a.txt", "one");
    tree.file("sub/b.txt", "two");
    tree.file("c.log", "three");
    setCriteria([&](SearchCriteria& c) {
        c.setLookInText(tree.path());
        c.fileName = "*.txt";
    });
    form->sheet()->setCurrentIndex(1);
    QCheckBox* box = optionsPage()->excludeFilenameBox();
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);  // the user ticks NOT, then changes mind
    QTest::keyClick(box, Qt::Key_Space);
    QTest::keyClick(box, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return statusBarText() == "2 file(s) found"; }, 20000))
        << statusBarText().toStdString();
    EXPECT_TRUE(waitUntilIdle());
    EXPECT_EQ(rowCount(child), 2);
    // A name-only search never shows the progress bar.
    EXPECT_TRUE(form->progressBar()->isHidden());
    EXPECT_TRUE(form->animation()->isHidden());
    EXPECT_FALSE(form->animation()->running());

    // The NOT box is ticked this time: the same Enter finds the others.
    QTest::keyClick(box, Qt::Key_Space);
    QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->startButton()->isEnabled(); }, 5000));
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_TRUE(doc->editedCriteria.excludeFilename);
    std::vector<std::string> names;
    doc->results.read([&](const auto& items) {
        for (const auto& item : items)
            names.push_back(item->name);
    });
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"c.log", "sub"}));
}

TEST_F(SearchFormTest, EscapeStopsARunningSearchOnALargeTree) {
    TempTree tree;
    const std::string line = "a line of text without the word we look for\n";
    std::string contents;
    for (int i = 0; i < 40; ++i)
        contents += line;
    constexpr int kFolders = 200;
    constexpr int kFilesPerFolder = 50;
    for (int f = 0; f < kFolders; ++f)
        for (int i = 0; i < kFilesPerFolder; ++i)
            tree.file("d" + std::to_string(f) + "/f" + std::to_string(i) + ".txt", contents);
    setCriteria([&](SearchCriteria& c) {
        c.setLookInText(tree.path());
        c.fileName = "*.txt";
        c.containingText = "text";
        c.searchContents = true;
    });
    QTest::mouseClick(form->startButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->stopButton()->isEnabled(); }, 5000));
    EXPECT_TRUE(form->animation()->isVisible());
    EXPECT_TRUE(form->animation()->running());
    // Enter while the search runs does nothing.
    QTest::keyClick(form->startButton(), Qt::Key_Return);
    EXPECT_TRUE(doc->searching());

    QTest::keyClick(optionsPage(), Qt::Key_Escape);
    ASSERT_TRUE(waitUntilIdle(5000));
    EXPECT_FALSE(form->stopButton()->isEnabled());
    EXPECT_LT(doc->results.count(), static_cast<std::size_t>(kFolders * kFilesPerFolder));
    EXPECT_TRUE(statusBarText().endsWith(" file(s) found")) << statusBarText().toStdString();
    EXPECT_TRUE(form->progressBar()->isHidden());
}

TEST_F(SearchFormTest, SearchMessagesDriveTheControls) {
    sendSearchMessage(form, WM_SEARCH_STARTED);
    EXPECT_FALSE(form->startButton()->isEnabled());
    EXPECT_TRUE(form->stopButton()->isEnabled());
    EXPECT_TRUE(form->animation()->running());

    struct Note {
        int position;
        const char* text;
    };
    for (const Note& n : {Note{0, "Counting"}, Note{25, "Half way"}, Note{50, "Done"}}) {
        postSearchMessage(form, WM_SEARCH_PROGRESS,
                          std::make_unique<SearchProgressNote>(n.position, n.text));
        QCoreApplication::processEvents();
        EXPECT_TRUE(form->progressBar()->isVisible());
        EXPECT_EQ(form->progressBar()->value(), n.position);
        EXPECT_EQ(form->statusLabel()->text(), n.text);
    }
    postSearchMessage(form, WM_SEARCH_FOLDER, std::make_unique<SearchProgressNote>(0, "/some/dir"));
    QCoreApplication::processEvents();
    EXPECT_EQ(statusBarText(), "/some/dir");

    sendSearchMessage(form, WM_SEARCH_CLEANEDUP);
    EXPECT_TRUE(form->startButton()->isEnabled());
    EXPECT_FALSE(form->stopButton()->isEnabled());
    EXPECT_TRUE(form->progressBar()->isHidden());
    EXPECT_FALSE(testing::Access::progressShown(*form));
    EXPECT_TRUE(form->statusLabel()->text().isEmpty());
    EXPECT_FALSE(form->animation()->running());
    EXPECT_TRUE(form->animation()->isHidden());
    EXPECT_EQ(statusBarText(), "0 file(s) found");
}

TEST_F(SearchFormTest, SavingCriteriaStoresWhatThePagesHold) {
    TempTree tree;
    form->sheet()->setCurrentIndex(1);
    QTest::mouseClick(optionsPage()->regularExpressionRadio(), Qt::LeftButton);
    QTest::mouseClick(optionsPage()->matchContentsCaseBox(), Qt::LeftButton);
    const std::string path = tree.path("saved.srch");
    std::string error;
    ASSERT_TRUE(doc->storeCriteria(path, error)) << error;

    CDediDurarerDoc reader(app);
    ASSERT_TRUE(reader.loadCriteria(path, error)) << error;
    EXPECT_FALSE(reader.editedCriteria.autoConvertToDos);
    EXPECT_TRUE(reader.editedCriteria.matchContentsCase);
}

TEST_F(SearchFormTest, BadTabNamesAndRefusedPagesStopNothingButTheStart) {
    MessageCapture messages;
    EXPECT_FALSE(form->setActiveCriteriaTab("Wizard"));
    EXPECT_EQ(messages.messages,
              (std::vector<std::string>{"Invalid tab passed to setActiveCriteriaTab: Wizard",
                                        "Ran out of memory when trying to create dialog"}));
    EXPECT_EQ(form->sheet()->count(), 0);
    form->startClicked();  // no pages: no search
    EXPECT_FALSE(doc->searching());
    EXPECT_TRUE(form->setActiveCriteriaTab(kBasicPageName));
    EXPECT_EQ(form->sheet()->count(), 2);
}

// A page whose only field accepts digits alone.
class DigitsPage : public CSearchPropertyPage {
  public:
    explicit DigitsPage(CSearchOptions* sheet) : CSearchPropertyPage(sheet) {
        setWindowTitle("Digits");
        field = new QLineEdit(this);
        other = new QLineEdit(this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(field);
        layout->addWidget(other);
    }
    QLineEdit* field;
    QLineEdit* other;
    int saves = 0;

  protected:
    bool savePage(SearchCriteria& criteria) override {
        ++saves;
        bool digits = false;
        field->text().toInt(&digits);
        if (!digits)
            return rejectField(field, "Digits only");
        criteria.fileName = field->text().toStdString();
        return true;
    }
};

TEST_F(SearchFormTest, APageThatRefusesItsDataKeepsTheFocusAndTheSearchUnstarted) {
    MessageCapture messages;
    CSearchOptions* sheet = form->sheet();
    sheet->removeAllPages();
    auto* page = new DigitsPage(sheet);
    sheet->setPages(page, new COptionsTab(sheet));
    ASSERT_TRUE(page->initialised());
    QCoreApplication::processEvents();

    QTest::keyClicks(page->field, "12x");
    page->other->setFocus();
    QTest::keyClick(page->other, Qt::Key_Return);
    EXPECT_EQ(page->saves, 1);
    EXPECT_EQ(messages.messages, std::vector<std::string>{"Digits only"});
    EXPECT_FALSE(doc->searching());
    EXPECT_TRUE(form->startButton()->isEnabled());
    EXPECT_EQ(QApplication::focusWidget(), page->field);
    EXPECT_EQ(page->field->selectedText(), "12x");

    QTest::keyClick(page->field, Qt::Key_End);
    QTest::keyClick(page->field, Qt::Key_Backspace);
    ASSERT_TRUE(sheet->saveData());
    EXPECT_EQ(doc->editedCriteria.fileName, "12");
}

TEST_F(SearchFormTest, FrameShortcutsAndEditCommandsWorkInsideAPage) {
    CSearchOptions* sheet = form->sheet();
    sheet->removeAllPages();
    auto* page = new DigitsPage(sheet);
    sheet->setPages(page, new COptionsTab(sheet));
    QCoreApplication::processEvents();
    page->field->setText("1234");
    page->field->setFocus();
    page->field->setSelection(1, 2);

    frame->runCommand(ID_EDIT_COPY);
    EXPECT_EQ(QApplication::clipboard()->text(), "23");
    frame->runCommand(ID_DELETE);
    EXPECT_EQ(page->field->text(), "14");

    // F6, the next-pane accelerator, leaves the page for the result list.
    QTest::keyClick(page->field, Qt::Key_F6);
    EXPECT_EQ(child->activeView(), child->resultList());
}

TEST_F(SearchFormTest, WideningTheWindowMovesTheRightHandControlsAndStretchesTheSheet) {
    struct Geometry {
        QRect start, stop, expert, status, progress, animation, sheet;
        int formHeight;
    };
    const auto read = [&] {
        return Geometry{form->startButton()->geometry(),   form->stopButton()->geometry(),
                        form->expertUserBox()->geometry(), form->statusLabel()->geometry(),
                        form->progressBar()->geometry(),   form->animation()->geometry(),
                        form->sheet()->geometry(),         form->height()};
    };
    const Geometry before = read();
    const int widthBefore = form->width();
    frame->resize(frame->width() + 240, frame->height() + 100);
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->width() > widthBefore; }, 3000));
    QCoreApplication::processEvents();
    const int grown = form->width() - widthBefore;
    const Geometry after = read();
    const std::pair<QRect, QRect> movers[] = {
        {before.start, after.start},       {before.stop, after.stop},
        {before.expert, after.expert},     {before.status, after.status},
        {before.progress, after.progress}, {before.animation, after.animation},
    };
    for (const auto& [was, now] : movers)
        EXPECT_EQ(now, was.translated(grown, 0));
    EXPECT_EQ(after.sheet, before.sheet.adjusted(0, 0, grown, 0));
    EXPECT_EQ(after.formHeight, before.formHeight);
}

}  // namespace
}  // namespace scoutwell
