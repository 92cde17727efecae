#pragma once
// The "Output Control" page: for the unit on screen and one output at a time, the
// input map (a grid of nine unit rows by sixteen input columns, red = the input
// drives the output, green = it does not), the latch flag and the reset input.
// The grid's colours are the editing state until StoreOutputPage copies them back.

#include <QPoint>
#include <QWidget>
#include <functional>

#include "config/config_set.h"

class QComboBox;
class QFrame;
class QGroupBox;
class QLineEdit;
class QSpinBox;

namespace valdro::ui {

class ColourGrid;
class HtmlCheckBox;
class ReleaseTabBar;

class OutputControlPage : public QWidget {
    Q_OBJECT
  public:
    // config is the live configuration; currentUnit reads the window's CurrentUnit.
    OutputControlPage(ConfigSet& config, std::function<int()> currentUnit,
                      QWidget* parent = nullptr);

    int CurrentOutput() const { return currentOutput_; }

    // Takes the selected output tab as CurrentOutput and fills the page from it.
    void LoadOutputPage();
    // Writes the page into output CurrentOutput (the one loaded last) of CurrentUnit.
    void StoreOutputPage();
    void RefreshMapRowTitles();
    void RefreshResetDeviceList();
    // The lowest UnitIndex whose name is exactly text, or -1.
    static int FindUnitByName(const ConfigSet& config, const QString& text);

    // Event handlers.
    void OutputMapNumberTabControlMouseUp();
    void InputMapAdvStringGridMouseMove(QPoint pos);
    void InputMapAdvStringGridMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                        QPoint pos);

    QFrame* panel2;
    ReleaseTabBar* outputTabs;
    ColourGrid* inputMap;
    QLineEdit* positionEdit;
    QLineEdit* inputNumberEdit;
    HtmlCheckBox* outputLatch;
    QGroupBox* resetInputGroup;
    QComboBox* resetDevice;
    QSpinBox* resetInput;

  private:
    QString UnitName(int u) const;
    // Shows the input number and unit name of a cell, or nothing off the map cells.
    void ShowCellUnder(QPoint cell);
    void ToggleCell(QPoint cell);

    ConfigSet& config_;
    std::function<int()> currentUnit_;
    int currentOutput_ = 0;
};

}  // namespace valdro::ui
