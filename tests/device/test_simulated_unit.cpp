// The simulated unit through the platform interface: listing, identity, the
// faults it can be told to show, status replies, names, and the decoding of a
// download built by hand from the report layouts.

#include <gtest/gtest.h>

#include <string>

#include "config_set.h"
#include "download_decoder.h"
#include "simulated_platform.h"
#include "simulated_unit.h"
#include "status_record.h"

namespace valdro {
namespace {

// One channel to the simulated unit: a write handle and a read handle, as the
// engine opens them.
struct Link {
    explicit Link(SimulatedUnit& unit, const std::string& path = kSimUnitPath) : platform(unit) {
        OpenError e = OpenError::Other;
        writer = platform.Open(path, &e);
        EXPECT_EQ(e, OpenError::None);
        reader = platform.Open(path, &e);
        EXPECT_EQ(e, OpenError::None);
    }
    int Send(const HidReport& r) { return writer->Write(r.data(), r.size()); }
    int Send(std::uint8_t code, std::uint8_t byte2 = 0) {
        HidReport r{};
        r[1] = code;
        r[2] = byte2;
        return Send(r);
    }
    // Reads one reply; n receives the count Read returned.
    HidReport Reply(int* n = nullptr, int timeoutMs = 2000) {
        HidReport r{};
        const int got = reader->Read(r.data(), r.size(), timeoutMs);
        if (n != nullptr) {
            *n = got;
        }
        return r;
    }
    bool NothingPending() {
        HidReport r{};
        return reader->Read(r.data(), r.size(), 0) == 0;
    }
    std::string NameReply(std::uint8_t code, std::uint8_t index = 0) {
        EXPECT_EQ(Send(code, index), 65);
        const HidReport r = Reply();
        return std::string(reinterpret_cast<const char*>(r.data() + 2));
    }

    SimulatedPlatform platform;
    std::unique_ptr<HidHandle> writer;
    std::unique_ptr<HidHandle> reader;
};

TEST(SimulatedUnitListing, ListsWhatTheFaultsSay) {
    struct Row {
        const char* what;
        SimulatedFaults faults;
        std::vector<std::string> ids;
    };
    const std::string app = "HID\\VID_04D8&PID_FD37&REV_0009";
    const std::string boot = "HID\\VID_04D8&PID_FD37&REV_0001";
    const std::string other = "HID\\VID_046D&PID_C31C&REV_6400";
    const std::vector<Row> rows = {
        {"plain", {}, {app}},
        {"absent", {.present = false}, {}},
        {"program mode", {.programMode = true}, {boot}},
        {"foreign first", {.foreignDeviceFirst = true}, {other, app}},
        {"program-mode unit first", {.programModeUnitToo = true}, {boot, app}},
        {"both, unit absent",
         {.present = false, .foreignDeviceFirst = true, .programModeUnitToo = true},
         {other, boot}},
    };
    for (const Row& row : rows) {
        SimulatedUnit unit(row.faults);
        SimulatedPlatform platform(unit);
        std::vector<std::string> ids;
        for (const HidInterfaceInfo& info : platform.Enumerate()) {
            ids.push_back(info.hardwareId);
        }
        EXPECT_EQ(ids, row.ids) << row.what;
    }
}

TEST(SimulatedUnitListing, DescribesTheUnit) {
    SimulatedUnit unit;
    SimulatedPlatform platform(unit);
    const auto list = platform.Enumerate();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].path, "sim:orvelix-0");
    EXPECT_EQ(list[0].vendorId, 0x04D8);
    EXPECT_EQ(list[0].productId, 0xFD37);
    EXPECT_EQ(list[0].release, 0x0009);
    EXPECT_EQ(list[0].serialNumber, "SIM0001");
    EXPECT_EQ(list[0].product, "ORVELIX (simulated)");
    EXPECT_EQ(platform.EnumerateCount(), 1);
}

TEST(SimulatedUnitListing, AbsentUnitCannotBeOpened) {
    SimulatedUnit unit({.present = false});
    SimulatedPlatform platform(unit);
    OpenError e = OpenError::None;
    EXPECT_EQ(platform.Open(kSimUnitPath, &e), nullptr);
    EXPECT_EQ(e, OpenError::NotFound);
    EXPECT_EQ(platform.Open("/dev/hidraw0", &e), nullptr);
    EXPECT_EQ(e, OpenError::NotFound);
}

