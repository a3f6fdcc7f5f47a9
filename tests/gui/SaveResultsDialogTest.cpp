// Save Results as the user meets it: the command adjusts the choices to the results, the
// dialog's controls enable one another, Browse offers the format's files, and Save puts
// the exact bytes on the clipboard or into a file.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <fstream>
#include <memory>
#include <sstream>

#include "GuiTestSupport.h"
#include "ModalDialogDriver.h"
#include "app/MessageCapture.h"
#include "app/gui/CSaveResultsDialog.h"
#include "engine/DateTime.h"
#include "engine/FoundItem.h"
#include "engine/Text.h"
#include "framework/CommandIds.h"
#include "support/RandomBytes.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::GuiTest;
using testing::MessageCapture;
using testing::RecordingView;
using testing::TempTree;
using testing::whenModal;

constexpr FileTime kSomeTime = 133000000000000000;  // in 2022

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void click(QAbstractButton* button) {
    testing::clickButton(button);
}

class SaveResultsDialogTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        doc = std::make_unique<CDediDurarerDoc>(app);
        view = std::make_unique<RecordingView>(doc.get());
        FoundFile file(makeSharedText("/x,y/"), "a.txt", 2000, kSomeTime);
        file.hits = {HitLine("first line", 6, 4, 12), HitLine("second line", 7, 4, 40)};
        file.hitsComplete = true;
        doc->results.add(file);
        doc->results.add(FoundFolder(makeSharedText("/x,y/"), "sub", kSomeTime));
        contentsSearch(true);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }
    void TearDown() override {
        view.reset();
        doc.reset();
        GuiTest::TearDown();
    }

    void contentsSearch(bool on) {
        doc->resultsCriteria.searchContents = on;
        doc->resultsCriteria.containingText = on ? "line" : "";
        ASSERT_TRUE(doc->highlightExpression.set(doc->resultsCriteria.containingText, false,
                                                 /*compileNow=*/true, nullptr));
    }
    void selectFirstItem() {
        doc->shownItems.clear();
        doc->results.read([&](const auto& items) {
            doc->shownItems.push_back(items.front().get());
            return 0;
        });
    }

    // Runs the command; `act` works the dialog and presses a button.
    void runCommand(std::function<void(CSaveResultsDialog*)> act) {
        whenModal<CSaveResultsDialog>(std::move(act));
        EXPECT_TRUE(doc->handleCommand(ID_SAVE_RESULTS));
    }
    void saveWith(int format, const std::string& path, bool append = false) {
        runCommand([&](CSaveResultsDialog* d) {
            d->formatList()->setCurrentIndex(format);
            click(d->allFilesChoice());
            if (path.empty()) {
                click(d->clipboardChoice());
            } else {
                click(d->fileChoice());
                d->fileNameEdit()->clear();
                QTest::keyClicks(d->fileNameEdit(), QString::fromStdString(path));
                click(append ? d->appendChoice() : d->overwriteChoice());
            }
            click(d->saveButton());
        });
    }

    std::unique_ptr<CDediDurarerDoc> doc;
    std::unique_ptr<RecordingView> view;
    TempTree tree;
};

TEST_F(SaveResultsDialogTest, EachFormatReachesTheClipboardAndAFileByteForByte) {
    const std::string d = modifiedText(kSomeTime);
    ASSERT_FALSE(d.empty());
    const std::string expected[] = {
        "/x,y/a.txt   (2 KB,  " + d + ")\r\n12\tfirst line\r\n40\tsecond line\r\n\r\n" +
            "/x,y/sub   (" + d + ")\r\n",
        "/x,y/a.txt,2 KB," + d + "\r\n12,first line\r\n40,second line\r\n\r\n/x,y/sub,," + d +
            "\r\n",
        "/x,y/a.txt\t2 KB\t" + d + "\r\n12\tfirst line\r\n40\tsecond line\r\n\r\n/x,y/sub\t\t" + d +
            "\r\n",
    };
    MessageCapture messages;
    for (int format = 0; format < 3; ++format) {
        SCOPED_TRACE(format);
        saveWith(format, "");
        EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), expected[format]);
        const std::string path = tree.path("out" + std::to_string(format));
        saveWith(format, path);
        EXPECT_EQ(readFile(path), expected[format]);
        EXPECT_EQ(doc->saveSettings.format, format);
    }
    EXPECT_TRUE(messages.messages.empty());
}

