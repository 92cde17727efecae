#pragma once
// A readable, hand-editable JSON form of a ConfigSet (described in
// docs/json-format.md). Export then import reproduces both byte images exactly,
// reserved bytes and bytes after a text's NUL included.

#include <string>
#include <string_view>
#include <vector>

#include "config/config_set.h"

namespace valdro {

// The JSON text, UTF-8, two-space indented, ending with a newline.
std::string ExportConfigJson(const ConfigSet&);

struct JsonImportResult {
    bool ok = false;                    // true when `into` was replaced
    std::vector<std::string> errors;    // each names the field: "units[3].ipAddress[1]: ..."
    std::vector<std::string> warnings;  // values the bytes hold but the unit does not expect
};

// Reads the JSON form. Values a field's bytes cannot hold are errors and leave
// `into` untouched; values outside the ranges the unit expects are warnings and
// are kept. Never throws.
JsonImportResult ImportConfigJson(std::string_view text, ConfigSet& into);

}  // namespace valdro
