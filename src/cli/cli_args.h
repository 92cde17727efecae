#pragma once
// A small option parser shared by the valdrometrica-cli commands: flags, options
// with a value, positionals, and usage errors that read the same in every command.
//
//   ArgParser p("export", kUsage);
//   p.Option("-o", "--output").Positionals(1, 1);
//   if (auto exit = p.ParseOrExit(args)) return *exit;   // --help, or a usage error
//   const std::string in = p.Positional()[0];
//   const std::optional<std::string> out = p.Value("-o");

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace valdro::cli {

class ArgParser {
  public:
    ArgParser(std::string command, std::string usage);

    // A switch without a value. `name` is the key for Has(); `alias` is another spelling.
    ArgParser& Flag(std::string name, std::string alias = {});
    // An option taking one value: "-o VALUE", "--output VALUE" or "--output=VALUE".
    // Given twice, the last one counts.
    ArgParser& Option(std::string name, std::string alias = {});
    // How many positional arguments are allowed (default: none).
    ArgParser& Positionals(std::size_t min, std::size_t max);

    // False on a usage error (Error() says what); "-h"/"--help" sets HelpRequested().
    // "--" ends the options; a lone "-" is a positional.
    bool Parse(const std::vector<std::string>& args);

    // Parses and handles the two outcomes that end a command early: help (usage on
    // stdout, exit 0) and a usage error (message and usage on stderr, exit 2).
    // Empty when the command should go on.
    std::optional<int> ParseOrExit(const std::vector<std::string>& args);

    bool HelpRequested() const { return help_; }
    bool Has(std::string_view name) const;
    std::optional<std::string> Value(std::string_view name) const;
    const std::vector<std::string>& Positional() const { return positional_; }
    const std::string& Error() const { return error_; }

    // Prints "valdrometrica-cli COMMAND: message" and the usage on stderr; returns 2.
    int UsageError(std::string_view message) const;

  private:
    struct OptionDef {
        std::string name;
        std::string alias;
        bool takesValue;
    };
    const OptionDef* Find(std::string_view spelling) const;

    std::string command_;
    std::string usage_;
    std::vector<OptionDef> options_;
    std::size_t minPositional_ = 0;
    std::size_t maxPositional_ = 0;

    bool help_ = false;
    std::vector<std::string> flagsSeen_;
    std::vector<std::pair<std::string, std::string>> values_;
    std::vector<std::string> positional_;
    std::string error_;
};

// Parses a whole decimal integer in [min, max]; empty if it is not one.
std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t min, std::int64_t max);

}  // namespace valdro::cli
