#include "views/CDediDurarerView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "app/core/Application.h"
#include "app/core/Settings.h"
#include "app/gui/CDediDurarerDoc.h"
#include "engine/Messages.h"
#include "framework/CommandIds.h"
#include "framework/IconCache.h"
#include "framework/SearchEvent.h"
#include "framework/WindowMessages.h"
#include "platform/qt/ByteText.h"
#include "platform/qtgui/ShellServices.h"
#include "views/CChildFrame.h"
#include "views/FileDataSource.h"
#include "views/ResultsModel.h"
#include "views/ShellFileMenu.h"
#include "views/SingleFileMenu.h"

namespace scoutwell {

namespace {

constexpr int kRowPadding = 4;

// Shows the wait cursor for the life of the object.
class WaitCursor {
  public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

const ResultsStore& storeOf(const CDediDurarerDoc* doc) {
    // A view without a document shows an empty list.
    static const ResultsStore noResults;
    return doc ? doc->results : noResults;
}

void sortStore(ResultsStore& store, int column) {
    switch (column) {
        case ResultsModel::kNameColumn:
            store.sortByName();
            break;
        case ResultsModel::kLocationColumn:
            store.sortByLocation();
            break;
        case ResultsModel::kSizeColumn:
            store.sortBySize();
            break;
        case ResultsModel::kTypeColumn:
            store.sortByType();
            break;
        case ResultsModel::kModifiedColumn:
            store.sortByModified();
            break;
        default:
            break;
    }
}

// The column each sort message orders by.
int sortColumnOf(int message) {
    switch (message) {
        case WM_SORT_BY_NAME:
            return ResultsModel::kNameColumn;
        case WM_SORT_BY_LOCATION:
            return ResultsModel::kLocationColumn;
        case WM_SORT_BY_SIZE:
            return ResultsModel::kSizeColumn;
        case WM_SORT_BY_TYPE:
            return ResultsModel::kTypeColumn;
        case WM_SORT_BY_MODIFIED:
            return ResultsModel::kModifiedColumn;
        default:
            return -1;
    }
}

}  // namespace

CDediDurarerView::CDediDurarerView(CDediDurarerDoc* doc, QWidget* parent)
    : QTableView(parent), doc_(doc) {
    if (doc)
        settings_ = &doc->application().settings();
    model_ = new ResultsModel(storeOf(doc), IconCache::shared(), this);
    setModel(model_);

    // A million rows must stay cheap: fixed row heights, no per-row widgets, nothing
    // measured from contents.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // A row is as high as its text or icon needs, not the style's default.
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(
        std::max(fontMetrics().height(), static_cast<int>(IconCache::kSmallIconSize)) +
        kRowPadding);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setSortingEnabled(false);
    setIconSize(QSize(IconCache::kSmallIconSize, IconCache::kSmallIconSize));
    // Rows can be dragged out, as copies; nothing is dropped here.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setDefaultDropAction(Qt::CopyAction);
    setUpColumns();
    // At every paint the header asks whether each column is wholly selected, which walks
    // every row: with a million rows selected, most of a paint. Its sections show no
    // selection anyway, so it gets a selection of its own that stays empty.
    horizontalHeader()->setSelectionModel(new QItemSelectionModel(model_, this));

    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { selectionDirty_ = true; });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { sortByColumn(column); });

    if (doc)
        doc->addView(this);
}

CDediDurarerView::~CDediDurarerView() {
    saveColumnWidths();
}

int CDediDurarerView::defaultWidth(int column) const {
    const ResultColumn& columnInfo = ResultsModel::kColumns[column];
    // The cell's margins on either side, as the style draws them.
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    int typical = columnInfo.typicalChars * fontMetrics().averageCharWidth() + margins;
    if (column == ResultsModel::kNameColumn)
        typical += iconSize().width() + margins;
    return std::max(columnInfo.defaultWidth, typical);
}

int CDediDurarerView::startWidth(const SettingsStore* settings, int column) const {
    const ResultColumn& columnInfo = ResultsModel::kColumns[column];
    if (!settings || !rememberWindowSize(*settings))
        return defaultWidth(column);
    const std::int32_t stored = readSetting(*settings, columnInfo.storedWidth);
    if (stored <= 0)
        return defaultWidth(column);
    return std::min<std::int32_t>(stored, kMaxStoredColumnWidth);
}

void CDediDurarerView::setUpColumns() {
    QHeaderView* header = horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int column = 0; column < ResultsModel::kColumnCount; ++column)
        header->resizeSection(column, startWidth(settings_, column));
}

void CDediDurarerView::saveColumnWidths() {
    if (!settings_ || !rememberWindowSize(*settings_))
        return;
    for (int column = 0; column < ResultsModel::kColumnCount; ++column) {
        writeSetting(*settings_, ResultsModel::kColumns[column].storedWidth,
                     horizontalHeader()->sectionSize(column));
    }
}

bool CDediDurarerView::appendNewItems() {
    if (model_->appendNewItems() == ResultsModel::AppendResult::kMoreRowsThanItems) {
        showMessage(kMoreRowsThanFound);
        return false;
    }
    return true;
}

