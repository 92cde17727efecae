// The General and Output Control pages, edited through their controls, reaching
// the record.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>

#include "ui/html_check_box.h"
#include "ui/output_control_page.h"
#include "ui/release_tab_bar.h"
#include "ui/unit_selector.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

// Every release over the unit strip (any button, switching or not) and a keyboard
// change store into the unit on screen, then show the new one; typing alone
// changes nothing. The Slave box and the download button follow each other at
// once, the record when stored; the button names the unit as it is typed.
TEST_F(WindowTest, UnitSwitchStoresIntoTheUnitOnScreenThenShowsTheNewOne) {
    auto* download = W<QPushButton>("DownloadButton");
    auto* slave = W<HtmlCheckBox>("SlaveEnabledHTMLCheckBox");
    Type("DeviceNameEdit", "Alpha");
    EXPECT_EQ(C().Unit(0).DeviceName(), "Master");
    ClickUnit(3, Qt::RightButton);  // stores and shows, stays on the Master
    EXPECT_EQ(C().Unit(0).DeviceName(), "Alpha");
    ClickUnit(2);
    EXPECT_EQ(Text("IPAddr4Edit") + u'|' + download->text(), u"8|Download to ORVELIX Slave 2"_s);
    EXPECT_FALSE(download->isEnabled());
    QTest::mouseClick(slave->Box(), Qt::LeftButton);
    EXPECT_TRUE(download->isEnabled());
    EXPECT_EQ(slave->Caption(), u"<FONT bgcolor=\"#00FF00\">Slave Enabled</FONT>"_s);
    EXPECT_FALSE(C().Unit(2).SlaveEnabled());
    form->unitSelector()->setFocus();
    QTest::keyClick(form->unitSelector(), Qt::Key_Right);
    EXPECT_TRUE(C().Unit(2).SlaveEnabled());
    EXPECT_EQ(form->CurrentUnit(), 3);
    EXPECT_FALSE(download->isEnabled());
    QTest::keyClick(W("DeviceNameEdit"), Qt::Key_A);
    EXPECT_EQ(download->text(), u"Download to ORVELIX Slave 3a"_s);
    EXPECT_TRUE(dialogs.log.isEmpty());
}

// Each row takes plain decimal octets and stops at its first bad one with its own
// message (the octets before it stored, the rest kept); out of range is refused,
// not cut to eight bits; an empty box is 0 for the DNS row only.
TEST_F(WindowTest, AddressRowsStopAtTheFirstBadOctet) {
    const std::pair<const char*, const char*> rows[] = {
        // boxes, message
        {"IPAddr%1Edit", "Invalid IP Address"},
        {"GateWayAddr%1Edit", "Invalid Gateway Address"},
        {"SubMaskAddr%1Edit", "Invalid Subnet Mask"},
        {"DNSAddressEdit%1", "Invalid DNS Address"}};
    for (const auto& [boxes, message] : rows) {
        // Types the row, stores the page: what the boxes show next, and the messages.
        auto store = [&, boxes = boxes](std::array<const char*, 4> texts) {
            for (int n = 0; n < 4; ++n) {
                Type(QString::fromLatin1(boxes).arg(n + 1).toStdString().c_str(), texts[n]);
            }
            dialogs.log.clear();
            ClickUnit(0);
            QString got;
            for (int n = 1; n <= 4; ++n) {
                got += Text(QString::fromLatin1(boxes).arg(n).toStdString().c_str()) + u'.';
            }
            return got + dialogs.Errors().join(u',');
        };
        const QString error = QString::fromLatin1(message);
        EXPECT_EQ(store({"255", " 7 ", "+5", "-0"}), u"255.7.5.0."_s);
        for (const char* bad : {"256", "-1", "0x1", "1 2", "1e2", "++1", "1.0"}) {
            EXPECT_EQ(store({"10", bad, "7", "9"}), u"10.7.5.0."_s + error) << bad;
        }
        EXPECT_EQ(store({"4", "4", "", "4"}),
                  *boxes == 'D' ? u"4.4.0.4."_s : u"4.4.5.0."_s + error);
        store({"4", "4", "4", "4"});
    }
    QTest::mouseClick(W("DHCPEnableJvCheckBox"), Qt::LeftButton, {}, QPoint(4, 9));
    Type("IPAddr2Edit", "bad");  // with DHCP ticked the IP row is not read
    dialogs.log.clear();
    form->StorePage();
    EXPECT_TRUE(dialogs.log.isEmpty() && C().Unit(0).DHCPEnable());
}

