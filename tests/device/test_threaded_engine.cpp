// The engine with its real receive thread and hand-off, driven by the owner loop
// and its 50 ms tick, as the command-line tool runs it. Run under ThreadSanitizer.

#include <gtest/gtest.h>

#include <thread>

#include "engine_rig.h"
#include "owner_loop.h"

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

TEST(ThreadedEngine, MasterDownloadRunsToCompletion) {
    LoopRig rig;
    rig.config = test::RichConfig();
    rig.engine.StartDownload();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return !rig.ui.infos.empty(); }, 60s));
    EXPECT_EQ(rig.ui.infos, std::vector<std::string>{"Download Complete"});
    EXPECT_TRUE(rig.ui.errors.empty());
    EXPECT_EQ(rig.sim.WrittenReportCount(), 109u);
    EXPECT_EQ(rig.sim.DownloadsCompleted(), 1);
    EXPECT_EQ(rig.sim.LastDownload().InputMap, rig.config.InputMap);
}

TEST(ThreadedEngine, SlowRepliesWithinTheSecondStillComplete) {
    SimulatedFaults f;
    f.replyDelayMs = 5;
    LoopRig rig(f);
    rig.ui.currentUnit = 4;
    rig.engine.StartDownload();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return !rig.ui.infos.empty(); }, 60s));
    EXPECT_EQ(rig.sim.WrittenReportCount(), 11u);
    EXPECT_TRUE(rig.ui.errors.empty());
}

TEST(ThreadedEngine, MonitoringPollsOnTheTick) {
    LoopRig rig;
    rig.engine.StatusConnectButtonClick();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return rig.ui.painted.size() >= 3; }, 30s));
    EXPECT_EQ(rig.ui.titles.size(), 1u);
    EXPECT_TRUE(rig.ui.errors.empty());
    EXPECT_TRUE(rig.engine.Monitoring());
}

TEST(ThreadedEngine, UnplugDuringADownloadEndsWithLostComms) {
    SimulatedFaults f;
    f.unplugAtReport = 50;
    LoopRig rig(f);
    rig.engine.StartDownload();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return !rig.ui.errors.empty(); }, 30s));
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{"Lost comms to ORVELIX"});
    EXPECT_FALSE(rig.engine.ChannelOpen());
    EXPECT_EQ(rig.engine.LinkState(), 0);
}

TEST(ThreadedEngine, ReplugWhileMonitoringReplacesTheChannel) {
    LoopRig rig;
    rig.engine.StatusConnectButtonClick();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return rig.ui.painted.size() == 1; }, 30s));
    ASSERT_TRUE(rig.loop.RunUntil([&] { return rig.engine.LinkState() == 0; }, 30s));
    rig.sim.Unplug();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return !rig.engine.ChannelOpen(); }, 30s));
    rig.sim.Replug();
    ASSERT_TRUE(rig.loop.RunUntil([&] { return rig.ui.painted.size() >= 3; }, 30s));
    EXPECT_TRUE(rig.engine.ChannelOpen());
    EXPECT_TRUE(rig.engine.Monitoring());
    EXPECT_TRUE(rig.ui.errors.empty());
}

TEST(ThreadedEngine, ShutdownWhileTheThreadWaitsInARead) {
    SimulatedFaults f;
    f.silentAfterReport = 0;
    LoopRig rig(f);
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
    rig.ui.whileInformationOpen = [&](const std::string&) {
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

TEST(OwnerLoop, RunsPostedTasksInOrderOnItsOwnThread) {
    OwnerLoop loop;
    std::vector<int> order;
    std::vector<std::thread::id> ids;
    std::thread poster([&] {
        for (int i = 0; i < 50; ++i) {
            loop.PostTask([&, i] {
                order.push_back(i);
                ids.push_back(std::this_thread::get_id());
            });
        }
    });
    poster.join();
    ASSERT_TRUE(loop.RunUntil([&] { return order.size() == 50; }, 10s));
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
        EXPECT_EQ(ids[static_cast<std::size_t>(i)], std::this_thread::get_id());
    }
}

TEST(OwnerLoop, DeliversPostsAndTicks) {
    OwnerLoop loop;
    int deliveries = 0, ticks = 0;
    loop.SetDelivery([&] { ++deliveries; });
    loop.SetTick([&] { ++ticks; });
    std::thread t([&] { loop.Post(); });
    t.join();
    ASSERT_TRUE(loop.RunUntil([&] { return deliveries == 1 && ticks >= 3; }, 10s));
    EXPECT_EQ(ticks, loop.Ticks());
}

TEST(OwnerLoop, QuitFromAnotherThreadEndsRun) {
    OwnerLoop loop;
    bool ran = false;
    std::thread t([&] {
        loop.PostTask([&] { ran = true; });
        loop.Quit();
    });
    loop.Run();
    t.join();
    // Quit may have come before the task ran; either way Run returned.
    loop.RunUntil([&] { return ran; }, 5s);
    EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace valdro