void CDediDurarerView::removeAllRows() {
    model_->removeAllRows();
    selectionDirty_ = false;
}

void CDediDurarerView::sortByColumn(int column) {
    if (!doc_ || column < 0 || column >= ResultsModel::kColumnCount)
        return;
    const WaitCursor wait;
    const int x = horizontalScrollBar()->value();
    const int y = verticalScrollBar()->value();
    // The rows go and come back in the new order: that loses the selection, and the
    // contents view keeps what it shows until the next commit.
    const bool dirty = selectionDirty_;
    model_->rebuildRows([&] { sortStore(doc_->results, column); });
    selectionDirty_ = dirty;
    updateGeometries();
    horizontalScrollBar()->setValue(x);
    verticalScrollBar()->setValue(y);
}

std::vector<RowRange> CDediDurarerView::selectedRowRanges() const {
    // Ranges rather than one index per row: Select All on a million rows is one range.
    // Ranges of a selection may overlap (a row selected twice); they are merged.
    std::vector<RowRange> ranges;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        ranges.push_back({range.top(), range.bottom()});
    std::sort(ranges.begin(), ranges.end(),
              [](const RowRange& a, const RowRange& b) { return a.first < b.first; });
    std::vector<RowRange> merged;
    for (const RowRange& range : ranges) {
        if (!merged.empty() && range.first <= merged.back().last + 1)
            merged.back().last = std::max(merged.back().last, range.last);
        else
            merged.push_back(range);
    }
    return merged;
}

std::vector<std::string> CDediDurarerView::collectSelection() const {
    std::vector<int> rows;
    for (const RowRange& range : selectedRowRanges()) {
        for (int row = range.first; row <= range.last; ++row)
            rows.push_back(row);
    }
    return model_->fullPaths(rows);
}

void CDediDurarerView::commitSelection() {
    if (!selectionDirty_ || !doc_)
        return;
    const WaitCursor wait;
    doc_->showContentsForRows(selectedRowRanges());
    selectionDirty_ = false;
}

void CDediDurarerView::removeFileRow(const std::string& fullPath) {
    model_->removeRowOfRemovedItem(fullPath);
}

void CDediDurarerView::selectAllFiles() {
    selectAll();
    commitSelection();
    activateInChildFrame();
}

void CDediDurarerView::activateInChildFrame() {
    CChildFrame* own = nullptr;
    for (QWidget* w = parentWidget(); w && !own; w = w->parentWidget())
        own = qobject_cast<CChildFrame*>(w);
    if (!own)
        return;
    // The message goes to the main frame's active child frame, which is normally the
    // one holding this view.
    CChildFrame* target = own;
    for (QWidget* w = own->parentWidget(); w; w = w->parentWidget()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w)) {
            if (QMdiArea* area = sub->mdiArea(); area && area->activeSubWindow()) {
                if (auto* active = qobject_cast<CChildFrame*>(area->activeSubWindow()->widget()))
                    target = active;
            }
            break;
        }
    }
    SearchEvent event(WM_ACTIVATE_VIEW);
    event.view = this;
    QCoreApplication::sendEvent(target, &event);
}