// The clipboard's plain text is the file's bytes exactly; programs asking for UTF-8 get
// the same text with each byte that is not UTF-8 replaced.
TEST_F(SaveResultsDialogTest, TheClipboardOffersTheExactBytesAndValidUtf8) {
    testing::RandomBytes random(29);
    MessageCapture messages;
    for (int round = 0; round < 20; ++round) {
        SCOPED_TRACE(round);
        doc->results.clear();
        FoundFile file(makeSharedText("/srv/caf\xe9/" + random.textWithout(200, "/") + "/"),
                       "r\xe9sum\xe9" + random.textWithout(100, "/"), 2000, kSomeTime);
        file.hits = {HitLine(random.text(3000), 0, 0, 12)};
        file.hitsComplete = true;
        doc->results.add(file);
        const int format = round % 3;
        saveWith(format, "");
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr);
        const QByteArray plain = data->data(QStringLiteral("text/plain"));
        const QByteArray utf8 = data->data(QStringLiteral("text/plain;charset=utf-8"));
        const std::string path = tree.path("out");
        saveWith(format, path);
        const std::string bytes = readFile(path);
        ASSERT_EQ(std::string(plain.constData(), std::size_t(plain.size())), bytes);
        ASSERT_EQ(std::string(utf8.constData(), std::size_t(utf8.size())),
                  text::withInvalidUtf8Replaced(bytes));
        ASSERT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(utf8));
    }
    EXPECT_TRUE(messages.messages.empty());

    // The file name box gives back the bytes it was given.
    for (int round = 0; round < 30; ++round) {
        SaveResultsSettings settings;
        settings.fileName = "/" + random.text(2000);
        CSaveResultsDialog dialog(settings);
        ASSERT_EQ(dialog.settings().fileName, settings.fileName);
    }
}

TEST_F(SaveResultsDialogTest, AppendAddsAfterTheBytesThereAndOverwriteReplacesThem) {
    const std::string path = tree.file("results.txt", "kept\r\n");
    contentsSearch(false);
    const std::string d = modifiedText(kSomeTime);
    const std::string names = "/x,y/a.txt\t2 KB\t" + d + "\r\n/x,y/sub\t\t" + d + "\r\n";

    saveWith(2, path, /*append=*/true);
    EXPECT_EQ(readFile(path), "kept\r\n" + names);
    EXPECT_FALSE(doc->saveSettings.overwrite);
    saveWith(2, path, /*append=*/true);
    EXPECT_EQ(readFile(path), "kept\r\n" + names + names);
    saveWith(2, path);
    EXPECT_EQ(readFile(path), names);
}

