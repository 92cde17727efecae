// `new`: writes a data file holding the defaults of all nine units.

#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "config/config_set.h"
#include "config/data_file.h"

namespace valdro::cli {
namespace {

constexpr const char* kUsage =
    "Usage: valdrometrica-cli new -o FILE.dat\n\n"
    "Writes a data file with the default settings of the Master and Slave 1 to 8\n"
    "and an empty input map. An existing file is replaced.\n\n"
    "Options:\n"
    "  -o, --output FILE   the data file to write (required)\n";

int RunNew(const std::vector<std::string>& args) {
    ArgParser parser("new", kUsage);
    parser.Option("-o", "--output");
    if (auto exit = parser.ParseOrExit(args))
        return *exit;
    const auto out = parser.Value("-o");
    if (!out || out->empty())
        return parser.UsageError("an output file is required (-o FILE.dat)");

    ConfigSet set;
    set.SetDefaults();
    if (SaveDataFile(*out, set) != SaveOutcome::Ok) {
        std::cerr << *out << ": " << OutcomeMessage(SaveOutcome::Error) << '\n';
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

VALDRO_CLI_COMMAND("new", "write a data file with the default configuration", kUsage, RunNew);

}  // namespace valdro::cli