void CDediDurarerView::selectOnly(int row) {
    const QModelIndex index = model_->index(row, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    commitSelection();
}

void CDediDurarerView::openRow(int row) {
    selectOnly(row);
    const std::string path = model_->fullPath(row);
    if (path.empty())
        return;
    // A member of an archive opens as its extracted copy.
    const HandOver files = handOverFiles({path}, /*extract=*/true);
    // Never through a shell: the path goes to the desktop as a file URL.
    for (const std::string& given : files.paths)
        shellServices().openWithDefault(given);
}

HandOver CDediDurarerView::handOverFiles(const std::vector<std::string>& paths,
                                         bool extract) const {
    if (!doc_) {
        HandOver files;
        files.paths = files.shown = files.onDisk = paths;
        files.members.assign(paths.size(), false);
        return files;
    }
    return handOver(doc_->results, paths, extract);
}

void CDediDurarerView::forgetMissingFiles(const std::vector<std::string>& paths) {
    if (doc_)
        doc_->removeMissingFiles(paths);
    commitSelection();
}

bool CDediDurarerView::handleCommand(int commandId) {
    switch (commandId) {
        case ID_EDIT_COPY:
            copySelection();
            return true;
        case ID_DELETE:
            deleteSelection();
            return true;
        default:
            return false;
    }
}

bool CDediDurarerView::updateCommand(int commandId, CommandState& state) {
    if (commandId != ID_EDIT_COPY && commandId != ID_DELETE)
        return false;
    state.enabled = true;
    return true;
}

void CDediDurarerView::copySelection() {
    // With nothing selected the clipboard gets an empty source, replacing what it held.
    // Members go as their extracted copies, under their own paths as text.
    const WaitCursor wait;
    const HandOver files = handOverFiles(collectSelection(), /*extract=*/true);
    copyFilesToClipboard(files.paths, &files.shown);
}

void CDediDurarerView::deleteSelection() {
    // No wait cursor over the question: only the collection may take a while.
    std::vector<std::string> paths = collectSelectionWaiting();
    if (paths.empty())
        return;
    // Members of archives stay: only their archives can go.
    const HandOver files = handOverFiles(paths, /*extract=*/false);
    if (files.hasMembers) {
        paths.clear();
        for (std::size_t i = 0; i < files.shown.size(); ++i) {
            if (!files.members[i])
                paths.push_back(files.shown[i]);
        }
        if (paths.empty()) {
            showMessage(kMembersNotTrashed);
            return;
        }
    }
    FileDataSource source;
    source.fill(paths);
    source.deleteFiles(shellServices());
    forgetMissingFiles(paths);
}

void CDediDurarerView::showContextMenu(const QPoint& viewportPos, const QPoint& globalPos) {
    // The wait cursor is kept off the menu itself.
    const std::vector<std::string> paths = collectSelectionWaiting();
    const HandOver files = handOverFiles(paths, /*extract=*/false);
    if (paths.size() == 1) {
        // One file: only a click on a row shows its menu.
        const QModelIndex hit = indexAt(viewportPos);
        if (hit.isValid() && files.hasMembers) {
            selectOnly(hit.row());
            showMemberMenu(
                files.shown.front(), files.onDisk.front(),
                [&] {
                    const HandOver copy = handOverFiles(files.shown, /*extract=*/true);
                    return copy.paths.empty() ? std::string() : copy.paths.front();
                },
                globalPos, shellServices());
        } else if (hit.isValid()) {
            selectOnly(hit.row());
            showSingleFileMenu(model_->cellText(hit.row(), ResultsModel::kNameColumn),
                               model_->cellText(hit.row(), ResultsModel::kLocationColumn),
                               globalPos);
        }
    } else if (paths.size() > 1) {
        ShellFileMenu menu;
        if (files.hasMembers) {
            menu.setMembers([&] { return handOverFiles(paths, /*extract=*/true); }, files.onDisk);
        }
        if (menu.build(paths))
            menu.showAndRun(globalPos);
    }
    forgetMissingFiles(paths);
}

std::vector<std::string> CDediDurarerView::collectSelectionWaiting() const {
    const WaitCursor wait;
    return collectSelection();
}

void CDediDurarerView::mousePressEvent(QMouseEvent* event) {
    // A right click on an empty part keeps the selection: the menu is for the selected
    // files. On a row it selects the row unless the row is selected already.
    if (event->button() == Qt::RightButton && !indexAt(event->position().toPoint()).isValid()) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void CDediDurarerView::contextMenuEvent(QContextMenuEvent* event) {
    // A mouse's menu is shown on the right button's release; the menu key shows the
    // current row's, wherever the mouse is.
    event->accept();
    if (event->reason() != QContextMenuEvent::Keyboard || !currentIndex().isValid())
        return;
    const QPoint at = visualRect(currentIndex()).center();
    showContextMenu(at, viewport()->mapToGlobal(at));
}

void CDediDurarerView::startDrag(Qt::DropActions /*supportedActions*/) {
    const std::vector<std::string> paths = collectSelection();
    if (paths.empty())
        return;
    const HandOver files = handOverFiles(paths, /*extract=*/true);
    if (files.paths.empty())
        return;
    auto source = std::make_unique<FileDataSource>();
    source->fill(files.paths, &files.shown);
    FileDataSource::dragFrom(this, std::move(source));
}

void CDediDurarerView::customEvent(QEvent* event) {
    SearchEvent* message = SearchEvent::from(event);
    if (!message) {
        QTableView::customEvent(event);
        return;
    }
    message->result = 1;
    switch (message->message()) {
        case WM_SEARCH_NEWRESULTS:
            message->result = appendNewItems() ? 1 : 0;
            break;
        case WM_SEARCH_DONE:
            // A search that ran to its end is cleaned up from here.
            if (doc_)
                doc_->stopSearch();
            break;
        case WM_SEARCH_STARTED:
            removeAllRows();
            viewport()->repaint();
            break;
        case WM_SELECT_ALL_FILES:
            selectAllFiles();
            break;
        case WM_SORT_BY_NAME:
        case WM_SORT_BY_LOCATION:
        case WM_SORT_BY_SIZE:
        case WM_SORT_BY_TYPE:
        case WM_SORT_BY_MODIFIED:
            sortByColumn(sortColumnOf(message->message()));
            break;
        case WM_FILE_REMOVED:
            if (message->note())
                removeFileRow(message->note()->text);
            break;
        default:
            break;
    }
}

void CDediDurarerView::mouseReleaseEvent(QMouseEvent* event) {
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) {
        commitSelection();
    } else if (event->button() == Qt::RightButton) {
        // The menu comes with the release, as a list control's right click does.
        const QPoint at = event->position().toPoint();
        showContextMenu(at, viewport()->mapToGlobal(at));
    }
}

void CDediDurarerView::keyReleaseEvent(QKeyEvent* event) {
    QTableView::keyReleaseEvent(event);
    commitSelection();
}

void CDediDurarerView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        openRow(index.row());
}

}  // namespace scoutwell