TEST(SimulatedUnitProtocol, AnswersIdentifyWithTheApplicationId) {
    for (const bool wrong : {false, true}) {
        SimulatedUnit unit({.wrongIdentity = wrong});
        Link link(unit);
        ASSERT_EQ(link.Send(cmd::Identify), 65);
        int n = 0;
        const HidReport r = link.Reply(&n);
        EXPECT_EQ(n, 65);
        EXPECT_EQ(r[0], 0);
        EXPECT_EQ(r[2], 0);
        EXPECT_EQ(r[3], 1);
        EXPECT_EQ(r[4], wrong ? 9 : 8);
    }
}

TEST(SimulatedUnitProtocol, AcknowledgesEveryDownloadReportAndIgnoresUnknownCommands) {
    SimulatedUnit unit;
    Link link(unit);
    for (const std::uint8_t code :
         {cmd::BeginDownload, cmd::BlockFirstHalf, cmd::BlockSecondHalf, cmd::EndDownload}) {
        ASSERT_EQ(link.Send(code), 65);
        int n = 0;
        link.Reply(&n);
        EXPECT_EQ(n, 65) << int(code);
    }
    ASSERT_EQ(link.Send(0x7A), 65);
    EXPECT_TRUE(link.NothingPending());
    EXPECT_EQ(unit.WrittenReportCount(), 5u);
}

TEST(SimulatedUnitProtocol, RefusesNumberedOrOversizedReports) {
    SimulatedUnit unit;
    Link link(unit);
    HidReport numbered{};
    numbered[0] = 3;
    numbered[1] = cmd::Identify;
    EXPECT_EQ(link.Send(numbered), -1);
    std::uint8_t big[66] = {};
    EXPECT_EQ(link.writer->Write(big, sizeof big), -1);
    EXPECT_EQ(unit.WrittenReportCount(), 0u);
}

TEST(SimulatedUnitFaults, SilentAfterTheNthReport) {
    SimulatedUnit unit({.silentAfterReport = 2});
    Link link(unit);
    int n = 0;
    link.Send(cmd::Identify);
    link.Reply(&n);
    EXPECT_EQ(n, 65);
    link.Send(cmd::BeginDownload);
    link.Reply(&n);
    EXPECT_EQ(n, 65);
    link.Send(cmd::BlockFirstHalf);
    EXPECT_TRUE(link.NothingPending());
    EXPECT_EQ(unit.WrittenReportCount(), 3u);  // still received, just not answered

    unit.SetFaults({});  // answers again once the fault is lifted
    link.Send(cmd::Identify);
    link.Reply(&n);
    EXPECT_EQ(n, 65);
}

TEST(SimulatedUnitFaults, ShortRepliesDeliverOnlyTheirBytes) {
    SimulatedUnit unit({.shortReplyBytes = 4});
    Link link(unit);
    link.Send(cmd::Identify);
    int n = 0;
    const HidReport r = link.Reply(&n);
    EXPECT_EQ(n, 4);
    EXPECT_EQ(r[2], 0);
    EXPECT_EQ(r[3], 1);
    EXPECT_EQ(r[4], 0);  // byte 4 (the 8) was cut off
}

TEST(SimulatedUnitFaults, LateReplyIsNotThereBeforeItsTime) {
    SimulatedUnit unit({.replyDelayMs = 400});
    Link link(unit);
    link.Send(cmd::Identify);
    EXPECT_TRUE(link.NothingPending());
    int n = 0;
    const HidReport r = link.Reply(&n, -1);
    EXPECT_EQ(n, 65);
    EXPECT_EQ(r[4], 8);
}

TEST(SimulatedUnitFaults, UnplugAtReportDropsTheUnitUntilReplugged) {
    SimulatedUnit unit({.unplugAtReport = 2});
    Link link(unit);
    int n = 0;
    link.Send(cmd::Identify);
    link.Reply(&n);
    EXPECT_EQ(n, 65);
    link.Send(cmd::BeginDownload);
    link.Reply(&n);
    EXPECT_EQ(n, -1);
    EXPECT_EQ(link.Send(cmd::Identify), -1);
    EXPECT_FALSE(unit.Plugged());
    EXPECT_TRUE(link.platform.Enumerate().empty());
    OpenError e = OpenError::None;
    EXPECT_EQ(link.platform.Open(kSimUnitPath, &e), nullptr);
    EXPECT_EQ(e, OpenError::NotFound);

    unit.Replug();
    EXPECT_EQ(link.platform.Enumerate().size(), 1u);
    link.Reply(&n, 0);
    EXPECT_EQ(n, -1) << "handles from before the unplug stay dead";
    Link fresh(unit);
    fresh.Send(cmd::Identify);
    fresh.Reply(&n);
    EXPECT_EQ(n, 65);
}

