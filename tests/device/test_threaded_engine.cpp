// The engine with its real receive thread and hand-off, driven by the owner loop
// and its 50 ms tick, as the command-line tool runs it. Run under ThreadSanitizer.

#include <gtest/gtest.h>

#include <thread>

#include "device/owner_loop.h"
#include "engine_rig.h"

namespace valdro {
namespace {

using namespace std::chrono_literals;

struct LoopRig {
    explicit LoopRig(SimulatedFaults faults = {}) : sim(faults) {
        config.SetDefaults();
        loop.SetDelivery([this] { engine.DeliverPendingReport(); });
        loop.SetTick([this] { engine.Tick(); });
    }
    ~LoopRig() { engine.Shutdown(); }

    SimulatedUnit sim;
    SimulatedPlatform platform{sim};
    test::RecordingEvents events;
    ConfigSet config;
    OwnerLoop loop;
    ProtocolEngine engine{platform, events, loop};
};

TEST(ThreadedEngine, DownloadsRunToCompletion) {
    for (const int unit : {0, 4}) {
        LoopRig rig({.replyDelayMs = unit == 0 ? 0 : 5});  // slow replies within the second
        rig.config = test::RichConfig();
        rig.engine.StartDownload(rig.config, unit);
        ASSERT_TRUE(rig.loop.RunUntil([&] { return !rig.events.infos.empty(); }, 60s));
        EXPECT_TRUE(rig.events.errors.empty());
        EXPECT_EQ(rig.sim.WrittenReportCount(), unit == 0 ? 109u : 11u);
        EXPECT_EQ(rig.sim.DownloadsCompleted(), 1);
        EXPECT_EQ(rig.sim.LastDownload().Unit(4).DeviceName(), "Café corner");
    }
}

// Monitoring polls on the tick; a pulled cable drops the channel and the poll after
// the unit is back opens a new one.
TEST(ThreadedEngine, ReplugWhileMonitoringReplacesTheChannel) {
    LoopRig rig;
    rig.engine.StartMonitoring();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return rig.events.painted.size() == 2; }, 30s));
    EXPECT_EQ(rig.events.titles.size(), 1u) << "names only after the first record";
    ASSERT_TRUE(rig.loop.RunUntil([&] { return rig.engine.LinkState() == LinkState::Idle; }, 30s));
    rig.sim.Unplug();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return !rig.engine.ChannelOpen(); }, 30s));
    rig.sim.Replug();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return rig.events.painted.size() >= 4; }, 30s));
    EXPECT_TRUE(rig.engine.ChannelOpen());
    EXPECT_TRUE(rig.engine.Monitoring());
    EXPECT_TRUE(rig.events.errors.empty());
}

TEST(ThreadedEngine, ShutdownWhileTheThreadWaitsInARead) {
    LoopRig rig({.silentAfterReport = 0});
    rig.engine.StartMonitoring();
    rig.loop.RunFor(150ms);
    ASSERT_TRUE(rig.engine.ChannelOpen());
    rig.engine.Shutdown();
    EXPECT_FALSE(rig.engine.ChannelOpen());
    rig.engine.Shutdown();  // twice is harmless
}

TEST(ThreadedEngine, ShutdownWhileAHandOffWaits) {
    test::CountingPoster poster;
    SimulatedUnit sim;
    SimulatedPlatform platform(sim);
    test::RecordingEvents events;
    ProtocolEngine engine(platform, events, poster);
    engine.StartMonitoring();
    // The reply has been read and handed over; nobody takes it.
    ASSERT_TRUE(poster.WaitBeyond(0, 5s));
    engine.Shutdown();
    EXPECT_FALSE(engine.ChannelOpen());
    engine.DeliverPendingReport();  // a late delivery finds nothing
    EXPECT_TRUE(events.painted.empty());
    EXPECT_EQ(engine.LinkState(), LinkState::StatusIdentity);
}

// The "Download Complete" box runs a nested loop: ticks go on, but the receive
// thread waits in its hand-off, so no other report is handled until it closes.
TEST(ThreadedEngine, NestedLoopInsideABoxHandlesNoFurtherReport) {
    LoopRig rig;
    long ticksInBox = 0;
    rig.events.whileInformationOpen = [&] {
        const long before = rig.loop.Ticks();
        rig.loop.RunUntil([&] { return rig.loop.Ticks() >= before + 5; }, 10s);
        ticksInBox = rig.loop.Ticks() - before;
        EXPECT_EQ(rig.engine.LinkState(), LinkState::EndDownloadAck);
    };
    rig.engine.StartDownload(rig.config, 0);
    ASSERT_TRUE(rig.loop.RunUntil(
        [&] { return rig.engine.LinkState() == LinkState::Idle && !rig.events.infos.empty(); },
        60s));
    EXPECT_GE(ticksInBox, 5);
    EXPECT_TRUE(rig.events.errors.empty());
}

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
