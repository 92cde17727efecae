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

// No unit, or one listed that this user may not open: the same box, and in the
// second case a line that names the interface and the udev rule. The download
// sends the stored page as it was when it started (switching units or editing
// while it runs changes nothing), showing its progress out of the whole.
TEST_F(WindowTest, DownloadSaysWhenNoUnitElseSendsThePageOfTheMoment) {
    unit.SetFaults({.present = false});
    Click("DownloadButton");
    unit.SetFaults({.accessDenied = true});
    Click("DownloadButton");
    ASSERT_EQ(dialogs.log.size(), 3);
    EXPECT_EQ(dialogs.log.mid(0, 2), QStringList(2, u"E:Cannot find ORVELIX"_s));
    EXPECT_TRUE(dialogs.log[2].contains(QString::fromUtf8(kSimUnitPath)));
    EXPECT_TRUE(dialogs.log[2].contains(u"70-orvelix.rules"_s)) << dialogs.log[2].toStdString();
    unit.SetFaults({});
    dialogs.log.clear();
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
    EXPECT_EQ(unit.LastDownload().Unit(0).DeviceName(), "Hall");
    EXPECT_EQ(unit.LastDownload().Unit(3).DeviceName(), "Slave 3");
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
        EXPECT_EQ(W("InputStatusLabel")->isHidden() + out->isHidden(), on ? 0 : 2);
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
    ShowPage(0);
    Click("DownloadButton");
    shown(false);
    ASSERT_TRUE(WaitFor([&] { return dialogs.log.contains(u"I:Download Complete"_s); }));
    ShowPage(2);
    Click("StatusConnectButton");
    QTest::qWait(100);
    EXPECT_TRUE(form->close());
    form.reset();  // joins the receive thread: must not hang or crash
}

// Records for all units paint nine rows (absent Slaves grey), a single unit's one
// row (grey when it reports no state); each paint parks both selections.
TEST_F(WindowTest, StatusPagePaintsOneUnitOrAll) {
    StatusPage* page = form->statusPage();
    // Master (or the one unit): outputs 1 and 16, inputs 2 and 9; Slave 8: output 15.
    auto paint = [&](std::uint8_t single, std::uint8_t present) {
        std::vector<std::uint8_t> r{single, present, 0x01, 0x80};
        r.resize(40);
        std::tie(r[19], r[20], r[21]) = std::tuple(0x40, 0x02, 0x01);
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
}

}  // namespace
}  // namespace valdro::ui::test
