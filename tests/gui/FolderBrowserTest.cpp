// The folder browser: where it opens, what it lists, and the bytes of the folder it gives
// back, for folders whose names are not UTF-8 too.
#include <gtest/gtest.h>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "ModalDialogDriver.h"
#include "app/MessageCapture.h"
#include "framework/FolderBrowser.h"
#include "platform/qt/ByteText.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::GuiTest;
using testing::MessageCapture;
using testing::TempTree;
using testing::whenModal;

TEST(FolderBrowserTest, PreselectionDropsTrailingSeparatorsAndSpaces) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/me/", "/home/me"},
        {"/home/me / / ", "/home/me"},
        {"/usr", "/usr"},
        {"/", ""},
        {" / /  ", ""},
        {"", ""},
        {"/a b/c d  ", "/a b/c d"},
        {"relative/", "relative"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(folderBrowserPreselection(text), expected) << '"' << text << '"';
}

class FolderBrowserDialogTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        tree.folder("plain");
        tree.folder(latin1);
        tree.folder(std::string(latin1) + "/inner");
        tree.folder(".hidden");
        tree.file("file.txt", "x");
        tree.symlink("linked", tree.path("plain"));
        root = tree.path().substr(0, tree.path().size() - 1);
    }

    static QStringList shown(const QListWidget* list) {
        QStringList texts;
        for (int row = 0; row < list->count(); ++row)
            texts << list->item(row)->text();
        return texts;
    }
    static QListWidgetItem* itemCalled(QListWidget* list, const std::string& bytes) {
        const QList<QListWidgetItem*> found =
            list->findItems(qStringFromBytes(bytes), Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.front();
    }

    const char* latin1 = "caf\xe9";  // "café" in Latin-1: not UTF-8
    TempTree tree;
    std::string root;
};

TEST_F(FolderBrowserDialogTest, ListsFoldersNamedInLatin1AndReturnsTheirBytes) {
    std::string picked;
    bool answered = false;
    whenModal<CFolderBrowserDialog>([&](CFolderBrowserDialog* dialog) {
        // It opens inside the folder the box names, even one whose path is not UTF-8.
        EXPECT_EQ(dialog->shownFolder(), root);
        EXPECT_EQ(shown(dialog->folderList()),
                  (QStringList{qStringFromBytes(latin1), "linked", "plain"}));
        // Down into the Latin-1 folder and up again: the folder left is the one chosen.
        QListWidgetItem* item = itemCalled(dialog->folderList(), latin1);
        ASSERT_NE(item, nullptr);
        dialog->folderList()->setCurrentItem(item);
        QTest::keyClick(dialog->folderList(), Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible()) << "Enter in the list closed the dialog";
        EXPECT_EQ(dialog->shownFolder(), root + "/" + latin1);
        EXPECT_EQ(shown(dialog->folderList()), QStringList{"inner"});
        QTest::mouseClick(dialog->upButton(), Qt::LeftButton);
        EXPECT_EQ(dialog->shownFolder(), root);
        EXPECT_EQ(dialog->folderEdit()->text(), qStringFromBytes(root + "/" + latin1));
        answered = true;
        QTest::keyClick(dialog->folderEdit(), Qt::Key_Return);
    });
    ASSERT_TRUE(browseForFolder(nullptr, tree.path(), picked));
    EXPECT_TRUE(answered);
    EXPECT_EQ(picked, root + "/" + latin1);
}

TEST_F(FolderBrowserDialogTest, OpensAtTheNearestReadableFolderAndRefusesWhatIsNoFolder) {
    MessageCapture messages;
    std::string picked = "unchanged";
    whenModal<CFolderBrowserDialog>([&](CFolderBrowserDialog* dialog) {
        EXPECT_EQ(dialog->shownFolder(), root + "/" + latin1);
        // A typed path that names a file is refused with a message; the dialog stays.
        dialog->folderEdit()->setText(qStringFromBytes(root + "/file.txt"));
        QTest::keyClick(dialog->folderEdit(), Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible());
        dialog->reject();
    });
    EXPECT_FALSE(browseForFolder(nullptr, root + "/" + latin1 + "/gone/deeper", picked));
    EXPECT_EQ(picked, "unchanged");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages.front().find("file.txt\" is not a folder"), std::string::npos)
        << messages.messages.front();
}

}  // namespace
}  // namespace scoutwell
