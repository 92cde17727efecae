// The configuration download against the simulated unit: every report byte for
// byte (golden traces), the listed byte examples, the read-back configuration,
// progress, and each way a download fails.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "download_layouts.h"
#include "engine_rig.h"
#include "report_trace.h"

namespace valdro {
namespace {

using test::CodeAndBlock;
using test::EngineRig;

std::string DataPath(const char* name) {
    return std::string(VALDRO_TEST_DATA_DIR) + "/" + name;
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() /
            (std::string(name) + "." + std::to_string(::getpid())))
        .string();
}

// Runs a whole download of RichConfig() for `unit` with a trace; returns the reports.
std::vector<HidReport> RunDownload(EngineRig& rig, int unit, const std::string& tracePath = {}) {
    ReportTrace trace;
    if (!tracePath.empty()) {
        std::filesystem::remove(tracePath);
        EXPECT_TRUE(trace.Open(tracePath));
        rig.engine.SetTrace(&trace);
    }
    rig.config = test::RichConfig();
    rig.ui.currentUnit = unit;
    rig.engine.StartDownload();
    EXPECT_TRUE(rig.DeliverUntilIdle());
    rig.engine.SetTrace(nullptr);
    return rig.Written();
}

void ExpectMatchesGolden(const std::string& tracePath, const char* golden) {
    const auto got = test::TraceHex(tracePath);
    if (std::getenv("VALDRO_WRITE_GOLDEN") != nullptr) {
        std::ofstream out(DataPath(golden));
        for (const auto& line : got) {
            out << "> " << line << '\n';
        }
    }
    const auto want = test::TraceHex(DataPath(golden));
    ASSERT_EQ(got.size(), want.size()) << golden;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i], want[i]) << golden << ", report " << i + 1;
    }
}

TEST(EngineDownload, MasterDownloadMatchesTheGoldenTrace) {
    EngineRig rig;
    const std::string trace = TempPath("master.trace");
    const auto reports = RunDownload(rig, 0, trace);
    ASSERT_EQ(reports.size(), 109u);
    ExpectMatchesGolden(trace, "download_master.trace");
    // Every report written is traced, and every reply too.
    EXPECT_EQ(test::TraceHex(trace, '<').size(), 109u);
    std::filesystem::remove(trace);
}

TEST(EngineDownload, SlaveDownloadMatchesTheGoldenTrace) {
    EngineRig rig;
    const std::string trace = TempPath("slave.trace");
    const auto reports = RunDownload(rig, 5, trace);
    ASSERT_EQ(reports.size(), 11u);
    ExpectMatchesGolden(trace, "download_slave5.trace");
    std::filesystem::remove(trace);
}

TEST(EngineDownload, MasterSequenceIsIdentifyBeginBlocksThenEnd) {
    EngineRig rig;
    const auto r = RunDownload(rig, 0);
    ASSERT_EQ(r.size(), 109u);
    EXPECT_EQ(r[0][1], cmd::Identify);
    EXPECT_EQ(r[1][1], cmd::BeginDownload);
    for (int k = 0; k < 106; ++k) {
        const int expectedCode = k % 2 == 0 ? cmd::BlockFirstHalf : cmd::BlockSecondHalf;
        EXPECT_EQ(CodeAndBlock(r[static_cast<std::size_t>(2 + k)]),
                  std::make_pair(expectedCode, k / 2))
            << "half " << k;
    }
    EXPECT_EQ(r[108][1], cmd::EndDownload);
    for (const HidReport& report : r) {
        EXPECT_EQ(report[0], 0);
    }
    EXPECT_EQ(rig.ui.infos, std::vector<std::string>{"Download Complete"});
    EXPECT_TRUE(rig.ui.errors.empty());
    EXPECT_EQ(rig.engine.LinkState(), 0);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 0);
}

TEST(EngineDownload, SlaveSequenceIsBlocksZeroToThree) {
    EngineRig rig;
    const auto r = RunDownload(rig, 8);
    ASSERT_EQ(r.size(), 11u);
    const std::vector<std::pair<int, int>> want = {
        {cmd::Identify, 0},        {cmd::BeginDownload, 0},   {cmd::BlockFirstHalf, 0},
        {cmd::BlockSecondHalf, 0}, {cmd::BlockFirstHalf, 1},  {cmd::BlockSecondHalf, 1},
        {cmd::BlockFirstHalf, 2},  {cmd::BlockSecondHalf, 2}, {cmd::BlockFirstHalf, 3},
        {cmd::BlockSecondHalf, 3}, {cmd::EndDownload, 3}};
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(CodeAndBlock(r[i]), want[i]) << "report " << i + 1;
    }
    EXPECT_EQ(r[2][4], 8);  // layout A for the Slave
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r[8].data() + 3)), "Slave 8");
    EXPECT_EQ(rig.ui.infos, std::vector<std::string>{"Download Complete"});
}

