// The result list as a user drives it: a search fills it, header clicks sort it, clicks
// and keys select rows whose files reach the document, and the document's messages
// change its rows.
#include <sys/time.h>

#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include <gtest/gtest.h>

#include "app/MessageCapture.h"
#include "app/core/Application.h"
#include "app/core/Settings.h"
#include "app/core/SettingsStore.h"
#include "app/gui/CDediDurarerDoc.h"
#include "engine/FileSystem.h"
#include "engine/FoundItem.h"
#include "framework/SearchEvent.h"
#include "framework/WindowMessages.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qtgui/DesktopOpen.h"
#include "support/TempTree.h"
#include "views/CChildFrame.h"
#include "views/CDediDurarerView.h"
#include "views/CFileContentsView.h"
#include "views/ResultsModel.h"

namespace scoutwell {
namespace {

using testing::MessageCapture;
using testing::TempTree;
using Names = std::vector<std::string>;

// A view of the document that only records the messages it receives.
class MessageRecorder : public QWidget {
  public:
    int count(int message) const {
        return static_cast<int>(std::count(seen.begin(), seen.end(), message));
    }
    std::vector<int> seen;

  protected:
    void customEvent(QEvent* event) override {
        if (auto* message = SearchEvent::from(event))
            seen.push_back(message->message());
    }
};

void setModified(const std::string& path, long seconds) {
    const timeval times[2] = {{seconds, 0}, {seconds, 0}};
    ::utimes(path.c_str(), times);
}

class ResultListViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previousFileSystem_ = fileSystem();
        setFileSystem(&fileSystem_);
        setTypeNameProvider(nullptr);  // the defaults: "TXT File", stable on every desktop
        app.defaultFolder = tree.path();
    }
    void TearDown() override {
        view.reset();
        window.reset();
        doc.reset();
        setFileSystem(previousFileSystem_);
        setDesktopOpener({});
    }

    CDediDurarerView& makeView() {
        doc = std::make_unique<CDediDurarerDoc>(app);
        doc->addView(&recorder);
        window = std::make_unique<QWidget>();
        window->resize(900, 400);
        auto* layout = new QVBoxLayout(window.get());
        view.reset(new CDediDurarerView(doc.get(), window.get()));
        layout->addWidget(view.get());
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *view;
    }

    void addFiles(const Names& names) {
        for (const std::string& name : names)
            doc->results.add(FoundFile(makeSharedText(tree.path()), name, 1, 0));
        sendSearchMessage(view.get(), WM_SEARCH_NEWRESULTS);
    }

    Names column(int col) const {
        Names texts;
        const ResultsModel& model = *view->resultsModel();
        for (int row = 0; row < model.rowCount(); ++row)
            texts.push_back(model.data(model.index(row, col)).toString().toStdString());
        return texts;
    }

    Names shown() const {
        Names names;
        for (const FoundItem* item : doc->shownItems)
            names.push_back(item->name);
        return names;
    }

    QPoint rowCentre(int row) const {
        return view->visualRect(view->resultsModel()->index(row, 0)).center();
    }

    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, rowCentre(row));
    }

    void clickHeader(int col) {
        QHeaderView* header = view->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(col) + header->sectionSize(col) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }

    TempTree tree;
    MemorySettingsStore settings;
    Application app{settings};
    MessageRecorder recorder;
    std::unique_ptr<CDediDurarerDoc> doc;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<CDediDurarerView> view;

  private:
    PosixFileSystem fileSystem_;
    FileSystem* previousFileSystem_ = nullptr;
};

TEST_F(ResultListViewTest, ASearchFillsTheListAndEveryHeaderSortsItsColumn) {
    setModified(tree.file("m.txt", std::string(3000, 'x')), 1000);
    setModified(tree.file("b.log", "0123456789"), 2000);
    setModified(tree.file("sub/a.txt", "1"), 3000);
    setModified(tree.path("sub"), 4000);
    CDediDurarerView& list = makeView();
    doc->editedCriteria.setLookInText(tree.path());

    ASSERT_TRUE(doc->startSearch());
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.count(WM_SEARCH_CLEANEDUP) > 0; }, 10000));
    EXPECT_FALSE(doc->searching());  // the list ended the search on its done message
    ASSERT_EQ(list.resultsModel()->rowCount(), 4);

    struct Case {
        int column;
        Names order;
    };
    const Case cases[] = {
        {ResultsModel::kNameColumn, {"sub", "a.txt", "b.log", "m.txt"}},
        {ResultsModel::kLocationColumn, {"sub", "b.log", "m.txt", "a.txt"}},
        {ResultsModel::kSizeColumn, {"sub", "a.txt", "b.log", "m.txt"}},
        {ResultsModel::kTypeColumn, {"sub", "b.log", "a.txt", "m.txt"}},
        {ResultsModel::kModifiedColumn, {"m.txt", "b.log", "a.txt", "sub"}},
    };
    for (const Case& c : cases) {
        clickHeader(c.column);
        EXPECT_EQ(column(ResultsModel::kNameColumn), c.order) << "column " << c.column;
        clickHeader(c.column);  // no descending order: the same order again
        EXPECT_EQ(column(ResultsModel::kNameColumn), c.order) << "column " << c.column;
    }

    clickHeader(ResultsModel::kNameColumn);
    EXPECT_EQ(column(ResultsModel::kLocationColumn),
              (Names{tree.path(), tree.path("sub/"), tree.path(), tree.path()}));
    EXPECT_EQ(column(ResultsModel::kSizeColumn), (Names{"", "1 KB", "1 KB", "3 KB"}));
    EXPECT_EQ(column(ResultsModel::kTypeColumn),
              (Names{"File Folder", "TXT File", "LOG File", "TXT File"}));
    EXPECT_FALSE(column(ResultsModel::kModifiedColumn)[3].empty());
}

