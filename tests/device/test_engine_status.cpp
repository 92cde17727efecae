// Live status monitoring against the simulated unit: connect, the poll every 20
// ticks, names fetched only when the mode byte changes, presence and bit order,
// unplugging, a silent unit, Disconnect with a reply awaited, a download while
// monitoring.

#include <gtest/gtest.h>

#include "engine_rig.h"

namespace valdro {
namespace {

using test::EngineRig;

std::vector<int> Codes(const std::vector<HidReport>& reports, std::size_t from = 0) {
    std::vector<int> codes;
    for (std::size_t i = from; i < reports.size(); ++i) {
        codes.push_back(reports[i][1]);
    }
    return codes;
}

// Connects and hands over replies until the first record and its names are in.
void ConnectAndSettle(EngineRig& rig) {
    rig.engine.StatusConnectButtonClick();
    ASSERT_TRUE(rig.engine.Monitoring());
    ASSERT_TRUE(rig.DeliverUntilIdle());
}

TEST(EngineStatus, ConnectFetchesTheFirstRecordAndAllNineNames) {
    EngineRig rig;
    ConnectAndSettle(rig);
    const auto w = rig.Written();
    ASSERT_EQ(w.size(), 11u);
    EXPECT_EQ(w[0][1], cmd::Identify);
    EXPECT_EQ(w[1][1], cmd::GetStatus);
    for (int u = 0; u < 9; ++u) {
        EXPECT_EQ(test::CodeAndBlock(w[static_cast<std::size_t>(2 + u)]),
                  std::make_pair(int{cmd::GetUnitName}, u));
    }
    EXPECT_EQ(rig.ui.events, (std::vector<std::string>{"connected", "paint", "titles:2"}));
    EXPECT_EQ(rig.engine.LastStatusMode(), 0);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 0);
    EXPECT_EQ(rig.engine.StatusPollCountdown(), 20);
    // The simulated unit reports its default names.
    ASSERT_EQ(rig.ui.titles.size(), 1u);
    for (int u = 0; u < 9; ++u) {
        EXPECT_EQ(rig.ui.titles[0].second[static_cast<std::size_t>(u)],
                  rig.sim.LastDownload().Unit(u).DeviceName());
    }
    EXPECT_EQ(rig.engine.StatusUnitNames(), rig.ui.titles[0].second);
}

TEST(EngineStatus, ConnectInSingleModeFetchesTheOwnName) {
    EngineRig rig;
    rig.sim.SetSingleUnitMode(true);
    ConnectAndSettle(rig);
    EXPECT_EQ(Codes(rig.Written()),
              (std::vector<int>{cmd::Identify, cmd::GetStatus, cmd::GetOwnName}));
    EXPECT_EQ(rig.ui.events, (std::vector<std::string>{"connected", "paint", "titles:1"}));
    EXPECT_EQ(rig.engine.LastStatusMode(), 1);
}

TEST(EngineStatus, PollsEveryTwentyTicksWithoutNamesWhileTheModeStays) {
    EngineRig rig;
    ConnectAndSettle(rig);
    for (int poll = 0; poll < 3; ++poll) {
        const std::size_t before = rig.WrittenCount();
        rig.Tick(19);
        EXPECT_EQ(rig.WrittenCount(), before) << "poll " << poll;
        rig.Tick();
        ASSERT_EQ(rig.WrittenCount(), before + 1);
        EXPECT_EQ(rig.Written().back()[1], cmd::Identify);
        EXPECT_EQ(rig.engine.LinkState(), 19);
        EXPECT_EQ(rig.engine.StatusPollCountdown(), 20);
        ASSERT_TRUE(rig.DeliverUntilIdle());
        EXPECT_EQ(Codes(rig.Written(), before), (std::vector<int>{cmd::Identify, cmd::GetStatus}));
    }
    EXPECT_EQ(rig.ui.painted.size(), 4u);
    EXPECT_EQ(rig.ui.titles.size(), 1u);
    EXPECT_TRUE(rig.ui.errors.empty());
}

TEST(EngineStatus, AModeChangeFetchesOneOrNineNames) {
    EngineRig rig;
    ConnectAndSettle(rig);

    rig.sim.SetSingleUnitMode(true);
    std::size_t before = rig.WrittenCount();
    rig.Tick(20);
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(Codes(rig.Written(), before),
              (std::vector<int>{cmd::Identify, cmd::GetStatus, cmd::GetOwnName}));
    EXPECT_EQ(rig.ui.titles.back().first, 1);

    rig.sim.SetSingleUnitMode(false);
    before = rig.WrittenCount();
    rig.Tick(20);
    ASSERT_TRUE(rig.DeliverUntilIdle());
    const auto w = rig.Written();
    ASSERT_EQ(w.size(), before + 11);
    for (int u = 0; u < 9; ++u) {
        EXPECT_EQ(test::CodeAndBlock(w[before + 2 + static_cast<std::size_t>(u)]),
                  std::make_pair(int{cmd::GetUnitName}, u));
    }
    EXPECT_EQ(rig.ui.titles.back().first, 2);
    EXPECT_EQ(rig.ui.titles.size(), 3u);
}

TEST(EngineStatus, NineNameRequestsShareOneCountdown) {
    EngineRig rig;
    rig.engine.StatusConnectButtonClick();
    ASSERT_TRUE(rig.DeliverOne());  // identity
    ASSERT_TRUE(rig.DeliverOne());  // status: first GetUnitName goes out
    EXPECT_EQ(rig.engine.LinkState(), 21);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 20);
    rig.Tick(5);
    ASSERT_TRUE(rig.DeliverOne());
    ASSERT_TRUE(rig.DeliverOne());
    EXPECT_EQ(rig.engine.BlockNumber(), 2);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 15) << "name requests do not restart it";
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.engine.ReplyCountdown(), 0);
}

