// The simulated unit through the platform interface: the faults the engine tests
// do not already drive, its status modes, and what its download decoder refuses.

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "device/download_decoder.h"
#include "device/simulated_platform.h"
#include "device/status_record.h"

namespace valdro {
namespace {

// One channel to the simulated unit: a write handle and a read handle.
struct Link {
    explicit Link(SimulatedUnit& unit, const std::string& path = kSimUnitPath) : platform(unit) {
        writer = platform.Open(path, nullptr);
        reader = platform.Open(path, nullptr);
    }
    void Send(const HidReport& r) { ASSERT_EQ(writer->Write(r.data(), r.size()), 65); }
    void Send(std::uint8_t code) {
        HidReport r{};
        r[1] = code;
        Send(r);
    }
    // One reply; n receives what Read returned (0 when nothing came in time).
    HidReport Reply(int* n = nullptr, int timeoutMs = 2000) {
        HidReport r{};
        const int got = reader->Read(r.data(), r.size(), timeoutMs);
        if (n != nullptr) {
            *n = got;
        }
        return r;
    }
    StatusRecord Status() {
        Send(cmd::GetStatus);
        const HidReport r = Reply();
        return DecodeStatusRecord(std::span<const std::uint8_t>(r).subspan(2));
    }

    SimulatedPlatform platform;
    std::unique_ptr<HidHandle> writer;
    std::unique_ptr<HidHandle> reader;
};

TEST(SimulatedUnitFaults, ALateReplyIsNotThereBeforeItsTime) {
    SimulatedUnit unit({.replyDelayMs = 300});
    Link link(unit);
    link.Send(cmd::Identify);
    int n = -1;
    link.Reply(&n, 0);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(link.Reply(&n, -1)[4], 8);
    EXPECT_EQ(n, 65);
}

// The unplug fault pulls the cable at its report; with a replug time the unit is
// listed and opens again once that time is up, on a new channel only.
TEST(SimulatedUnitFaults, TheUnplugFaultPlugsBackInWhenItsTimeIsUp) {
    for (const int replugAfterMs : {-1, 150}) {
        SCOPED_TRACE(replugAfterMs);
        SimulatedUnit unit({.unplugAtReport = 2, .replugAfterMs = replugAfterMs});
        Link first(unit);
        first.Send(cmd::Identify);
        EXPECT_EQ(first.Reply()[4], 8);
        first.Send(cmd::Identify);
        int n = 0;
        first.Reply(&n);
        EXPECT_EQ(n, -1) << "the read fails once the cable is out";
        EXPECT_TRUE(first.platform.Enumerate().empty());
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        EXPECT_EQ(first.platform.Enumerate().size(), replugAfterMs < 0 ? 0u : 1u);
        EXPECT_EQ(first.writer->Write(HidReport{}.data(), kReportSize), -1)
            << "a handle from before the unplug stays dead";
        if (replugAfterMs >= 0) {
            Link second(unit);
            second.Send(cmd::Identify);
            EXPECT_EQ(second.Reply()[4], 8);
        }
    }
}

// By default the Master reports all nine units, the Slaves of its last download
// present (none before one), with a pattern that moves on at every poll.
TEST(SimulatedUnitStatus, AllUnitsWithAMovingPattern) {
    SimulatedUnit unit;
    Link link(unit);
    std::uint16_t seenOut = 0, seenIn = 0;
    for (std::uint32_t poll = 0; poll < 16; ++poll) {
        const StatusRecord s = link.Status();
        ASSERT_FALSE(s.singleUnit());
        EXPECT_EQ(s.units[0].outputs, SimulatedUnit::IoPattern(0, poll).outputs);
        EXPECT_EQ(s.units[0].inputs, SimulatedUnit::IoPattern(0, poll).inputs);
        EXPECT_FALSE(s.units[5].present);
        seenOut |= s.units[0].outputs;
        seenIn |= s.units[0].inputs;
    }
    EXPECT_EQ(seenOut, 0xFFFF) << "every output lights up in turn";
    EXPECT_EQ(seenIn, 0xFFFF);
    EXPECT_EQ(unit.GetStatusCount(), 16);
}

TEST(SimulatedUnitStatus, SingleUnitModeAndAnOverride) {
    SimulatedUnit unit;
    Link link(unit);
    unit.SetSingleUnitMode(true);
    StatusRecord s = link.Status();
    EXPECT_EQ(s.mode, 1);
    EXPECT_TRUE(s.units[0].present);

    unit.SetStatusOverride({0x00, 0x81, 0x34, 0x12});
    link.Send(cmd::GetStatus);
    const HidReport r = link.Reply();
    HidReport want{};
    want[1] = cmd::GetStatus;
    want[3] = 0x81, want[4] = 0x34, want[5] = 0x12;  // the rest is 0
    EXPECT_EQ(r, want);
}

TEST(DownloadCapture, RecordsOnlyBlockHalvesOfKnownUnits) {
    DownloadCapture cap;
    HidReport r{};
    r[1] = cmd::BlockFirstHalf;
    r[2] = 53;  // beyond the last block
    EXPECT_FALSE(cap.Record(r));
    r[1] = cmd::Identify;
    r[2] = 0;
    EXPECT_FALSE(cap.Record(r));
    r[1] = cmd::BlockFirstHalf;
    r[4] = 9;  // no such unit
    EXPECT_TRUE(cap.Record(r));
    EXPECT_EQ(cap.UnitIndex(), -1);
    ConfigSet c;
    EXPECT_FALSE(ApplyDownload(cap, c));
    EXPECT_TRUE(c == ConfigSet{});
}

}  // namespace
}  // namespace valdro
