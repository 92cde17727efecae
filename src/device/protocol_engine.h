#pragma once
// The unit's command-and-reply protocol: discovery, the one transmit buffer, the
// link state machine for the download and the status exchange, the reply
// watchdog and the status poll. Qt-free; the window, the CLI and the tests all
// drive this one engine. Everything but the receive thread runs on the owner thread.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "config_set.h"
#include "hid_platform.h"
#include "hid_report.h"
#include "link_ui.h"

namespace valdro {

class Port1Comms;
class ReportTrace;

class ProtocolEngine {
public:
    ProtocolEngine(HidPlatform& platform, LinkUi& ui, const ConfigSet& config,
                   OwnerThreadPoster& poster);
    ~ProtocolEngine();  // stops and joins the receive thread
    ProtocolEngine(const ProtocolEngine&) = delete;
    ProtocolEngine& operator=(const ProtocolEngine&) = delete;

    // --- discovery and channel
    void OpenDevice(std::string_view fragment);
    bool FindMaster();
    // Restricts discovery to one interface path (CLI --device); empty = first match.
    void SetDevicePath(std::string path);
    bool ChannelOpen() const;

    // --- protocol
    void HandleReport();   // reads RxReport, dispatches on LinkState
    void SendReport();     // writes TxReport

    // --- download: the window runs ResetStatusPage() and StorePage first
    void StartDownload();

    // --- status monitoring
    void StatusConnectButtonClick();
    void ResetStatusPage();  // engine half + LinkUi::StatusPageReset
    bool Monitoring() const { return monitoring_; }

    // --- the 50 ms tick: reply watchdog, then poll
    void Timer1Timer();

    // --- hand-off from the receive thread (owner thread only)
    void DeliverPendingReport();

    // Stops the receive thread and closes the channel. Safe to call twice.
    void Shutdown();

    void SetTrace(ReportTrace* trace) { trace_ = trace; }

    // Read-only views for tests and the CLI.
    const HidReport& TxReport() const { return tx_; }
    const HidReport& RxReport() const { return rx_; }
    int LinkState() const { return linkState_; }
    int ReplyCountdown() const { return replyCountdown_; }
    int StatusPollCountdown() const { return statusPollCountdown_; }
    int LastStatusMode() const { return lastStatusMode_; }
    const std::array<std::string, 9>& StatusUnitNames() const { return statusUnitNames_; }

private:
    friend class Port1Comms;
    // (implementation members are defined by the device link)
    HidPlatform& platform_;
    LinkUi& ui_;
    const ConfigSet& config_;
    OwnerThreadPoster& poster_;
    ReportTrace* trace_ = nullptr;

    HidReport rx_{};
    HidReport tx_{};
    std::uint8_t blockNumber_ = 0;
    int linkState_ = 0;
    int unitCounter_ = 0;
    int sourceCounter_ = 0;
    int replyCountdown_ = 0;
    int statusPollCountdown_ = 0;
    int lastStatusMode_ = 0;
    bool monitoring_ = false;
    std::array<std::string, 9> statusUnitNames_{};
};

}  // namespace valdro