TEST(SimulatedUnitFaults, ProgramModeUnitNeverGivesTheApplicationId) {
    SimulatedUnit unit({.programModeUnitToo = true});
    Link boot(unit, kSimProgramModeUnitPath);
    boot.Send(cmd::Identify);
    const HidReport r = boot.Reply();
    EXPECT_NE(std::vector<std::uint8_t>(r.begin() + 2, r.begin() + 5),
              std::vector<std::uint8_t>(kApplicationId.begin(), kApplicationId.end()));
    EXPECT_EQ(unit.ProgramModeUnitReports().size(), 1u);
    EXPECT_EQ(unit.WrittenReportCount(), 0u);
}

TEST(SimulatedUnitFaults, ForeignDeviceTakesReportsButNeverAnswers) {
    SimulatedUnit unit({.foreignDeviceFirst = true});
    Link other(unit, kSimForeignPath);
    EXPECT_EQ(other.Send(cmd::Identify), 65);
    EXPECT_TRUE(other.NothingPending());
    EXPECT_EQ(unit.WrittenReportCount(), 0u);
}

// ---------------------------------------------------------------- status

StatusRecord StatusOf(const HidReport& r) {
    return DecodeStatusRecord(std::span<const std::uint8_t>(r.data() + 2, 63));
}

TEST(SimulatedUnitStatus, NineUnitModeShowsTheMasterAndEnabledSlaves) {
    SimulatedUnit unit;
    Link link(unit);
    link.Send(cmd::GetStatus);
    const HidReport r = link.Reply();
    EXPECT_EQ(r[2], 0);  // nine-unit mode
    EXPECT_EQ(r[3], 0);  // no Slave enabled before a download
    const auto w = SimulatedUnit::IoPattern(0, 0);
    EXPECT_EQ(r[4], w.outputs & 0xFF);
    EXPECT_EQ(r[5], w.outputs >> 8);
    EXPECT_EQ(r[22], w.inputs & 0xFF);
    EXPECT_EQ(r[23], w.inputs >> 8);
    const StatusRecord s = StatusOf(r);
    EXPECT_TRUE(s.units[0].present);
    for (int u = 1; u < 9; ++u) {
        EXPECT_FALSE(s.units[u].present);
        EXPECT_EQ(s.units[u].outputs, 0);
        EXPECT_EQ(s.units[u].inputs, 0);
    }
    EXPECT_EQ(unit.GetStatusCount(), 1);
}

TEST(SimulatedUnitStatus, PatternMovesFromPollToPoll) {
    SimulatedUnit unit;
    Link link(unit);
    link.Send(cmd::GetStatus);
    const StatusRecord first = StatusOf(link.Reply());
    link.Send(cmd::GetStatus);
    const StatusRecord second = StatusOf(link.Reply());
    EXPECT_NE(first.units[0].outputs, second.units[0].outputs);
    EXPECT_NE(first.units[0].inputs, second.units[0].inputs);
    EXPECT_EQ(second.units[0].outputs, SimulatedUnit::IoPattern(0, 1).outputs);
    // Every bit of every word comes round, so each grid cell lights up in turn.
    std::uint16_t seenOut = 0;
    std::uint16_t seenIn = 0;
    for (std::uint32_t p = 0; p < 16; ++p) {
        seenOut |= SimulatedUnit::IoPattern(4, p).outputs;
        seenIn |= SimulatedUnit::IoPattern(4, p).inputs;
    }
    EXPECT_EQ(seenOut, 0xFFFF);
    EXPECT_EQ(seenIn, 0xFFFF);
}

TEST(SimulatedUnitStatus, SingleUnitModeReportsItselfOnline) {
    SimulatedUnit unit;
    unit.SetSingleUnitMode(true);
    Link link(unit);
    link.Send(cmd::GetStatus);
    const HidReport r = link.Reply();
    EXPECT_EQ(r[2], 1);
    EXPECT_EQ(r[3], 1);
    const StatusRecord s = StatusOf(r);
    EXPECT_EQ(s.rowCount(), 1);
    EXPECT_EQ(s.units[0].outputs, SimulatedUnit::IoPattern(0, 0).outputs);
    EXPECT_EQ(s.units[0].inputs, SimulatedUnit::IoPattern(0, 0).inputs);
}

