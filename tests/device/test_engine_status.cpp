// Live status monitoring against the simulated unit: connect, the poll every 20
// ticks, names fetched only when the mode byte changes, presence and bit order,
// unplugging, Disconnect with a reply awaited, a download while monitoring.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "device/report_trace.h"
#include "engine_rig.h"
#include "support/temp_dir.h"
#include "support/text_shape.h"

namespace valdro {
namespace {

using test::EngineRig;

// Connects and hands over replies until the first record and its names are in.
void ConnectAndSettle(EngineRig& rig) {
    rig.engine.StartMonitoring();
    ASSERT_TRUE(rig.engine.Monitoring());
    ASSERT_TRUE(rig.DeliverUntilIdle());
}

std::vector<int> NineNameRequests() {
    return std::vector<int>(9, cmd::GetUnitName);
}

std::vector<int> Join(std::vector<int> a, const std::vector<int>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Connecting sends Identify at once; the first record always brings the names
// (nine here; one in single-unit mode, as the name tests below connect).
TEST(EngineStatus, ConnectFetchesTheFirstRecordAndTheNames) {
    EngineRig rig;
    ConnectAndSettle(rig);
    EXPECT_EQ(rig.Codes(), Join({cmd::Identify, cmd::GetStatus}, NineNameRequests()));
    for (std::size_t u = 0; u < 9; ++u) {
        EXPECT_EQ(rig.Written()[2 + u][2], u) << "GetUnitName byte 2";
    }
    EXPECT_EQ(rig.events.order, (std::vector<std::string>{"connected", "paint", "titles:2"}));
    EXPECT_EQ(rig.events.titles[0].second[0], "Master");
    EXPECT_EQ(rig.events.titles[0].second[8], "Slave 8");
    EXPECT_EQ(rig.engine.LastStatusMode(), 0);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 0);
    EXPECT_EQ(rig.engine.StatusPollCountdown(), 20);
}

// The unit reports the Slaves its last download enabled, and their names as
// downloaded: 32-character names come back cut to 30, a disabled Slave's empty.
TEST(EngineStatus, AfterADownloadTheUnitReportsWhatItReceived) {
    EngineRig rig;
    rig.config = test::RichConfig();
    rig.StartDownload();
    ASSERT_TRUE(rig.DeliverUntilIdle());
    ConnectAndSettle(rig);
    ASSERT_EQ(rig.events.painted.size(), 1u);
    for (std::size_t u = 0; u < 9; ++u) {
        EXPECT_EQ(rig.events.painted[0].units[u].present, u != 3 && u != 6) << u;
    }
    const auto& names = rig.engine.StatusUnitNames();
    EXPECT_EQ(names[0], "Master unit in the plant hall ");
    EXPECT_EQ(names[1], "Slave one, 32 characters long!");
    EXPECT_EQ(names[3], "");
    EXPECT_EQ(names[4], "Caf\xe9 corner");
}

TEST(EngineStatus, PollsEveryTwentyTicksWithoutNamesWhileTheModeStays) {
    EngineRig rig;
    ConnectAndSettle(rig);
    for (int poll = 0; poll < 3; ++poll) {
        const std::size_t before = rig.WrittenCount();
        rig.Tick(19);
        EXPECT_EQ(rig.WrittenCount(), before) << "poll " << poll;
        rig.Tick();
        EXPECT_EQ(rig.engine.LinkState(), LinkState::StatusIdentity);
        EXPECT_EQ(rig.engine.StatusPollCountdown(), 20);
        ASSERT_TRUE(rig.DeliverUntilIdle());
        EXPECT_EQ(rig.Codes(before), (std::vector<int>{cmd::Identify, cmd::GetStatus}));
    }
    EXPECT_EQ(rig.events.painted.size(), 4u);
    EXPECT_EQ(rig.events.titles.size(), 1u);
    EXPECT_TRUE(rig.events.errors.empty());
}

TEST(EngineStatus, AModeChangeFetchesOneOrNineNames) {
    EngineRig rig;
    ConnectAndSettle(rig);
    for (const bool single : {true, false}) {
        rig.sim.SetSingleUnitMode(single);
        const std::size_t before = rig.WrittenCount();
        rig.Tick(20);
        ASSERT_TRUE(rig.DeliverUntilIdle());
        const std::vector<int> names =
            single ? std::vector<int>{cmd::GetOwnName} : NineNameRequests();
        EXPECT_EQ(rig.Codes(before), Join({cmd::Identify, cmd::GetStatus}, names));
        EXPECT_EQ(rig.events.titles.back().first,
                  single ? NameRows::SingleUnit : NameRows::AllUnits);
    }
}

TEST(EngineStatus, NineNameRequestsShareOneCountdown) {
    EngineRig rig;
    rig.engine.StartMonitoring();
    ASSERT_TRUE(rig.DeliverCount(2));  // identity, status: the first GetUnitName is out
    EXPECT_EQ(rig.engine.LinkState(), LinkState::UnitNameReply);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 20);
    rig.Tick(5);
    ASSERT_TRUE(rig.DeliverCount(4));
    EXPECT_EQ(rig.engine.BlockNumber(), 2);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 15) << "name requests do not restart it";
}

