// The General page: unit switching, the address rows, hidden controls, the small
// handlers.
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "general_page.h"
#include "html_check_box.h"
#include "unit_selector.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

const ConfigSet& Cfg(TMainForm& f) {
    return f.Config();
}

TEST_F(WindowTest, UnitSwitchStoresIntoTheUnitOnScreenThenShowsTheNewOne) {
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Alpha"));
    EXPECT_EQ(Cfg(*form).Unit(0).DeviceName(), "Master");  // nothing live
    ClickUnit(2);
    EXPECT_EQ(form->CurrentUnit(), 2);
    EXPECT_EQ(Cfg(*form).Unit(0).DeviceName(), "Alpha");
    EXPECT_EQ(Cfg(*form).Unit(2).DeviceName(), "Slave 2");
    EXPECT_EQ(Edit(QStringLiteral("DeviceNameEdit"))->text(), QStringLiteral("Slave 2"));
    EXPECT_EQ(Edit(QStringLiteral("IPAddr4Edit"))->text(), QStringLiteral("8"));
    ClickUnit(0);
    EXPECT_EQ(Edit(QStringLiteral("DeviceNameEdit"))->text(), QStringLiteral("Alpha"));
    EXPECT_TRUE(dialogs.log.isEmpty());
}

TEST_F(WindowTest, ReleaseOverTheSelectedTabStoresAndShowsTheSameUnit) {
    const ConfigSet before = Cfg(*form);
    ClickUnit(0);
    EXPECT_EQ(form->CurrentUnit(), 0);
    EXPECT_TRUE(Cfg(*form) == before);
    EXPECT_FALSE(form->Store().HasChanged());
    // An edit is stored by a release over the selected tab too.
    Type(QStringLiteral("GateWayAddr4Edit"), QStringLiteral("254"));
    ClickUnit(0);
    EXPECT_EQ(Cfg(*form).Unit(0).GateWayAddr()[3], 254);
    EXPECT_TRUE(form->Store().HasChanged());
}

TEST_F(WindowTest, AnyMouseButtonReleasedOverTheSelectorStoresThePage) {
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Right"));
    ClickUnit(3, Qt::RightButton);
    EXPECT_EQ(Cfg(*form).Unit(0).DeviceName(), "Right");
}

TEST_F(WindowTest, KeyboardChangeOfTheUnitSwitchesLikeAClick) {
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Keys"));
    form->unitSelector()->setFocus();
    QTest::keyClick(form->unitSelector(), Qt::Key_Right);
    EXPECT_EQ(form->unitSelector()->currentIndex(), 1);
    EXPECT_EQ(form->CurrentUnit(), 1);
    EXPECT_EQ(Cfg(*form).Unit(0).DeviceName(), "Keys");
    EXPECT_EQ(Edit(QStringLiteral("DeviceNameEdit"))->text(), QStringLiteral("Slave 1"));
}

struct RowCase {
    const char* prefix;  // edit names: prefix + n + suffix
    const char* suffix;
    std::size_t field;
    const char* message;
};

const RowCase kRows[] = {
    {"IPAddr", "Edit", field::IPAddr, "Invalid IP Address"},
    {"GateWayAddr", "Edit", field::GateWayAddr, "Invalid Gateway Address"},
    {"SubMaskAddr", "Edit", field::SubMaskAddr, "Invalid Subnet Mask"},
    {"DNSAddressEdit", "", field::DNSAddress, "Invalid DNS Address"},
};

QString RowEdit(const RowCase& r, int n) {
    return QString::fromLatin1(r.prefix) + QString::number(n) + QString::fromLatin1(r.suffix);
}

Octets RowValue(const ConfigSet& c, int unit, std::size_t f) {
    const auto rec = c.Unit(unit);
    return {rec.RawByte(f), rec.RawByte(f + 1), rec.RawByte(f + 2), rec.RawByte(f + 3)};
}

class AddressRowTest : public WindowTest, public ::testing::WithParamInterface<RowCase> {};

