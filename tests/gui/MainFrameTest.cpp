// The main window and a search window as the user meets them: menus, accelerators,
// command enabling, the status bar, the splitters and what they remember.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitterHandle>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <memory>

#include "GuiTestSupport.h"
#include "app/core/CriteriaFile.h"
#include "app/core/Settings.h"
#include "app/gui/CSearchForView.h"
#include "app/gui/DocumentManager.h"
#include "framework/CommandIds.h"
#include "support/TempTree.h"
#include "views/CChildFrame.h"
#include "views/CMainFrame.h"

namespace scoutwell {
namespace {

using testing::GuiTest;
using testing::RecordingView;
using testing::TempTree;

class MainFrameTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        manager = std::make_unique<DocumentManager>(app);
        frame = std::make_unique<CMainFrame>(app, *manager);
        frame->resize(1000, 700);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }
    void TearDown() override {
        frame.reset();
        manager.reset();
        GuiTest::TearDown();
    }

    QMenu* topMenu(const QString& title) {
        for (QAction* a : frame->menuBar()->actions())
            if (a->menu() && a->text() == title)
                return a->menu();
        return nullptr;
    }
    // The items of a menu as the user sees them, after it was opened.
    QStringList itemTexts(QMenu* menu) {
        emit menu->aboutToShow();
        QStringList texts;
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                texts << a->text();
        return texts;
    }

    std::unique_ptr<DocumentManager> manager;
    std::unique_ptr<CMainFrame> frame;
    TempTree tree;
};

TEST_F(MainFrameTest, MenusWithoutAndWithASearchWindow) {
    QStringList bar;
    for (QAction* a : frame->menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, (QStringList{"&File", "&View", "&Help"}));
    EXPECT_EQ(itemTexts(topMenu("&File")),
              (QStringList{"&New", "&Open...", "P&rint Setup...", "E&xit"}));

    ASSERT_NE(manager->newDocument(), nullptr);
    bar.clear();
    for (QAction* a : frame->menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar,
              (QStringList{"&File", "&Edit", "&View", "&Search", "&Test", "&Window", "&Help"}));
    EXPECT_EQ(itemTexts(topMenu("&File")),
              (QStringList{"&New", "&Open Criteria...", "&Close", "&Save Criteria",
                           "Save Criteria &As...", "Save R&esults...", "&Print...",
                           "Print Pre&view", "P&rint Setup...", "E&xit"}));
    EXPECT_EQ(itemTexts(topMenu("&Edit")),
              (QStringList{"&Word Wrap", "Set &Font...", "Set &Highlight Colour...",
                           "Cl&ear History...", "Select Al&l", "&Delete", "&Copy"}));
    EXPECT_EQ(itemTexts(topMenu("&Search")),
              (QStringList{"&Start", "Sto&p", "One Phase Searching", "&Configuration..."}));
    EXPECT_EQ(itemTexts(topMenu("&Help")), (QStringList{"Contents...", "About Scoutwell..."}));
    EXPECT_EQ(frame->windowTitle(), "Scoutwell - [Search1]");
}

TEST_F(MainFrameTest, CommandsCarryTheirIdsPromptsAndKeys) {
    struct Case {
        int id;
        const char* text;
        const char* statusTip;
        const char* toolTip;
        const char* keys;
    };
    const Case cases[] = {
        {ID_SEARCH_START, "&Start", "Start the search", "Start", ""},
        {ID_SEARCH_STOP, "Sto&p", "Stop the current search", "Stop", ""},
        {ID_ONE_PHASE, "One Phase Searching",
         "Toggle One Phase Searching for efficient contents searching of large drives (no "
         "progress meter)",
         "Toggle One Phase Searching (for large drives)", ""},
        {ID_TEST_REGEXP, "Reg Expression...", "Test regular expression engine", nullptr, ""},
        {ID_SELECT_ALL, "Select Al&l", "Select all the files in the File List view", "Select All",
         "Ctrl+A"},
        {ID_FILE_OPEN, "&Open Criteria...", "Open a search criteria file", "Open", "Ctrl+O"},
        {ID_FILE_SAVE, "&Save Criteria", "Save the current search criteria", "Save Criteria",
         "Ctrl+S"},
        {ID_SET_HIGHLIGHT_COLOUR, "Set &Highlight Colour...",
         "Set the colour for highlighting found text", "Set Colour", ""},
        {ID_SAVE_RESULTS, "Save R&esults...", "Save search results", "Save results", ""},
        {ID_CLEAR_HISTORY, "Cl&ear History...", "Clear history items in the drop down lists",
         "Clear History", ""},
        {ID_DELETE, "&Delete", "Delete current selection", "Delete", "Del"},
        {ID_EDIT_COPY, "&Copy", nullptr, nullptr, "Ctrl+C"},
        {ID_FILE_NEW, "&New", nullptr, nullptr, "Ctrl+N"},
        {ID_FILE_PRINT, "&Print...", nullptr, nullptr, "Ctrl+P"},
        {ID_APP_EXIT, "E&xit", nullptr, nullptr, "Ctrl+Q"},
        {ID_NEXT_PANE, nullptr, nullptr, nullptr, "F6"},
        {ID_PREV_PANE, nullptr, nullptr, nullptr, "Shift+F6"},
        {ID_CANCEL, nullptr, nullptr, nullptr, "Esc"},
        {ID_OK, nullptr, nullptr, nullptr, "Return"},
    };
    for (const Case& c : cases) {
        QAction* a = frame->action(c.id);
        ASSERT_NE(a, nullptr) << c.id;
        EXPECT_EQ(a->data().toInt(), c.id);
        if (c.text) {
            EXPECT_EQ(a->text(), c.text) << c.id;
        }
        if (c.statusTip) {
            EXPECT_EQ(a->statusTip(), c.statusTip) << c.id;
        }
        if (c.toolTip) {
            EXPECT_EQ(a->toolTip(), c.toolTip) << c.id;
        }
        EXPECT_EQ(a->shortcut().toString(), c.keys) << c.id;
    }
}