struct PresenceCase {
    std::uint8_t mask;
    std::array<bool, 9> present;
};

class EngineStatusPresence : public testing::TestWithParam<PresenceCase> {};

TEST_P(EngineStatusPresence, FollowsTheSlaveMask) {
    EngineRig rig;
    rig.sim.SetStatusOverride({0, GetParam().mask});
    ConnectAndSettle(rig);
    ASSERT_EQ(rig.ui.painted.size(), 1u);
    const StatusRecord& r = rig.ui.painted[0];
    EXPECT_FALSE(r.singleUnit());
    for (std::size_t u = 0; u < 9; ++u) {
        EXPECT_EQ(r.units[u].present, GetParam().present[u]) << "unit " << u;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Masks, EngineStatusPresence,
    testing::Values(
        PresenceCase{0x00, {true, false, false, false, false, false, false, false, false}},
        PresenceCase{0x80, {true, false, false, false, false, false, false, false, true}},
        PresenceCase{0xFF, {true, true, true, true, true, true, true, true, true}}));

TEST(EngineStatus, BitOrderOfOutputsAndInputs) {
    EngineRig rig;
    std::vector<std::uint8_t> record(38, 0);
    record[0] = 0;     // all units
    record[1] = 0x01;  // Slave 1 present
    record[2] = 0x01;  // Master output 1
    record[3] = 0x80;  // Master output 16
    record[4] = 0x00;
    record[5] = 0x01;   // Slave 1 output 9
    record[20] = 0x02;  // Master input 2
    record[21] = 0x40;  // Master input 15
    rig.sim.SetStatusOverride(record);
    ConnectAndSettle(rig);
    ASSERT_EQ(rig.ui.painted.size(), 1u);
    const StatusRecord& r = rig.ui.painted[0];
    EXPECT_EQ(r.units[0].outputs, 0x8001);
    EXPECT_EQ(r.units[0].inputs, 0x4002);
    EXPECT_EQ(r.units[1].outputs, 0x0100);
}

TEST(EngineStatus, SingleUnitOfflineIsNotPresent) {
    EngineRig rig;
    rig.sim.SetStatusOverride({1, 0, 0xFF, 0xFF});
    ConnectAndSettle(rig);
    ASSERT_EQ(rig.ui.painted.size(), 1u);
    EXPECT_TRUE(rig.ui.painted[0].singleUnit());
    EXPECT_FALSE(rig.ui.painted[0].units[0].present);
}

// Name replies handed in directly: what is stored of each.
struct NameCase {
    const char* name;
    std::vector<std::uint8_t> bytes;  // from reply byte 2
    std::string stored;
};

class EngineStatusName : public testing::TestWithParam<NameCase> {};

TEST_P(EngineStatusName, IsStoredUpToItsNulAndAtMostThirtyCharacters) {
    EngineRig rig;
    rig.sim.SetSingleUnitMode(true);
    rig.engine.StatusConnectButtonClick();
    ASSERT_TRUE(rig.DeliverOne());
    ASSERT_TRUE(rig.DeliverOne());
    ASSERT_EQ(rig.engine.LinkState(), 22);
    HidReport reply;
    reply.fill(0x41);
    std::copy(GetParam().bytes.begin(), GetParam().bytes.end(), reply.begin() + 2);
    rig.engine.ReceiveReport(reply);
    EXPECT_EQ(rig.engine.StatusUnitNames()[0], GetParam().stored);
    EXPECT_EQ(rig.ui.titles.back().second[0], GetParam().stored);
    EXPECT_EQ(rig.engine.LinkState(), 0);
}

std::vector<std::uint8_t> Text(std::string s, bool nul = true) {
    std::vector<std::uint8_t> v(s.begin(), s.end());
    if (nul) {
        v.push_back(0);
    }
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Names, EngineStatusName,
    testing::Values(NameCase{"short", Text("Slave 3"), "Slave 3"}, NameCase{"empty", Text(""), ""},
                    NameCase{"thirty", Text(std::string(30, 'x')), std::string(30, 'x')},
                    NameCase{"thirtyone", Text(std::string(31, 'y')), std::string(30, 'y')},
                    // No NUL anywhere in the 63 bytes: the first 30 are kept.
                    NameCase{"unended", Text(std::string(63, 'z'), false), std::string(30, 'z')},
                    NameCase{"ansi", Text("Caf\xe9"), "Caf\xe9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EngineStatus, WrongIdentityKeepsPolling) {
    SimulatedFaults f;
    f.wrongIdentity = true;
    EngineRig rig(f);
    rig.engine.StatusConnectButtonClick();
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.ui.errors,
              std::vector<std::string>{"Application is not a ORVELIX Valdrometrica"});
    EXPECT_EQ(rig.WrittenCount(), 1u);
    EXPECT_TRUE(rig.engine.Monitoring());
    rig.Tick(20);
    EXPECT_EQ(rig.WrittenCount(), 2u) << "the next poll asks again";
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.ui.errors.size(), 2u);
}

TEST(EngineStatus, ConnectFailuresLeaveThePageOff) {
    SimulatedFaults f;
    f.present = false;
    EngineRig rig(f);
    rig.engine.StatusConnectButtonClick();
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{"Cannot find ORVELIX"});
    EXPECT_FALSE(rig.engine.Monitoring());
    EXPECT_EQ(rig.ui.connects, 0);
    EXPECT_EQ(rig.engine.StatusPollCountdown(), 0);
    rig.Tick(100);
    EXPECT_EQ(rig.ui.errors.size(), 1u);

    SimulatedFaults pm;
    pm.programMode = true;
    EngineRig rig2(pm);
    rig2.engine.StatusConnectButtonClick();
    EXPECT_EQ(rig2.ui.errors, std::vector<std::string>{"ORVELIX is in Program Mode"});
    EXPECT_FALSE(rig2.engine.Monitoring());
    EXPECT_TRUE(rig2.engine.ChannelOpen());
}

