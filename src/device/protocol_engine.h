#pragma once
// The unit's command-and-reply protocol: discovery, the one transmit buffer, the
// link state machine for the download and the status exchange, the reply
// watchdog and the status poll. Qt-free; the window, the CLI and the tests all
// drive this one engine. Everything but the receive thread runs on the owner thread.
//
// Reports from the unit come in one of two ways. With an OwnerThreadPoster the
// engine starts a receive thread on every channel it opens and the owner calls
// DeliverPendingReport() when posted. Without one the owner reads by itself and
// hands each report in through ReceiveReport() and a failed read through
// ReceiveFailure(); no thread is started (replays, fuzzing).

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/config_set.h"
#include "device/hid_platform.h"
#include "device/hid_report.h"
#include "device/link_events.h"
#include "device/link_failure.h"
#include "device/link_state.h"
#include "device/owner_thread_poster.h"

namespace valdro {

class Port1Comms;
class ReportHandOff;
class ReportTrace;

// Ticks of the 50 ms tick: the reply time-out and the status poll period.
inline constexpr int kReplyTicks = 20;
inline constexpr int kPollTicks = 20;
// LastStatusMode at connect: no mode byte has this value, so the first record counts
// as a change.
inline constexpr int kNoStatusMode = 0xFFFF;
// Characters of a unit name kept from a name reply.
inline constexpr std::size_t kStatusNameMax = 30;

class ProtocolEngine {
  public:
    // Reports arrive through a receive thread that posts to the owner thread.
    ProtocolEngine(HidPlatform& platform, LinkEvents& events, OwnerThreadPoster& poster);
    // The owner reads by itself: ReceiveReport() and ReceiveFailure(), no thread.
    ProtocolEngine(HidPlatform& platform, LinkEvents& events);
    ~ProtocolEngine();  // stops and joins the receive thread
    ProtocolEngine(const ProtocolEngine&) = delete;
    ProtocolEngine& operator=(const ProtocolEngine&) = delete;

    // --- the operations the user starts
    // Stores its own copy of config and sends it to the unit: unit 0 = the Master
    // (all nine units and the input map), 1..8 = that Slave's own settings. The
    // caller stops monitoring first.
    void StartDownload(const ConfigSet& config, int unit);
    // Connects and polls the unit's status every second; takes the link over from
    // a running download.
    void StartMonitoring();
    // No further polls; an exchange under way still ends normally or by the watchdog.
    void StopMonitoring();
    // Every 50 ms: the reply watchdog, then the status poll.
    void Tick();

    // --- discovery and channel
    void OpenDevice(std::string_view fragment);
    bool FindMaster();
    // Restricts discovery to one interface path (--device); empty = first match.
    void SetDevicePath(std::string path);
    bool ChannelOpen() const;

    // --- protocol
    void HandleReport();  // reads RxReport, dispatches on LinkState
    void SendReport();    // writes TxReport

    // --- reports from the unit (owner thread only)
    // The receive thread has posted: hands its report to HandleReport.
    void DeliverPendingReport();
    // A report read by the owner itself: its bytes are copied over RxReport (bytes
    // past its end keep their values) and handled like one from the receive thread.
    void ReceiveReport(std::span<const std::uint8_t> report);
    // The owner's own read failed: the channel is dropped as the receive thread
    // drops it, and the reason goes into the trace.
    void ReceiveFailure(std::string_view reason);

    // Stops the receive thread and closes the channel. Safe to call twice.
    void Shutdown();

    // Every report, and why a read failed, is written to trace; null = none.
    void SetTrace(ReportTrace* trace);

    // Read-only views for tests and the CLI.
    const HidReport& TxReport() const { return tx_; }
    valdro::LinkState LinkState() const { return linkState_; }
    int ReplyCountdown() const { return replyCountdown_; }
    int StatusPollCountdown() const { return statusPollCountdown_; }
    int LastStatusMode() const { return lastStatusMode_; }
    bool Monitoring() const { return monitoring_; }
    // 8-bit text as the unit sent it (Windows-1252), at most 30 characters.
    const std::array<std::string, 9>& StatusUnitNames() const { return statusUnitNames_; }
    std::uint8_t BlockNumber() const { return blockNumber_; }
    int UnitCounter() const { return unitCounter_; }
    int SourceCounter() const { return sourceCounter_; }
    // True while the lost-comms failure is being reported (until LinkFailed returns).
    bool ReportingLostComms() const { return reportingLostComms_; }
    // Path of the open channel's interface; empty before the first open.
    const std::string& ChannelPath() const { return channelPath_; }

  private:
    // Sending rule: byte 0 := 0, byte 1 := code (byte 2 := BlockNumber for the block
    // halves and GetUnitName is written by the caller through the layouts).
    void SendCommand(std::uint8_t code);
    void SendIdentify();
    bool IdentityMatches() const;
    // The failed identity check: the countdown stops, the report, then Idle.
    void RejectIdentity();
    void Fail(LinkFailure failure);

    void DownloadStep();
    void SendBlock(std::uint8_t code);  // block half with BlockNumber, data already laid
    void NoteDownloadReply();

    void StatusStep();
    void StoreName(std::size_t entry);

    // Ends the receive thread of the current channel and releases its handles.
    void ReleaseChannel();
    // The receive thread's read failed (called on that thread).
    void TraceReadFailure(std::string_view reason);

    HidPlatform& platform_;
    LinkEvents& events_;
    OwnerThreadPoster* poster_;  // null: the owner reads by itself
    // Written on the owner thread; the receive thread reads it only under
    // traceMutex_ (a failed read), so SetTrace never races it.
    ReportTrace* trace_ = nullptr;
    std::mutex traceMutex_;

    HidReport rx_{};
    HidReport tx_{};
    std::uint8_t blockNumber_ = 0;
    valdro::LinkState linkState_ = valdro::LinkState::Idle;
    int unitCounter_ = 0;
    int sourceCounter_ = 0;
    int replyCountdown_ = 0;
    int statusPollCountdown_ = 0;
    int lastStatusMode_ = 0;
    bool monitoring_ = false;
    std::array<std::string, 9> statusUnitNames_{};

    // The running download's own copy: what the user had when it started.
    ConfigSet downloadSet_;
    int downloadUnit_ = 0;
    int downloadReplies_ = 0;  // acknowledged reports of the running download
    int downloadTotal_ = 0;    // 109 for the Master, 11 for a Slave

    // Channel: the receive thread clears channelOpen_ when its read fails.
    std::atomic<bool> channelOpen_{false};
    std::unique_ptr<HidHandle> writeHandle_;
    std::unique_ptr<HidHandle> readHandle_;
    std::unique_ptr<ReportHandOff> handOff_;  // null without a poster
    std::unique_ptr<Port1Comms> comms_;
    std::string devicePath_;   // SetDevicePath: only this interface may match
    std::string channelPath_;  // the interface the channel is open to
    // FindMaster: the last matching interface that would not open, for CannotFind.
    std::optional<OpenFailure> lastOpenFailure_;

    bool reportingLostComms_ = false;  // one lost-comms report at a time
};

}  // namespace valdro