TEST_P(AddressRowTest, FirstBadOctetStopsTheRowWithOneMessage) {
    const RowCase& r = GetParam();
    const Octets before = RowValue(Cfg(*form), 0, r.field);
    Type(RowEdit(r, 1), QStringLiteral("10"));
    Type(RowEdit(r, 2), QStringLiteral("x"));
    Type(RowEdit(r, 3), QStringLiteral("7"));
    Type(RowEdit(r, 4), QStringLiteral("9"));
    form->StorePage();
    EXPECT_EQ(dialogs.Errors(), QStringList{QString::fromLatin1(r.message)});
    const Octets after = RowValue(Cfg(*form), 0, r.field);
    EXPECT_EQ(after[0], 10);
    EXPECT_EQ(after[1], before[1]);
    EXPECT_EQ(after[2], before[2]);
    EXPECT_EQ(after[3], before[3]);
}

TEST_P(AddressRowTest, OutOfRangeOctetsAreRefusedNotCut) {
    const RowCase& r = GetParam();
    for (const char* bad : {"300", "-1", "256"}) {
        dialogs.log.clear();
        const Octets before = RowValue(Cfg(*form), 0, r.field);
        Type(RowEdit(r, 1), QString::fromLatin1(bad));
        form->StorePage();
        EXPECT_EQ(dialogs.Errors(), QStringList{QString::fromLatin1(r.message)}) << bad;
        EXPECT_EQ(RowValue(Cfg(*form), 0, r.field), before) << bad;
    }
}

TEST_P(AddressRowTest, EmptyOctetIsZeroOnlyForDns) {
    const RowCase& r = GetParam();
    Type(RowEdit(r, 3), QString());
    form->StorePage();
    const bool dns = r.field == field::DNSAddress;
    if (dns) {
        EXPECT_TRUE(dialogs.Errors().isEmpty());
        EXPECT_EQ(RowValue(Cfg(*form), 0, r.field)[2], 0);
    } else {
        EXPECT_EQ(dialogs.Errors(), QStringList{QString::fromLatin1(r.message)});
    }
}

void PrintTo(const RowCase& r, std::ostream* os) {
    *os << r.prefix;
}

INSTANTIATE_TEST_SUITE_P(Rows, AddressRowTest, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<RowCase>& info) {
                             return std::string(info.param.prefix);
                         });

TEST_F(WindowTest, FourBadRowsGiveFourMessagesInOrderAndTheRestIsStored) {
    for (const RowCase& r : kRows) {
        Type(RowEdit(r, 2), QStringLiteral("bad"));
    }
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Still"));
    form->StorePage();
    EXPECT_EQ(dialogs.Errors(),
              (QStringList{
                  QStringLiteral("Invalid IP Address"), QStringLiteral("Invalid Gateway Address"),
                  QStringLiteral("Invalid Subnet Mask"), QStringLiteral("Invalid DNS Address")}));
    EXPECT_EQ(Cfg(*form).Unit(0).DeviceName(), "Still");
}

TEST_F(WindowTest, DhcpCheckedSkipsTheIpRow) {
    SetChecked(QStringLiteral("DHCPEnableJvCheckBox"), true);
    Type(QStringLiteral("IPAddr1Edit"), QStringLiteral("abc"));
    form->StorePage();
    EXPECT_TRUE(dialogs.Errors().isEmpty());
    EXPECT_EQ(Cfg(*form).Unit(0).IPAddr()[0], 192);
    EXPECT_TRUE(Cfg(*form).Unit(0).DHCPEnable());
}

TEST_F(WindowTest, RejectedOctetIsGoneAfterSwitchingAwayAndBack) {
    Type(QStringLiteral("IPAddr4Edit"), QStringLiteral("999"));
    ClickUnit(1);
    EXPECT_EQ(dialogs.Errors(), QStringList{QStringLiteral("Invalid IP Address")});
    ClickUnit(0);
    EXPECT_EQ(Edit(QStringLiteral("IPAddr4Edit"))->text(), QStringLiteral("6"));
}