TEST(EngineStatus, UnplugWhileIdleResetsThePageWithoutAMessage) {
    EngineRig rig;
    ConnectAndSettle(rig);
    rig.sim.Unplug();
    ASSERT_TRUE(rig.WaitChannelDropped());
    rig.Tick(20);
    EXPECT_FALSE(rig.engine.Monitoring());
    EXPECT_EQ(rig.ui.resets, 1);
    EXPECT_TRUE(rig.ui.errors.empty());
    rig.Tick(100);
    EXPECT_TRUE(rig.ui.errors.empty());
}

TEST(EngineStatus, UnplugWithAReplyAwaitedAlsoShowsLostComms) {
    EngineRig rig;
    rig.engine.StatusConnectButtonClick();
    rig.Tick(5);
    ASSERT_TRUE(rig.DeliverOne());  // identity at tick 5: GetStatus awaited until tick 25
    EXPECT_EQ(rig.engine.LinkState(), 20);
    rig.sim.Unplug();
    ASSERT_TRUE(rig.WaitChannelDropped());
    rig.Tick(15);  // tick 20: the poll finds no unit
    EXPECT_FALSE(rig.engine.Monitoring());
    EXPECT_EQ(rig.ui.resets, 1);
    EXPECT_TRUE(rig.ui.errors.empty());
    rig.Tick(4);
    EXPECT_TRUE(rig.ui.errors.empty());
    rig.Tick();  // tick 25: one second after the last report
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{"Lost comms to ORVELIX"});
    EXPECT_EQ(rig.ui.resets, 1);
}