TEST(SimulatedUnitStatus, OverrideGivesExactlyThoseBytes) {
    SimulatedUnit unit;
    unit.SetStatusOverride({0x00, 0x81, 0x34, 0x12});
    Link link(unit);
    link.Send(cmd::GetStatus);
    const HidReport r = link.Reply();
    EXPECT_EQ(r[2], 0x00);
    EXPECT_EQ(r[3], 0x81);
    EXPECT_EQ(r[4], 0x34);
    EXPECT_EQ(r[5], 0x12);
    for (std::size_t i = 6; i < r.size(); ++i) {
        EXPECT_EQ(r[i], 0) << i;
    }
    const StatusRecord s = StatusOf(r);
    EXPECT_TRUE(s.units[1].present);
    EXPECT_TRUE(s.units[8].present);
    EXPECT_FALSE(s.units[2].present);
    EXPECT_EQ(s.units[0].outputs, 0x1234);

    unit.SetStatusOverride({});
    link.Send(cmd::GetStatus);
    EXPECT_EQ(link.Reply()[4], SimulatedUnit::IoPattern(0, 1).outputs & 0xFF);
}

TEST(SimulatedUnitNames, DefaultNamesBeforeAnyDownload) {
    SimulatedUnit unit;
    Link link(unit);
    EXPECT_EQ(link.NameReply(cmd::GetUnitName, 0), "Master");
    EXPECT_EQ(link.NameReply(cmd::GetUnitName, 3), "Slave 3");
    EXPECT_EQ(link.NameReply(cmd::GetUnitName, 8), "Slave 8");
    EXPECT_EQ(link.NameReply(cmd::GetUnitName, 9), "");
    EXPECT_EQ(link.NameReply(cmd::GetOwnName), "Master");
}

// ---------------------------------------------------------------- download

// A Master download laid out by hand: every half present, filler 0xFF, data 0,
// so each test sets only the bytes it is about.
struct HandDownload {
    HandDownload() {
        for (int b = 0; b < kDownloadBlockCount; ++b) {
            for (int h = 0; h < 2; ++h) {
                HidReport& r = halves[b][h];
                r.fill(0);
                r[1] = h == 0 ? cmd::BlockFirstHalf : cmd::BlockSecondHalf;
                r[2] = static_cast<std::uint8_t>(b);
            }
        }
        HidReport& a = halves[0][0];
        a[3] = 0x55;
        a[4] = 0;
    }
    // Sends BeginDownload, the halves of blocks 0..last and EndDownload.
    void SendTo(Link& link, int lastBlock = kDownloadBlockCount - 1, int skipBlock = -1) {
        link.Send(cmd::BeginDownload);
        link.Reply();
        for (int b = 0; b <= lastBlock; ++b) {
            for (int h = 0; h < 2; ++h) {
                if (b == skipBlock && h == 1) {
                    continue;
                }
                link.Send(halves[b][h]);
                link.Reply();
            }
        }
        link.Send(cmd::EndDownload);
        link.Reply();
    }
    HidReport halves[kDownloadBlockCount][2];
};

void PutName(HidReport& r, std::size_t at, const std::string& name) {
    std::copy(name.begin(), name.end(), r.begin() + static_cast<std::ptrdiff_t>(at));
}

