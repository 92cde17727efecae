#pragma once
// Byte layout of one unit's 304-byte record and of the whole configuration set.
// These offsets are the file format and the download's source: never reorder them.

#include <cstddef>
#include <cstdint>
#include <span>

namespace valdro {

inline constexpr int kUnitCount = 9;  // Master, Slave 1..8
inline constexpr int kIoCount = 16;   // inputs and outputs per unit

inline constexpr std::size_t kUnitRecordSize = 304;
inline constexpr std::size_t kUnitsSize = kUnitRecordSize * kUnitCount;  // 2736
inline constexpr std::size_t kInputMapSize =
    kUnitCount * kUnitCount * kIoCount * kIoCount;  // 20736

namespace field {
inline constexpr std::size_t IPAddr = 0;
inline constexpr std::size_t GateWayAddr = 4;
inline constexpr std::size_t SubMaskAddr = 8;
inline constexpr std::size_t Reserved12 = 12;
inline constexpr std::size_t DNSAddress = 16;
inline constexpr std::size_t DeviceName = 20;
inline constexpr std::size_t DHCPEnable = 52;
inline constexpr std::size_t Reserved53 = 53;
inline constexpr std::size_t DeviceParamA = 54;
inline constexpr std::size_t Padding55 = 55;
inline constexpr std::size_t ClientPort = 56;
inline constexpr std::size_t DeviceParamB = 60;
inline constexpr std::size_t InvertInputs = 61;
inline constexpr std::size_t InvertOutputs = 77;
inline constexpr std::size_t OutputStartStatus = 93;
inline constexpr std::size_t SlaveEnabled = 109;
inline constexpr std::size_t AddressMode = 110;
inline constexpr std::size_t URL = 111;
inline constexpr std::size_t OutputLatch = 159;
inline constexpr std::size_t Padding175 = 175;
inline constexpr std::size_t ResetDevice = 176;
inline constexpr std::size_t ResetInput = 240;
inline constexpr std::size_t End = 304;

inline constexpr std::size_t DeviceNameSize = 32;
inline constexpr std::size_t URLSize = 48;
}  // namespace field

// That these offsets and sizes cover the record exactly is checked against the
// table of its fields (record_fields.h).
static_assert(field::End == kUnitRecordSize);
static_assert(kUnitsSize == 2736);
static_assert(kInputMapSize == 20736);

// Cell (owning unit u, source unit s, output o, input i) of the input map.
constexpr std::size_t InputMapOffset(int u, int s, int o, int i) {
    return static_cast<std::size_t>(u) * 2304 + static_cast<std::size_t>(s) * 256 +
           static_cast<std::size_t>(o) * 16 + static_cast<std::size_t>(i);
}
static_assert(InputMapOffset(0, 2, 4, 2) == 578);
static_assert(InputMapOffset(8, 8, 15, 15) == kInputMapSize - 1);

// Signed 32-bit numbers in a record are little-endian.
constexpr std::int32_t GetInt32(std::span<const std::uint8_t, 4> b) {
    return static_cast<std::int32_t>(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 |
                                     std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24);
}
constexpr void PutInt32(std::span<std::uint8_t, 4> b, std::int32_t value) {
    const auto v = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        b[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace valdro
