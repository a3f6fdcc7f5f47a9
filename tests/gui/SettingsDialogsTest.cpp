// The Configuration and Clear History dialogs against a settings store of the test's own.
#include <QCheckBox>
#include <QPushButton>

#include "GuiTestSupport.h"
#include "ModalDialogDriver.h"
#include "app/MessageCapture.h"
#include "app/core/Settings.h"
#include "app/gui/CClearHistoryDialog.h"
#include "app/gui/CConfigurationDialog.h"
#include "framework/CommandIds.h"
#include "views/CChildFrame.h"

namespace scoutwell {
namespace {

using testing::GuiTest;
using testing::MessageCapture;
using testing::whenModal;
using Texts = std::vector<std::string>;

void click(QAbstractButton* button) {
    testing::clickButton(button);
}

class ConfigurationDialogTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        doc = std::make_unique<CDediDurarerDoc>(app);
    }
    void TearDown() override {
        doc.reset();
        GuiTest::TearDown();
    }

    // Runs the command; `act` clicks what it wants and the test presses OK or Cancel.
    void configure(std::function<void(CConfigurationDialog*)> act, bool ok = true) {
        whenModal<CConfigurationDialog>([act, ok](CConfigurationDialog* d) {
            act(d);
            click(ok ? d->okButton() : d->cancelButton());
        });
        EXPECT_TRUE(doc->handleCommand(ID_CONFIGURATION));
    }

    std::unique_ptr<CDediDurarerDoc> doc;
};

TEST_F(ConfigurationDialogTest, ChangedLineEndsWarnOnlyWhenResultsExist) {
    const std::string kWarning =
        "Modifying End Of Line (EOL) delimiter characteristics will alter the results. Please "
        "re-search to see the effect of the new EOL delimiter settings.";
    struct Case {
        const char* what;
        bool toggleUnix, toggleMac, toggleRememberWindow, withResults;
        bool warned;
    };
    const Case cases[] = {
        {"Unix changed under results", true, false, false, true, true},
        {"Mac changed under results", false, true, false, true, true},
        {"Mac changed, no results", false, true, false, false, false},
        {"only a Remember check", false, false, true, true, false},
        {"nothing changed", false, false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        doc->results.clear();
        if (c.withResults)
            doc->results.add(FoundFile(makeSharedText("/d/"), "f.txt", 1, 0));
        const bool unixBefore = doc->editedCriteria.eolUnix;
        const bool macBefore = doc->editedCriteria.eolMac;
        const bool windowBefore = rememberWindowSize(store);
        MessageCapture messages;
        configure([&](CConfigurationDialog* d) {
            EXPECT_EQ(d->eolUnixCheck()->isChecked(), unixBefore);
            EXPECT_EQ(d->eolMacCheck()->isChecked(), macBefore);
            EXPECT_EQ(d->rememberWindowSizeCheck()->isChecked(), windowBefore);
            if (c.toggleUnix)
                click(d->eolUnixCheck());
            if (c.toggleMac)
                click(d->eolMacCheck());
            if (c.toggleRememberWindow)
                click(d->rememberWindowSizeCheck());
        });
        EXPECT_EQ(messages.messages, c.warned ? Texts{kWarning} : Texts{});
        EXPECT_EQ(doc->editedCriteria.eolUnix, unixBefore != c.toggleUnix);
        EXPECT_EQ(doc->editedCriteria.eolMac, macBefore != c.toggleMac);
        EXPECT_EQ(rememberWindowSize(store), windowBefore != c.toggleRememberWindow);
    }
}

TEST_F(ConfigurationDialogTest, OptionsAreStoredOnlyWhileTheyAreRemembered) {
    doc->editedCriteria.matchContentsCase = true;  // an option of the open search
    configure([](CConfigurationDialog* d) {
        EXPECT_TRUE(d->rememberOptionsCheck()->isChecked());
        click(d->rememberOptionsCheck());
        click(d->eolMacCheck());
    });
    EXPECT_EQ(readSetting(store, kRememberOptions), 0);
    EXPECT_EQ(readSetting(store, kRememberWindowSize), 1);
    EXPECT_FALSE(store.contains(kOptionsSection, kEolMac.name));
    EXPECT_FALSE(store.contains(kOptionsSection, kMatchContentsCase.name));
    EXPECT_TRUE(doc->editedCriteria.eolMac);

    configure([](CConfigurationDialog* d) { click(d->rememberOptionsCheck()); });
    EXPECT_EQ(readSetting(store, kRememberOptions), 1);
    EXPECT_EQ(readSetting(store, kEolMac), 1);
    EXPECT_EQ(readSetting(store, kMatchContentsCase), 1);
}

TEST_F(ConfigurationDialogTest, CancelChangesNothing) {
    doc->results.add(FoundFile(makeSharedText("/d/"), "f.txt", 1, 0));
    const bool unixBefore = doc->editedCriteria.eolUnix;
    const int changesBefore = store.changeCount();
    MessageCapture messages;
    configure(
        [](CConfigurationDialog* d) {
            click(d->eolUnixCheck());
            click(d->rememberOptionsCheck());
            click(d->rememberWindowSizeCheck());
        },
        /*ok=*/false);
    EXPECT_EQ(doc->editedCriteria.eolUnix, unixBefore);
    EXPECT_EQ(store.changeCount(), changesBefore);
    EXPECT_TRUE(messages.messages.empty());
}

class ClearHistoryDialogTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        for (const char* section :
             {kRecentFileNameSection, kRecentContainsSection, kRecentFoldersSection}) {
            store.writeText(section, "1", std::string(section) + " one");
            store.writeText(section, "2", std::string(section) + " two");
        }
        loadAll();
        frame = std::make_unique<CChildFrame>(new CDediDurarerDoc(app), 800);
    }
    void TearDown() override {
        frame.reset();
        GuiTest::TearDown();
    }
    void loadAll() {
        app.fileNameHistory.load();
        app.contentsHistory.load();
        app.folderHistory.load();
    }
    void clearHistory(std::function<void(CClearHistoryDialog*)> act) {
        whenModal<CClearHistoryDialog>(std::move(act));
        EXPECT_TRUE(frame->handleCommand(ID_CLEAR_HISTORY));
    }

    std::unique_ptr<CChildFrame> frame;
};