TEST(SimulatedUnitDownload, DecodesAHandBuiltMasterDownload) {
    HandDownload d;
    HidReport& a = d.halves[0][0];
    a[5] = 10, a[6] = 1, a[7] = 2, a[8] = 3;  // Master IP 10.1.2.3
    a[9] = 10, a[10] = 1, a[11] = 2, a[12] = 254;
    a[13] = 255, a[14] = 255, a[15] = 0, a[16] = 0;
    a[17] = 0x01;                // DHCP
    a[18] = 11, a[21] = 61;      // DeviceParamB, DeviceParamA
    a[19] = 0x0B, a[20] = 0xC4;  // port 3012, high byte first
    a[22] = 0x80, a[23] = 0x01;  // invert inputs 16 and 1
    a[24] = 0x01, a[25] = 0x00;  // invert output 9
    a[26] = 0x00, a[27] = 0x80;  // output 8 active at start
    a[28] = 0x12;                // Slaves 2 and 5 enabled
    a[29] = 10, a[30] = 1, a[31] = 2, a[32] = 3;
    a[33 + 4] = 1;  // Slave 5 by URL
    a[41] = 8, a[42] = 8, a[43] = 4, a[44] = 4;
    HidReport& b = d.halves[0][1];
    std::fill(b.begin() + 3, b.end(), std::uint8_t{0xFF});
    b[4 * 2 - 1] = 10, b[4 * 2] = 1, b[4 * 2 + 1] = 2, b[4 * 2 + 2] = 20;  // Slave 2 IP
    b[2 * 2 + 33] = 0x01, b[2 * 2 + 34] = 0xF6;                            // Slave 2 port 502
    d.halves[1][0][7] = 0x01;                // latch: unit 2, output 1
    d.halves[1][0][4] = 0x80;                // latch: unit 0, output 16
    d.halves[1][1][3] = 0x25;                // reset: unit 0, output 1 by unit 2 input 6
    d.halves[2][1][3 + 16 * 2 + 15] = 0x8F;  // reset: unit 8, output 16 by unit 8 input 16
    PutName(d.halves[3][0], 3, "Plant room");
    PutName(d.halves[4][1], 3, std::string(32, 'N'));  // Slave 2, all 32 bytes, no NUL
    d.halves[6][0][3] = 0;                             // Slave 5 disabled: lone NUL
    PutName(d.halves[9][1], 3, "plc.example");         // Slave 4's URL
    d.halves[13][0][11] = 0x04;                        // cell (0, 2, 4, 2): slice 2
    d.halves[52][0][3 + 2 * 15 + 1] = 0x80;            // cell (8, 8, 15, 15): slice 80

    SimulatedUnit unit;
    Link link(unit);
    d.SendTo(link);
    ASSERT_EQ(unit.DownloadsCompleted(), 1);
    const ConfigSet c = unit.LastDownload();

    const ConstUnitRecord m = c.Unit(0);
    EXPECT_EQ(m.IPAddr(), (Octets{10, 1, 2, 3}));
    EXPECT_EQ(m.GateWayAddr(), (Octets{10, 1, 2, 254}));
    EXPECT_EQ(m.SubMaskAddr(), (Octets{255, 255, 0, 0}));
    EXPECT_EQ(m.DNSAddress(), (Octets{8, 8, 4, 4}));
    EXPECT_TRUE(m.DHCPEnable());
    EXPECT_EQ(m.DeviceParamA(), 61);
    EXPECT_EQ(m.DeviceParamB(), 11);
    EXPECT_EQ(m.ClientPort(), 3012);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(m.InvertInput(k), k == 0 || k == 15) << k;
        EXPECT_EQ(m.InvertOutput(k), k == 8) << k;
        EXPECT_EQ(m.OutputStartStatus(k), k == 7) << k;
        EXPECT_EQ(m.OutputLatch(k), k == 15) << k;
        EXPECT_EQ(c.Unit(2).OutputLatch(k), k == 0) << k;
    }
    EXPECT_EQ(m.DeviceName(), "Plant room");
    EXPECT_EQ(m.ResetDevice(0), 2);
    EXPECT_EQ(m.ResetInput(0), 5);
    EXPECT_EQ(c.Unit(8).ResetDevice(15), 8);
    EXPECT_EQ(c.Unit(8).ResetInput(15), 15);

    EXPECT_TRUE(c.Unit(2).SlaveEnabled());
    EXPECT_TRUE(c.Unit(5).SlaveEnabled());
    EXPECT_FALSE(c.Unit(1).SlaveEnabled());
    EXPECT_EQ(c.Unit(5).AddressMode(), 1);
    EXPECT_EQ(c.Unit(2).IPAddr(), (Octets{10, 1, 2, 20}));
    EXPECT_EQ(c.Unit(2).ClientPort(), 502);
    EXPECT_EQ(c.Unit(3).ClientPort(), 0xFFFF);  // the filler of layout B
    EXPECT_EQ(c.Unit(2).DeviceName(), std::string(32, 'N'));
    EXPECT_EQ(c.Unit(5).DeviceName(), "");
    EXPECT_EQ(c.Unit(4).URL(), "plc.example");

    int cells = 0;
    for (std::size_t i = 0; i < c.InputMap.size(); ++i) {
        cells += c.InputMap[i] != 0;
    }
    EXPECT_EQ(cells, 2);
    EXPECT_TRUE(c.Cell(0, 2, 4, 2));
    EXPECT_TRUE(c.Cell(8, 8, 15, 15));

    // What the status and name replies show follows the download.
    link.Send(cmd::GetStatus);
    EXPECT_EQ(link.Reply()[3], 0x12);
    EXPECT_EQ(link.NameReply(cmd::GetOwnName), "Plant room");
    EXPECT_EQ(link.NameReply(cmd::GetUnitName, 2), std::string(32, 'N'));
    EXPECT_EQ(link.NameReply(cmd::GetUnitName, 5), "");
}

