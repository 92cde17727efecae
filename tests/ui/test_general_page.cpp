// The General page: unit switching, the address rows, values no control shows,
// the Slave box, the group buttons and the text limits, each reaching the record.
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "ui/html_check_box.h"
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
    auto* port = W<QSpinBox>("ClientPortCSpinEdit");
    port->setFocus();
    port->selectAll();
    QTest::keyClicks(port, u"8080"_s);
    EXPECT_FALSE(C().Unit(2).SlaveEnabled());
    form->unitSelector()->setFocus();
    QTest::keyClick(form->unitSelector(), Qt::Key_Right);
    EXPECT_EQ(C().Unit(2).ClientPort() * 10 + C().Unit(2).SlaveEnabled(), 80801);
    EXPECT_EQ(form->CurrentUnit(), 3);
    EXPECT_FALSE(download->isEnabled());
    Type("DeviceNameEdit", "");
    QTest::keyClick(W("DeviceNameEdit"), Qt::Key_A);
    EXPECT_EQ(download->text(), u"Download to ORVELIX a"_s);
    EXPECT_TRUE(dialogs.log.isEmpty());
}

// Each row takes plain decimal octets and stops at its first bad one with its own
// message (the octets before it stored, the rest kept); out of range is refused,
// not cut to eight bits; an empty box is 0 for the DNS row only. Four bad rows give
// four messages in order and the rest of the page is still stored; with DHCP
// ticked the IP row is not read.
TEST_F(WindowTest, AddressRowsStopAtTheFirstBadOctet) {
    const struct {
        const char* edit;  // %1: the octet number
        std::size_t field;
        const char* message;
    } rows[] = {{"IPAddr%1Edit", field::IPAddr, "Invalid IP Address"},
                {"GateWayAddr%1Edit", field::GateWayAddr, "Invalid Gateway Address"},
                {"SubMaskAddr%1Edit", field::SubMaskAddr, "Invalid Subnet Mask"},
                {"DNSAddressEdit%1", field::DNSAddress, "Invalid DNS Address"}};
    QStringList all;
    for (const auto& row : rows) {
        all << QString::fromLatin1(row.message);
        auto edit = [&](int n) { return QString::fromLatin1(row.edit).arg(n).toStdString(); };
        auto store = [&](std::array<const char*, 4> texts) {
            for (int n = 0; n < 4; ++n) {
                Type(edit(n + 1).c_str(), texts[n]);
            }
            dialogs.log.clear();
            form->StorePage();
            const auto r = C().Unit(0);
            return Octets{r.RawByte(row.field), r.RawByte(row.field + 1), r.RawByte(row.field + 2),
                          r.RawByte(row.field + 3)};
        };
        EXPECT_EQ(store({"255", " 7 ", "+5", "-0"}), (Octets{255, 7, 5, 0}));
        EXPECT_TRUE(dialogs.log.isEmpty());
        for (const char* bad : {"256", "-1", "0x1", "1 2", "1e2", "++1", "1.0"}) {
            EXPECT_EQ(store({"10", bad, "7", "9"}), (Octets{10, 7, 5, 0})) << bad;
            EXPECT_EQ(dialogs.Errors(), all.mid(all.size() - 1)) << bad;
        }
        const bool dns = row.field == field::DNSAddress;
        EXPECT_EQ(store({"4", "4", "", "4"}), (dns ? Octets{4, 4, 0, 4} : Octets{4, 4, 5, 0}));
        EXPECT_EQ(dialogs.Errors().size(), dns ? 0 : 1) << row.message;
        store({"4", "4", "4", "4"});
    }
    for (const auto& row : rows) {
        Type(QString::fromLatin1(row.edit).arg(2).toStdString().c_str(), "bad");
    }
    Type("DeviceNameEdit", "Still");
    form->StorePage();
    EXPECT_EQ(dialogs.Errors(), all);
    EXPECT_EQ(C().Unit(0).DeviceName(), "Still");
    QTest::mouseClick(W("DHCPEnableJvCheckBox"), Qt::LeftButton, {}, QPoint(4, 9));
    dialogs.log.clear();
    ClickUnit(0);
    EXPECT_EQ(dialogs.Errors(), all.mid(1));
    EXPECT_EQ(Text("IPAddr2Edit"), u"4"_s);  // the rejected octet is gone from the screen
    EXPECT_TRUE(C().Unit(0).DHCPEnable());
}

// Values no control shows (the Master's slave flag, address mode, port and start
// status behind hidden controls; a Slave's DHCP flag; a URL longer than typing
// allows) are stored back unchanged. An address mode other than 0 or 1 leaves the
// radio buttons as they were, and storing writes what they show.
TEST_F(WindowTest, ValuesThePageCannotShowAreStoredBackUnchanged) {
    Unit(0).SetSlaveEnabled(true);
    Unit(0).SetAddressMode(1);
    Unit(0).SetClientPort(5000);
    Unit(0).SetOutputStartStatus(4, true);
    Unit(5).SetDHCPEnable(true);
    Unit(5).SetURL(std::string(47, 'w'));
    form->ShowUnit();
    form->Store().MarkSaved();
    ClickUnit(5);
    EXPECT_EQ(Text("URLEdit").size(), 47);
    ClickUnit(0);
    form->StorePage();
    EXPECT_FALSE(form->Store().HasChanged());
    ClickUnit(1);
    QTest::mouseClick(W("AddressModeURLRadioButton"), Qt::LeftButton, {}, QPoint(5, 8));
    Unit(3).SetAddressMode(2);
    ClickUnit(3);
    form->StorePage();
    EXPECT_EQ(C().Unit(1).AddressMode() * 10 + C().Unit(3).AddressMode(), 11);
    // Typing is bound to 32 characters for the name and 44 for the URL.
    Type("DeviceNameEdit", QString(40, u'n'));
    Type("URLEdit", QString(50, u'u'));
    form->StorePage();
    EXPECT_EQ(C().Unit(3).DeviceName(), std::string(32, 'n'));
    EXPECT_EQ(C().Unit(3).URL(), std::string(44, 'u'));
}

// Each group's All and None buttons set its own sixteen boxes and no others.
TEST_F(WindowTest, GroupButtonsSetTheirOwnSixteenBoxesOnly) {
    ClickUnit(1);
    for (const auto& [button, after] : {std::pair{"InvertInputsCheckAllButton", "100"},
                                        {"OutputStartStatusCheckAllButton", "101"},
                                        {"InvertOutputsCheckAllButton", "111"},
                                        {"InvertInputsCheckNoneButton", "011"},
                                        {"OutputStartStatusCheckNoneButton", "010"},
                                        {"InvertOutputsCheckNoneButton", "000"}}) {
        Click(button);
        ClickUnit(1);  // stored, then shown again
        const auto u = C().Unit(1);
        QString got;
        for (int k = 0; k < 16; ++k) {
            got += u"%1%2%3 "_s.arg(int(u.InvertInput(k)))
                       .arg(int(u.InvertOutput(k)))
                       .arg(int(u.OutputStartStatus(k)));
        }
        EXPECT_EQ(got, (QString::fromLatin1(after) + u' ').repeated(16)) << button;
        EXPECT_EQ(W<QCheckBox>("InvertInputsJvCheckBox16")->isChecked(), after[0] == '1');
    }
}

}  // namespace
}  // namespace valdro::ui::test
