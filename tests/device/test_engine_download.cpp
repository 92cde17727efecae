// The configuration download against the simulated unit: every report byte for
// byte (golden traces), the listed byte examples, the read-back configuration,
// and each way a download fails.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "device/download_layouts.h"
#include "device/report_trace.h"
#include "engine_rig.h"
#include "support/temp_dir.h"

namespace valdro {
namespace {

using test::EngineRig;

// Runs a whole download of RichConfig() for `unit`; returns the reports written.
std::vector<HidReport> RunDownload(EngineRig& rig, int unit, ReportTrace* trace = nullptr) {
    rig.engine.SetTrace(trace);
    rig.config = test::RichConfig();
    rig.StartDownload(unit);
    EXPECT_TRUE(rig.DeliverUntilIdle());
    rig.engine.SetTrace(nullptr);
    return rig.Written();
}

struct Golden {
    int unit;
    const char* file;
    int reports;
};

class EngineDownloadGolden : public ::testing::TestWithParam<Golden> {};

// The golden files pin every byte of every report, the bytes a layout leaves
// alone included. VALDRO_WRITE_GOLDEN=1 rewrites them after a deliberate change.
TEST_P(EngineDownloadGolden, WritesTheGoldenReportsAndCompletes) {
    const Golden& g = GetParam();
    const std::string golden = std::string(VALDRO_TEST_DATA_DIR) + "/" + g.file;
    const valdro::testing::TempDir dir;
    const std::string path = (dir / g.file).string();
    EngineRig rig;
    {
        ReportTrace trace;
        ASSERT_TRUE(trace.Open(path));
        RunDownload(rig, g.unit, &trace);
    }
    const auto got = test::TraceHex(path);
    const auto replies = test::TraceHex(path, '<');
    if (std::getenv("VALDRO_WRITE_GOLDEN") != nullptr) {
        std::ofstream out(golden);
        for (const auto& line : got) {
            out << "> " << line << '\n';
        }
    }
    const auto want = test::TraceHex(golden);
    ASSERT_EQ(want.size(), static_cast<std::size_t>(g.reports));
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i], want[i]) << g.file << ", report " << i + 1;
    }
    EXPECT_EQ(replies.size(), got.size()) << "every reply is traced too";
    EXPECT_EQ(rig.events.infos, std::vector<std::string>{"Download Complete"});
    EXPECT_TRUE(rig.events.errors.empty());
    EXPECT_EQ(rig.engine.LinkState(), LinkState::Idle);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 0);
    ASSERT_EQ(rig.events.progress.size(), got.size());
    EXPECT_EQ(rig.events.progress.back(), std::make_pair(g.reports, g.reports));
}

INSTANTIATE_TEST_SUITE_P(Units, EngineDownloadGolden,
                         ::testing::Values(Golden{0, "download_master.trace", 109},
                                           Golden{5, "download_slave5.trace", 11}),
                         [](const auto& info) {
                             return info.param.unit == 0 ? "Master" : "Slave5";
                         });

TEST(EngineDownload, ListedByteExamples) {
    EngineRig rig;
    const auto r = RunDownload(rig, 0);
    ASSERT_EQ(r.size(), 109u);
    auto half = [&](int b, int h) -> const HidReport& {
        return r[static_cast<std::size_t>(2 + 2 * b + h)];
    };
    auto text = [](const HidReport& rep, std::size_t n) {
        return std::string(reinterpret_cast<const char*>(rep.data() + 3), n);
    };
    EXPECT_EQ(half(0, 0)[19], 0x0B);  // the Master's port 3012, high byte first
    EXPECT_EQ(half(0, 0)[20], 0xC4);
    EXPECT_EQ(half(0, 1)[35], 0x10);  // Slave 1's port 4257 = 0x10A1
    EXPECT_EQ(half(0, 1)[36], 0xA1);
    EXPECT_EQ(half(0, 1)[43], 0xF9);  // Slave 5's port 0x1F90A: its low 16 bits
    EXPECT_EQ(half(0, 1)[44], 0x0A);
    EXPECT_EQ(half(0, 0)[22], 0x00);  // only input 1 of the Master inverted
    EXPECT_EQ(half(0, 0)[23], 0x01);
    EXPECT_EQ(half(1, 0)[7], 0x01);    // unit 2's latch: output 1 only
    EXPECT_EQ(half(1, 1)[3], 0x25);    // Master output 1 reset by unit 2, input 6
    EXPECT_EQ(half(13, 0)[11], 0x04);  // cell (0, 2, 4, 2): slice 2, byte 11, bit 2
    // A 32-character name: 31 and a NUL in block 3, all 32 and no NUL in block 4.
    EXPECT_EQ(text(half(3, 0), 32), std::string("Master unit in the plant hall A").append(1, '\0'));
    EXPECT_EQ(text(half(4, 0), 33), std::string("Slave one, 32 characters long!!!\xff"));
    // Slave 3 is disabled: a lone 0; the rest carries Slave 2's name.
    EXPECT_EQ(half(5, 0)[3], 0);
    EXPECT_EQ(text(half(5, 0), 62).substr(1), text(half(4, 1), 62).substr(1));
    EXPECT_EQ(half(5, 1)[6], 0xE9);   // Slave 4's "Café" in Windows-1252
    EXPECT_EQ(half(11, 1)[50], 'w');  // Slave 8's URL fills all 48 bytes
    EXPECT_EQ(text(half(52, 1), 62), std::string(62, '\xff'));

    // The one transmit buffer outlives a download: the next Identify and
    // BeginDownload go out with block 52 and its filler behind them, and layout A
    // leaves its bytes 45.. as they were.
    rig.sim.ClearWrittenReports();
    const auto next = RunDownload(rig, 0);
    EXPECT_EQ(next[0][2], 52);
    for (std::size_t i = 3; i <= 64; ++i) {
        EXPECT_EQ(next[0][i], 0xFF) << "Identify, byte " << i;
        EXPECT_EQ(next[1][i], 0xFF) << "BeginDownload, byte " << i;
        EXPECT_EQ(next[2][i], i <= 44 ? half(0, 0)[i] : 0xFF) << "block 0, byte " << i;
    }
}

