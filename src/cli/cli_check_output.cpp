#include "cli/cli_check_output.h"

#include <nlohmann/json.hpp>

#include "config/config_summary.h"
#include "config/unit_names.h"

namespace valdro::cli {
namespace {

const char* Colour(Severity s) {
    switch (s) {
        case Severity::Error:
            return "\x1b[1;31m";
        case Severity::Warning:
            return "\x1b[1;33m";
        case Severity::Note:
            return "\x1b[1;36m";
    }
    return "";
}
constexpr const char* kPlain = "\x1b[0m";

std::string Heading(const ConfigSet& set, int u) {
    std::string h = UnitLabel(u) + " " + QuoteText(set.Unit(u).DeviceName());
    if (u != 0 && !set.Unit(u).SlaveEnabled())
        h += " (not enabled)";
    return h + ":\n";
}

std::string Body(const Finding& f) {
    return f.field + ": " + f.message + " [" + std::string(f.rule) + "]";
}

}  // namespace

std::string FindingsReport(const ConfigSet& set, const std::vector<Finding>& findings, Severity min,
                           bool colour) {
    std::string out;
    int unit = -1;
    int hidden = 0;
    for (const Finding& f : findings) {
        if (f.severity < min) {
            ++hidden;
            continue;
        }
        if (f.unit != unit) {
            unit = f.unit;
            out += Heading(set, unit);
        }
        out += "  ";
        if (colour)
            out += Colour(f.severity);
        out += SeverityName(f.severity);
        if (colour)
            out += kPlain;
        out += ": " + Body(f) + "\n";
    }
    if (!out.empty())
        out += "\n";
    if (findings.empty())
        return "No findings.\n";
    out += FormatCounts(CountFindings(findings));
    if (hidden != 0)
        out += " (" + std::to_string(hidden) + " below --min-severity not shown)";
    return out + "\n";
}

std::string FindingJson(const ConfigSet& set, const Finding& f) {
    nlohmann::ordered_json j;
    j["unit"] = UnitLabel(f.unit);
    j["unitIndex"] = f.unit;
    j["deviceName"] = set.Unit(f.unit).DeviceName();
    j["severity"] = SeverityName(f.severity);
    j["rule"] = std::string(f.rule);
    j["field"] = f.field;
    j["message"] = f.message;
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string FindingLine(const Finding& f) {
    return UnitLabel(f.unit) + ": " + SeverityName(f.severity) + ": " + Body(f);
}

std::string FindingsCountLine(const std::vector<Finding>& findings, const std::string& file) {
    if (findings.empty())
        return "Checks: no findings.";
    return "Checks: " + FormatCounts(CountFindings(findings)) + "; 'valdrometrica-cli check " +
           file + "' lists them.";
}

}  // namespace valdro::cli