// Values no control shows (the Master's address mode and port behind hidden
// controls, a URL longer than typing allows) are stored back unchanged. An address
// mode other than 0 or 1 leaves the radio buttons as they were, and storing
// writes what they show.
TEST_F(WindowTest, ValuesThePageCannotShowAreStoredBackUnchanged) {
    Unit(0).SetAddressMode(1);
    Unit(0).SetClientPort(5000);
    Unit(0).SetURL(std::string(47, 'w'));
    form->ShowUnit();
    form->Store().MarkSaved();
    ClickUnit(1);
    ClickUnit(0);
    EXPECT_FALSE(form->Store().HasChanged());
    ClickUnit(1);
    QTest::mouseClick(W("AddressModeURLRadioButton"), Qt::LeftButton, {}, QPoint(5, 8));
    Unit(3).SetAddressMode(2);
    ClickUnit(3);
    form->StorePage();
    EXPECT_EQ(C().Unit(1).AddressMode() * 10 + C().Unit(3).AddressMode(), 11);
}

// Each group's All and None buttons set its own sixteen boxes and no others.
TEST_F(WindowTest, GroupButtonsSetTheirOwnSixteenBoxesOnly) {
    ClickUnit(1);
    auto click = [&](std::initializer_list<const char*> buttons) {
        for (const char* b : buttons) {
            Click(b);
        }
        ClickUnit(1);    // stored, then shown again
        QString groups;  // inverted input, inverted output, active at start
        for (int k = 0; k < 16; ++k) {
            const auto u = C().Unit(1);
            groups += u"%1%2%3 "_s.arg(int(u.InvertInput(k)))
                          .arg(int(u.InvertOutput(k)))
                          .arg(int(u.OutputStartStatus(k)));
        }
        return groups;
    };
    EXPECT_EQ(
        (QStringList{click({"InvertInputsCheckAllButton", "OutputStartStatusCheckAllButton"}),
                     click({"InvertOutputsCheckAllButton", "InvertInputsCheckNoneButton"}),
                     click({"OutputStartStatusCheckNoneButton", "InvertOutputsCheckNoneButton"})}),
        (QStringList{u"101 "_s.repeated(16), u"011 "_s.repeated(16), u"000 "_s.repeated(16)}));
}

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
    form->StorePage();
    EXPECT_TRUE(C().Cell(0, 0, 0, 0) && C().Cell(0, 1, 0, 2) && C().Cell(0, 3, 0, 5));
}

// A release over an output tab stores the output shown (cells, latch, reset input
// and device) and loads the new one; a keyboard change alone loads nothing; a unit
// switch keeps the tab. The device list holds the Master and the enabled Slaves
// by their names of the moment; a typed name resolves. Values only a file holds
// show the nearest input, or no device name, and are kept on storing.
TEST_F(WindowTest, EachOutputKeepsItsCellsLatchAndResetInput) {
    ClickUnit(3);
    Type("DeviceNameEdit", "Pump");
    QTest::mouseClick(W<HtmlCheckBox>("SlaveEnabledHTMLCheckBox")->Box(), Qt::LeftButton);
    Unit(7).SetSlaveEnabled(true);
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
    device->setEditText(u"Pump"_s);
    tabs->setFocus();
    QTest::keyClick(tabs, Qt::Key_Right);  // loads nothing until released over
    EXPECT_EQ(form->CurrentOutput(), 0);
    ClickOutputTab(1);
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
