#include "device/device_session.h"

#include <charconv>

#include "config/hex_text.h"
#include "device/protocol_engine.h"
#include "device/simulated_platform.h"

namespace valdro {
namespace {

constexpr int kMaxReplugSeconds = 24 * 3600;

// A whole decimal number in [min, max], nothing else.
std::optional<int> WholeNumber(std::string_view text, int min, int max) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

// "N" or "N:S": the report that pulls the cable and the seconds until it is back.
bool ReadUnplug(std::string_view text, DeviceOptions& out) {
    const auto colon = text.find(':');
    const auto at = WholeNumber(text.substr(0, colon), 1, 1'000'000'000);
    if (!at) {
        return false;
    }
    out.simUnplugAtReport = *at;
    out.simReplugAfterMs = -1;
    if (colon != std::string_view::npos) {
        const auto seconds = WholeNumber(text.substr(colon + 1), 0, kMaxReplugSeconds);
        if (!seconds) {
            return false;
        }
        out.simReplugAfterMs = *seconds * 1000;
    }
    return true;
}

}  // namespace

std::optional<std::string> ReadDeviceArguments(const DeviceArguments& in, DeviceOptions& out) {
    out.simulate = in.simulate;
    out.devicePath = in.device.value_or("");
    out.tracePath = in.trace.value_or("");
    out.simStatus.clear();
    if (in.simStatus) {
        if (!in.simulate) {
            return "--sim-status needs --simulate";
        }
        auto bytes = ParseHexBytes(*in.simStatus, kReportSize - 2);
        if (!bytes || bytes->empty()) {
            return "--sim-status takes 1 to 63 bytes in hex, e.g. \"00 03 01 00\"";
        }
        out.simStatus = std::move(*bytes);
    }
    out.simUnplugAtReport = -1;
    out.simReplugAfterMs = -1;
    if (in.simUnplug) {
        if (!in.simulate) {
            return "--sim-unplug needs --simulate";
        }
        if (!ReadUnplug(*in.simUnplug, out)) {
            return "--sim-unplug takes N or N:S, the report (from 1) that unplugs the unit and "
                   "the seconds (0 to 86400) until it is back, e.g. 20:3";
        }
    }
    return std::nullopt;
}

DeviceSession::DeviceSession(const DeviceOptions& options) : options_(options) {
    if (options.simulate) {
        unit_ = std::make_unique<SimulatedUnit>();
        if (!options.simStatus.empty()) {
            unit_->SetStatusOverride(options.simStatus);
        }
        if (options.simUnplugAtReport > 0) {
            unit_->SetFaults({.unplugAtReport = options.simUnplugAtReport,
                              .replugAfterMs = options.simReplugAfterMs});
        }
        platform_ = std::make_unique<SimulatedPlatform>(*unit_);
    } else {
        platform_ = CreateUsbPlatform();
    }
    if (!options.tracePath.empty() && !trace_.Open(options.tracePath)) {
        traceError_ = "cannot write the trace file " + options.tracePath;
    }
}

DeviceSession::~DeviceSession() = default;

void DeviceSession::Attach(ProtocolEngine& engine) {
    engine.SetTrace(Trace());
    engine.SetDevicePath(options_.devicePath);
}

}  // namespace valdro
