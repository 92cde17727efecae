// `import`: builds a data file from the JSON form.

#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_files.h"
#include "config/config_json.h"

namespace valdro::cli {
namespace {

constexpr const char* kUsage =
    "Usage: valdrometrica-cli import FILE.json -o FILE.dat\n\n"
    "Reads the JSON form of a configuration (see docs/json-format.md; \"-\" reads\n"
    "standard input) and writes it as a data file. A value the file cannot hold is\n"
    "an error and nothing is written; a value the unit does not expect (a port of 0,\n"
    "an address mode of 2) is a warning and is kept.\n\n"
    "Options:\n"
    "  -o, --output FILE   the data file to write (required)\n";

int RunImport(const std::vector<std::string>& args) {
    ArgParser parser("import", kUsage);
    parser.Option("-o", "--output").Positionals(1, 1);
    if (auto exit = parser.ParseOrExit(args))
        return *exit;
    const auto out = parser.Value("-o");
    if (!out || out->empty())
        return parser.UsageError("an output file is required (-o FILE.dat)");
    const std::string& in = parser.Positional()[0];
    if (SameFile(in, *out))
        return parser.UsageError("the output file is the JSON file itself");

    const auto text = ReadTextOrReport(in);
    if (!text)
        return kExitFailure;
    ConfigSet set;
    const JsonImportResult result = ImportConfigJson(*text, set);
    for (const std::string& w : result.warnings)
        std::cerr << in << ": warning: " << w << '\n';
    for (const std::string& e : result.errors)
        std::cerr << in << ": error: " << e << '\n';
    if (!result.ok) {
        std::cerr << in << ": nothing written\n";
        return kExitFailure;
    }
    return SaveDataFileOrReport(*out, set) ? kExitOk : kExitFailure;
}

}  // namespace

VALDRO_CLI_COMMAND("import", "write a data file from JSON", kUsage, RunImport);

}  // namespace valdro::cli
