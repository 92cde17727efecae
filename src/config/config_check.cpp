#include "config/config_check.h"

#include <algorithm>
#include <array>

#include "config/check_rules.h"
#include "config/unit_names.h"

namespace valdro {
namespace {

using namespace check;

constexpr std::array<CheckRule, 28> kRules = {
    kIpDuplicate,
    kIpReserved,
    kMaskInvalid,
    kIpNetworkAddress,
    kIpBroadcastAddress,
    kIpIsGateway,
    kGatewayOutsideSubnet,
    kIpIsDns,
    kSubnetDiffersFromMaster,
    kUrlWithoutDns,
    kDhcpStaticIgnored,
    kDhcpOnSlave,
    kMasterDhcpSlaveByIp,
    kNameEmpty,
    kNameDuplicate,
    kTextCharacters,
    kUrlTooLong,
    kNameCut,
    kAddressModeValue,
    kUrlEmpty,
    kPortRange,
    kMapSourceNotInUse,
    kMapUnitNotInUse,
    kResetDeviceRange,
    kResetDeviceNotInUse,
    kResetInputRange,
    kResetInputDrivesOutput,
    kFlagValue,
};

std::string Plural(int n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

namespace check {

std::uint32_t Ip(const Octets& o) {
    return std::uint32_t(o[0]) << 24 | std::uint32_t(o[1]) << 16 | std::uint32_t(o[2]) << 8 |
           std::uint32_t(o[3]);
}

std::string IpText(std::uint32_t ip) {
    return std::to_string(ip >> 24) + "." + std::to_string(ip >> 16 & 0xFF) + "." +
           std::to_string(ip >> 8 & 0xFF) + "." + std::to_string(ip & 0xFF);
}

std::string TheUnit(int u) {
    return u == 0 ? "the Master" : UnitLabel(u);
}

std::string OutputField(int o, std::string_view key) {
    return std::string(json_key::Outputs) + "[" + (o < 0 ? "*" : std::to_string(o)) + "]." +
           std::string(key);
}

bool ValidMask(std::uint32_t mask) {
    // Ones then zeros: the inverted mask plus one is a power of two.
    const std::uint32_t host = ~mask;
    return mask != 0 && host != 0 && (host & (host + 1)) == 0;
}

Checker::Checker(const ConfigSet& set) : set_(set) {
    for (int u = 0; u < kUnitCount; ++u)
        inUse_[u] = u == 0 || set.Unit(u).RawByte(field::SlaveEnabled) != 0;
}

void Checker::Add(const CheckRule& rule, int unit, std::string_view field, std::string message) {
    Add(rule, rule.severity, unit, field, std::move(message));
}

void Checker::Add(const CheckRule& rule, Severity severity, int unit, std::string_view field,
                  std::string message) {
    if (!InUse(unit))
        severity = Severity::Note;
    findings_.push_back({severity, unit, std::string(field), rule.id, std::move(message)});
}

}  // namespace check

const char* SeverityName(Severity s) {
    switch (s) {
        case Severity::Note:
            return "note";
        case Severity::Warning:
            return "warning";
        case Severity::Error:
            return "error";
    }
    return "?";
}

std::optional<Severity> SeverityFromName(std::string_view name) {
    for (Severity s : {Severity::Note, Severity::Warning, Severity::Error}) {
        if (name == SeverityName(s))
            return s;
    }
    return std::nullopt;
}

std::span<const CheckRule> CheckRules() {
    return kRules;
}

std::vector<Finding> CheckConfigSet(const ConfigSet& set) {
    Checker checker(set);
    CheckAddressing(checker);
    CheckTexts(checker);
    CheckModeAndPort(checker);
    CheckOutputs(checker);
    CheckFlags(checker);
    std::vector<Finding> findings = checker.Take();
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.unit < b.unit; });
    return findings;
}

FindingCounts CountFindings(const std::vector<Finding>& findings) {
    FindingCounts c;
    for (const Finding& f : findings) {
        switch (f.severity) {
            case Severity::Error:
                ++c.errors;
                break;
            case Severity::Warning:
                ++c.warnings;
                break;
            case Severity::Note:
                ++c.notes;
                break;
        }
    }
    return c;
}

std::string FormatCounts(const FindingCounts& c) {
    return Plural(c.errors, "error") + ", " + Plural(c.warnings, "warning") + ", " +
           Plural(c.notes, "note");
}

}  // namespace valdro
