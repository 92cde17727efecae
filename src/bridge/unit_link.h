#pragma once
// The bridge's hold on the unit, on the engine's owner thread: it follows the
// status exchange, hands each status record with its unit names to the bridge,
// tells the bridge when the unit is lost and when it answers again, and searches
// for a unit that is gone at a slower pace than the poll. Each change is said
// once in the event log, not at every search or poll.

#include <array>
#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "bridge/bridge.h"
#include "bridge/event_log.h"
#include "device/link_events.h"

namespace valdro {
class ProtocolEngine;
}

namespace valdro::bridge {

enum class UnitLinkState {
    Searching,   // no unit: StartMonitoring once per search interval
    Connecting,  // monitoring started; no status record yet
    Attached,    // status records arrive
};

class UnitLink : public LinkEvents {
  public:
    // One line on a failure for the log; by default its text and any access detail.
    using Explain = std::function<std::string(const LinkError&)>;

    // searchInterval is counted in engine ticks (50 ms each), so a test loop that
    // ticks faster searches faster too.
    UnitLink(Bridge& bridge, EventLog& log, std::chrono::milliseconds searchInterval,
             Explain explain = {});

    // The engine to follow; before Start.
    void Attach(ProtocolEngine& engine);
    // The first search, at once.
    void Start();
    // After every engine Tick(): the next search when one is due (none before Start).
    void Tick();

    UnitLinkState State() const { return state_; }
    long Searches() const { return searches_; }

    void MonitoringStarted() override;
    void MonitoringStopped() override;
    void StatusReceived(const StatusRecord& record) override;
    void UnitNamesReceived(NameRows rows, const std::array<std::string, 9>& names) override;
    void DownloadComplete() override {}
    void LinkFailed(const LinkError& error) override;

  private:
    void Search();
    void Deliver(const StatusRecord& record);
    // Says a failure while no unit is attached, unless it is the one said last.
    void Note(const LinkError& error, const std::string& next);
    std::string SearchPace() const;  // "searching for it every 5 s"

    Bridge& bridge_;
    EventLog& log_;
    ProtocolEngine* engine_ = nullptr;
    const std::chrono::milliseconds searchInterval_;
    const int searchTicks_;
    Explain explain_;

    bool started_ = false;
    UnitLinkState state_ = UnitLinkState::Searching;
    int ticksToSearch_ = 0;
    long searches_ = 0;
    // A record whose mode changed waits for the names that change fetches.
    std::optional<StatusRecord> pending_;
    UnitNames names_{};  // UTF-8
    // The failure since the last record, and the last one said in the log.
    std::optional<LinkError> failure_;
    std::optional<LinkError> noted_;
};

}  // namespace valdro::bridge
