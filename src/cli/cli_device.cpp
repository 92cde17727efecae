#include "cli/cli_device.h"

#include <iostream>

#include "config/hex_text.h"
#include "device/hid_report.h"
#include "device/hidapi_platform.h"
#include "device/simulated_platform.h"

namespace valdro::cli {

void AddDeviceOptions(ArgParser& parser) {
    parser.Flag("--simulate").Option("--device").Option("--trace").Option("--sim-status");
}

std::optional<int> ReadDeviceOptions(const ArgParser& parser, DeviceOptions& out) {
    out.simulate = parser.Has("--simulate");
    out.devicePath = parser.Value("--device").value_or("");
    out.tracePath = parser.Value("--trace").value_or("");
    if (const auto hex = parser.Value("--sim-status")) {
        if (!out.simulate) {
            return parser.UsageError("--sim-status needs --simulate");
        }
        auto bytes = ParseHexBytes(*hex, kReportSize - 2);
        if (!bytes || bytes->empty()) {
            return parser.UsageError(
                "--sim-status takes 1 to 63 bytes in hex, e.g. \"00 03 01 00\"");
        }
        out.simStatus = std::move(*bytes);
    }
    return std::nullopt;
}

DeviceSession::DeviceSession(const DeviceOptions& options) : devicePath_(options.devicePath) {
    if (options.simulate) {
        unit_ = std::make_unique<SimulatedUnit>();
        if (!options.simStatus.empty()) {
            unit_->SetStatusOverride(options.simStatus);
        }
        platform_ = std::make_unique<SimulatedPlatform>(*unit_);
    } else {
        platform_ = std::make_unique<HidapiPlatform>();
    }
    if (!options.tracePath.empty() && !trace_.Open(options.tracePath)) {
        std::cerr << "valdrometrica-cli: cannot write the trace file " << options.tracePath << "\n";
        traceReady_ = false;
    }
}

DeviceSession::~DeviceSession() = default;

std::vector<HidInterfaceInfo> OrvelixInterfaces(HidPlatform& platform) {
    std::vector<HidInterfaceInfo> units;
    for (HidInterfaceInfo& info : platform.Enumerate()) {
        if (info.vendorId == kOrvelixVendorId && info.productId == kOrvelixProductId) {
            units.push_back(std::move(info));
        }
    }
    return units;
}

std::string PermissionHint(const std::string& path) {
    return "Permission denied opening " + path +
           ".\n"
           "This user may not open the unit's HID interface. Install the udev rule\n"
           "70-orvelix.rules (packaging/udev in the source, or /usr/lib/udev/rules.d),\n"
           "run 'sudo udevadm control --reload && sudo udevadm trigger', then unplug\n"
           "and replug the unit. See \"Using a unit on Linux (permissions)\" in README.md.\n";
}

std::string DeviceSession::ExplainUnreachableUnit() {
    const std::vector<HidInterfaceInfo> units = OrvelixInterfaces(*platform_);
    if (!devicePath_.empty()) {
        OpenError error = OpenError::None;
        if (platform_->Open(devicePath_, &error) == nullptr) {
            if (error == OpenError::PermissionDenied) {
                return PermissionHint(devicePath_);
            }
            return "Cannot open " + devicePath_ + " (see 'valdrometrica-cli list').\n";
        }
        return devicePath_ + " opens, but is not an ORVELIX unit answering in application mode.\n";
    }
    if (units.empty()) {
        return "No ORVELIX unit (USB 04D8:FD37) is attached.\n";
    }
    for (const HidInterfaceInfo& info : units) {
        OpenError error = OpenError::None;
        if (platform_->Open(info.path, &error) == nullptr && error == OpenError::PermissionDenied) {
            return PermissionHint(info.path);
        }
    }
    return "An ORVELIX unit is attached but did not answer (see 'valdrometrica-cli list').\n";
}

}  // namespace valdro::cli
