// The receive thread and its hand-off, with the owner side run on the test
// thread: order of reports, short reports, unplugging, and stopping the thread
// wherever it waits.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "device/receive_thread.h"
#include "engine_rig.h"

namespace valdro {
namespace {

using namespace std::chrono_literals;

// Generous limit for waits that only a hang would reach.
constexpr auto kHang = 10s;

template <typename Pred>
bool Eventually(Pred pred) {
    const auto end = std::chrono::steady_clock::now() + kHang;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// A channel to the simulated unit with the receive thread on its read handle.
struct Channel {
    Channel() : platform(unit), handOff(poster) {
        writer = platform.Open(kSimUnitPath, nullptr);
        reader = platform.Open(kSimUnitPath, nullptr);
        channelOpen.store(true);
        comms = std::make_unique<Port1Comms>(*reader, handOff, channelOpen);
    }
    void Send(std::uint8_t code, std::uint8_t byte2 = 0) {
        HidReport r{};
        r[1] = code;
        r[2] = byte2;
        ASSERT_EQ(writer->Write(r.data(), r.size()), 65);
    }
    // Owner side: waits for post number n, takes the report and completes it.
    void Handle(int n) {
        ASSERT_TRUE(poster.WaitBeyond(n - 1));
        ASSERT_TRUE(handOff.TakePending(rx));
        handOff.Complete();
    }

    SimulatedUnit unit;
    SimulatedPlatform platform;
    test::CountingPoster poster;
    ReportHandOff handOff;
    std::unique_ptr<HidHandle> writer;
    std::unique_ptr<HidHandle> reader;
    std::atomic<bool> channelOpen{false};
    std::unique_ptr<Port1Comms> comms;
    HidReport rx{};
};

std::string NameIn(const HidReport& r) {
    return reinterpret_cast<const char*>(r.data() + 2);
}

TEST(ThreadedReceive, ReportsArriveInOrderEachAfterThePreviousCompleted) {
    Channel ch;
    // All three replies are waiting before the owner handles the first.
    ch.Send(cmd::GetUnitName, 1);
    ch.Send(cmd::GetUnitName, 2);
    ch.Send(cmd::GetUnitName, 3);
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(ch.poster.WaitBeyond(i - 1));
        ASSERT_TRUE(ch.handOff.TakePending(ch.rx));
        EXPECT_EQ(NameIn(ch.rx), "Slave " + std::to_string(i));
        // A thread that did not wait for Complete() would publish the next one now.
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(ch.poster.Posts(), i);
        HidReport again{};
        EXPECT_FALSE(ch.handOff.TakePending(again));
        ch.handOff.Complete();
    }
    EXPECT_TRUE(ch.comms->Running());
    EXPECT_TRUE(ch.channelOpen.load());
}

TEST(ThreadedReceive, ShortReportKeepsTheTailOfThePreviousOne) {
    Channel ch;
    ch.Send(cmd::GetUnitName, 8);
    ch.Handle(1);
    const HidReport previous = ch.rx;
    ASSERT_EQ(NameIn(previous), "Slave 8");

    ch.unit.SetFaults({.shortReplyBytes = 3});
    ch.Send(cmd::Identify);
    ch.Handle(2);
    EXPECT_EQ(ch.rx[0], 0);
    EXPECT_EQ(ch.rx[1], cmd::Identify);
    EXPECT_EQ(ch.rx[2], 0);
    for (std::size_t i = 3; i < kReportSize; ++i) {
        EXPECT_EQ(ch.rx[i], previous[i]) << "byte " << i;
    }
}

// Pulled while the thread waits in its read, or by the report just written: the
// read fails, ChannelOpen is cleared and the thread ends, with nothing handed over.
TEST(ThreadedReceive, UnplugClearsChannelOpenAndEndsTheThread) {
    for (const bool byReport : {false, true}) {
        Channel ch;
        if (byReport) {
            ch.unit.SetFaults({.unplugAtReport = 1});
            ch.Send(cmd::Identify);
        } else {
            ch.unit.Unplug();
        }
        ASSERT_TRUE(Eventually([&] { return !ch.comms->Running(); }));
        EXPECT_FALSE(ch.channelOpen.load());
        EXPECT_EQ(ch.poster.Posts(), 0);
    }
}

TEST(ThreadedReceive, StopWhileBlockedInAReadJoins) {
    Channel ch;  // a silent unit: the thread sits in its read
    ch.comms.reset();
    EXPECT_TRUE(ch.channelOpen.load()) << "stopping is not a lost channel";
}

// Stopped while its report waits to be taken; a new thread on the same hand-off
// then works again.
TEST(ThreadedReceive, StopWhileWaitingInAHandOffJoins) {
    Channel ch;
    ch.Send(cmd::Identify);
    ASSERT_TRUE(ch.poster.WaitBeyond(0));  // published, never taken
    ch.comms.reset();
    HidReport rx{};
    EXPECT_FALSE(ch.handOff.TakePending(rx)) << "a cancelled hand-off has nothing to take";

    ch.handOff.Reset();
    ch.comms = std::make_unique<Port1Comms>(*ch.reader, ch.handOff, ch.channelOpen);
    ch.Send(cmd::GetOwnName);
    ch.Handle(2);
    EXPECT_EQ(NameIn(ch.rx), "Master");
}

TEST(ThreadedReceive, StopAfterTheOwnerTookTheReportJoins) {
    Channel ch;
    ch.Send(cmd::Identify);
    ASSERT_TRUE(ch.poster.WaitBeyond(0));
    ASSERT_TRUE(ch.handOff.TakePending(ch.rx));  // the owner is busy with it (a modal box)
    ch.comms.reset();
    ch.handOff.Complete();  // completing late is harmless
    EXPECT_EQ(ch.rx[4], 8);
}

}  // namespace
}  // namespace valdro
