#include "ui/colour_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace valdro::ui {
namespace {

// The selection is parked on the fixed corner cell, so no highlight or focus
// frame is ever drawn: a cell's colour is its state and must stay readable.
// The keyboard cursor is a frame of its own, drawn only while the grid has focus.
class PlainCellDelegate : public QStyledItemDelegate {
  public:
    explicit PlainCellDelegate(ColourGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        QStyledItemDelegate::paint(painter, plain, index);
        if (grid_->hasFocus() && grid_->KeyboardCell() == QPoint(index.column(), index.row())) {
            painter->save();
            painter->setPen(QPen(option.palette.color(QPalette::WindowText), 2, Qt::DotLine));
            painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
            painter->restore();
        }
    }

  private:
    ColourGrid* grid_;
};

}  // namespace

ColourGrid::ColourGrid(int columns, int rows, int rowHeight, QWidget* parent)
    : QTableWidget(rows, columns, parent) {
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultSectionSize(30);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    setShowGrid(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setItemDelegate(new PlainCellDelegate(this));
    setFocusPolicy(Qt::NoFocus);
    viewport()->setMouseTracking(true);
    for (int c = 0; c < columns; ++c) {
        StyleFixedCell(c, 0);
    }
    for (int r = 1; r < rows; ++r) {
        StyleFixedCell(0, r);
    }
}

QTableWidgetItem* ColourGrid::ItemFor(int column, int row) {
    QTableWidgetItem* it = item(row, column);
    if (it == nullptr) {
        it = new QTableWidgetItem;
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row, column, it);
    }
    return it;
}

void ColourGrid::StyleFixedCell(int column, int row) {
    QTableWidgetItem* it = ItemFor(column, row);
    QFont bold = font();
    bold.setBold(true);
    it->setFont(bold);
    it->setTextAlignment(column == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    it->setBackground(palette().button());
}

QColor ColourGrid::CellColour(int column, int row) const {
    const QTableWidgetItem* it = item(row, column);
    if (it == nullptr || it->background().style() == Qt::NoBrush) {
        return {};
    }
    return it->background().color();
}

void ColourGrid::SetCellColour(int column, int row, const QColor& colour) {
    if (column < 0 || row < 0 || column >= columnCount() || row >= rowCount()) {
        return;
    }
    ++colourWrites_;
    ItemFor(column, row)->setBackground(colour);
}

QString ColourGrid::CellText(int column, int row) const {
    const QTableWidgetItem* it = item(row, column);
    return it == nullptr ? QString() : it->text();
}

void ColourGrid::SetCellText(int column, int row, const QString& text) {
    if (column < 0 || row < 0 || column >= columnCount() || row >= rowCount()) {
        return;
    }
    ItemFor(column, row)->setText(text);
}

QPoint ColourGrid::CellAt(const QPoint& viewportPos) const {
    const int c = columnAt(viewportPos.x());
    const int r = rowAt(viewportPos.y());
    if (c < 0 || r < 0) {
        return {-1, -1};
    }
    return {c, r};
}

QRect ColourGrid::CellRect(int column, int row) const {
    return {columnViewportPosition(column), rowViewportPosition(row), columnWidth(column),
            rowHeight(row)};
}

void ColourGrid::SelectCell(int column, int row) {
    if (column < columnCount() && row < rowCount()) {
        setCurrentCell(row, column, QItemSelectionModel::ClearAndSelect);
    }
}

void ColourGrid::SetRowCount(int rows) {
    const int before = rowCount();
    setRowCount(rows);
    for (int r = before; r < rows; ++r) {
        StyleFixedCell(0, r);
    }
}

void ColourGrid::mousePressEvent(QMouseEvent* event) {
    // The keyboard goes on from the cell last pressed.
    const QPoint cell = CellAt(event->position().toPoint());
    if (keyCells_.contains(cell)) {
        keyCell_ = cell;
        setFocus(Qt::MouseFocusReason);
    }
    emit MouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void ColourGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is a press like the first.
    emit MouseDown(event->button(), event->modifiers(), event->position().toPoint());
}

void ColourGrid::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event->position().toPoint());
}

void ColourGrid::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void ColourGrid::SetKeyboardCells(const QRect& cells) {
    keyCells_ = cells;
    keyCell_ = cells.topLeft();
    setFocusPolicy(Qt::StrongFocus);
    setTabKeyNavigation(false);
}

void ColourGrid::keyPressEvent(QKeyEvent* event) {
    if (keyCells_.isEmpty()) {
        event->ignore();
        return;
    }
    QPoint next = keyCell_;
    switch (event->key()) {
        case Qt::Key_Left:
            next.rx() -= 1;
            break;
        case Qt::Key_Right:
            next.rx() += 1;
            break;
        case Qt::Key_Up:
            next.ry() -= 1;
            break;
        case Qt::Key_Down:
            next.ry() += 1;
            break;
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            emit KeyboardToggle(keyCell_);
            return;
        default:
            event->ignore();  // Tab and the rest go on to the window
            return;
    }
    if (keyCells_.contains(next)) {
        keyCell_ = next;
        scrollToItem(ItemFor(next.x(), next.y()));
        viewport()->update();
        emit KeyboardCellMoved(keyCell_);
    }
}

void ColourGrid::focusInEvent(QFocusEvent* event) {
    // The base class would move the current cell; the selection stays where it is.
    QWidget::focusInEvent(event);
    viewport()->update();
    if (!keyCells_.isEmpty()) {
        emit KeyboardCellMoved(keyCell_);
    }
}

void ColourGrid::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    viewport()->update();
}

}  // namespace valdro::ui
