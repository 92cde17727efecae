#pragma once
// Runs a protocol engine on the CLI's owner loop: the session's trace and device
// choice, report delivery, and the 50 ms tick; Ctrl-C quits the loop.

#include "cli/cli_device.h"
#include "device/owner_loop.h"
#include "device/protocol_engine.h"

namespace valdro::cli {

void DriveEngineOnLoop(ProtocolEngine& engine, OwnerLoop& loop, DeviceSession& session);

}  // namespace valdro::cli
