// `download`: carries a data file's configuration into the attached unit, the
// same exchange as the window's Download button.

#include <chrono>
#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_check_output.h"
#include "cli/cli_command.h"
#include "cli/cli_device.h"
#include "cli/cli_engine_loop.h"
#include "cli/cli_files.h"
#include "cli/cli_link_events.h"
#include "cli/terminal.h"
#include "config/config_check.h"
#include "config/config_set.h"
#include "device/owner_loop.h"
#include "device/protocol_engine.h"

namespace valdro::cli {
namespace {

constexpr const char* kUsage =
    "Usage: valdrometrica-cli download FILE.dat [--unit N] [device options]\n\n"
    "Downloads the configuration in FILE.dat into the attached unit. With --unit 0\n"
    "(the default) the Master's download carries the settings of all nine units and\n"
    "the whole input map; with --unit 1 to 8 only that Slave's own settings go, and\n"
    "the Slave must be enabled in the file. Messages go to stderr; exit status 0 on\n"
    "\"Download Complete\", 1 on any failure.\n\n"
    "The file is checked first (see 'valdrometrica-cli check'): its errors and\n"
    "warnings go to stderr before anything is sent.\n\n"
    "Options:\n"
    "  --unit N          0 = Master (default), 1 to 8 = Slave N\n"
    "  --strict          send nothing when the check finds an error\n";

const std::string kFullUsage = std::string(kUsage) + DeviceOptionsUsage();

int RunDownload(const std::vector<std::string>& args) {
    ArgParser parser("download", kFullUsage);
    parser.Option("--unit").Flag("--strict").Positionals(1, 1);
    AddDeviceOptions(parser);
    if (auto exit = parser.ParseOrExit(args)) {
        return *exit;
    }
    DeviceOptions options;
    if (auto exit = ReadDeviceOptions(parser, options)) {
        return *exit;
    }
    int unit = 0;
    if (const auto text = parser.Value("--unit")) {
        const auto n = ParseInteger(*text, 0, 8);
        if (!n) {
            return parser.UsageError("--unit takes 0 (Master) to 8 (Slave 8)");
        }
        unit = static_cast<int>(*n);
    }

    const std::string& file = parser.Positional()[0];
    ConfigSet config;
    if (!LoadDataFileOrReport(file, config)) {
        return kExitFailure;
    }
    // The window offers the download only for the Master and enabled Slaves.
    if (unit != 0 && !config.Unit(unit).SlaveEnabled()) {
        std::cerr << "valdrometrica-cli: Slave " << unit << " is not enabled in " << file << '\n';
        return kExitFailure;
    }

    // Checked before anything is sent; only --strict lets an error stop the download.
    {
        const std::vector<Finding> findings = CheckConfigSet(config);
        for (const Finding& f : findings) {
            if (f.severity >= Severity::Warning)
                std::cerr << file << ": " << FindingLine(f) << '\n';
        }
        if (parser.Has("--strict") && CountFindings(findings).errors != 0) {
            std::cerr << "valdrometrica-cli: " << file << " has errors; nothing sent (--strict)\n";
            return kExitFailure;
        }
    }

    DeviceSession session(options);
    if (!TraceReady(session)) {
        return kExitFailure;
    }
    InstallInterruptHandler();
    CliLinkEvents ui;
    OwnerLoop loop;
    ProtocolEngine engine(session.Platform(), ui, loop);
    DriveEngineOnLoop(engine, loop, session);

    engine.StartDownload(config, unit);
    // Every exchange is bounded by the one-second reply watchdog, so the download
    // ends on its own; the hour is only a backstop.
    const bool ended = loop.RunUntil(
        [&] { return ui.Failed() || (engine.LinkState() == LinkState::Idle && ui.Completed()); },
        std::chrono::hours(1));
    engine.Shutdown();

    if (const LinkError* error = ui.CannotFind()) {
        std::cerr << ExplainCannotFind(*error, options);
    }
    if (!ended || Interrupted()) {
        std::cerr << "valdrometrica-cli: download interrupted\n";
        return kExitFailure;
    }
    return ui.Failed() ? kExitFailure : kExitOk;
}

}  // namespace

VALDRO_CLI_COMMAND("download", "download a data file into the attached unit", kFullUsage.c_str(),
                   RunDownload);

}  // namespace valdro::cli
