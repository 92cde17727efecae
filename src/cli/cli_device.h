#pragma once
// The device options shared by the valdrometrica-cli commands that talk to a unit
// (list, download, status), and the platform they choose:
//
//   ArgParser p("status", kUsage);
//   AddDeviceOptions(p);
//   if (auto exit = p.ParseOrExit(args)) return *exit;
//   DeviceOptions opts;
//   if (auto exit = ReadDeviceOptions(p, opts)) return *exit;   // bad --sim-status
//   DeviceSession session(opts);
//   if (!session.TraceReady()) return kExitFailure;              // --trace not writable
//   ProtocolEngine engine(session.Platform(), ui, config, loop);
//   engine.SetTrace(session.Trace());
//   if (!opts.devicePath.empty()) engine.SetDevicePath(opts.devicePath);
//   ... on "Cannot find ORVELIX": std::cerr << session.ExplainUnreachableUnit();

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_args.h"
#include "device/hid_platform.h"
#include "device/report_trace.h"
#include "device/simulated_unit.h"

namespace valdro::cli {

struct DeviceOptions {
    bool simulate = false;                // --simulate: the simulated unit instead of USB
    std::string devicePath;               // --device PATH: this interface only
    std::string tracePath;                // --trace FILE: log every report
    std::vector<std::uint8_t> simStatus;  // --sim-status HEX: status reply bytes 2.. (simulated)
};

// The lines to append to a command's usage text.
inline constexpr const char* kDeviceOptionsUsage =
    "  --simulate        talk to the built-in simulated unit instead of USB\n"
    "  --device PATH     use this HID interface (see 'valdrometrica-cli list')\n"
    "  --trace FILE      append every report sent and received to FILE\n"
    "  --sim-status HEX  with --simulate: the status reply from byte 2 on, as hex\n"
    "                    (up to 63 bytes, e.g. \"00 03 01 00\")\n";

void AddDeviceOptions(ArgParser& parser);
// Reads the options back after parsing; on a bad value prints a usage error and
// returns its exit code.
std::optional<int> ReadDeviceOptions(const ArgParser& parser, DeviceOptions& out);

// The platform the options choose, with the simulated unit and the trace file.
class DeviceSession {
  public:
    explicit DeviceSession(const DeviceOptions& options);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    HidPlatform& Platform() { return *platform_; }
    SimulatedUnit* Simulated() { return unit_.get(); }  // null on USB
    // The open trace, or null without --trace.
    ReportTrace* Trace() { return trace_.IsOpen() ? &trace_ : nullptr; }
    // False when --trace was given and the file could not be opened (already reported).
    bool TraceReady() const { return traceReady_; }

    // Why no unit could be reached, for after "Cannot find ORVELIX": a unit that is
    // listed but may not be opened (the udev rule), a --device path that is not
    // there, or nothing listed at all. Ends with a newline.
    std::string ExplainUnreachableUnit();

  private:
    std::unique_ptr<SimulatedUnit> unit_;
    std::unique_ptr<HidPlatform> platform_;
    ReportTrace trace_;
    bool traceReady_ = true;
    std::string devicePath_;
};

// The interfaces of ORVELIX units (vendor 04D8, product FD37) among those listed.
std::vector<HidInterfaceInfo> OrvelixInterfaces(HidPlatform& platform);

// What to tell the user when a path may not be opened: the udev rule.
std::string PermissionHint(const std::string& path);

}  // namespace valdro::cli
