#include "device/protocol_engine.h"

#include <algorithm>

#include "device/download_layouts.h"
#include "device/receive_thread.h"
#include "device/report_trace.h"

namespace valdro {

ProtocolEngine::ProtocolEngine(HidPlatform& platform, LinkEvents& events, OwnerThreadPoster& poster)
    : ProtocolEngine(platform, events) {
    poster_ = &poster;
    handOff_ = std::make_unique<ReportHandOff>(poster);
}

ProtocolEngine::ProtocolEngine(HidPlatform& platform, LinkEvents& events)
    : platform_(platform), events_(events), poster_(nullptr) {
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

void ProtocolEngine::SetTrace(ReportTrace* trace) {
    std::lock_guard lock(traceMutex_);
    trace_ = trace;
}

void ProtocolEngine::TraceReadFailure(std::string_view reason) {
    std::lock_guard lock(traceMutex_);
    if (trace_ != nullptr) {
        trace_->WriteReadFailure(reason);
    }
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

void ProtocolEngine::Fail(LinkFailure failure) {
    events_.LinkFailed(LinkError{failure, std::nullopt});
}

void ProtocolEngine::RejectIdentity() {
    replyCountdown_ = 0;
    Fail(LinkFailure::WrongApplication);
    linkState_ = LinkState::Idle;
}

void ProtocolEngine::HandleReport() {
    if (IsDownload(linkState_)) {
        DownloadStep();
    } else if (IsStatus(linkState_)) {
        StatusStep();
    }
    // Idle: the report is ignored.
}

// The receive thread's hand-off: the window's Post() queues this on its thread.
void ProtocolEngine::DeliverPendingReport() {
    if (!handOff_ || !handOff_->TakePending(rx_)) {
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

void ProtocolEngine::ReceiveFailure(std::string_view reason) {
    TraceReadFailure(reason);
    channelOpen_.store(false);
}

}  // namespace valdro
