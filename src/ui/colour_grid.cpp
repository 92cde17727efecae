#include "colour_grid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyledItemDelegate>

namespace valdro::ui {
namespace {

// The selection is parked on the fixed corner cell, so no highlight or focus
// frame is ever drawn: a cell's colour is its state and must stay readable.
class PlainCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem plain(option);
        plain.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
        QStyledItemDelegate::paint(painter, plain, index);
    }
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

}  // namespace valdro::ui
