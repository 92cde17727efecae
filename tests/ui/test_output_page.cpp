// The Output Control page: map cells by mouse and keyboard, the output tabs,
// latch and reset input, the device list, each reaching the record.
#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

#include "ui/html_check_box.h"
#include "ui/output_control_page.h"
#include "ui/release_tab_bar.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

// Space, Enter or any mouse button toggles a map cell and nothing else (not the
// titles, the header or outside); the keyboard cursor keeps to the map cells and
// goes on from the cell last pressed; the selection stays parked on the corner;
// the cell under the cursor or mouse is named.
TEST_F(WindowTest, MapCellsToggleByKeyboardAndMouseOnly) {
    ShowPage(1);
    ColourGrid* g = form->outputPage()->inputMap;
    auto names = [&] { return Text("PositionEdit") + u'|' + Text("InputNumberEdit"); };
    g->setFocus();
    for (Qt::Key k : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Down, Qt::Key_Space}) {
        QTest::keyClick(g, k);
    }
    EXPECT_EQ(names(), u"3|Slave 1"_s);
    for (Qt::Key k : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Left, Qt::Key_Left, Qt::Key_Return}) {
        QTest::keyClick(g, k);
    }
    PressCell(5, 4, Qt::RightButton);
    QTest::keyClick(g, Qt::Key_Right);
    QTest::keyClick(g, Qt::Key_Enter);
    const QPoint last = g->CellRect(16, 9).center();
    for (QPoint p : {g->CellRect(5, 0).center(), g->CellRect(0, 4).center(), last + QPoint(40, 0),
                     last + QPoint(0, 20)}) {
        QTest::mouseClick(g->viewport(), Qt::MiddleButton, {}, p);
        QTest::mouseMove(g->viewport(), p);
        EXPECT_EQ(names(), u"|"_s);
    }
    QTest::mouseMove(g->viewport(), last);
    EXPECT_EQ(names(), u"16|Slave 8"_s);
    QString rows;
    for (int r = 1; r <= 9; ++r) {
        rows += Colours(g, r).replace(QString(16, u'G'), u"g"_s) + u' ';
    }
    EXPECT_EQ(rows, u"RGGGGGGGGGGGGGGG GGRGGGGGGGGGGGGG g GGGGRRGGGGGGGGGG g g g g g "_s);
    EXPECT_EQ(std::pair(g->currentColumn(), g->currentRow()), std::pair(0, 0));
    EXPECT_FALSE(C().Cell(0, 3, 0, 5));
    form->StorePage();
    EXPECT_TRUE(C().Cell(0, 0, 0, 0) && C().Cell(0, 1, 0, 2) && C().Cell(0, 3, 0, 5));
}

// A release over an output tab stores the output shown (cells, latch, reset input
// and device) and loads the new one; a keyboard change alone loads nothing; a unit
// switch keeps the tab. The device list holds the Master and the enabled Slaves
// by their names of the moment; a typed name resolves exactly (the lower unit for
// a duplicate) and text naming no unit keeps the device. Values only a file holds
// show the nearest input, or no device name, and are kept on storing.
TEST_F(WindowTest, EachOutputKeepsItsCellsLatchAndResetInput) {
    ClickUnit(3);
    Type("DeviceNameEdit", "Pump");
    QTest::mouseClick(W<HtmlCheckBox>("SlaveEnabledHTMLCheckBox")->Box(), Qt::LeftButton);
    Unit(7).SetSlaveEnabled(true);
    Unit(2).SetDeviceName("Twin");
    Unit(5).SetDeviceName("Twin");
    ShowPage(1);
    ReleaseTabBar* tabs = form->outputPage()->outputTabs;
    auto* latch = W<HtmlCheckBox>("OutputLatchHTMLCheckBox");
    auto* input = W<QSpinBox>("ResetInputCSpinEdit");
    auto* device = W<QComboBox>("ResetDeviceComboBox");
    auto shown = [&] {
        QString s = Colours(form->outputPage()->inputMap, 4) + u'|' + device->currentText();
        for (int i = 0; i < device->count(); ++i) {
            s += u',' + device->itemText(i);
        }
        return s + u"|%1|%2"_s.arg(latch->IsChecked()).arg(input->value());
    };
    const QString fresh = u"GGGGGGGGGGGGGGGG|Master,Master,Pump,Slave 7|0|1"_s;
    EXPECT_EQ(shown(), fresh);
    PressCell(2, 4);
    QTest::mouseClick(latch->Box(), Qt::LeftButton);
    input->setValue(16);
    for (const auto& [text, stored] :
         {std::pair{"Slave 6", 6}, {"Nobody", 6}, {"slave 1", 6}, {"Twin", 2}, {"Pump", 3}}) {
        device->setEditText(QString::fromLatin1(text));
        form->StorePage();
        EXPECT_EQ(C().Unit(3).ResetDevice(0), stored) << text;
    }
    tabs->setFocus();
    QTest::keyClick(tabs, Qt::Key_Right);
    EXPECT_EQ(form->CurrentOutput(), 0);
    ClickOutputTab(1);
    EXPECT_EQ(form->CurrentOutput(), 1);
    EXPECT_EQ(shown(), fresh);
    ClickUnit(0);
    ClickUnit(3);
    EXPECT_EQ(form->CurrentOutput(), 1);
    ClickOutputTab(0);
    EXPECT_TRUE(C().Cell(3, 3, 0, 1) && C().Unit(3).OutputLatch(0));
    EXPECT_EQ(C().Unit(3).ResetInput(0), 15);
    EXPECT_EQ(shown(), u"GRGGGGGGGGGGGGGG|Pump,Master,Pump,Slave 7|1|16"_s);
    for (const auto& [file, input1, name] :
         {std::tuple{INT32_MAX, 16, "Slave 4"}, {-1, 1, ""}, {INT32_MIN, 1, ""}}) {
        Unit(3).SetResetInput(0, file);
        Unit(3).SetResetDevice(0, name[0] ? 4 : file);
        form->ShowUnit();
        EXPECT_EQ(input->value(), input1);
        EXPECT_EQ(device->currentText(), QString::fromLatin1(name));
        form->StorePage();
        EXPECT_EQ(C().Unit(3).ResetDevice(0), name[0] ? 4 : file);
    }
}

}  // namespace
}  // namespace valdro::ui::test
