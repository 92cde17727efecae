// The reply watchdog, and the modal boxes it opens while the timer keeps ticking.

#include <gtest/gtest.h>

#include <optional>

#include "engine_rig.h"

namespace valdro {
namespace {

using test::EngineRig;

TEST(EngineWatchdog, FiresOnTheTwentiethTickWithTheLinkStateAlreadyCleared) {
    EngineRig rig({.silentAfterReport = 0});
    std::optional<LinkState> stateInBox;
    rig.events.whileErrorOpen = [&] { stateInBox = rig.engine.LinkState(); };
    rig.StartDownload();
    rig.Tick(19);
    EXPECT_TRUE(rig.events.errors.empty());
    rig.Tick();
    EXPECT_EQ(rig.events.errors, std::vector<std::string>{"Lost comms to ORVELIX"});
    EXPECT_EQ(stateInBox, LinkState::Idle);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 0);
}

// A silent unit while monitoring: one message, and no poll once it is closed.
// The box stays open for nearly four seconds meanwhile: the poll still runs
// inside it (each Identify unanswered), but no second box ever opens.
TEST(EngineWatchdog, ASilentUnitGivesOneBoxHoweverLongItStaysOpen) {
    for (const int ticksInBox : {0, 75}) {
        EngineRig rig({.silentAfterReport = 0});
        int depth = 0, maxDepth = 0;
        std::size_t sentInBox = 0;
        rig.events.whileErrorOpen = [&] {
            maxDepth = std::max(maxDepth, ++depth);
            EXPECT_TRUE(rig.engine.ReportingLostComms());
            const std::size_t before = rig.WrittenCount();
            rig.Tick(ticksInBox);
            sentInBox = rig.WrittenCount() - before;
            --depth;
        };
        rig.engine.StartMonitoring();
        rig.Tick(20);
        EXPECT_EQ(maxDepth, 1);
        EXPECT_EQ(sentInBox, ticksInBox == 0 ? 0u : 4u);
        EXPECT_EQ(rig.events.errors, std::vector<std::string>{"Lost comms to ORVELIX"});
        EXPECT_FALSE(rig.engine.ReportingLostComms());
        // Polling stopped, so the page offers "Connect" again.
        EXPECT_FALSE(rig.engine.Monitoring());
        EXPECT_EQ(rig.engine.StatusPollCountdown(), 0);
        EXPECT_EQ(rig.engine.LinkState(), LinkState::Idle);
        EXPECT_EQ(rig.engine.ReplyCountdown(), 0);
        const std::size_t afterBox = rig.WrittenCount();
        rig.Tick(200);
        EXPECT_EQ(rig.events.errors.size(), 1u);
        EXPECT_EQ(rig.WrittenCount(), afterBox);
    }
}

// While the box is open the unit comes back and answers a poll: the exchange runs
// inside the box, and monitoring still ends when the box is closed.
TEST(EngineWatchdog, AReplyWhileTheBoxIsOpenIsHandled) {
    EngineRig rig({.silentAfterReport = 0});
    rig.events.whileErrorOpen = [&] {
        rig.sim.SetFaults({});
        rig.Tick(20);  // the poll sends Identify
        EXPECT_TRUE(rig.DeliverUntilIdle());
    };
    rig.engine.StartMonitoring();
    rig.Tick(20);
    EXPECT_EQ(rig.events.painted.size(), 1u);
    EXPECT_FALSE(rig.engine.Monitoring());
    rig.Tick(100);
    EXPECT_EQ(rig.events.errors.size(), 1u);
}

// The identity box opens inside the hand-off of a report. Its nested loop goes on
// ticking: a poll sends Identify, which cannot be answered while the hand-off is
// held, so the watchdog's box opens inside the first. Both close cleanly and the
// engine is left idle, the late reply ignored.
TEST(EngineWatchdog, BoxesNestedInsideAReportLeaveTheEngineIdle) {
    EngineRig rig({.wrongIdentity = true});
    int depth = 0;
    rig.events.whileErrorOpen = [&] {
        if (++depth == 1) {
            rig.Tick(60);
        }
        --depth;
    };
    rig.engine.StartMonitoring();
    ASSERT_TRUE(rig.DeliverOne());
    EXPECT_EQ(rig.events.errors,
              (std::vector<std::string>{"Application is not a ORVELIX Valdrometrica",
                                        "Lost comms to ORVELIX"}));
    ASSERT_TRUE(rig.DeliverOne());  // the poll's reply, after both boxes
    EXPECT_EQ(rig.engine.LinkState(), LinkState::Idle);
    EXPECT_EQ(rig.engine.ReplyCountdown(), 0);
    EXPECT_FALSE(rig.engine.Monitoring());
    rig.Tick(100);
    EXPECT_EQ(rig.events.errors.size(), 2u);
    EXPECT_EQ(rig.WrittenCount(), 2u);
}

}  // namespace
}  // namespace valdro
