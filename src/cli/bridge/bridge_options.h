#pragma once
// The options of `valdrometrica-cli bridge` on the CLI's parser, read back into
// what the bridge, the device session and the unit link take.

#include <chrono>
#include <optional>
#include <string>

#include "bridge/bridge.h"
#include "cli/cli_args.h"
#include "device/device_session.h"

namespace valdro::cli {

// How often a unit that is gone is looked for unless --search-interval says otherwise.
inline constexpr int kDefaultSearchSeconds = 5;

struct BridgeCommandOptions {
    bridge::BridgeOptions outputs;
    DeviceOptions device;
    std::chrono::milliseconds searchInterval{kDefaultSearchSeconds * 1000};
};

// The usage lines of the bridge's own options.
const std::string& BridgeOptionsUsage();

void AddBridgeOptions(ArgParser& parser);

// Reads the options back after parsing, the broker login from its file or the
// environment included. On a usage error prints it and returns the exit code.
std::optional<int> ReadBridgeOptions(const ArgParser& parser, BridgeCommandOptions& out);

}  // namespace valdro::cli