// What the unit holds after a download of RichConfig() with `unit` selected: the
// fields the layouts carry, everything else as it was (the unit's defaults).
ConfigSet Received(int unit) {
    const ConfigSet sent = test::RichConfig();
    ConfigSet want;
    want.SetDefaults();
    auto copy = [&](int u, std::size_t from, std::size_t to) {
        const auto base =
            static_cast<std::ptrdiff_t>(static_cast<std::size_t>(u) * kUnitRecordSize);
        std::copy(sent.Units.begin() + base + static_cast<std::ptrdiff_t>(from),
                  sent.Units.begin() + base + static_cast<std::ptrdiff_t>(to),
                  want.Units.begin() + base + static_cast<std::ptrdiff_t>(from));
    };
    auto port = [&](int u) { want.Unit(u).SetClientPort(sent.Unit(u).ClientPort() & 0xFFFF); };
    auto settings = [&](int u) {  // layouts A and E, and the tables of C and D
        copy(u, field::IPAddr, field::DNSAddress);
        copy(u, field::DeviceName, field::SlaveEnabled);
        want.Unit(u).Bytes()[field::DeviceName + 31] = 0;  // 31 characters and a NUL
        port(u);
        copy(u, field::OutputLatch, field::End);
    };
    settings(unit);
    if (unit != 0) {
        copy(unit, field::SlaveEnabled, field::URL);  // its entry of the set-wide values
        return want;
    }
    copy(0, field::DNSAddress, field::DeviceName);
    for (int n = 1; n <= 8; ++n) {
        copy(n, field::IPAddr, field::GateWayAddr);  // layout B
        port(n);
        copy(n, field::SlaveEnabled, field::OutputLatch);  // A's entries, G
        copy(n, field::OutputLatch, field::End);           // C, D
        if (sent.Unit(n).SlaveEnabled()) {                 // F: a disabled Slave's name is empty
            copy(n, field::DeviceName, field::DHCPEnable);
        } else {
            std::ranges::fill(want.Unit(n).Bytes().subspan(field::DeviceName, 32), 0);
        }
    }
    want.InputMap = sent.InputMap;
    return want;
}

// What the unit decodes is what was sent, and nothing else changes.
TEST(EngineDownload, TheUnitReadsBackWhatWasSent) {
    for (const int unit : {0, 5}) {
        EngineRig rig;
        RunDownload(rig, unit);
        ASSERT_EQ(rig.sim.DownloadsCompleted(), 1);
        const ConfigSet got = rig.sim.LastDownload();
        const ConfigSet want = Received(unit);
        for (int u = 0; u < kUnitCount; ++u) {
            EXPECT_TRUE(std::ranges::equal(got.Unit(u).Bytes(), want.Unit(u).Bytes()))
                << "download of unit " << unit << ", record of unit " << u;
        }
        EXPECT_EQ(got.InputMap, want.InputMap) << unit;
    }
}

