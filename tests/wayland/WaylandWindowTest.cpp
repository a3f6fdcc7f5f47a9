// The search window on a real Wayland compositor (weston, started by under-weston.sh): it
// opens at the stored size and state without placing itself, keeps the stored position,
// lists what a search finds, and Copy hands other programs the same formats as on X11.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <set>

#include "app/core/Settings.h"
#include "framework/CommandIds.h"
#include "gui/SearchFormSupport.h"
#include "platform/posix/FileUrl.h"
#include "support/TempTree.h"
#include "views/CDediDurarerView.h"
#include "views/FileDataSource.h"
#include "views/ResultsModel.h"

namespace scoutwell {
namespace {

constexpr int kStoredX = 300;
constexpr int kStoredY = 200;
constexpr int kStoredWidth = 900;
constexpr int kStoredHeight = 650;
constexpr int kWaitMs = 10000;

class WaylandWindowTest : public testing::GuiTest, public ::testing::WithParamInterface<bool> {};

// What a start-up does with a stored placement, and what a close stores.
TEST_P(WaylandWindowTest, OpensAtTheStoredSizeAndStateAndKeepsTheStoredPosition) {
    const bool maximized = GetParam();
    writeSetting(store, kFrameX, kStoredX);
    writeSetting(store, kFrameY, kStoredY);
    writeSetting(store, kFrameWidth, kStoredWidth);
    writeSetting(store, kFrameHeight, kStoredHeight);
    writeSetting(store, kFrameMaximized, maximized ? 1 : 0);

    DocumentManager manager(app);
    {
        CMainFrame frame(app, manager);
        ASSERT_NE(manager.newDocument(), nullptr);
        EXPECT_FALSE(CMainFrame::windowPositionsKnown());
        frame.showAtStart();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));

        if (maximized) {
            // The compositor decides a maximized window's size: larger than the stored one.
            ASSERT_TRUE(QTest::qWaitFor([&] { return frame.isMaximized(); }, kWaitMs));
            EXPECT_TRUE(frame.windowHandle()->windowStates() & Qt::WindowMaximized);
            EXPECT_GT(frame.width(), kStoredWidth);
        } else {
            EXPECT_FALSE(frame.isMaximized());
            EXPECT_EQ(frame.size(), QSize(kStoredWidth, kStoredHeight));
        }
        // The stored position was never asked for: Wayland gives it to no window, and Qt
        // would keep it as the restored position.
        EXPECT_NE(frame.normalGeometry().topLeft(), QPoint(kStoredX, kStoredY));
        frame.close();
    }

    EXPECT_EQ(readSetting(store, kFrameX), kStoredX);
    EXPECT_EQ(readSetting(store, kFrameY), kStoredY);
    EXPECT_EQ(readSetting(store, kFrameWidth), kStoredWidth);
    EXPECT_EQ(readSetting(store, kFrameHeight), kStoredHeight);
    EXPECT_EQ(readSetting(store, kFrameMaximized), maximized ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(NormalAndMaximized, WaylandWindowTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& param) {
                             return std::string(param.param ? "Maximized" : "Normal");
                         });

// A search started with the Start button, on the compositor's own window.
class WaylandSearchTest : public testing::SearchFormTest {
  protected:
    void searchTree() {
        for (const char* name : {"alpha.txt", "beta two.txt", "gamma.txt"})
            tree.file(name, "contents\n");
        setCriteria([&](SearchCriteria& criteria) {
            criteria.fileName = "*.txt";
            criteria.setLookInText(tree.path());
        });
        QTest::mouseClick(form->startButton(), Qt::LeftButton);
        ASSERT_TRUE(waitUntilIdle());
        list = child->resultList();
        ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 3; }, kWaitMs));
    }

    // The lines a Wayland client reading the clipboard gets from `wl-paste ARGUMENTS`,
    // while this program's event loop runs to serve them.
    QStringList wlPaste(const QStringList& arguments) {
        QProcess paste;
        paste.start(QStringLiteral("wl-paste"), arguments);
        EXPECT_TRUE(QTest::qWaitFor([&] { return paste.state() == QProcess::NotRunning; }, kWaitMs))
            << "wl-paste did not finish";
        EXPECT_EQ(paste.exitCode(), 0) << paste.readAllStandardError().toStdString();
        return QString::fromUtf8(paste.readAllStandardOutput())
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    testing::TempTree tree;
    CDediDurarerView* list = nullptr;
};

TEST_F(WaylandSearchTest, ASearchShowsItsRowsOnTheScreen) {
    searchTree();
    std::set<QString> shown;
    for (int row = 0; row < 3; ++row) {
        const QModelIndex name = list->model()->index(row, 0);
        // Each row lies inside the list's visible area, with its name as the text.
        EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(name))) << row;
        shown.insert(name.data(Qt::DisplayRole).toString());
    }
    EXPECT_EQ(shown, (std::set<QString>{"alpha.txt", "beta two.txt", "gamma.txt"}));
}

TEST_F(WaylandSearchTest, CopyOffersTheFileManagersFormatsToOtherClients) {
    searchTree();
    list->setFocus();
    list->selectAll();
    QAction* copy = frame->action(ID_EDIT_COPY);
    ASSERT_TRUE(QTest::qWaitFor([&] { return copy->isEnabled(); }, kWaitMs));
    copy->trigger();

    // Every format the X11 clipboard offers as a MIME type: the file list, the paths as
    // text and the file managers' copy markers.
    const QStringList offered = wlPaste({QStringLiteral("--list-types")});
    for (const char* format :
         {kUriListFormat, kPlainTextFormat, kGnomeCopiedFilesFormat, kKdeCutSelectionFormat})
        EXPECT_TRUE(offered.contains(QLatin1String(format)))
            << format << " missing from " << offered.join(QLatin1Char(' ')).toStdString();
    // Nothing else but the UTF-8 name of the text, which Qt offers with text/plain.
    const QStringList own = QApplication::clipboard()->mimeData()->formats();
    QSet<QString> expected(own.begin(), own.end());
    expected.insert(QStringLiteral("text/plain;charset=utf-8"));
    EXPECT_EQ(QSet<QString>(offered.begin(), offered.end()), expected)
        << offered.join(QLatin1Char(' ')).toStdString();

    // Another client reads the files themselves, and a copy, not a move.
    const QStringList urls = wlPaste(
        {QStringLiteral("--no-newline"), QStringLiteral("--type"), QLatin1String(kUriListFormat)});
    QStringList selected;
    for (const std::string& path : list->collectSelection())
        selected << QString::fromStdString(fileUrlFromPath(path));
    QStringList trimmed;
    for (const QString& url : urls)
        trimmed << url.trimmed();
    EXPECT_EQ(trimmed, selected);
    const QStringList marker = wlPaste({QStringLiteral("--no-newline"), QStringLiteral("--type"),
                                        QLatin1String(kGnomeCopiedFilesFormat)});
    ASSERT_FALSE(marker.isEmpty());
    EXPECT_EQ(marker.front(), QStringLiteral("copy"));
}

}  // namespace
}  // namespace scoutwell
