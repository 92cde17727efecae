#pragma once
// What the engine fuzz targets share: a configuration spread from a seed, a
// listener that keeps ticking while a failure or the completion is reported (as
// the window's message box does), and the engine's invariants.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "config/config_set.h"
#include "device/hid_platform.h"
#include "device/link_events.h"
#include "device/protocol_engine.h"

namespace valdro::fuzz {

// Every byte of the records from the seed, and input-map cells (0 or 1) from it
// for the first 256, repeated over the rest: the spread must cost little beside
// the engine's work, and a slice's layout is the same at every position.
inline ConfigSet SpreadConfig(std::uint64_t seed) {
    ConfigSet config;
    auto next = [&seed] { return seed = seed * 6364136223846793005u + 1442695040888963407u; };
    static_assert(sizeof(config.Units) % 8 == 0 && sizeof(config.InputMap) % 256 == 0);
    for (std::size_t i = 0; i < config.Units.size(); i += 8) {
        const std::uint64_t bytes = next();
        std::memcpy(config.Units.data() + i, &bytes, 8);
    }
    std::uint8_t* map = config.InputMap.data();
    for (std::size_t i = 0; i < 256; i += 8) {
        const std::uint64_t cells = (next() >> 7) & 0x0101010101010101u;
        std::memcpy(map + i, &cells, 8);
    }
    for (std::size_t n = 256; n < config.InputMap.size(); n *= 2) {
        std::memcpy(map + n, map, std::min(n, config.InputMap.size() - n));
    }
    return config;
}

// One unit that the platform lists while present; Open() refuses with AccessDenied
// while refused. Handles come from the target's own MakeHandle.
class OneUnitBus : public HidPlatform {
  public:
    std::vector<HidInterfaceInfo> Enumerate() override {
        if (!present) {
            return {};
        }
        HidInterfaceInfo i;
        i.path = "fuzz:0";
        i.hardwareId =
            programMode ? "HID\\VID_04D8&PID_FD37&REV_0001" : "HID\\VID_04D8&PID_FD37&REV_0009";
        return {i};
    }
    std::unique_ptr<HidHandle> Open(const std::string&, OpenError* error) override {
        if (!present || refused) {
            if (error != nullptr) {
                *error = present ? OpenError::AccessDenied : OpenError::NotFound;
            }
            return nullptr;
        }
        return MakeHandle();
    }
    virtual std::unique_ptr<HidHandle> MakeHandle() = 0;

    bool present = true;
    bool programMode = false;
    bool refused = false;
};

class FuzzEvents : public LinkEvents {
  public:
    void LinkFailed(const LinkError& error) override {
        if (error.open && error.failure != LinkFailure::CannotFind) {
            __builtin_trap();  // only "Cannot find" says why an open failed
        }
        sink = sink + static_cast<unsigned>(LinkFailureText(error.failure).size());
        Report();
    }
    void DownloadComplete() override { Report(); }
    void MonitoringStarted() override {}
    void MonitoringStopped() override {}
    void StatusReceived(const StatusRecord& r) override { sink = sink + r.units[8].outputs; }
    void UnitNamesReceived(NameRows rows, const std::array<std::string, 9>& names) override {
        for (const auto& n : names) {
            if (n.size() > kStatusNameMax) {
                __builtin_trap();
            }
        }
        sink = sink + static_cast<unsigned>(rows);
    }

    // The window's timer runs while a box is open.
    void Report() {
        if (engine != nullptr && depth < 2 && ticksInBox > 0) {
            ++depth;
            for (int i = 0; i < ticksInBox; ++i) {
                engine->Tick();
            }
            --depth;
        }
    }

    int ticksInBox = 0;
    int depth = 0;
    ProtocolEngine* engine = nullptr;
    volatile unsigned sink = 0;
};

inline void CheckInvariants(const ProtocolEngine& e) {
    const int state = static_cast<int>(e.LinkState());
    const bool ok = state >= 0 && state <= static_cast<int>(LinkState::OwnNameReply) &&
                    e.ReplyCountdown() >= 0 && e.ReplyCountdown() <= kReplyTicks &&
                    e.StatusPollCountdown() >= 0 && e.StatusPollCountdown() <= kPollTicks &&
                    e.BlockNumber() <= 53 && e.UnitCounter() >= 0 && e.UnitCounter() <= 9 &&
                    e.SourceCounter() >= 0 && e.SourceCounter() < 9 &&
                    e.Monitoring() == (e.StatusPollCountdown() != 0);
    if (!ok) {
        __builtin_trap();
    }
}

}  // namespace valdro::fuzz