TEST_F(WindowTest, HiddenControlsAreStoredUnchanged) {
    // Values that only hidden controls show: the Master's slave flag, address mode,
    // port and start status; a Slave's DHCP flag.
    UnitRecord master = form->Store().Current().Unit(0);
    master.SetSlaveEnabled(true);
    master.SetAddressMode(1);
    master.SetClientPort(5000);
    master.SetOutputStartStatus(4, true);
    form->Store().Current().Unit(5).SetDHCPEnable(true);
    form->ShowUnit();
    form->Store().MarkSaved();
    const ConfigSet before = Cfg(*form);
    ClickUnit(5);
    ClickUnit(0);
    form->StorePage();
    EXPECT_TRUE(Cfg(*form) == before);
    EXPECT_FALSE(form->Store().HasChanged());
}

TEST_F(WindowTest, ShowingASlaveShowsItsControlsAndDisablesDownloadWhenDisabled) {
    ClickUnit(1);
    auto* slave = W<HtmlCheckBox>(QStringLiteral("SlaveEnabledHTMLCheckBox"));
    EXPECT_FALSE(slave->isHidden());
    EXPECT_TRUE(W<QCheckBox>(QStringLiteral("DHCPEnableJvCheckBox"))->isHidden());
    EXPECT_FALSE(W<QGroupBox>(QStringLiteral("AddressModeGroupBox"))->isHidden());
    EXPECT_FALSE(W<QGroupBox>(QStringLiteral("OutputStartStatusAdvGroupBox"))->isHidden());
    EXPECT_FALSE(W<QSpinBox>(QStringLiteral("ClientPortCSpinEdit"))->isHidden());
    EXPECT_EQ(slave->Caption(), QStringLiteral("<FONT bgcolor=\"#FF0000\">Slave Disabled</FONT>"));
    auto* download = W<QPushButton>(QStringLiteral("DownloadButton"));
    EXPECT_FALSE(download->isEnabled());
    EXPECT_EQ(download->text(), QStringLiteral("Download to ORVELIX Slave 1"));
    EXPECT_TRUE(W<QRadioButton>(QStringLiteral("AddressModeIPRadioButton"))->isChecked());

    // Ticking enables the download at once and survives a switch away and back.
    QTest::mouseClick(slave->Box(), Qt::LeftButton);
    EXPECT_TRUE(download->isEnabled());
    EXPECT_EQ(slave->Caption(), QStringLiteral("<FONT bgcolor=\"#00FF00\">Slave Enabled</FONT>"));
    EXPECT_FALSE(Cfg(*form).Unit(1).SlaveEnabled());  // not live
    ClickUnit(2);
    EXPECT_FALSE(download->isEnabled());
    ClickUnit(1);
    EXPECT_TRUE(slave->IsChecked());
    EXPECT_TRUE(download->isEnabled());
    EXPECT_TRUE(Cfg(*form).Unit(1).SlaveEnabled());
}

TEST_F(WindowTest, SlaveCaptionRendersTheWordsOnColouredBackground) {
    EXPECT_EQ(HtmlCheckBox::ToQtRichText(kSlaveEnabledCaption),
              QStringLiteral("<span style=\"background-color:#00FF00\">Slave Enabled</span>"));
    EXPECT_EQ(HtmlCheckBox::ToQtRichText(QStringLiteral("Latch Output")),
              QStringLiteral("Latch Output"));
}

TEST_F(WindowTest, DownloadCaptionFollowsEveryKeystroke) {
    auto* download = W<QPushButton>(QStringLiteral("DownloadButton"));
    Type(QStringLiteral("DeviceNameEdit"), QString());
    EXPECT_EQ(download->text(), QStringLiteral("Download to ORVELIX "));
    QTest::keyClick(Edit(QStringLiteral("DeviceNameEdit")), Qt::Key_A);
    EXPECT_EQ(download->text(), QStringLiteral("Download to ORVELIX a"));
    QTest::keyClick(Edit(QStringLiteral("DeviceNameEdit")), Qt::Key_B);
    EXPECT_EQ(download->text(), QStringLiteral("Download to ORVELIX ab"));
}

