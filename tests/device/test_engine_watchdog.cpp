// The reply watchdog and the modal boxes it opens while the timer keeps ticking.

#include <gtest/gtest.h>

#include "engine_rig.h"

namespace valdro {
namespace {

using test::EngineRig;

SimulatedFaults Silent(int after = 0) {
    SimulatedFaults f;
    f.silentAfterReport = after;
    return f;
}

TEST(EngineWatchdog, FiresOnTheTwentiethTickWithTheLinkStateAlreadyCleared) {
    EngineRig rig(Silent());
    int stateDuringBox = -1;
    rig.ui.whileErrorOpen = [&](const std::string&) { stateDuringBox = rig.engine.LinkState(); };
    rig.engine.StartDownload();
    rig.Tick(19);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 1);
    EXPECT_TRUE(rig.ui.errors.empty());
    rig.Tick();
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{"Lost comms to ORVELIX"});
    EXPECT_EQ(stateDuringBox, 0);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 0);
}

TEST(EngineWatchdog, SilentUnitWhileMonitoringGivesOneMessageAndNoPollAfterIt) {
    EngineRig rig(Silent());
    rig.engine.StatusConnectButtonClick();
    rig.Tick(20);
    EXPECT_EQ(rig.ui.errors, std::vector<std::string>{"Lost comms to ORVELIX"});
    EXPECT_EQ(rig.engine.StatusPollCountdown(), 0);
    // Polling stopped, so the page offers "Connect" again.
    EXPECT_FALSE(rig.engine.Monitoring());
    EXPECT_EQ(rig.ui.resets, 1);
    rig.Tick(200);
    EXPECT_EQ(rig.WrittenCount(), 1u);
    EXPECT_EQ(rig.ui.errors.size(), 1u);
}

// The box stays open for a long time while the timer keeps ticking: the poll goes
// on sending Identify, each unanswered, but only one box is ever open, and none
// follows once it is closed.
TEST(EngineWatchdog, ABoxLeftOpenDoesNotStackMoreBoxes) {
    EngineRig rig(Silent());
    int depth = 0, maxDepth = 0;
    std::size_t sentDuringBox = 0;
    rig.ui.whileErrorOpen = [&](const std::string&) {
        maxDepth = std::max(maxDepth, ++depth);
        EXPECT_TRUE(rig.engine.LostCommsShown());
        const std::size_t before = rig.WrittenCount();
        rig.Tick(75);  // nearly four seconds
        sentDuringBox = rig.WrittenCount() - before;
        --depth;
    };
    rig.engine.StatusConnectButtonClick();
    rig.Tick(20);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(rig.ui.errors.size(), 1u);
    EXPECT_EQ(sentDuringBox, 4u) << "the poll still ran while the box was open";
    EXPECT_FALSE(rig.engine.LostCommsShown());
    EXPECT_FALSE(rig.engine.Monitoring());
    EXPECT_EQ(rig.engine.LinkState(), 0);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 0);

    const std::size_t afterBox = rig.WrittenCount();
    rig.Tick(200);
    EXPECT_EQ(rig.ui.errors.size(), 1u);
    EXPECT_EQ(rig.WrittenCount(), afterBox);
}

// While the box is open the unit comes back and answers a poll: the exchange runs
// normally inside the box, and monitoring still ends when the box is closed.
TEST(EngineWatchdog, AReplyWhileTheBoxIsOpenIsHandled) {
    EngineRig rig(Silent(0));
    rig.ui.whileErrorOpen = [&](const std::string&) {
        rig.sim.SetFaults({});
        rig.Tick(20);  // the poll sends Identify
        EXPECT_TRUE(rig.DeliverUntilIdle());
    };
    rig.engine.StatusConnectButtonClick();
    rig.Tick(20);
    EXPECT_EQ(rig.ui.errors.size(), 1u);
    EXPECT_EQ(rig.ui.painted.size(), 1u);
    EXPECT_FALSE(rig.engine.Monitoring());
    rig.Tick(100);
    EXPECT_EQ(rig.ui.errors.size(), 1u);
}

TEST(EngineWatchdog, ReplyRestartsTheCountdown) {
    EngineRig rig;
    rig.engine.StartDownload();
    for (int i = 0; i < 5; ++i) {
        rig.Tick(19);
        ASSERT_TRUE(rig.DeliverOne());
        EXPECT_EQ(rig.engine.ReplyCountdown(), 20);
    }
    EXPECT_TRUE(rig.ui.errors.empty());
}

TEST(EngineWatchdog, NothingAwaitedNothingFires) {
    EngineRig rig;
    rig.Tick(1000);
    EXPECT_TRUE(rig.ui.events.empty());
    EXPECT_EQ(rig.platform.EnumerateCount(), 0);
}

}  // namespace
}  // namespace valdro
