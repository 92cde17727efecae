#pragma once
// The checker's rules, one constant each, and the state the rule files share.
// Internal to the checker: callers use config/config_check.h.

#include <cstdint>
#include <string>
#include <vector>

#include "config/config_check.h"
#include "config/json_keys.h"

namespace valdro::check {

using S = Severity;

// Addressing.
inline constexpr CheckRule kIpDuplicate{"ip-duplicate", S::Error, "error",
                                        "two units in use have the same static IP address"};
inline constexpr CheckRule kIpReserved{
    "ip-reserved", S::Error, "error",
    "the IP address is 0.x.x.x, loopback, multicast or reserved (240 and up)"};
inline constexpr CheckRule kMaskInvalid{
    "mask-invalid", S::Error, "error",
    "the subnet mask is 0.0.0.0, 255.255.255.255 or has a gap in its ones"};
inline constexpr CheckRule kIpNetworkAddress{
    "ip-network-address", S::Error, "error",
    "the IP address is its subnet's network address (host part all zeros)"};
inline constexpr CheckRule kIpBroadcastAddress{
    "ip-broadcast-address", S::Error, "error",
    "the IP address is its subnet's broadcast address (host part all ones)"};
inline constexpr CheckRule kIpIsGateway{"ip-is-gateway", S::Error, "error",
                                        "the IP address is the unit's own gateway address"};
inline constexpr CheckRule kGatewayOutsideSubnet{
    "gateway-outside-subnet", S::Error, "error",
    "the gateway is not in the unit's subnet (0.0.0.0, no gateway, is accepted)"};
inline constexpr CheckRule kIpIsDns{"ip-is-dns", S::Warning, "warning",
                                    "the Master's IP address is its own DNS address"};
inline constexpr CheckRule kSubnetDiffersFromMaster{
    "subnet-differs-from-master", S::Warning, "warning",
    "an enabled Slave and the Master are not on each other's subnet"};
inline constexpr CheckRule kUrlWithoutDns{
    "url-without-dns", S::Warning, "warning",
    "Slaves find the Master by URL, but the Master's DNS address is 0.0.0.0"};
inline constexpr CheckRule kDhcpStaticIgnored{
    "dhcp-static-ignored", S::Note, "note",
    "the Master takes its address by DHCP; its static fields are ignored"};
inline constexpr CheckRule kDhcpOnSlave{"dhcp-on-slave", S::Warning, "warning",
                                        "a Slave has DHCP on, which the window never sets"};
inline constexpr CheckRule kMasterDhcpSlaveByIp{
    "master-dhcp-slave-by-ip", S::Warning, "warning",
    "the Master takes its address by DHCP, but a Slave finds it by IP address"};

// Names and texts.
inline constexpr CheckRule kNameEmpty{"name-empty", S::Warning, "warning",
                                      "a unit in use has no device name"};
inline constexpr CheckRule kNameDuplicate{
    "name-duplicate", S::Warning, "warning",
    "the device name is also an earlier unit's, so picking it by name fails"};
inline constexpr CheckRule kTextCharacters{
    "text-characters", S::Warning, "warning",
    "a name or URL holds control characters or bytes Windows-1252 lacks"};
inline constexpr CheckRule kUrlTooLong{
    "url-too-long", S::Warning, "warning",
    "the URL is longer than the 44 characters the window lets a user type"};
inline constexpr CheckRule kNameCut{"name-cut", S::Note, "note",
                                    "a 32-character name reaches its unit cut to 31 characters"};

// Address mode and port.
inline constexpr CheckRule kAddressModeValue{
    "address-mode-value", S::Error, "error",
    "a Slave's address mode is neither 0 (IP) nor 1 (URL)"};
inline constexpr CheckRule kUrlEmpty{"url-empty", S::Error, "error",
                                     "a Slave is in URL mode with an empty URL"};
inline constexpr CheckRule kPortRange{"port-range", S::Error, "error; warning for the Master",
                                      "the port number is outside 1..65535"};

// Input map and reset inputs.
inline constexpr CheckRule kMapSourceNotInUse{
    "map-source-not-in-use", S::Error, "error",
    "an output of a unit in use is driven by inputs of a Slave not enabled"};
inline constexpr CheckRule kMapUnitNotInUse{
    "map-unit-not-in-use", S::Note, "note",
    "a Slave that is not enabled has an input map that drives outputs"};
inline constexpr CheckRule kResetDeviceRange{"reset-device-range", S::Error,
                                             "error; warning when the output does not latch",
                                             "an output's reset device is not a unit (0..8)"};
inline constexpr CheckRule kResetDeviceNotInUse{
    "reset-device-not-in-use", S::Error, "error",
    "a latched output is reset by an input of a Slave that is not enabled"};
inline constexpr CheckRule kResetInputRange{"reset-input-range", S::Error,
                                            "error; warning when the output does not latch",
                                            "an output's reset input is not an input (1..16)"};
inline constexpr CheckRule kResetInputDrivesOutput{
    "reset-input-drives-output", S::Warning, "warning",
    "a latched output's reset input also drives that output"};

// Flags.
inline constexpr CheckRule kFlagValue{"flag-value", S::Warning, "warning",
                                      "a flag or input-map cell holds a byte other than 0 and 1"};

// An IPv4 address as one number, first octet highest.
std::uint32_t Ip(const Octets&);
std::string IpText(std::uint32_t);
// "the Master" or "Slave N", for messages.
std::string TheUnit(int u);
bool ValidMask(std::uint32_t mask);

// What the rule files share: the set, which units are in use, and the findings.
class Checker {
  public:
    explicit Checker(const ConfigSet& set);

    const ConfigSet& Set() const { return set_; }
    ConstUnitRecord Unit(int u) const { return set_.Unit(u); }
    bool InUse(int u) const { return inUse_[static_cast<std::size_t>(u)]; }
    bool Static(int u) const { return Unit(u).RawByte(field::DHCPEnable) == 0; }

    // Records a finding at the rule's severity (or `severity`), capped at a note
    // for a unit not in use.
    void Add(const CheckRule& rule, int unit, std::string_view field, std::string message);
    void Add(const CheckRule& rule, Severity severity, int unit, std::string_view field,
             std::string message);

    std::vector<Finding> Take() { return std::move(findings_); }

  private:
    const ConfigSet& set_;
    bool inUse_[kUnitCount];
    std::vector<Finding> findings_;
};

// "outputs[4].resetUnit"; o < 0 names the key in every output: "outputs[*].latch".
std::string OutputField(int o, std::string_view key);

// The rule files, each one topic.
void CheckAddressing(Checker&);
void CheckTexts(Checker&);
void CheckModeAndPort(Checker&);
void CheckOutputs(Checker&);
void CheckFlags(Checker&);

}  // namespace valdro::check
