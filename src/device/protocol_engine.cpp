#include "device/protocol_engine.h"

#include <algorithm>

#include "device/download_layouts.h"
#include "device/receive_thread.h"
#include "device/report_trace.h"

namespace valdro {

ProtocolEngine::ProtocolEngine(HidPlatform& platform, LinkUi& ui, const ConfigSet& config,
                               OwnerThreadPoster& poster)
    : platform_(platform),
      ui_(ui),
      config_(config),
      poster_(poster),
      handOff_(std::make_unique<ReportHandOff>(poster)) {
    // Names are stored in place while monitoring; no allocation per name reply.
    for (std::string& name : statusUnitNames_) {
        name.reserve(kStatusNameMax + 1);
    }
}

ProtocolEngine::~ProtocolEngine() {
    Shutdown();
}

bool ProtocolEngine::ChannelOpen() const {
    return channelOpen_.load();
}

void ProtocolEngine::Shutdown() {
    ReleaseChannel();
    channelOpen_.store(false);
}

void ProtocolEngine::SendReport() {
    if (trace_ != nullptr) {
        trace_->Write(TraceDirection::ToUnit, tx_);
    }
    // The result is not examined: a write that fails shows as a missing reply.
    if (writeHandle_) {
        (void)writeHandle_->Write(tx_.data(), tx_.size());
    }
}

void ProtocolEngine::SendCommand(std::uint8_t code) {
    layout::Command(tx_, code);
    SendReport();
}

void ProtocolEngine::SendIdentify() {
    SendCommand(cmd::Identify);
    replyCountdown_ = kReplyTicks;
}

bool ProtocolEngine::IdentityMatches() const {
    return std::equal(kApplicationId.begin(), kApplicationId.end(), rx_.begin() + 2);
}

void ProtocolEngine::RejectIdentity() {
    replyCountdown_ = 0;
    ui_.ShowError(link_message::kNotApplication);
    linkState_ = 0;
}

void ProtocolEngine::HandleReport() {
    if (linkState_ >= 1 && linkState_ <= 18) {
        DownloadStep();
    } else if (linkState_ >= 19 && linkState_ <= 22) {
        StatusStep();
    }
    // 0 (nothing awaited) and anything else: the report is ignored.
}

void ProtocolEngine::DeliverPendingReport() {
    if (!handOff_->TakePending(rx_)) {
        return;
    }
    if (trace_ != nullptr) {
        trace_->Write(TraceDirection::FromUnit, rx_);
    }
    HandleReport();
    handOff_->Complete();
}

void ProtocolEngine::ReceiveReport(std::span<const std::uint8_t> report) {
    const std::size_t n = std::min(report.size(), rx_.size());
    std::copy_n(report.begin(), n, rx_.begin());
    if (trace_ != nullptr) {
        trace_->Write(TraceDirection::FromUnit, rx_);
    }
    HandleReport();
}

}  // namespace valdro
