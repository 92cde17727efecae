#pragma once
// The hardware-id text that discovery matches against, in the form
// HID\VID_vvvv&PID_pppp&REV_rrrr, and what a unit's revision means.

#include <cstdint>
#include <string>
#include <string_view>

namespace valdro {

// Four upper-case hexadecimal digits each: HID\VID_04D8&PID_FD37&REV_0009.
std::string FormatHardwareId(std::uint16_t vendorId, std::uint16_t productId,
                             std::uint16_t release);

// True when fragment occurs in hardwareId, ignoring the case of ASCII letters
// ("Vid_04d8&Pid_fd37&rev_0009" is found in HID\VID_04D8&PID_FD37&REV_0009).
bool HardwareIdContains(std::string_view hardwareId, std::string_view fragment);

// "application" for 0009, "program mode" for 0001, "unknown revision" otherwise.
std::string_view RevisionMeaning(std::uint16_t release);

}  // namespace valdro
