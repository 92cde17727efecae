// The window driving the simulated unit: download and live status end to end,
// through the timer and the receive thread's hand-off.
#include <QProgressBar>
#include <QPushButton>

#include "ui/cell_colours.h"
#include "ui/colour_grid.h"
#include "ui/html_check_box.h"
#include "ui/unit_selector.h"
#include "window_fixture.h"

namespace valdro::ui::test {
namespace {

bool WaitForLog(ScriptedDialogs& d, const QString& entry) {
    return QTest::qWaitFor([&] { return d.log.contains(entry); }, 15000);
}

TEST_F(WindowTest, DownloadSendsTheStoredPageToTheUnit) {
    Type(QStringLiteral("DeviceNameEdit"), QStringLiteral("Hall"));
    ClickButton(QStringLiteral("DownloadButton"));
    ASSERT_TRUE(WaitForLog(dialogs, QStringLiteral("I:Download Complete")));
    EXPECT_EQ(unit->DownloadsCompleted(), 1);
    EXPECT_EQ(unit->LastDownload().Unit(0).DeviceName(), "Hall");
    EXPECT_TRUE(dialogs.Errors().isEmpty());
}

// Switching units, editing or loading while the download runs changes nothing of
// what reaches the unit.
TEST_F(WindowTest, DownloadSendsTheConfigurationOfTheMomentItStarted) {
    Unit(3).SetSlaveEnabled(true);
    Type("DeviceNameEdit", "Hall");
    ClickButton(QStringLiteral("DownloadButton"));
    Type("DeviceNameEdit", "Late");
    Unit(3).SetDeviceName("Boiler");
    form->unitSelector()->setCurrentIndex(3);  // the handlers run before any reply
    form->DisplayTabSetMouseUp();
    ASSERT_EQ(form->CurrentUnit(), 3);
    ASSERT_TRUE(WaitForLog(dialogs, QStringLiteral("I:Download Complete")));
    EXPECT_TRUE(dialogs.Errors().isEmpty());
    EXPECT_EQ(unit->LastDownload().Unit(0).DeviceName(), "Hall");
    EXPECT_EQ(unit->LastDownload().Unit(3).DeviceName(), "Slave 3");
    EXPECT_EQ(unit->LastDownload().Unit(0).IPAddr(), C().Unit(0).IPAddr());
}

// No unit, or one listed that this user may not open: the same box, and in the
// second case a line that names the interface and the udev rule.
TEST_F(WindowTest, DownloadWithoutAUnitSaysSo) {
    for (const bool listed : {false, true}) {
        unit->SetFaults({.present = listed, .accessDenied = listed});
        ClickButton(QStringLiteral("DownloadButton"));
        EXPECT_EQ(dialogs.Errors().last(), QStringLiteral("Cannot find ORVELIX"));
        const QString detail = dialogs.errorDetails.last();
        EXPECT_EQ(detail.contains(QString::fromUtf8(kSimUnitPath)), listed) << detail.toStdString();
        EXPECT_EQ(detail.contains(QStringLiteral("70-orvelix.rules")), listed)
            << detail.toStdString();
    }
    EXPECT_EQ(dialogs.Errors().size(), 2);
}

// Connect takes the link over from a download: its progress bar goes with it.
TEST_F(WindowTest, ConnectTakingOverADownloadHidesItsProgress) {
    unit->SetFaults({.silentAfterReport = 5});
    auto* bar = W<QProgressBar>("DownloadProgressBar");
    ClickButton(QStringLiteral("DownloadButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->isVisible(); }, 15000));
    ShowPage(2);
    ClickButton(QStringLiteral("StatusConnectButton"));
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(dialogs.Errors().isEmpty());
}

TEST_F(WindowTest, ConnectShowsLiveStatusAndDisconnectHidesIt) {
    ShowPage(2);
    ClickButton(QStringLiteral("StatusConnectButton"));
    auto* button = W<QPushButton>(QStringLiteral("StatusConnectButton"));
    EXPECT_EQ(button->text(), QStringLiteral("Disconnect"));
    ColourGrid* out = W<ColourGrid>(QStringLiteral("OutputStatusAdvStringGrid"));
    EXPECT_FALSE(out->isHidden());
    // The first record and the nine names arrive through the hand-off.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return out->rowCount() == 10 && !out->CellText(0, 1).isEmpty(); }, 15000));
    EXPECT_TRUE(out->CellColour(1, 1) == kMappedColour || out->CellColour(1, 1) == kUnmappedColour);
    ClickButton(QStringLiteral("StatusConnectButton"));
    EXPECT_EQ(button->text(), QStringLiteral("Connect"));
    EXPECT_TRUE(out->isHidden());
}

TEST_F(WindowTest, DownloadEndsMonitoringFirst) {
    ShowPage(2);
    ClickButton(QStringLiteral("StatusConnectButton"));
    ASSERT_EQ(W<QPushButton>(QStringLiteral("StatusConnectButton"))->text(),
              QStringLiteral("Disconnect"));
    ShowPage(0);
    ClickButton(QStringLiteral("DownloadButton"));
    EXPECT_EQ(W<QPushButton>(QStringLiteral("StatusConnectButton"))->text(),
              QStringLiteral("Connect"));
    EXPECT_TRUE(W<ColourGrid>(QStringLiteral("InputStatusAdvStringGrid"))->isHidden());
    ASSERT_TRUE(WaitForLog(dialogs, QStringLiteral("I:Download Complete")));
}

TEST_F(WindowTest, ClosingWhileMonitoringStopsTheLinkCleanly) {
    ShowPage(2);
    ClickButton(QStringLiteral("StatusConnectButton"));
    QTest::qWait(100);
    EXPECT_TRUE(form->close());
    form.reset();  // joins the receive thread; must not hang or crash
    SUCCEED();
}

}  // namespace
}  // namespace valdro::ui::test
