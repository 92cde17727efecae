#pragma once
// A simulated ORVELIX Master behind the HID platform interface: the window and
// the command-line tool use it with --simulate, the tests use it to drive the
// protocol. It answers every command the way the unit does, keeps the
// configuration of its last download, reports a live-looking status, and can be
// told to fail in the ways a real unit and a real USB bus fail.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "config/config_set.h"
#include "device/download_decoder.h"
#include "device/hid_platform.h"
#include "device/hid_report.h"
#include "device/unit_identity.h"

namespace valdro {

struct SimulatedFaults {
    bool present = true;              // false: not listed at all
    bool programMode = false;         // listed with revision 0001 instead of 0009
    bool foreignDeviceFirst = false;  // another vendor's HID interface listed before it
    bool programModeUnitToo = false;  // a second, program-mode unit listed first
    bool accessDenied = false;        // listed, but this user may not open it (no udev rule)
    int replyDelayMs = 0;             // answer late
    int silentAfterReport =
        -1;  // reports after the Nth written (1-based) get no answer; -1 = never
    bool wrongIdentity = false;  // identity reply 0,1,9 instead of 0,1,8
    int shortReplyBytes = 0;     // >0: replies delivered with only this many bytes
    int unplugAtReport = -1;     // the Nth written report unplugs the unit; -1 = never
    int replugAfterMs = -1;      // that unplug is undone this long after; -1 = stays out
    // Reports are counted from the moment the faults are set (construction or SetFaults).
};

// Paths and identity of what the simulated bus lists.
inline constexpr const char* kSimUnitPath = "sim:orvelix-0";
inline constexpr const char* kSimProgramModeUnitPath = "sim:orvelix-1";
inline constexpr const char* kSimForeignPath = "sim:foreign-0";
inline constexpr const char* kSimUnitSerial = "SIM0001";
inline constexpr const char* kSimProgramModeUnitSerial = "SIM0002";
inline constexpr const char* kSimUnitProduct = "ORVELIX (simulated)";

// What the simulated bus has behind one path.
enum class SimEndpoint { Unit, ProgramModeUnit, Foreign };

class SimulatedUnit {  // thread-safe: written from the owner thread, read by the receive thread
  public:
    explicit SimulatedUnit(SimulatedFaults faults = {});

    void SetFaults(const SimulatedFaults& faults);  // may be changed while running
    // Pulls the cable: reads on open handles fail, the listing drops the unit.
    void Unplug();
    // Plugs it back in; handles from before the unplug stay dead.
    void Replug();

    // --- what it received and decoded
    // The reports written to the unit, in order: the latest kWrittenReportsKept of
    // them, so that a simulated unit polled for days does not grow without end.
    static constexpr std::size_t kWrittenReportsKept = 1024;
    std::vector<HidReport> WrittenReports() const;
    std::size_t WrittenReportCount() const;  // all of them, also those no longer kept
    void ClearWrittenReports();
    int DownloadsCompleted() const;
    // The configuration the unit holds: defaults before any download, then what
    // each complete download carried (a Slave download changes that Slave only).
    ConfigSet LastDownload() const;
    int GetStatusCount() const;  // status requests answered so far

    // --- status
    void SetSingleUnitMode(bool on);
    // Reply bytes 2.. of every status reply (up to 63 bytes, rest 0); empty = off.
    void SetStatusOverride(std::vector<std::uint8_t> bytesFromReplyByte2);

    // The live pattern of unit u at status request number poll (0-based), so
    // tests can tell exactly what a reply should hold.
    struct IoWords {
        std::uint16_t outputs = 0;
        std::uint16_t inputs = 0;
    };
    static IoWords IoPattern(int unit, std::uint32_t poll);

    // --- the simulated bus (used by SimulatedPlatform and its handles)
    std::vector<HidInterfaceInfo> Listing();
    // Opens a listed path; the generation ties the handle to one plug-in.
    bool OpenEndpoint(const std::string& path, SimEndpoint* endpoint, std::uint64_t* generation,
                      OpenError* error);
    int WriteReport(SimEndpoint endpoint, std::uint64_t generation, const std::uint8_t* data,
                    std::size_t length);
    // Returns -1 once the endpoint is gone, with the reason in *why.
    int ReadReply(SimEndpoint endpoint, std::uint64_t generation, std::uint8_t* buf,
                  std::size_t length, int timeoutMs, std::string* why);

  private:
    using Clock = std::chrono::steady_clock;
    struct Reply {
        HidReport bytes{};
        std::size_t length = kReportSize;
        Clock::time_point readyAt;
    };

    bool AliveLocked(SimEndpoint endpoint, std::uint64_t generation) const;
    void UnplugLocked();
    void ReplugLocked();
    // The unplug fault's time is up: the unit is listed again from now on.
    void ReplugIfDueLocked();
    void AnswerLocked(const HidReport& report);
    void AnswerProgramModeUnitLocked(const HidReport& report);
    void QueueLocked(std::deque<Reply>& queue, const HidReport& reply);
    void StatusReplyLocked(HidReport& reply);
    void NameReplyLocked(HidReport& reply, int unit) const;

    mutable std::mutex m_;
    std::condition_variable cv_;
    SimulatedFaults faults_;
    bool unplugged_ = false;
    std::uint64_t generation_ = 1;
    std::optional<Clock::time_point> replugAt_;  // set by the unplug fault with replugAfterMs

    std::deque<Reply> replies_;
    std::deque<Reply> programModeReplies_;
    std::deque<HidReport> written_;
    std::size_t writtenCount_ = 0;
    std::size_t reportsSinceStart_ = 0;  // counts toward silentAfterReport / unplugAtReport

    DownloadCapture capture_;
    bool capturing_ = false;
    ConfigSet stored_;
    int downloadsCompleted_ = 0;

    bool singleUnitMode_ = false;
    std::vector<std::uint8_t> statusOverride_;
    std::uint32_t statusPolls_ = 0;
};

}  // namespace valdro
