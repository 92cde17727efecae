#include "ui/output_control_page.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <algorithm>

#include "ui/cell_colours.h"
#include "ui/colour_grid.h"
#include "ui/html_check_box.h"
#include "ui/release_tab_bar.h"

namespace valdro::ui {
namespace {

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int left, int top) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->move(left, top);
    l->adjustSize();
    return l;
}

QLineEdit* MakeReadOnlyEdit(QWidget* parent, const QString& name, const QRect& geometry) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setGeometry(geometry);
    return e;
}

}  // namespace

OutputControlPage::OutputControlPage(ConfigSet& config, std::function<int()> currentUnit,
                                     QWidget* parent)
    : QWidget(parent), config_(config), currentUnit_(std::move(currentUnit)) {
    setObjectName(QStringLiteral("OutputControlTabSheet"));

    panel2 = new QFrame(this);
    panel2->setObjectName(QStringLiteral("Panel2"));
    panel2->setGeometry(0, 0, 875, 41);
    MakeLabel(panel2, QStringLiteral("Label7"), QStringLiteral("Output Number"), 0, 4);
    outputTabs = new ReleaseTabBar(panel2);
    outputTabs->setObjectName(QStringLiteral("OutputMapNumberTabControl"));
    outputTabs->setGeometry(96, 0, 489, 33);
    outputTabs->setExpanding(false);
    outputTabs->setDrawBase(false);
    outputTabs->setUsesScrollButtons(false);
    for (int n = 1; n <= 16; ++n) {
        outputTabs->addTab(QString::number(n));
    }
    // Flat button-style tabs, 20 pixels wide; the selected one looks pressed.
    outputTabs->setStyleSheet(QStringLiteral(
        "QTabBar::tab { width: 20px; height: 21px; padding: 0px; margin: 4px 1px 0px 0px;"
        " border: 1px solid palette(dark); border-radius: 2px; background: palette(button); }"
        "QTabBar::tab:selected { background: palette(highlight); color: palette(highlighted-text);"
        " font-weight: bold; }"
        "QTabBar::tab:focus { border: 1px dotted palette(text); }"));
    outputTabs->setCurrentIndex(0);
    connect(outputTabs, &ReleaseTabBar::MouseUp, this,
            &OutputControlPage::OutputMapNumberTabControlMouseUp);

    inputMap = new ColourGrid(17, 10, 16, this);
    inputMap->setObjectName(QStringLiteral("InputMapAdvStringGrid"));
    inputMap->setGeometry(0, 41, 875, 176);
    inputMap->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    inputMap->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(inputMap, &ColourGrid::MouseMove, this,
            &OutputControlPage::InputMapAdvStringGridMouseMove);
    connect(inputMap, &ColourGrid::MouseDown, this,
            &OutputControlPage::InputMapAdvStringGridMouseDown);
    // The keyboard reaches the map cells as the mouse does.
    inputMap->SetKeyboardCells(QRect(1, 1, kIoCount, kUnitCount));
    connect(inputMap, &ColourGrid::KeyboardCellMoved, this, &OutputControlPage::ShowCellUnder);
    connect(inputMap, &ColourGrid::KeyboardToggle, this, &OutputControlPage::ToggleCell);

    MakeLabel(this, QStringLiteral("Label8"), QStringLiteral("Input Number"), 8, 236);
    positionEdit = MakeReadOnlyEdit(this, QStringLiteral("PositionEdit"), {97, 232, 73, 21});
    MakeLabel(this, QStringLiteral("Label9"), QStringLiteral("Device"), 200, 235);
    inputNumberEdit =
        MakeReadOnlyEdit(this, QStringLiteral("InputNumberEdit"), {248, 232, 185, 21});

    outputLatch = new HtmlCheckBox(HtmlCheckBox::TextSide::Right, this);
    outputLatch->setObjectName(QStringLiteral("OutputLatchHTMLCheckBox"));
    outputLatch->SetCaption(QStringLiteral("Latch Output"));
    outputLatch->setGeometry(8, 288, 98, 20);

    resetInputGroup = new QGroupBox(QStringLiteral("Reset Input"), this);
    resetInputGroup->setObjectName(QStringLiteral("ResetInputGroupBox"));
    resetInputGroup->setGeometry(8, 314, 224, 105);
    MakeLabel(resetInputGroup, QStringLiteral("Label11"), QStringLiteral("Device"), 16, 32);
    resetDevice = new QComboBox(resetInputGroup);
    resetDevice->setObjectName(QStringLiteral("ResetDeviceComboBox"));
    resetDevice->setEditable(true);
    // What is typed is looked up exactly: no completion, no list growing on Enter.
    resetDevice->setCompleter(nullptr);
    resetDevice->setInsertPolicy(QComboBox::NoInsert);
    resetDevice->setGeometry(62, 32, 113, 21);
    MakeLabel(resetInputGroup, QStringLiteral("Label12"), QStringLiteral("Input"), 22, 64);
    resetInput = new QSpinBox(resetInputGroup);
    resetInput->setObjectName(QStringLiteral("ResetInputCSpinEdit"));
    resetInput->setRange(1, 16);
    resetInput->setValue(1);
    resetInput->setGeometry(62, 59, 52, 22);
}

