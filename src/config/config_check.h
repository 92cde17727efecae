#pragma once
// Finds the mistakes in a configuration set before it reaches the units: clashing
// or impossible addresses, names the window cannot tell apart, outputs driven or
// reset by units that are switched off, and values only a foreign file can hold.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/config_set.h"

namespace valdro {

// Ordered: a higher value is more serious.
enum class Severity : std::uint8_t {
    Note,     // worth knowing
    Warning,  // probably a mistake
    Error,    // the set will not work as the user means it
};

const char* SeverityName(Severity);  // "note", "warning", "error"
std::optional<Severity> SeverityFromName(std::string_view);

struct CheckRule {
    std::string_view id;            // stable: scripts and the manual name rules by it
    Severity severity;              // for a unit in use
    std::string_view severityText;  // the severity as the manual gives it, exceptions included
    std::string_view summary;       // one line
};

// Every rule, in the order the checker runs them.
std::span<const CheckRule> CheckRules();

struct Finding {
    Severity severity;
    int unit;               // UnitIndex 0..8
    std::string field;      // as the JSON form names it: "ipAddress", "outputs[4].resetUnit"
    std::string_view rule;  // a CheckRule id
    std::string message;    // one line: what is wrong and what to do
};

// Units in use are the Master and the enabled Slaves; a finding about a unit not in
// use is a note at most. Findings come ordered by unit.
std::vector<Finding> CheckConfigSet(const ConfigSet&);

struct FindingCounts {
    int errors = 0;
    int warnings = 0;
    int notes = 0;
};
FindingCounts CountFindings(const std::vector<Finding>&);

// "2 errors, 1 warning, 0 notes".
std::string FormatCounts(const FindingCounts&);

}  // namespace valdro
