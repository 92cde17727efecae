#pragma once
// What the window and the command-line tool share about reaching a unit: the
// device options (--simulate, --sim-status, --sim-unplug, --device, --trace), their
// meaning, and the session they choose (the simulated unit or the USB backend, the
// trace file, the one interface to use). Each program parses its own command line
// with its own parser from the option table below and hands the texts to
// ReadDeviceArguments.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/hid_platform.h"
#include "device/report_trace.h"
#include "device/simulated_unit.h"

namespace valdro {

class ProtocolEngine;

// One device option: its name without "--", the name of its value (empty for a
// flag) and what it does; a help text with "\n" goes on over several lines.
struct DeviceOptionInfo {
    const char* name;
    const char* valueName;
    const char* help;
};

inline constexpr DeviceOptionInfo kDeviceOptionTable[] = {
    {"simulate", "", "talk to the built-in simulated unit instead of USB"},
    {"device", "PATH", "use this HID interface (see 'valdrometrica-cli list')"},
    {"trace", "FILE", "append every report sent and received to FILE"},
    {"sim-status", "HEX",
     "with --simulate: the status reply from byte 2 on, as hex\n"
     "(up to 63 bytes, e.g. \"00 03 01 00\")"},
    {"sim-unplug", "N",
     "with --simulate: pull the unit's cable at the Nth report\n"
     "sent to it; N:S plugs it back in S seconds later"},
};

// The options as a command line gave them.
struct DeviceArguments {
    bool simulate = false;
    std::optional<std::string> device;
    std::optional<std::string> trace;
    std::optional<std::string> simStatus;
    std::optional<std::string> simUnplug;
};

struct DeviceOptions {
    bool simulate = false;                // the simulated unit instead of USB
    std::string devicePath;               // this interface only; empty = the first unit found
    std::string tracePath;                // log every report; empty = no trace
    std::vector<std::uint8_t> simStatus;  // status reply bytes 2.. of the simulated unit
    int simUnplugAtReport = -1;           // the simulated unit's unplug fault; -1 = none
    int simReplugAfterMs = -1;            // ... and its plugging back in; -1 = never
};

// Checks and converts the arguments; returns the usage error to report, if any.
std::optional<std::string> ReadDeviceArguments(const DeviceArguments& in, DeviceOptions& out);

// The platform the options choose, with the simulated unit and the trace file.
// Outlives every engine attached to it.
class DeviceSession {
  public:
    explicit DeviceSession(const DeviceOptions& options);
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    HidPlatform& Platform() { return *platform_; }
    // The open trace, or null without --trace.
    ReportTrace* Trace() { return trace_.IsOpen() ? &trace_ : nullptr; }
    // Empty when the trace file could be opened (or none was asked for); otherwise
    // what to tell the user.
    const std::string& TraceError() const { return traceError_; }
    const DeviceOptions& Options() const { return options_; }

    // Gives the engine the trace and the one interface to use.
    void Attach(ProtocolEngine& engine);

  private:
    DeviceOptions options_;
    std::unique_ptr<SimulatedUnit> unit_;
    std::unique_ptr<HidPlatform> platform_;
    ReportTrace trace_;
    std::string traceError_;
};

}  // namespace valdro