TEST(EngineStatus, UnitBackAfterADropGetsANewChannel) {
    EngineRig rig;
    ConnectAndSettle(rig);
    rig.sim.Unplug();
    ASSERT_TRUE(rig.WaitChannelDropped());
    rig.sim.Replug();
    const std::size_t before = rig.WrittenCount();
    rig.Tick(20);
    EXPECT_TRUE(rig.engine.ChannelOpen());
    EXPECT_TRUE(rig.engine.Monitoring());
    ASSERT_EQ(rig.WrittenCount(), before + 1);
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.ui.painted.size(), 2u);
    EXPECT_TRUE(rig.ui.errors.empty());
}

TEST(EngineStatus, DisconnectWithAReplyAwaitedLetsTheExchangeFinish) {
    EngineRig rig;
    rig.engine.StatusConnectButtonClick();
    rig.engine.StatusConnectButtonClick();  // "Disconnect" before the identity reply
    EXPECT_FALSE(rig.engine.Monitoring());
    EXPECT_EQ(rig.ui.resets, 1);
    EXPECT_EQ(rig.engine.LinkState(), 19);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 20);
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.ui.painted.size(), 1u);
    EXPECT_EQ(rig.ui.titles.size(), 1u);
    const std::size_t before = rig.WrittenCount();
    rig.Tick(100);
    EXPECT_EQ(rig.WrittenCount(), before) << "no polls after Disconnect";
    EXPECT_TRUE(rig.ui.errors.empty());
}

TEST(EngineStatus, DisconnectWithASilentUnitStillTimesOut) {
    SimulatedFaults f;
    f.silentAfterReport = 0;
    EngineRig rig(f);
    rig.engine.StatusConnectButtonClick();
    rig.engine.StatusConnectButtonClick();
    rig.Tick(20);
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{"Lost comms to ORVELIX"});
    EXPECT_EQ(rig.ui.resets, 1) << "the page was already reset";
    EXPECT_EQ(rig.WrittenCount(), 1u);
}

TEST(EngineStatus, ADownloadStartedWhileMonitoringEndsIt) {
    EngineRig rig;
    ConnectAndSettle(rig);
    rig.ui.events.clear();
    // The window's download button: the page first, then the download.
    rig.engine.ResetStatusPage();
    const std::size_t before = rig.WrittenCount();
    rig.engine.StartDownload();
    EXPECT_EQ(rig.ui.events.front(), "reset");
    EXPECT_FALSE(rig.engine.Monitoring());
    EXPECT_EQ(rig.engine.StatusPollCountdown(), 0);
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.WrittenCount(), before + 109);
    EXPECT_EQ(rig.ui.infos, std::vector<std::string>{"Download Complete"});
    rig.Tick(60);
    EXPECT_EQ(rig.WrittenCount(), before + 109) << "no poll after the download";
}

TEST(EngineStatus, ConnectTakesOverARunningDownload) {
    EngineRig rig;
    rig.engine.StartDownload();
    ASSERT_TRUE(rig.DeliverUntil([&] { return rig.delivered == 10; }));
    ASSERT_TRUE(rig.DeliverOne());  // the unit acknowledged report 11; report 12 is out
    rig.engine.StatusConnectButtonClick();
    EXPECT_EQ(rig.engine.LinkState(), 19);
    // Report 12's acknowledgement answers the Identify and fails the check; the
    // unit's identity reply then arrives with nothing awaiting it.
    ASSERT_TRUE(rig.DeliverOne());
    EXPECT_EQ(rig.ui.errors,
              std::vector<std::string>{"Application is not a ORVELIX Valdrometrica"});
    ASSERT_TRUE(rig.DeliverOne());
    EXPECT_EQ(rig.engine.LinkState(), 0);
    EXPECT_TRUE(rig.ui.infos.empty());
    // The next poll recovers.
    rig.Tick(20);
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.ui.painted.size(), 1u);
}

}  // namespace
}  // namespace valdro
