#pragma once
// The "Status" page: two grids, outputs above inputs, one row per monitored unit,
// red = set, green = clear, grey = the unit reports no state. It only draws; the
// device link decides when to connect, poll and fetch names.

#include <QWidget>
#include <array>
#include <string>

#include "device/status_record.h"

class QLabel;
class QPushButton;

namespace valdro::ui {

class ColourGrid;

class StatusPage : public QWidget {
    Q_OBJECT
  public:
    explicit StatusPage(QWidget* parent = nullptr);

    // Monitoring off: caption "Connect"; grids and labels hidden.
    void ShowIdle();
    // Monitoring on: caption "Disconnect"; grids and labels shown.
    void ShowConnected();
    // Repaints the grids from one record: one unit row or nine.
    void PaintStatus(const StatusRecord& record);
    void ShowSingleUnitStatus(const StatusRecord& record);
    void ShowAllUnitsStatus(const StatusRecord& record);
    // 1: row 1 from names[0]; 2: rows 1..9 from names[0..8]; anything else: nothing.
    // The names are 8-bit text (Windows-1252), as the unit sends them.
    void SetStatusRowTitles(int which, const std::array<std::string, 9>& names);

    QLabel* outputStatusLabel;
    ColourGrid* outputStatus;
    QLabel* inputStatusLabel;
    ColourGrid* inputStatus;
    QPushButton* connectButton;

  private:
    void PaintRow(int row, const UnitIoState& unit);
};

}  // namespace valdro::ui
