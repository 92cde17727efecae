#pragma once
// The hardware-id text that discovery matches against, in the form
// HID\VID_vvvv&PID_pppp&REV_rrrr, and what a unit's revision means.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace valdro {

// Four upper-case hexadecimal digits each: HID\VID_04D8&PID_FD37&REV_0009.
std::string FormatHardwareId(std::uint16_t vendorId, std::uint16_t productId,
                             std::uint16_t release);

// The first string of a hardware-id list (a run of NUL-terminated strings, as
// the system gives it): up to the first NUL, or all of it when there is none.
std::string_view FirstHardwareId(std::string_view list);

// The numbers a hardware id names, each where it is given as VID_, PID_ or REV_
// (any letter case) followed by four hexadecimal digits.
struct HardwareIdNumbers {
    std::optional<std::uint16_t> vendorId;
    std::optional<std::uint16_t> productId;
    std::optional<std::uint16_t> release;
    bool operator==(const HardwareIdNumbers&) const = default;
};
HardwareIdNumbers ParseHardwareId(std::string_view hardwareId);

// True when fragment occurs in hardwareId, ignoring the case of ASCII letters
// ("Vid_04d8&Pid_fd37&rev_0009" is found in HID\VID_04D8&PID_FD37&REV_0009).
bool HardwareIdContains(std::string_view hardwareId, std::string_view fragment);

// "application" for 0009, "program mode" for 0001, "unknown revision" otherwise.
std::string_view RevisionMeaning(std::uint16_t release);

}  // namespace valdro
