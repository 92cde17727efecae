#pragma once
// File handling shared by the data-file commands: loading with the loader's own
// message on refusal, and writing text output to stdout or a file.

#include <optional>
#include <string>
#include <string_view>

#include "config/config_set.h"

namespace valdro::cli {

// Loads a data file; on refusal prints "FILE: <message>" on stderr and returns false.
bool LoadDataFileOrReport(const std::string& path, ConfigSet& into);

// Loads a configuration from a data file, or from its JSON form when the name ends
// in ".json" or is "-" (stdin); on refusal prints why and returns false. JSON
// warnings are not printed: they name values the caller is about to judge itself.
bool LoadConfigOrReport(const std::string& path, ConfigSet& into);

// Saves a data file; on failure prints "FILE: Error Saving File." and returns false.
bool SaveDataFileOrReport(const std::string& path, const ConfigSet& set);

// Reads a whole text file ("-" is stdin); on failure prints why and returns nothing.
std::optional<std::string> ReadTextOrReport(const std::string& path);

// Writes text to a file, replacing it whole ("-" is stdout); prints why on failure.
bool WriteTextOrReport(const std::string& path, std::string_view text);

// True when both names reach one existing file, so that writing the output would
// destroy the input it was made from ("-" is never a file).
bool SameFile(const std::string& input, const std::string& output);

}  // namespace valdro::cli
