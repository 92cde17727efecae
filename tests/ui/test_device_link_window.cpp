// The window driving the simulated unit: download and live status end to end,
// through the timer and the receive thread's hand-off; the Status page painting.
#include <QProgressBar>
#include <QPushButton>

#include "ui/status_page.h"
#include "ui/unit_selector.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

bool WaitFor(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 15000);
}

// The download sends the stored page as it was when it started (switching units or
// editing while it runs changes nothing), showing its progress out of the whole.
TEST_F(WindowTest, DownloadSendsTheConfigurationOfTheMomentItStarted) {
    Unit(3).SetSlaveEnabled(true);
    Type("DeviceNameEdit", "Hall");
    Click("DownloadButton");
    Type("DeviceNameEdit", "Late");
    Unit(3).SetDeviceName("Boiler");
    form->unitSelector()->setCurrentIndex(3);  // the handlers run before any reply
    form->DisplayTabSetMouseUp();
    auto* bar = W<QProgressBar>("DownloadProgressBar");
    int most = 0;
    ASSERT_TRUE(WaitFor([&] {
        most = std::max(most, bar->isVisible() ? bar->maximum() : 0);
        return dialogs.log.contains(u"I:Download Complete"_s);
    }));
    EXPECT_GT(most, 100);  // one step a report, not per cent
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(dialogs.Errors().isEmpty());
    EXPECT_EQ(unit.LastDownload().Unit(0).DeviceName(), "Hall");
    EXPECT_EQ(unit.LastDownload().Unit(3).DeviceName(), "Slave 3");
}

// No unit, or one listed that this user may not open: the same box, and in the
// second case a line that names the interface and the udev rule.
TEST_F(WindowTest, DownloadWithoutAUnitSaysSo) {
    for (const bool listed : {false, true}) {
        unit.SetFaults({.present = listed, .accessDenied = listed});
        dialogs.log.clear();
        Click("DownloadButton");
        ASSERT_EQ(dialogs.log.value(0), u"E:Cannot find ORVELIX"_s);
        ASSERT_EQ(dialogs.log.size(), listed ? 2 : 1);
        const QString detail = dialogs.log.last();
        EXPECT_EQ(detail.contains(QString::fromUtf8(kSimUnitPath)), listed);
        EXPECT_EQ(detail.contains(u"70-orvelix.rules"_s), listed) << detail.toStdString();
    }
}

// Connect shows the live grids with the first record and the nine names and takes
// the link over from a stalled download; a download ends monitoring first;
// closing while monitoring stops the link cleanly.
TEST_F(WindowTest, ConnectDownloadAndCloseWhileMonitoring) {
    auto* out = W<ColourGrid>("OutputStatusAdvStringGrid");
    auto* bar = W<QProgressBar>("DownloadProgressBar");
    auto shown = [&](bool on) {
        EXPECT_EQ(W<QPushButton>("StatusConnectButton")->text(),
                  on ? u"Disconnect"_s : u"Connect"_s);
        for (const char* part : {"OutputStatusAdvStringGrid", "InputStatusAdvStringGrid",
                                 "OutputStatusLabel", "InputStatusLabel"}) {
            EXPECT_EQ(W(part)->isHidden(), !on) << part;
        }
    };
    unit.SetFaults({.silentAfterReport = 5});
    Click("DownloadButton");
    ASSERT_TRUE(WaitFor([&] { return bar->isVisible(); }));
    ShowPage(2);
    Click("StatusConnectButton");
    EXPECT_TRUE(bar->isHidden());
    shown(true);
    unit.SetFaults({});
    ASSERT_TRUE(WaitFor([&] { return out->rowCount() == 10 && !out->CellText(0, 9).isEmpty(); }));
    EXPECT_EQ(Colours(out, 1).count(u'?'), 0);
    ShowPage(0);
    Click("DownloadButton");
    shown(false);
    ASSERT_TRUE(WaitFor([&] { return dialogs.log.contains(u"I:Download Complete"_s); }));
    ShowPage(2);
    Click("StatusConnectButton");
    Click("StatusConnectButton");
    shown(false);
    Click("StatusConnectButton");
    QTest::qWait(100);
    EXPECT_TRUE(form->close());
    form.reset();  // joins the receive thread: must not hang or crash
}

// Records for all units paint nine rows (absent Slaves grey), a single unit's one
// row (grey when it reports no state); each paint parks both selections. Names
// fill one row or nine, decoded from the unit's 8-bit code page.
TEST_F(WindowTest, StatusPagePaintsOneUnitOrAll) {
    StatusPage* page = form->statusPage();
    // Master (or the one unit): outputs 1 and 16, inputs 2 and 9; Slave 8: output 15.
    auto paint = [&](std::uint8_t single, std::uint8_t present) {
        std::vector<std::uint8_t> r(40, 0);
        r[0] = single;
        r[1] = present;
        r[2] = 0x01;
        r[3] = 0x80;
        r[19] = 0x40;
        r[20] = 0x02;
        r[21] = 0x01;
        page->outputStatus->setCurrentCell(1, 3);
        page->inputStatus->setCurrentCell(1, 3);
        page->PaintStatus(DecodeStatusRecord(r));
        QString out;
        for (ColourGrid* g : {page->outputStatus, page->inputStatus}) {
            EXPECT_EQ(g->rowHeight(g->rowCount() - 1), 20);
            EXPECT_EQ(std::pair(g->currentColumn(), g->currentRow()), std::pair(0, 0));
            for (int row = 1; row < g->rowCount(); ++row) {
                out += Colours(g, row) + u' ';
            }
        }
        return out;
    };
    const QString grey(16, u'-');
    const QString none = (grey + u' ').repeated(8);
    EXPECT_EQ(paint(0, 0), u"RGGGGGGGGGGGGGGR "_s + none + u"GRGGGGGGRGGGGGGG "_s + none);
    EXPECT_EQ(paint(1, 1), u"RGGGGGGGGGGGGGGR GRGGGGGGRGGGGGGG "_s);
    EXPECT_EQ(paint(1, 0), grey + u' ' + grey + u' ');
    EXPECT_EQ(paint(0, 0x80), u"RGGGGGGGGGGGGGGR "_s + (grey + u' ').repeated(7) +
                                  u"GGGGGGGGGGGGGGRG GRGGGGGGRGGGGGGG "_s +
                                  (grey + u' ').repeated(7) + QString(16, u'G') + u' ');

    std::array<std::string, 9> names{"First", "One", "", "", "", "", "", "", "Eight"};
    page->SetStatusRowTitles(2, names);
    names.fill("Ignored");
    names[0] = "Caf\xe9";
    page->SetStatusRowTitles(1, names);
    names[0] = "Ignored";
    page->SetStatusRowTitles(0, names);
    page->SetStatusRowTitles(3, names);
    for (ColourGrid* g : {page->outputStatus, page->inputStatus}) {
        EXPECT_EQ(g->CellText(0, 1) + g->CellText(0, 2) + g->CellText(0, 9),
                  u"Caf\u00e9OneEight"_s);
    }
}

}  // namespace
}  // namespace valdro::ui::test