TEST(EngineDownload, ListedByteExamplesInTheMasterDownload) {
    EngineRig rig;
    const auto r = RunDownload(rig, 0);
    ASSERT_EQ(r.size(), 109u);
    // Report index of block b's half h.
    auto half = [&](int b, int h) -> const HidReport& {
        return r[static_cast<std::size_t>(2 + 2 * b + h)];
    };
    // Master's port 3012.
    EXPECT_EQ(half(0, 0)[19], 0x0B);
    EXPECT_EQ(half(0, 0)[20], 0xC4);
    // Slave 1's port 4257 = 0x10A1 at bytes 35, 36 of block 0's second half.
    EXPECT_EQ(half(0, 1)[35], 0x10);
    EXPECT_EQ(half(0, 1)[36], 0xA1);
    // Slave 5's port 0x1F90A: its low 16 bits.
    EXPECT_EQ(half(0, 1)[43], 0xF9);
    EXPECT_EQ(half(0, 1)[44], 0x0A);
    // Only input 1 of the Master inverted.
    EXPECT_EQ(half(0, 0)[22], 0x00);
    EXPECT_EQ(half(0, 0)[23], 0x01);
    // Unit 2's latch: output 1 only.
    EXPECT_EQ(half(1, 0)[7], 0x01);
    EXPECT_EQ(half(1, 0)[8], 0x00);
    // Reset of the Master's output 1 by input 6 of unit 2.
    EXPECT_EQ(half(1, 1)[3], 0x25);
    // Input-map cell (0, 2, 4, 2): slice 2, block 13 first half, byte 11, bit 2 only.
    EXPECT_EQ(half(13, 0)[11], 0x04);
    // The Master's 32-character name: 31 characters and a NUL in block 3.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(half(3, 0).data() + 3)),
              std::string("Master unit in the plant hall A1").substr(0, 31));
    EXPECT_EQ(half(3, 0)[34], 0);
    // Slave 1's 32-character name in block 4: all 32, no NUL.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(half(4, 0).data() + 3), 32),
              "Slave one, 32 characters long!!!");
    EXPECT_EQ(half(4, 0)[35], 0xFF);
    // Slave 3 is disabled: a single 0 at byte 3; the rest of its name bytes carry
    // what Slave 2's name left (block 4 second half).
    EXPECT_EQ(half(5, 0)[3], 0);
    for (std::size_t i = 4; i <= 64; ++i) {
        EXPECT_EQ(half(5, 0)[i], half(4, 1)[i]) << "byte " << i;
    }
    // Slave 4's name in Windows-1252: "Caf" then 0xE9.
    EXPECT_EQ(half(5, 1)[6], 0xE9);
    // Slave 8's URL fills all 48 bytes.
    EXPECT_EQ(half(11, 1)[50], 'w');
    // The filler of block 52's second half.
    for (std::size_t i = 3; i <= 64; ++i) {
        EXPECT_EQ(half(52, 1)[i], 0xFF) << "byte " << i;
    }
}

TEST(EngineDownload, UnwrittenBytesCarryThePreviousReport) {
    EngineRig rig;
    const auto first = RunDownload(rig, 0);
    ASSERT_EQ(first.size(), 109u);
    // A fresh buffer: the one-byte commands leave zeros behind them.
    for (std::size_t i = 2; i <= 64; ++i) {
        EXPECT_EQ(first[0][i], 0);
        EXPECT_EQ(first[1][i], 0);
    }
    // Layout A leaves bytes 45.. as BeginDownload left them.
    for (std::size_t i = 45; i <= 64; ++i) {
        EXPECT_EQ(first[2][i], 0);
    }
    // EndDownload carries the last block half.
    for (std::size_t i = 2; i <= 64; ++i) {
        EXPECT_EQ(first[108][i], first[107][i]);
    }

    rig.sim.ClearWrittenReports();
    rig.ui.infos.clear();
    const auto second = RunDownload(rig, 0);
    ASSERT_EQ(second.size(), 109u);
    // The next Identify goes out with block 52 and its 0xFF filler behind it.
    EXPECT_EQ(second[0][2], 52);
    for (std::size_t i = 3; i <= 64; ++i) {
        EXPECT_EQ(second[0][i], 0xFF);
        EXPECT_EQ(second[1][i], 0xFF);
    }
    for (std::size_t i = 45; i <= 64; ++i) {
        EXPECT_EQ(second[2][i], 0xFF) << "byte " << i;
    }
}

