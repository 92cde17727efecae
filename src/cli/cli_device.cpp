#include "cli/cli_device.h"

#include <algorithm>
#include <iostream>

#include "config/hex_text.h"
#include "device/access_remedy.h"
#include "device/unit_identity.h"

namespace valdro::cli {

namespace {
std::string OptionSpelling(const DeviceOptionInfo& o) {
    return std::string("--") + o.name;
}
}  // namespace

const std::string& DeviceOptionsUsage() {
    // "  --name VALUE" in 20 columns, the help beside it, continued lines indented.
    static const std::string usage = [] {
        std::string text;
        for (const DeviceOptionInfo& o : kDeviceOptionTable) {
            std::string left = "  " + OptionSpelling(o);
            if (*o.valueName != '\0') {
                left += std::string(" ") + o.valueName;
            }
            left.resize(std::max<std::size_t>(left.size() + 2, 20), ' ');
            text += left;
            for (const char* c = o.help; *c != '\0'; ++c) {
                text += *c;
                if (*c == '\n') {
                    text += std::string(20, ' ');
                }
            }
            text += '\n';
        }
        return text;
    }();
    return usage;
}

void AddDeviceOptions(ArgParser& parser) {
    for (const DeviceOptionInfo& o : kDeviceOptionTable) {
        if (*o.valueName == '\0') {
            parser.Flag(OptionSpelling(o));
        } else {
            parser.Option(OptionSpelling(o));
        }
    }
}

std::optional<int> ReadDeviceOptions(const ArgParser& parser, DeviceOptions& out) {
    DeviceArguments arguments;
    arguments.simulate = parser.Has("--simulate");
    arguments.device = parser.Value("--device");
    arguments.trace = parser.Value("--trace");
    arguments.simStatus = parser.Value("--sim-status");
    arguments.simUnplug = parser.Value("--sim-unplug");
    if (const auto error = ReadDeviceArguments(arguments, out)) {
        return parser.UsageError(*error);
    }
    return std::nullopt;
}

bool TraceReady(const DeviceSession& session) {
    if (session.TraceError().empty()) {
        return true;
    }
    std::cerr << "valdrometrica-cli: " << session.TraceError() << "\n";
    return false;
}

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
    return "Permission denied opening " + path + ".\n" + std::string(AccessDeniedSteps());
}

std::string ExplainCannotFind(const LinkError& error, const DeviceOptions& options) {
    if (error.open) {
        const std::string& path = error.open->path;
        switch (error.open->reason) {
            case OpenError::AccessDenied:
                return PermissionHint(path);
            case OpenError::Busy:
                return path + " is in use by another program.\n";
            default:
                return "Cannot open " + path + " (see 'valdrometrica-cli list').\n";
        }
    }
    if (!options.devicePath.empty()) {
        return "No ORVELIX unit at " + options.devicePath + " (see 'valdrometrica-cli list').\n";
    }
    return "No ORVELIX unit (USB " + HexWord(kOrvelixVendorId) + ":" + HexWord(kOrvelixProductId) +
           ") is attached.\n";
}

}  // namespace valdro::cli
