// The search document as its views see it: searches that start, run and are cleaned up,
// the messages around them, criteria files, titles and the recent-file list.
#include <QCoreApplication>
#include <QFileInfo>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "GuiTestSupport.h"
#include "app/MessageCapture.h"
#include "app/core/CriteriaFile.h"
#include "app/core/Settings.h"
#include "app/gui/DocumentManager.h"
#include "framework/CommandIds.h"
#include "platform/qtgui/DesktopOpen.h"
#include "support/TempTree.h"

namespace scoutwell {
namespace {

using testing::GuiTest;
using testing::MessageCapture;
using testing::RecordingView;
using testing::TempTree;

class SearchDocumentTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        tree.file("a.txt", "one needle here\nnothing\n");
        tree.file("b.txt", "plain\n");
        tree.file("c.log", "needle\n");
        tree.file("sub/d.txt", "needle and needle\n");
    }

    std::unique_ptr<CDediDurarerDoc> makeDoc() {
        auto doc = std::make_unique<CDediDurarerDoc>(app);
        doc->editedCriteria.lookIn = {tree.path()};
        doc->editedCriteria.fileName = "*.txt";
        doc->editedCriteria.subfolders = true;
        return doc;
    }

    TempTree tree;
};

TEST_F(SearchDocumentTest, SearchRunsToItsCleanupAndKeepsTheFoundItems) {
    auto doc = makeDoc();
    RecordingView view(doc.get());

    ASSERT_TRUE(doc->startSearch());
    // Sent, so it has arrived before startSearch returned.
    EXPECT_EQ(view.count(WM_SEARCH_STARTED), 1);
    EXPECT_TRUE(doc->searching());
    ASSERT_TRUE(view.waitFor(WM_SEARCH_CLEANEDUP));

    EXPECT_FALSE(doc->searching());
    EXPECT_EQ(doc->results.count(), 3u);
    EXPECT_GE(view.count(WM_SEARCH_NEWRESULTS), 1);
    EXPECT_EQ(view.count(WM_SEARCH_DONE), 1);
    EXPECT_EQ(view.seen.front(), WM_SEARCH_STARTED);
    EXPECT_EQ(view.seen.back(), WM_SEARCH_CLEANEDUP);
    // The histories remember what was searched for.
    EXPECT_EQ(app.fileNameHistory.entries().front(), "*.txt");
    EXPECT_EQ(app.folderHistory.entries().front(), tree.path());
}

TEST_F(SearchDocumentTest, ContentsOfSelectedItemsAreShownWithTheirHitLines) {
    auto doc = makeDoc();
    doc->editedCriteria.containingText = "needle";
    doc->editedCriteria.searchContents = true;
    doc->editedCriteria.treatContentsAsRegExp = false;
    RecordingView view(doc.get());
    ASSERT_TRUE(doc->startSearch());
    ASSERT_TRUE(view.waitFor(WM_SEARCH_CLEANEDUP));
    ASSERT_EQ(doc->results.count(), 2u);  // a.txt and sub/d.txt

    doc->showContentsFor({tree.path("sub/d.txt"), tree.path("a.txt")});
    EXPECT_EQ(view.count(WM_SHOW_CONTENTS), 1);
    ASSERT_EQ(doc->shownItems.size(), 2u);
    EXPECT_EQ(doc->shownItems[0]->name, "d.txt");
    EXPECT_TRUE(doc->shownItems[0]->hitsComplete);
    ASSERT_EQ(doc->shownItems[1]->hits.size(), 1u);
    EXPECT_EQ(doc->shownItems[1]->hits[0].lineNumber, 1);

    doc->showContentsFor({});
    EXPECT_TRUE(doc->shownItems.empty());
    EXPECT_EQ(view.count(WM_SHOW_CONTENTS), 2);
}

TEST_F(SearchDocumentTest, AnItemMissingFromTheResultsStopsTheContentsDisplay) {
    auto doc = makeDoc();
    RecordingView view(doc.get());
    ASSERT_TRUE(doc->startSearch());
    ASSERT_TRUE(view.waitFor(WM_SEARCH_CLEANEDUP));

    MessageCapture messages;
    doc->showContentsFor({tree.path("a.txt"), tree.path("no-such.txt"), tree.path("b.txt")});
    EXPECT_EQ(messages.messages, std::vector<std::string>{kNotAllItemsExist});
    EXPECT_EQ(view.count(WM_SHOW_CONTENTS), 0);
    EXPECT_EQ(doc->shownItems.size(), 1u);  // as far as it was filled
}

