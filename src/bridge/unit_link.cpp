#include "bridge/unit_link.h"

#include <algorithm>

#include "config/text_codec.h"
#include "device/owner_loop.h"
#include "device/protocol_engine.h"

namespace valdro::bridge {
namespace {

std::string DefaultExplain(const LinkError& error) {
    std::string line(LinkFailureText(error.failure));
    if (const std::string detail = AccessDeniedDetail(error); !detail.empty()) {
        line += ": " + detail;
    }
    return line;
}

// What a search finds once the unit has left the bus.
const LinkError kGone{LinkFailure::CannotFind, std::nullopt};

}  // namespace

UnitLink::UnitLink(Bridge& bridge, EventLog& log, std::chrono::milliseconds searchInterval,
                   Explain explain)
    : bridge_(bridge),
      log_(log),
      searchInterval_(searchInterval),
      searchTicks_(std::max(1, static_cast<int>(searchInterval / OwnerLoop::kTickInterval))),
      explain_(explain ? std::move(explain) : Explain(DefaultExplain)) {}

void UnitLink::Attach(ProtocolEngine& engine) {
    engine_ = &engine;
}

void UnitLink::Start() {
    started_ = true;
    Search();
}

void UnitLink::Tick() {
    if (started_ && state_ == UnitLinkState::Searching && --ticksToSearch_ <= 0) {
        Search();
    }
}

void UnitLink::Search() {
    if (engine_ == nullptr) {
        return;
    }
    ++searches_;
    ticksToSearch_ = searchTicks_;
    engine_->StartMonitoring();  // a failure comes back through LinkFailed
}

std::string UnitLink::SearchPace() const {
    const auto ms = searchInterval_.count();
    return "searching for it every " +
           (ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms");
}

void UnitLink::MonitoringStarted() {
    if (state_ == UnitLinkState::Searching) {
        state_ = UnitLinkState::Connecting;
    }
}

void UnitLink::MonitoringStopped() {
    const bool wasAttached = state_ == UnitLinkState::Attached;
    state_ = UnitLinkState::Searching;
    ticksToSearch_ = searchTicks_;
    pending_.reset();
    // A closed channel is a unit gone from the bus, even when the watchdog spoke
    // first (the cable was pulled while a reply was awaited); an open one is a unit
    // that stopped answering.
    const bool open = engine_ != nullptr && engine_->ChannelOpen();
    const LinkError why = open && failure_ ? *failure_ : kGone;
    failure_.reset();
    if (!wasAttached) {
        Note(why, SearchPace());
        return;
    }
    noted_ = why;  // the searches that find the same need not say it again
    bridge_.UnitLost((open ? explain_(why) : "the unit is no longer attached") + "; " +
                     SearchPace());
}

void UnitLink::StatusReceived(const StatusRecord& record) {
    // The engine compares the mode after this call: a new one means names follow.
    if (engine_ != nullptr && record.mode != engine_->LastStatusMode()) {
        pending_ = record;
        return;
    }
    Deliver(record);
}

void UnitLink::UnitNamesReceived(NameRows rows, const std::array<std::string, 9>& names) {
    const std::size_t count = rows == NameRows::SingleUnit ? 1 : names.size();
    for (std::size_t u = 0; u < count; ++u) {
        names_[u] = DecodeCp1252(names[u]);
    }
    if (pending_) {
        const StatusRecord record = *pending_;
        Deliver(record);
    }
}

void UnitLink::Deliver(const StatusRecord& record) {
    pending_.reset();
    failure_.reset();
    if (state_ != UnitLinkState::Attached) {
        state_ = UnitLinkState::Attached;
        noted_.reset();
        bridge_.UnitBack("ORVELIX at " + (engine_ != nullptr ? engine_->ChannelPath() : ""));
    }
    bridge_.Feed(record, names_);
}

void UnitLink::LinkFailed(const LinkError& error) {
    failure_ = error;
    switch (error.failure) {
        case LinkFailure::LostComms:
            return;  // monitoring stops at once, and MonitoringStopped says why
        case LinkFailure::WrongApplication:
            // Polling goes on and the next poll asks again.
            if (state_ == UnitLinkState::Attached) {
                state_ = UnitLinkState::Connecting;
                noted_ = error;
                bridge_.UnitLost(explain_(error) + "; asking again every second");
            } else {
                Note(error, "asking again every second");
            }
            return;
        case LinkFailure::CannotFind:
        case LinkFailure::ProgramMode:
            Note(error, SearchPace());
            return;
    }
}

void UnitLink::Note(const LinkError& error, const std::string& next) {
    if (noted_ == error) {
        return;
    }
    noted_ = error;
    log_.Write(explain_(error) + "; " + next);
}

}  // namespace valdro::bridge
