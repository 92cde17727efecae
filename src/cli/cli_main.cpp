// valdrometrica-cli: works with data files and the attached unit from a terminal.
// Commands live in cmd_*.cpp and register themselves; this file dispatches.

#include <algorithm>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_command.h"

namespace valdro::cli {

namespace {
// Function-local so that commands registering from other files' static
// initialisers always find it constructed.
std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

std::vector<Command> SortedCommands() {
    std::vector<Command> sorted = Registry();
    std::sort(sorted.begin(), sorted.end(), [](const Command& a, const Command& b) {
        return std::string_view(a.name) < std::string_view(b.name);
    });
    return sorted;
}

void PrintOverview(std::ostream& out) {
    out << "Usage: valdrometrica-cli <command> [arguments]\n"
           "       valdrometrica-cli <command> --help\n\n"
           "Commands:\n";
    std::size_t width = 0;
    for (const Command& c : Registry())
        width = std::max(width, std::string_view(c.name).size());
    for (const Command& c : SortedCommands()) {
        const std::string_view name(c.name);
        out << "  " << name << std::string(width - name.size() + 2, ' ') << c.summary << '\n';
    }
    out << "\nExit status: 0 success, 1 failure, 2 usage error.\n";
}

const Command* FindCommand(std::string_view name) {
    for (const Command& c : Registry()) {
        if (name == c.name)
            return &c;
    }
    return nullptr;
}

void PrintUsage(std::ostream& out, const Command& c) {
    const std::string_view usage(c.usage);
    out << usage;
    if (!usage.empty() && usage.back() != '\n')
        out << '\n';
}

// True if the arguments ask for help before any "--".
bool AsksForHelp(const std::vector<std::string>& args) {
    for (const std::string& a : args) {
        if (a == "--")
            return false;
        if (a == "--help" || a == "-h")
            return true;
    }
    return false;
}
}  // namespace

bool RegisterCommand(const Command& command) {
    if (command.name == nullptr || command.run == nullptr || FindCommand(command.name) != nullptr) {
        return false;
    }
    Registry().push_back(command);
    return true;
}

const std::vector<Command>& Commands() {
    return Registry();
}

int Main(int argc, char** argv) {
    std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    if (args.empty()) {
        PrintOverview(std::cerr);
        return kExitUsage;
    }
    const std::string name = args.front();
    args.erase(args.begin());

    if (name == "--help" || name == "-h" || name == "help") {
        if (name == "help" && !args.empty()) {
            if (const Command* c = FindCommand(args.front())) {
                PrintUsage(std::cout, *c);
                return kExitOk;
            }
            std::cerr << "valdrometrica-cli: unknown command '" << args.front() << "'\n\n";
            PrintOverview(std::cerr);
            return kExitUsage;
        }
        PrintOverview(std::cout);
        return kExitOk;
    }

    const Command* command = FindCommand(name);
    if (command == nullptr) {
        if (!name.empty() && name[0] == '-') {
            std::cerr << "valdrometrica-cli: unknown option '" << name << "'\n\n";
        } else {
            std::cerr << "valdrometrica-cli: unknown command '" << name << "'\n\n";
        }
        PrintOverview(std::cerr);
        return kExitUsage;
    }
    if (AsksForHelp(args)) {
        PrintUsage(std::cout, *command);
        return kExitOk;
    }
    try {
        return command->run(args);
    } catch (const std::exception& e) {
        std::cerr << "valdrometrica-cli " << name << ": " << e.what() << '\n';
    } catch (...) {
        std::cerr << "valdrometrica-cli " << name << ": unexpected failure\n";
    }
    return kExitFailure;
}

}  // namespace valdro::cli

int main(int argc, char** argv) {
    const int code = valdro::cli::Main(argc, argv);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "valdrometrica-cli: error writing output\n";
        return valdro::cli::kExitFailure;
    }
    return code;
}
