// The General page: unit switching, the address rows, hidden controls, the small
// handlers.
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "ui/general_page.h"
#include "ui/html_check_box.h"
#include "ui/unit_selector.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

TEST_F(WindowTest, UnitSwitchStoresIntoTheUnitOnScreenThenShowsTheNewOne) {
    Type("DeviceNameEdit", "Alpha");
    EXPECT_EQ(C().Unit(0).DeviceName(), "Master");  // nothing live
    ClickUnit(2);
    EXPECT_EQ(form->CurrentUnit(), 2);
    EXPECT_EQ(C().Unit(0).DeviceName(), "Alpha");
    EXPECT_EQ(C().Unit(2).DeviceName(), "Slave 2");
    EXPECT_EQ(Text("DeviceNameEdit"), QStringLiteral("Slave 2"));
    EXPECT_EQ(Text("IPAddr4Edit"), QStringLiteral("8"));
    auto* port = W<QSpinBox>("ClientPortCSpinEdit");
    port->setFocus();
    port->selectAll();
    QTest::keyClicks(port, QStringLiteral("8080"));
    ClickUnit(0);
    EXPECT_EQ(C().Unit(2).ClientPort(), 8080);
    EXPECT_EQ(Text("DeviceNameEdit"), QStringLiteral("Alpha"));
    EXPECT_TRUE(dialogs.log.isEmpty());
}

// Every release over the strip stores then shows, whatever the button and whether
// or not the tab changed; a change made with the keyboard switches the same way.
TEST_F(WindowTest, EveryReleaseOverTheSelectorStoresThenShows) {
    const ConfigSet before = C();
    ClickUnit(0);
    EXPECT_TRUE(C() == before);
    Type("GateWayAddr4Edit", "254");
    ClickUnit(0);
    EXPECT_EQ(C().Unit(0).GateWayAddr()[3], 254);
    Type("DeviceNameEdit", "Right");
    ClickUnit(3, Qt::RightButton);
    EXPECT_EQ(C().Unit(0).DeviceName(), "Right");
    Type("DeviceNameEdit", "Keys");
    form->unitSelector()->setFocus();
    QTest::keyClick(form->unitSelector(), Qt::Key_Right);
    EXPECT_EQ(form->CurrentUnit(), 1);
    EXPECT_EQ(C().Unit(0).DeviceName(), "Keys");
    EXPECT_EQ(Text("DeviceNameEdit"), QStringLiteral("Slave 1"));
}

struct RowCase {
    const char* edit;  // with %1 for the octet number
    std::size_t field;
    const char* message;
};

const RowCase kRows[] = {
    {"IPAddr%1Edit", field::IPAddr, "Invalid IP Address"},
    {"GateWayAddr%1Edit", field::GateWayAddr, "Invalid Gateway Address"},
    {"SubMaskAddr%1Edit", field::SubMaskAddr, "Invalid Subnet Mask"},
    {"DNSAddressEdit%1", field::DNSAddress, "Invalid DNS Address"},
};

class AddressRowTest : public WindowTest, public ::testing::WithParamInterface<RowCase> {
  protected:
    void Row(const char* a, const char* b, const char* c, const char* d) {
        const char* texts[] = {a, b, c, d};
        for (int n = 0; n < 4; ++n) {
            Type(QString::fromLatin1(GetParam().edit).arg(n + 1), QString::fromLatin1(texts[n]));
        }
        dialogs.log.clear();
        form->StorePage();
    }
    Octets Stored() const {
        const auto r = C().Unit(0);
        const std::size_t f = GetParam().field;
        return {r.RawByte(f), r.RawByte(f + 1), r.RawByte(f + 2), r.RawByte(f + 3)};
    }
};