TEST_F(ResultListViewTest, TheSortMessagesSortLikeTheHeaders) {
    makeView();
    doc->results.add(FoundFile(makeSharedText("/b/"), "y.txt", 5000, 1));
    doc->results.add(FoundFile(makeSharedText("/a/"), "z.dat", 10, 3));
    doc->results.add(FoundFile(makeSharedText("/c/"), "x.log", 2000, 2));
    sendSearchMessage(view.get(), WM_SEARCH_NEWRESULTS);
    const std::pair<int, Names> cases[] = {
        {WM_SORT_BY_NAME, {"x.log", "y.txt", "z.dat"}},
        {WM_SORT_BY_LOCATION, {"z.dat", "y.txt", "x.log"}},
        {WM_SORT_BY_SIZE, {"z.dat", "x.log", "y.txt"}},
        {WM_SORT_BY_TYPE, {"z.dat", "x.log", "y.txt"}},
        {WM_SORT_BY_MODIFIED, {"y.txt", "x.log", "z.dat"}},
    };
    for (const auto& [message, order] : cases) {
        EXPECT_EQ(sendSearchMessage(view.get(), message), 1);
        EXPECT_EQ(column(ResultsModel::kNameColumn), order) << std::hex << message;
    }
}

TEST_F(ResultListViewTest, ClicksAndKeysHandTheSelectedFilesToTheDocumentInRowOrder) {
    makeView();
    addFiles({"f0", "f1", "f2", "f3", "f4"});
    view->setFocus();

    clickRow(3);
    EXPECT_EQ(shown(), (Names{"f3"}));
    clickRow(1, Qt::ControlModifier);
    EXPECT_EQ(shown(), (Names{"f1", "f3"}));    // row order, not click order
    QTest::keyClick(view.get(), Qt::Key_Down);  // current row was 1
    EXPECT_EQ(shown(), (Names{"f2"}));
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(shown(), (Names{"f2", "f3"}));
    clickRow(0, Qt::ShiftModifier);
    EXPECT_EQ(shown(), (Names{"f0", "f1", "f2"}));

    // A click that changes nothing does not tell the document again.
    const int told = recorder.count(WM_SHOW_CONTENTS);
    clickRow(0, Qt::ShiftModifier);
    EXPECT_EQ(recorder.count(WM_SHOW_CONTENTS), told);
    // A selection change alone waits for the next click or key release.
    view->selectionModel()->select(view->resultsModel()->index(4, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_TRUE(view->selectionDirty());
    EXPECT_EQ(shown(), (Names{"f0", "f1", "f2"}));
    view->commitSelection();
    EXPECT_EQ(shown(), (Names{"f0", "f1", "f2", "f4"}));
}

TEST_F(ResultListViewTest, OverlappingSelectionRangesHandEachRowOverOnceInRowOrder) {
    makeView();
    addFiles({"f0", "f1", "f2", "f3", "f4", "f5"});
    const ResultsModel& model = *view->resultsModel();
    const auto selectRows = [&](int first, int last) {
        view->selectionModel()->select(QItemSelection(model.index(first, 0), model.index(last, 0)),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
    };
    selectRows(3, 4);
    selectRows(0, 1);
    selectRows(1, 3);  // overlaps both
    view->commitSelection();
    EXPECT_EQ(shown(), (Names{"f0", "f1", "f2", "f3", "f4"}));
    EXPECT_EQ(view->collectSelection().size(), 5u);

    // Rows the store no longer holds: shown as far as they exist, and reported.
    MessageCapture messages;
    doc->showContentsForRows({{4, 7}});
    EXPECT_EQ(shown(), (Names{"f4", "f5"}));
    EXPECT_EQ(messages.messages, (std::vector<std::string>{kNotAllItemsExist}));
}

TEST_F(ResultListViewTest, SortingKeepsTheScrollOffsetAndDropsTheSelectionSilently) {
    makeView();
    Names names;
    for (int i = 0; i < 300; ++i)
        names.push_back("n" + std::to_string(1000 + i));
    addFiles(names);
    QCoreApplication::processEvents();  // the list lays out its new rows
    view->verticalScrollBar()->setValue(120);
    ASSERT_EQ(view->verticalScrollBar()->value(), 120);
    clickRow(view->rowAt(view->viewport()->height() / 2));
    ASSERT_EQ(shown().size(), 1u);
    const Names before = shown();
    const int told = recorder.count(WM_SHOW_CONTENTS);

    sendSearchMessage(view.get(), WM_SORT_BY_SIZE);
    EXPECT_EQ(view->verticalScrollBar()->value(), 120);
    EXPECT_TRUE(view->selectionModel()->selectedRows().isEmpty());
    EXPECT_EQ(recorder.count(WM_SHOW_CONTENTS), told);
    EXPECT_EQ(shown(), before);
}

TEST_F(ResultListViewTest, DoubleClickOpensTheFileWithTheDesktopNotAShell) {
    std::vector<QUrl> opened;
    setDesktopOpener([&](const QUrl& url) {
        opened.push_back(url);
        return true;
    });
    makeView();
    addFiles({"plain.txt", "with space; $(rm -rf x).txt"});
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, rowCentre(1));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(
                             QString::fromStdString(tree.path("with space; $(rm -rf x).txt"))));
    EXPECT_EQ(shown(), (Names{"with space; $(rm -rf x).txt"}));
    // Below the last row nothing opens.
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(10, view->viewport()->height() - 5));
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(ResultListViewTest, FilesGoneFromDiskLeaveTheirRowsAndOnlyThose) {
    makeView();
    const std::string kept = tree.file("kept.txt");
    tree.file("gone1.txt");
    tree.file("gone2.txt");
    addFiles({"gone1.txt", "kept.txt", "gone2.txt", "never.txt"});
    clickRow(1);
    clickRow(2, Qt::ControlModifier);
    std::remove(tree.path("gone1.txt").c_str());
    std::remove(tree.path("gone2.txt").c_str());

    EXPECT_EQ(doc->removeMissingFiles({tree.path("gone1.txt"), kept, tree.path("gone2.txt")}), 2);
    EXPECT_EQ(column(ResultsModel::kNameColumn), (Names{"kept.txt", "never.txt"}));
    // The selection stays on the row that is left.
    ASSERT_EQ(view->selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(view->selectionModel()->selectedRows()[0].row(), 0);
    // A path the list never showed changes nothing.
    SearchProgressNote note(0, "/elsewhere/never.txt");
    doc->sendToAllViews(WM_FILE_REMOVED, &note);
    EXPECT_EQ(view->resultsModel()->rowCount(), 2);
}

TEST_F(ResultListViewTest, ANewSearchEmptiesTheListAndMissingItemsAreReported) {
    makeView();
    addFiles({"a", "b"});
    MessageCapture messages;
    doc->results.clear();
    EXPECT_EQ(sendSearchMessage(view.get(), WM_SEARCH_NEWRESULTS), 0);
    EXPECT_EQ(messages.messages, (std::vector<std::string>{kMoreRowsThanFound}));
    EXPECT_EQ(view->resultsModel()->rowCount(), 2);

    EXPECT_EQ(sendSearchMessage(view.get(), WM_SEARCH_STARTED), 1);
    EXPECT_EQ(view->resultsModel()->rowCount(), 0);
    addFiles({"c"});
    EXPECT_EQ(column(ResultsModel::kNameColumn), (Names{"c"}));
    EXPECT_EQ(messages.messages.size(), 1u);
}

TEST_F(ResultListViewTest, StoredColumnWidthsAreCappedAndWrittenBackOnDestroy) {
    settings.writeInt(kWindowSettingsSection, "NameColWidth", 701);
    settings.writeInt(kWindowSettingsSection, "LocationColWidth", 0);
    settings.writeInt(kWindowSettingsSection, "SizeColWidth", 55);
    settings.writeInt(kWindowSettingsSection, "TypeColWidth", -5);
    // ModifiedColWidth missing
    makeView();
    QHeaderView* header = view->horizontalHeader();
    const int expected[] = {700, view->defaultWidth(1), 55, view->defaultWidth(3),
                            view->defaultWidth(4)};
    for (int c = 0; c < ResultsModel::kColumnCount; ++c)
        EXPECT_EQ(header->sectionSize(c), expected[c]) << "column " << c;

    header->resizeSection(ResultsModel::kTypeColumn, 123);
    view.reset();
    const char* names[] = {"NameColWidth", "LocationColWidth", "SizeColWidth", "TypeColWidth",
                           "ModifiedColWidth"};
    const int written[] = {700, expected[1], 55, 123, expected[4]};
    for (int c = 0; c < ResultsModel::kColumnCount; ++c)
        EXPECT_EQ(settings.readInt(kWindowSettingsSection, names[c], -1), written[c]) << names[c];
}

TEST_F(ResultListViewTest, TypicalNamesLocationsAndTypesFitTheirColumnsAtFirst) {
    CDediDurarerView& list = makeView();
    const QFontMetrics metrics = list.fontMetrics();
    const int icon = list.iconSize().width();
    const std::pair<int, std::vector<QString>> typical[] = {
        {ResultsModel::kNameColumn,
         {"README.md", "IMG_20240612_183012.jpg", "CDediDurarerView.cpp", "report-2024-Q2.xlsx"}},
        {ResultsModel::kLocationColumn,
         {"/home/me/Documents/", "/home/me/src/scoutwell/views/", "/usr/share/doc/bash/"}},
        {ResultsModel::kTypeColumn, {"C++ source code", "Markdown document", "JPEG image"}},
        {ResultsModel::kModifiedColumn, {"2026-12-08 21:52:33"}},
    };
    for (const auto& [column, texts] : typical) {
        const int width = list.horizontalHeader()->sectionSize(column);
        for (const QString& text : texts) {
            const int needed =
                metrics.horizontalAdvance(text) + (column == ResultsModel::kNameColumn ? icon : 0);
            EXPECT_GE(width, needed) << text.toStdString() << " is cut";
        }
    }
    // Name and Location side by side fit the list of a 1280x800 window's search window.
    EXPECT_LE(list.horizontalHeader()->sectionSize(ResultsModel::kNameColumn) +
                  list.horizontalHeader()->sectionSize(ResultsModel::kLocationColumn),
              1024 / 2);
}

TEST_F(ResultListViewTest, WithoutRememberWindowSizeWidthsAreDefaultAndNotStored) {
    settings.writeInt(kOptionsSection, "RememberWindowSize", 0);
    settings.writeInt(kWindowSettingsSection, "NameColWidth", 300);
    makeView();
    EXPECT_EQ(view->horizontalHeader()->sectionSize(ResultsModel::kNameColumn),
              view->defaultWidth(ResultsModel::kNameColumn));
    view->horizontalHeader()->resizeSection(ResultsModel::kNameColumn, 99);
    view.reset();
    EXPECT_EQ(settings.readInt(kWindowSettingsSection, "NameColWidth", -1), 300);
    EXPECT_FALSE(settings.contains(kWindowSettingsSection, "SizeColWidth"));
}

TEST_F(ResultListViewTest, SelectAllTellsTheDocumentAndMakesTheListTheActivePane) {
    auto* frameDoc = new CDediDurarerDoc(app);
    CChildFrame frame(frameDoc, 800);
    CDediDurarerView* list = frame.resultList();
    for (const char* name : {"a", "b", "c"})
        frameDoc->results.add(FoundFile(makeSharedText(tree.path()), name, 1, 0));
    sendSearchMessage(list, WM_SEARCH_NEWRESULTS);
    frame.setActiveView(frame.contentsView());
    ASSERT_NE(frame.activeView(), list);

    frameDoc->sendToAllViews(WM_SELECT_ALL_FILES);
    ASSERT_EQ(frameDoc->shownItems.size(), 3u);
    EXPECT_EQ(frameDoc->shownItems[2]->name, "c");
    EXPECT_EQ(frame.activeView(), list);
}

TEST_F(ResultListViewTest, AHundredThousandRowsArriveInOneInsertAndPaintQuickly) {
    makeView();
    const SharedText location = makeSharedText(tree.path());
    constexpr int kRows = 100000;
    for (int i = 0; i < kRows; ++i)
        doc->results.add(FoundFile(location, "file" + std::to_string(i) + ".txt", i, 0));
    QSignalSpy inserted(view->resultsModel(), &QAbstractItemModel::rowsInserted);
    QElapsedTimer timer;
    timer.start();
    sendSearchMessage(view.get(), WM_SEARCH_NEWRESULTS);
    view->verticalScrollBar()->setValue(kRows / 2);
    view->viewport()->repaint();
    view->selectAll();
    view->viewport()->repaint();
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_EQ(inserted.size(), 1);
    EXPECT_EQ(view->resultsModel()->rowCount(), kRows);
}

}  // namespace
}  // namespace scoutwell