TEST(SimulatedUnitDownload, MasterNameGoesOutAsThirtyOneCharacters) {
    HandDownload d;
    PutName(d.halves[3][0], 3, std::string(31, 'M'));
    SimulatedUnit unit;
    Link link(unit);
    d.SendTo(link);
    EXPECT_EQ(unit.LastDownload().Unit(0).DeviceName(), std::string(31, 'M'));
}

TEST(SimulatedUnitDownload, SlaveDownloadChangesThatSlaveOnly) {
    HandDownload d;
    HidReport& a = d.halves[0][0];
    a[4] = 3;  // Slave 3
    a[5] = 172, a[6] = 16, a[7] = 0, a[8] = 3;
    a[19] = 0x1F, a[20] = 0x90;                  // port 8080
    a[28] = 0xFF;                                // every Slave enabled: only Slave 3 takes it
    a[29] = 1, a[30] = 1, a[31] = 1, a[32] = 1;  // the Master's IP: not taken
    d.halves[1][0][3 + 2 * 3] = 0x03;            // latches of unit 3, outputs 1 and 2
    d.halves[1][0][3] = 0xFF;                    // latches of unit 0: not taken
    d.halves[2][0][3 + 5] = 0x14;                // unit 3 output 6 reset by unit 1 input 5
    PutName(d.halves[3][0], 3, "Pump house");

    SimulatedUnit unit;
    Link link(unit);
    d.SendTo(link, kSlaveDownloadBlockCount - 1);
    ASSERT_EQ(unit.DownloadsCompleted(), 1);
    ConfigSet expected;
    expected.SetDefaults();
    UnitRecord s3 = expected.Unit(3);
    s3.SetIPAddr({172, 16, 0, 3});
    s3.SetGateWayAddr({0, 0, 0, 0});
    s3.SetSubMaskAddr({0, 0, 0, 0});
    s3.SetDeviceParamA(0);
    s3.SetDeviceParamB(0);
    s3.SetClientPort(8080);
    s3.SetOutputLatch(0, true);
    s3.SetOutputLatch(1, true);
    s3.SetResetDevice(5, 1);
    s3.SetResetInput(5, 4);
    s3.SetSlaveEnabled(true);
    s3.SetDeviceName("Pump house");
    const ConfigSet got = unit.LastDownload();
    EXPECT_EQ(got.Unit(3).ClientPort(), 8080);
    EXPECT_EQ(got.Unit(3).DeviceName(), "Pump house");
    EXPECT_TRUE(got == expected) << "only Slave 3's own fields may change";
}

TEST(SimulatedUnitDownload, UnfinishedDownloadIsNotTakenOver) {
    SimulatedUnit unit;
    Link link(unit);
    HandDownload d;
    PutName(d.halves[3][0], 3, "Half done");
    d.SendTo(link, kDownloadBlockCount - 1, /*skipBlock=*/30);
    EXPECT_EQ(unit.DownloadsCompleted(), 0);
    EXPECT_EQ(unit.LastDownload().Unit(0).DeviceName(), "Master");

    // Blocks without BeginDownload are not a download either.
    link.Send(d.halves[0][0]);
    link.Reply();
    link.Send(cmd::EndDownload);
    link.Reply();
    EXPECT_EQ(unit.DownloadsCompleted(), 0);
}

TEST(DownloadCapture, RecordsOnlyBlockHalvesInRange) {
    DownloadCapture cap;
    HidReport r{};
    r[1] = cmd::BlockFirstHalf;
    r[2] = 53;
    EXPECT_FALSE(cap.Record(r));
    r[1] = cmd::Identify;
    r[2] = 0;
    EXPECT_FALSE(cap.Record(r));
    EXPECT_EQ(cap.UnitIndex(), -1);
    r[1] = cmd::BlockFirstHalf;
    r[4] = 9;  // no such unit
    EXPECT_TRUE(cap.Record(r));
    EXPECT_EQ(cap.UnitIndex(), -1);
    EXPECT_FALSE(cap.Complete());
    ConfigSet c;
    c.SetDefaults();
    const ConfigSet before = c;
    EXPECT_FALSE(ApplyDownload(cap, c));
    EXPECT_TRUE(c == before);
}

}  // namespace
}  // namespace valdro