TEST_F(SearchDocumentTest, StopWhileIdlePostsOnlyTheCleanup) {
    auto doc = makeDoc();
    RecordingView view(doc.get());
    EXPECT_TRUE(doc->stopSearch());
    EXPECT_TRUE(view.seen.empty());  // posted, not sent
    ASSERT_TRUE(view.waitFor(WM_SEARCH_CLEANEDUP));
    QCoreApplication::processEvents();
    EXPECT_EQ(view.seen, std::vector<int>{WM_SEARCH_CLEANEDUP});
    EXPECT_FALSE(doc->searching());
}

TEST_F(SearchDocumentTest, MessagesOfAStoppedSearchDoNotReachTheOneStartedAfterIt) {
    auto doc = makeDoc();
    RecordingView view(doc.get());  // stops the search when it is told it is done
    ASSERT_TRUE(doc->startSearch());
    // The first search ends on its own and posts its end; nobody has read it yet when the
    // user stops and starts again.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(doc->stopSearch());
    ASSERT_TRUE(doc->startSearch());

    ASSERT_TRUE(view.waitFor(WM_SEARCH_CLEANEDUP));
    QTest::qWait(50);
    EXPECT_EQ(view.count(WM_SEARCH_STARTED), 2);
    EXPECT_EQ(view.count(WM_SEARCH_DONE), 1);
    EXPECT_EQ(view.count(WM_SEARCH_CLEANEDUP), 1);
    EXPECT_EQ(view.seen.back(), WM_SEARCH_CLEANEDUP);
    EXPECT_FALSE(doc->searching());
    EXPECT_EQ(doc->results.count(), 3u);
}

TEST_F(SearchDocumentTest, CriteriaThatFailPreparationStartNothingButAreRemembered) {
    auto doc = makeDoc();
    doc->editedCriteria.lookIn = {"relative/folder/"};
    doc->editedCriteria.fileName = "*.cpp";
    RecordingView view(doc.get());
    MessageCapture messages;

    EXPECT_FALSE(doc->startSearch());
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_NE(messages.messages[0].find("is not a valid search directory"), std::string::npos);
    EXPECT_FALSE(doc->searching());
    EXPECT_EQ(view.count(WM_SEARCH_STARTED), 0);
    EXPECT_EQ(app.fileNameHistory.entries().front(), "*.cpp");
    EXPECT_EQ(app.folderHistory.entries().front(), "relative/folder/");
}

TEST_F(SearchDocumentTest, RemovedFilesLeaveTheResultsAndTheShownItems) {
    auto doc = makeDoc();
    RecordingView view(doc.get());
    ASSERT_TRUE(doc->startSearch());
    ASSERT_TRUE(view.waitFor(WM_SEARCH_CLEANEDUP));
    doc->showContentsFor({tree.path("a.txt"), tree.path("b.txt")});
    std::filesystem::remove(tree.path("a.txt"));

    view.noteTexts.clear();
    EXPECT_EQ(doc->removeMissingFiles({tree.path("a.txt"), tree.path("b.txt")}), 1);
    EXPECT_EQ(view.count(WM_FILE_REMOVED), 1);
    EXPECT_EQ(view.noteTexts, std::vector<std::string>{tree.path("a.txt")});
    EXPECT_EQ(doc->results.count(), 2u);
    EXPECT_EQ(doc->results.indexOfPath(tree.path("a.txt")), -1);
    // No pointer to the freed item may stay behind for the contents view.
    ASSERT_EQ(doc->shownItems.size(), 1u);
    EXPECT_EQ(doc->shownItems[0]->name, "b.txt");
}

TEST_F(SearchDocumentTest, CommandsSendTheirMessagesToEveryViewInOrder) {
    auto doc = makeDoc();
    RecordingView first(doc.get());
    RecordingView second(doc.get());
    const std::pair<int, int> commands[] = {
        {ID_SELECT_ALL, WM_SELECT_ALL_FILES},
        {ID_SORT_BY_NAME, WM_SORT_BY_NAME},
        {ID_SORT_BY_LOCATION, WM_SORT_BY_LOCATION},
        {ID_SORT_BY_DATE, WM_SORT_BY_MODIFIED},
        {ID_SORT_BY_SIZE, WM_SORT_BY_SIZE},
        {ID_SORT_BY_TYPE, WM_SORT_BY_TYPE},
        {ID_SET_HIGHLIGHT_COLOUR, WM_SET_HIGHLIGHT_COLOUR},
    };
    std::vector<int> expected;
    for (const auto& [command, message] : commands) {
        EXPECT_TRUE(doc->handleCommand(command)) << command;
        expected.push_back(message);
    }
    EXPECT_EQ(first.seen, expected);
    EXPECT_EQ(second.seen, expected);
}