TEST_F(ClearHistoryDialogTest, OnlyTheTickedListsAreClearedAndAllAreReloaded) {
    MessageCapture messages;
    clearHistory([](CClearHistoryDialog* d) {
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Clear History"));
        for (QCheckBox* check : {d->fileNameCheck(), d->containingTextCheck(), d->lookInCheck()})
            EXPECT_TRUE(check->isChecked());
        click(d->containingTextCheck());
        click(d->lookInCheck());
        click(d->deleteButton());
    });
    EXPECT_EQ(messages.messages, Texts{"Cleared."});
    EXPECT_TRUE(store.valueNames(kRecentFileNameSection).empty());
    EXPECT_EQ(store.valueNames(kRecentContainsSection).size(), 2u);
    EXPECT_EQ(store.valueNames(kRecentFoldersSection).size(), 2u);
    EXPECT_TRUE(app.fileNameHistory.entries().empty());
    EXPECT_EQ(app.contentsHistory.entries().size(), 2u);
    EXPECT_EQ(app.folderHistory.entries().size(), 2u);
}

TEST_F(ClearHistoryDialogTest, ClosingWithoutDeletingStillReloadsTheLists) {
    store.writeText(kRecentContainsSection, "3", "written elsewhere");
    MessageCapture messages;
    clearHistory([](CClearHistoryDialog* d) { click(d->closeButton()); });
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(app.contentsHistory.entries().size(), 3u);
    EXPECT_EQ(app.contentsHistory.entries().back(), "written elsewhere");
    EXPECT_EQ(store.valueNames(kRecentFileNameSection).size(), 2u);
}

TEST_F(ClearHistoryDialogTest, AFailedDeletionIsReportedInsteadOfCleared) {
    store.failDeletionsOf(kRecentFoldersSection, "1");
    MessageCapture messages;
    clearHistory([](CClearHistoryDialog* d) { click(d->deleteButton()); });
    EXPECT_EQ(messages.messages, Texts{"Problem deleting value 1 in key RecentFolders"});
    // The other lists were still cleared.
    EXPECT_TRUE(store.valueNames(kRecentFileNameSection).empty());
    EXPECT_TRUE(store.valueNames(kRecentContainsSection).empty());
    EXPECT_EQ(app.folderHistory.entries().size(), 2u);
}

}  // namespace
}  // namespace scoutwell