// Values a data file may hold but the window never writes: each goes out by its
// low byte and nothing is indexed by it.
TEST(DownloadLayouts, OddValuesGoOutByTheirLowBytes) {
    ConfigSet c;
    UnitRecord u0 = c.Unit(0), u1 = c.Unit(1), u2 = c.Unit(2);
    u0.SetResetDevice(0, 0x102);  // (2 * 16 + 0x1F) mod 256 = 0x3F
    u0.SetResetInput(0, 0x1F);
    u1.SetResetDevice(15, -1);  // (0xFF * 16 + 0) mod 256 = 0xF0
    u2.SetResetDevice(3, 0x7FFFFFFF);
    u2.SetResetInput(3, static_cast<std::int32_t>(0x80000010));  // 0xFF0 + 0x10 = 0x00
    u0.SetClientPort(-1);
    c.Units[field::DHCPEnable] = 7;  // any non-zero flag byte counts as set
    HidReport tx{};
    int counter = 0;
    layout::ResetTables(tx, c, counter);
    EXPECT_EQ(counter, 3);
    EXPECT_EQ(tx[3], 0x3F);
    EXPECT_EQ(tx[3 + 16 + 15], 0xF0);
    EXPECT_EQ(tx[3 + 32 + 3], 0x00);
    layout::SettingsOfUnit(tx, c, 0);
    EXPECT_EQ(tx[17], 0x01);
    EXPECT_EQ(tx[19], 0xFF);
    EXPECT_EQ(tx[20], 0xFF);
}

// The "Download Complete" box runs the window's loop: ticks go on, nothing is sent.
TEST(EngineDownload, DownloadCompleteBoxHoldsTheLinkStateUntilClosed) {
    EngineRig rig;
    std::optional<LinkState> stateInBox;
    int countdownInBox = -1;
    std::size_t writtenInBox = 0;
    rig.events.whileInformationOpen = [&] {
        stateInBox = rig.engine.LinkState();
        countdownInBox = rig.engine.ReplyCountdown();
        rig.Tick(40);
        writtenInBox = rig.WrittenCount();
    };
    RunDownload(rig, 0);
    EXPECT_EQ(stateInBox, LinkState::EndDownloadAck);
    EXPECT_EQ(countdownInBox, 0);
    EXPECT_EQ(writtenInBox, 109u);
    EXPECT_TRUE(rig.events.errors.empty());
    EXPECT_EQ(rig.engine.LinkState(), LinkState::Idle);
}

// --- failures: each with its message, and the configuration left as it was

// No unit, or one in program mode: the download and the status connection both
// stop with the message, send nothing, and change nothing.
TEST(EngineDownload, StartFailuresSendNothing) {
    for (const bool programMode : {false, true}) {
        for (const bool connect : {false, true}) {
            EngineRig rig({.present = programMode, .programMode = programMode});
            rig.config = test::RichConfig();
            connect ? rig.engine.StartMonitoring() : rig.StartDownload();
            EXPECT_EQ(rig.events.errors,
                      std::vector<std::string>{programMode ? "ORVELIX is in Program Mode"
                                                           : "Cannot find ORVELIX"});
            EXPECT_EQ(rig.engine.ChannelOpen(), programMode) << "the channel stays open";
            EXPECT_FALSE(rig.engine.Monitoring());
            rig.Tick(100);
            EXPECT_EQ(rig.WrittenCount(), 0u);
            EXPECT_EQ(rig.events.order.size(), 1u) << "no connect, no poll, no second message";
            EXPECT_EQ(rig.engine.LinkState(), LinkState::Idle);
            EXPECT_EQ(rig.config, test::RichConfig());
        }
    }
}

// After "Program Mode" the channel is open: the next click sends Identify to the
// same unit without a search, and the identity check judges the reply. It fails
// before BeginDownload, with the countdown cleared before the box and LinkState after.
TEST(EngineDownload, WrongIdentityStopsBeforeBeginDownload) {
    EngineRig rig({.programMode = true});
    rig.StartDownload();
    const int searches = rig.platform.EnumerateCount();
    rig.sim.SetFaults({.programMode = true, .wrongIdentity = true});
    int countdownInBox = -1;
    std::optional<LinkState> stateInBox;
    rig.events.whileErrorOpen = [&] {
        countdownInBox = rig.engine.ReplyCountdown();
        stateInBox = rig.engine.LinkState();
    };
    rig.StartDownload();
    EXPECT_EQ(rig.platform.EnumerateCount(), searches) << "an open channel is not searched";
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.events.errors,
              (std::vector<std::string>{"ORVELIX is in Program Mode",
                                        "Application is not a ORVELIX Valdrometrica"}));
    EXPECT_EQ(countdownInBox, 0);
    EXPECT_EQ(stateInBox, LinkState::DownloadIdentity);
    EXPECT_EQ(rig.engine.LinkState(), LinkState::Idle);
    EXPECT_EQ(rig.Codes(), std::vector<int>{cmd::Identify});
    rig.Tick(60);
    EXPECT_EQ(rig.events.errors.size(), 2u) << "no watchdog after the identity failure";
}