// Status records as the unit sends them (reply bytes 2..), and what is painted.
struct RecordCase {
    const char* name;
    std::vector<std::uint8_t> record;
    std::uint16_t presentMask;  // bit u = unit u present
    std::uint16_t masterOut, masterIn, slave1Out;
};

class EngineStatusRecord : public ::testing::TestWithParam<RecordCase> {};

TEST_P(EngineStatusRecord, IsPaintedAsTheUnitSentIt) {
    const RecordCase& c = GetParam();
    EngineRig rig;
    rig.sim.SetStatusOverride(c.record);
    ConnectAndSettle(rig);
    ASSERT_EQ(rig.events.painted.size(), 1u);
    const StatusRecord& r = rig.events.painted[0];
    EXPECT_EQ(r.singleUnit(), c.record[0] != 0);
    for (std::size_t u = 0; u < static_cast<std::size_t>(r.rowCount()); ++u) {
        EXPECT_EQ(r.units[u].present, ((c.presentMask >> u) & 1) != 0) << "unit " << u;
    }
    EXPECT_EQ(r.units[0].outputs, c.masterOut);
    EXPECT_EQ(r.units[0].inputs, c.masterIn);
    EXPECT_EQ(r.units[1].outputs, c.slave1Out);
}

std::vector<std::uint8_t> Record(std::uint8_t mode, std::uint8_t mask) {
    std::vector<std::uint8_t> r(38, 0);
    r[0] = mode;
    r[1] = mask;
    r[2] = 0x01, r[3] = 0x80;    // Master outputs 1 and 16
    r[5] = 0x01;                 // Slave 1 output 9
    r[20] = 0x02, r[21] = 0x40;  // Master inputs 2 and 15
    return r;
}

