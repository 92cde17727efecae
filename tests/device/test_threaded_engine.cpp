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
        loop.SetTick([this] { engine.Timer1Timer(); });
    }
    ~LoopRig() { engine.Shutdown(); }

    SimulatedUnit sim;
    SimulatedPlatform platform{sim};
    test::RecordingUi ui;
    ConfigSet config;
    OwnerLoop loop;
    ProtocolEngine engine{platform, ui, config, loop};
};

TEST(ThreadedEngine, DownloadsRunToCompletion) {
    for (const int unit : {0, 4}) {
        LoopRig rig({.replyDelayMs = unit == 0 ? 0 : 5});  // slow replies within the second
        rig.config = test::RichConfig();
        rig.ui.currentUnit = unit;
        rig.engine.StartDownload();
        ASSERT_TRUE(rig.loop.RunUntil([&] { return !rig.ui.infos.empty(); }, 60s));
        EXPECT_TRUE(rig.ui.errors.empty());
        EXPECT_EQ(rig.sim.WrittenReportCount(), unit == 0 ? 109u : 11u);
        EXPECT_EQ(rig.sim.DownloadsCompleted(), 1);
        EXPECT_EQ(rig.sim.LastDownload().Unit(4).DeviceName(), "Café corner");
    }
}

// Monitoring polls on the tick; a pulled cable drops the channel and the poll after
// the unit is back opens a new one.
TEST(ThreadedEngine, ReplugWhileMonitoringReplacesTheChannel) {
    LoopRig rig;
    rig.engine.StatusConnectButtonClick();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return rig.ui.painted.size() == 2; }, 30s));
    EXPECT_EQ(rig.ui.titles.size(), 1u) << "names only after the first record";
    ASSERT_TRUE(rig.loop.RunUntil([&] { return rig.engine.LinkState() == 0; }, 30s));
    rig.sim.Unplug();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return !rig.engine.ChannelOpen(); }, 30s));
    rig.sim.Replug();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return rig.ui.painted.size() >= 4; }, 30s));
    EXPECT_TRUE(rig.engine.ChannelOpen());
    EXPECT_TRUE(rig.engine.Monitoring());
    EXPECT_TRUE(rig.ui.errors.empty());
}

TEST(ThreadedEngine, ShutdownWhileTheThreadWaitsInARead) {
    LoopRig rig({.silentAfterReport = 0});
    rig.engine.StatusConnectButtonClick();
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
    test::RecordingUi ui;
    ConfigSet config;
    ProtocolEngine engine(platform, ui, config, poster);
    engine.StatusConnectButtonClick();
    // The reply has been read and handed over; nobody takes it.
    ASSERT_TRUE(poster.WaitBeyond(0, 5s));
    engine.Shutdown();
    EXPECT_FALSE(engine.ChannelOpen());
    engine.DeliverPendingReport();  // a late delivery finds nothing
    EXPECT_TRUE(ui.painted.empty());
    EXPECT_EQ(engine.LinkState(), 19);
}

// The "Download Complete" box runs a nested loop: ticks go on, but the receive
// thread waits in its hand-off, so no other report is handled until it closes.
TEST(ThreadedEngine, NestedLoopInsideABoxHandlesNoFurtherReport) {
    LoopRig rig;
    long ticksInBox = 0;
    rig.ui.whileInformationOpen = [&] {
        const long before = rig.loop.Ticks();
        rig.loop.RunUntil([&] { return rig.loop.Ticks() >= before + 5; }, 10s);
        ticksInBox = rig.loop.Ticks() - before;
        EXPECT_EQ(rig.engine.LinkState(), 17);
    };
    rig.engine.StartDownload();
    ASSERT_TRUE(rig.loop.RunUntil(
        [&] { return rig.engine.LinkState() == 0 && !rig.ui.infos.empty(); }, 60s));
    EXPECT_GE(ticksInBox, 5);
    EXPECT_TRUE(rig.ui.errors.empty());
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