TEST(EngineDownload, ReportsArrivingWhileNothingIsAwaitedChangeNothing) {
    EngineRig rig;
    HidReport junk;
    junk.fill(0x5A);
    const HidReport txBefore = rig.engine.TxReport();
    rig.engine.ReceiveReport(junk);
    EXPECT_EQ(rig.engine.LinkState(), LinkState::Idle);
    EXPECT_EQ(rig.engine.TxReport(), txBefore);
    EXPECT_EQ(rig.WrittenCount(), 0u);
    EXPECT_TRUE(rig.events.order.empty());
}

// A unit that goes silent or away after report n: the watchdog ends the download
// 20 ticks after the last report, and the unit keeps its old configuration.
class EngineDownloadCut : public ::testing::TestWithParam<std::tuple<bool, int>> {};

TEST_P(EngineDownloadCut, EndsWithLostCommsAfterTwentyTicks) {
    const auto [unplug, n] = GetParam();
    SimulatedFaults f;
    (unplug ? f.unplugAtReport : f.silentAfterReport) = n;
    EngineRig rig(f);
    rig.config = test::RichConfig();
    rig.StartDownload();
    ASSERT_TRUE(rig.DeliverCount(unplug ? n - 1 : n));
    EXPECT_EQ(rig.WrittenCount(), static_cast<std::size_t>(unplug ? n : n + 1));
    rig.Tick(19);
    EXPECT_TRUE(rig.events.errors.empty());
    EXPECT_NE(rig.engine.LinkState(), LinkState::Idle);
    rig.Tick();
    EXPECT_EQ(rig.events.errors, std::vector<std::string>{"Lost comms to ORVELIX"});
    EXPECT_EQ(rig.engine.LinkState(), LinkState::Idle);
    rig.Tick(100);
    EXPECT_EQ(rig.events.errors.size(), 1u);
    EXPECT_TRUE(rig.events.infos.empty());
    EXPECT_EQ(rig.sim.DownloadsCompleted(), 0);
    EXPECT_EQ(rig.config, test::RichConfig());
    if (!unplug) {
        EXPECT_TRUE(rig.engine.ChannelOpen());
        return;
    }
    // The next click searches again: nothing while unplugged, then a whole download.
    ASSERT_TRUE(rig.WaitChannelDropped());
    rig.StartDownload();
    EXPECT_EQ(rig.events.errors.back(), "Cannot find ORVELIX");
    rig.sim.SetFaults({});
    rig.sim.Replug();
    rig.StartDownload();
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.sim.DownloadsCompleted(), 1);
}

// (unplug, n): silence after report n = 0 .. 108; the cable pulled by report n = 1 .. 109.
INSTANTIATE_TEST_SUITE_P(Points, EngineDownloadCut,
                         ::testing::Values(std::tuple{false, 0}, std::tuple{false, 1},
                                           std::tuple{false, 60}, std::tuple{false, 108},
                                           std::tuple{true, 1}, std::tuple{true, 2},
                                           std::tuple{true, 60}, std::tuple{true, 109}));

TEST(EngineDownload, ASecondClickStartsAgainFromIdentify) {
    EngineRig rig;
    rig.StartDownload();
    ASSERT_TRUE(rig.DeliverCount(40));
    EXPECT_EQ(rig.engine.LinkState(),
              LinkState::MapSliceAck);  // report 41 is block 19's first half
    // Report 41's acknowledgement is on its way when the user clicks again; it is
    // taken as the answer to the new Identify, which fails the identity check.
    rig.StartDownload();
    EXPECT_EQ(rig.engine.LinkState(), LinkState::DownloadIdentity);
    EXPECT_EQ(rig.Written().back()[1], cmd::Identify);
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.events.errors,
              std::vector<std::string>{"Application is not a ORVELIX Valdrometrica"});
    ASSERT_TRUE(rig.DeliverOne());  // the real identity reply: nothing awaits it
    EXPECT_EQ(rig.engine.LinkState(), LinkState::Idle);

    rig.StartDownload();
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.events.infos, std::vector<std::string>{"Download Complete"});
    EXPECT_EQ(rig.sim.DownloadsCompleted(), 1);
}

}  // namespace
}  // namespace valdro
