// Live status monitoring: connecting, the status states of the protocol,
// and the end of monitoring.

#include <algorithm>
#include <cstring>

#include "device/download_layouts.h"
#include "device/protocol_engine.h"

namespace valdro {

// Driven by the window's StatusConnectButtonClick while the caption reads "Connect".
void ProtocolEngine::StartMonitoring() {
    if (!FindMaster()) {
        return;
    }
    // A running download is abandoned without a message: the link is the status
    // exchange's from here on.
    const bool downloadAbandoned = IsDownload(linkState_);
    SendIdentify();
    linkState_ = LinkState::StatusIdentity;
    lastStatusMode_ = kNoStatusMode;
    monitoring_ = true;
    if (downloadAbandoned) {
        events_.DownloadAbandoned();
    }
    events_.MonitoringStarted();
    statusPollCountdown_ = kPollTicks;
}

// The engine half of the window's ResetStatusPage ("Disconnect", a download's start).
void ProtocolEngine::StopMonitoring() {
    statusPollCountdown_ = 0;
    monitoring_ = false;
    events_.MonitoringStopped();
}

void ProtocolEngine::StoreName(std::size_t entry) {
    if (entry >= statusUnitNames_.size()) {
        return;
    }
    // The text runs from reply byte 2 to its NUL; a longer one keeps its first 30.
    const std::uint8_t* first = rx_.data() + 2;
    const std::uint8_t* last = rx_.data() + rx_.size();
    const std::uint8_t* end = std::find(first, last, std::uint8_t{0});
    const std::size_t n =
        std::min<std::size_t>(static_cast<std::size_t>(end - first), kStatusNameMax);
    statusUnitNames_[entry].assign(reinterpret_cast<const char*>(first), n);
}

void ProtocolEngine::StatusStep() {
    using enum valdro::LinkState;
    switch (linkState_) {
        case StatusIdentity:
            replyCountdown_ = kReplyTicks;
            if (!IdentityMatches()) {
                RejectIdentity();
                return;
            }
            SendCommand(cmd::GetStatus);
            linkState_ = StatusReply;
            return;
        case StatusReply: {
            replyCountdown_ = 0;
            linkState_ = Idle;
            const StatusRecord record =
                DecodeStatusRecord(std::span<const std::uint8_t>(rx_).subspan(2));
            events_.StatusReceived(record);
            if (record.mode == lastStatusMode_) {
                return;
            }
            lastStatusMode_ = record.mode;
            replyCountdown_ = kReplyTicks;
            if (record.mode == 0) {
                linkState_ = UnitNameReply;
                blockNumber_ = 0;
                layout::CommandWithBlock(tx_, cmd::GetUnitName, blockNumber_);
                SendReport();
            } else {
                linkState_ = OwnNameReply;
                SendCommand(cmd::GetOwnName);
            }
            return;
        }
        case UnitNameReply:
            StoreName(blockNumber_);
            ++blockNumber_;
            if (blockNumber_ < statusUnitNames_.size()) {
                // The nine names share the countdown started with the first request.
                layout::CommandWithBlock(tx_, cmd::GetUnitName, blockNumber_);
                SendReport();
            } else {
                replyCountdown_ = 0;
                linkState_ = Idle;
                events_.UnitNamesReceived(NameRows::AllUnits, statusUnitNames_);
            }
            return;
        case OwnNameReply:
            StoreName(0);
            replyCountdown_ = 0;
            linkState_ = Idle;
            events_.UnitNamesReceived(NameRows::SingleUnit, statusUnitNames_);
            return;
        default:
            return;  // the states above are all a status exchange awaits
    }
}

}  // namespace valdro
