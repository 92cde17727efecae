#include "cli/cli_args.h"

#include <charconv>
#include <cstdio>
#include <iostream>
#include <utility>

#include "cli/cli_command.h"

namespace valdro::cli {

ArgParser::ArgParser(std::string command, std::string usage)
    : command_(std::move(command)), usage_(std::move(usage)) {}

ArgParser& ArgParser::Flag(std::string name, std::string alias) {
    options_.push_back({std::move(name), std::move(alias), false});
    return *this;
}

ArgParser& ArgParser::Option(std::string name, std::string alias) {
    options_.push_back({std::move(name), std::move(alias), true});
    return *this;
}

ArgParser& ArgParser::Positionals(std::size_t min, std::size_t max) {
    minPositional_ = min;
    maxPositional_ = max;
    return *this;
}

const ArgParser::OptionDef* ArgParser::Find(std::string_view spelling) const {
    for (const OptionDef& s : options_) {
        if (s.name == spelling || (!s.alias.empty() && s.alias == spelling))
            return &s;
    }
    return nullptr;
}

bool ArgParser::Parse(const std::vector<std::string>& args) {
    help_ = false;
    flagsSeen_.clear();
    values_.clear();
    positional_.clear();
    error_.clear();

    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            positional_.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        if (a == "-h" || a == "--help") {
            help_ = true;
            continue;
        }
        std::string spelling = a;
        std::optional<std::string> inlineValue;
        if (const auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            spelling = a.substr(0, eq);
            inlineValue = a.substr(eq + 1);
        }
        const OptionDef* def = Find(spelling);
        if (def == nullptr) {
            error_ = "unknown option '" + spelling + "'";
            return false;
        }
        if (!def->takesValue) {
            if (inlineValue) {
                error_ = "option '" + spelling + "' takes no value";
                return false;
            }
            flagsSeen_.push_back(def->name);
            continue;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                error_ = "option '" + spelling + "' needs a value";
                return false;
            }
            inlineValue = args[++i];
        }
        values_.emplace_back(def->name, *inlineValue);
    }
    if (help_)
        return true;  // help wins over whatever else is missing
    if (positional_.size() < minPositional_) {
        error_ = minPositional_ == maxPositional_ && minPositional_ == 1
                     ? "missing argument"
                     : "missing arguments (expected " + std::to_string(minPositional_) + ")";
        return false;
    }
    if (positional_.size() > maxPositional_) {
        error_ = "unexpected argument '" + positional_[maxPositional_] + "'";
        return false;
    }
    return true;
}

std::optional<int> ArgParser::ParseOrExit(const std::vector<std::string>& args) {
    if (!Parse(args))
        return UsageError(error_);
    if (help_) {
        std::cout << usage_;
        if (!usage_.empty() && usage_.back() != '\n')
            std::cout << '\n';
        return kExitOk;
    }
    return std::nullopt;
}

bool ArgParser::Has(std::string_view name) const {
    for (const std::string& f : flagsSeen_) {
        if (f == name)
            return true;
    }
    return false;
}

std::optional<std::string> ArgParser::Value(std::string_view name) const {
    std::optional<std::string> found;
    for (const auto& [key, value] : values_) {
        if (key == name)
            found = value;
    }
    return found;
}

int ArgParser::UsageError(std::string_view message) const {
    std::cerr << "valdrometrica-cli " << command_ << ": " << message << "\n\n" << usage_;
    if (!usage_.empty() && usage_.back() != '\n')
        std::cerr << '\n';
    return kExitUsage;
}

std::optional<std::int64_t> ParseInteger(std::string_view text, std::int64_t min,
                                         std::int64_t max) {
    std::int64_t v = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || ptr != end || v < min || v > max)
        return std::nullopt;
    return v;
}

}  // namespace valdro::cli
