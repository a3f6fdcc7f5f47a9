// The Multiple Folders dialog on its own: lines from the list, recent folders, Add,
// Browse, the OK rule and its resizing with the status bar.
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>

#include <memory>

#include "GuiTestSupport.h"
#include "criteria/gui/CMultipleFolders.h"
#include "framework/CriteriaPageSupport.h"
#include "framework/HistoryComboBox.h"

namespace scoutwell {
namespace {

using Dialog = CGeometryDynCreateWnd<CMultipleFolders>;

std::string browsedFrom;

bool pickData(QWidget*, const std::string& start, std::string& picked) {
    browsedFrom = start;
    picked = "/data/";
    return true;
}

class MultipleFoldersTest : public testing::GuiTest {
  protected:
    void TearDown() override {
        setCriteriaFolderBrowser(nullptr);
        GuiTest::TearDown();
    }
    std::string lines(const Dialog& dialog) {
        return dialog.folderLinesEdit()->toPlainText().toStdString();
    }
};

TEST_F(MultipleFoldersTest, StartsWithTheFoldersAndTheRecentOnes) {
    app.folderHistory.add("/var/");
    Dialog dialog(std::vector<std::string>{"/var/", "/usr/"}, &app.folderHistory);
    EXPECT_EQ(dialog.windowTitle(), "Multiple Folders");
    EXPECT_EQ(lines(dialog), "/var/\n/usr/\n");
    QComboBox* recent = dialog.recentFoldersBox();
    EXPECT_FALSE(recent->isEditable());
    ASSERT_EQ(recent->count(), 3);
    EXPECT_EQ(recent->itemText(0).toStdString(), app.localDrivesLabel);
    EXPECT_EQ(recent->itemText(1), "/");
    EXPECT_EQ(recent->currentText(), "/var/");
    EXPECT_FALSE(recent->itemIcon(2).isNull());
}

TEST_F(MultipleFoldersTest, AddAndBrowseAppendLines) {
    setCriteriaFolderBrowser(&pickData);
    Dialog dialog(std::vector<std::string>{}, &app.folderHistory);
    EXPECT_EQ(lines(dialog), "");
    dialog.recentFoldersBox()->setCurrentIndex(1);
    dialog.addButton()->click();
    EXPECT_EQ(lines(dialog), "/\n");
    dialog.folderLinesEdit()->setPlainText("/a/\n/b/  \n\n");
    dialog.browseButton()->click();
    EXPECT_EQ(browsedFrom, "/b/");
    EXPECT_EQ(lines(dialog), "/a/\n/b/\n/data/\n");
}

TEST_F(MultipleFoldersTest, OkDropsRepeatsButKeepsOneBlankLine) {
    struct Case {
        const char* text;
        std::vector<std::string> folders;
    };
    const Case cases[] = {
        {"C:\\A\nc:\\a\nD:\\B", {"C:\\A", "D:\\B"}},
        {"/x/\n\n/y/\n\n", {"/x/", "", "/y/"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        Dialog dialog(std::vector<std::string>{"/old/"}, nullptr);
        dialog.show();
        dialog.folderLinesEdit()->setPlainText(QString::fromUtf8(c.text));
        dialog.okButton()->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.folders(), c.folders) << c.text;
    }
}

TEST_F(MultipleFoldersTest, ResizesWithItsStatusBarAtTheBottom) {
    Dialog dialog(std::vector<std::string>{}, nullptr);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QStatusBar* status = dialog.statusBar();
    ASSERT_NE(status, nullptr);
    EXPECT_TRUE(status->isSizeGripEnabled());
    EXPECT_EQ(status->geometry().bottom(), dialog.height() - 1);
    const QSize start = dialog.size();
    const QRect edit = dialog.folderLinesEdit()->geometry();
    const QRect ok = dialog.okButton()->geometry();
    const QRect add = dialog.addButton()->geometry();
    const QRect recent = dialog.recentFoldersBox()->geometry();
    dialog.resize(start + QSize(150, 80));
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.folderLinesEdit()->geometry(), edit.adjusted(0, 0, 150, 80));
    EXPECT_EQ(dialog.okButton()->geometry(), ok.translated(150, 0));
    EXPECT_EQ(dialog.addButton()->geometry(), add.translated(150, 0));
    EXPECT_EQ(dialog.recentFoldersBox()->geometry(), recent.adjusted(0, 0, 150, 0));
    EXPECT_EQ(status->geometry().bottom(), dialog.height() - 1);
    EXPECT_EQ(status->width(), dialog.width());
    // Never smaller than its design, where nothing overlaps the status bar.
    dialog.resize(10, 10);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.size(), dialog.minimumSize());
    EXPECT_LE(dialog.folderLinesEdit()->geometry().bottom(), status->geometry().top());
    EXPECT_LE(dialog.okButton()->geometry().right(), dialog.width());
}

TEST_F(MultipleFoldersTest, NothingRunsIntoAnythingElseAtTheSmallestSize) {
    Dialog dialog(std::vector<std::string>{"/var/"}, &app.folderHistory);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.resize(10, 10);
    QCoreApplication::processEvents();
    // A text needs its own width, and a little room before its neighbour.
    const int gap = 4;
    std::vector<QWidget*> shown;
    for (QWidget* w : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible() && w != dialog.statusBar())
            shown.push_back(w);
    for (QWidget* w : shown) {
        if (auto* label = qobject_cast<QLabel*>(w)) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                      label->contentsRect().width())
                << label->text().toStdString() << " is cut";
        }
        for (QWidget* other : shown) {
            if (other != w) {
                EXPECT_FALSE(w->geometry().adjusted(0, 0, gap, 0).intersects(other->geometry()))
                    << w->metaObject()->className() << " runs into "
                    << other->metaObject()->className();
            }
        }
    }
}

}  // namespace
}  // namespace scoutwell
