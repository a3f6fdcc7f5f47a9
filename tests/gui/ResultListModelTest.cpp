// The result list's model read as a view reads it: rows, cells, batches and removals.
#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include "engine/FoundItem.h"
#include "engine/ResultsStore.h"
#include "framework/IconCache.h"
#include "views/ResultsModel.h"

namespace scoutwell {
namespace {

void addFile(ResultsStore& store, const std::string& folder, const std::string& name,
             std::int64_t size) {
    store.add(FoundFile(makeSharedText(folder), name, size, 0));
}

std::vector<std::string> column(const ResultsModel& model, int col) {
    std::vector<std::string> texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts.push_back(model.data(model.index(row, col)).toString().toStdString());
    return texts;
}

class ResultListModelTest : public ::testing::Test {
  protected:
    ResultsStore store;
    IconCache icons;
    ResultsModel model{store, icons};
};

// Checks the model's signals against its rows; not usable where the store changes before
// the model hears of it, as it does for removals.
void testModel(ResultsModel& model) {
    new QAbstractItemModelTester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal,
                                 &model);
}

TEST_F(ResultListModelTest, CellsShowTheItemsTexts) {
    testModel(model);
    addFile(store, "/data/", "notes.txt", 1025);
    store.add(FoundFolder(makeSharedText("/data/"), "sub", 0));
    ASSERT_EQ(model.appendNewItems(), ResultsModel::AppendResult::kAppended);
    ASSERT_EQ(model.rowCount(), 2);

    struct Case {
        int row;
        int column;
        std::string text;
    };
    const Case cases[] = {
        {0, ResultsModel::kNameColumn, "notes.txt"},
        {0, ResultsModel::kLocationColumn, "/data/"},
        {0, ResultsModel::kSizeColumn, "2 KB"},
        {1, ResultsModel::kNameColumn, "sub"},
        {1, ResultsModel::kSizeColumn, ""},
        {1, ResultsModel::kTypeColumn, "File Folder"},
        {0, 7, "Unknown"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(model.cellText(c.row, c.column), c.text) << c.row << "," << c.column;
    EXPECT_EQ(model.fullPath(0), "/data/notes.txt");
    EXPECT_TRUE(
        model.data(model.index(0, ResultsModel::kSizeColumn), Qt::TextAlignmentRole).toInt() &
        Qt::AlignRight);
    // Only the name column carries the icon.
    EXPECT_EQ(model.data(model.index(0, ResultsModel::kNameColumn), Qt::DecorationRole).metaType(),
              QMetaType::fromType<QIcon>());
    EXPECT_FALSE(
        model.data(model.index(0, ResultsModel::kTypeColumn), Qt::DecorationRole).isValid());
}

TEST_F(ResultListModelTest, HeadersAndDefaultWidthsFollowTheColumnTable) {
    const char* headers[] = {"Name", "Location", "Size", "Type", "Modified"};
    const int widths[] = {150, 200, 70, 150, 200};
    const char* settings[] = {"NameColWidth", "LocationColWidth", "SizeColWidth", "TypeColWidth",
                              "ModifiedColWidth"};
    ASSERT_EQ(model.columnCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString().toStdString(), headers[c]);
        EXPECT_EQ(ResultsModel::kColumns[c].defaultWidth, widths[c]);
        EXPECT_STREQ(ResultsModel::kColumns[c].storedWidth.name, settings[c]);
    }
}

TEST_F(ResultListModelTest, EachBatchIsOneInsertionAtTheEnd) {
    testModel(model);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    EXPECT_EQ(model.appendNewItems(), ResultsModel::AppendResult::kUnchanged);
    for (int i = 0; i < 3; ++i)
        addFile(store, "/a/", "f" + std::to_string(i), i);
    EXPECT_EQ(model.appendNewItems(), ResultsModel::AppendResult::kAppended);
    for (int i = 3; i < 1000; ++i)
        addFile(store, "/a/", "f" + std::to_string(i), i);
    EXPECT_EQ(model.appendNewItems(), ResultsModel::AppendResult::kAppended);
    EXPECT_EQ(model.appendNewItems(), ResultsModel::AppendResult::kUnchanged);

    ASSERT_EQ(inserted.size(), 2);
    EXPECT_EQ(inserted[0][1].toInt(), 0);
    EXPECT_EQ(inserted[0][2].toInt(), 2);
    EXPECT_EQ(inserted[1][1].toInt(), 3);
    EXPECT_EQ(inserted[1][2].toInt(), 999);
    EXPECT_EQ(model.rowCount(), 1000);
    EXPECT_EQ(model.cellText(999, ResultsModel::kNameColumn), "f999");
}

TEST_F(ResultListModelTest, AStoreWithFewerItemsThanRowsIsReportedAndChangesNothing) {
    addFile(store, "/a/", "x", 1);
    addFile(store, "/a/", "y", 1);
    model.appendNewItems();
    store.clear();
    EXPECT_EQ(model.appendNewItems(), ResultsModel::AppendResult::kMoreRowsThanItems);
    EXPECT_EQ(model.rowCount(), 2);
    // Rows whose items went show nothing rather than reading past the store.
    EXPECT_EQ(model.cellText(1, ResultsModel::kNameColumn), "");
    EXPECT_FALSE(model.data(model.index(1, ResultsModel::kNameColumn)).toString().size());
    model.removeAllRows();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(ResultListModelTest, RemovingAnItemRemovesTheRowThatShowedIt) {
    for (const char* name : {"a", "b", "c", "d"})
        addFile(store, "/f/", name, 1);
    model.appendNewItems();
    addFile(store, "/f/", "e", 1);  // stored, not shown yet

    struct Case {
        const char* path;
        int removedRow;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"/f/b", 1, {"a", "c", "d"}}, {"/f/d", 2, {"a", "c"}},  // the last shown row
        {"/f/e", -1, {"a", "c"}},                               // never shown
        {"/f/zzz", -1, {"a", "c"}},                             // not in the store at all
        {"nofolder", -1, {"a", "c"}},
    };
    for (const Case& c : cases) {
        store.removePath(c.path);
        EXPECT_EQ(model.removeRowOfRemovedItem(c.path), c.removedRow) << c.path;
        EXPECT_EQ(column(model, ResultsModel::kNameColumn), c.names) << c.path;
    }
    // The unshown item left the store too, so the next batch brings nothing.
    EXPECT_EQ(model.appendNewItems(), ResultsModel::AppendResult::kUnchanged);
}

TEST_F(ResultListModelTest, RowsFollowTheStoreAfterASortAndRebuild) {
    addFile(store, "/z/", "b", 30);
    addFile(store, "/y/", "a", 10);
    addFile(store, "/x/", "c", 20);
    model.appendNewItems();
    model.removeAllRows();
    store.sortBySize();
    model.appendNewItems();
    EXPECT_EQ(column(model, ResultsModel::kNameColumn), (std::vector<std::string>{"a", "c", "b"}));
    store.removePath("/x/c");
    EXPECT_EQ(model.removeRowOfRemovedItem("/x/c"), 1);
}

}  // namespace
}  // namespace scoutwell
