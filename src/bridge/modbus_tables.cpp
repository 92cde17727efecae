#include "bridge/modbus_tables.h"

namespace valdro::bridge {

ModbusTables BuildModbusTables(const LiveIoModel& model) {
    ModbusTables t;
    for (std::size_t u = 0; u < kUnitCount; ++u) {
        const UnitSnapshot& unit = model.Unit(u);
        for (std::size_t k = 0; k < 16; ++k) {
            t.discreteInputs[u * 16 + k] = static_cast<std::uint8_t>((unit.inputs >> k) & 1);
            t.coils[u * 16 + k] = static_cast<std::uint8_t>((unit.outputs >> k) & 1);
        }
        t.inputRegisters[kInputsRegister + u] = unit.inputs;
        t.inputRegisters[kOutputsRegister + u] = unit.outputs;
    }
    t.inputRegisters[kLiveRegister] = model.LiveMask();
    t.inputRegisters[kRecordCountRegister] = static_cast<std::uint16_t>(model.Feeds() & 0xFFFF);
    return t;
}

}  // namespace valdro::bridge
