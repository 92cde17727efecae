// `bridge`: the live inputs and outputs of the attached set on an MQTT broker and a
// read-only Modbus TCP server, as a long-running service.

#include <iostream>

#include "bridge/bridge.h"
#include "bridge/event_log.h"
#include "bridge/unit_link.h"
#include "cli/bridge/bridge_options.h"
#include "cli/cli_command.h"
#include "cli/cli_device.h"
#include "cli/terminal.h"
#include "device/owner_loop.h"
#include "device/protocol_engine.h"

namespace valdro::cli {
namespace {

constexpr const char* kUsage =
    "Usage: valdrometrica-cli bridge [--mqtt URL] [--modbus [HOST:]PORT]\n"
    "                                [--device PATH | --simulate] [--trace FILE]\n"
    "                                [MQTT options] [--search-interval SECONDS]\n\n"
    "Hands the live inputs and outputs of the attached set to plant systems: an MQTT\n"
    "broker, a read-only Modbus TCP server, or both. Connects to the unit as\n"
    "'status --watch' does, polls it once a second, and serves until Ctrl-C or\n"
    "SIGTERM (exit status 0). A unit that is unplugged is looked for again every\n"
    "5 seconds, a broker that goes away is reconnected with a growing back-off, and\n"
    "the poll never waits for the network. One line per event, with a UTC time\n"
    "stamp, goes to standard error; nothing per poll. Exit status 1 when an output\n"
    "cannot start (a port in use, an unreadable TLS file), 2 on a usage error.\n\n";

constexpr const char* kTables =
    "\nMQTT topics, all retained: PREFIX/status (online or offline, also the last\n"
    "will), PREFIX/UNIT/input/N and PREFIX/UNIT/output/N (1 or 0, N = 1..16),\n"
    "PREFIX/UNIT/name and PREFIX/UNIT/state (the unit's 'status --json' object, or\n"
    "offline), UNIT = master, slave1 .. slave8.\n\n"
    "Modbus TCP, read-only, any unit id: discrete inputs 0..143 are the inputs and\n"
    "coils 0..143 the outputs (input or output N of unit U at U*16+N-1); input\n"
    "registers 0..8 the inputs and 9..17 the outputs of each unit packed (bit 0 =\n"
    "number 1), 18 the units that report state (bit U), 19 a count of status\n"
    "records. Writes get exception 1.\n";

const std::string kFullUsage = std::string(kUsage) + BridgeOptionsUsage() + "\nDevice options:\n" +
                               DeviceOptionsUsage() + kTables;

// Why no unit could be reached, on one line for the event log.
std::string OneLine(const LinkError& error, const DeviceOptions& device) {
    std::string line(LinkFailureText(error.failure));
    if (error.failure != LinkFailure::CannotFind) {
        return line;
    }
    std::string why = ExplainCannotFind(error, device);
    for (char& c : why) {
        c = c == '\n' ? ' ' : c;
    }
    while (!why.empty() && why.back() == ' ') {
        why.pop_back();
    }
    return line + ": " + why;
}

int RunBridge(const std::vector<std::string>& args) {
    ArgParser parser("bridge", kFullUsage);
    AddBridgeOptions(parser);
    if (auto exit = parser.ParseOrExit(args)) {
        return *exit;
    }
    BridgeCommandOptions options;
    if (auto exit = ReadBridgeOptions(parser, options)) {
        return *exit;
    }

    DeviceSession session(options.device);
    if (!TraceReady(session)) {
        return kExitFailure;
    }
    InstallInterruptHandler();
    bridge::EventLog log(bridge::StderrSink());
    bridge::Bridge bridge(options.outputs, log);
    std::string error;
    if (!bridge.Start(&error)) {
        std::cerr << "valdrometrica-cli bridge: " << error << '\n';
        return kExitFailure;
    }

    bridge::UnitLink link(
        bridge, log, options.searchInterval,
        [&device = options.device](const LinkError& e) { return OneLine(e, device); });
    OwnerLoop loop;
    ProtocolEngine engine(session.Platform(), link, loop);
    session.Attach(engine);
    link.Attach(engine);
    loop.SetDelivery([&engine] { engine.DeliverPendingReport(); });
    loop.SetTick([&] {
        engine.Tick();
        link.Tick();
        if (Interrupted()) {
            loop.Quit();
        }
    });

    log.Write("Bridge started: polling the unit every second");
    link.Start();
    loop.Run();
    engine.Shutdown();
    bridge.Stop();  // availability offline first, then the outputs close
    log.Write("Bridge stopped");
    return kExitOk;
}

}  // namespace

VALDRO_CLI_COMMAND("bridge", "serve live I/O to an MQTT broker and Modbus TCP clients",
                   kFullUsage.c_str(), RunBridge);

}  // namespace valdro::cli
