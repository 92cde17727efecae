#include "device/device_session.h"

#include "config/hex_text.h"
#include "device/protocol_engine.h"
#include "device/simulated_platform.h"

namespace valdro {

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
    return std::nullopt;
}

DeviceSession::DeviceSession(const DeviceOptions& options) : options_(options) {
    if (options.simulate) {
        unit_ = std::make_unique<SimulatedUnit>();
        if (!options.simStatus.empty()) {
            unit_->SetStatusOverride(options.simStatus);
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
