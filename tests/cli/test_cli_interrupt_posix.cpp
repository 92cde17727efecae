// Ctrl-C reaches a running download or watch through the engine loop's tick: the
// loop ends at the next tick, whatever the unit is doing.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

#include "cli/cli_engine_loop.h"
#include "cli/terminal.h"
#include "device/device_session.h"
#include "device/link_events.h"
#include "device/owner_loop.h"
#include "device/protocol_engine.h"

namespace valdro {
namespace {

class Unheard : public LinkEvents {
  public:
    void MonitoringStarted() override {}
    void MonitoringStopped() override {}
    void StatusReceived(const StatusRecord&) override {}
    void UnitNamesReceived(NameRows, const std::array<std::string, 9>&) override {}
    void DownloadComplete() override {}
    void LinkFailed(const LinkError&) override {}
};

TEST(CliEngineLoop, CtrlCEndsTheLoopAtTheNextTick) {
    DeviceOptions options;
    options.simulate = true;
    DeviceSession session(options);
    Unheard events;
    OwnerLoop loop;
    ProtocolEngine engine(session.Platform(), events, loop);
    cli::DriveEngineOnLoop(engine, loop, session);
    engine.StartMonitoring();
    ASSERT_TRUE(engine.Monitoring());

    cli::InstallInterruptHandler();
    ASSERT_FALSE(cli::Interrupted());
    std::raise(SIGINT);
    ASSERT_TRUE(cli::Interrupted());
    // Without the interrupt the loop would tick for the whole two seconds.
    EXPECT_FALSE(loop.RunUntil([] { return false; }, std::chrono::seconds(2)));
    EXPECT_EQ(loop.Ticks(), 1);
    engine.Shutdown();
}

}  // namespace
}  // namespace valdro
