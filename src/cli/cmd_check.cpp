// `check`: lists the mistakes in a data file or its JSON form before it reaches
// the units.

#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_check_output.h"
#include "cli/cli_command.h"
#include "cli/cli_files.h"
#include "cli/terminal.h"
#include "config/config_check.h"

namespace valdro::cli {
namespace {

constexpr const char* kUsage =
    "Usage: valdrometrica-cli check FILE.dat|FILE.json [--json]\n"
    "                               [--min-severity note|warning|error]\n\n"
    "Checks a configuration (a data file, or the JSON form when the name ends in\n"
    ".json or is \"-\" for standard input) and lists what is wrong, by unit:\n"
    "  error    the set will not work as meant\n"
    "  warning  probably a mistake\n"
    "  note     worth knowing\n"
    "Units in use are the Master and the enabled Slaves; a finding about a unit not\n"
    "in use is a note at most. Inputs and outputs are numbered 1 to 16; fields are\n"
    "named as in the JSON form, where arrays count from 0 (outputs[4] is output 5).\n\n"
    "Exit status: 0 no errors, 1 errors, 2 the file cannot be read or the arguments\n"
    "are wrong.\n\n"
    "Options:\n"
    "  --json                  one JSON object per finding on a line of its own:\n"
    "                          {\"unit\", \"unitIndex\", \"deviceName\", \"severity\",\n"
    "                          \"rule\", \"field\", \"message\"}\n"
    "  --min-severity LEVEL    list only findings at LEVEL or above (default note)\n\n"
    "Rules (severity for a unit in use):\n";

std::string FullUsage() {
    std::string usage = kUsage;
    for (const CheckRule& rule : CheckRules()) {
        usage += "  " + std::string(rule.id) + " (" + std::string(rule.severityText) + ")\n      " +
                 std::string(rule.summary) + "\n";
    }
    return usage;
}

const std::string kFullUsage = FullUsage();

int RunCheck(const std::vector<std::string>& args) {
    ArgParser parser("check", kFullUsage);
    parser.Flag("--json").Option("--min-severity").Positionals(1, 1);
    if (auto exit = parser.ParseOrExit(args))
        return *exit;
    Severity min = Severity::Note;
    if (const auto level = parser.Value("--min-severity")) {
        const auto parsed = SeverityFromName(*level);
        if (!parsed)
            return parser.UsageError("--min-severity takes note, warning or error");
        min = *parsed;
    }

    ConfigSet set;
    if (!LoadConfigOrReport(parser.Positional()[0], set))
        return kExitUsage;
    const std::vector<Finding> findings = CheckConfigSet(set);
    if (parser.Has("--json")) {
        for (const Finding& f : findings) {
            if (f.severity >= min)
                std::cout << FindingJson(set, f) << '\n';
        }
    } else {
        std::cout << FindingsReport(set, findings, min, ColourTerminal(StdStream::Out));
    }
    return CountFindings(findings).errors != 0 ? kExitFailure : kExitOk;
}

}  // namespace

VALDRO_CLI_COMMAND("check", "list the mistakes in a data file or its JSON form", kFullUsage.c_str(),
                   RunCheck);

}  // namespace valdro::cli
