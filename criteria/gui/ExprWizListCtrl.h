// The "Followed by" list of the Expression Wizard: one row per item, in order, with the
// columns "Followed by", "Text" and "Occurs", reordered by dragging a row with the mouse.
// Next to its rows it keeps the items themselves, row i showing item i.
//
//   list->insertItem(list->count(), item);   // append
//   list->appendItemsTo(model);              // the items in row order
//
// Exercised by tests/gui/ExprWizardTest.cpp.
#pragma once

#include <QRect>
#include <QTreeWidget>
#include <optional>
#include <vector>

#include "criteria/core/ExpressionModel.h"

class QLabel;

namespace scoutwell {

inline constexpr const char* kInvalidInsertRow = "Invalid row used in insertItem";
inline constexpr const char* kCreateDragImageFailed = "Problem with CreateDragImage";

class ExprWizListCtrl : public QTreeWidget {
    Q_OBJECT

  public:
    explicit ExprWizListCtrl(QWidget* parent = nullptr);

    int count() const { return static_cast<int>(items_.size()); }
    const std::vector<ExpressionItem>& items() const { return items_; }

    // Inserts `item` at `row` (at most count()); the new row gets the focus but not the
    // selection, and no other row keeps either. A larger row shows a message and adds
    // nothing.
    bool insertItem(int row, const ExpressionItem& item);
    void removeAll();
    // Replace or delete the selected row and its item; false without a selection.
    bool modifySelected(const ExpressionItem& item);
    bool deleteSelected();
    void appendItemsTo(ExpressionModel& model) const;

    bool hasSelection() const;
    int selectedRow() const;
    int focusedRow() const;

    // Where a dragged row would land for a point in the list's viewport: the row it would
    // be inserted before (count() for after the last), or nothing.
    std::optional<int> dropTarget(const QPoint& viewportPoint) const;
    bool dragging() const { return dragging_; }
    // The area of the drop indicator last drawn; empty when none is shown.
    QRect indicatorRect() const { return indicatorRect_; }

  signals:
    // The user (not the list reorganising itself) selected or deselected a row.
    void rowSelectionChanged(int row, bool selected);
    // A drop moved a row.
    void rowMoved();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void setRowTexts(QTreeWidgetItem* row, const ExpressionItem& item);
    void selectionChangedInView(const QItemSelection& selected, const QItemSelection& deselected);
    void setFocusedRow(int row);
    void beginDrag(int row, const QPoint& at);
    void moveDrag(const QPoint& at);
    void endDrag(const QPoint& at);
    void eraseIndicator();
    void moveRow(int from, int to);

    std::vector<ExpressionItem> items_;
    bool reorganising_ = false;
    // The row under a press of the left button, until the button is released.
    int pressedRow_ = -1;
    QPoint pressedAt_;
    bool dragging_ = false;
    int draggedRow_ = -1;
    QLabel* dragImage_ = nullptr;
    QRect indicatorRect_;
    std::optional<QLine> indicatorLine_;
};

}  // namespace scoutwell