TEST_F(SearchDocumentTest, OnePhaseSearchingTogglesSavesAndShowsItsCheckMark) {
    auto doc = makeDoc();
    ASSERT_FALSE(doc->editedCriteria.onePhaseSearch);
    for (bool expected : {true, false}) {
        ASSERT_TRUE(doc->handleCommand(ID_ONE_PHASE));
        CommandState state;
        ASSERT_TRUE(doc->updateCommand(ID_ONE_PHASE, state));
        EXPECT_EQ(state.checked, expected);
        EXPECT_EQ(doc->editedCriteria.onePhaseSearch, expected);
        EXPECT_EQ(readSetting(store, kOnePhaseSearch), expected ? 1 : 0);
    }
}

TEST_F(SearchDocumentTest, WordWrapIsRememberedOnlyWithWindowSizes) {
    for (int remember : {1, 0}) {
        MemorySettingsStore settings;
        writeSetting(settings, kRememberWindowSize, remember);
        Application local(settings);
        local.init({"/"}, "/tmp");
        CDediDurarerDoc doc(local);
        doc.setWordWrap(true);
        EXPECT_EQ(settings.contains(kWindowSettingsSection, kWordWrap.name), remember == 1);
        CDediDurarerDoc next(local);
        EXPECT_EQ(next.wordWrap, remember == 1) << "remember " << remember;
    }
}

TEST_F(SearchDocumentTest, HelpContentsOpensTheShippedHelpPage) {
    QUrl opened;
    setDesktopOpener([&opened](const QUrl& url, std::string&) {
        opened = url;
        return true;
    });
    auto doc = makeDoc();
    EXPECT_TRUE(doc->handleCommand(ID_HELP_CONTENTS));
    setDesktopOpener({});
    ASSERT_TRUE(opened.isLocalFile());
    EXPECT_TRUE(QFileInfo::exists(opened.toLocalFile()));
    EXPECT_TRUE(opened.toLocalFile().endsWith(QStringLiteral("help/index.html")));

    // A desktop that cannot open it: the user is told which page and why.
    setDesktopOpener([](const QUrl&, std::string& reason) {
        reason = "No application is registered for text/html";
        return false;
    });
    MessageCapture messages;
    doc->handleCommand(ID_HELP_CONTENTS);
    setDesktopOpener({});
    EXPECT_EQ(messages.messages,
              std::vector<std::string>{"Could not open the help page " +
                                       opened.toLocalFile().toStdString() +
                                       "\n\nNo application is registered for text/html"});
}

// The desktop's own opener goes through GIO, with no helper program on the PATH, and
// gives GIO's reason when it cannot open a file.
TEST(DesktopOpenTest, TheDefaultApplicationIsAskedOfGioWhichSaysWhyItCannot) {
    const char* oldPath = std::getenv("PATH");
    const std::string restore = oldPath ? oldPath : "";
    ::setenv("PATH", "/nonexistent-scoutwell-bin", 1);
    std::string reason;
    const bool opened = openWithDefaultApplication(
        QUrl::fromLocalFile(QStringLiteral("/nonexistent-scoutwell/gone.txt")), reason);
    ::setenv("PATH", restore.c_str(), 1);
    EXPECT_FALSE(opened);
    EXPECT_NE(reason.find("gone.txt"), std::string::npos) << reason;
}

// Documents made through the manager, kept here instead of in windows.
class DocumentManagerTest : public SearchDocumentTest {
  protected:
    void SetUp() override {
        SearchDocumentTest::SetUp();
        manager = std::make_unique<DocumentManager>(app);
        manager->setFrameFactory([this](CDediDurarerDoc* doc) {
            docs.emplace_back(doc);
            views.push_back(std::make_unique<RecordingView>(doc));
            return true;
        });
        manager->setFrameCloser([this](CDediDurarerDoc* doc) {
            for (std::size_t i = 0; i < docs.size(); ++i) {
                if (docs[i].get() == doc) {
                    views.erase(views.begin() + static_cast<long>(i));
                    docs.erase(docs.begin() + static_cast<long>(i));
                    return;
                }
            }
        });
    }
    void TearDown() override {
        views.clear();
        docs.clear();
        manager.reset();
        SearchDocumentTest::TearDown();
    }

    std::unique_ptr<DocumentManager> manager;
    std::vector<std::unique_ptr<CDediDurarerDoc>> docs;
    std::vector<std::unique_ptr<RecordingView>> views;
};

