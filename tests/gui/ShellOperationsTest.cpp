// What the desktop receives when found files are copied, dragged, opened, explored,
// deleted or shown in a context menu.
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QTest>

#include <gtest/gtest.h>

#include "app/MessageCapture.h"
#include "gui/FakeShellServices.h"
#include "support/TempTree.h"
#include "views/FileDataSource.h"
#include "views/ShellFileMenu.h"
#include "views/SingleFileMenu.h"

namespace scoutwell {
namespace {

using testing::FakeShellServices;
using testing::MessageCapture;
using testing::TempTree;
using Paths = std::vector<std::string>;

std::string bytesOf(const QMimeData& data, const char* format) {
    const QByteArray b = data.data(QString::fromLatin1(format));
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

// The menu's items as "text=id", separators as "-=id".
std::vector<std::string> itemsOf(QMenu& menu) {
    std::vector<std::string> items;
    for (QAction* a : menu.actions()) {
        const std::string text = a->isSeparator() ? "-" : a->text().toStdString();
        items.push_back(text + "=" + std::to_string(a->data().toInt()));
    }
    return items;
}

TEST(FileDataSourceTest, OffersExactBytesInEveryFormat) {
    struct Case {
        Paths paths;
        std::string uriList;
        std::string plain;
        std::string gnome;
    };
    const Case cases[] = {
        {{"/tmp/a b.txt"},
         "file:///tmp/a%20b.txt\r\n",
         "/tmp/a b.txt",
         "copy\nfile:///tmp/a%20b.txt"},
        {{"/home/me/\xC3\xA9t\xC3\xA9.txt", "/x/bad\xFF\xFEname", "/x/100%#?.c"},
         "file:///home/me/%C3%A9t%C3%A9.txt\r\nfile:///x/bad%FF%FEname\r\n"
         "file:///x/100%25%23%3F.c\r\n",
         "/home/me/\xC3\xA9t\xC3\xA9.txt\n/x/bad\xFF\xFEname\n/x/100%#?.c",
         "copy\nfile:///home/me/%C3%A9t%C3%A9.txt\nfile:///x/bad%FF%FEname\n"
         "file:///x/100%25%23%3F.c"},
    };
    for (const Case& c : cases) {
        FileDataSource source;
        source.fill(c.paths);
        EXPECT_EQ(bytesOf(source, kUriListFormat), c.uriList);
        EXPECT_EQ(bytesOf(source, kPlainTextFormat), c.plain);
        EXPECT_EQ(bytesOf(source, kGnomeCopiedFilesFormat), c.gnome);
        EXPECT_EQ(bytesOf(source, kKdeCutSelectionFormat), "0");
        EXPECT_EQ(source.paths(), c.paths);
        std::string list;
        for (const std::string& p : c.paths)
            list += p + '\0';
        EXPECT_EQ(source.pathList(), list + '\0');
        // Qt's own reading of the URLs gives the same files back.
        ASSERT_EQ(source.urls().size(), static_cast<qsizetype>(c.paths.size()));
        EXPECT_EQ(source.urls().front().toEncoded().toStdString(),
                  c.uriList.substr(0, c.uriList.find('\r')));
    }

    FileDataSource empty;
    empty.fill({});
    EXPECT_TRUE(empty.formats().isEmpty());
    EXPECT_TRUE(empty.pathList().empty());
}

TEST(FileDataSourceTest, CopyLeavesTheFilesOnTheClipboard) {
    copyFilesToClipboard({"/tmp/x\xFF.txt", "/tmp/y.txt"});
    const QMimeData* held = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(bytesOf(*held, kGnomeCopiedFilesFormat),
              "copy\nfile:///tmp/x%FF.txt\nfile:///tmp/y.txt");
    EXPECT_EQ(bytesOf(*held, kPlainTextFormat), "/tmp/x\xFF.txt\n/tmp/y.txt");
}

TEST(FileDataSourceTest, DeleteAsksOnceAndNamesEveryFileThatStayed) {
    FakeShellServices shell;
    MessageCapture messages;
    FileDataSource one;
    one.fill({"/d/only.txt"});
    shell.answerYes = false;
    EXPECT_FALSE(one.deleteFiles(shell));
    EXPECT_TRUE(shell.trashed.empty());
    EXPECT_EQ(shell.questions, Paths{"Are you sure you want to move \"only.txt\" to the Trash?"});

    shell.answerYes = true;
    shell.questions.clear();
    shell.untrashable = {"/d/b", "/d/c"};
    FileDataSource three;
    three.fill({"/d/a", "/d/b", "/d/c"});
    EXPECT_TRUE(three.deleteFiles(shell));
    EXPECT_EQ(shell.questions, Paths{"Are you sure you want to move these 3 items to the "
                                     "Trash?\n\n/d/a\n/d/b\n/d/c"});
    EXPECT_EQ(shell.trashed, (Paths{"/d/a", "/d/b", "/d/c"}));
    EXPECT_EQ(messages.messages,
              Paths{"These files could not be moved to the Trash and were left where they "
                    "are:\n/d/b\n/d/c"});
}

class ShellFileMenuTest : public ::testing::Test {
  protected:
    FakeShellServices shell;
};

TEST_F(ShellFileMenuTest, HandlersTakeIdBlocksAndTheOwnItemsFollowThem) {
    // "gone" cannot be loaded: no block. "mute" loads but adds no item: it keeps its block.
    // "edit" is registered for the type and for all files, and appears once.
    shell.recommended = {"edit", "gone", "view"};
    shell.fallback = {"view", "mute", "edit", "hex"};
    shell.names = {{"edit", "Editor"}, {"view", "Viewer & Co"}, {"mute", ""}, {"hex", "Hex"}};
    shell.unloadable = {"gone"};
    ShellFileMenu menu(shell);
    ASSERT_TRUE(menu.build({"/d/a.txt", "/d/b.png"}));

    EXPECT_EQ(menu.handlers(), (Paths{"edit", "view", "mute", "hex"}));
    EXPECT_EQ(menu.firstOwnId(), 80);
    EXPECT_EQ(itemsOf(menu.menu()), (Paths{"Open=84", "&Explore here...=85", "Open with Editor=1",
                                           "Open with Viewer && Co=21", "Open with Hex=61", "-=80",
                                           "&Copy=82", "Move to &Trash=83"}));
    EXPECT_EQ(menu.menu().defaultAction()->text(), "Open");
    // The first file's type decides for both.
    EXPECT_EQ(shell.typeAskedFor, (Paths{"/d/a.txt", "/d/a.txt"}));

    menu.carryOut(61);
    menu.carryOut(22);  // not a command "view" added
    ASSERT_EQ(shell.launched.size(), 1u);
    EXPECT_EQ(shell.launched[0].first, "hex");
    EXPECT_EQ(shell.launched[0].second, (Paths{"/d/a.txt", "/d/b.png"}));
}

TEST_F(ShellFileMenuTest, WithoutHandlersTheOwnItemsStartAtZero) {
    ShellFileMenu menu(shell);
    EXPECT_FALSE(menu.build({}));
    ASSERT_TRUE(menu.build({"/d/a", "/d/b"}));
    EXPECT_EQ(itemsOf(menu.menu()),
              (Paths{"Open=4", "&Explore here...=5", "-=0", "&Copy=2", "Move to &Trash=3"}));
}

TEST_F(ShellFileMenuTest, OwnCommandsActOnEveryFile) {
    ShellFileMenu menu(shell);
    const Paths paths{"/d/a", "/d/b", "/e/c"};
    ASSERT_TRUE(menu.build(paths));

    menu.carryOut(4);
    EXPECT_EQ(shell.opened, paths);

    // No file manager: each file's folder opens, once per file.
    shell.opened.clear();
    menu.carryOut(5);
    EXPECT_EQ(shell.opened, (Paths{"/d/", "/d/", "/e/"}));
    shell.hasFileManager = true;
    shell.opened.clear();
    menu.carryOut(5);
    EXPECT_EQ(shell.shownItems, paths);
    EXPECT_TRUE(shell.opened.empty());

    menu.carryOut(2);
    EXPECT_EQ(bytesOf(*QGuiApplication::clipboard()->mimeData(), kPlainTextFormat),
              "/d/a\n/d/b\n/e/c");
    menu.carryOut(3);
    EXPECT_EQ(shell.trashed, paths);

    shell.trashed.clear();
    for (int id : {0, 1, 6, 99})
        menu.carryOut(id);
    EXPECT_TRUE(shell.trashed.empty());
}

TEST(SingleFileMenuTest, OffersWhatAFileManagerOffersForOneFile) {
    FakeShellServices shell;
    TempTree tree;
    tree.file("a b.txt");
    shell.recommended = {"edit", "gone"};
    shell.names = {{"edit", "Editor"}};
    shell.unloadable = {"gone"};
    shell.hasFileManager = true;

    std::vector<std::string> seen;
    setPopupRunner([&](QMenu& menu, const QPoint&) -> QAction* {
        seen = itemsOf(menu);
        for (QAction* a : menu.actions())
            if (a->text() == "Copy &path")
                return a;
        return nullptr;
    });
    EXPECT_TRUE(showSingleFileMenu("a b.txt", tree.path(), QPoint(10, 10), shell));
    setPopupRunner({});
    std::vector<std::string> texts;
    for (const std::string& item : seen)
        texts.push_back(item.substr(0, item.rfind('=')));
    EXPECT_EQ(texts, (Paths{"&Open", "Open with Editor", "&Explore here...", "-", "&Copy",
                            "Copy &path", "-", "Move to &Trash", "-", "P&roperties"}));
    EXPECT_EQ(bytesOf(*QGuiApplication::clipboard()->mimeData(), kPlainTextFormat),
              tree.path("a b.txt"));
}

TEST(SingleFileMenuTest, AVanishedFileOrFolderIsReportedAndShowsNoMenu) {
    FakeShellServices shell;
    TempTree tree;
    bool shown = false;
    setPopupRunner([&](QMenu&, const QPoint&) -> QAction* {
        shown = true;
        return nullptr;
    });
    struct Case {
        std::string location;
        const char* step;
        const char* code;
    };
    const Case cases[] = {
        {tree.path(), "Parsing display name for file", "80070002"},
        {tree.path("gone/"), "Parsing display name for desktop folder", "80070002"},
    };
    for (const Case& c : cases) {
        MessageCapture messages;
        EXPECT_FALSE(showSingleFileMenu("lost.txt", c.location, QPoint(), shell));
        EXPECT_EQ(
            messages.messages,
            (Paths{std::string("There was a problem manipulating the file (lost.txt) while: ") +
                       c.step + ".Please make sure the file has not been deleted or renamed. (" +
                       c.code + ")",
                   std::string("Getting context menu for selected file(s) failed. ") + c.code}));
    }
    setPopupRunner({});
    EXPECT_FALSE(shown);
}

}  // namespace
}  // namespace scoutwell
