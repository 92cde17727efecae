// `export`: writes a data file as editable JSON.

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_files.h"
#include "config/config_json.h"

namespace valdro::cli {
namespace {

constexpr const char* kUsage =
    "Usage: valdrometrica-cli export FILE.dat [-o FILE.json]\n\n"
    "Writes the configuration in a data file as JSON (see docs/json-format.md).\n"
    "Importing the JSON again gives back the same data file.\n\n"
    "Options:\n"
    "  -o, --output FILE   write the JSON to FILE instead of standard output\n";

int RunExport(const std::vector<std::string>& args) {
    ArgParser parser("export", kUsage);
    parser.Option("-o", "--output").Positionals(1, 1);
    if (auto exit = parser.ParseOrExit(args))
        return *exit;
    const std::string out = parser.Value("-o").value_or("-");
    if (out.empty())
        return parser.UsageError("the output file name is empty");
    if (SameFile(parser.Positional()[0], out))
        return parser.UsageError("the output file is the data file itself");

    ConfigSet set;
    if (!LoadDataFileOrReport(parser.Positional()[0], set))
        return kExitFailure;
    return WriteTextOrReport(out, ExportConfigJson(set)) ? kExitOk : kExitFailure;
}

}  // namespace

VALDRO_CLI_COMMAND("export", "write a data file as JSON", kUsage, RunExport);

}  // namespace valdro::cli
