// `diff`: lists the fields in which two data files differ.

#include <iostream>

#include "cli/cli_args.h"
#include "cli/cli_command.h"
#include "cli/cli_files.h"
#include "config/config_diff.h"

namespace valdro::cli {
namespace {

constexpr const char* kUsage =
    "Usage: valdrometrica-cli diff FIRST.dat SECOND.dat\n\n"
    "Lists every field that differs, as \"unit field: first -> second\"; input-map\n"
    "cells as \"unit output N <- source unit input M\". Flags and cells are shown\n"
    "as the bytes stored.\n\n"
    "Exit status: 0 the files hold the same configuration, 1 they differ,\n"
    "2 a file cannot be loaded or the arguments are wrong.\n";

int RunDiff(const std::vector<std::string>& args) {
    ArgParser parser("diff", kUsage);
    parser.Positionals(2, 2);
    if (auto exit = parser.ParseOrExit(args))
        return *exit;

    // Trouble is 2, as with diff(1), so that 1 always means "they differ".
    ConfigSet first, second;
    if (!LoadDataFileOrReport(parser.Positional()[0], first))
        return kExitUsage;
    if (!LoadDataFileOrReport(parser.Positional()[1], second))
        return kExitUsage;
    const auto diffs = DiffConfigs(first, second);
    std::cout << FormatDifferences(diffs);
    return diffs.empty() ? kExitOk : kExitFailure;
}

}  // namespace

VALDRO_CLI_COMMAND("diff", "list the differences between two data files", kUsage, RunDiff);

}  // namespace valdro::cli