TEST_F(WindowTest, GroupButtonsSetTheirOwnSixteenBoxesOnly) {
    ClickUnit(1);
    ClickButton(QStringLiteral("InvertInputsCheckAllButton"));
    ClickButton(QStringLiteral("OutputStartStatusCheckAllButton"));
    ClickUnit(2);
    ClickUnit(1);
    for (int k = 1; k <= 16; ++k) {
        EXPECT_TRUE(W<QCheckBox>(QStringLiteral("InvertInputsJvCheckBox%1").arg(k))->isChecked());
        EXPECT_FALSE(W<QCheckBox>(QStringLiteral("InvertOutputsJvCheckBox%1").arg(k))->isChecked());
        EXPECT_TRUE(
            W<QCheckBox>(QStringLiteral("OutputStartStatusJvCheckBox%1").arg(k))->isChecked());
    }
    ClickButton(QStringLiteral("InvertInputsCheckNoneButton"));
    ClickButton(QStringLiteral("InvertOutputsCheckAllButton"));
    ClickButton(QStringLiteral("OutputStartStatusCheckNoneButton"));
    form->StorePage();
    for (int k = 0; k < 16; ++k) {
        EXPECT_FALSE(Cfg(*form).Unit(1).InvertInput(k));
        EXPECT_TRUE(Cfg(*form).Unit(1).InvertOutput(k));
        EXPECT_FALSE(Cfg(*form).Unit(1).OutputStartStatus(k));
    }
}

TEST_F(WindowTest, UnknownAddressModeLeavesTheRadioButtonsAsTheyWere) {
    ClickUnit(1);
    QTest::mouseClick(W<QRadioButton>(QStringLiteral("AddressModeURLRadioButton")), Qt::LeftButton,
                      {}, QPoint(5, 8));
    ASSERT_TRUE(W<QRadioButton>(QStringLiteral("AddressModeURLRadioButton"))->isChecked());
    ClickUnit(2);  // Slave 1 stored with mode 1; Slave 2 shows mode 0
    form->Store().Current().Unit(3).SetAddressMode(2);
    ClickUnit(1);  // radios now on URL
    ClickUnit(3);  // mode 2: radios stay on URL
    EXPECT_TRUE(W<QRadioButton>(QStringLiteral("AddressModeURLRadioButton"))->isChecked());
    form->StorePage();
    EXPECT_EQ(Cfg(*form).Unit(3).AddressMode(), 1);
}

TEST_F(WindowTest, TextLimitsBindTypingButKeepLoadedText) {
    Type(QStringLiteral("DeviceNameEdit"), QString(40, u'n'));
    EXPECT_EQ(Edit(QStringLiteral("DeviceNameEdit"))->text().size(), 32);
    ClickUnit(1);
    Type(QStringLiteral("URLEdit"), QString(50, u'u'));
    EXPECT_EQ(Edit(QStringLiteral("URLEdit"))->text().size(), 44);
    // A 47-character URL from a file is shown and stored back whole.
    const std::string longUrl(47, 'w');
    form->Store().Current().Unit(2).SetURL(longUrl);
    ClickUnit(2);
    EXPECT_EQ(Edit(QStringLiteral("URLEdit"))->text().size(), 47);
    ClickUnit(2);
    EXPECT_EQ(Cfg(*form).Unit(2).URL(), longUrl);
}

TEST_F(WindowTest, PortSpinKeepsItsRangeWhateverIsTyped) {
    ClickUnit(1);
    auto* port = W<QSpinBox>(QStringLiteral("ClientPortCSpinEdit"));
    port->setFocus();
    port->selectAll();
    QTest::keyClicks(port, QStringLiteral("99999"));
    QTest::keyClick(port, Qt::Key_Tab);
    EXPECT_GE(port->value(), 1);
    EXPECT_LE(port->value(), 65535);
    port->selectAll();
    QTest::keyClicks(port, QStringLiteral("8080"));
    ClickUnit(1);
    EXPECT_EQ(Cfg(*form).Unit(1).ClientPort(), 8080);
}

}  // namespace
}  // namespace valdro::ui::test
