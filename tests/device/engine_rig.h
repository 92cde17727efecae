#pragma once
// An engine wired to the simulated unit, with a recording LinkUi and a poster
// that lets the test itself play the owner thread: the test delivers each reply
// and calls the timer tick, so every exchange is stepped deterministically.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "config/config_set.h"
#include "device/link_ui.h"
#include "device/protocol_engine.h"
#include "device/simulated_platform.h"
#include "device/simulated_unit.h"

namespace valdro::test {

class RecordingUi : public LinkUi {
  public:
    void ShowError(const std::string& text) override {
        errors.push_back(text);
        Box("error:" + text, whileErrorOpen);
    }
    void ShowInformation(const std::string& text) override {
        infos.push_back(text);
        Box("info:" + text, whileInformationOpen);
    }
    int CurrentUnit() const override { return currentUnit; }
    void StatusPageReset() override {
        ++resets;
        events.push_back("reset");
    }
    void StatusPageConnected() override { events.push_back("connected"); }
    void PaintStatus(const StatusRecord& record) override {
        painted.push_back(record);
        events.push_back("paint");
    }
    void SetStatusRowTitles(int which, const std::array<std::string, 9>& names) override {
        titles.emplace_back(which, names);
        events.push_back("titles:" + std::to_string(which));
    }
    void DownloadProgress(int done, int total) override { progress.emplace_back(done, total); }

    int currentUnit = 0;
    // Runs while a box is "open", as the window's nested event loop would.
    std::function<void()> whileErrorOpen;
    std::function<void()> whileInformationOpen;

    std::vector<std::string> errors;
    std::vector<std::string> infos;
    std::vector<std::string> events;  // every call in order: "error:..", "reset", ...
    std::vector<StatusRecord> painted;
    std::vector<std::pair<int, std::array<std::string, 9>>> titles;
    std::vector<std::pair<int, int>> progress;
    int resets = 0;

  private:
    void Box(std::string event, const std::function<void()>& whileOpen) {
        events.push_back(std::move(event));
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
        return DeliverUntil([&] { return engine.LinkState() == 0; });
    }
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
    RecordingUi ui;
    ConfigSet config;
    CountingPoster poster;
    ProtocolEngine engine{platform, ui, config, poster};
    long delivered = 0;
};

// A configuration that gives every layout something to carry (see the .cpp).
ConfigSet RichConfig();

// The hex of the "> " (or "< ") lines of a trace file, time stamps dropped.
std::vector<std::string> TraceHex(const std::string& path, char direction = '>');

}  // namespace valdro::test
