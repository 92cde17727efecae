#pragma once
// A grid of coloured cells with a fixed header row (row 0) and a fixed title
// column (column 0), addressed as (column, row) like the rest of the window.
// Mouse presses and moves are reported as points; the grid itself never edits,
// selects or toggles anything on its own.

#include <QColor>
#include <QPoint>
#include <QTableWidget>

namespace valdro::ui {

class ColourGrid : public QTableWidget {
    Q_OBJECT
  public:
    ColourGrid(int columns, int rows, int rowHeight, QWidget* parent = nullptr);

    // Background of a cell; invalid when none was ever set.
    QColor CellColour(int column, int row) const;
    void SetCellColour(int column, int row, const QColor& colour);
    QString CellText(int column, int row) const;
    void SetCellText(int column, int row, const QString& text);

    // The cell under a point of the viewport; (-1, -1) when the point lies on none.
    QPoint CellAt(const QPoint& viewportPos) const;
    // Rectangle of a cell in viewport coordinates.
    QRect CellRect(int column, int row) const;
    // Selects one cell, which becomes the current cell.
    void SelectCell(int column, int row);

    void SetRowCount(int rows);

    // Lets the keyboard reach the cells of `cells`: the arrows move a cursor of its
    // own (drawn as a frame; the selection is left alone) and Space or Enter asks
    // for the cell under it to be toggled.
    void SetKeyboardCells(const QRect& cells);
    QPoint KeyboardCell() const { return keyCell_; }

    // Number of colour writes so far: shows that painters skip unchanged cells.
    long ColourWrites() const { return colourWrites_; }

  signals:
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void MouseMove(QPoint pos);
    void KeyboardCellMoved(QPoint cell);  // column, row
    void KeyboardToggle(QPoint cell);     // column, row

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    QTableWidgetItem* ItemFor(int column, int row);
    void StyleFixedCell(int column, int row);

    long colourWrites_ = 0;
    QRect keyCells_;
    QPoint keyCell_{-1, -1};
};

}  // namespace valdro::ui
