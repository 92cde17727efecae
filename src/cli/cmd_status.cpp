// `status`: connects like the Status page and prints the live inputs and outputs.

#include <chrono>
#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_device.h"
#include "cli/cli_engine_loop.h"
#include "cli/cli_link_events.h"
#include "cli/status_output.h"
#include "cli/terminal.h"
#include "config/text_codec.h"
#include "device/owner_loop.h"
#include "device/protocol_engine.h"

namespace valdro::cli {
namespace {

constexpr const char* kUsage =
    "Usage: valdrometrica-cli status [--once | --watch] [--json] [--csv FILE]\n"
    "                                [device options]\n\n"
    "Connects to the attached unit as the Status page does and prints the 16\n"
    "outputs and 16 inputs of the Master and its Slaves (or of the one unit that\n"
    "reports itself). On a terminal set states are red, clear ones green and units\n"
    "that report no state grey. Exit status 1 on any failure.\n\n"
    "Options:\n"
    "  --once            print the first status and the unit names, then exit (default)\n"
    "  --watch           print every status (once a second) until Ctrl-C\n"
    "  --json            one JSON object per status on a line of its own:\n"
    "                    {\"mode\": \"all\"|\"single\", \"units\": [{\"index\", \"name\",\n"
    "                    \"present\", \"outputs\": [16 x 0/1], \"inputs\": [16 x 0/1]}]}\n"
    "  --csv FILE        append a row per change of an input or output:\n"
    "                    time,unit,kind,number,state (the first status logged whole)\n";

const std::string kFullUsage = std::string(kUsage) + DeviceOptionsUsage();

// The Status page as the command sees it: the last record, its row titles, and
// whether a whole poll (record and, when they are fetched, its names) is in.
class StatusUi : public CliLinkEvents {
  public:
    void Attach(const ProtocolEngine& engine, StatusChangeLog* log) {
        engine_ = &engine;
        log_ = log;
    }

    void MonitoringStopped() override { ended_ = true; }
    void StatusReceived(const StatusRecord& record) override {
        record_ = record;
        if (log_ != nullptr) {
            log_->Record(record, UtcTimestamp());
        }
        // The engine compares the mode after painting: a new mode means names follow.
        if (engine_ != nullptr && record.mode == engine_->LastStatusMode()) {
            due_ = true;
        } else {
            awaitingNames_ = true;
        }
    }
    void UnitNamesReceived(NameRows rows, const std::array<std::string, 9>& names) override {
        const std::size_t count = rows == NameRows::SingleUnit ? 1 : names.size();
        for (std::size_t u = 0; u < count; ++u) {
            titles_[u] = DecodeCp1252(names[u]);
        }
        if (awaitingNames_) {
            awaitingNames_ = false;
            due_ = true;
        }
    }

    bool Due() const { return due_; }
    void Printed() { due_ = false; }
    bool Ended() const { return ended_; }
    const StatusRecord& Record() const { return record_; }
    const RowTitles& Titles() const { return titles_; }

  private:
    const ProtocolEngine* engine_ = nullptr;
    StatusChangeLog* log_ = nullptr;
    StatusRecord record_{};
    RowTitles titles_{};
    bool due_ = false;
    bool awaitingNames_ = false;
    bool ended_ = false;
};

int RunStatus(const std::vector<std::string>& args) {
    ArgParser parser("status", kFullUsage);
    parser.Flag("--once").Flag("--watch").Flag("--json").Option("--csv");
    AddDeviceOptions(parser);
    if (auto exit = parser.ParseOrExit(args)) {
        return *exit;
    }
    if (parser.Has("--once") && parser.Has("--watch")) {
        return parser.UsageError("--once and --watch exclude each other");
    }
    DeviceOptions options;
    if (auto exit = ReadDeviceOptions(parser, options)) {
        return *exit;
    }
    const bool watch = parser.Has("--watch");
    const bool json = parser.Has("--json");
    const bool terminal = ColourTerminal(StdStream::Out);

    StatusChangeLog log;
    const auto csv = parser.Value("--csv");
    if (csv && !log.Open(*csv)) {
        std::cerr << "valdrometrica-cli: cannot write " << *csv << '\n';
        return kExitFailure;
    }

    DeviceSession session(options);
    if (!TraceReady(session)) {
        return kExitFailure;
    }
    InstallInterruptHandler();
    StatusUi ui;
    OwnerLoop loop;
    ProtocolEngine engine(session.Platform(), ui, loop);
    ui.Attach(engine, csv ? &log : nullptr);
    DriveEngineOnLoop(engine, loop, session);

    engine.StartMonitoring();
    if (!engine.Monitoring()) {
        engine.Shutdown();
        if (const LinkError* error = ui.CannotFind()) {
            std::cerr << ExplainCannotFind(*error, options);
        }
        return kExitFailure;
    }

    int result = kExitOk;
    for (;;) {
        loop.RunUntil(
            [&] { return ui.Due() || ui.Ended() || Interrupted() || (!watch && ui.Failed()); },
            std::chrono::hours(1));
        if (ui.Due()) {
            ui.Printed();
            if (json) {
                std::cout << StatusJson(ui.Record(), ui.Titles()) << std::endl;
            } else {
                if (watch && terminal) {
                    std::cout << "\x1b[H\x1b[2J";  // redraw in place
                } else if (watch) {
                    std::cout << UtcTimestamp() << '\n';
                }
                std::cout << StatusTable(ui.Record(), ui.Titles(), terminal);
                if (watch && !terminal) {
                    std::cout << '\n';
                }
                std::cout.flush();
            }
            if (!watch) {
                break;
            }
        }
        if (Interrupted()) {
            // Ctrl-C is how --watch ends; --once was stopped before it printed.
            result = watch ? kExitOk : kExitFailure;
            break;
        }
        if (ui.Ended()) {
            if (!ui.Failed()) {
                std::cerr << "valdrometrica-cli: the unit is no longer attached\n";
            }
            result = kExitFailure;
            break;
        }
        if (!watch && ui.Failed()) {
            result = kExitFailure;
            break;
        }
    }
    engine.Shutdown();
    return result;
}

}  // namespace

VALDRO_CLI_COMMAND("status", "show the live inputs and outputs of the attached unit",
                   kFullUsage.c_str(), RunStatus);

}  // namespace valdro::cli
