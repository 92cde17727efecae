// `list`: the ORVELIX interfaces attached, with what their revision means and
// whether this user may open them.

#include <cstdio>
#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_device.h"
#include "config/hex_text.h"
#include "device/hardware_id.h"

namespace valdro::cli {
namespace {

constexpr const char* kUsage =
    "Usage: valdrometrica-cli list [--simulate]\n\n"
    "Lists the attached ORVELIX units (USB 04D8:FD37): the path to give to --device,\n"
    "the revision and what it means (0009 application, 0001 program mode), the\n"
    "serial number, and whether this user may open the unit. Exit status 1 when\n"
    "no unit is attached.\n\n"
    "  --simulate   list the built-in simulated unit instead of USB\n";

int RunList(const std::vector<std::string>& args) {
    ArgParser parser("list", kUsage);
    parser.Flag("--simulate");
    if (auto exit = parser.ParseOrExit(args)) {
        return *exit;
    }
    DeviceOptions options;
    options.simulate = parser.Has("--simulate");
    DeviceSession session(options);

    const std::vector<HidInterfaceInfo> units = OrvelixInterfaces(session.Platform());
    if (units.empty()) {
        std::cerr << "valdrometrica-cli: No ORVELIX unit found.\n";
        return kExitFailure;
    }
    bool denied = false;
    for (const HidInterfaceInfo& info : units) {
        OpenError error = OpenError::None;
        const bool opens = session.Platform().Open(info.path, &error) != nullptr;
        std::string access = "ok";
        if (!opens) {
            denied = denied || error == OpenError::AccessDenied;
            access = error == OpenError::AccessDenied ? "permission denied"
                     : error == OpenError::Busy       ? "busy"
                     : error == OpenError::NotFound   ? "gone"
                                                      : "cannot open";
        }
        std::cout << info.path << "  revision " << HexWord(info.release) << " ("
                  << RevisionMeaning(info.release) << ")";
        if (!info.serialNumber.empty()) {
            std::cout << "  serial " << info.serialNumber;
        }
        std::cout << "  access " << access << "\n";
    }
    if (denied) {
        std::cerr << "\n" << PermissionHint("the unit");
    }
    return kExitOk;
}

}  // namespace

VALDRO_CLI_COMMAND("list", "list the attached ORVELIX units", kUsage, RunList);

}  // namespace valdro::cli
