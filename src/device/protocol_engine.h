#pragma once
// The unit's command-and-reply protocol: discovery, the one transmit buffer, the
// link state machine for the download and the status exchange, the reply
// watchdog and the status poll. Qt-free; the window, the CLI and the tests all
// drive this one engine. Everything but the receive thread runs on the owner thread.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "config/config_set.h"
#include "device/hid_platform.h"
#include "device/hid_report.h"
#include "device/link_ui.h"

namespace valdro {

class Port1Comms;
class ReportHandOff;
class ReportTrace;

// Hardware-id fragments of the search, in the order FindMaster tries them.
inline constexpr std::string_view kApplicationFragment = "Vid_04d8&Pid_fd37&rev_0009";
inline constexpr std::string_view kProgramModeFragment = "Vid_04d8&Pid_fd37&rev_0001";
inline constexpr std::string_view kAnyRevisionFragment = "Vid_04d8&Pid_fd37";

// The link's messages, exactly as the user sees them.
namespace link_message {
inline constexpr const char* kProgramMode = "ORVELIX is in Program Mode";
inline constexpr const char* kCannotFind = "Cannot find ORVELIX";
inline constexpr const char* kNotApplication = "Application is not a ORVELIX Valdrometrica";
inline constexpr const char* kLostComms = "Lost comms to ORVELIX";
inline constexpr const char* kDownloadComplete = "Download Complete";
}  // namespace link_message

// Ticks of the 50 ms timer: the reply time-out and the status poll period.
inline constexpr int kReplyTicks = 20;
inline constexpr int kPollTicks = 20;
// LastStatusMode at connect: no mode byte has this value, so the first record counts
// as a change.
inline constexpr int kNoStatusMode = 0xFFFF;
// Characters of a unit name kept from a name reply.
inline constexpr std::size_t kStatusNameMax = 30;

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
    void HandleReport();  // reads RxReport, dispatches on LinkState
    void SendReport();    // writes TxReport

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
    // A report read by the caller itself (replay, fuzzing): its bytes are copied
    // over RxReport (bytes past its end keep their values) and handled like one
    // from the receive thread.
    void ReceiveReport(std::span<const std::uint8_t> report);

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
    // 8-bit text as the unit sent it (Windows-1252), at most 30 characters.
    const std::array<std::string, 9>& StatusUnitNames() const { return statusUnitNames_; }
    std::uint8_t BlockNumber() const { return blockNumber_; }
    int UnitCounter() const { return unitCounter_; }
    int SourceCounter() const { return sourceCounter_; }
    // True while the "Lost comms to ORVELIX" box is open.
    bool LostCommsShown() const { return lostCommsShown_; }
    // Path of the open channel's interface; empty before the first open.
    const std::string& ChannelPath() const { return channelPath_; }

  private:
    friend class Port1Comms;

    // Sending rule: byte 0 := 0, byte 1 := code (byte 2 := BlockNumber for the block
    // halves and GetUnitName is written by the caller through the layouts).
    void SendCommand(std::uint8_t code);
    void SendIdentify();
    bool IdentityMatches() const;
    // The failed identity check: the countdown stops, the box, then LinkState 0.
    void RejectIdentity();

    void DownloadStep();
    void SendBlock(std::uint8_t code);  // block half with BlockNumber, data already laid
    void NoteDownloadReply();

    void StatusStep();
    void StoreName(std::size_t entry);

    // Ends the receive thread of the current channel and releases its handles.
    void ReleaseChannel();

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

    // Channel: the receive thread clears channelOpen_ when its read fails.
    std::atomic<bool> channelOpen_{false};
    std::unique_ptr<HidHandle> writeHandle_;
    std::unique_ptr<HidHandle> readHandle_;
    std::unique_ptr<ReportHandOff> handOff_;
    std::unique_ptr<Port1Comms> comms_;
    std::string devicePath_;   // SetDevicePath: only this interface may match
    std::string channelPath_;  // the interface the channel is open to

    bool lostCommsShown_ = false;  // one "Lost comms" box at a time
    int downloadReplies_ = 0;      // acknowledged reports of the running download
    int downloadTotal_ = 0;        // 109 for the Master, 11 for a Slave
};

}  // namespace valdro
