// Live status monitoring: the connect button, the status states 19 to 22 of the
// protocol, and the end of monitoring.

#include <algorithm>
#include <cstring>

#include "device/download_layouts.h"
#include "device/protocol_engine.h"

namespace valdro {

void ProtocolEngine::StatusConnectButtonClick() {
    if (monitoring_) {
        // An exchange under way still ends normally or through the watchdog.
        ResetStatusPage();
        return;
    }
    if (!FindMaster()) {
        return;
    }
    SendIdentify();
    linkState_ = 19;
    lastStatusMode_ = kNoStatusMode;
    monitoring_ = true;
    ui_.StatusPageConnected();
    statusPollCountdown_ = kPollTicks;
}

void ProtocolEngine::ResetStatusPage() {
    statusPollCountdown_ = 0;
    monitoring_ = false;
    ui_.StatusPageReset();
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
    switch (linkState_) {
        case 19:
            replyCountdown_ = kReplyTicks;
            if (!IdentityMatches()) {
                RejectIdentity();
                return;
            }
            SendCommand(cmd::GetStatus);
            linkState_ = 20;
            return;
        case 20: {
            replyCountdown_ = 0;
            linkState_ = 0;
            const StatusRecord record =
                DecodeStatusRecord(std::span<const std::uint8_t>(rx_).subspan(2));
            ui_.PaintStatus(record);
            if (record.mode == lastStatusMode_) {
                return;
            }
            lastStatusMode_ = record.mode;
            replyCountdown_ = kReplyTicks;
            if (record.mode == 0) {
                linkState_ = 21;
                blockNumber_ = 0;
                layout::CommandWithBlock(tx_, cmd::GetUnitName, blockNumber_);
                SendReport();
            } else {
                linkState_ = 22;
                SendCommand(cmd::GetOwnName);
            }
            return;
        }
        case 21:
            StoreName(blockNumber_);
            ++blockNumber_;
            if (blockNumber_ < statusUnitNames_.size()) {
                // The nine names share the countdown started with the first request.
                layout::CommandWithBlock(tx_, cmd::GetUnitName, blockNumber_);
                SendReport();
            } else {
                replyCountdown_ = 0;
                linkState_ = 0;
                ui_.SetStatusRowTitles(2, statusUnitNames_);
            }
            return;
        case 22:
            StoreName(0);
            replyCountdown_ = 0;
            linkState_ = 0;
            ui_.SetStatusRowTitles(1, statusUnitNames_);
            return;
    }
}

}  // namespace valdro
