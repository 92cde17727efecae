#pragma once
// The checker's findings as valdrometrica-cli prints them: grouped by unit for a
// reader, one JSON object per line for a script, one line each on stderr before a
// download, and a count for the end of `show`.

#include <string>
#include <vector>

#include "config/config_check.h"

namespace valdro::cli {

// The findings at or above `min`, under a heading per unit, then a line of counts
// (of all findings, saying how many lie below `min`). colour: ANSI severities.
std::string FindingsReport(const ConfigSet& set, const std::vector<Finding>& findings, Severity min,
                           bool colour);

// {"unit", "unitIndex", "deviceName", "severity", "rule", "field", "message"} on one
// line, without the newline.
std::string FindingJson(const ConfigSet& set, const Finding& finding);

// "Slave 2: error: ipAddress: <message> [ip-duplicate]".
std::string FindingLine(const Finding& finding);

// "Checks: 1 error, 0 warnings, 2 notes; 'valdrometrica-cli check FILE' lists them."
std::string FindingsCountLine(const std::vector<Finding>& findings, const std::string& file);

}  // namespace valdro::cli
