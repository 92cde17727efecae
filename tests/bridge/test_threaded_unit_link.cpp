// The bridge's hold on the unit: the real engine, receive thread and owner loop
// against the simulated unit, on a fast tick so that seconds of polls and searches
// take a fraction of that. The unit goes away and comes back in the ways a service
// meets; each change is one log line, however many searches it takes.

#include <gtest/gtest.h>

#include "bridge/unit_link.h"
#include "bridge_rig.h"
#include "device/owner_loop.h"
#include "device/protocol_engine.h"
#include "device/simulated_platform.h"

namespace valdro::bridge {
namespace {

using namespace std::chrono_literals;

// A 5 ms tick: the poll every 100 ms, and a "1 s" search every 100 ms.
constexpr auto kTick = 5ms;
constexpr auto kSearchEvery = 1000ms;

struct LinkRig {
    explicit LinkRig(SimulatedFaults faults = {}) : sim(faults) {
        link.Attach(engine);
        loop.SetDelivery([this] { engine.DeliverPendingReport(); });
        loop.SetTick([this] {
            engine.Tick();
            link.Tick();
        });
    }
    ~LinkRig() { engine.Shutdown(); }

    bool RunUntil(const std::function<bool()>& done) { return loop.RunUntil(done, 30s); }
    bool Attached() { return link.State() == UnitLinkState::Attached; }
    // Runs until n more searches have gone by.
    bool Searches(long n) {
        const long until = link.Searches() + n;
        return RunUntil([&] { return link.Searches() >= until; });
    }

    SimulatedUnit sim;
    SimulatedPlatform platform{sim};
    test::KeptLog log;
    Bridge bridge{BridgeOptions{}, log.log};
    UnitLink link{bridge, log.log, kSearchEvery};
    OwnerLoop loop{kTick};
    ProtocolEngine engine{platform, link, loop};
};

// The unit leaves in two ways (cable pulled, unit silent) and comes back: one
// "lost" line with the reason and the pace, nothing during the searches, one
// "attached" line, and the model follows.
TEST(UnitLink, ALostUnitIsSaidOnceSearchedForAndTakenBack) {
    struct Case {
        const char* name;
        std::function<void(SimulatedUnit&)> leave;
        std::function<void(SimulatedUnit&)> back;
        const char* reason;
    };
    const Case cases[] = {
        {"unplugged", [](SimulatedUnit& u) { u.Unplug(); }, [](SimulatedUnit& u) { u.Replug(); },
         "the unit is no longer attached; searching for it every 1 s"},
        {"silent", [](SimulatedUnit& u) { u.SetFaults({.silentAfterReport = 0}); },
         [](SimulatedUnit& u) { u.SetFaults({}); },
         "Lost comms to ORVELIX; searching for it every 1 s"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkRig rig;
        rig.link.Start();
        ASSERT_TRUE(rig.RunUntil([&] { return rig.bridge.Model().Feeds() >= 3; })) << rig.log.All();
        EXPECT_EQ(rig.bridge.Model().LiveMask(), 1u);

        c.leave(rig.sim);
        ASSERT_TRUE(rig.RunUntil([&] { return !rig.Attached(); }));
        ASSERT_TRUE(rig.Searches(5)) << rig.log.All();
        EXPECT_EQ(rig.log.Count("Unit lost"), 1) << rig.log.All();
        EXPECT_EQ(rig.log.Count(c.reason), 1) << rig.log.All();
        EXPECT_EQ(rig.log.Count("Cannot find"), 0) << rig.log.All();
        EXPECT_EQ(rig.bridge.Model().LiveMask(), 0u);
        const auto fedWhileAway = rig.bridge.Model().Feeds();

        c.back(rig.sim);
        ASSERT_TRUE(rig.RunUntil([&] { return rig.bridge.Model().Feeds() > fedWhileAway + 1; }));
        EXPECT_EQ(rig.log.Count("Unit attached"), 2) << rig.log.All();
        EXPECT_EQ(rig.bridge.Model().LiveMask(), 1u);
        EXPECT_TRUE(rig.engine.Monitoring());
    }
}

// Started with no unit: said once however long it takes; a different reason (a
// unit this user may not open) is said once more; then the unit is taken.
TEST(UnitLink, NoUnitAtStartIsSaidOncePerReason) {
    LinkRig rig({.present = false});
    rig.link.Start();
    ASSERT_TRUE(rig.Searches(6));
    EXPECT_EQ(rig.log.Count("Cannot find ORVELIX; searching for it every 1 s"), 1) << rig.log.All();

    rig.sim.SetFaults({.accessDenied = true});
    ASSERT_TRUE(rig.Searches(6));
    EXPECT_EQ(rig.log.Count("Permission denied opening sim:orvelix-0"), 1) << rig.log.All();

    rig.sim.SetFaults({});
    ASSERT_TRUE(rig.RunUntil([&] { return rig.bridge.Model().Feeds() >= 1; }));
    EXPECT_EQ(rig.log.Count("Cannot find"), 2) << rig.log.All();
    EXPECT_EQ(rig.log.Count("Unit attached: availability online; ORVELIX at sim:orvelix-0"), 1)
        << rig.log.All();
}

// A record whose mode changed goes to the bridge with the names that change
// fetched, never with the names of before: at connect, and when the unit switches
// to reporting itself alone.
TEST(UnitLink, ARecordWaitsForTheNamesItsModeChangeFetches) {
    LinkRig rig;
    rig.link.Start();
    ASSERT_TRUE(rig.RunUntil([&] { return rig.bridge.Model().Feeds() >= 1; }));
    EXPECT_EQ(rig.bridge.Model().Feeds(), 1u);
    EXPECT_EQ(rig.bridge.Model().Unit(0).name, "Master");
    EXPECT_EQ(rig.bridge.Model().Unit(8).name, "Slave 8");

    rig.sim.SetSingleUnitMode(true);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.engine.LastStatusMode() == 1; }));
    const auto fed = rig.bridge.Model().Feeds();
    ASSERT_TRUE(rig.RunUntil([&] { return rig.bridge.Model().Feeds() > fed + 1; }));
    EXPECT_EQ(rig.bridge.Model().Unit(0).name, "Master");
    EXPECT_EQ(rig.log.Count("Unit attached"), 1) << "a mode change is no reconnect";
}

}  // namespace
}  // namespace valdro::bridge
