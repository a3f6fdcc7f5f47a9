// The rows of the result list: a table model over a search document's ResultsStore.
//
// Row i shows item i of the store; no text is kept per row: every cell is read from the
// store, under its lock, when the view paints it. The model's row count is what has been
// appended so far, so the list may lag the store by one batch while a search runs:
//
//   model.appendNewItems();   // on each new-results message: one insert for the batch
//   model.removeAllRows();    // when a search starts
//   model.rebuildRows(sort);  // a sort: one reset, every item in its new order
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QAbstractTableModel>

#include "app/core/Settings.h"

namespace scoutwell {

class FoundItem;
class IconCache;
class ResultsStore;

// One column of the list: its header, alignment, the least width it starts with, how many
// average characters a typical entry takes (a name like "IMG_20240612_183012.jpg", a
// location like "/home/me/src/project/views/"), and the value that stores its width.
struct ResultColumn {
    const char* header;
    Qt::Alignment alignment;
    int defaultWidth;
    int typicalChars;
    const IntSetting& storedWidth;
};

class ResultsModel : public QAbstractTableModel {
  public:
    enum Column {
        kNameColumn,
        kLocationColumn,
        kSizeColumn,
        kTypeColumn,
        kModifiedColumn,
        kColumnCount
    };
    static const ResultColumn kColumns[kColumnCount];
    static constexpr const char* kUnknownColumnText = "Unknown";

    enum class AppendResult { kAppended, kUnchanged, kMoreRowsThanItems };

    ResultsModel(const ResultsStore& store, IconCache& icons, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Rows can be dragged (the view carries the files).
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Appends, in one insertion, a row for every item the store gained since the last
    // call. Rows are never inserted in the middle; a store holding fewer items than there
    // are rows changes nothing and is reported.
    AppendResult appendNewItems();
    void removeAllRows();
    // Runs `reorder` on the store, then shows every item it holds in its new order: one
    // reset of the rows instead of removing and inserting a million of them.
    void rebuildRows(const std::function<void()>& reorder);
    // After the store dropped the item with this full path: removes the row that showed
    // it and returns its index, or -1 when no row did (the item was not shown yet, or the
    // store still holds it).
    int removeRowOfRemovedItem(std::string_view fullPath);

    // The text of a cell as shown; empty for a row the store no longer holds.
    std::string cellText(int row, int column) const;
    // Location followed by name, or empty.
    std::string fullPath(int row) const;
    // The full paths of these rows in one read of the store; rows it no longer holds are
    // left out.
    std::vector<std::string> fullPaths(const std::vector<int>& rows) const;

  private:
    static std::string textOf(const FoundItem& item, int column);

    const ResultsStore& store_;
    IconCache& icons_;
    // Which item each row showed when it was appended: an identity only, never read
    // through. Rows follow their items' positions in the store, so when the document
    // drops an item the first row whose identity no longer matches is the row to remove.
    std::vector<const FoundItem*> rowItems_;
};

}  // namespace scoutwell
