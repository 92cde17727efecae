#pragma once
// The device options of the valdrometrica-cli commands that talk to a unit (list,
// download, status) on the CLI's own parser, and what the tool says when no unit
// can be reached:
//
//   ArgParser p("status", kUsage);
//   AddDeviceOptions(p);
//   if (auto exit = p.ParseOrExit(args)) return *exit;
//   DeviceOptions opts;
//   if (auto exit = ReadDeviceOptions(p, opts)) return *exit;   // bad --sim-status
//   DeviceSession session(opts);
//   if (!TraceReady(session)) return kExitFailure;               // --trace not writable
//   ... on "Cannot find ORVELIX": std::cerr << ExplainCannotFind(error, opts);

#include <optional>
#include <string>
#include <vector>

#include "cli/cli_args.h"
#include "device/device_session.h"
#include "device/hid_platform.h"
#include "device/link_failure.h"

namespace valdro::cli {

// The lines to append to a command's usage text.
const std::string& DeviceOptionsUsage();

void AddDeviceOptions(ArgParser& parser);
// Reads the options back after parsing; on a bad value prints a usage error and
// returns its exit code.
std::optional<int> ReadDeviceOptions(const ArgParser& parser, DeviceOptions& out);
// False when --trace was given and the file could not be opened (then reported).
bool TraceReady(const DeviceSession& session);

// The interfaces of ORVELIX units (vendor 04D8, product FD37) among those listed.
std::vector<HidInterfaceInfo> OrvelixInterfaces(HidPlatform& platform);

// What to tell the user when a path may not be opened (the udev rule on Linux).
std::string PermissionHint(const std::string& path);

// Why no unit could be reached, for after "Cannot find ORVELIX", from what the
// search found: a unit that is listed but would not open (the udev rule, a busy
// node), nothing at the --device path, or nothing attached. Ends with a newline.
std::string ExplainCannotFind(const LinkError& error, const DeviceOptions& options);

}  // namespace valdro::cli
