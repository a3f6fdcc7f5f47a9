// Members of archives in the window: their rows, their hit lines read again through the
// archives, and what Open, Copy, drags and the menus hand over (extracted copies, never
// the Trash).
#include <sys/stat.h>

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QVBoxLayout>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "app/MessageCapture.h"
#include "framework/CommandIds.h"
#include "gui/FakeShellServices.h"
#include "gui/GuiTestSupport.h"
#include "platform/posix/FileUrl.h"
#include "platform/posix/MemberExtraction.h"
#include "support/ArchiveWriter.h"
#include "support/TempTree.h"
#include "views/CDediDurarerView.h"
#include "views/FileDataSource.h"
#include "views/ResultsModel.h"
#include "views/ShellFileMenu.h"

namespace scoutwell {
namespace {

using testing::FakeShellServices;
using testing::GuiTest;
using testing::MessageCapture;
using testing::RecordingView;
using testing::TempTree;
using Paths = std::vector<std::string>;

std::string contentsOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class ArchiveMemberRowsTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        // Copies go to a runtime folder of the test's own.
        ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
        std::string log = "first needle\n";
        while (log.size() < 70000)
            log += "a line of the log\n";
        log += "last needle\n";
        const std::string zip = testing::writeArchive(
            "zip", "", {{"notes.txt", log, 1700000000}, {"pic.png", "needle\n", 1700000000}});
        tree.file("outer.tar.gz",
                  testing::writeArchive("pax", "gzip", {{"docs/inner.zip", zip, 1700000000}}));
        tree.file("plain.txt", "needle\n");

        doc = std::make_unique<CDediDurarerDoc>(app);
        doc->editedCriteria.lookIn = {tree.path()};
        doc->editedCriteria.searchContents = true;
        doc->editedCriteria.containingText = "needle";
        doc->editedCriteria.searchCompressed = true;
        window = std::make_unique<QWidget>();
        window->resize(1000, 400);
        auto* layout = new QVBoxLayout(window.get());
        view = new CDediDurarerView(doc.get(), window.get());
        layout->addWidget(view);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        RecordingView recorder(doc.get());
        ASSERT_TRUE(doc->startSearch());
        ASSERT_TRUE(recorder.waitFor(WM_SEARCH_CLEANEDUP));
        QTest::qWait(50);
        setPopupRunner([this](QMenu& menu, const QPoint&) -> QAction* {
            QStringList texts;
            for (QAction* a : menu.actions())
                texts << a->text();
            menus << texts.join(u'|');
            return chooseText.isEmpty() ? nullptr : [&]() -> QAction* {
                for (QAction* a : menu.actions()) {
                    if (a->text() == chooseText)
                        return a;
                }
                return nullptr;
            }();
        });
    }
    void TearDown() override {
        setPopupRunner({});
        window.reset();
        doc.reset();
        memberExtraction().removeAll();
        GuiTest::TearDown();
    }

    int rowOf(const std::string& name) const {
        for (int row = 0; row < view->resultsModel()->rowCount(); ++row) {
            if (view->resultsModel()->cellText(row, ResultsModel::kNameColumn) == name)
                return row;
        }
        return -1;
    }
    QPoint rowCentre(int row) const {
        return view->visualRect(view->resultsModel()->index(row, 0)).center();
    }
    void click(Qt::MouseButton button, int row, Qt::KeyboardModifiers mods = {}) {
        QTest::mouseClick(view->viewport(), button, mods, rowCentre(row));
    }

    TempTree runtime;
    TempTree tree;
    FakeShellServices shell;
    std::unique_ptr<CDediDurarerDoc> doc;
    std::unique_ptr<QWidget> window;
    CDediDurarerView* view = nullptr;
    QStringList menus;
    QString chooseText;
};

