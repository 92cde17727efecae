#pragma once
// An engine on the simulated unit whose owner thread the test plays: it hands over
// each reply and calls each tick, so every exchange is stepped deterministically.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "config/config_set.h"
#include "device/link_events.h"
#include "device/protocol_engine.h"
#include "device/simulated_platform.h"

namespace valdro::test {

// Records every event as a token, in order: monitoring "on" and "off", "paint",
// "names1" (one unit's) or "names9", "abandoned", "complete", and the failures
// "program", "find" ("find:denied" and the like: a listed unit would not open),
// "identity", "lost".
class RecordingEvents : public LinkEvents {
  public:
    void LinkFailed(const LinkError& error) override;
    void DownloadComplete() override { Box("complete"); }
    void MonitoringStopped() override { order.push_back("off"); }
    void MonitoringStarted() override { order.push_back("on"); }
    void StatusReceived(const StatusRecord& record) override {
        painted.push_back(record);
        order.push_back("paint");
    }
    void UnitNamesReceived(NameRows rows, const std::array<std::string, 9>&) override {
        order.push_back(rows == NameRows::AllUnits ? "names9" : "names1");
    }
    void DownloadProgress(int done, int total) override { progress.emplace_back(done, total); }
    void DownloadAbandoned() override { order.push_back("abandoned"); }

    // Runs inside LinkFailed and DownloadComplete, as the window's message box would.
    std::function<void()> whileBoxOpen;
    std::vector<std::string> order;
    std::vector<StatusRecord> painted;
    std::vector<std::pair<int, int>> progress;

  private:
    void Box(std::string token);
};

// Counts Post() calls so the test thread can wait for the next reply.
class CountingPoster : public OwnerThreadPoster {
  public:
    void Post() override;
    // Waits until more than `seen` posts have come; false after the wait.
    bool WaitBeyond(long seen, std::chrono::milliseconds wait = std::chrono::seconds(10));
    long Posts();

  private:
    std::mutex m_;
    std::condition_variable cv_;
    long posts_ = 0;
};

struct EngineRig {
    EngineRig() { config.SetDefaults(); }
    ~EngineRig() { engine.Shutdown(); }

    // Hands over n replies (n < 0: until idle); false when one failed to come.
    bool Deliver(long n = -1);
    void StartDownload(int unit = 0) { engine.StartDownload(config, unit); }
    void Tick(int n = 1) {
        while (n-- > 0) {
            engine.Tick();
        }
    }
    // Waits until the receive thread has noticed a pulled cable.
    bool WaitChannelDropped();

    SimulatedUnit sim;
    SimulatedPlatform platform{sim};
    RecordingEvents events;
    ConfigSet config;
    CountingPoster poster;
    ProtocolEngine engine{platform, events, poster};
    long delivered = 0;
};

// The configuration the golden traces carry, read back by the unit's decoder: every
// field a layout sends has a value of its own, so it must give every byte again.
ConfigSet GoldenConfig();

// The hex of the "> " (or "< ") lines of a trace file, time stamps dropped.
std::vector<std::string> TraceHex(const std::string& path, char direction = '>');

}  // namespace valdro::test
