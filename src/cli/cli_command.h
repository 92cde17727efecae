#pragma once
// valdrometrica-cli commands register themselves here; main() dispatches by name.
// Exit codes: 0 success, 1 failure, 2 usage error. Messages go to stderr.

#include <string>
#include <vector>

namespace valdro::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Command {
    const char* name;
    const char* summary;                               // one line for the overview
    const char* usage;                                 // full --help text
    int (*run)(const std::vector<std::string>& args);  // args after the command name
};

// Registers a command; used through VALDRO_CLI_COMMAND at namespace scope.
bool RegisterCommand(const Command& command);
const std::vector<Command>& Commands();

}  // namespace valdro::cli

#define VALDRO_CLI_CONCAT2(a, b) a##b
#define VALDRO_CLI_CONCAT(a, b) VALDRO_CLI_CONCAT2(a, b)
#define VALDRO_CLI_COMMAND(...)                                           \
    static const bool VALDRO_CLI_CONCAT(valdroCliRegistered_, __LINE__) = \
        ::valdro::cli::RegisterCommand(::valdro::cli::Command{__VA_ARGS__})