TEST_F(MainFrameTest, ToolbarButtonsAndStatusBarPanes) {
    std::vector<int> ids;
    for (QAction* a : frame->toolBar()->actions())
        ids.push_back(a->isSeparator() ? 0 : a->data().toInt());
    EXPECT_EQ(ids, (std::vector<int>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_SAVE_RESULTS, 0,
                                     ID_SEARCH_START, ID_SEARCH_STOP, 0, ID_FILE_PRINT, 0,
                                     ID_APP_ABOUT}));
    EXPECT_EQ(frame->statusBar()->currentMessage(), "Ready");
    QStringList indicators;
    for (QLabel* label : frame->statusBar()->findChildren<QLabel*>())
        if (!label->text().isEmpty())
            indicators << label->text();
    EXPECT_TRUE(indicators.contains("CAP") && indicators.contains("NUM") &&
                indicators.contains("SCRL"));
    frame->statusBar()->showMessage("a prompt");
    frame->statusBar()->clearMessage();
    EXPECT_EQ(frame->statusBar()->currentMessage(), "Ready");
}

TEST_F(MainFrameTest, StartAndStopFollowTheSearchAndTheStatusBarCountsTheFiles) {
    tree.file("one.txt", "x");
    tree.file("two.txt", "y");
    // The search comes from a criteria file, as the user would open it: the form shows
    // what the file holds and starts with that.
    SearchCriteria criteria;
    criteria.lookIn = {tree.path()};
    criteria.fileName = "*.txt";
    std::string error;
    ASSERT_TRUE(CriteriaFile::save(tree.path("search.srf"), criteria, error)) << error;
    CDediDurarerDoc* doc = manager->openDocument(QString::fromStdString(tree.path("search.srf")));
    ASSERT_NE(doc, nullptr);
    RecordingView watcher;  // watches only, never stops
    doc->addView(&watcher);
    frame->updateCommands();
    EXPECT_TRUE(frame->action(ID_SEARCH_START)->isEnabled());
    EXPECT_FALSE(frame->action(ID_SEARCH_STOP)->isEnabled());

    frame->action(ID_SEARCH_START)->trigger();
    EXPECT_EQ(watcher.count(WM_START_SEARCH), 1);
    EXPECT_EQ(watcher.count(WM_SEARCH_STARTED), 1);
    ASSERT_TRUE(watcher.waitFor(WM_SEARCH_CLEANEDUP));
    EXPECT_EQ(doc->results.count(), 2u);
    EXPECT_TRUE(frame->action(ID_SEARCH_START)->isEnabled());
    EXPECT_FALSE(frame->action(ID_SEARCH_STOP)->isEnabled());
    EXPECT_EQ(frame->statusBar()->currentMessage(), "2 file(s) found");
}

TEST_F(MainFrameTest, OnePhaseAndWordWrapShowCheckMarks) {
    CDediDurarerDoc* doc = manager->newDocument();
    RecordingView watcher;
    doc->addView(&watcher);
    QAction* onePhase = frame->action(ID_ONE_PHASE);
    QAction* wordWrap = frame->action(ID_WORD_WRAP);
    frame->updateCommands();
    EXPECT_FALSE(onePhase->isChecked());
    EXPECT_FALSE(wordWrap->isChecked());

    onePhase->trigger();
    wordWrap->trigger();
    EXPECT_TRUE(onePhase->isChecked());
    EXPECT_TRUE(doc->editedCriteria.onePhaseSearch);
    EXPECT_TRUE(wordWrap->isChecked());
    EXPECT_TRUE(doc->wordWrap);
    EXPECT_EQ(watcher.count(WM_TOGGLE_WORDWRAP), 1);
    EXPECT_EQ(readSetting(store, kWordWrap), 1);
}

