#pragma once
// An engine wired to the simulated unit, with recording link events and a poster
// that lets the test itself play the owner thread: the test delivers each reply
// and calls the timer tick, so every exchange is stepped deterministically.

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
#include "device/simulated_unit.h"

namespace valdro::test {

class RecordingEvents : public LinkEvents {
  public:
    void LinkFailed(const LinkError& error) override {
        failures.push_back(error);
        errors.emplace_back(LinkFailureText(error.failure));
        Report("error:" + errors.back(), whileErrorOpen);
    }
    void DownloadComplete() override {
        infos.emplace_back(kDownloadCompleteText);
        Report("info:" + infos.back(), whileInformationOpen);
    }
    void MonitoringStopped() override {
        ++resets;
        order.push_back("reset");
    }
    void MonitoringStarted() override { order.push_back("connected"); }
    void StatusReceived(const StatusRecord& record) override {
        painted.push_back(record);
        order.push_back("paint");
    }
    void UnitNamesReceived(NameRows rows, const std::array<std::string, 9>& names) override {
        titles.emplace_back(rows, names);
        order.push_back("titles:" + std::to_string(static_cast<int>(rows)));
    }
    void DownloadProgress(int done, int total) override { progress.emplace_back(done, total); }
    void DownloadAbandoned() override { order.push_back("abandoned"); }

    // Runs while a failure or the completion is being reported, as the window's
    // nested event loop in its message box would.
    std::function<void()> whileErrorOpen;
    std::function<void()> whileInformationOpen;

    std::vector<LinkError> failures;
    std::vector<std::string> errors;  // their texts
    std::vector<std::string> infos;
    std::vector<std::string> order;  // every event in order: "error:..", "reset", ...
    std::vector<StatusRecord> painted;
    std::vector<std::pair<NameRows, std::array<std::string, 9>>> titles;
    std::vector<std::pair<int, int>> progress;
    int resets = 0;

  private:
    void Report(std::string event, const std::function<void()>& whileOpen) {
        order.push_back(std::move(event));
        if (whileOpen) {
            whileOpen();
        }
    }
};

// Counts Post() calls so the test thread can wait for the next reply.
class CountingPoster : public OwnerThreadPoster {
  public:
    void Post() override;
    // Waits until more than `seen` posts have come; false after the wait.
    bool WaitBeyond(long seen, std::chrono::milliseconds wait = std::chrono::seconds(10));
    long Posts() {
        std::lock_guard lock(m_);
        return posts_;
    }

  private:
    std::mutex m_;
    std::condition_variable cv_;
    long posts_ = 0;
};

struct EngineRig {
    explicit EngineRig(SimulatedFaults faults = {});
    ~EngineRig() { engine.Shutdown(); }

    // Hands over the next reply of the unit; false when none came in time.
    bool DeliverOne(std::chrono::milliseconds wait = std::chrono::seconds(5));
    // Hands over replies until done() holds; false when a reply failed to come.
    bool DeliverUntil(const std::function<bool()>& done);
    bool DeliverUntilIdle() {
        return DeliverUntil([&] { return engine.LinkState() == LinkState::Idle; });
    }
    // Starts a download of config for unit.
    void StartDownload(int unit = 0) { engine.StartDownload(config, unit); }
    bool DeliverCount(long n) {
        return DeliverUntil([&] { return delivered == n; });
    }
    void Tick(int n = 1);
    // Waits until the receive thread has noticed a pulled cable.
    bool WaitChannelDropped();
    // Command bytes of the reports written to the unit from index `from` on.
    std::vector<int> Codes(std::size_t from = 0) const;

    std::vector<HidReport> Written() const { return sim.WrittenReports(); }
    std::size_t WrittenCount() const { return sim.WrittenReportCount(); }

    SimulatedUnit sim;
    SimulatedPlatform platform{sim};
    RecordingEvents events;
    ConfigSet config;
    CountingPoster poster;
    ProtocolEngine engine{platform, events, poster};
    long delivered = 0;
};

// A configuration that gives every layout something to carry (see the .cpp).
ConfigSet RichConfig();

// The hex of the "> " (or "< ") lines of a trace file, time stamps dropped.
std::vector<std::string> TraceHex(const std::string& path, char direction = '>');

}  // namespace valdro::test
