// The receive thread and its hand-off, then the engine with it driven by the owner
// loop and its 50 ms tick as the command-line tool runs it. Run under ThreadSanitizer.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>

#include "device/owner_loop.h"
#include "device/receive_thread.h"
#include "engine_rig.h"

namespace valdro {
namespace {

using namespace std::chrono_literals;

// The receive thread hands over one report at a time: all three replies wait
// before the owner takes the first, and each is published only once the previous
// one is completed, and taken once. A short report overwrites only its own bytes;
// the rest is the previous report's.
TEST(ThreadedReceive, OneReportInFlightAndShortReportsKeepTheTail) {
    SimulatedUnit unit;
    SimulatedPlatform platform(unit);
    test::CountingPoster poster;
    ReportHandOff handOff(poster);
    const auto writer = platform.Open(kSimUnitPath, nullptr);
    const auto reader = platform.Open(kSimUnitPath, nullptr);
    std::atomic<bool> channelOpen{true};
    Port1Comms comms(*reader, handOff, channelOpen);
    auto send = [&](std::uint8_t code, std::uint8_t byte2) {
        const HidReport r{0, code, byte2};
        EXPECT_EQ(writer->Write(r.data(), r.size()), 65);
    };
    for (std::uint8_t u = 1; u <= 3; ++u) {
        send(cmd::GetUnitName, u);
    }
    HidReport rx{}, previous{};
    for (long i = 1; i <= 4; ++i) {
        if (i == 4) {
            unit.SetFaults({.shortReplyBytes = 3});
            send(cmd::Identify, 0);
        }
        ASSERT_TRUE(poster.WaitBeyond(i - 1));
        previous = rx;
        ASSERT_TRUE(handOff.TakePending(rx));
        const std::string name = reinterpret_cast<const char*>(rx.data() + 2);
        EXPECT_EQ(name, i < 4 ? "Slave " + std::to_string(i) : "");
        std::this_thread::sleep_for(20ms);  // time enough to publish early, if it would
        EXPECT_EQ(poster.Posts(), i);
        HidReport again{};
        EXPECT_FALSE(handOff.TakePending(again));
        handOff.Complete();
    }
    EXPECT_EQ(rx[1], cmd::Identify);
    EXPECT_TRUE(std::equal(rx.begin() + 3, rx.end(), previous.begin() + 3));
    EXPECT_TRUE(comms.Running());
    EXPECT_TRUE(channelOpen.load());
}

struct LoopRig {
    explicit LoopRig(SimulatedFaults faults = {}) : sim(faults) {
        loop.SetDelivery([this] { engine.DeliverPendingReport(); });
        loop.SetTick([this] { engine.Tick(); });
    }
    bool RunUntil(const std::function<bool()>& done) { return loop.RunUntil(done, 60s); }

    SimulatedUnit sim;
    SimulatedPlatform platform{sim};
    test::RecordingEvents events;
    OwnerLoop loop;
    ProtocolEngine engine{platform, events, loop};
};

// Whole downloads, slow replies within the second. The "Download Complete" box runs
// a nested loop: ticks go on while the receive thread waits in its hand-off.
TEST(ThreadedEngine, DownloadsRunToCompletion) {
    for (const int unit : {0, 4}) {
        LoopRig rig({.replyDelayMs = unit == 0 ? 0 : 5});
        long ticksInBox = 0;
        rig.events.whileBoxOpen = [&] {
            const long before = rig.loop.Ticks();
            rig.RunUntil([&] { return rig.loop.Ticks() >= before + 5; });
            ticksInBox = rig.loop.Ticks() - before;
        };
        rig.engine.StartDownload(test::GoldenConfig(), unit);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.engine.LinkState() == LinkState::Idle; }));
        EXPECT_EQ(rig.events.order, std::vector<std::string>{"complete"});
        EXPECT_GE(ticksInBox, 5);
        EXPECT_EQ(rig.sim.WrittenReportCount(), unit == 0 ? 109u : 11u);
    }
}

// Monitoring polls on the tick; a pulled cable drops the channel and the poll after
// the unit is back opens a new one.
TEST(ThreadedEngine, ReplugWhileMonitoringReplacesTheChannel) {
    LoopRig rig;
    rig.engine.StartMonitoring();
    ASSERT_TRUE(rig.RunUntil([&] { return rig.events.painted.size() == 2; }));
    ASSERT_TRUE(rig.RunUntil([&] { return rig.engine.LinkState() == LinkState::Idle; }));
    rig.sim.Unplug();
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.engine.ChannelOpen(); }));
    rig.sim.Replug();
    ASSERT_TRUE(rig.RunUntil([&] { return rig.events.painted.size() >= 4; }));
    EXPECT_TRUE(rig.engine.Monitoring());
}

// Posts and Quit() from other threads reach the loop; ticks come meanwhile.
TEST(OwnerLoop, DeliversPostsAndTicksAndQuitsFromAnotherThread) {
    OwnerLoop loop;
    int deliveries = 0, ticks = 0;
    loop.SetDelivery([&] { ++deliveries; });
    loop.SetTick([&] { ++ticks; });
    std::thread([&] { loop.Post(); }).join();
    ASSERT_TRUE(loop.RunUntil([&] { return deliveries == 1 && ticks >= 3; }, 10s));
    EXPECT_EQ(ticks, loop.Ticks());
    std::thread quitter([&] { loop.Quit(); });
    loop.Run();  // returns once the Quit() has come
    quitter.join();
}

}  // namespace
}  // namespace valdro
