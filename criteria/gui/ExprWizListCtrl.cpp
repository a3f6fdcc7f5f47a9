#include "criteria/gui/ExprWizListCtrl.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>

#include "engine/Messages.h"
#include "platform/qt/ByteText.h"

namespace scoutwell {
namespace {

constexpr const char* kColumnTitles[] = {"Followed by", "Text", "Occurs"};
// The point a drop is judged by lies this far below the mouse, so that the upper part of
// a row inserts before it.
constexpr int kDropProbeOffset = 10;
constexpr int kIndicatorLength = 20;
constexpr int kIndicatorPenWidth = 2;
constexpr QPoint kDragHotSpot{8, 8};

}  // namespace

ExprWizListCtrl::ExprWizListCtrl(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false);
    setColumnCount(3);
    QStringList titles;
    for (const char* title : kColumnTitles)
        titles << QString::fromLatin1(title);
    setHeaderLabels(titles);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The type and occurrence columns are as wide as their longest entry; the typed text
    // takes the rest of the list's width.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header()->setSectionResizeMode(1, QHeaderView::Stretch);
    header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ExprWizListCtrl::selectionChangedInView);
}

void ExprWizListCtrl::setRowTexts(QTreeWidgetItem* row, const ExpressionItem& item) {
    row->setText(0, qStringFromBytes(item.typeName));
    row->setText(1, qStringFromBytes(item.text));
    row->setText(2, qStringFromBytes(item.occurrenceName));
}

bool ExprWizListCtrl::insertItem(int row, const ExpressionItem& item) {
    if (row < 0 || row > count()) {
        showMessage(kInvalidInsertRow);
        return false;
    }
    items_.insert(items_.begin() + row, item);
    auto* line = new QTreeWidgetItem;
    setRowTexts(line, item);
    insertTopLevelItem(row, line);
    clearSelection();
    setFocusedRow(row);
    return true;
}

void ExprWizListCtrl::removeAll() {
    clear();
    items_.clear();
}

bool ExprWizListCtrl::modifySelected(const ExpressionItem& item) {
    const int row = selectedRow();
    if (row < 0)
        return false;
    items_[static_cast<std::size_t>(row)] = item;
    setRowTexts(topLevelItem(row), item);
    return true;
}

bool ExprWizListCtrl::deleteSelected() {
    const int row = selectedRow();
    if (row < 0)
        return false;
    // The view would select the row that takes the deleted one's place; it only gets the
    // focus.
    reorganising_ = true;
    items_.erase(items_.begin() + row);
    delete takeTopLevelItem(row);
    clearSelection();
    reorganising_ = false;
    if (count() > 0)
        setFocusedRow(std::min(row, count() - 1));
    emit rowSelectionChanged(row, false);
    return true;
}

void ExprWizListCtrl::appendItemsTo(ExpressionModel& model) const {
    model.appendAll(items_);
}

bool ExprWizListCtrl::hasSelection() const {
    return selectedRow() >= 0;
}

int ExprWizListCtrl::selectedRow() const {
    const QList<QTreeWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.front());
}

int ExprWizListCtrl::focusedRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

void ExprWizListCtrl::setFocusedRow(int row) {
    selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::NoUpdate);
}

void ExprWizListCtrl::selectionChangedInView(const QItemSelection& selected,
                                             const QItemSelection& deselected) {
    if (reorganising_)
        return;
    for (const QModelIndex& index : deselected.indexes())
        if (index.column() == 0)
            emit rowSelectionChanged(index.row(), false);
    for (const QModelIndex& index : selected.indexes())
        if (index.column() == 0)
            emit rowSelectionChanged(index.row(), true);
}

std::optional<int> ExprWizListCtrl::dropTarget(const QPoint& viewportPoint) const {
    if (viewport()->rect().contains(viewportPoint)) {
        const QModelIndex below = indexAt(viewportPoint + QPoint(0, kDropProbeOffset));
        if (below.isValid())
            return below.row();
        if (viewportPoint.x() <= 0 || viewportPoint.y() <= 0)
            return std::nullopt;
        const QModelIndex top = indexAt(QPoint(0, 0));
        const int rowHeight = count() > 0 ? visualRect(model()->index(0, 0)).height() : 0;
        const int perPage = rowHeight > 0 ? viewport()->height() / rowHeight : 0;
        if (count() > perPage)
            return (top.isValid() ? top.row() : 0) + perPage;
        return count();
    }
    const QPoint inList = viewport()->mapTo(this, viewportPoint);
    if (header()->isVisible() && header()->geometry().contains(inList)) {
        const QModelIndex top = indexAt(QPoint(0, 0));
        return top.isValid() ? top.row() : 0;
    }
    return std::nullopt;
}