TEST_P(AddressRowTest, FirstBadOctetStopsTheRowWithOneMessage) {
    const QStringList message{QString::fromLatin1(GetParam().message)};
    const Octets before = Stored();
    Row("10", "x", "7", "9");
    EXPECT_EQ(dialogs.Errors(), message);
    EXPECT_EQ(Stored(), (Octets{10, before[1], before[2], before[3]}));
    // Out of range is refused, not cut to eight bits.
    for (const char* bad : {"300", "-1", "256"}) {
        Row(bad, "1", "2", "3");
        EXPECT_EQ(dialogs.Errors(), message) << bad;
        EXPECT_EQ(Stored(), (Octets{10, before[1], before[2], before[3]})) << bad;
    }
    // An empty box is 0 for the DNS row only.
    Row("4", "4", "", "4");
    if (GetParam().field == field::DNSAddress) {
        EXPECT_TRUE(dialogs.Errors().isEmpty());
        EXPECT_EQ(Stored(), (Octets{4, 4, 0, 4}));
    } else {
        EXPECT_EQ(dialogs.Errors(), message);
        EXPECT_EQ(Stored(), (Octets{4, 4, before[2], before[3]}));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, AddressRowTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return "Row" + std::to_string(info.index); });

TEST_F(WindowTest, FourBadRowsGiveFourMessagesInOrderAndTheRestIsStored) {
    for (const char* edit :
         {"IPAddr2Edit", "GateWayAddr2Edit", "SubMaskAddr2Edit", "DNSAddressEdit2"}) {
        Type(edit, "bad");
    }
    Type("DeviceNameEdit", "Still");
    form->StorePage();
    EXPECT_EQ(dialogs.Errors(),
              (QStringList{
                  QStringLiteral("Invalid IP Address"), QStringLiteral("Invalid Gateway Address"),
                  QStringLiteral("Invalid Subnet Mask"), QStringLiteral("Invalid DNS Address")}));
    EXPECT_EQ(C().Unit(0).DeviceName(), "Still");
    // The rejected octet is gone from the screen once the unit is shown again.
    ClickUnit(0);
    EXPECT_EQ(Text("IPAddr2Edit"), QStringLiteral("168"));
}

TEST_F(WindowTest, DhcpCheckedSkipsTheIpRow) {
    SetChecked(QStringLiteral("DHCPEnableJvCheckBox"), true);
    Type("IPAddr1Edit", "abc");
    form->StorePage();
    EXPECT_TRUE(dialogs.Errors().isEmpty());
    EXPECT_EQ(C().Unit(0).IPAddr()[0], 192);
    EXPECT_TRUE(C().Unit(0).DHCPEnable());
}

TEST_F(WindowTest, HiddenControlsAreStoredUnchanged) {
    // Values that only hidden controls show: the Master's slave flag, address mode,
    // port and start status; a Slave's DHCP flag.
    Unit(0).SetSlaveEnabled(true);
    Unit(0).SetAddressMode(1);
    Unit(0).SetClientPort(5000);
    Unit(0).SetOutputStartStatus(4, true);
    Unit(5).SetDHCPEnable(true);
    form->ShowUnit();
    form->Store().MarkSaved();
    ClickUnit(5);
    ClickUnit(0);
    form->StorePage();
    EXPECT_FALSE(form->Store().HasChanged());
}

TEST_F(WindowTest, SlaveEnabledBoxDrivesCaptionAndDownloadButton) {
    ClickUnit(1);
    for (const char* shown : {"SlaveEnabledHTMLCheckBox", "AddressModeGroupBox",
                              "OutputStartStatusAdvGroupBox", "PortLabel", "ClientPortCSpinEdit"}) {
        EXPECT_FALSE(Hidden(shown)) << shown;
    }
    EXPECT_TRUE(Hidden("DHCPEnableJvCheckBox"));
    auto* slave = W<HtmlCheckBox>("SlaveEnabledHTMLCheckBox");
    auto* download = W<QPushButton>("DownloadButton");
    EXPECT_EQ(slave->Caption(), QStringLiteral("<FONT bgcolor=\"#FF0000\">Slave Disabled</FONT>"));
    // The label draws the words on the colour the caption names.
    EXPECT_EQ(HtmlCheckBox::ToQtRichText(slave->Caption()),
              QStringLiteral("<span style=\"background-color:#FF0000\">Slave Disabled</span>"));
    EXPECT_FALSE(download->isEnabled());
    EXPECT_EQ(download->text(), QStringLiteral("Download to ORVELIX Slave 1"));
    EXPECT_TRUE(W<QRadioButton>("AddressModeIPRadioButton")->isChecked());

    // Ticking enables the download at once and survives a switch away and back.
    QTest::mouseClick(slave->Box(), Qt::LeftButton);
    EXPECT_TRUE(download->isEnabled());
    EXPECT_EQ(slave->Caption(), QStringLiteral("<FONT bgcolor=\"#00FF00\">Slave Enabled</FONT>"));
    EXPECT_FALSE(C().Unit(1).SlaveEnabled());  // not live
    ClickUnit(2);
    EXPECT_FALSE(download->isEnabled());
    ClickUnit(1);
    EXPECT_TRUE(slave->IsChecked());
    EXPECT_TRUE(download->isEnabled());
    EXPECT_TRUE(C().Unit(1).SlaveEnabled());

    // The caption follows every keystroke in the name, trailing blank kept.
    Type("DeviceNameEdit", "");
    EXPECT_EQ(download->text(), QStringLiteral("Download to ORVELIX "));
    QTest::keyClick(Edit(QStringLiteral("DeviceNameEdit")), Qt::Key_A);
    EXPECT_EQ(download->text(), QStringLiteral("Download to ORVELIX a"));
}