TEST_F(DocumentManagerTest, NewDocumentsAreNumberedAndFilesGiveTheirNames) {
    EXPECT_EQ(manager->newDocument()->title(), "Search1");
    EXPECT_EQ(manager->newDocument()->title(), "Search2");
    const std::string path = tree.path("saved.srf");
    ASSERT_TRUE(manager->saveTo(docs[0].get(), QString::fromStdString(path)));
    EXPECT_EQ(docs[0]->title(), "saved.srf");
    CDediDurarerDoc* opened = manager->openDocument(QString::fromStdString(path));
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened->title(), "saved.srf");
    // Opening does not use up a number.
    EXPECT_EQ(manager->newDocument()->title(), "Search3");
}

TEST_F(DocumentManagerTest, CriteriaRoundTripThroughAFileWithTheirMessages) {
    CDediDurarerDoc* source = manager->newDocument();
    source->editedCriteria.fileName = "*.cpp *.h";
    source->editedCriteria.containingText = "TODO";
    source->editedCriteria.searchContents = true;
    source->editedCriteria.matchContentsCase = true;
    source->editedCriteria.lookIn = {tree.path(), "/usr/"};
    source->editedCriteria.sizeMoreThanOn = true;
    source->editedCriteria.sizeMoreThan = 4096;
    const QString path = QString::fromStdString(tree.path("round.srf"));

    ASSERT_TRUE(manager->saveTo(source, path));
    EXPECT_EQ(views[0]->seen,
              (std::vector<int>{WM_CRITERIA_BEFORE_STORE, WM_CRITERIA_AFTER_STORE}));

    CDediDurarerDoc* loaded = manager->openDocument(path);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(views[1]->seen, (std::vector<int>{WM_CRITERIA_BEFORE_LOAD, WM_CRITERIA_AFTER_LOAD}));
    const SearchCriteria& c = loaded->editedCriteria;
    EXPECT_EQ(c.fileName, "*.cpp *.h");
    EXPECT_EQ(c.containingText, "TODO");
    EXPECT_TRUE(c.searchContents);
    EXPECT_TRUE(c.matchContentsCase);
    EXPECT_EQ(c.lookIn, (std::vector<std::string>{tree.path(), "/usr/"}));
    EXPECT_TRUE(c.sizeMoreThanOn);
    EXPECT_EQ(c.sizeMoreThan, 4096u);
}

TEST_F(DocumentManagerTest, CommandLineValuesWinOverAFileOnlyWithOverride) {
    CDediDurarerDoc* source = manager->newDocument();
    source->editedCriteria.containingText = "from file";
    const QString path = QString::fromStdString(tree.path("po.srf"));
    ASSERT_TRUE(manager->saveTo(source, path));

    struct Case {
        std::vector<std::string> arguments;
        const char* expected;
    };
    const Case cases[] = {
        {{"-c", "from command line", "-po"}, "from command line"},
        {{"-c", "from command line"}, "from file"},
    };
    for (const Case& c : cases) {
        app.options = CommandLineOptions();
        app.options.parse(c.arguments);
        app.startingUp = true;
        CDediDurarerDoc* doc = manager->openDocument(path);
        app.startingUp = false;
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(doc->editedCriteria.containingText, c.expected) << c.arguments.size();
    }
}

TEST_F(DocumentManagerTest, AFileThatCannotBeOpenedGivesAMessageAndNoDocument) {
    MessageCapture messages;
    tree.file("damaged.srf", "xy");
    for (const char* name : {"missing.srf", "damaged.srf"}) {
        messages.messages.clear();
        EXPECT_EQ(manager->openDocument(QString::fromStdString(tree.path(name))), nullptr);
        ASSERT_EQ(messages.messages.size(), 1u) << name;
    }
    EXPECT_TRUE(docs.empty());
    EXPECT_TRUE(manager->recentFiles().isEmpty());
}

TEST_F(DocumentManagerTest, RecentFilesKeepTheLastFourMostRecentFirst) {
    for (const char* name : {"1.srf", "2.srf", "3.srf", "4.srf", "5.srf", "3.srf"})
        manager->addToRecentFiles(QString::fromStdString(tree.path(name)));
    const QStringList expected{
        QString::fromStdString(tree.path("3.srf")), QString::fromStdString(tree.path("5.srf")),
        QString::fromStdString(tree.path("4.srf")), QString::fromStdString(tree.path("2.srf"))};
    EXPECT_EQ(manager->recentFiles(), expected);
    EXPECT_EQ(store.readText(kRecentFileListSection, "File1"), tree.path("3.srf"));
    EXPECT_EQ(store.readText(kRecentFileListSection, "File4"), tree.path("2.srf"));
    // A new manager reads them back.
    DocumentManager again(app);
    EXPECT_EQ(again.recentFiles(), expected);
}

}  // namespace
}  // namespace scoutwell