TEST_F(SaveResultsDialogTest, ChoicesFollowTheResultsAndCancelKeepsOnlyTheAdjustments) {
    struct Case {
        const char* what;
        bool contents, selection;
        bool contentsEnabled, contentsTicked, selectedEnabled, allFilesChosen;
    };
    const Case cases[] = {
        {"name search, nothing selected", false, false, false, false, false, true},
        {"first contents search ticks Contents", true, false, true, true, false, true},
        {"a selection chooses Selected files", true, true, true, true, true, false},
        {"back to a name search clears Contents", false, true, false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        contentsSearch(c.contents);
        if (c.selection)
            selectFirstItem();
        else
            doc->shownItems.clear();
        runCommand([&](CSaveResultsDialog* d) {
            EXPECT_EQ(d->contentsCheck()->isEnabled(), c.contentsEnabled);
            EXPECT_EQ(d->contentsCheck()->isChecked(), c.contentsTicked);
            EXPECT_EQ(d->selectedFilesChoice()->isEnabled(), c.selectedEnabled);
            EXPECT_EQ(d->allFilesChoice()->isChecked(), c.allFilesChosen);
            EXPECT_EQ(d->selectedFilesChoice()->isChecked(), !c.allFilesChosen);
            click(d->cancelButton());
        });
        EXPECT_EQ(doc->saveSettings.contentsAvailable, c.contents);
        EXPECT_EQ(doc->saveSettings.selectionAvailable, c.selection);
        EXPECT_EQ(doc->saveSettings.withContents, c.contentsTicked);
    }
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

TEST_F(SaveResultsDialogTest, SelectedFilesSavesOnlyTheShownItems) {
    contentsSearch(false);
    selectFirstItem();
    runCommand([](CSaveResultsDialog* d) {
        EXPECT_TRUE(d->selectedFilesChoice()->isChecked());
        d->formatList()->setCurrentIndex(1);
        click(d->saveButton());
    });
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              "/x,y/a.txt,2 KB," + modifiedText(kSomeTime) + "\r\n");
}

TEST_F(SaveResultsDialogTest, TheFileControlsAreUsableOnlyForAFile) {
    SaveResultsSettings settings;  // the first time: Clipboard, no file name yet
    CSaveResultsDialog dialog(settings);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QWidget* fileControls[] = {dialog.fileNameEdit(), dialog.browseButton(),
                               dialog.overwriteChoice(), dialog.appendChoice()};
    EXPECT_TRUE(dialog.clipboardChoice()->isChecked());
    EXPECT_TRUE(dialog.clipboardChoice()->hasFocus());
    for (QWidget* control : fileControls)
        EXPECT_FALSE(control->isEnabled());
    EXPECT_EQ(dialog.fileNameEdit()->text().toStdString(), currentFolder() + "/Contents.txt");
    QStringList formats;
    for (int i = 0; i < dialog.formatList()->count(); ++i)
        formats << dialog.formatList()->itemText(i);
    EXPECT_EQ(formats, (QStringList{"Text", "Comma separated", "Tab separated"}));

    click(dialog.fileChoice());
    for (QWidget* control : fileControls)
        EXPECT_TRUE(control->isEnabled());
    EXPECT_TRUE(dialog.overwriteChoice()->isChecked());
    click(dialog.appendChoice());
    EXPECT_FALSE(dialog.overwriteChoice()->isChecked());
    EXPECT_TRUE(dialog.fileChoice()->isChecked());  // the two pairs exclude only each other
    click(dialog.clipboardChoice());
    EXPECT_FALSE(dialog.fileNameEdit()->isEnabled());
    EXPECT_TRUE(dialog.appendChoice()->isChecked());

    const SaveResultsSettings chosen = dialog.settings();
    EXPECT_TRUE(chosen.toClipboard);
    EXPECT_FALSE(chosen.overwrite);
}

TEST_F(SaveResultsDialogTest, BrowseOffersTheFormatsFilesAndTakesTheChosenPath) {
    SaveResultsSettings settings;
    settings.toClipboard = false;
    settings.format = 1;
    settings.fileName = tree.path("old.txt");
    CSaveResultsDialog dialog(settings);
    dialog.show();

    bool seen = false;
    whenModal<QFileDialog>([&](QFileDialog* chooser) {
        seen = true;
        EXPECT_EQ(chooser->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_TRUE(chooser->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(chooser->nameFilters(),
                  (QStringList{"Text (*.txt)", "Comma separated (*.csv)", "Tab separated (*.txt)",
                               "All files (*.*)"}));
        EXPECT_EQ(chooser->selectedNameFilter(), QStringLiteral("Comma separated (*.csv)"));
        EXPECT_EQ(chooser->defaultSuffix(), QStringLiteral("csv"));
        // Typed into the name field as a user would: selectFile() leaves the field alone
        // once it has the focus, which the dialog gives it when its window is activated,
        // sooner or later.
        auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(tree.path("chosen")));
        EXPECT_EQ(chooser->selectedFiles(),
                  QStringList{QString::fromStdString(tree.path("chosen.csv"))});
        static_cast<QDialog*>(chooser)->accept();  // as the Save button does
    });
    click(dialog.browseButton());
    EXPECT_TRUE(seen);
    EXPECT_EQ(dialog.fileNameEdit()->text().toStdString(), tree.path("chosen.csv"));

    whenModal<QFileDialog>([](QFileDialog* chooser) { chooser->reject(); });
    click(dialog.browseButton());
    EXPECT_EQ(dialog.fileNameEdit()->text().toStdString(), tree.path("chosen.csv"));
}

TEST_F(SaveResultsDialogTest, FailuresAreShownAndNothingIsWritten) {
    MessageCapture messages;
    doc->saveSettings.toClipboard = false;
    doc->saveSettings.allFiles = true;
    doc->saveSettings.fileName = tree.path("no/such/folder.txt");
    writeSavedResults(*doc);

    CDediDurarerDoc viewless(app);
    viewless.saveSettings.allFiles = true;
    writeSavedResults(viewless);

    EXPECT_EQ(messages.messages,
              (std::vector<std::string>{
                  "Unable to open file " + tree.path("no/such/folder.txt") + " for writing",
                  "Could not open view for saving"}));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
}

}  // namespace
}  // namespace scoutwell
