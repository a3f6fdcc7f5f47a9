// The list of found files, lower left in a search window.
//
// One row per item of the document's ResultsStore, appended in batches as the search
// reports new results; cells are read from the store when painted. Clicks and key
// releases hand the selected files to the document, which shows their contents; header
// clicks sort. A right click shows the files' context menu, a drag carries copies of
// them, and Copy and Delete act on them while the list is the active pane. The view
// answers the document's and the engine's messages (SearchEvent).
#pragma once

#include <QPointer>
#include <QTableView>
#include <string>
#include <vector>

#include "framework/Document.h"
#include "views/MemberHandOver.h"

namespace scoutwell {

class CDediDurarerDoc;
class ResultsModel;
struct RowRange;
class SettingsStore;

inline constexpr const char* kMoreRowsThanFound = "Control has more items than has been found!";
// A stored column width above this is taken as this.
inline constexpr int kMaxStoredColumnWidth = 700;

class CDediDurarerView : public QTableView, public CommandTarget {
    Q_OBJECT

  public:
    // Adds itself to the document's views.
    CDediDurarerView(CDediDurarerDoc* doc, QWidget* parent);
    // Stores the column widths when window sizes are remembered.
    ~CDediDurarerView() override;

    ResultsModel* resultsModel() const { return model_; }

    // Appends rows for the items found since the last call; false, after telling the
    // user, when the store holds fewer items than there are rows.
    bool appendNewItems();
    // Rebuilds the rows in the store's order for the column, ascending, keeping the
    // scroll offset. The selection is lost; the document is not told.
    void sortByColumn(int column);
    // The full paths of the selected rows, in row order.
    std::vector<std::string> collectSelection() const;
    // The selected rows as ranges, in row order, none overlapping.
    std::vector<RowRange> selectedRowRanges() const;
    // Tells the document the selection when it changed since it was last told.
    void commitSelection();
    bool selectionDirty() const { return selectionDirty_; }

    // Copy (57634) and Delete (32796) of the selected files.
    bool handleCommand(int commandId) override;
    bool updateCommand(int commandId, CommandState& state) override;
    // The selected files onto the clipboard as copies.
    void copySelection();
    // The selected files to the Trash after one confirmation; the rows of the files that
    // went leave the list.
    void deleteSelection();
    // The context menu for a click at a viewport point: the single file's menu when one
    // row is selected and the click hits a row, the menu of all selected files when two
    // or more are. Files that vanished leave the list afterwards.
    void showContextMenu(const QPoint& viewportPos, const QPoint& globalPos);

    // The width a column starts with: the stored one when window sizes are remembered
    // and it is above 0 (at most kMaxStoredColumnWidth), else defaultWidth().
    int startWidth(const SettingsStore* settings, int column) const;
    // A column's width without a stored one: room for a typical entry in the list's font
    // (and the icon, in the Name column), never less than the column's least width.
    int defaultWidth(int column) const;

  protected:
    void customEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;

  private:
    void setUpColumns();
    void saveColumnWidths();
    void removeAllRows();
    void removeFileRow(const std::string& fullPath);
    void selectAllFiles();
    void selectOnly(int row);
    void openRow(int row);
    void activateInChildFrame();
    void forgetMissingFiles(const std::vector<std::string>& paths);
    std::vector<std::string> collectSelectionWaiting() const;
    // The files `paths` name as other programs get them (MemberHandOver.h).
    HandOver handOverFiles(const std::vector<std::string>& paths, bool extract) const;

    QPointer<CDediDurarerDoc> doc_;
    SettingsStore* settings_ = nullptr;
    ResultsModel* model_ = nullptr;
    bool selectionDirty_ = false;
};

}  // namespace scoutwell