// Every field a Master download carries arrives as it was configured.
TEST(EngineDownload, MasterDownloadReadsBackIntoTheSameConfiguration) {
    EngineRig rig;
    RunDownload(rig, 0);
    ASSERT_EQ(rig.sim.DownloadsCompleted(), 1);
    const ConfigSet sent = test::RichConfig();
    const ConfigSet got = rig.sim.LastDownload();

    const ConstUnitRecord m = sent.Unit(0), gm = got.Unit(0);
    EXPECT_EQ(gm.IPAddr(), m.IPAddr());
    EXPECT_EQ(gm.GateWayAddr(), m.GateWayAddr());
    EXPECT_EQ(gm.SubMaskAddr(), m.SubMaskAddr());
    EXPECT_EQ(gm.DNSAddress(), m.DNSAddress());
    EXPECT_EQ(gm.DHCPEnable(), m.DHCPEnable());
    EXPECT_EQ(gm.DeviceParamA(), m.DeviceParamA());
    EXPECT_EQ(gm.DeviceParamB(), m.DeviceParamB());
    EXPECT_EQ(gm.ClientPort() & 0xFFFF, m.ClientPort() & 0xFFFF);
    EXPECT_EQ(gm.DeviceName(), m.DeviceName().substr(0, 31));
    for (int k = 0; k < kIoCount; ++k) {
        EXPECT_EQ(gm.InvertInput(k), m.InvertInput(k)) << k;
        EXPECT_EQ(gm.InvertOutput(k), m.InvertOutput(k)) << k;
        EXPECT_EQ(gm.OutputStartStatus(k), m.OutputStartStatus(k)) << k;
    }
    for (int n = 1; n <= 8; ++n) {
        const ConstUnitRecord s = sent.Unit(n), g = got.Unit(n);
        EXPECT_EQ(g.IPAddr(), s.IPAddr()) << n;
        EXPECT_EQ(g.ClientPort() & 0xFFFF, s.ClientPort() & 0xFFFF) << n;
        EXPECT_EQ(g.SlaveEnabled(), s.SlaveEnabled()) << n;
        EXPECT_EQ(g.AddressMode(), s.AddressMode()) << n;
        EXPECT_EQ(g.URL(), s.URL()) << n;
        EXPECT_EQ(g.DeviceName(), s.SlaveEnabled() ? s.DeviceName() : std::string()) << n;
    }
    for (int u = 0; u < kUnitCount; ++u) {
        for (int k = 0; k < kIoCount; ++k) {
            EXPECT_EQ(got.Unit(u).OutputLatch(k), sent.Unit(u).OutputLatch(k)) << u << "/" << k;
            EXPECT_EQ(got.Unit(u).ResetDevice(k), sent.Unit(u).ResetDevice(k)) << u << "/" << k;
            EXPECT_EQ(got.Unit(u).ResetInput(k), sent.Unit(u).ResetInput(k)) << u << "/" << k;
        }
    }
    EXPECT_EQ(got.InputMap, sent.InputMap);
}

TEST(EngineDownload, ReportsProgressForEveryAcknowledgedReport) {
    for (int unit : {0, 2}) {
        EngineRig rig;
        RunDownload(rig, unit);
        const int total = unit == 0 ? 109 : 11;
        ASSERT_EQ(rig.ui.progress.size(), static_cast<std::size_t>(total)) << unit;
        for (int i = 0; i < total; ++i) {
            EXPECT_EQ(rig.ui.progress[static_cast<std::size_t>(i)], std::make_pair(i + 1, total));
        }
    }
}

