// The result list's shell hooks as a user drives them: right clicks, Copy, Delete, drags,
// and the Edit menu's Copy and Delete following the active pane.
#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QVBoxLayout>
#include <cstdlib>

#include <gtest/gtest.h>

#include "app/MessageCapture.h"
#include "app/gui/DocumentManager.h"
#include "engine/FoundItem.h"
#include "framework/CommandIds.h"
#include "gui/FakeShellServices.h"
#include "gui/GuiTestSupport.h"
#include "platform/posix/FileUrl.h"
#include "support/TempTree.h"
#include "views/CChildFrame.h"
#include "views/CDediDurarerView.h"
#include "views/CFileContentsView.h"
#include "views/CMainFrame.h"
#include "views/FileDataSource.h"
#include "views/ResultsModel.h"
#include "views/ShellFileMenu.h"

namespace scoutwell {
namespace {

using testing::FakeShellServices;
using testing::GuiTest;
using testing::MessageCapture;
using testing::TempTree;
using Paths = std::vector<std::string>;

bool exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

class ResultListShellTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        doc = std::make_unique<CDediDurarerDoc>(app);
        window = std::make_unique<QWidget>();
        window->resize(900, 400);
        auto* layout = new QVBoxLayout(window.get());
        view = new CDediDurarerView(doc.get(), window.get());
        layout->addWidget(view);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        setPopupRunner([this](QMenu& menu, const QPoint&) -> QAction* {
            QStringList texts;
            for (QAction* a : menu.actions())
                texts << a->text();
            menus << texts.join(u'|');
            return nullptr;
        });
    }
    void TearDown() override {
        setPopupRunner({});
        window.reset();
        doc.reset();
        GuiTest::TearDown();
    }

    void addFile(const std::string& location, const std::string& name) {
        doc->results.add(FoundFile(makeSharedText(location), name, 1, 0));
        sendSearchMessage(view, WM_SEARCH_NEWRESULTS);
    }
    QPoint rowCentre(int row) const {
        return view->visualRect(view->resultsModel()->index(row, 0)).center();
    }
    QPoint emptyPart() const { return QPoint(20, view->viewport()->height() - 5); }
    void click(Qt::MouseButton button, QPoint at, Qt::KeyboardModifiers mods = {}) {
        QTest::mouseClick(view->viewport(), button, mods, at);
    }
    Paths names() const {
        Paths result;
        for (int row = 0; row < view->resultsModel()->rowCount(); ++row)
            result.push_back(view->resultsModel()->cellText(row, ResultsModel::kNameColumn));
        return result;
    }

    FakeShellServices shell;
    TempTree tree;
    std::unique_ptr<CDediDurarerDoc> doc;
    std::unique_ptr<QWidget> window;
    CDediDurarerView* view = nullptr;
    QStringList menus;
};

constexpr const char* kSingleMenu = "&Open|&Explore here...||&Copy|Copy &path||Move to &Trash";
// Both menus name the Trash command alike.
constexpr const char* kMultiMenu = "Open|&Explore here...||&Copy|Move to &Trash";

TEST_F(ResultListShellTest, RightClickShowsTheMenuTheSelectionCallsFor) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        tree.file(name);
        addFile(tree.path(), name);
    }
    // Nothing selected, empty part: nothing.
    click(Qt::RightButton, emptyPart());
    EXPECT_TRUE(menus.isEmpty());

    // One selected, empty part: nothing, and the row stays selected.
    click(Qt::LeftButton, rowCentre(0));
    click(Qt::RightButton, emptyPart());
    EXPECT_TRUE(menus.isEmpty());
    EXPECT_EQ(view->collectSelection(), Paths{tree.path("a.txt")});

    // A right click on another row makes it the one file of the menu.
    click(Qt::RightButton, rowCentre(1));
    EXPECT_EQ(menus, QStringList{kSingleMenu});
    EXPECT_EQ(shell.typeAskedFor, Paths{tree.path("b.txt")});
    EXPECT_EQ(view->collectSelection(), Paths{tree.path("b.txt")});

    // Two selected: the menu of both, wherever the click is.
    menus.clear();
    shell.typeAskedFor.clear();
    click(Qt::LeftButton, rowCentre(2), Qt::ControlModifier);
    click(Qt::RightButton, emptyPart());
    click(Qt::RightButton, rowCentre(1));
    EXPECT_EQ(menus, (QStringList{kMultiMenu, kMultiMenu}));
    EXPECT_EQ(shell.typeAskedFor.front(), tree.path("b.txt"));
    EXPECT_EQ(view->collectSelection(), (Paths{tree.path("b.txt"), tree.path("c.txt")}));
}

