#pragma once
// The read-only Modbus image of the live I/O, built from the model:
//   discrete inputs 0..143   input n of unit u at u*16 + n-1
//   coils 0..143             output n of unit u at u*16 + n-1
//   input registers 0..8     inputs of unit u packed, bit 0 = input 1
//   input registers 9..17    outputs of unit u packed, bit 0 = output 1
//   input register 18        live units: bit u set = unit u reports state now
//   input register 19        status records received, counting on from 65535 to 0
// Units that report no state keep their last known values (0 before the first).

#include <array>
#include <cstdint>

#include "bridge/live_io_model.h"

namespace valdro::bridge {

inline constexpr int kModbusBits = 16 * static_cast<int>(kUnitCount);  // 144
inline constexpr int kInputsRegister = 0;
inline constexpr int kOutputsRegister = 9;
inline constexpr int kLiveRegister = 18;
inline constexpr int kRecordCountRegister = 19;
inline constexpr int kModbusInputRegisters = 20;

struct ModbusTables {
    std::array<std::uint8_t, kModbusBits> discreteInputs{};  // 0 or 1 each
    std::array<std::uint8_t, kModbusBits> coils{};
    std::array<std::uint16_t, kModbusInputRegisters> inputRegisters{};
    bool operator==(const ModbusTables&) const = default;
};

ModbusTables BuildModbusTables(const LiveIoModel& model);

}  // namespace valdro::bridge