TEST_F(MainFrameTest, TheFileListWidthIsRestoredAndStoredOnRelease) {
    struct Case {
        std::int32_t stored;
        bool halfWidth;
    };
    for (const Case& c : {Case{kNoStoredWidth, true}, Case{0, true}, Case{250, false}}) {
        if (c.stored == kNoStoredWidth)
            store.deleteValue(kWindowSettingsSection, kFileListWidth.name);
        else
            writeSetting(store, kFileListWidth, c.stored);
        CChildFrame child(new CDediDurarerDoc(app), /*creationWidth=*/800);
        child.resize(800, 600);
        child.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&child));
        EXPECT_EQ(child.resultPaneSplitter()->sizes().value(0), c.halfWidth ? 400 : 250)
            << c.stored;
    }
}

TEST_F(MainFrameTest, ReleasingTheInnerBarStoresTheListWidthAndTheOuterBarIsFixed) {
    ASSERT_NE(manager->newDocument(), nullptr);
    CChildFrame* child = frame->activeChild();
    ASSERT_NE(child, nullptr);
    QTest::qWait(50);

    QSplitterHandle* inner = child->resultPaneSplitter()->handle(1);
    const QPoint middle = inner->rect().center();
    QTest::mousePress(inner, Qt::LeftButton, Qt::NoModifier, middle);
    QTest::mouseRelease(inner, Qt::LeftButton, Qt::NoModifier, middle);
    EXPECT_EQ(readSetting(store, kFileListWidth), child->resultPaneSplitter()->sizes().value(0));

    QSplitterHandle* outer = child->criteriaRowSplitter()->handle(1);
    const QList<int> before = child->criteriaRowSplitter()->sizes();
    const QPoint start = outer->rect().center();
    QTest::mousePress(outer, Qt::LeftButton, Qt::NoModifier, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(0, 120)),
                     outer->mapToGlobal(QPointF(start + QPoint(0, 120))), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(outer, &move);
    QTest::mouseRelease(outer, Qt::LeftButton, Qt::NoModifier, start + QPoint(0, 120));
    EXPECT_EQ(child->criteriaRowSplitter()->sizes(), before);
    EXPECT_EQ(outer->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MainFrameTest, TileAndCascadeLeaveTheButtonsOfEveryWindowInView) {
    for (const QSize size : {QSize(1280, 800), QSize(800, 600)}) {
        frame->resize(size);
        for (int i = frame->mdiArea()->subWindowList().size(); i < 2; ++i)
            ASSERT_NE(manager->newDocument(), nullptr);
        for (const int command : {ID_WINDOW_TILE, ID_WINDOW_CASCADE}) {
            frame->runCommand(command);
            QCoreApplication::processEvents();
            const QRect area = frame->mdiArea()->viewport()->rect();
            // Front to back: what a window above covers, the ones below do not show.
            QList<QMdiSubWindow*> stack = frame->mdiArea()->subWindowList(QMdiArea::StackingOrder);
            std::reverse(stack.begin(), stack.end());
            QRegion covered;
            for (QMdiSubWindow* window : stack) {
                auto* child = qobject_cast<CChildFrame*>(window->widget());
                ASSERT_NE(child, nullptr);
                SCOPED_TRACE(::testing::Message()
                             << window->windowTitle().toStdString() << " at " << size.width() << 'x'
                             << size.height()
                             << (command == ID_WINDOW_TILE ? " tiled" : " cascaded"));
                EXPECT_FALSE(window->isMaximized());
                EXPECT_FALSE(child->criteriaRow()->horizontalScrollBar()->isVisible());
                CSearchForView* form = child->criteriaForm();
                for (QWidget* button : {static_cast<QWidget*>(form->startButton()),
                                        static_cast<QWidget*>(form->stopButton()),
                                        static_cast<QWidget*>(form->expertUserBox())}) {
                    const QRect shown(button->mapTo(frame->mdiArea()->viewport(), QPoint()),
                                      button->size());
                    EXPECT_TRUE(area.contains(shown)) << button->metaObject()->className();
                    // A cascade leaves each window's title bar to click on.
                    if (command == ID_WINDOW_TILE) {
                        EXPECT_FALSE(covered.intersects(shown))
                            << button->metaObject()->className();
                    }
                }
                covered += window->geometry();
            }
        }
    }
}

TEST_F(MainFrameTest, SearchWindowsAreMaximizedAndClosingOneStopsItsSearch) {
    ASSERT_NE(manager->newDocument(), nullptr);
    ASSERT_NE(manager->newDocument(), nullptr);
    ASSERT_EQ(frame->mdiArea()->subWindowList().size(), 2);
    for (QMdiSubWindow* window : frame->mdiArea()->subWindowList()) {
        frame->mdiArea()->setActiveSubWindow(window);
        EXPECT_TRUE(window->isMaximized());
    }
    EXPECT_EQ(frame->windowTitle(), "Scoutwell - [Search2]");
    frame->action(ID_FILE_CLOSE)->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->mdiArea()->subWindowList().size() == 1; }));
}

}  // namespace
}  // namespace scoutwell
