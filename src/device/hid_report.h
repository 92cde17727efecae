#pragma once
// One HID report as the unit's protocol counts it: byte 0 is the report id
// (always 0), bytes 1..64 are the unit's 64 bytes.

#include <array>
#include <cstddef>
#include <cstdint>

namespace valdro {

inline constexpr std::size_t kReportSize = 65;
using HidReport = std::array<std::uint8_t, kReportSize>;

namespace cmd {
inline constexpr std::uint8_t Identify = 0x53;         // 'S'
inline constexpr std::uint8_t BeginDownload = 0x45;    // 'E'
inline constexpr std::uint8_t BlockFirstHalf = 0x64;   // 'd'
inline constexpr std::uint8_t BlockSecondHalf = 0x44;  // 'D'
inline constexpr std::uint8_t EndDownload = 0x5A;      // 'Z'
inline constexpr std::uint8_t GetStatus = 0x41;        // 'A'
inline constexpr std::uint8_t GetUnitName = 0x42;      // 'B'
inline constexpr std::uint8_t GetOwnName = 0x43;       // 'C'
}  // namespace cmd

// Reply bytes 2, 3, 4 of a unit running this product's application firmware.
inline constexpr std::array<std::uint8_t, 3> kApplicationId = {0, 1, 8};

}  // namespace valdro