INSTANTIATE_TEST_SUITE_P(
    Records, EngineStatusRecord,
    ::testing::Values(RecordCase{"NoSlaves", Record(0, 0x00), 0x001, 0x8001, 0x4002, 0x0100},
                      RecordCase{"Slave8", Record(0, 0x80), 0x101, 0x8001, 0x4002, 0x0100},
                      RecordCase{"AllSlaves", Record(0, 0xFF), 0x1FF, 0x8001, 0x4002, 0x0100},
                      RecordCase{"SingleOnline", Record(1, 1), 0x001, 0x8001, 0x4002, 0},
                      RecordCase{"SingleOffline", Record(2, 0), 0x000, 0x8001, 0x4002, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Name replies handed in directly: what is stored of each.
struct NameCase {
    const char* name;
    std::string bytes;  // from reply byte 2; the rest of the reply is 'A'
    std::string stored;
};

class EngineStatusName : public ::testing::TestWithParam<NameCase> {};

TEST_P(EngineStatusName, IsStoredUpToItsNulAndAtMostThirtyCharacters) {
    EngineRig rig;
    rig.sim.SetSingleUnitMode(true);
    rig.engine.StartMonitoring();
    ASSERT_TRUE(rig.DeliverCount(2));
    ASSERT_EQ(rig.engine.LinkState(), LinkState::OwnNameReply);
    HidReport reply;
    reply.fill('A');
    std::copy(GetParam().bytes.begin(), GetParam().bytes.end(), reply.begin() + 2);
    rig.engine.ReceiveReport(reply);
    EXPECT_EQ(rig.engine.StatusUnitNames()[0], GetParam().stored);
    EXPECT_EQ(rig.events.titles.back().second[0], GetParam().stored);
    EXPECT_EQ(rig.engine.LinkState(), LinkState::Idle);
}

INSTANTIATE_TEST_SUITE_P(
    Names, EngineStatusName,
    ::testing::Values(NameCase{"Short", std::string("Slave 3\0", 8), "Slave 3"},
                      NameCase{"Empty", std::string(1, '\0'), ""},
                      NameCase{"Thirty", std::string(30, 'x') + '\0', std::string(30, 'x')},
                      NameCase{"ThirtyOne", std::string(31, 'y') + '\0', std::string(30, 'y')},
                      NameCase{"NoNulAtAll", std::string(63, 'z'), std::string(30, 'z')},
                      NameCase{"Ansi", std::string("Caf\xe9\0", 5), "Caf\xe9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EngineStatus, WrongIdentityKeepsPolling) {
    EngineRig rig({.wrongIdentity = true});
    rig.engine.StartMonitoring();
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.events.errors,
              std::vector<std::string>{"Application is not a ORVELIX Valdrometrica"});
    EXPECT_TRUE(rig.engine.Monitoring());
    rig.Tick(20);
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.Codes(), (std::vector<int>{cmd::Identify, cmd::Identify}));
    EXPECT_EQ(rig.events.errors.size(), 2u);
}

// The trace says why the link dropped, in the platform's words.
TEST(EngineStatus, UnplugWhileIdleResetsThePageWithoutAMessage) {
    const valdro::testing::TempDir dir;
    const auto path = dir / "unplug.trace";
    ReportTrace trace;
    ASSERT_TRUE(trace.Open(path.string()));
    EngineRig rig;
    rig.engine.SetTrace(&trace);
    ConnectAndSettle(rig);
    rig.sim.Unplug();
    ASSERT_TRUE(rig.WaitChannelDropped());
    rig.Tick(20);
    EXPECT_FALSE(rig.engine.Monitoring());
    EXPECT_EQ(rig.events.resets, 1);
    rig.Tick(100);
    EXPECT_TRUE(rig.events.errors.empty());
    rig.engine.SetTrace(nullptr);
    std::ifstream in(path, std::ios::binary);
    std::string line, last;
    while (std::getline(in, line)) {
        last = line;
    }
    EXPECT_EQ(last.substr(0, last.size() - test::kTimeShape.size()),
              "! read failed: simulated unit unplugged ")
        << last;
}

TEST(EngineStatus, UnplugWithAReplyAwaitedAlsoShowsLostComms) {
    // GetStatus goes unanswered, so the receive thread is back in its read (not
    // holding a reply in the hand-off) when the unit is unplugged.
    EngineRig rig({.silentAfterReport = 1});
    rig.engine.StartMonitoring();
    rig.Tick(5);
    ASSERT_TRUE(rig.DeliverOne());  // identity at tick 5: GetStatus awaited until tick 25
    rig.sim.Unplug();
    ASSERT_TRUE(rig.WaitChannelDropped());
    rig.Tick(15);  // tick 20: the poll finds no unit
    EXPECT_FALSE(rig.engine.Monitoring());
    EXPECT_EQ(rig.events.resets, 1);
    rig.Tick(4);
    EXPECT_TRUE(rig.events.errors.empty());
    rig.Tick();  // tick 25: one second after the last report
    EXPECT_EQ(rig.events.errors, std::vector<std::string>{"Lost comms to ORVELIX"});
    EXPECT_EQ(rig.events.resets, 1);
}

// "Disconnect" with a reply awaited: the page is reset at once, and the exchange
// still ends normally, or through the watchdog when the unit is silent.
TEST(EngineStatus, DisconnectWithAReplyAwaited) {
    for (const bool silent : {false, true}) {
        EngineRig rig({.silentAfterReport = silent ? 0 : -1});
        rig.engine.StartMonitoring();
        rig.engine.StopMonitoring();
        EXPECT_FALSE(rig.engine.Monitoring());
        EXPECT_EQ(rig.events.resets, 1);
        EXPECT_EQ(rig.engine.LinkState(), LinkState::StatusIdentity);
        if (!silent) {
            ASSERT_TRUE(rig.DeliverUntilIdle());
            EXPECT_EQ(rig.events.titles.size(), 1u);
        }
        rig.Tick(100);
        EXPECT_EQ(rig.WrittenCount(), silent ? 1u : 11u) << "no polls after Disconnect";
        EXPECT_EQ(rig.events.errors, silent ? std::vector<std::string>{"Lost comms to ORVELIX"}
                                            : std::vector<std::string>{});
        EXPECT_EQ(rig.events.resets, 1);
    }
}

TEST(EngineStatus, ADownloadStartedWhileMonitoringEndsIt) {
    EngineRig rig;
    ConnectAndSettle(rig);
    rig.events.order.clear();
    rig.engine.StopMonitoring();  // the window's download button: the page first
    const std::size_t before = rig.WrittenCount();
    rig.StartDownload();
    EXPECT_EQ(rig.events.order, std::vector<std::string>{"reset"});
    ASSERT_TRUE(rig.DeliverUntilIdle());
    rig.Tick(60);
    EXPECT_EQ(rig.WrittenCount(), before + 109) << "no poll during or after the download";
    EXPECT_EQ(rig.events.infos, std::vector<std::string>{"Download Complete"});
}

TEST(EngineStatus, ConnectTakesOverARunningDownload) {
    EngineRig rig;
    rig.StartDownload();
    ASSERT_TRUE(rig.DeliverCount(11));  // report 12 is out
    rig.engine.StartMonitoring();
    EXPECT_EQ(rig.engine.LinkState(), LinkState::StatusIdentity);
    EXPECT_EQ(rig.events.order, (std::vector<std::string>{"abandoned", "connected"}));
    // Report 12's acknowledgement answers the Identify and fails the check; the
    // unit's identity reply then arrives with nothing awaiting it.
    ASSERT_TRUE(rig.DeliverCount(13));
    EXPECT_EQ(rig.events.errors,
              std::vector<std::string>{"Application is not a ORVELIX Valdrometrica"});
    EXPECT_EQ(rig.engine.LinkState(), LinkState::Idle);
    rig.Tick(20);  // the next poll recovers
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.events.painted.size(), 1u);
    EXPECT_TRUE(rig.events.infos.empty());
}

}  // namespace
}  // namespace valdro
