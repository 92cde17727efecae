// `show`: prints every unit of a data file in readable form.

#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_check_output.h"
#include "cli/cli_command.h"
#include "cli/cli_files.h"
#include "config/config_check.h"
#include "config/config_summary.h"

namespace valdro::cli {
namespace {

constexpr const char* kUsage =
    "Usage: valdrometrica-cli show FILE.dat\n\n"
    "Prints the Master and Slave 1 to 8 of a data file: network settings, flags,\n"
    "latched outputs, reset inputs and the inputs that drive each output.\n"
    "Inputs and outputs are numbered 1 to 16 as on screen. The last line counts\n"
    "what 'valdrometrica-cli check' finds in the file.\n";

int RunShow(const std::vector<std::string>& args) {
    ArgParser parser("show", kUsage);
    parser.Positionals(1, 1);
    if (auto exit = parser.ParseOrExit(args))
        return *exit;

    ConfigSet set;
    if (!LoadDataFileOrReport(parser.Positional()[0], set))
        return kExitFailure;
    std::cout << SummarizeConfig(set) << '\n'
              << FindingsCountLine(CheckConfigSet(set), parser.Positional()[0]) << '\n';
    return kExitOk;
}

}  // namespace

VALDRO_CLI_COMMAND("show", "print the configuration in a data file", kUsage, RunShow);

}  // namespace valdro::cli