void ExprWizListCtrl::mousePressEvent(QMouseEvent* event) {
    QTreeWidget::mousePressEvent(event);
    pressedRow_ = -1;
    if (event->button() == Qt::LeftButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid()) {
            pressedRow_ = index.row();
            pressedAt_ = event->position().toPoint();
        }
    }
}

void ExprWizListCtrl::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (dragging_) {
        moveDrag(at);
        return;
    }
    if (pressedRow_ >= 0 && (event->buttons() & Qt::LeftButton)) {
        // The row stays where it is until the mouse has really moved.
        if ((at - pressedAt_).manhattanLength() >= QApplication::startDragDistance())
            beginDrag(pressedRow_, at);
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void ExprWizListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    pressedRow_ = -1;
    if (dragging_ && event->button() == Qt::LeftButton) {
        endDrag(event->position().toPoint());
        setState(QAbstractItemView::NoState);
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void ExprWizListCtrl::beginDrag(int row, const QPoint& at) {
    const QRect rowRect = visualRect(model()->index(row, 0))
                              .united(visualRect(model()->index(row, columnCount() - 1)));
    const QPixmap image = viewport()->grab(rowRect);
    if (image.isNull()) {
        pressedRow_ = -1;
        showMessage(kCreateDragImageFailed);
        return;
    }
    draggedRow_ = row;
    dragging_ = true;
    dragImage_ = new QLabel(viewport());
    dragImage_->setPixmap(image);
    dragImage_->setAttribute(Qt::WA_TransparentForMouseEvents);
    dragImage_->resize(image.size() / image.devicePixelRatio());
    dragImage_->move(at - kDragHotSpot);
    dragImage_->show();
    moveDrag(at);
}

void ExprWizListCtrl::moveDrag(const QPoint& at) {
    if (dragImage_)
        dragImage_->move(at - kDragHotSpot);
    eraseIndicator();
    const std::optional<int> target = dropTarget(at);
    if (!target)
        return;
    QPoint origin;
    if (*target < count()) {
        origin = visualRect(model()->index(*target, 0)).topLeft();
    } else if (count() > 0) {
        const QRect last = visualRect(model()->index(count() - 1, 0));
        origin = QPoint(last.left(), last.bottom() + 1);
    }
    indicatorLine_ = QLine(origin, origin + QPoint(kIndicatorLength, 0));
    const int y = origin.y();
    indicatorRect_ =
        QRect(QPoint(0, y < 3 ? 0 : y - 2), QPoint(origin.x() + kIndicatorLength + 2, y + 2));
    viewport()->update(indicatorRect_);
}

void ExprWizListCtrl::eraseIndicator() {
    if (!indicatorLine_)
        return;
    indicatorLine_.reset();
    viewport()->update(indicatorRect_);
    indicatorRect_ = QRect();
}

void ExprWizListCtrl::endDrag(const QPoint& at) {
    dragging_ = false;
    delete dragImage_;
    dragImage_ = nullptr;
    const std::optional<int> target = dropTarget(at);
    eraseIndicator();
    const int from = draggedRow_;
    draggedRow_ = -1;
    if (!target || from < 0 || from >= count())
        return;
    moveRow(from, *target);
    emit rowMoved();
}

void ExprWizListCtrl::moveRow(int from, int to) {
    // A row dropped onto itself stays as it is.
    if (to == from)
        return;
    reorganising_ = true;
    QTreeWidgetItem* original = topLevelItem(from);
    const bool selected = original->isSelected();
    const bool focused = focusedRow() == from;
    const ExpressionItem moved = items_[static_cast<std::size_t>(from)];
    items_.insert(items_.begin() + to, moved);
    auto* copy = original->clone();
    insertTopLevelItem(to, copy);
    if (to < from)
        ++from;
    items_.erase(items_.begin() + from);
    delete takeTopLevelItem(from);
    // The copy keeps the states the dragged row had.
    copy->setSelected(selected);
    if (focused)
        setFocusedRow(indexOfTopLevelItem(copy));
    reorganising_ = false;
}

void ExprWizListCtrl::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    if (!indicatorLine_)
        return;
    QPainter painter(viewport());
    painter.setPen(QPen(Qt::black, kIndicatorPenWidth, Qt::SolidLine));
    painter.drawLine(*indicatorLine_);
}

}  // namespace scoutwell