TEST_F(ResultListShellTest, EveryFailureToOpenNamesTheFilesAndTheReason) {
    const std::string a = tree.file("a.txt", "a");
    const std::string b = tree.file("b.txt", "b");
    addFile(tree.path(), "a.txt");
    addFile(tree.path(), "b.txt");
    const std::string reason = FakeShellServices::kFailureReason;
    shell.unopenable = {a, tree.path()};
    shell.recommended = {"editor.desktop"};
    shell.names = {{"editor.desktop", "Editor"}};
    shell.unlaunchable = {"editor.desktop"};
    MessageCapture messages;

    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(0));
    EXPECT_EQ(shell.opened, Paths{a});
    ASSERT_EQ(messages.messages, Paths{"Could not open " + a + "\n\n" + reason});

    // The menu of both files: one message for what failed of each command.
    ShellFileMenu menu(shell);
    const struct {
        int item;  // relative to the menu's own items, or the first handler's
        bool own;
        std::string message;
    } cases[] = {
        {ShellFileMenu::kOpenOffset, true,
         "These files could not be opened:\n" + a + ": " + reason},
        {1, false, "Could not open these files with Editor:\n" + a + "\n" + b + "\n\n" + reason},
        {ShellFileMenu::kExploreOffset, true, "Could not open " + tree.path() + "\n\n" + reason},
    };
    for (const auto& c : cases) {
        messages.messages.clear();
        ASSERT_TRUE(menu.build({a, b}));
        menu.carryOut(c.own ? menu.firstOwnId() + c.item : c.item);
        EXPECT_EQ(messages.messages, Paths{c.message});
    }

    // The single file's menu: Open with and Properties say so too.
    shell.hasFileManager = false;
    messages.messages.clear();
    setPopupRunner([](QMenu& popup, const QPoint&) -> QAction* {
        for (QAction* action : popup.actions())
            if (action->text() == "Open with Editor")
                return action;
        return nullptr;
    });
    click(Qt::RightButton, rowCentre(1));
    EXPECT_EQ(messages.messages, Paths{"Could not open " + b + " with Editor\n\n" + reason});
}

TEST_F(ResultListShellTest, TheTrashQuestionNamesUpToTenFiles) {
    Paths paths;
    for (int i = 0; i < 12; ++i)
        paths.push_back(tree.file("f" + std::to_string(i) + ".txt"));
    shell.answerYes = false;
    for (const std::size_t count : {std::size_t{2}, std::size_t{10}, std::size_t{12}}) {
        FileDataSource source;
        source.fill(Paths(paths.begin(), paths.begin() + static_cast<long>(count)));
        source.deleteFiles(shell);
        std::string expected = "Are you sure you want to move these " + std::to_string(count) +
                               " items to the Trash?\n";
        for (std::size_t i = 0; i < std::min<std::size_t>(count, 10); ++i)
            expected += "\n" + paths[i];
        if (count > 10)
            expected += "\nand 2 more";
        EXPECT_EQ(shell.questions.back(), expected);
    }
}

TEST_F(ResultListShellTest, FilesDeletedElsewhereLeaveTheListAtTheNextRightClick) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        tree.file(name);
        addFile(tree.path(), name);
    }
    click(Qt::LeftButton, rowCentre(0));
    click(Qt::LeftButton, rowCentre(1), Qt::ControlModifier);
    ::unlink(tree.path("b.txt").c_str());
    click(Qt::RightButton, rowCentre(0));
    EXPECT_EQ(menus, QStringList{kMultiMenu});
    EXPECT_EQ(names(), (Paths{"a.txt", "c.txt"}));

    // The single file's menu reports the vanished file and shows nothing.
    MessageCapture messages;
    menus.clear();
    ::unlink(tree.path("c.txt").c_str());
    click(Qt::LeftButton, rowCentre(1));
    click(Qt::RightButton, rowCentre(1));
    EXPECT_TRUE(menus.isEmpty());
    ASSERT_EQ(messages.messages.size(), 2u);
    EXPECT_EQ(messages.messages[1], "Getting context menu for selected file(s) failed. 80070002");
    EXPECT_EQ(names(), Paths{"a.txt"});
}

