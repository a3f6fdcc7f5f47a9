// Eight search windows at once over one tree, stopped, restarted and shown at random, then
// closed while they search. Run under ThreadSanitizer by `make tsan` and under
// AddressSanitizer by `make sanitize`; here it must simply end with the right results.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "app/gui/DocumentManager.h"
#include "support/TempTree.h"
#include "views/CMainFrame.h"

namespace scoutwell {
namespace {

using testing::GuiTest;
using testing::TempTree;

constexpr int kDocuments = 8;
constexpr int kFolders = 12;
constexpr int kFilesPerFolder = 60;

class StressTest : public GuiTest {
  protected:
    void SetUp() override {
        GuiTest::SetUp();
        // Every third file holds the text; the others are of the same size without it.
        std::string filler;
        for (int line = 0; line < 200; ++line)
            filler += "line " + std::to_string(line) + " of plain text to scan through\r\n";
        for (int f = 0; f < kFolders; ++f) {
            for (int i = 0; i < kFilesPerFolder; ++i) {
                const bool hit = (f * kFilesPerFolder + i) % 3 == 0;
                tree.file("d" + std::to_string(f) + "/sub/f" + std::to_string(i) + ".txt",
                          filler + (hit ? "the Needle is here\r\n" : "") + filler);
                if (hit)
                    ++expectedHits;
            }
        }
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

    CDediDurarerDoc* openSearchWindow(int index) {
        CDediDurarerDoc* doc = manager->newDocument();
        if (!doc)
            return nullptr;
        doc->editedCriteria.lookIn = {tree.path()};
        doc->editedCriteria.fileName = "*.txt";
        doc->editedCriteria.subfolders = true;
        doc->editedCriteria.searchContents = true;
        // Half with case, half without; half one-phase.
        doc->editedCriteria.containingText = index % 2 ? "needle" : "Needle";
        doc->editedCriteria.matchContentsCase = index % 2 == 0;
        doc->editedCriteria.onePhaseSearch = index % 4 < 2;
        return doc;
    }

    TempTree tree;
    std::size_t expectedHits = 0;
    std::unique_ptr<DocumentManager> manager;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(StressTest, EightWindowsStoppedAndRestartedAtRandomThenClosedWhileSearching) {
    std::vector<CDediDurarerDoc*> docs;
    for (int i = 0; i < kDocuments; ++i) {
        CDediDurarerDoc* doc = openSearchWindow(i);
        ASSERT_NE(doc, nullptr);
        docs.push_back(doc);
    }
    ASSERT_EQ(frame->mdiArea()->subWindowList().size(), kDocuments);

    std::mt19937 random(20261208);
    for (int step = 0; step < 120; ++step) {
        CDediDurarerDoc* doc = docs[random() % docs.size()];
        switch (random() % 4) {
            case 0:
            case 1:
                if (doc->searching())
                    doc->stopSearch();
                else
                    EXPECT_TRUE(doc->startSearch());
                break;
            case 2: {
                // What selecting the first found file does, while its search may still add more.
                const std::string first = doc->results.read([](const auto& items) {
                    return items.empty() ? std::string() : items.front()->fullPath();
                });
                if (!first.empty())
                    doc->showContentsFor({first});
                break;
            }
            default:
                break;
        }
        QTest::qWait(static_cast<int>(random() % 8));
    }

    // Every window searches once more to its end and finds each file with the text.
    for (CDediDurarerDoc* doc : docs) {
        if (doc->searching())
            doc->stopSearch();
        ASSERT_TRUE(doc->startSearch());
    }
    for (CDediDurarerDoc* doc : docs) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !doc->searching(); }, 120000));
        EXPECT_EQ(doc->results.count(), expectedHits) << doc->title().toStdString();
    }

    // Closed with every search running: each window stops its search as it goes.
    for (CDediDurarerDoc* doc : docs)
        ASSERT_TRUE(doc->startSearch());
    frame->close();
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return frame->mdiArea()->subWindowList().isEmpty(); }, 30000));
}

}  // namespace
}  // namespace scoutwell
