#pragma once
// Status records and names for the bridge tests and the soak benchmark.

#include <cstdint>

#include "bridge/live_io_model.h"
#include "device/simulated_unit.h"
#include "device/status_json.h"

namespace valdro::test {

inline bool Bit(std::uint16_t word, int n) {  // n = 1..16
    return ((word >> (n - 1)) & 1) != 0;
}

// The Master always; Slave n when bit n-1 of slaveMask is set.
inline bool Present(int unit, std::uint8_t slaveMask) {
    return unit == 0 || ((slaveMask >> (unit - 1)) & 1) != 0;
}

// The simulated unit's live pattern at a poll, in nine-unit mode.
inline StatusRecord PatternRecord(std::uint32_t poll, std::uint8_t slaveMask) {
    StatusRecord r;
    for (int u = 0; u < 9; ++u) {
        if (Present(u, slaveMask)) {
            const SimulatedUnit::IoWords w = SimulatedUnit::IoPattern(u, poll);
            r.units[static_cast<std::size_t>(u)] = {true, w.outputs, w.inputs};
        }
    }
    return r;
}

// A unit's state payload at a poll: its `status --json` object.
inline std::string StateJson(int unit, std::uint32_t poll, const std::string& name) {
    const SimulatedUnit::IoWords w = SimulatedUnit::IoPattern(unit, poll);
    return DumpJsonLine(
        UnitStatusJson(static_cast<std::size_t>(unit), name, {true, w.outputs, w.inputs}));
}

inline bridge::UnitNames Names() {
    return {"Hall", "Pump house", "", "Café", "", "", "", "", "Gate"};
}

}  // namespace valdro::test