TEST(EngineDownload, DownloadCompleteBoxHoldsTheLinkStateUntilClosed) {
    EngineRig rig;
    int stateDuringBox = -1, countdownDuringBox = -1;
    std::size_t writtenDuringBox = 0;
    rig.ui.whileInformationOpen = [&](const std::string&) {
        stateDuringBox = rig.engine.LinkState();
        countdownDuringBox = rig.engine.ReplyCountdown();
        rig.Tick(40);  // the window's timer goes on while the box is open
        writtenDuringBox = rig.WrittenCount();
    };
    RunDownload(rig, 0);
    EXPECT_EQ(stateDuringBox, 17);
    EXPECT_EQ(countdownDuringBox, 0);
    EXPECT_EQ(writtenDuringBox, 109u);
    EXPECT_TRUE(rig.ui.errors.empty());
    EXPECT_EQ(rig.engine.LinkState(), 0);
}

// --- failures

struct StartFailure {
    const char* name;
    SimulatedFaults faults;
    const char* message;
    bool channelOpenAfter;
};

class EngineDownloadStart : public testing::TestWithParam<StartFailure> {};

TEST_P(EngineDownloadStart, FailsWithItsMessageAndSendsNothing) {
    EngineRig rig(GetParam().faults);
    rig.config = test::RichConfig();
    rig.engine.StartDownload();
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{GetParam().message});
    EXPECT_EQ(rig.WrittenCount(), 0u);
    EXPECT_EQ(rig.engine.LinkState(), 0);
    EXPECT_EQ(rig.engine.ChannelOpen(), GetParam().channelOpenAfter);
    EXPECT_EQ(rig.config, test::RichConfig());
    EXPECT_EQ(rig.sim.DownloadsCompleted(), 0);
}

SimulatedFaults Absent() {
    SimulatedFaults f;
    f.present = false;
    return f;
}
SimulatedFaults InProgramMode() {
    SimulatedFaults f;
    f.programMode = true;
    return f;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, EngineDownloadStart,
    testing::Values(StartFailure{"no unit", Absent(), "Cannot find ORVELIX", false},
                    StartFailure{"program mode", InProgramMode(), "ORVELIX is in Program Mode",
                                 true}),
    [](const auto& info) { return info.param.name[0] == 'n' ? "NoUnit" : "ProgramMode"; });

TEST(EngineDownload, AfterProgramModeTheNextClickUsesTheSameChannel) {
    SimulatedFaults f = InProgramMode();
    f.wrongIdentity = true;
    EngineRig rig(f);
    rig.engine.StartDownload();
    ASSERT_EQ(rig.ui.errors.size(), 1u);
    const int searches = rig.platform.EnumerateCount();

    rig.engine.StartDownload();
    EXPECT_EQ(rig.platform.EnumerateCount(), searches) << "an open channel is not searched";
    ASSERT_EQ(rig.WrittenCount(), 1u);
    EXPECT_EQ(rig.Written()[0][1], cmd::Identify);
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.ui.errors.back(), "Application is not a ORVELIX Valdrometrica");
}

TEST(EngineDownload, WrongIdentityStopsBeforeBeginDownload) {
    SimulatedFaults f;
    f.wrongIdentity = true;
    EngineRig rig(f);
    int countdownDuringBox = -1, stateDuringBox = -1;
    rig.ui.whileErrorOpen = [&](const std::string&) {
        countdownDuringBox = rig.engine.ReplyCountdown();
        stateDuringBox = rig.engine.LinkState();
    };
    rig.engine.StartDownload();
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.ui.errors,
              std::vector<std::string>{"Application is not a ORVELIX Valdrometrica"});
    EXPECT_EQ(countdownDuringBox, 0);
    EXPECT_EQ(stateDuringBox, 1);
    EXPECT_EQ(rig.engine.LinkState(), 0);
    EXPECT_EQ(rig.WrittenCount(), 1u);
    rig.Tick(60);
    EXPECT_EQ(rig.ui.errors.size(), 1u) << "no watchdog after the identity failure";
    EXPECT_TRUE(rig.ui.progress.empty());
}

TEST(EngineDownload, ReportsArrivingWhileNothingIsAwaitedChangeNothing) {
    EngineRig rig;
    HidReport junk;
    junk.fill(0x5A);
    const HidReport txBefore = rig.engine.TxReport();
    rig.engine.ReceiveReport(junk);
    EXPECT_EQ(rig.engine.LinkState(), 0);
    EXPECT_EQ(rig.engine.TxReport(), txBefore);
    EXPECT_EQ(rig.WrittenCount(), 0u);
    EXPECT_TRUE(rig.ui.errors.empty());
    EXPECT_TRUE(rig.ui.events.empty());
    EXPECT_EQ(rig.engine.RxReport(), junk);
}