TEST_F(ArchiveMemberRowsTest, MemberRowsShowTheirArchiveAndTheirWholeHitLines) {
    const std::string inside = tree.path("outer.tar.gz/docs/inner.zip/");
    ResultsModel& model = *view->resultsModel();
    ASSERT_EQ(model.rowCount(), 3);
    const int notes = rowOf("notes.txt");
    ASSERT_GE(notes, 0);
    EXPECT_EQ(model.cellText(notes, ResultsModel::kLocationColumn), inside);
    EXPECT_EQ(model.cellText(notes, ResultsModel::kSizeColumn), "69 KB");
    EXPECT_EQ(model.cellText(notes, ResultsModel::kModifiedColumn).substr(0, 4), "2023");
    // Type and icon by the member's name.
    EXPECT_NE(model.cellText(rowOf("pic.png"), ResultsModel::kTypeColumn),
              model.cellText(notes, ResultsModel::kTypeColumn));
    EXPECT_FALSE(model.data(model.index(notes, 0), Qt::DecorationRole).isNull());

    // The window read only the first part; showing the member reads all of it again
    // through both archives.
    doc->showContentsFor({inside + "notes.txt"});
    ASSERT_EQ(doc->shownItems.size(), 1u);
    const FoundItem& shown = *doc->shownItems.front();
    ASSERT_EQ(shown.hits.size(), 2u);
    EXPECT_EQ(shown.hits[1].text, "last needle");
    EXPECT_TRUE(shown.hitsComplete);
}

TEST_F(ArchiveMemberRowsTest, OpenCopyAndDragHandOverExtractedCopies) {
    const std::string member = tree.path("outer.tar.gz/docs/inner.zip/notes.txt");
    const int row = rowOf("notes.txt");
    ASSERT_GE(row, 0);

    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rowCentre(row));
    ASSERT_EQ(shell.opened.size(), 1u);
    const std::string copy = shell.opened.front();
    const std::string folder = memberExtraction().folder();
    EXPECT_TRUE(copy.starts_with(runtime.path()) && copy.starts_with(folder)) << copy;
    EXPECT_TRUE(copy.ends_with("/notes.txt"));
    EXPECT_EQ(contentsOf(copy).substr(0, 13), "first needle\n");
    struct stat st {};
    ASSERT_EQ(::stat(copy.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0400u);
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Copy: the copy for file managers, the member's own path as text.
    view->handleCommand(ID_EDIT_COPY);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    EXPECT_EQ(data->data("text/uri-list").toStdString(), fileUrlFromPath(copy) + "\r\n");
    EXPECT_EQ(data->data("text/plain").toStdString(), member);

    // A drag carries the copy too.
    std::string dragged;
    setDragRunner([&](QDrag& drag, Qt::DropActions) {
        dragged = drag.mimeData()->data("text/uri-list").toStdString();
        return Qt::CopyAction;
    });
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, rowCentre(row));
    const QPoint far = rowCentre(row) + QPoint(QApplication::startDragDistance() * 3, 40);
    for (const QPoint& at : {far - QPoint(1, 1), far}) {
        QMouseEvent move(QEvent::MouseMove, at, view->viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
    }
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, far);
    setDragRunner({});
    EXPECT_EQ(dragged, fileUrlFromPath(copy) + "\r\n");

    // The row stays when the list forgets files gone from the disk.
    click(Qt::RightButton, row);
    EXPECT_EQ(rowOf("notes.txt"), row);
}

TEST_F(ArchiveMemberRowsTest, MenusOfMembersOfferNoTrashAndShowTheArchive) {
    shell.hasFileManager = true;
    const int notes = rowOf("notes.txt");
    const int plain = rowOf("plain.txt");
    ASSERT_GE(notes, 0);
    ASSERT_GE(plain, 0);
    click(Qt::LeftButton, notes);
    chooseText = "&Explore here...";
    click(Qt::RightButton, notes);
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0].toStdString(), "&Open|&Explore here...||&Copy|Copy &path||P&roperties");
    EXPECT_EQ(shell.shownItems, Paths{tree.path("outer.tar.gz")});
    chooseText = "P&roperties";
    click(Qt::RightButton, notes);
    EXPECT_EQ(shell.propertiesShown, Paths{tree.path("outer.tar.gz")});

    // A member and a file: no Delete; Delete on the keyboard leaves the member be.
    chooseText.clear();
    click(Qt::LeftButton, plain, Qt::ControlModifier);
    click(Qt::RightButton, notes);
    EXPECT_EQ(menus.back().toStdString().find("&Delete"), std::string::npos)
        << menus.back().toStdString();
    click(Qt::LeftButton, notes);
    MessageCapture messages;
    view->handleCommand(ID_DELETE);
    EXPECT_EQ(messages.messages, Paths{kMembersNotTrashed});
    EXPECT_TRUE(shell.trashed.empty());
}

}  // namespace
}  // namespace scoutwell