QString OutputControlPage::UnitName(int u) const {
    return QString::fromStdString(config_.Unit(u).DeviceName());
}

void OutputControlPage::LoadOutputPage() {
    currentOutput_ = outputTabs->currentIndex();
    const int unit = currentUnit_();
    for (int s = 0; s < kUnitCount; ++s) {
        for (int k = 0; k < kIoCount; ++k) {
            inputMap->SetCellColour(
                k + 1, s + 1,
                config_.Cell(unit, s, currentOutput_, k) ? kMappedColour : kUnmappedColour);
        }
    }
    const ConstUnitRecord rec = std::as_const(config_).Unit(unit);
    outputLatch->SetChecked(rec.OutputLatch(currentOutput_));
    // Only a data file can hold an input outside 0..15; the box shows the nearest
    // one, and the arithmetic must not overflow on a value such as INT32_MAX.
    resetInput->setValue(std::clamp(rec.ResetInput(currentOutput_), 0, kIoCount - 1) + 1);
    // A reset device outside 0..8 can only come from a data file: show no name
    // rather than read past the nine units.
    const std::int32_t device = rec.ResetDevice(currentOutput_);
    resetDevice->setEditText(IsValidUnitIndex(device) ? UnitName(device) : QString());
}

void OutputControlPage::StoreOutputPage() {
    const int unit = currentUnit_();
    for (int s = 0; s < kUnitCount; ++s) {
        for (int k = 0; k < kIoCount; ++k) {
            config_.SetCell(unit, s, currentOutput_, k,
                            inputMap->CellColour(k + 1, s + 1) == kMappedColour);
        }
    }
    UnitRecord rec = config_.Unit(unit);
    rec.SetOutputLatch(currentOutput_, outputLatch->IsChecked());
    const int d = FindUnitByName(config_, resetDevice->currentText());
    if (d >= 0) {
        rec.SetResetDevice(currentOutput_, d);
    }
    rec.SetResetInput(currentOutput_, resetInput->value() - 1);
}

int OutputControlPage::FindUnitByName(const ConfigSet& config, const QString& text) {
    for (int u = 0; u < kUnitCount; ++u) {
        if (QString::fromStdString(config.Unit(u).DeviceName()) == text) {
            return u;
        }
    }
    return -1;
}

void OutputControlPage::RefreshMapRowTitles() {
    inputMap->SelectCell(0, 0);
    for (int u = 0; u < kUnitCount; ++u) {
        inputMap->SetCellText(0, u + 1, UnitName(u));
    }
}

void OutputControlPage::RefreshResetDeviceList() {
    const QString text = resetDevice->currentText();
    resetDevice->clear();
    resetDevice->addItem(UnitName(0));
    for (int u = 1; u < kUnitCount; ++u) {
        if (std::as_const(config_).Unit(u).SlaveEnabled()) {
            resetDevice->addItem(UnitName(u));
        }
    }
    resetDevice->setEditText(text);
}

void OutputControlPage::OutputMapNumberTabControlMouseUp() {
    StoreOutputPage();
    LoadOutputPage();
}

void OutputControlPage::InputMapAdvStringGridMouseMove(QPoint pos) {
    ShowCellUnder(inputMap->CellAt(pos));
}

void OutputControlPage::ShowCellUnder(QPoint cell) {
    if (cell.x() <= 0 || cell.y() <= 0) {
        positionEdit->setText(QString());
        inputNumberEdit->setText(QString());
        return;
    }
    positionEdit->setText(QString::number(cell.x()));
    inputNumberEdit->setText(UnitName(cell.y() - 1));
}

void OutputControlPage::InputMapAdvStringGridMouseDown(Qt::MouseButton /*button*/,
                                                       Qt::KeyboardModifiers /*modifiers*/,
                                                       QPoint pos) {
    // Any button toggles; the selection stays parked on the corner cell.
    inputMap->SelectCell(0, 0);
    ToggleCell(inputMap->CellAt(pos));
}

void OutputControlPage::ToggleCell(QPoint cell) {
    const int c = cell.x();
    const int r = cell.y();
    if (c < 1 || c > kIoCount || r < 1 || r > kUnitCount) {
        return;
    }
    inputMap->SetCellColour(
        c, r, inputMap->CellColour(c, r) == kMappedColour ? kUnmappedColour : kMappedColour);
    inputMap->SelectCell(0, 0);
}

}  // namespace valdro::ui