TEST_F(ResultListShellTest, CopyAndDragCarryTheSelectedFilesAsCopies) {
    tree.file("one file.txt");
    tree.file("two.txt");
    addFile(tree.path(), "one file.txt");
    addFile(tree.path(), "two.txt");
    const std::string urls = fileUrlFromPath(tree.path("one file.txt")) + "\r\n" +
                             fileUrlFromPath(tree.path("two.txt")) + "\r\n";

    view->handleCommand(ID_EDIT_COPY);  // nothing selected: an empty source
    EXPECT_TRUE(QApplication::clipboard()->mimeData()->formats().isEmpty());
    view->selectAll();
    view->handleCommand(ID_EDIT_COPY);
    EXPECT_EQ(QApplication::clipboard()->mimeData()->data("text/uri-list").toStdString(), urls);

    Qt::DropActions allowed;
    std::string dragged;
    setDragRunner([&](QDrag& drag, Qt::DropActions actions) {
        allowed = actions;
        dragged = drag.mimeData()->data("text/uri-list").toStdString();
        return Qt::CopyAction;
    });
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, rowCentre(0));
    const QPoint far = rowCentre(0) + QPoint(QApplication::startDragDistance() * 3, 40);
    // The first move makes it a drag, the next one starts it.
    for (const QPoint& at : {far - QPoint(1, 1), far}) {
        QMouseEvent move(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
    }
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, far);
    setDragRunner({});
    EXPECT_EQ(allowed, Qt::DropActions(Qt::CopyAction));
    EXPECT_EQ(dragged, urls);
}

// The real Trash of a home of the test's own; only the question is answered by the test.
class AnsweringShell : public DesktopShellServices {
  public:
    bool confirm(const std::string& question) override {
        questions.push_back(question);
        return answer;
    }
    bool answer = false;
    Paths questions;
};

TEST_F(ResultListShellTest, DeleteMovesTheFilesToTheTrashAfterOneQuestion) {
    const char* oldData = std::getenv("XDG_DATA_HOME");
    const std::string restore = oldData ? oldData : "";
    const std::string data = tree.folder("home/.local/share");
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    AnsweringShell trash;
    setShellServices(&trash);
    const std::string a = tree.file("found/a.txt", "a");
    const std::string b = tree.file("found/b\xFF.txt", "b");
    addFile(tree.path("found/"), "a.txt");
    addFile(tree.path("found/"), "b\xFF.txt");
    addFile("/proc/self/", "status");  // no trash can take it
    MessageCapture messages;

    view->handleCommand(ID_DELETE);  // nothing selected: no question
    EXPECT_TRUE(trash.questions.empty());
    view->selectAll();
    view->handleCommand(ID_DELETE);
    EXPECT_EQ(trash.questions,
              Paths{"Are you sure you want to move these 3 items to the Trash?\n\n" + a + "\n" + b +
                    "\n/proc/self/status"});
    EXPECT_TRUE(exists(a));
    EXPECT_EQ(names().size(), 3u);

    trash.answer = true;
    view->handleCommand(ID_DELETE);
    EXPECT_FALSE(exists(a));
    EXPECT_FALSE(exists(b));
    EXPECT_TRUE(exists(data + "Trash/files/a.txt"));
    EXPECT_TRUE(exists(data + "Trash/files/b\xFF.txt"));
    EXPECT_TRUE(exists(data + "Trash/info/a.txt.trashinfo"));
    EXPECT_TRUE(exists(data + "Trash/info/b\xFF.txt.trashinfo"));
    EXPECT_EQ(messages.messages,
              Paths{"These files could not be moved to the Trash and were left where they "
                    "are:\n/proc/self/status"});
    EXPECT_EQ(names(), Paths{"status"});

    setShellServices(&shell);
    if (oldData)
        ::setenv("XDG_DATA_HOME", restore.c_str(), 1);
    else
        ::unsetenv("XDG_DATA_HOME");
}

class EditMenuTest : public GuiTest {};

TEST_F(EditMenuTest, CopyAndDeleteFollowTheActivePane) {
    DocumentManager manager(app);
    CMainFrame frame(app, manager);
    frame.resize(1000, 700);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    ASSERT_NE(manager.newDocument(), nullptr);
    CChildFrame* child = frame.activeChild();
    ASSERT_NE(child, nullptr);
    QApplication::setActiveWindow(&frame);

    child->setActiveView(child->contentsView());
    QApplication::processEvents();
    EXPECT_FALSE(frame.action(ID_EDIT_COPY)->isEnabled());
    EXPECT_FALSE(frame.action(ID_DELETE)->isEnabled());
    child->setActiveView(child->resultList());
    QApplication::processEvents();
    EXPECT_TRUE(frame.action(ID_EDIT_COPY)->isEnabled());
    EXPECT_TRUE(frame.action(ID_DELETE)->isEnabled());
}

}  // namespace
}  // namespace scoutwell