TEST_F(WindowTest, GroupButtonsSetTheirOwnSixteenBoxesOnly) {
    const struct {
        const char* button;
        bool inputs, outputs, start;  // the three groups afterwards
    } steps[] = {
        {"InvertInputsCheckAllButton", true, false, false},
        {"OutputStartStatusCheckAllButton", true, false, true},
        {"InvertOutputsCheckAllButton", true, true, true},
        {"InvertInputsCheckNoneButton", false, true, true},
        {"OutputStartStatusCheckNoneButton", false, true, false},
        {"InvertOutputsCheckNoneButton", false, false, false},
    };
    ClickUnit(1);
    for (const auto& s : steps) {
        ClickButton(QString::fromLatin1(s.button));
        ClickUnit(2);  // stored, then shown again
        ClickUnit(1);
        for (int k = 0; k < 16; ++k) {
            ASSERT_EQ(C().Unit(1).InvertInput(k), s.inputs) << s.button;
            ASSERT_EQ(C().Unit(1).InvertOutput(k), s.outputs) << s.button;
            ASSERT_EQ(C().Unit(1).OutputStartStatus(k), s.start) << s.button;
            ASSERT_EQ(
                W<QCheckBox>(QStringLiteral("InvertInputsJvCheckBox%1").arg(k + 1))->isChecked(),
                s.inputs);
        }
    }
}

TEST_F(WindowTest, UnknownAddressModeLeavesTheRadioButtonsAsTheyWere) {
    ClickUnit(1);
    QTest::mouseClick(W<QRadioButton>("AddressModeURLRadioButton"), Qt::LeftButton, {},
                      QPoint(5, 8));
    ClickUnit(2);  // Slave 1 stored with mode 1; Slave 2 shows mode 0
    Unit(3).SetAddressMode(2);
    ClickUnit(1);  // radios now on URL
    ClickUnit(3);  // mode 2: radios stay on URL
    EXPECT_TRUE(W<QRadioButton>("AddressModeURLRadioButton")->isChecked());
    form->StorePage();
    EXPECT_EQ(C().Unit(3).AddressMode(), 1);
}

TEST_F(WindowTest, TextLimitsBindTypingButKeepLoadedText) {
    Type(QStringLiteral("DeviceNameEdit"), QString(40, u'n'));
    EXPECT_EQ(Text("DeviceNameEdit").size(), 32);
    ClickUnit(1);
    EXPECT_EQ(C().Unit(0).DeviceName(), std::string(32, 'n'));
    Type(QStringLiteral("URLEdit"), QString(50, u'u'));
    EXPECT_EQ(Text("URLEdit").size(), 44);
    // A 47-character URL from a file is shown and stored back whole.
    const std::string longUrl(47, 'w');
    Unit(2).SetURL(longUrl);
    ClickUnit(2);
    EXPECT_EQ(Text("URLEdit").size(), 47);
    ClickUnit(2);
    EXPECT_EQ(C().Unit(2).URL(), longUrl);
}

}  // namespace
}  // namespace valdro::ui::test