// A unit that goes silent or away after report n: the watchdog ends the download
// 20 ticks after the last report, and the unit keeps its old configuration.
class EngineDownloadCut : public testing::TestWithParam<std::tuple<bool, int>> {};

TEST_P(EngineDownloadCut, EndsWithLostCommsAfterTwentyTicks) {
    const auto [unplug, n] = GetParam();
    SimulatedFaults f;
    (unplug ? f.unplugAtReport : f.silentAfterReport) = n;
    EngineRig rig(f);
    rig.config = test::RichConfig();
    rig.engine.StartDownload();
    // Replies up to report n (or n-1 when report n pulled the cable) come.
    const int answered = unplug ? n - 1 : n;
    ASSERT_TRUE(rig.DeliverUntil([&] { return rig.delivered == answered; }));
    EXPECT_EQ(rig.WrittenCount(), static_cast<std::size_t>(unplug ? n : n + 1));
    rig.Tick(19);
    EXPECT_TRUE(rig.ui.errors.empty());
    EXPECT_NE(rig.engine.LinkState(), 0);
    rig.Tick();
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{"Lost comms to ORVELIX"});
    EXPECT_EQ(rig.engine.LinkState(), 0);
    rig.Tick(100);
    EXPECT_EQ(rig.ui.errors.size(), 1u);
    EXPECT_TRUE(rig.ui.infos.empty());
    EXPECT_EQ(rig.sim.DownloadsCompleted(), 0);
    EXPECT_EQ(rig.config, test::RichConfig());
    if (unplug) {
        EXPECT_TRUE(rig.WaitChannelDropped());
    }
}

// (unplug, n): silence after report n = 0 .. 108; the cable pulled by report n = 1 .. 109.
INSTANTIATE_TEST_SUITE_P(Points, EngineDownloadCut,
                         testing::Values(std::tuple{false, 0}, std::tuple{false, 1},
                                         std::tuple{false, 2}, std::tuple{false, 60},
                                         std::tuple{false, 108}, std::tuple{true, 1},
                                         std::tuple{true, 2}, std::tuple{true, 3},
                                         std::tuple{true, 60}, std::tuple{true, 109}));

TEST(EngineDownload, AfterAnUnplugTheNextClickSearchesAgain) {
    SimulatedFaults f;
    f.unplugAtReport = 30;
    EngineRig rig(f);
    rig.engine.StartDownload();
    ASSERT_TRUE(rig.DeliverUntil([&] { return rig.delivered == 29; }));
    ASSERT_TRUE(rig.WaitChannelDropped());
    rig.Tick(20);
    ASSERT_EQ(rig.ui.errors.size(), 1u);

    rig.engine.StartDownload();  // still unplugged
    EXPECT_EQ(rig.ui.errors.back(), "Cannot find ORVELIX");

    rig.sim.SetFaults({});
    rig.sim.Replug();
    rig.sim.ClearWrittenReports();
    rig.engine.StartDownload();
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.WrittenCount(), 109u);
    EXPECT_EQ(rig.ui.infos, std::vector<std::string>{"Download Complete"});
    EXPECT_EQ(rig.sim.DownloadsCompleted(), 1);
}

TEST(EngineDownload, ASecondClickStartsAgainFromIdentify) {
    EngineRig rig;
    rig.config = test::RichConfig();
    rig.engine.StartDownload();
    ASSERT_TRUE(rig.DeliverUntil([&] { return rig.delivered == 40; }));
    EXPECT_EQ(rig.engine.LinkState(), 15);  // report 41 is block 19's first half
    // The reply to report 41 is still on its way when the user clicks again; it is
    // taken as the answer to the new Identify, which fails the identity check.
    rig.engine.StartDownload();
    EXPECT_EQ(rig.engine.LinkState(), 1);
    EXPECT_EQ(rig.Written().back()[1], cmd::Identify);
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.ui.errors,
              std::vector<std::string>{"Application is not a ORVELIX Valdrometrica"});

    // The unit's own answer to that Identify came after; nothing awaits it.
    ASSERT_TRUE(rig.DeliverOne());
    EXPECT_EQ(rig.engine.LinkState(), 0);

    rig.engine.StartDownload();
    ASSERT_TRUE(rig.DeliverUntilIdle());
    EXPECT_EQ(rig.ui.infos, std::vector<std::string>{"Download Complete"});
    EXPECT_EQ(rig.sim.DownloadsCompleted(), 1);
}

}  // namespace
}  // namespace valdro
