#pragma once
// The names of the JSON form (docs/json-format.md): its identity, the keys of the
// document, of a unit and of an output. Everything that reads or writes the form
// spells a key through these, so that a renamed key changes in one place.

#include <string_view>

namespace valdro {

inline constexpr std::string_view kJsonFormatName = "valdrometrica-config";
inline constexpr int kJsonFormatVersion = 1;

namespace json_key {
// The document.
inline constexpr std::string_view Format = "format";
inline constexpr std::string_view Version = "version";
inline constexpr std::string_view Units = "units";

// A unit object. Record fields are named after the record's own names.
inline constexpr std::string_view Unit = "unit";
inline constexpr std::string_view DeviceName = "deviceName";
inline constexpr std::string_view DeviceNameTail = "deviceNameTail";
inline constexpr std::string_view IPAddr = "ipAddress";
inline constexpr std::string_view GateWayAddr = "gatewayAddress";
inline constexpr std::string_view SubMaskAddr = "subnetMask";
inline constexpr std::string_view DNSAddress = "dnsAddress";
inline constexpr std::string_view DHCPEnable = "dhcpEnable";
inline constexpr std::string_view ClientPort = "clientPort";
inline constexpr std::string_view AddressMode = "addressMode";
inline constexpr std::string_view URL = "url";
inline constexpr std::string_view URLTail = "urlTail";
inline constexpr std::string_view SlaveEnabled = "slaveEnabled";
inline constexpr std::string_view DeviceParamA = "deviceParamA";
inline constexpr std::string_view DeviceParamB = "deviceParamB";
inline constexpr std::string_view InvertInputs = "invertInputs";
inline constexpr std::string_view InvertOutputs = "invertOutputs";
inline constexpr std::string_view OutputStartStatus = "outputStartStatus";
inline constexpr std::string_view Reserved = "reserved";  // keyed by record offset: "12"
inline constexpr std::string_view Outputs = "outputs";

// An output object: entry o of the record's per-output fields, and its input map.
inline constexpr std::string_view Output = "output";
inline constexpr std::string_view OutputLatch = "latch";
inline constexpr std::string_view ResetDevice = "resetUnit";
inline constexpr std::string_view ResetInput = "resetInput";
inline constexpr std::string_view Inputs = "inputs";

// An input-map cell that holds something other than 1.
inline constexpr std::string_view Input = "input";
inline constexpr std::string_view Value = "value";
}  // namespace json_key

}  // namespace valdro
